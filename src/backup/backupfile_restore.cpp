// Reading an archive: restoring its members and reading its title and
// file-ID list. Every number read from the archive is checked before it
// sizes a read, a buffer or a write.

#include "backup/backupfile.h"

#include "backup/backupfile_p.h"
#include "store/apperror.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

#include <filesystem>

namespace qm {

using namespace archive;

namespace {

// The file-ID list is read into memory; no honest one comes near this.
constexpr qint64 kLargestFileIdList = 16 << 20;
// Stands for "cancelled" among the error codes a decoding step returns.
constexpr int kStopped = -1;

bool validMarker(const QByteArray &marker)
{
    return marker == kMarkerEc2 || marker == kMarkerEcs;
}

bool writeAll(QIODevice *out, const char *data, qint64 size, qint64 limit)
{
    // Only the in-memory list has a limit; asking a file for its size
    // would flush it on every block.
    if (limit >= 0 && out->size() + size > limit)
        return false;
    return out->write(data, size) == size;
}

bool readHeader(TBackupFile::Reader &r, QString &title, qint32 &total)
{
    qint32 titleLength = 0;
    qint32 count = 0;
    QByteArray text;
    if (!r.readInt(titleLength) || !r.readBytes(titleLength, text))
        return false;
    title = ArchiveText(text);
    return r.readInt(total) && r.readInt(count);
}

} // namespace

// --- Decoding segments ---

int TBackupFile::decodeSegment(Reader &r, QIODevice *out, qint64 limit)
{
    QByteArray marker;
    if (!r.readBytes(4, marker))
        return CannotReadArchive;
    if (marker == kMarkerEc2)
        return decodeEc2(r, out, limit);
    if (marker == kMarkerEcs)
        return decodeEcs(r, out, limit);
    return InvalidArchiveType;
}

int TBackupFile::decodeEc2(Reader &r, QIODevice *out, qint64 limit)
{
    for (;;) {
        qint32 count = 0;
        if (!r.readInt(count))
            return CannotReadArchive;
        if (count == 0)
            return NoError;
        const bool stored = count < 0;
        const qint64 size = stored ? -qint64(count) : qint64(count);
        // The writer never makes a block larger than its buffer.
        if (size > kBlockSize)
            return CompressionError;
        if (!out) {
            if (!r.skipBytes(size))
                return CannotReadArchive;
        } else {
            if (!r.readBytes(size, r.block))
                return CannotReadArchive;
            const QByteArray *data = &r.block;
            if (!stored) {
                if (!r.inflater.inflate(r.block.constData(), int(size), r.decoded))
                    return CompressionError;
                data = &r.decoded;
            }
            if (!writeAll(out, data->constData(), data->size(), limit))
                return CannotReadFile;
            m_done += data->size();
        }
        letEventsRun();
        progress(r.currentName, m_done);
        if (!m_continue)
            return kStopped;
    }
}

int TBackupFile::decodeEcs(Reader &r, QIODevice *out, qint64 limit)
{
    qint32 total = 0;
    if (!r.readInt(total))
        return CannotReadArchive;
    if (total < 0)
        return CompressionError;
    qint64 counted = 0;
    while (counted < total) {
        qint32 length = 0;
        if (!r.readInt(length))
            return CannotReadArchive;
        if (length < 1 || length > kLzrwMaxBlock)
            return CompressionError;
        counted += qint64(length) + 4;
        if (counted > total)
            return CompressionError;
        if (!out) {
            if (!r.skipBytes(length))
                return CannotReadArchive;
        } else {
            if (!r.readBytes(length, r.block))
                return CannotReadArchive;
            const int n = Decompress(reinterpret_cast<const quint8 *>(r.block.constData()), length, r.lzrw.data());
            if (n < 0)
                return CompressionError;
            if (!writeAll(out, reinterpret_cast<const char *>(r.lzrw.data()), n, limit))
                return CannotReadFile;
            m_done += n;
        }
        letEventsRun();
        progress(r.currentName, m_done);
        if (!m_continue)
            return kStopped;
    }
    return NoError;
}

// --- Restore ---

bool TBackupFile::Restore(const QString &archiveName, const QString &restoreFolder)
{
    m_restoreFolder = restoreFolder;
    if (!m_restoreFolder.isEmpty() && !m_restoreFolder.endsWith(QLatin1Char('/')))
        m_restoreFolder += QLatin1Char('/');
    const bool onStream = archiveName == kStreamName;
    if (onStream ? !m_stream : !QFileInfo(archiveName).isFile())
        return false;

    begin();
    Reader r(archiveName, onStream ? m_stream : nullptr);
    QString title;
    qint32 total = 0;
    if (!r.openVolume(archiveName) || !readHeader(r, title, total)) {
        m_busy = false;
        m_continue = false;
        throw AppError(QStringLiteral("TBackupFile"), ErrorText(CannotReadArchive));
    }
    m_total = qMax<qint32>(total, 0);
    restoreRecords(r);
    // Whatever was not finished goes; its target keeps its old content.
    r.discardPending();
    r.file.reset();
    finish(QString());
    return m_error == 0 && m_continue;
}

bool TBackupFile::restoreRecords(Reader &r)
{
    while (m_continue) {
        qint32 length = 0;
        if (!r.readInt(length)) {
            fail(CannotReadArchive);
            return false;
        }
        if (length == 0)
            return finishPending(r);
        if (length < 0)
            continue;
        QByteArray name;
        if (!r.readBytes(length, name)) {
            fail(CannotReadArchive);
            return false;
        }
        const int disk = VolumeChangeNumber(name);
        if (disk >= 0) {
            if (!continueOnNextVolume(r, disk))
                return false;
            continue;
        }
        if (!finishPending(r) || !restoreMember(r, name))
            return false;
    }
    return false;
}

bool TBackupFile::decideRestore(const QString &target, const QDateTime &archived) const
{
    const QFileInfo info(target);
    const bool exists = info.exists();
    const bool older = exists && archived.isValid() && info.lastModified() < archived;
    switch (m_restoreMode) {
    case qm::RestoreMode::rmAll:
        return true;
    case qm::RestoreMode::rmNoOverwrite:
        return !exists;
    case qm::RestoreMode::rmNewer:
        return !exists || older;
    case qm::RestoreMode::rmExisting:
        return exists;
    case qm::RestoreMode::rmExistingNewer:
        return older;
    }
    return false;
}

// The target with its folder made, or empty when the member must be passed
// over: the folder cannot be made, or (through a linked folder) it lies
// outside the restore folder.
QString TBackupFile::checkedTarget(QString target) const
{
    const QFileInfo info(target);
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        return {};
    if (!m_restoreFolder.isEmpty()) {
        const QString root = QFileInfo(m_restoreFolder).canonicalFilePath();
        const QString real = QFileInfo(folder).canonicalFilePath();
        if (root.isEmpty() || (real != root && !real.startsWith(root + QLatin1Char('/'))))
            return {};
    }
    return target;
}

bool TBackupFile::restoreMember(Reader &r, const QByteArray &name)
{
    qint32 packed = 0;
    if (!r.readInt(packed)) {
        fail(CannotReadArchive);
        return false;
    }
    const QDateTime archived = UnpackDosDateTime(packed);
    const bool isList = name == kFileListName;
    r.currentName = ArchiveText(name);
    QString target = RestoreTarget(r.currentName, m_restoreFolder, m_restoreFullPath);
    bool write = false;
    if (target.isEmpty()) {
        if (!isList)
            ++m_refused;
    } else {
        write = decideRestore(target, archived);
        if (OnRestoreFile)
            OnRestoreFile(*this, target, archived, write);
        write = write && !isList && !target.isEmpty();
        if (write)
            target = checkedTarget(target);
        write = write && !target.isEmpty();
    }
    if (!write) {
        const int rc = decodeSegment(r, nullptr);
        if (rc > 0)
            fail(rc);
        return rc == NoError;
    }

    auto temp = std::make_unique<QTemporaryFile>(target + QStringLiteral(".restore-XXXXXX"));
    if (!temp->open()) {
        fail(CannotReadFile);
        return false;
    }
    const int rc = decodeSegment(r, temp.get());
    if (rc != NoError) {
        if (rc > 0)
            fail(rc == CompressionError ? CompressionError : CannotReadFile);
        return false;
    }
    r.pending = std::move(temp);
    r.pendingTarget = target;
    r.pendingDate = archived;
    return true;
}

// A member is complete once the record after its last segment is read.
bool TBackupFile::finishPending(Reader &r)
{
    if (!r.pending)
        return true;
    std::unique_ptr<QTemporaryFile> temp = std::move(r.pending);
    const QString target = r.pendingTarget;
    r.pendingTarget.clear();
    if (!temp->flush()) {
        fail(CannotReadFile);
        return false;
    }
    const QFileInfo old(target);
    temp->setPermissions(old.exists() ? old.permissions()
                                      : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                            | QFileDevice::ReadOther);
    if (r.pendingDate.isValid())
        temp->setFileTime(r.pendingDate, QFileDevice::FileModificationTime);
    temp->close();
    if (m_memberCheck && !m_memberCheck(temp->fileName(), target)) {
        fail(OverwriteFailed);
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(temp->fileName()).toStdString(),
                            QFile::encodeName(target).toStdString(), ec);
    if (ec) {
        fail(OverwriteFailed);
        return false;
    }
    temp->setAutoRemove(false);
    ++m_fileCount;
    return true;
}

bool TBackupFile::continueOnNextVolume(Reader &r, int disk)
{
    const QByteArray digits = VolumeDigits(disk).right(3);
    const bool canAsk = OnNeedDisk || m_dialogs;
    for (;;) {
        if (!askForDisk(disk))
            return false;
        if (r.stream)
            break;
        const QString next = VolumeFileName(r.archiveName, digits);
        if (QFileInfo(next).isFile()) {
            if (!r.openVolume(next)) {
                fail(CannotReadArchive);
                return false;
            }
            break;
        }
        // Nobody to put the disk in: the volume is simply missing.
        if (!canAsk) {
            fail(CannotReadArchive);
            return false;
        }
    }
    if (!r.pending) {
        const int rc = decodeSegment(r, nullptr);
        if (rc > 0)
            fail(rc);
        return rc == NoError;
    }
    const int rc = decodeSegment(r, r.pending.get());
    if (rc > 0)
        fail(rc == CompressionError ? CompressionError : CannotReadFile);
    return rc == NoError;
}

// --- Archive information ---

QString TBackupFile::ReadArchiveInfo(const QString &archiveName, QStringList *fileIds)
{
    begin();
    if (fileIds)
        fileIds->clear();
    const bool onStream = archiveName == kStreamName;
    Reader r(archiveName, onStream ? m_stream : nullptr);
    QString title;
    qint32 total = 0;
    if ((onStream && !m_stream) || !r.openVolume(archiveName)) {
        fail(CannotReadArchive);
    } else if (!readHeader(r, title, total)) {
        fail(InvalidArchiveType);
    } else {
        qint32 length = 0;
        QByteArray name;
        if (!r.readInt(length) || (length > 0 && !r.readBytes(length, name))) {
            fail(InvalidArchiveType);
        } else if (length > 0 && VolumeChangeNumber(name) < 0) {
            // The first member shows whether this is an archive at all.
            qint32 packed = 0;
            QBuffer list;
            list.open(QIODevice::WriteOnly);
            QByteArray marker;
            bool ok = r.readInt(packed);
            if (ok && name == kFileListName && fileIds) {
                r.currentName = QString::fromLatin1(kFileListName);
                ok = decodeSegment(r, &list, kLargestFileIdList) == NoError;
                for (const QByteArray &line : list.data().split('\n'))
                    if (!line.trimmed().isEmpty())
                        *fileIds << ArchiveText(line.endsWith('\r') ? line.chopped(1) : line);
            } else {
                ok = ok && r.readBytes(4, marker) && validMarker(marker);
            }
            if (!ok) {
                if (fileIds)
                    fileIds->clear();
                fail(InvalidArchiveType);
            }
        }
    }
    r.file.reset();
    m_busy = false;
    if (m_error != 0)
        reportError();
    return title;
}

} // namespace qm
