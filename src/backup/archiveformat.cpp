#include "backup/archiveformat.h"

#include <QDir>
#include <QRegularExpression>

#include <zlib.h>

namespace qm::archive {

QString ErrorText(int code)
{
    switch (code) {
    case CannotReadFile:
        return QStringLiteral("Cannot read file");
    case OverwriteFailed:
        return QStringLiteral("Overwriting file failed");
    case CannotReadArchive:
        return QStringLiteral("Cannot read archive");
    case CannotWriteArchive:
        return QStringLiteral("Cannot write to archive");
    case InvalidArchiveType:
        return QStringLiteral("Invalid archive type");
    case CompressionError:
        return QStringLiteral("Compression error");
    case CannotCreateFileIdList:
        return QStringLiteral("Cannot create temporary file to save the file IDs");
    default:
        return {};
    }
}

// --- Dates ---

qint32 PackDosDateTime(const QDateTime &when)
{
    QDateTime local = when.isValid() ? when.toLocalTime() : QDateTime();
    const QDateTime first(QDate(1980, 1, 1), QTime(0, 0));
    const QDateTime last(QDate(2107, 12, 31), QTime(23, 59, 58));
    if (!local.isValid() || local < first)
        local = first;
    else if (local > last)
        local = last;
    const QDate d = local.date();
    const QTime t = local.time();
    const quint32 date = quint32(d.year() - 1980) << 9 | quint32(d.month()) << 5 | quint32(d.day());
    const quint32 time = quint32(t.hour()) << 11 | quint32(t.minute()) << 5 | quint32(t.second() / 2);
    return static_cast<qint32>(date << 16 | time);
}

QDateTime UnpackDosDateTime(qint32 packed)
{
    const quint32 v = static_cast<quint32>(packed);
    const quint32 date = v >> 16;
    const quint32 time = v & 0xFFFF;
    const QDate d(int(date >> 9) + 1980, int(date >> 5 & 0x0F), int(date & 0x1F));
    const int hour = int(time >> 11);
    const int minute = int(time >> 5 & 0x3F);
    const int second = int(time & 0x1F) * 2;
    if (!d.isValid() || !QTime::isValid(hour, minute, second))
        return {};
    return QDateTime(d, QTime(hour, minute, second));
}

// --- Volumes ---

QByteArray VolumeDigits(int volume)
{
    return (QByteArray("00") + QByteArray::number(volume)).right(3);
}

QString VolumeFileName(const QString &archive, const QByteArray &digits)
{
    const int slash = archive.lastIndexOf(QLatin1Char('/'));
    const int dot = archive.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > slash ? archive.left(dot) : archive;
    return base + QLatin1Char('.') + QString::fromLatin1(digits);
}

int VolumeChangeNumber(const QByteArray &name)
{
    if (name.size() != kNextDiskName.size() + 3 || !name.startsWith(kNextDiskName))
        return -1;
    int number = 0;
    for (int i = kNextDiskName.size(); i < name.size(); ++i) {
        const char c = name.at(i);
        if (c < '0' || c > '9')
            return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

// --- Targets ---

namespace {

bool isBadPart(const QString &part)
{
    return part.isEmpty() || part == QLatin1String(".") || part == QLatin1String("..");
}

// The stored name's folders and file below a root, or empty when any part
// would climb out of it. A drive prefix such as "c:" is dropped.
QStringList confinedParts(QString name)
{
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter())
        name.remove(0, 2);
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    QStringList parts;
    for (const QString &part : name.split(separators, Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return {};
        if (part != QLatin1String("."))
            parts << part;
    }
    return parts;
}

} // namespace

QString RestoreTarget(const QString &storedName, const QString &folder, bool fullPath)
{
    if (storedName.contains(QChar(0)))
        return {};
    const int cut = std::max(storedName.lastIndexOf(QLatin1Char('/')), storedName.lastIndexOf(QLatin1Char('\\')));
    const QString filePart = storedName.mid(cut + 1);
    if (isBadPart(filePart))
        return {};
    if (folder.isEmpty()) {
        // Back to where it came from, which must be a plain absolute path.
        if (!storedName.startsWith(QLatin1Char('/')) || storedName.contains(QLatin1Char('\\')))
            return {};
        const QStringList parts = confinedParts(storedName);
        if (parts.isEmpty() || QLatin1Char('/') + parts.join(QLatin1Char('/')) != storedName)
            return {};
        return storedName;
    }
    QString root = folder;
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    if (!fullPath)
        return root + filePart;
    const QStringList parts = confinedParts(storedName);
    if (parts.isEmpty())
        return {};
    return root + parts.join(QLatin1Char('/'));
}

// --- Compression ---

struct BlockDeflater::State
{
    z_stream stream{};
    bool ready = false;
};

BlockDeflater::BlockDeflater(int level) : d(std::make_unique<State>())
{
    d->ready = deflateInit(&d->stream, level) == Z_OK;
}

BlockDeflater::~BlockDeflater()
{
    if (d->ready)
        deflateEnd(&d->stream);
}

BlockDeflater::Result BlockDeflater::deflate(const char *data, int size, QByteArray &out)
{
    if (!d->ready || deflateReset(&d->stream) != Z_OK)
        return Failed;
    out.resize(kBlockSize);
    d->stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    d->stream.avail_in = static_cast<uInt>(size);
    d->stream.next_out = reinterpret_cast<Bytef *>(out.data());
    d->stream.avail_out = kBlockSize;
    const int rc = ::deflate(&d->stream, Z_FINISH);
    if (rc == Z_STREAM_END) {
        out.resize(kBlockSize - static_cast<int>(d->stream.avail_out));
        return Compressed;
    }
    // The buffer filled before the stream could finish.
    if (rc == Z_OK || rc == Z_BUF_ERROR)
        return DoesNotFit;
    return Failed;
}

struct BlockInflater::State
{
    z_stream stream{};
    bool ready = false;
};

BlockInflater::BlockInflater() : d(std::make_unique<State>())
{
    d->ready = inflateInit(&d->stream) == Z_OK;
}

BlockInflater::~BlockInflater()
{
    if (d->ready)
        inflateEnd(&d->stream);
}

bool BlockInflater::inflate(const char *data, int size, QByteArray &out)
{
    if (!d->ready || size <= 0 || inflateReset(&d->stream) != Z_OK)
        return false;
    out.resize(kBlockSize);
    d->stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    d->stream.avail_in = static_cast<uInt>(size);
    d->stream.next_out = reinterpret_cast<Bytef *>(out.data());
    d->stream.avail_out = kBlockSize;
    // A stream that wants more room than one block is refused, so an
    // archive cannot make a member grow without bound.
    const int rc = ::inflate(&d->stream, Z_FINISH);
    if (rc != Z_STREAM_END || d->stream.avail_in != 0)
        return false;
    out.resize(kBlockSize - static_cast<int>(d->stream.avail_out));
    return true;
}

} // namespace qm::archive
