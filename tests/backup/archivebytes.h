#pragma once

// Archives put together byte by byte, so tests state exactly what the
// component must write or must survive reading.

#include "backup/archiveformat.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

namespace qm::test {

inline QByteArray le32(qint32 v)
{
    QByteArray out(4, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

inline QByteArray text(const QByteArray &bytes)
{
    return le32(qint32(bytes.size())) + bytes;
}

inline QByteArray header(const QByteArray &title, qint32 total, qint32 files)
{
    return text(title) + le32(total) + le32(files);
}

// An EC2 segment of stored blocks.
inline QByteArray storedSegment(const QByteArray &data)
{
    QByteArray out("EC2\0", 4);
    for (qsizetype at = 0; at < data.size(); at += archive::kBlockSize) {
        const QByteArray part = data.mid(at, archive::kBlockSize);
        out += le32(-qint32(part.size())) + part;
    }
    return out + le32(0);
}

// A compressed block as the count and the stream that follows it.
inline QByteArray compressedBlock(const QByteArray &zlibStream)
{
    return le32(qint32(zlibStream.size())) + zlibStream;
}

inline QByteArray member(const QByteArray &name, const QByteArray &data, qint32 date = 0x306848AF)
{
    return text(name) + le32(date) + storedSegment(data);
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace qm::test
