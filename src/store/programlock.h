#pragma once

#include <QString>

class QLockFile;

namespace qm {

// The identifier the program runs under, and the variable that overrides it
// (so tests can run beside the program).
inline constexpr const char *kProgramKey = "BrenwickQuillmark";
inline constexpr const char *kProgramKeyVariable = "QM_SINGLE_INSTANCE_KEY";

// Where the running program keeps its lock file and listens for a second
// start. An empty key means the override, else kProgramKey; the user name
// is appended so that users on one machine do not meet.
struct ProgramLockNames
{
    QString lockPath;
    QString serverName;
};
ProgramLockNames ProgramLockNamesFor(const QString &key = QString());

// Takes the lock at once or not at all. A lock whose owner has died is
// taken over, and so is one without an owner's name in it, as a process
// killed between creating the file and writing its name leaves behind.
bool TakeProgramLock(QLockFile &lock);

// True while a live program of this user holds the lock.
bool IsProgramRunning(const QString &key = QString());

} // namespace qm
