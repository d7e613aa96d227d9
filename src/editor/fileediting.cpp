#include "editor/fileediting.h"

#include "counting/codes.h"
#include "counting/rules.h"
#include "editor/editorstate.h"
#include "editor/linkqueries.h"
#include "store/apperror.h"
#include "store/appstate.h"
#include "store/dialogservice.h"
#include "store/workingcopy.h"
#include "views/dbtreeview.h"

namespace qm {

namespace {

const QString kTag = QStringLiteral("Tag");
const QString kCountId = QStringLiteral("Count_Id");
const QString kType = QStringLiteral("Type");
const QString kChangeType = QStringLiteral("Change_Type");
const QString kRets = QStringLiteral("RET_Count");
const QString kDets = QStringLiteral("DET_Count");

} // namespace

bool ParseCount(const QString &text, int *value)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (const QChar c : t)
        if (!c.isDigit())
            return false;
    bool ok = false;
    const int v = t.toInt(&ok);
    if (ok)
        *value = v;
    return ok;
}

TFilesEditing::TFilesEditing(Database &db, TableCursor &filesTbl, TDBTreeView &tree, AppState &app,
                             EditorState &editor, WorkingCopy &workingCopy, DialogService &messages,
                             TTransEditing &transactions, QObject *parent)
    : QObject(parent),
      m_db(db),
      m_files(filesTbl),
      m_tree(tree),
      m_app(app),
      m_editor(editor),
      m_wc(workingCopy),
      m_messages(messages),
      m_transactions(transactions)
{
    m_files.setBeforePost([this](TableCursor &cursor) { return BeforePost(cursor); });
    connect(&m_files, &TableCursor::afterPost, this, &TFilesEditing::AfterPost);
    connect(&m_files, &TableCursor::afterCancel, this, &TFilesEditing::AfterCancel);
    connect(&m_files, &TableCursor::stateChanged, this, &TFilesEditing::StateChanged);
}

bool TFilesEditing::LocateTag(int tag)
{
    m_files.setFiltered(false);
    return m_files.locate({kTag, kCountId}, {tag, m_app.currentCountId});
}

int TFilesEditing::CurrentCell() const
{
    if (!m_files.isOpen() || (m_files.position() < 0 && !m_files.isEditing()))
        return -1;
    return FileCell(int(m_files.intValue(kRets)), int(m_files.intValue(kDets)));
}

// --- New rows ---

void TFilesEditing::InsertFile()
{
    if (m_editor.readOnly)
        return;
    emit PanelRequested();
    if (m_files.isEditing() && !StoreRow())
        return;
    m_editor.fileEditMode = EditMode::Inserting;
    m_files.insert();
    emit NameFocusRequested(true);
    m_newTag = m_wc.NextFileTag();
    const QString type = m_editor.nextFileType;
    m_files.setValue(kType, type);
    m_files.setValue(kChangeType, code::ChangeAdded);
    m_files.setValue(kRets, 0);
    m_files.setValue(kDets, 0);
    m_files.setValue(kTag, m_newTag);
    m_files.setValue(kCountId, m_app.currentCountId);
    Recompute();
    emit RowStarted();

    TTreeNode *node = m_tree.AddUncommittedNode(QString::number(m_newTag), QString(), type);
    if (!node) {
        m_files.cancel();
        return;
    }
    m_editor.hasPrevFile = m_tree.itemAbove(node) != nullptr;
    m_editor.hasNextFile = m_tree.itemBelow(node) != nullptr;
    emit CommandsChanged();
}

// --- Storing ---

bool TFilesEditing::StoreRow()
{
    if (!m_files.isEditing())
        return true;
    try {
        if (!m_files.post())
            return false;
    } catch (const StoreError &e) {
        m_messages.error(e.message());
        m_files.cancel();
        return false;
    }
    emit CommandsChanged();
    return true;
}

void TFilesEditing::CancelRow()
{
    m_files.cancel();
    emit CommandsChanged();
}

LeaveResult TFilesEditing::LeaveRow(const QTreeWidgetItem *target)
{
    const CursorState state = m_files.state();
    const bool pending = state == CursorState::Edit
                         || (state == CursorState::Insert && (!target || target != m_tree.UncommittedNode()));
    if (!pending)
        return LeaveResult::NothingPending;
    return StoreRow() ? LeaveResult::Stored : LeaveResult::Refused;
}

bool TFilesEditing::BeforePost(TableCursor &cursor)
{
    if (cursor.text(QStringLiteral("Description")).trimmed().isEmpty()) {
        emit PanelRequested();
        m_messages.error(text::FileNameRequired);
        emit NameFocusRequested(false);
        return false;
    }
    // Asked at every store of a row marked deleted, so a file whose links
    // are already gone passes without a question.
    if (m_editor.fileEditMode == EditMode::Editing && cursor.text(kChangeType) == code::ChangeDeleted) {
        const int tag = int(cursor.intValue(kTag));
        if (FileHasLinks(m_db, m_app.currentCountId, tag)) {
            if (m_messages.message(MessageKind::Warning, text::MarkLinkedFileDeleted, MessageButtons::OkCancel)
                != MessageAnswer::Ok)
                return false;
            if (!m_transactions.UnlinkFile(tag))
                return false;
        }
    }
    return true;
}

