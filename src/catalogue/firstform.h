#pragma once

#include "store/query.h"

#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QToolBar;
class QTreeWidgetItem;

namespace qm {

struct AppState;
class CountDetails;
class DataModule;
class DialogService;
class SettingsEntry;
class TableCursor;
class TBackupFile;
class TDBTreeView;
class TDockPanel;
class TDockSite;
class WorkingCopy;

// The main window: the family tree of saved counts with the selected count's
// properties beside it, and every count-level and database command.
// Closing it ends the program.
class TFirstForm : public QMainWindow
{
    Q_OBJECT

public:
    // Runs the editor modally on the count the process-wide state names and
    // returns when it has closed.
    using EditorRunner = std::function<void()>;

    TFirstForm(DataModule &data, SettingsEntry &settings, QWidget *parent = nullptr);
    ~TFirstForm() override;

    void setEditorRunner(EditorRunner runner);
    // Clears the editor's per-count filter and find state before a count is
    // opened or created.
    void setEditorStateReset(std::function<void()> reset) { m_editorReset = std::move(reset); }
    // Runs the import wizard; the id of the count it left in the working
    // tables, nothing when cancelled. "Import..." is offered once it is set.
    void setImportWizard(std::function<std::optional<int>()> wizard);
    // Where the folder chooser opens; the file-system root by default.
    void setChooserStart(const QString &dir) { m_chooserStart = dir; }
    // The capacity of the disk that holds a path; the real disk's unless
    // a test stands in a smaller one.
    void setDiskCapacity(std::function<qint64(const QString &)> capacity) { m_diskCapacity = std::move(capacity); }
    TBackupFile &backupFile() const { return *m_backupFile; }

    // --- Shared routines (also used by the import, backup and restore) ---
    void LoadCountTree();
    void LoadSystemList();
    // Shows the editor with the docking rules around it; false when the
    // user asked to leave the program from the editor (this window closes).
    bool RunEditor();
    void OpenCount();
    void NewCount(const QString &typeCode);
    void ImportCount();
    void DeleteSelectedCount();
    void ChangeDatabaseLocation();
    void CompactDatabase();
    void BackupDatabase();
    void RestoreDatabase();
    // What every activation does; also run when the editor returns.
    void FormActivate();
    void ApplySystemFilter(const QString &system);

    // --- For the program's own wiring and for tests ---
    QAction *action(const QString &caption) const;
    QToolBar *mainToolBar() const { return m_mainBar; }
    QToolBar *hierarchyToolBar() const { return m_hierarchyBar; }
    QComboBox *systemFilter() const { return m_systemFilter; }
    QLabel *progressPanel() const { return m_progress; }
    QLabel *filterPanel() const { return m_filterText; }
    TDBTreeView *countTree() const { return m_tree; }
    TDockPanel *countPanel() const { return m_panel; }
    TDockSite *dockSite() const { return m_site; }
    CountDetails *countDetails() const { return m_details; }
    QString filterSystem() const { return m_filterSystem; }

signals:
    void helpTopicsRequested();
    void aboutRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Construction (firstform.cpp).
    void buildMenus();
    void addMnemonics();
    void buildFileMenu();
    void buildViewMenu();
    void buildDatabaseMenu();
    void buildToolBars();
    void buildStatusBar();
    void buildCountView();
    QAction *addItem(QMenu *menu, const QString &caption);
    QAction *newAction(const QString &caption, const QIcon &icon = {});
    void firstShow();

    // Tree, selection and filter (firstform_tree.cpp).
    void configureTree();
    void onSelectionChanged();
    void updateNavigation();
    void updateDeleteCommand();
    void selectAndScroll(QTreeWidgetItem *node);
    void selectPrevious();
    void selectNext();
    void runHierarchyCommand(const std::function<void()> &command);
    void onSystemChosen(int index);
    TableCursor &cursor() const;
    bool ensureCursorOpen();

    // Panel (firstform.cpp).
    void fitDockedPanel();
    void redockPanel();

    void showProgress(const QString &text);

    // Backup and restore (firstform_backup.cpp).
    bool runArchiveOperation(const QString &caption, const std::function<bool()> &operation);
    void installArchiveHandlers();
    void reopenDatabase();
    QString chooseRestoreFolder();
    void runDefaultEditor();

    DataModule &m_data;
    SettingsEntry &m_settings;
    AppState &m_state;
    DialogService &m_dialogs;
    WorkingCopy &m_workingCopy;

    StoreQuery m_parentSource;
    StoreQuery m_itemSource;
    StoreQuery m_filterSource;
    QString m_filterSystem;

    EditorRunner m_editorRunner;
    std::function<void()> m_editorReset;
    std::function<std::optional<int>()> m_importWizard;
    QString m_chooserStart;
    std::function<qint64(const QString &)> m_diskCapacity;
    std::unique_ptr<TBackupFile> m_backupFile;

    QHash<QString, QAction *> m_actions;
    QToolBar *m_mainBar = nullptr;
    QToolBar *m_hierarchyBar = nullptr;
    QComboBox *m_systemFilter = nullptr;
    TDockSite *m_site = nullptr;
    TDBTreeView *m_tree = nullptr;
    TDockPanel *m_panel = nullptr;
    CountDetails *m_details = nullptr;
    QLabel *m_progress = nullptr;
    QLabel *m_filterText = nullptr;
    bool m_shown = false;
    bool m_handlingSelection = false;
};

} // namespace qm
