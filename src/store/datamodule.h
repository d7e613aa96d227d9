#pragma once

#include "store/appstate.h"
#include "store/database.h"
#include "store/errorlog.h"
#include "store/workingcopy.h"

#include <QString>
#include <functional>
#include <memory>

namespace qm {

class DialogService;
class SettingsEntry;
class TableCursor;

// The first long-lived object: finds and connects the database, owns the
// connection and the process-wide state, and reports fatal errors.
class DataModule
{
public:
    struct Options
    {
        QString deliveredDir;     // the delivered "Databases" folder
        QString chooserStart;     // empty: the file-system root
        std::function<void()> restoreCursor;
        std::function<void(int)> terminate;
        // The delivered folder belongs to an installation: copy from it.
        bool copyDelivered = false;
    };

    DataModule(DialogService &dialogs, SettingsEntry &settings, Options options);
    ~DataModule();

    // Locates and connects the database and opens the catalogue's table.
    // False when the user chose no database: the program must end.
    bool start();

    void ConnectDatabase(const QString &directory);

    AppState &state() { return m_state; }
    Database &database() { return m_db; }
    WorkingCopy &workingCopy() { return m_workingCopy; }
    // The catalogue's cursor on CCounts, with its computed type and status.
    TableCursor &catalogueCursor() { return *m_catalogueCursor; }
    void openCatalogueCursor();
    FatalErrorReporter &errors() { return m_reporter; }
    DialogService &dialogs() { return m_dialogs; }

    // Run at shutdown before the setting is written (closes help windows).
    void setShutdownHook(std::function<void()> hook) { m_shutdownHook = std::move(hook); }

private:
    DialogService &m_dialogs;
    SettingsEntry &m_settings;
    Options m_options;
    AppState m_state;
    Database m_db;
    WorkingCopy m_workingCopy;
    std::unique_ptr<TableCursor> m_catalogueCursor;
    FatalErrorReporter m_reporter;
    std::function<void()> m_shutdownHook;
};

} // namespace qm