void TFilesEditing::AfterPost()
{
    ++m_app.changeCount;
    m_editor.nextFileType = code::FileInternal;
    const EditMode mode = m_editor.fileEditMode;
    if (mode == EditMode::Inserting) {
        if (LocateTag(m_newTag)) {
            m_editor.nextFileType = m_files.text(kType).trimmed();
            m_tree.RefreshNodeFromUpdateSource();
        }
    } else if (mode == EditMode::Editing) {
        m_tree.RefreshNodeFromUpdateSource();
    }
    m_editor.fileEditMode = EditMode::Browsing;
    // A stored name may have moved the node among its neighbours.
    emit SyncRequested();
}

void TFilesEditing::AfterCancel()
{
    if (m_editor.fileEditMode == EditMode::Inserting)
        m_tree.DiscardUncommittedNode();
    else if (m_editor.fileEditMode == EditMode::Editing)
        m_tree.RefreshNodeFromUpdateSource();
    m_editor.fileEditMode = EditMode::Browsing;
    emit SyncRequested();
}

void TFilesEditing::StateChanged(CursorState state)
{
    const bool editing = state == CursorState::Edit || state == CursorState::Insert;
    if (state == CursorState::Edit && m_editor.fileEditMode == EditMode::Browsing)
        m_editor.fileEditMode = EditMode::Editing;
    const bool allowed = !editing && !m_editor.readOnly;
    m_editor.canInsertFile = allowed;
    m_editor.canDeleteFile = allowed;
    emit CommandsChanged();
}

// --- Complexity ---

void TFilesEditing::Recompute()
{
    if (!m_files.isEditing())
        return;
    const int complexity = CellComplexity(CurrentCell());
    m_files.setValue(QStringLiteral("FP_Val"), double(FileWeight(complexity, m_files.text(kType).trimmed())));
    m_files.setValue(QStringLiteral("Complexity"), ComplexityCode(complexity));
    if (m_files.text(kChangeType) == code::ChangeNone)
        m_files.setValue(kChangeType, code::ChangeModified);
}

void TFilesEditing::TypeChosen(int index)
{
    const QString type = index == 0 ? code::FileInternal : code::FileExternal;
    if (!m_files.isEditing() && m_files.text(kType).trimmed() != type)
        EnsureEditing();
    if (m_files.isEditing()) {
        if (TTreeNode *node = m_tree.SelectedNode()) {
            m_tree.SetNodeImage(node, index);
            m_tree.RepaintNode(node);
        }
        if (m_files.text(kChangeType) == code::ChangeNone)
            m_files.setValue(kChangeType, code::ChangeModified);
        m_files.setValue(kType, type);
    }
    Recompute();
}

bool TFilesEditing::EnsureEditing()
{
    if (m_files.isEditing())
        return true;
    if (m_editor.readOnly || !m_files.isOpen() || m_files.isReadOnly() || m_files.position() < 0)
        return false;
    m_files.edit();
    return true;
}

void TFilesEditing::StepRets(int delta)
{
    StepCount(kRets, delta);
}

void TFilesEditing::StepDets(int delta)
{
    StepCount(kDets, delta);
}

void TFilesEditing::StepCount(const QString &field, int delta)
{
    if (!m_files.isOpen() || (m_files.position() < 0 && !m_files.isEditing()))
        return;
    const qint64 now = m_files.intValue(field);
    if ((delta < 0 && now <= 0) || (delta > 0 && now >= MaxCount))
        return;
    if (!EnsureEditing())
        return;
    m_files.setValue(field, now + delta);
    Recompute();
}

void TFilesEditing::RetsTyped(const QString &text)
{
    TypedCount(kRets, text);
}

void TFilesEditing::DetsTyped(const QString &text)
{
    TypedCount(kDets, text);
}

void TFilesEditing::TypedCount(const QString &field, const QString &text)
{
    int value = 0;
    if (!ParseCount(text, &value) || !m_files.isOpen() || m_files.intValue(field) == value)
        return;
    if (!EnsureEditing())
        return;
    m_files.setValue(field, value);
    Recompute();
}

// --- Deleting ---

void TFilesEditing::DeleteFile()
{
    if (m_editor.readOnly)
        return;
    if (m_files.state() == CursorState::Insert) {
        CancelRow();
        return;
    }
    m_files.cancel();
    const TTreeNode *node = m_tree.SelectedNode();
    if (!node)
        return;
    const int tag = node->info.key.toInt();
    if (FileHasLinks(m_db, m_app.currentCountId, tag)
        && m_messages.message(MessageKind::Warning, text::DeleteLinkedFile, MessageButtons::OkCancel)
               != MessageAnswer::Ok)
        return;
    if (!m_transactions.UnlinkFile(tag))
        return;
    if (!LocateTag(tag))
        return;
    m_tree.DeleteSelectedNode();
    if (m_tree.topLevelItemCount() == 0)
        m_files.setFiltered(true); // the panel shows no row
    ++m_app.changeCount;
    emit CommandsChanged();
}

} // namespace qm
