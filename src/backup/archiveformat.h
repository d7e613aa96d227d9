#pragma once

// The pieces of the archive layout that writing and reading share: error
// codes, the packed date form, volume names, block compression and where a
// stored member may be written.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>

namespace qm::archive {

enum ErrorCode {
    NoError = 0,
    CannotReadFile = 1,
    OverwriteFailed = 2,
    CannotReadArchive = 3,
    CannotWriteArchive = 4,
    InvalidArchiveType = 5,
    CompressionError = 6,
    CannotCreateFileIdList = 7,
};

QString ErrorText(int code);

// Most file data one block carries, and the room its compressed form gets.
inline constexpr int kBlockSize = 16384;
// The last position at which a new block may start is MaxSize less one
// block and a margin for the segment end and the volume-change record.
inline constexpr qint64 kVolumeReserve = kBlockSize + 100;

inline const QByteArray kMarkerEc2("EC2\0", 4);
inline const QByteArray kMarkerEcs("ECS\0", 4);
inline const QByteArray kFileListName("FILE:LIST");
inline const QByteArray kNextDiskName("NEXT:DISK");

// Local time packed as a DOS date (high 16 bits) and time (low 16 bits);
// times outside 1980 to 2107 are clamped to the nearest end.
qint32 PackDosDateTime(const QDateTime &when);
// An invalid QDateTime when the packed value names no real moment.
QDateTime UnpackDosDateTime(qint32 packed);

// The three digits of a volume number: its last three characters after two
// leading zeros (volume 2 gives "002", volume 1000 gives "000").
QByteArray VolumeDigits(int volume);
// The archive name with its extension replaced by the digits.
QString VolumeFileName(const QString &archive, const QByteArray &digits);
// The volume number named by a "NEXT:DISK" record, or -1 if the record is
// not one.
int VolumeChangeNumber(const QByteArray &name);

// The file that a stored member name goes to, or empty when the member must
// not be written: a file part that is empty, "." or "..", a full path that
// climbs out of the folder, or (with no folder) a name that is not a plain
// absolute path.
QString RestoreTarget(const QString &storedName, const QString &folder, bool fullPath);

// Compresses one block as a complete zlib stream in at most kBlockSize
// bytes. The stream state is reset per block, so every block stands alone.
class BlockDeflater
{
public:
    explicit BlockDeflater(int level);
    ~BlockDeflater();
    BlockDeflater(const BlockDeflater &) = delete;
    BlockDeflater &operator=(const BlockDeflater &) = delete;

    enum Result { Compressed, DoesNotFit, Failed };
    Result deflate(const char *data, int size, QByteArray &out);

private:
    struct State;
    std::unique_ptr<State> d;
};

// Inflates one block that must be exactly one complete zlib stream and
// decode to at most kBlockSize bytes.
class BlockInflater
{
public:
    BlockInflater();
    ~BlockInflater();
    BlockInflater(const BlockInflater &) = delete;
    BlockInflater &operator=(const BlockInflater &) = delete;

    // False when the data is not such a stream.
    bool inflate(const char *data, int size, QByteArray &out);

private:
    struct State;
    std::unique_ptr<State> d;
};

} // namespace qm::archive
