#include "store/location.h"

#include "store/apperror.h"
#include "store/dialogservice.h"
#include "store/schema.h"
#include "store/settingsentry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qm {

namespace {

QString withoutTrailingSeparator(QString dir)
{
    while (dir.size() > 1 && (dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\'))))
        dir.chop(1);
    return dir;
}

} // namespace

DatabaseLocator::DatabaseLocator(DialogService &dialogs, SettingsEntry &settings, const QString &deliveredDir)
    : m_dialogs(dialogs), m_settings(settings), m_delivered(deliveredDir), m_start(QDir::rootPath())
{
}

bool DatabaseLocator::HoldsDatabase(const QString &dir)
{
    return !dir.isEmpty() && QFileInfo(QDir(dir).filePath(kDatabaseFileName)).isFile();
}

QStringList DatabaseLocator::DatabaseFiles()
{
    return {kDatabaseFileName};
}

QString DatabaseLocator::LocateDatabase()
{
    const QString stored = m_settings.readDirectory().trimmed();
    QString result;
    if (stored != SettingsEntry::kMissing) {
        const QString dir = withoutTrailingSeparator(stored);
        if (QFileInfo(dir).isDir() && HoldsDatabase(dir)) {
            result = dir;
        } else if (QFileInfo(dir).isDir()) {
            m_dialogs.error(QStringLiteral("Database not Found in ") + dir
                            + QStringLiteral(" - Please select new Database Location"));
            result = SelectExistingDatabase();
        } else {
            m_dialogs.error(QStringLiteral("Database Directory ") + dir
                            + QStringLiteral("Not Found - Please select new Database Location"));
            result = SelectExistingDatabase();
        }
    } else if (QFileInfo(m_delivered).isDir()) {
        result = FirstRunSetup();
    } else {
        m_dialogs.error(QStringLiteral("No Database Found - Please select Database Location"));
        result = SelectExistingDatabase();
    }
    if (result.isEmpty())
        m_dialogs.error(QStringLiteral("No Database Selected - Closing Quillmark"));
    return result;
}

QString DatabaseLocator::SelectExistingDatabase()
{
    QString start = m_start;
    for (;;) {
        const QString chosen = withoutTrailingSeparator(m_dialogs.chooseDirectory(start, DirectoryMode::ExistingOnly));
        if (chosen.isEmpty())
            return {};
        if (HoldsDatabase(chosen))
            return chosen;
        m_dialogs.error(QStringLiteral("Invalid Directory - Quillmark Database not found in ") + chosen);
        start = chosen;
    }
}

QString DatabaseLocator::FirstRunSetup()
{
    m_dialogs.information(QStringLiteral("First Time User - Please Select Location for Quillmark Database"));
    const QString target = ChooseNewLocation();
    if (target.isEmpty())
        return {};
    m_chosen = target;
    // Remembered before the move, so a move that fails part way is looked
    // for in the new place at the next start.
    m_settings.writeDirectory(target);
    if (m_copyDelivered || !QFileInfo(m_delivered).isWritable())
        CopyDeliveredDatabase(target);
    else
        MoveDeliveredDatabase(target);
    return target;
}

// Cancelling ends the set-up: the database is never moved to a place the
// user did not choose.
QString DatabaseLocator::ChooseNewLocation()
{
    QString start = m_start;
    for (;;) {
        const QString chosen = withoutTrailingSeparator(m_dialogs.chooseDirectory(start, DirectoryMode::AllowNew));
        if (chosen.isEmpty())
            return {};
        start = chosen;
        if (!QFileInfo(chosen).exists()) {
            const auto answer = m_dialogs.message(
                MessageKind::Confirmation,
                QStringLiteral("The directory ") + chosen + QStringLiteral(" does not exist.\nDo you want to create it?"),
                MessageButtons::YesNo);
            if (answer != MessageAnswer::Yes)
                continue;
            if (!QDir().mkpath(chosen)) {
                m_dialogs.error(QStringLiteral("Could not create the directory ") + chosen);
                continue;
            }
        } else if (!QFileInfo(chosen).isDir()) {
            m_dialogs.error(QStringLiteral("Invalid Directory - ") + chosen + QStringLiteral(" is not a directory"));
            continue;
        }
        if (HoldsDatabase(chosen)) {
            m_dialogs.error(QStringLiteral("Invalid Directory - Already contains a Quillmark Database"));
            continue;
        }
        return chosen;
    }
}

void DatabaseLocator::MoveDeliveredDatabase(const QString &target)
{
    QStringList files = DatabaseFiles();
    // A journal left by an interrupted write belongs with its database.
    files << kDatabaseFileName + QStringLiteral("-journal");
    for (const QString &name : files) {
        const QString from = QDir(m_delivered).filePath(name);
        if (name != kDatabaseFileName && !QFileInfo::exists(from))
            continue;
        QFile file(from);
        if (!file.rename(QDir(target).filePath(name)))
            throw FileError(QStringLiteral("Cannot move %1 to %2: %3").arg(from, target, file.errorString()));
    }
}

void DatabaseLocator::CopyDeliveredDatabase(const QString &target)
{
    for (const QString &name : DatabaseFiles()) {
        const QString from = QDir(m_delivered).filePath(name);
        const QString to = QDir(target).filePath(name);
        if (name != kDatabaseFileName && !QFileInfo::exists(from))
            continue;
        QFile file(from);
        if (!file.copy(to))
            throw FileError(QStringLiteral("Cannot copy %1 to %2: %3").arg(from, target, file.errorString()));
        // An installed file may be read-only; the user's copy must not be.
        QFile copy(to);
        copy.setPermissions(copy.permissions() | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}

} // namespace qm
