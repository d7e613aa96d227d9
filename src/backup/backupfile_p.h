#pragma once

// The open archive while an operation runs: the current volume, its
// position, and the buffers of one block.

#include "backup/archiveformat.h"
#include "backup/backupfile.h"
#include "backup/lzrw1kh.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <array>
#include <memory>

namespace qm {

struct TBackupFile::Writer
{
    Writer(const QString &archive, QIODevice *stream, int level);
    ~Writer();

    // Volume 1 and each later one; a file volume appears under its name only
    // once it is complete.
    bool openVolume(const QString &fileName);
    bool closeVolume();
    bool writeInt(qint32 value);
    bool writeBytes(const char *data, qint64 size);
    bool writeBytes(const QByteArray &bytes) { return writeBytes(bytes.constData(), bytes.size()); }
    bool writeName(const QByteArray &name) { return writeInt(qint32(name.size())) && writeBytes(name); }

    QString archiveName;
    QIODevice *stream = nullptr;
    std::unique_ptr<QSaveFile> file;
    QIODevice *device = nullptr;
    qint64 position = 0; // within the current volume
    int volume = 1;
    archive::BlockDeflater deflater;
    QByteArray input;
    QByteArray output;
};

struct TBackupFile::Reader
{
    Reader(const QString &archive, QIODevice *stream);
    ~Reader();

    bool openVolume(const QString &fileName);
    bool readInt(qint32 &value);
    // Refuses a length larger than what is left of the archive.
    bool readBytes(qint64 size, QByteArray &out);
    bool skipBytes(qint64 size);
    // What is left of the current volume, or -1 when the device cannot say.
    qint64 remaining() const;
    void discardPending();

    QString archiveName;
    QIODevice *stream = nullptr;
    std::unique_ptr<QFile> file;
    QIODevice *device = nullptr;
    archive::BlockInflater inflater;
    QByteArray block;
    QByteArray decoded;
    std::array<quint8, kLzrwMaxBlock> lzrw{};

    // The member being written, kept across a volume change; it replaces
    // its target only once complete.
    std::unique_ptr<QTemporaryFile> pending;
    QString pendingTarget;
    QDateTime pendingDate;
    QString currentName;
};

// A text of the archive as the program's own string: UTF-8 when it is
// valid, else single-byte.
QString ArchiveText(const QByteArray &bytes);

} // namespace qm
