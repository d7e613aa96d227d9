// Writing an archive: collecting the files, the header, one record per
// file and its segments, and the change to a new volume when one is full.

#include "backup/backupfile.h"

#include "backup/backupfile_p.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <zlib.h>

namespace qm {

using namespace archive;

namespace {

// The smallest volume that can take the segment marker and one block.
constexpr qint64 kSmallestVolume = kVolumeReserve + 5;

QString displayName(const QString &path, bool isList)
{
    return isList ? QString::fromLatin1(kFileListName) : path;
}

} // namespace

int TBackupFile::zlibLevel() const
{
    switch (m_level) {
    case qm::CompressionLevel::clFastest:
        return 1;
    case qm::CompressionLevel::clNone:
        return 0;
    case qm::CompressionLevel::clDefault:
        return Z_DEFAULT_COMPRESSION;
    case qm::CompressionLevel::clMax:
        return 9;
    }
    return 1;
}

// --- Collecting ---

QStringList TBackupFile::collectFiles(const QStringList &specifications, const QString &archiveName) const
{
    QStringList files;
    QSet<QString> taken;
    const QString archivePath =
        archiveName == kStreamName ? QString() : QFileInfo(archiveName).absoluteFilePath();
    for (const QString &spec : specifications)
        collectSpecification(spec, archivePath, files, taken);
    return files;
}

void TBackupFile::collectSpecification(const QString &specification, const QString &archivePath,
                                       QStringList &files, QSet<QString> &taken) const
{
    // Paths here hold "/" of their own, so the subfolder switch must stand
    // apart from the path by a blank.
    static const QRegularExpression subfolderSwitch(QStringLiteral("\\s+/[sS]$"));
    QString text = specification.trimmed();
    const QRegularExpressionMatch m = subfolderSwitch.match(text);
    const bool subfolders = m.hasMatch();
    if (subfolders)
        text = text.left(m.capturedStart()).trimmed();
    if (text.isEmpty())
        return;
    const QFileInfo spec(text);
    QString mask = spec.fileName();
    // "*.*" takes every file, those without an extension too.
    if (mask.isEmpty() || mask == QLatin1String("*.*"))
        mask = QStringLiteral("*");

    QStringList folders{spec.absolutePath()};
    while (!folders.isEmpty()) {
        const QDir dir(folders.takeFirst());
        const auto filter = QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        for (const QFileInfo &entry : dir.entryInfoList({mask}, QDir::Files | filter, QDir::Name)) {
            // Only plain files: a pipe or device would never end.
            const QString path = entry.absoluteFilePath();
            if (entry.isFile() && path != archivePath && !taken.contains(path)) {
                taken.insert(path);
                files << path;
            }
        }
        if (!subfolders)
            continue;
        // Linked folders are not followed: they may lead back up.
        for (const QFileInfo &entry : dir.entryInfoList(QDir::Dirs | filter, QDir::Name))
            if (!entry.isSymLink())
                folders << entry.absoluteFilePath();
    }
}

// --- Writing ---

bool TBackupFile::writeFileIdList(const QStringList &files, QString &listPath, qint64 &listSize)
{
    QByteArray text;
    for (const QString &path : files) {
        const QFileInfo info(path);
        text += path.toUtf8() + '\t' + QByteArray::number(PackDosDateTime(info.lastModified())) + '='
                + QByteArray::number(info.size()) + '\n';
    }
    auto list = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/FIDXXXXXX"));
    list->setAutoRemove(false);
    if (!list->open() || list->write(text) != text.size() || !list->flush()) {
        if (!list->fileName().isEmpty())
            QFile::remove(list->fileName());
        fail(CannotCreateFileIdList);
        return false;
    }
    listPath = list->fileName();
    listSize = text.size();
    return true;
}

bool TBackupFile::Backup(const QStringList &specifications, const QString &archiveName)
{
    begin();
    QStringList files = collectFiles(specifications, archiveName);
    progress(QString(), 0);
    for (const QString &path : files)
        m_total += QFileInfo(path).size();

    QString listPath;
    if (m_saveFileId) {
        qint64 listSize = 0;
        if (writeFileIdList(files, listPath, listSize)) {
            files.prepend(listPath);
            m_total += listSize;
        }
    }
    const int stored = static_cast<int>(files.size()) - (listPath.isEmpty() ? 0 : 1);

    Writer w(archiveName, archiveName == kStreamName ? m_stream : nullptr, zlibLevel());
    bool ok = false;
    if (m_error == 0) {
        const QByteArray title = m_title.toUtf8();
        if (m_maxSize != 0 && m_maxSize < kSmallestVolume)
            fail(CannotWriteArchive);
        else if ((archiveName == kStreamName && !m_stream) || !w.openVolume(archiveName) || !w.writeName(title)
                 || !w.writeInt(qint32(qMin<qint64>(m_total, INT32_MAX))) || !w.writeInt(stored))
            fail(CannotWriteArchive);
        else
            ok = backupFiles(w, files, listPath);
    }
    if (ok && m_continue) {
        if (!w.writeInt(0) || !w.closeVolume())
            fail(CannotWriteArchive);
    } else if (w.file && m_error == 0 && w.volume > 1) {
        // Cancelled after a volume change: what was written so far stays,
        // without the end marker.
        w.closeVolume();
    }
    if (!listPath.isEmpty())
        QFile::remove(listPath);
    finish(QString());
    return m_error == 0 && m_continue;
}

bool TBackupFile::backupFiles(Writer &w, const QStringList &files, const QString &listPath)
{
    for (const QString &path : files) {
        if (!m_continue)
            break;
        if (!QFileInfo::exists(path))
            continue;
        if (!backupFile(w, path, path == listPath))
            return false;
    }
    return m_error == 0;
}

bool TBackupFile::backupFile(Writer &w, const QString &path, bool isList)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly)) {
        fail(CannotReadFile);
        return false;
    }
    const QString shown = displayName(path, isList);
    const QByteArray name = isList ? kFileListName : path.trimmed().toUtf8();
    if (!w.writeName(name)) {
        fail(CannotWriteArchive);
        return false;
    }
    if (!w.writeInt(PackDosDateTime(QFileInfo(path).lastModified()))) {
        fail(CannotReadFile);
        return false;
    }
    // An empty file still gets its segment: the marker and the end count.
    bool more = true;
    while (more && m_continue) {
        if (!writeSegment(w, source, shown, more)) {
            fail(CannotWriteArchive);
            return false;
        }
        if (more && m_continue && !changeVolume(w))
            return false;
    }
    source.close();
    // Files here carry no archive attribute: clearing it changes nothing.
    if (!isList)
        ++m_fileCount;
    return true;
}

