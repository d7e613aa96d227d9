#pragma once

#include "editor/linkqueries.h"
#include "store/cursor.h"

#include <QObject>
#include <QString>

class QTreeWidgetItem;

namespace qm {

class Database;
class DialogService;
class TDBTreeView;
class WorkingCopy;
struct AppState;
struct EditorState;

// What became of a pending edit when the selection was about to move.
enum class LeaveResult { NothingPending, Stored, Refused };

namespace text {
inline const QString TransNameRequired = QStringLiteral("You must enter a transaction name");
inline const QString GroupHasChildren = QStringLiteral("Change Invalid - Group Has Children ");
inline const QString DeleteChildrenFirst = QStringLiteral("Delete Children First");
inline const QString HiddenChildren = QStringLiteral("Cannot Delete - Selected Item has Children");
inline const QString RowNotFound = QStringLiteral("Error Row not Found");
inline const QString TransAddFailed = QStringLiteral("Fatal error on transaction add");
} // namespace text

// The editing of the transaction hierarchy on the editor's cursor and tree:
// new rows and their owners and defaults, the checks and clean-up before a
// row is stored, what follows a store or a cancel, deletes, type changes,
// and the links that go when a type no longer has their side. What it needs
// from the panel it asks for through its signals.
class TTransEditing : public QObject
{
    Q_OBJECT

public:
    TTransEditing(Database &db, TableCursor &transTbl, TDBTreeView &tree, AppState &app, EditorState &editor,
                  WorkingCopy &workingCopy, DialogService &messages, QObject *parent = nullptr);

    // The editor's own cursor on FilesLink, read again after links change.
    void setLinkCursor(TableCursor *filesLinkTbl) { m_links = filesLinkTbl; }

    void InsertTransaction();
    void InsertChildTransaction();
    void DeleteTransaction();
    // The panel's "OK" and "Cancel". Storing returns false when refused.
    bool StoreRow();
    void CancelRow();
    // The type group was clicked: 0 input, 1 output, 2 inquiry, 3 group.
    void TypeChosen(int index);
    // Complexity and value from the counts; writes only while editing.
    void Recompute();
    // Runs before the tree's selection moves to target (null when not known
    // yet, as with a key press): a pending edit is checked and stored.
    LeaveResult LeaveRow(const QTreeWidgetItem *target);
    // Removes every link of a file and recomputes each transaction it was
    // linked to. False, with nothing changed, when a transaction edit in
    // progress could not be stored first.
    bool UnlinkFile(int fileTag);

    static QString TypeOfIndex(int index);
    static int IndexOfType(const QString &type);

signals:
    // The properties panel is to be shown if hidden.
    void PanelRequested();
    // The name edit is to take the focus; for a new row the "General" tab
    // comes to the front first.
    void NameFocusRequested(bool newRow);
    // A new row was started, or the type changed: the panel adapts.
    void RowStarted();
    void TypeChanged();
    // The cursor is to follow the tree's selection again.
    void SyncRequested();
    void CommandsChanged();
    // The selected node is about to be deleted.
    void NodeDeleting(QTreeWidgetItem *node);

private:
    void Insert(bool child);
    void StartNewRow(int owner);
    bool BeforePost(TableCursor &cursor);
    void Normalise(const QString &type);
    void AfterPost();
    void AfterCancel();
    void StateChanged(CursorState state);
    void BeforeDelete(const QString &key, bool &allow);
    QString StoredTypeOfNode(int tag) const;
    void DeleteLinksNotFitting(int tag, const QString &oldType, const QString &newType);
    bool LocateTag(int tag);
    void Recount(const QList<FileLinkRef> &links);

    Database &m_db;
    TableCursor &m_trans;
    TDBTreeView &m_tree;
    AppState &m_app;
    EditorState &m_editor;
    WorkingCopy &m_wc;
    DialogService &m_messages;
    TableCursor *m_links = nullptr;
    int m_newTag = 0;
    bool m_deleteAllowed = false;
};

} // namespace qm
