#pragma once

#include <QString>
#include <QStringList>

namespace qm {

class DialogService;
class SettingsEntry;

// Finds the database folder at start-up, asking the user where needed, and
// on the very first run moves the delivered empty database to where the
// user wants it (or copies it, from an installation the user may not change).
class DatabaseLocator
{
public:
    DatabaseLocator(DialogService &dialogs, SettingsEntry &settings, const QString &deliveredDir);

    // Where the choosers open; the file-system root by default.
    void setStartDirectory(const QString &dir) { m_start = dir; }
    // Copy the delivered database at the first run instead of moving it. A
    // folder the user may not write to is always copied from.
    void setCopyDelivered(bool copy) { m_copyDelivered = copy; }

    // The database folder, or empty when the user chose none (the message
    // has then been shown and the program must end).
    QString LocateDatabase();
    // A folder that already holds a database, or empty when cancelled.
    QString SelectExistingDatabase();

    // The folder chosen at the first run, known before the files move so a
    // failed move can still be logged there.
    QString chosenDirectory() const { return m_chosen; }

    static bool HoldsDatabase(const QString &dir);
    // The files that make up a database folder, in the order they move.
    static QStringList DatabaseFiles();

private:
    QString FirstRunSetup();
    QString ChooseNewLocation();
    void MoveDeliveredDatabase(const QString &target);
    void CopyDeliveredDatabase(const QString &target);

    DialogService &m_dialogs;
    SettingsEntry &m_settings;
    QString m_delivered;
    QString m_start;
    QString m_chosen;
    bool m_copyDelivered = false;
};

} // namespace qm
