#include "editor/itemediting.h"

#include "counting/codes.h"
#include "editor/editorstate.h"
#include "store/apperror.h"
#include "store/appstate.h"
#include "store/dialogservice.h"
#include "views/dbtreeview.h"

namespace qm {

TItemEditing::TItemEditing(Database &db, TableCursor &cursor, TDBTreeView &tree, AppState &app, EditorState &editor,
                           EditMode &mode, WorkingCopy &workingCopy, DialogService &messages, QObject *parent)
    : QObject(parent),
      m_db(db),
      m_cursor(cursor),
      m_tree(tree),
      m_app(app),
      m_editor(editor),
      m_mode(mode),
      m_wc(workingCopy),
      m_messages(messages)
{
    m_cursor.setBeforePost([this](TableCursor &c) { return BeforePost(c); });
    connect(&m_cursor, &TableCursor::afterPost, this, [this] { AfterPost(); });
    connect(&m_cursor, &TableCursor::afterCancel, this, &TItemEditing::AfterCancel);
    connect(&m_cursor, &TableCursor::stateChanged, this, &TItemEditing::StateChanged);
}

bool TItemEditing::LocateTag(int tag)
{
    m_cursor.setFiltered(false);
    return m_cursor.locate({QStringLiteral("Tag"), QStringLiteral("Count_Id")}, {tag, m_app.currentCountId});
}

bool TItemEditing::StoreRow()
{
    if (!m_cursor.isEditing())
        return true;
    try {
        if (!m_cursor.post())
            return false;
    } catch (const StoreError &e) {
        // The store refused the row itself: say why and drop the edit.
        m_messages.error(e.message());
        m_cursor.cancel();
        return false;
    }
    emit CommandsChanged();
    return true;
}

void TItemEditing::CancelRow()
{
    m_cursor.cancel();
    emit CommandsChanged();
}

LeaveResult TItemEditing::LeaveRow(const QTreeWidgetItem *target)
{
    const CursorState state = m_cursor.state();
    const bool pending = state == CursorState::Edit
                         || (state == CursorState::Insert && (!target || target != m_tree.UncommittedNode()));
    if (!pending)
        return LeaveResult::NothingPending;
    return StoreRow() ? LeaveResult::Stored : LeaveResult::Refused;
}

bool TItemEditing::NameGiven(TableCursor &cursor, const QString &missing)
{
    if (!cursor.text(QStringLiteral("Description")).trimmed().isEmpty())
        return true;
    emit PanelRequested();
    m_messages.error(missing);
    emit NameFocusRequested(false);
    return false;
}

void TItemEditing::SetEditedType(int image, const QString &type)
{
    if (TTreeNode *node = m_tree.SelectedNode()) {
        m_tree.SetNodeImage(node, image);
        m_tree.RepaintNode(node);
    }
    const QString changeType = QStringLiteral("Change_Type");
    if (m_cursor.text(changeType) == code::ChangeNone)
        m_cursor.setValue(changeType, code::ChangeModified);
    m_cursor.setValue(QStringLiteral("Type"), type);
}

TTreeNode *TItemEditing::NodeToDelete()
{
    if (m_editor.readOnly)
        return nullptr;
    if (m_cursor.state() == CursorState::Insert) {
        CancelRow();
        return nullptr;
    }
    m_cursor.cancel();
    return m_tree.SelectedNode();
}

void TItemEditing::AfterCancel()
{
    if (m_mode == EditMode::Inserting)
        m_tree.DiscardUncommittedNode();
    else if (m_mode == EditMode::Editing)
        m_tree.RefreshNodeFromUpdateSource();
    m_mode = EditMode::Browsing;
    emit SyncRequested();
}

void TItemEditing::StateChanged(CursorState state)
{
    const bool editing = state == CursorState::Edit || state == CursorState::Insert;
    if (state == CursorState::Edit && m_mode == EditMode::Browsing)
        m_mode = EditMode::Editing;
    AllowCommands(!editing && !m_editor.readOnly);
    emit CommandsChanged();
}

} // namespace qm
