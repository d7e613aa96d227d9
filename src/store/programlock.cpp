#include "store/programlock.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
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

bool TakeProgramLock(QLockFile &lock)
{
    // A running program may hold the lock for days: only a lock whose owner
    // has died is stale, never one that is merely old.
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return true;
    if (lock.error() != QLockFile::LockFailedError)
        return false;
    qint64 pid = 0;
    QString host, app;
    if (lock.getLockInfo(&pid, &host, &app))
        return false;
    // No owner's name: with the stale time at zero Qt would keep such a
    // file for ever, and the program would never start again. A live owner
    // writes its name straight after creating the file and holds a file
    // lock on it meanwhile, which the removal respects; the age is a
    // further margin.
    constexpr qint64 ownerlessGraceMs = 2000;
    const QFileInfo file(lock.fileName());
    if (file.lastModified().msecsTo(QDateTime::currentDateTime()) < ownerlessGraceMs)
        return false;
    if (!lock.removeStaleLockFile())
        return false;
    return lock.tryLock(0);
}

bool IsProgramRunning(const QString &key)
{
    QLockFile lock(ProgramLockNamesFor(key).lockPath);
    if (TakeProgramLock(lock)) {
        lock.unlock();
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}

} // namespace qm
