#include "backupentries.h"

#include "backup/backupfile.h"
#include "backup/lzrw1kh.h"
#include "store/apperror.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>
#include <vector>

namespace qm::fuzz {

namespace {

// One scratch folder per process; the restore goes into its "into"
// subfolder, so anything beside "into" was written outside.
QTemporaryDir &scratch()
{
    static QTemporaryDir dir;
    return dir;
}

void checkAndClear(const QString &root)
{
    const QStringList outside = QDir(root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                     | QDir::NoDotAndDotDot);
    if (outside != QStringList{QStringLiteral("into")})
        std::abort();
    QDir(root + QStringLiteral("/into")).removeRecursively();
}

} // namespace

int ArchiveOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer stream;
    stream.setData(bytes);
    stream.open(QIODevice::ReadOnly);

    TBackupFile component;
    component.setStream(&stream);
    component.OnError = [](TBackupFile &, int, const QString &) {};
    component.OnNeedDisk = [](TBackupFile &, quint16, bool &) {};
    QStringList ids;
    component.ReadArchiveInfo(TBackupFile::kStreamName, &ids);

    const QString root = scratch().path();
    QDir(root).mkpath(QStringLiteral("into"));
    stream.seek(0);
    component.setRestoreFullPath(size % 2 == 1);
    try {
        component.Restore(TBackupFile::kStreamName, root + QStringLiteral("/into"));
    } catch (const AppError &) {
        // An unreadable header is the caller's to handle.
    }
    if (component.busy())
        std::abort();
    checkAndClear(root);
    return 0;
}

int LzrwOneInput(const uint8_t *data, size_t size)
{
    // Exactly the output a block may fill, so a sanitiser sees any write past it.
    std::vector<quint8> output(kLzrwMaxBlock);
    std::vector<quint8> block(data, data + size);
    const int length = int(std::min<size_t>(size, kLzrwMaxBlock + 1));
    const int n = Decompress(block.data(), length, output.data());
    if (n > kLzrwMaxBlock || n < -1)
        std::abort();
    return 0;
}

} // namespace qm::fuzz
