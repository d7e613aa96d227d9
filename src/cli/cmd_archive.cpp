// Backup and restore of the database folder with the archive component,
// set up as the catalogue's commands set it up.

#include "backup/archiveformat.h"
#include "backup/backupfile.h"
#include "backup/databasebackup.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/session.h"
#include "store/apperror.h"
#include "store/databasecheck.h"
#include "store/programlock.h"
#include "store/schema.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <cstdio>
#include <unistd.h>

namespace qm::cli {

namespace {

// Progress on a terminal only: a script's log gets the result, not the
// percentages.
void ShowProgress(TBackupFile &component, const QString &verb)
{
    if (!isatty(STDERR_FILENO))
        return;
    component.OnProgress = [verb](TBackupFile &, const QString &fileName, int percent, bool &) {
        std::fprintf(stderr, "\r%s %s %3d%%", qPrintable(verb), qPrintable(QFileInfo(fileName).fileName()), percent);
        if (percent >= 100)
            std::fprintf(stderr, "\n");
    };
}

// A volume holds at least one whole block and its framing.
constexpr qint64 kSmallestVolume = archive::kVolumeReserve + 5;

struct ComponentError
{
    int code = 0;
    QString text;
};

void CatchErrors(TBackupFile &component, ComponentError &error)
{
    component.OnError = [&error](TBackupFile &, int code, const QString &text) {
        error.code = code;
        error.text = text;
    };
    // Every further volume is the next numbered file: nobody swaps disks.
    component.OnNeedDisk = [](TBackupFile &, quint16, bool &goOn) { goOn = true; };
}

// The folder's files but the journals SQLite keeps beside an open database:
// a journal restored beside a database would be played back into it.
QStringList DatabaseFiles(const QString &folder)
{
    QStringList specs;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (name.endsWith(QLatin1String("-journal"), Qt::CaseInsensitive)
            || name.endsWith(QLatin1String("-wal"), Qt::CaseInsensitive)
            || name.endsWith(QLatin1String("-shm"), Qt::CaseInsensitive))
            continue;
        specs << dir.filePath(name);
    }
    return specs;
}

} // namespace

int RunBackup(const QString &db, const QStringList &words)
{
    const Args args(QStringLiteral("backup"), words, {{}, {QStringLiteral("--max-size")}, 1, 1});
    const QString archive = QFileInfo(args.positional().first()).absoluteFilePath();
    const QString folder = DatabaseFolder(db);
    if (QFileInfo(archive).absolutePath() == folder)
        throw CliError{ExitRefused, QStringLiteral("The archive cannot be written into the database folder itself.")};
    const qint64 capacity = QStorageInfo(QFileInfo(archive).absolutePath()).bytesTotal();
    const qint64 maxSize =
        args.number(QStringLiteral("--max-size"), BackupVolumeSize(capacity), kSmallestVolume, qint64(INT32_MAX));

    Session session(folder);
    TBackupFile component;
    ConfigureDatabaseBackup(component, IsQuillmarkDatabaseFile);
    component.setBackupTitle(BackupTitleFor(folder, QDateTime::currentDateTime()));
    component.setMaxSize(maxSize);
    ComponentError error;
    CatchErrors(component, error);
    ShowProgress(component, QStringLiteral("Backing up"));
    bool done = false;
    try {
        // A read transaction keeps the program from committing a save while
        // the file is read, so the archive holds one consistent database.
        Transaction hold(session.db());
        session.db().scalar(QStringLiteral("SELECT COUNT(*) FROM CCounts"));
        done = component.Backup(DatabaseFiles(folder), archive);
    } catch (const AppError &e) {
        ThrowStoreFailure(QStringLiteral("The backup could not read the database"), e.message());
    }
    if (!done)
        throw CliError{ExitFailure, QStringLiteral("The backup failed (error %1): %2").arg(error.code).arg(error.text)};
    std::fprintf(stderr, "Backed up %d file(s) into %s\n", component.fileCount(), qPrintable(archive));
    return ExitOk;
}

int RunRestore(const QString &db, const QStringList &words)
{
    const Args args(QStringLiteral("restore"), words, {{}, {QStringLiteral("--into")}, 1, 1});
    const QString archive = args.positional().first();
    if (!QFileInfo(archive).isFile())
        throw CliError{ExitFailure, QStringLiteral("The archive %1 does not exist.").arg(archive)};

    QString folder;
    if (args.has(QStringLiteral("--into"))) {
        folder = QDir(args.value(QStringLiteral("--into"))).absolutePath();
        if (QFileInfo::exists(QDir(folder).filePath(kDatabaseFileName)))
            throw CliError{ExitRefused, QStringLiteral("Invalid Directory - Already contains a Quillmark Database")};
        if (!QDir().mkpath(folder))
            throw CliError{ExitFailure, QStringLiteral("Could not create the directory ") + folder};
    } else {
        folder = DatabaseFolder(db);
        // The program keeps its database open: replacing the file under it
        // would lose what it writes next and confuse what it shows.
        if (IsProgramRunning())
            throw CliError{ExitRefused, QStringLiteral("Quillmark is running. Close it before restoring over its "
                                                       "database, or restore into a new folder with --into DIR.")};
    }

    TBackupFile component;
    ConfigureDatabaseBackup(component, IsQuillmarkDatabaseFile);
    ComponentError error;
    CatchErrors(component, error);
    QString title;
    try {
        title = component.ReadArchiveInfo(archive, nullptr);
    } catch (const AppError &) {
        title.clear();
    }
    if (title.isEmpty() || component.lastError() != 0)
        throw CliError{ExitRefused, QStringLiteral("Invalid Backup File - Restore Cancelled")};
    std::fprintf(stderr, "%s\n", qPrintable(title));
    ShowProgress(component, QStringLiteral("Restoring"));
    bool done = false;
    try {
        done = component.Restore(archive, folder + QLatin1Char('/'));
    } catch (const AppError &e) {
        throw CliError{ExitFailure, QStringLiteral("The restore failed: ") + e.message()};
    }
    if (!done)
        throw CliError{ExitFailure, QStringLiteral("The restore failed (error %1): %2").arg(error.code).arg(error.text)};
    if (!QFileInfo::exists(QDir(folder).filePath(kDatabaseFileName)))
        throw CliError{ExitRefused, QStringLiteral("The archive holds no Quillmark database.")};
    std::fprintf(stderr, "Restore Successful: %s\n", qPrintable(folder));
    return ExitOk;
}

} // namespace qm::cli
