#pragma once

#include "store/query.h"
#include "views/dockpanel.h"

#include <utility>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace qm {

class Database;
class DialogService;
class TableCursor;
class TDBTreeView;
struct AppState;
struct CodeChoice;
struct EditorState;

// What the "Transactions" and "Files" pages have in common: the tree of
// items kept on a cursor, and a properties panel whose "General" tab comes
// first, "Comments" last, with "OK" and "Cancel" below.
class TItemPage : public TDockSite
{
    Q_OBJECT

public:
    TDBTreeView *tree() const { return m_tree; }
    TDockPanel *panel() const { return m_panel; }
    QTabWidget *panelTabs() const { return m_tabs; }
    QWidget *generalTab() const { return m_general; }
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
    StoreQuery &itemSource() { return m_items; }

    // Re-queries the items for the count and rebuilds the tree, in blue
    // while a filter narrows it.
    virtual void Reload(int countId, bool filtered);
    // Puts the cursor on the selected node's row (no row when nothing is
    // selected) and sets the navigation flags.
    void SyncSelection();
    // Change types can be set in any count but a base count; unchanged
    // items are greyed only in an enhancement count.
    virtual void ApplyReadOnly(bool readOnly, const QString &countType);
    void ShowGeneralTab();
    // The docked panel ends half an OK button below that button.
    int DockedPanelHeight() const;

signals:
    // A command flag may have changed.
    void CommandsChanged();
    // The selected item changed (after the cursor followed it).
    void SelectionSynced();

protected:
    // The object names start with plural ("Files") for the page's own
    // parts and with single ("File") for the item's fields; caption
    // ("File") starts the labels.
    TItemPage(Database &db, TableCursor &cursor, AppState &app, EditorState &editor, DialogService &messages,
              const QString &plural, const QString &single, const QString &caption, QWidget *parent);

    // Puts the tabs together and docks the panel. The "General" tab offers
    // the item types and shows generalExtra (if any) below the name; the
    // middle tabs come between it and "Comments".
    void BuildPanel(const QList<CodeChoice> &types, QWidget *generalExtra,
                    const QList<std::pair<QWidget *, QString>> &middleTabs);
    // Once the tree is built, before the first node is selected.
    virtual void TreeLoaded() {}
    // The cursor has followed the selection: found is false when it is on
    // no row; hasPrev and hasNext tell whether there are nodes around it.
    virtual void SelectionFollowed(bool found, int tag, bool hasPrev, bool hasNext) = 0;

    TableCursor &m_cursor;
    AppState &m_app;
    EditorState &m_editor;
    StoreQuery m_items;
    TDBTreeView *m_tree = nullptr;
    TDockPanel *m_panel = nullptr;
    QTabWidget *m_tabs = nullptr;
    QWidget *m_general = nullptr;
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
    QPlainTextEdit *m_memo = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    bool m_enhancement = false;

private:
    QWidget *BuildGeneralTab(const QList<CodeChoice> &types, QWidget *extra);

    QString m_plural;
    QString m_single;
    QString m_caption;
};

} // namespace qm
