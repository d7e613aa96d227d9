#include "store/programfiles.h"

#include <QDir>
#include <QFileInfo>

namespace qm {

namespace {

QString installedDirectory(const QString &programDir)
{
    return QDir::cleanPath(QDir(programDir).filePath(QStringLiteral("../share/quillmark")));
}

bool holdsDeliveredFiles(const QString &dir)
{
    const QDir d(dir);
    return QFileInfo(d.filePath(QStringLiteral("Databases"))).isDir()
           || QFileInfo::exists(d.filePath(QStringLiteral("QUILLMARK.rcc")));
}

} // namespace

bool IsInstalledLayout(const QString &programDir)
{
    return !holdsDeliveredFiles(programDir) && holdsDeliveredFiles(installedDirectory(programDir));
}

QString DeliveredFilesDirectory(const QString &programDir)
{
    return IsInstalledLayout(programDir) ? installedDirectory(programDir) : QDir::cleanPath(programDir);
}

} // namespace qm
