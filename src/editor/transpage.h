#pragma once

#include "store/query.h"
#include "views/dockpanel.h"

#include <functional>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace qm {

class Database;
class DialogService;
class TableCursor;
class TDBTreeView;
class TSummaryListView;
struct AppState;
struct EditorState;
struct TNodeInfo;

// The "Transactions" page: the transaction hierarchy with its properties
// panel docked at the right edge.
class TTransPage : public TDockSite
{
    Q_OBJECT

public:
    TTransPage(Database &db, TableCursor &transTbl, AppState &app, EditorState &editor, DialogService &messages,
               QWidget *parent = nullptr);

    TDBTreeView *tree() const { return m_tree; }
    TDockPanel *panel() const { return m_panel; }
    TSummaryListView *totalsList() const { return m_totalsList; }
    QTabWidget *panelTabs() const { return m_tabs; }
    QWidget *generalTab() const { return m_general; }
    QWidget *totalsTab() const { return m_totalsTab; }
    QWidget *detailsTab() const { return m_detailsTab; }
    QWidget *commentsTab() const { return m_commentsTab; }
    QLineEdit *nameEdit() const { return m_name; }
    QPlainTextEdit *memo() const { return m_memo; }
    QButtonGroup *typeGroup() const { return m_typeGroup; }
    QGroupBox *typeBox() const { return m_typeBox; }
    QButtonGroup *changeGroup() const { return m_changeGroup; }
    QGroupBox *changeBox() const { return m_changeBox; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    QLabel *tagText() const { return m_tagText; }
    QLabel *fpCaption() const { return m_fpCaption; }
    QLabel *fpText() const { return m_fpText; }
    QGroupBox *complexityBox() const { return m_complexityBox; }
    QLabel *complexityText() const { return m_complexityText; }
    QPushButton *complexityButton() const { return m_complexityButton; }
    // Raw keys, for the debug aids.
    QLineEdit *tagDebugEdit() const { return m_tagDebug; }
    QLineEdit *ownerDebugEdit() const { return m_ownerDebug; }

    // One side of the transaction on the "Details" tab.
    struct SideBox
    {
        QGroupBox *box = nullptr;
        QLineEdit *ftrs = nullptr;
        QLineEdit *dets = nullptr;
        QLabel *complexity = nullptr;
        QTreeWidget *files = nullptr;
    };
    const SideBox &inputBox() const { return m_inputBox; }
    const SideBox &outputBox() const { return m_outputBox; }
    // The record sources of the tree; a filter adds its condition line.
    StoreQuery &parentSource() { return m_parents; }
    StoreQuery &itemSource() { return m_items; }

    // Re-queries the sources for the count and rebuilds the tree, in blue
    // while a filter narrows it.
    void Reload(int countId, bool filtered);
    // Chooses every node's picture again from its record and value.
    void RefreshImages();
    // Puts the transaction cursor on the selected node's row (no row when
    // nothing is selected) and sets the navigation flags.
    void SyncSelection();
    // Change types can be set in any count but a base count; unchanged
    // items are greyed only in an enhancement count.
    void ApplyReadOnly(bool readOnly, const QString &countType);
    void SetDebugFieldsVisible(bool on);
    void ShowGeneralTab();
    // The docked panel ends half an OK button below that button.
    int DockedPanelHeight() const;
    bool TotalsTabActive() const;
    void Clear();

signals:
    // A command flag may have changed.
    void CommandsChanged();
    // The selected transaction changed (after the cursor followed it).
    void SelectionSynced();

private:
    QWidget *BuildPanel();
    QWidget *BuildGeneralTab();
    QWidget *BuildDetailsTab();
    QGroupBox *BuildSideBox(SideBox &side, const QString &title, const QString &prefix);
    void ConfigureTree();
    int NodeImage(const TNodeInfo &info) const;

    TableCursor &m_trans;
    AppState &m_app;
    EditorState &m_editor;
    StoreQuery m_parents;
    StoreQuery m_items;
    TDBTreeView *m_tree = nullptr;
    TDockPanel *m_panel = nullptr;
    QTabWidget *m_tabs = nullptr;
    QWidget *m_general = nullptr;
    QWidget *m_totalsTab = nullptr;
    QWidget *m_detailsTab = nullptr;
    QWidget *m_commentsTab = nullptr;
    QLineEdit *m_name = nullptr;
    QLabel *m_tagText = nullptr;
    QLabel *m_fpCaption = nullptr;
    QLabel *m_fpText = nullptr;
    QGroupBox *m_typeBox = nullptr;
    QButtonGroup *m_typeGroup = nullptr;
    QGroupBox *m_changeBox = nullptr;
    QButtonGroup *m_changeGroup = nullptr;
    QGroupBox *m_complexityBox = nullptr;
    QLabel *m_complexityText = nullptr;
    QPushButton *m_complexityButton = nullptr;
    SideBox m_inputBox;
    SideBox m_outputBox;
    QWidget *m_debugFields = nullptr;
    QLineEdit *m_tagDebug = nullptr;
    QLineEdit *m_ownerDebug = nullptr;
    TSummaryListView *m_totalsList = nullptr;
    QPlainTextEdit *m_memo = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_enhancement = false;
};

} // namespace qm
