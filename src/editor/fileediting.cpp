#include "editor/fileediting.h"

#include "counting/codes.h"
#include "counting/rules.h"
#include "editor/editorstate.h"
#include "editor/linkqueries.h"
#include "editor/transediting.h"
#include "store/appstate.h"
#include "store/dialogservice.h"
#include "store/workingcopy.h"
#include "views/dbtreeview.h"
#include "views/inputguards.h"

namespace qm {

namespace {

const QString kTag = QStringLiteral("Tag");
const QString kCountId = QStringLiteral("Count_Id");
const QString kType = QStringLiteral("Type");
const QString kChangeType = QStringLiteral("Change_Type");
const QString kRets = QStringLiteral("RET_Count");
const QString kDets = QStringLiteral("DET_Count");

} // namespace

TFilesEditing::TFilesEditing(Database &db, TableCursor &filesTbl, TDBTreeView &tree, AppState &app,
                             EditorState &editor, WorkingCopy &workingCopy, DialogService &messages,
                             TTransEditing &transactions, QObject *parent)
    : TItemEditing(db, filesTbl, tree, app, editor, editor.fileEditMode, workingCopy, messages, parent),
      m_transactions(transactions)
{
}

int TFilesEditing::CurrentCell() const
{
    if (!m_cursor.isOpen() || (m_cursor.position() < 0 && !m_cursor.isEditing()))
        return -1;
    return FileCell(int(m_cursor.intValue(kRets)), int(m_cursor.intValue(kDets)));
}

// --- New rows ---

void TFilesEditing::InsertFile()
{
    if (m_editor.readOnly)
        return;
    emit PanelRequested();
    if (m_cursor.isEditing() && !StoreRow())
        return;
    m_editor.fileEditMode = EditMode::Inserting;
    m_cursor.insert();
    emit NameFocusRequested(true);
    m_newTag = m_wc.NextFileTag();
    const QString type = m_editor.nextFileType;
    m_cursor.setValue(kType, type);
    m_cursor.setValue(kChangeType, code::ChangeAdded);
    m_cursor.setValue(kRets, 0);
    m_cursor.setValue(kDets, 0);
    m_cursor.setValue(kTag, m_newTag);
    m_cursor.setValue(kCountId, m_app.currentCountId);
    Recompute();
    emit RowStarted();

    TTreeNode *node = m_tree.AddUncommittedNode(QString::number(m_newTag), QString(), type);
    if (!node) {
        m_cursor.cancel();
        return;
    }
    m_editor.hasPrevFile = m_tree.itemAbove(node) != nullptr;
    m_editor.hasNextFile = m_tree.itemBelow(node) != nullptr;
    emit CommandsChanged();
}

// --- Storing ---

bool TFilesEditing::BeforePost(TableCursor &cursor)
{
    if (!NameGiven(cursor, text::FileNameRequired))
        return false;
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
            m_editor.nextFileType = m_cursor.text(kType).trimmed();
            m_tree.RefreshNodeFromUpdateSource();
        }
    } else if (mode == EditMode::Editing) {
        m_tree.RefreshNodeFromUpdateSource();
    }
    m_editor.fileEditMode = EditMode::Browsing;
    // A stored name may have moved the node among its neighbours.
    emit SyncRequested();
}

void TFilesEditing::AllowCommands(bool allowed)
{
    m_editor.canInsertFile = allowed;
    m_editor.canDeleteFile = allowed;
}

// --- Complexity ---

void TFilesEditing::Recompute()
{
    if (!m_cursor.isEditing())
        return;
    const int complexity = CellComplexity(CurrentCell());
    m_cursor.setValue(QStringLiteral("FP_Val"), double(FileWeight(complexity, m_cursor.text(kType).trimmed())));
    m_cursor.setValue(QStringLiteral("Complexity"), ComplexityCode(complexity));
    if (m_cursor.text(kChangeType) == code::ChangeNone)
        m_cursor.setValue(kChangeType, code::ChangeModified);
}

void TFilesEditing::TypeChosen(int index)
{
    const QString type = index == 0 ? code::FileInternal : code::FileExternal;
    // Choosing the type the row has already is no change, also while the
    // row is being edited: an unchanged file stays unchanged.
    if (!m_cursor.isOpen() || (m_cursor.position() < 0 && !m_cursor.isEditing())
        || m_cursor.text(kType).trimmed() == type || !EnsureEditing())
        return;
    SetEditedType(index, type);
    Recompute();
}

bool TFilesEditing::EnsureEditing()
{
    if (m_cursor.isEditing())
        return true;
    if (m_editor.readOnly || !m_cursor.isOpen() || m_cursor.isReadOnly() || m_cursor.position() < 0)
        return false;
    m_cursor.edit();
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
    if (!m_cursor.isOpen() || (m_cursor.position() < 0 && !m_cursor.isEditing()))
        return;
    const qint64 now = m_cursor.intValue(field);
    if ((delta < 0 && now <= 0) || (delta > 0 && now >= MaxCount))
        return;
    if (!EnsureEditing())
        return;
    m_cursor.setValue(field, now + delta);
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
    if (!CountOfText(text, MaxCount, &value) || !m_cursor.isOpen() || m_cursor.intValue(field) == value)
        return;
    if (!EnsureEditing())
        return;
    m_cursor.setValue(field, value);
    Recompute();
}

void TFilesEditing::CountRefused(bool rets)
{
    m_messages.error(rets ? text::RetsRefused : text::DetsRefused);
}

// --- Deleting ---

void TFilesEditing::DeleteFile()
{
    const TTreeNode *node = NodeToDelete();
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
        m_cursor.setFiltered(true); // the panel shows no row
    ++m_app.changeCount;
    emit CommandsChanged();
}

} // namespace qm
