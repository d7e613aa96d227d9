#include "backup/backupfile.h"

#include "backup/backupfile_p.h"
#include "store/dialogservice.h"

#include <QCoreApplication>
#include <QtEndian>

namespace qm {

namespace {

// A name or title longer than this is not believed even when the device
// cannot tell how much is left.
constexpr qint64 kLongestText = 1 << 20;

} // namespace

QString ArchiveText(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    return text.contains(QChar::ReplacementCharacter) ? QString::fromLatin1(bytes) : text;
}

// --- Writer ---

TBackupFile::Writer::Writer(const QString &archive, QIODevice *streamDevice, int level)
    : archiveName(archive), stream(streamDevice), deflater(level)
{
    input.resize(archive::kBlockSize);
}

TBackupFile::Writer::~Writer()
{
    // Never committed: an unfinished volume does not replace what was there.
    if (file)
        file->cancelWriting();
}

bool TBackupFile::Writer::openVolume(const QString &fileName)
{
    position = 0;
    if (stream) {
        device = stream;
        return device->isWritable();
    }
    file = std::make_unique<QSaveFile>(fileName);
    device = file.get();
    return file->open(QIODevice::WriteOnly);
}

bool TBackupFile::Writer::closeVolume()
{
    if (!file)
        return true;
    const bool ok = file->commit();
    file.reset();
    device = nullptr;
    return ok;
}

bool TBackupFile::Writer::writeInt(qint32 value)
{
    const qint32 le = qToLittleEndian(value);
    return writeBytes(reinterpret_cast<const char *>(&le), 4);
}

bool TBackupFile::Writer::writeBytes(const char *data, qint64 size)
{
    if (!device || device->write(data, size) != size)
        return false;
    position += size;
    return true;
}

// --- Reader ---

TBackupFile::Reader::Reader(const QString &archive, QIODevice *streamDevice) : archiveName(archive), stream(streamDevice)
{
}

TBackupFile::Reader::~Reader()
{
    discardPending();
}

bool TBackupFile::Reader::openVolume(const QString &fileName)
{
    if (stream) {
        device = stream;
        return device->isReadable();
    }
    file = std::make_unique<QFile>(fileName);
    device = file.get();
    return file->open(QIODevice::ReadOnly);
}

qint64 TBackupFile::Reader::remaining() const
{
    if (!device || device->isSequential())
        return -1;
    return device->size() - device->pos();
}

bool TBackupFile::Reader::readInt(qint32 &value)
{
    char raw[4];
    if (!device || device->read(raw, 4) != 4)
        return false;
    value = qFromLittleEndian<qint32>(raw);
    return true;
}

bool TBackupFile::Reader::readBytes(qint64 size, QByteArray &out)
{
    const qint64 left = remaining();
    if (size < 0 || (left >= 0 && size > left) || (left < 0 && size > kLongestText))
        return false;
    out.resize(size);
    return size == 0 || device->read(out.data(), size) == size;
}

bool TBackupFile::Reader::skipBytes(qint64 size)
{
    const qint64 left = remaining();
    if (size < 0 || (left >= 0 && size > left))
        return false;
    if (left >= 0)
        return device->seek(device->pos() + size);
    return device->skip(size) == size;
}

void TBackupFile::Reader::discardPending()
{
    // Removing the unfinished copy leaves the target as it was.
    pending.reset();
    pendingTarget.clear();
}

// --- The component ---

TBackupFile::TBackupFile(DialogService *dialogs) : m_dialogs(dialogs) {}

TBackupFile::~TBackupFile() = default;

void TBackupFile::setBackupMode(qm::BackupMode mode)
{
    m_backupMode = mode;
    if (mode == qm::BackupMode::bmIncremental)
        m_setArchiveFlag = true;
}

void TBackupFile::begin()
{
    m_error = 0;
    m_continue = true;
    m_busy = true;
    m_done = 0;
    m_total = 0;
    m_fileCount = 0;
    m_refused = 0;
}

void TBackupFile::finish(const QString &fileName)
{
    progress(fileName, -1);
    m_busy = false;
    if (m_error != 0)
        reportError();
}

void TBackupFile::fail(int code)
{
    // The first error is the one reported.
    if (m_error == 0)
        m_error = code;
    m_continue = false;
}

void TBackupFile::reportError()
{
    const QString text = archive::ErrorText(m_error);
    if (OnError)
        OnError(*this, m_error, text);
    else if (m_dialogs)
        m_dialogs->error(text);
}

// done < 0 reports the end (100 percent).
void TBackupFile::progress(const QString &fileName, qint64 done)
{
    if (!OnProgress)
        return;
    int percent = 100;
    if (done >= 0)
        percent = m_total > 0 ? int(qBound(qint64(0), done * 100 / m_total, qint64(100))) : 0;
    bool goOn = true;
    OnProgress(*this, fileName, percent, goOn);
    if (!goOn && done >= 0)
        m_continue = false;
}

bool TBackupFile::askForDisk(int disk)
{
    bool goOn = true;
    if (OnNeedDisk) {
        OnNeedDisk(*this, static_cast<quint16>(disk), goOn);
    } else if (m_dialogs) {
        const QString text =
            QStringLiteral("Please insert disk %1 and click OK to continue.").arg(static_cast<quint16>(disk));
        goOn = m_dialogs->message(MessageKind::Information, text, MessageButtons::OkCancel) == MessageAnswer::Ok;
    }
    if (!goOn)
        m_continue = false;
    return goOn;
}

void TBackupFile::letEventsRun()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace qm
