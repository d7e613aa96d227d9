#include "backup/databasebackup.h"

#include "backup/backupfile.h"
#include "store/schema.h"

#include <QFileInfo>

namespace qm {

QString BackupTitleFor(const QString &databaseDir, const QDateTime &when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QStringLiteral("DB Location %1 Backup on Quillmarkbackup (Date%2.%3.%4 Time%5:%6:%7)")
        .arg(databaseDir)
        .arg(d.day())
        .arg(d.month())
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second());
}

qint64 BackupVolumeSize(qint64 capacity)
{
    return qBound(qint64(0), capacity - 32384, qint64(INT32_MAX));
}

void ConfigureDatabaseBackup(TBackupFile &component, std::function<bool(const QString &)> isDatabaseFile)
{
    component.setBackupMode(BackupMode::bmAll);
    component.setCompressionLevel(CompressionLevel::clFastest);
    component.setRestoreMode(RestoreMode::rmAll);
    component.setSetArchiveFlag(false);
    component.setRestoreFullPath(false);
    component.setSaveFileID(false);
    component.setMemberCheck([isDatabaseFile = std::move(isDatabaseFile)](const QString &temp, const QString &target) {
        if (QFileInfo(target).fileName().compare(kDatabaseFileName, Qt::CaseInsensitive) != 0)
            return true;
        return isDatabaseFile(temp);
    });
}

} // namespace qm
