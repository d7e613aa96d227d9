#include "store/datamodule.h"

#include "store/apperror.h"
#include "store/cursor.h"
#include "store/location.h"
#include "store/schema.h"
#include "store/settingsentry.h"

namespace qm {

DataModule::DataModule(DialogService &dialogs, SettingsEntry &settings, Options options)
    : m_dialogs(dialogs),
      m_settings(settings),
      m_options(std::move(options)),
      m_workingCopy(m_db, m_state),
      m_catalogueCursor(std::make_unique<TableCursor>(m_db)),
      m_reporter(dialogs, FatalErrorReporter::Hooks{[this] { return m_state.databaseDir; },
                                                    m_options.restoreCursor, m_options.terminate})
{
    m_reporter.setDatabase(&m_db);
    m_catalogueCursor->setTable(QStringLiteral("CCounts"), QStringLiteral("Id"));
    AddCountCalcFields(*m_catalogueCursor, CountTypeFlavour::Catalogue);
}

DataModule::~DataModule()
{
    if (m_shutdownHook)
        m_shutdownHook();
    m_catalogueCursor->close();
    m_db.close();
    if (!m_state.databaseDir.isEmpty())
        m_settings.writeDirectory(m_state.databaseDir);
}

bool DataModule::start()
{
    m_state = AppState{};
    DatabaseLocator locator(m_dialogs, m_settings, m_options.deliveredDir);
    if (!m_options.chooserStart.isEmpty())
        locator.setStartDirectory(m_options.chooserStart);
    locator.setCopyDelivered(m_options.copyDelivered);
    QString dir;
    try {
        dir = locator.LocateDatabase();
    } catch (...) {
        // A failed first-run move is logged in the folder the user chose.
        m_state.databaseDir = locator.chosenDirectory();
        throw;
    }
    if (dir.isEmpty())
        return false;
    ConnectDatabase(dir);
    openCatalogueCursor();
    return true;
}

void DataModule::openCatalogueCursor()
{
    m_catalogueCursor->open();
}

void DataModule::ConnectDatabase(const QString &directory)
{
    m_db.close();
    m_state.databaseDir = directory;
    m_db.open(directory);
    try {
        UpdateIndexes(m_db);
    } catch (const StoreError &) {
        // A database that cannot be written to keeps its earlier indexes;
        // they give the same answers, more slowly for large counts.
    }
    m_settings.writeDirectory(directory);
}

} // namespace qm
