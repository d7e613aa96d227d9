#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace qm {

class TBackupFile;

// "DB Location <folder> Backup on Quillmarkbackup (Date8.3.2004 Time9:5:30)":
// no leading zeros but in the four-digit year.
QString BackupTitleFor(const QString &databaseDir, const QDateTime &when);

// The volume size for a disk of the given capacity: the capacity less room
// kept free, at most the largest size the archive records.
qint64 BackupVolumeSize(qint64 capacity);

// The archive component as the backup and restore commands use it; a
// restored database file replaces the current one only once
// isDatabaseFile accepts it (it opens with all its tables).
void ConfigureDatabaseBackup(TBackupFile &component, std::function<bool(const QString &)> isDatabaseFile);

} // namespace qm
