// Writes the empty database delivered with the program.
#include "store/apperror.h"
#include "store/schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: qm_mkemptydb <database file>\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    try {
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QString tmp = path + QStringLiteral(".new");
        QFile::remove(tmp);
        qm::CreateEmptyDatabaseFile(tmp);
        QFile::remove(path);
        if (!QFile::rename(tmp, path))
            throw qm::FileError(QStringLiteral("cannot write %1").arg(path));
    } catch (const qm::AppError &e) {
        std::fprintf(stderr, "qm_mkemptydb: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
