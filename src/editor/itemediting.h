#pragma once

#include "store/cursor.h"

#include <QObject>
#include <QString>

class QTreeWidgetItem;

namespace qm {

class Database;
class DialogService;
class TDBTreeView;
class WorkingCopy;
class TTreeNode;
struct AppState;
struct EditorState;
enum class EditMode;

// What became of a pending edit when the selection was about to move.
enum class LeaveResult { NothingPending, Stored, Refused };

// What the editing of transactions and of files have in common: a row on
// the editor's cursor shown as a node of a tree, stored or dropped through
// the panel's "OK" and "Cancel", the edit mode following the cursor.
class TItemEditing : public QObject
{
    Q_OBJECT

public:
    // The panel's "OK" and "Cancel". Storing returns false when refused.
    bool StoreRow();
    void CancelRow();
    // Runs before the tree's selection moves to target (null when not known
    // yet, as with a key press): a pending edit is checked and stored.
    LeaveResult LeaveRow(const QTreeWidgetItem *target);

signals:
    // The properties panel is to be shown if hidden.
    void PanelRequested();
    // The name edit is to take the focus; for a new row the "General" tab
    // comes to the front first.
    void NameFocusRequested(bool newRow);
    // A new row was started, or the type changed: the panel adapts.
    void RowStarted();
    // The cursor is to follow the tree's selection again.
    void SyncRequested();
    void CommandsChanged();

protected:
    // mode is the editor's edit mode for this cursor's rows.
    TItemEditing(Database &db, TableCursor &cursor, TDBTreeView &tree, AppState &app, EditorState &editor,
                 EditMode &mode, WorkingCopy &workingCopy, DialogService &messages, QObject *parent);

    virtual bool BeforePost(TableCursor &cursor) = 0;
    virtual void AfterPost() = 0;
    // Inserting and deleting are allowed only while no row is edited.
    virtual void AllowCommands(bool allowed) = 0;

    // False, after asking for one, when the row has no name.
    bool NameGiven(TableCursor &cursor, const QString &missing);
    // The type chosen for the row being edited, with the node's picture;
    // an unchanged row becomes modified.
    void SetEditedType(int image, const QString &type);
    bool LocateTag(int tag);
    // The node a delete is to take: null, with nothing more to do, when
    // the count is read-only, nothing is selected, or the row was new (it
    // is abandoned). Edits of a row about to go are dropped.
    TTreeNode *NodeToDelete();

    Database &m_db;
    TableCursor &m_cursor;
    TDBTreeView &m_tree;
    AppState &m_app;
    EditorState &m_editor;
    EditMode &m_mode;
    WorkingCopy &m_wc;
    DialogService &m_messages;
    int m_newTag = 0;

private:
    void AfterCancel();
    void StateChanged(CursorState state);
};

} // namespace qm
