#pragma once

#include "store/query.h"
#include "views/dockpanel.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace qm {

class Database;
class DialogService;
class TableCursor;
class TDBListView;
class TDBTreeView;
struct AppState;
struct EditorState;
struct TNodeInfo;

// The "Files" page: the flat list of logical files with its properties
// panel docked at the right edge.
class TFilesPage : public TDockSite
{
    Q_OBJECT

public:
    TFilesPage(Database &db, TableCursor &filesTbl, AppState &app, EditorState &editor, DialogService &messages,
               QWidget *parent = nullptr);

    TDBTreeView *tree() const { return m_tree; }
    TDockPanel *panel() const { return m_panel; }
    TDBListView *linkedTransactions() const { return m_linked; }
    QTabWidget *panelTabs() const { return m_tabs; }
    QWidget *generalTab() const { return m_general; }
    QWidget *complexityTab() const { return m_complexityTab; }
    QWidget *transactionsTab() const { return m_transactionsTab; }
    QWidget *commentsTab() const { return m_commentsTab; }
    QLineEdit *nameEdit() const { return m_name; }
    QPlainTextEdit *memo() const { return m_memo; }
    QLineEdit *retEdit() const { return m_rets; }
    QLineEdit *detEdit() const { return m_dets; }
    QWidget *retUpDown() const { return m_retUpDown; }
    QWidget *detUpDown() const { return m_detUpDown; }
    // The up or down arrow beside the RETs or the DETs.
    QToolButton *arrow(bool rets, bool up) const;
    QLabel *tagText() const { return m_tagText; }
    QLabel *fpText() const { return m_fpText; }
    QLabel *complexityText() const { return m_complexityText; }
    QButtonGroup *typeGroup() const { return m_typeGroup; }
    QGroupBox *typeBox() const { return m_typeBox; }
    QButtonGroup *changeGroup() const { return m_changeGroup; }
    QGroupBox *changeBox() const { return m_changeBox; }
    QButtonGroup *matrixGroup() const { return m_matrixGroup; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    StoreQuery &itemSource() { return m_items; }

    void Reload(int countId, bool filtered);
    // Puts the file cursor on the selected node's row (no row when nothing
    // is selected) and sets the navigation flags.
    void SyncSelection();
    // Change types can be set in any count but a base count; unchanged
    // items are greyed only in an enhancement count.
    void ApplyReadOnly(bool readOnly, const QString &countType);
    void ShowGeneralTab();
    // The docked panel ends half an OK button below that button.
    int DockedPanelHeight() const;
    void Clear();

signals:
    void CommandsChanged();
    void SelectionSynced();

private:
    QWidget *BuildPanel();
    QWidget *BuildGeneralTab();
    QWidget *BuildComplexityTab();
    QWidget *UpDown(const QString &name);
    void ConfigureTree();
    int NodeImage(const TNodeInfo &info) const;

    TableCursor &m_files;
    AppState &m_app;
    EditorState &m_editor;
    StoreQuery m_items;
    TDBTreeView *m_tree = nullptr;
    TDockPanel *m_panel = nullptr;
    QTabWidget *m_tabs = nullptr;
    QWidget *m_general = nullptr;
    QWidget *m_complexityTab = nullptr;
    QWidget *m_transactionsTab = nullptr;
    QWidget *m_commentsTab = nullptr;
    QLineEdit *m_name = nullptr;
    QLabel *m_tagText = nullptr;
    QLabel *m_fpText = nullptr;
    QGroupBox *m_typeBox = nullptr;
    QButtonGroup *m_typeGroup = nullptr;
    QGroupBox *m_changeBox = nullptr;
    QButtonGroup *m_changeGroup = nullptr;
    QLabel *m_complexityText = nullptr;
    QLineEdit *m_rets = nullptr;
    QLineEdit *m_dets = nullptr;
    QWidget *m_retUpDown = nullptr;
    QWidget *m_detUpDown = nullptr;
    QButtonGroup *m_matrixGroup = nullptr;
    TDBListView *m_linked = nullptr;
    QPlainTextEdit *m_memo = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_enhancement = false;
};

} // namespace qm
