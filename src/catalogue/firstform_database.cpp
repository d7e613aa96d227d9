// Database-wide commands: switching to a database in another folder and
// compacting the saved tables.

#include "catalogue/firstform.h"

#include "store/appstate.h"
#include "store/cursor.h"
#include "store/datamodule.h"
#include "store/dialogservice.h"
#include "store/location.h"
#include "store/maintenance.h"
#include "views/cursorguard.h"

namespace qm {

void TFirstForm::ChangeDatabaseLocation()
{
    const QString question = QStringLiteral("The Current Database Location is :\n") + m_state.databaseDir
                             + QStringLiteral("\nSelect a different database ?");
    if (m_dialogs.message(MessageKind::Warning, question, MessageButtons::OkCancel) != MessageAnswer::Ok)
        return;
    DatabaseLocator locator(m_dialogs, m_settings, QString());
    if (!m_chooserStart.isEmpty())
        locator.setStartDirectory(m_chooserStart);
    const QString chosen = locator.SelectExistingDatabase();
    if (chosen.isEmpty())
        return;
    {
        WaitCursor wait;
        // Reconnecting closes every cursor of the old database.
        m_data.ConnectDatabase(chosen);
        m_data.openCatalogueCursor();
        m_state.currentCountId = 0;
        LoadCountTree();
    }
    // The other database has other systems.
    LoadSystemList();
}

void TFirstForm::CompactDatabase()
{
    if (m_dialogs.message(MessageKind::Warning,
                          QStringLiteral("This will optimize the database by releasing free space. "
                                         "It may take some time. Proceed ?"),
                          MessageButtons::OkCancel)
        != MessageAnswer::Ok)
        return;
    WaitCursor wait;
    // Each table is compacted with exclusive use, which the catalogue's own
    // cursor would deny.
    cursor().close();
    CompactPermanentTables(m_data.database(), [this](const QString &text) { showProgress(text); });
    m_data.openCatalogueCursor();
    LoadCountTree();
}

} // namespace qm
