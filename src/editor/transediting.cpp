#include "editor/transediting.h"

#include "counting/codes.h"
#include "counting/rules.h"
#include "editor/editorstate.h"
#include "store/appstate.h"
#include "store/dialogservice.h"
#include "store/database.h"
#include "store/workingcopy.h"
#include "views/cursorguard.h"
#include "views/dbtreeview.h"

#include <QScopeGuard>
#include <QSqlQuery>

#include <algorithm>

namespace qm {

namespace {

const QString kTag = QStringLiteral("Tag");
const QString kCountId = QStringLiteral("Count_Id");
const QString kType = QStringLiteral("Type");
const QString kChangeType = QStringLiteral("Change_Type");
const QString kInputDets = QStringLiteral("Input_Det_Count");
const QString kInputFiles = QStringLiteral("Input_File_Count");
const QString kOutputDets = QStringLiteral("Output_Det_Count");
const QString kOutputFiles = QStringLiteral("Output_File_Count");

} // namespace

TTransEditing::TTransEditing(Database &db, TableCursor &transTbl, TDBTreeView &tree, AppState &app,
                             EditorState &editor, WorkingCopy &workingCopy, DialogService &messages, QObject *parent)
    : TItemEditing(db, transTbl, tree, app, editor, editor.transEditMode, workingCopy, messages, parent)
{
    m_tree.setOnBefDelete([this](TDBTreeView *, const QString &key, bool &allow) { BeforeDelete(key, allow); });
}

QString TTransEditing::TypeOfIndex(int index)
{
    switch (index) {
    case 0:
        return code::TransInput;
    case 1:
        return code::TransOutput;
    case 2:
        return code::TransInquiry;
    default:
        return code::TransGroup;
    }
}

int TTransEditing::IndexOfType(const QString &type)
{
    const QString t = type.trimmed();
    if (t == code::TransInput)
        return 0;
    if (t == code::TransOutput)
        return 1;
    if (t == code::TransInquiry)
        return 2;
    return 3;
}

// --- New rows ---

void TTransEditing::InsertTransaction()
{
    Insert(false);
}

void TTransEditing::InsertChildTransaction()
{
    Insert(true);
}

void TTransEditing::Insert(bool child)
{
    emit PanelRequested();
    // From the menu while a row is being edited: that row is stored first.
    if (m_editor.readOnly || (m_cursor.isEditing() && !StoreRow()))
        return;
    int owner = 0;
    if (const TTreeNode *selected = m_tree.SelectedNode()) {
        if (!child)
            owner = selected->info.parentKey.toInt();
        else if (selected->info.type == code::TransGroup)
            owner = selected->info.key.toInt();
        else
            return; // only a group holds other transactions
    }
    StartNewRow(owner);
}

void TTransEditing::StartNewRow(int owner)
{
    m_editor.newTransOwner = owner;
    m_editor.transEditMode = EditMode::Inserting;
    m_cursor.insert();
    emit NameFocusRequested(true);

    // A new top-level transaction is always a group.
    const QString type = owner != 0 ? m_editor.nextTransType : code::TransGroup;
    m_newTag = m_wc.NextTransTag();
    m_cursor.setValue(kType, type);
    m_cursor.setValue(kChangeType, code::ChangeAdded);
    for (const QString &count : {kInputDets, kInputFiles, kOutputDets, kOutputFiles})
        m_cursor.setValue(count, 0);
    m_cursor.setValue(QStringLiteral("Complexity"), code::ComplexityNotAssigned);
    m_cursor.setValue(QStringLiteral("FP_Val"), 0.0);
    m_cursor.setValue(QStringLiteral("Owner_Tag"), owner);
    m_cursor.setValue(kTag, m_newTag);
    m_cursor.setValue(kCountId, m_app.currentCountId);
    m_editor.currentTransTag = m_newTag;
    emit RowStarted();

    TTreeNode *node = m_tree.AddUncommittedNode(QString::number(m_newTag), QString::number(owner), type);
    if (!node) {
        m_cursor.cancel();
        return;
    }
    m_tree.SetNodeImage(node, IndexOfType(type));
    m_editor.hasPrevTrans = m_tree.itemAbove(node) != nullptr;
    m_editor.hasNextTrans = m_tree.itemBelow(node) != nullptr;
    emit CommandsChanged();
}

// --- Storing ---

bool TTransEditing::BeforePost(TableCursor &cursor)
{
    if (!NameGiven(cursor, text::TransNameRequired))
        return false;
    const QString newType = TypeOfIndex(IndexOfType(cursor.text(kType)));
    if (m_editor.transEditMode == EditMode::Editing && newType != code::TransGroup) {
        const int tag = int(cursor.intValue(kTag));
        if (StoredTypeOfNode(tag) == code::TransGroup && CountChildRows(m_db, m_app.currentCountId, tag) > 0) {
            m_messages.error(text::GroupHasChildren);
            return false;
        }
    }
    // A paste brings every field of its rows with it.
    if (m_editor.transEditMode != EditMode::Copying) {
        Normalise(newType);
        Recompute();
    }
    return true;
}

QString TTransEditing::StoredTypeOfNode(int tag) const
{
    // The node still carries the type from before this edit.
    if (const TTreeNode *node = m_tree.FindNodeById(QString::number(tag)))
        return node->info.type;
    return m_db
        .scalar(QStringLiteral("SELECT Type FROM Trans WHERE Tag = ? AND Count_Id = ?"), {tag, m_app.currentCountId})
        .toString()
        .trimmed();
}

void TTransEditing::Normalise(const QString &type)
{
    m_cursor.setValue(kType, type);
    m_cursor.setValue(QStringLiteral("Complexity"), code::ComplexityNotAssigned);
    // Each type keeps only the sides it has.
    if (type == code::TransInput || type == code::TransGroup) {
        m_cursor.setValue(kOutputDets, 0);
        m_cursor.setValue(kOutputFiles, 0);
    }
    if (type == code::TransOutput || type == code::TransGroup) {
        m_cursor.setValue(kInputDets, 0);
        m_cursor.setValue(kInputFiles, 0);
    }
}

void TTransEditing::Recompute()
{
    if (!m_cursor.isEditing())
        return;
    const int inputCell = InputCell(int(m_cursor.intValue(kInputFiles)), int(m_cursor.intValue(kInputDets)));
    const int outputCell = OutputCell(int(m_cursor.intValue(kOutputFiles)), int(m_cursor.intValue(kOutputDets)));
    const QString type = m_cursor.text(kType).trimmed();
    const int complexity = TransComplexity(inputCell, outputCell, type);
    m_cursor.setValue(QStringLiteral("Complexity"), ComplexityCode(complexity));
    m_cursor.setValue(QStringLiteral("FP_Val"), double(TransWeight(complexity, type)));
}

void TTransEditing::AfterPost()
{
    ++m_app.changeCount;
    const EditMode mode = m_editor.transEditMode;
    if (mode == EditMode::Copying) {
        emit CommandsChanged();
        return;
    }
    m_editor.nextTransType = code::TransInput;
    if (mode == EditMode::Inserting) {
        if (!LocateTag(m_newTag)) {
            m_editor.transEditMode = EditMode::Browsing;
            m_messages.error(text::TransAddFailed);
            emit CommandsChanged();
            return;
        }
        m_editor.nextTransType = m_cursor.text(kType).trimmed();
        m_tree.RefreshNodeFromUpdateSource();
    } else if (mode == EditMode::Editing) {
        const int tag = int(m_cursor.intValue(kTag));
        const TTreeNode *node = m_tree.FindNodeById(QString::number(tag));
        if (node)
            DeleteLinksNotFitting(tag, node->info.type, m_cursor.text(kType).trimmed());
        m_tree.RefreshNodeFromUpdateSource();
    }
    m_editor.transEditMode = EditMode::Browsing;
    emit SyncRequested();
}

void TTransEditing::DeleteLinksNotFitting(int tag, const QString &oldType, const QString &newType)
{
    QString side;
    if (newType == code::TransGroup && oldType != code::TransGroup)
        side = QStringLiteral("*");
    else if (newType == code::TransInput && oldType != code::TransInput)
        side = code::LinkOutput;
    else if (newType == code::TransOutput && oldType != code::TransOutput)
        side = code::LinkInput;
    if (side.isEmpty())
        return;
    const int removed = DeleteTransLinks(m_db, m_app.currentCountId, tag, side == QStringLiteral("*") ? QString() : side);
    if (removed > 0)
        RefreshLinkCursor(m_links);
}

void TTransEditing::AllowCommands(bool allowed)
{
    m_editor.canInsertTrans = allowed;
    m_editor.canInsertChild = allowed;
    m_editor.canDeleteTrans = allowed;
}

// --- Type change ---

void TTransEditing::TypeChosen(int index)
{
    const QString type = TypeOfIndex(index);
    // Choosing the type the row has already is no change, also while the
    // row is being edited: an unchanged transaction stays unchanged.
    if (!m_cursor.isOpen() || (m_cursor.position() < 0 && !m_cursor.isEditing())
        || m_cursor.text(kType).trimmed() == type)
        return;
    if (!m_cursor.isEditing()) {
        if (m_editor.readOnly || m_cursor.isReadOnly())
            return;
        m_cursor.edit();
    }
    SetEditedType(index, type);
    emit TypeChanged();
    Recompute();
}

// --- Deleting ---

void TTransEditing::DeleteTransaction()
{
    TTreeNode *node = NodeToDelete();
    if (!node)
        return;
    emit NodeDeleting(node);
    m_deleteAllowed = false;
    m_tree.DeleteSelectedNode();
    if (!m_deleteAllowed)
        return;
    if (m_tree.topLevelItemCount() == 0)
        m_cursor.setFiltered(true); // the panel shows no row
    ++m_app.changeCount;
    emit CommandsChanged();
}

void TTransEditing::BeforeDelete(const QString &key, bool &allow)
{
    const int tag = key.toInt();
    const TTreeNode *node = m_tree.FindNodeById(key);
    if (node && node->childCount() > 0) {
        m_messages.error(text::DeleteChildrenFirst);
        return;
    }
    // Children a filter hides are still there.
    if (CountChildRows(m_db, m_app.currentCountId, tag) > 0) {
        m_messages.error(text::HiddenChildren);
        return;
    }
    if (!LocateTag(tag)) {
        m_messages.error(text::RowNotFound);
        return;
    }
    if (DeleteTransLinks(m_db, m_app.currentCountId, tag) > 0)
        RefreshLinkCursor(m_links);
    allow = true;
    m_deleteAllowed = true;
}

// --- Files going away ---

bool TTransEditing::UnlinkFile(int fileTag)
{
    WaitCursor busy;
    // The counts of the row being edited are about to change under it.
    if (m_cursor.isEditing() && !StoreRow())
        return false;
    const QList<FileLinkRef> links = FileLinks(m_db, m_app.currentCountId, fileTag);
    if (links.isEmpty())
        return true;
    QList<int> recounted;
    {
        // One write for the links and every recount: much faster than a
        // commit per row, and never half done.
        Transaction tx(m_db);
        DeleteFileLinks(m_db, m_app.currentCountId, fileTag);
        recounted = Recount(links);
        tx.commit();
    }
    // Only once the figures are in the database do the tree and the change
    // counter show them: a failed commit leaves both as they were.
    ShowRecounted(recounted);
    RefreshLinkCursor(m_links);
    emit SyncRequested();
    return true;
}

QList<int> TTransEditing::Recount(const QList<FileLinkRef> &links)
{
    QList<int> recounted;
    for (const FileLinkRef &link : links) {
        // Written straight to the row: storing through the cursor would
        // read the whole table again for every transaction.
        QSqlQuery row = m_db.exec(QStringLiteral("SELECT Type, Input_File_Count, Input_Det_Count, Output_File_Count, "
                                                 "Output_Det_Count FROM Trans WHERE Tag = ? AND Count_Id = ?"),
                                  {link.transTag, m_app.currentCountId});
        if (!row.next())
            continue; // a link to a transaction that is gone
        const QString type = row.value(0).toString().trimmed();
        int inputFiles = row.value(1).toInt();
        int outputFiles = row.value(3).toInt();
        int &lowered = link.side == code::LinkOutput ? outputFiles : inputFiles;
        lowered = std::max(0, lowered - 1);
        const int complexity =
            TransComplexity(InputCell(inputFiles, row.value(2).toInt()), OutputCell(outputFiles, row.value(4).toInt()),
                            type);
        m_db.exec(QStringLiteral("UPDATE Trans SET Input_File_Count = ?, Output_File_Count = ?, Complexity = ?, "
                                 "FP_Val = ? WHERE Tag = ? AND Count_Id = ?"),
                  {inputFiles, outputFiles, ComplexityCode(complexity), double(TransWeight(complexity, type)),
                   link.transTag, m_app.currentCountId});
        recounted << link.transTag;
    }
    return recounted;
}

void TTransEditing::ShowRecounted(const QList<int> &tags)
{
    const QString selected = m_tree.ActiveId();
    const bool updates = m_tree.updatesEnabled();
    m_tree.setUpdatesEnabled(false);
    m_cursor.disableControls();
    const auto restore = qScopeGuard([&] {
        m_cursor.enableControls();
        m_tree.setUpdatesEnabled(updates);
    });
    for (const int tag : tags) {
        // What follows any stored edit that kept its type.
        ++m_app.changeCount;
        m_editor.nextTransType = code::TransInput;
        if (LocateTag(tag))
            m_tree.RefreshNodeFromUpdateSource();
    }
    if (TTreeNode *node = m_tree.FindNodeById(selected))
        m_tree.SelectNode(node);
}

} // namespace qm
