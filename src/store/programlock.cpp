#include "store/programlock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace qm {

namespace {

// Unix socket paths are limited to about 108 bytes.
constexpr int MaxSocketPathLength = 100;

QString sanitised(const QString &text)
{
    QString out;
    for (QChar c : text)
        out += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'.' || c == u'-' || c == u'_' ? c : QChar(u'_');
    return out;
}

QString userName()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("USERNAME");
    if (name.isEmpty())
        name = QStringLiteral("user");
    return name;
}

QString lockFolder()
{
    // The runtime folder is private to the user; the temporary folder is
    // the fallback where there is none.
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir().mkpath(dir))
        dir = QDir::tempPath();
    return dir;
}

} // namespace

ProgramLockNames ProgramLockNamesFor(const QString &key)
{
    QString base = key;
    if (base.isEmpty())
        base = qEnvironmentVariable(kProgramKeyVariable);
    if (base.isEmpty())
        base = QString::fromLatin1(kProgramKey);
    base = sanitised(base + u'-' + userName());

    const QDir folder(lockFolder());
    ProgramLockNames names;
    names.lockPath = folder.filePath(base + QStringLiteral(".lock"));
    names.serverName = folder.filePath(base + QStringLiteral(".socket"));
    if (names.serverName.toLocal8Bit().size() > MaxSocketPathLength)
        names.serverName = base; // QLocalServer places a bare name in the temporary folder
    return names;
}

bool IsProgramRunning(const QString &key)
{
    QLockFile lock(ProgramLockNamesFor(key).lockPath);
    // Only a lock whose owner is alive counts; a dead owner's is stale.
    lock.setStaleLockTime(0);
    if (lock.tryLock(0)) {
        lock.unlock();
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}

} // namespace qm
