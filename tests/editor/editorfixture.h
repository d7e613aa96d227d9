#pragma once

#include "scripteddialogs.h"
#include "testdatabase.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

namespace qm {
class DataModule;
class Database;
class SettingsEntry;
class TMainForm;
class WorkingCopy;
struct AppState;
} // namespace qm

namespace qm::test {

// A database folder, a data module connected to it with scripted dialogs,
// and the editor, as the program has them while a count is edited.
class EditorFixture
{
public:
    EditorFixture();
    ~EditorFixture();

    ScriptedDialogs dialogs;

    Database &db();
    AppState &state();
    WorkingCopy &workingCopy();
    DataModule &dataModule() { return *m_dm; }
    TMainForm &editor() { return *m_editor; }

    // The state the catalogue leaves before opening a saved count.
    void OpenSaved(int id);
    // A brand-new count as the catalogue's new-count commands make it.
    int CreateNew(const QString &type);

    // Shows the editor modally and runs drive inside its event loop once
    // loading has finished (or at once). An editor that drive leaves open
    // is taken down so the test goes on. Returns what the editor returned.
    int Run(const std::function<void()> &drive, bool waitForLoad = true);

    QVariant Scalar(const QString &sql, const QVariantList &values = {});

private:
    TestDatabaseDir m_dir;
    std::unique_ptr<SettingsEntry> m_settings;
    std::unique_ptr<DataModule> m_dm;
    std::unique_ptr<TMainForm> m_editor;
};

} // namespace qm::test
