// Backing the database folder up into an archive and restoring it, over
// the database in use or into a new folder that then becomes its location.

#include "catalogue/firstform.h"

#include "backup/backupfile.h"
#include "backup/databasebackup.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/databasecheck.h"
#include "store/datamodule.h"
#include "store/dialogservice.h"
#include "store/schema.h"
#include "views/cursorguard.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStorageInfo>

namespace qm {

namespace {

const QString kBackupCancelled = QStringLiteral("Backup Cancelled");
const QString kRestoreCancelled = QStringLiteral("Restore Cancelled");

FileDialogRequest archiveDialog(const QString &title)
{
    FileDialogRequest request;
    request.title = title;
    request.filters = {QStringLiteral("Backup files (*.bck *.BCK)"), QStringLiteral("All files (*)")};
    request.defaultSuffix = QStringLiteral("bck");
    request.confirmOverwrite = true;
    return request;
}

qint64 capacityOf(const QString &path)
{
    // The file may not exist yet: ask about the folder that will hold it.
    return QStorageInfo(QFileInfo(path).absolutePath()).bytesTotal();
}

QString restoreQuestion(const QString &title)
{
    return QStringLiteral("Backup File Details are\n") + title + QStringLiteral("\n")
           + QStringLiteral("Do you want to restore into the existing database ?\n\n")
           + QStringLiteral("Select \"Yes\" to restore into the existing database\n")
           + QStringLiteral("Select \"No\" to restore to a new location\n")
           + QStringLiteral("Select \"Cancel\" to cancel restore");
}

} // namespace

// Runs the component with the database closed and a progress dialog whose
// Cancel stops it; the component's questions and errors go to the user.
bool TFirstForm::runArchiveOperation(const QString &caption, const std::function<bool()> &operation)
{
    QProgressDialog progress(this);
    progress.setObjectName(QStringLiteral("BackupProgressDialog"));
    progress.setWindowTitle(caption);
    progress.setWindowModality(Qt::WindowModal);
    progress.setRange(0, 100);
    // Shown at once: it is modal, so nothing reaches the catalogue while
    // its database is closed.
    progress.setMinimumDuration(0);
    progress.setMinimumWidth(420);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    TBackupFile &component = *m_backupFile;
    component.OnProgress = [&progress](TBackupFile &, const QString &fileName, int percent, bool &goOn) {
        if (!fileName.isEmpty())
            progress.setLabelText(QDir::toNativeSeparators(fileName));
        progress.setValue(percent);
        if (progress.wasCanceled())
            goOn = false;
    };
    progress.setValue(0);
    progress.show();
    // The component copies and replaces the database file itself.
    m_data.database().close();
    bool result = false;
    try {
        result = operation();
    } catch (...) {
        component.OnProgress = nullptr;
        throw;
    }
    component.OnProgress = nullptr;
    return result;
}

// The component's disk requests and errors, for every operation.
void TFirstForm::installArchiveHandlers()
{
    TBackupFile &component = *m_backupFile;
    component.OnNeedDisk = [this](TBackupFile &, quint16 disk, bool &goOn) {
        goOn = m_dialogs.message(MessageKind::Information,
                                 QStringLiteral("Please insert disk %1 and click OK to continue").arg(disk),
                                 MessageButtons::OkCancel)
               == MessageAnswer::Ok;
    };
    component.OnError = [this](TBackupFile &, int, const QString &text) {
        m_dialogs.message(MessageKind::Error,
                          QStringLiteral("An Error has occurred - Backup/Restore failed - Error:\n") + text,
                          MessageButtons::Ok);
    };
}

void TFirstForm::reopenDatabase()
{
    m_data.ConnectDatabase(m_state.databaseDir);
    m_data.openCatalogueCursor();
    m_state.currentCountId = 0;
    LoadCountTree();
    LoadSystemList();
}

void TFirstForm::BackupDatabase()
{
    const QString title = BackupTitleFor(m_state.databaseDir, QDateTime::currentDateTime());
    const QString archive = m_dialogs.saveFile(archiveDialog(QStringLiteral("Save Backup File As")));
    if (archive.isEmpty()) {
        m_dialogs.message(MessageKind::Warning, kBackupCancelled, MessageButtons::Ok);
        return;
    }
    TBackupFile &component = *m_backupFile;
    component.setBackupTitle(title);
    const qint64 capacity = m_diskCapacity ? m_diskCapacity(archive) : capacityOf(archive);
    component.setMaxSize(BackupVolumeSize(capacity));
    const QString spec = m_state.databaseDir + QStringLiteral("/*.*");
    WaitCursor wait;
    runArchiveOperation(QStringLiteral("Backup Database"), [&] { return component.Backup({spec}, archive); });
    reopenDatabase();
}

// The new folder the user names, made after asking when it does not exist;
// empty when the restore is not to go on.
QString TFirstForm::chooseRestoreFolder()
{
    const QString start = m_chooserStart.isEmpty() ? QDir::rootPath() : m_chooserStart;
    QString folder = m_dialogs.chooseDirectory(start, DirectoryMode::AllowNew);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    if (folder.isEmpty()) {
        m_dialogs.message(MessageKind::Warning, kRestoreCancelled, MessageButtons::Ok);
        return {};
    }
    if (!QFileInfo(folder).exists()) {
        if (m_dialogs.message(MessageKind::Confirmation,
                              QStringLiteral("The directory ") + folder
                                  + QStringLiteral(" does not exist.\nDo you want to create it?"),
                              MessageButtons::YesNo)
            != MessageAnswer::Yes) {
            m_dialogs.message(MessageKind::Warning, kRestoreCancelled, MessageButtons::Ok);
            return {};
        }
        if (!QDir().mkpath(folder)) {
            m_dialogs.error(QStringLiteral("Could not create the directory ") + folder);
            return {};
        }
    }
    if (QFileInfo::exists(QDir(folder).filePath(kDatabaseFileName))) {
        m_dialogs.error(QStringLiteral("Invalid Directory - Already contains a Quillmark Database"));
        return {};
    }
    return folder;
}

void TFirstForm::RestoreDatabase()
{
    m_dialogs.message(MessageKind::Confirmation,
                      QStringLiteral("Select the location of the backup file you wish to restore from"),
                      MessageButtons::Ok);
    const QString archive = m_dialogs.openFile(archiveDialog(QStringLiteral("Select Backup File")));
    if (archive.isEmpty()) {
        m_dialogs.message(MessageKind::Warning, kRestoreCancelled, MessageButtons::Ok);
        return;
    }
    TBackupFile &component = *m_backupFile;
    const QString title = component.ReadArchiveInfo(archive, nullptr);
    if (title.isEmpty() || component.lastError() != 0) {
        m_dialogs.error(QStringLiteral("Invalid Backup File - Restore Cancelled"));
        return;
    }
    const MessageAnswer where = m_dialogs.message(MessageKind::Confirmation, restoreQuestion(title),
                                                  MessageButtons::YesNoCancel);
    if (where == MessageAnswer::Cancel) {
        m_dialogs.message(MessageKind::Warning, kRestoreCancelled, MessageButtons::Ok);
        return;
    }
    QString folder = m_state.databaseDir;
    if (where == MessageAnswer::Yes) {
        if (m_dialogs.message(MessageKind::Confirmation,
                              QStringLiteral("This will overwrite your existing database\nSelect \"OK\" to "
                                             "Continue\nSelect \"Cancel\" to cancel restore"),
                              MessageButtons::OkCancel)
            != MessageAnswer::Ok) {
            m_dialogs.message(MessageKind::Warning, kRestoreCancelled, MessageButtons::Ok);
            return;
        }
    } else {
        folder = chooseRestoreFolder();
        if (folder.isEmpty())
            return;
    }
    WaitCursor wait;
    const bool restored = runArchiveOperation(QStringLiteral("Restore Database"), [&] {
        return component.Restore(archive, folder + QLatin1Char('/'));
    });
    // A new folder becomes the location once it holds a database; after a
    // restore that failed before writing one, the database in use stays.
    if (folder != m_state.databaseDir && QFileInfo::exists(QDir(folder).filePath(kDatabaseFileName)))
        m_state.databaseDir = folder;
    reopenDatabase();
    if (restored)
        m_dialogs.information(QStringLiteral("Restore Successful"));
}

} // namespace qm