bool TBackupFile::writeSegment(Writer &w, QIODevice &source, const QString &fileName, bool &more)
{
    if (!w.writeBytes(kMarkerEc2))
        return false;
    while (m_continue) {
        if (m_maxSize != 0 && w.position >= m_maxSize - kVolumeReserve)
            break;
        const qint64 n = source.read(w.input.data(), kBlockSize);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        const BlockDeflater::Result r = w.deflater.deflate(w.input.constData(), int(n), w.output);
        if (r == BlockDeflater::Failed) {
            fail(CompressionError);
            return false;
        }
        const bool written = r == BlockDeflater::Compressed
                                 ? w.writeInt(qint32(w.output.size())) && w.writeBytes(w.output)
                                 : w.writeInt(qint32(-n)) && w.writeBytes(w.input.constData(), n);
        if (!written)
            return false;
        m_done += n;
        letEventsRun();
        progress(fileName, m_done);
    }
    more = !source.atEnd();
    return w.writeInt(0);
}

bool TBackupFile::changeVolume(Writer &w)
{
    ++w.volume;
    const QByteArray digits = VolumeDigits(w.volume);
    if (!w.writeName(kNextDiskName + digits) || !w.closeVolume()) {
        fail(CannotWriteArchive);
        return false;
    }
    if (!askForDisk(w.volume))
        return false;
    if (!w.openVolume(VolumeFileName(w.archiveName, digits))) {
        fail(CannotWriteArchive);
        return false;
    }
    return true;
}

} // namespace qm
