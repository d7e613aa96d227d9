#include "editor/transclipboard.h"

#include "counting/codes.h"
#include "editor/editmenu.h"
#include "editor/editorcommands.h"
#include "editor/linkqueries.h"
#include "editor/mainform.h"
#include "editor/subtreecopy.h"
#include "editor/transediting.h"
#include "editor/transpage.h"
#include "store/apperror.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"
#include "store/workingcopy.h"
#include "views/cursorguard.h"
#include "views/dbtreeview.h"
#include "views/updatesource.h"

#include <QSqlQuery>

namespace qm {

namespace {

// Holds back the painting of the tree and the panel, and the panel's
// following of the cursor, while many rows change.
class HeldUpdates
{
public:
    HeldUpdates(QWidget *tree, QWidget *panel, TableCursor &cursor)
        : m_tree(tree), m_panel(panel), m_cursor(cursor), m_treeWas(tree->updatesEnabled()),
          m_panelWas(panel->updatesEnabled())
    {
        m_tree->setUpdatesEnabled(false);
        m_panel->setUpdatesEnabled(false);
        m_cursor.disableControls();
    }
    ~HeldUpdates()
    {
        m_cursor.enableControls();
        m_panel->setUpdatesEnabled(m_panelWas);
        m_tree->setUpdatesEnabled(m_treeWas);
    }
    HeldUpdates(const HeldUpdates &) = delete;
    HeldUpdates &operator=(const HeldUpdates &) = delete;

private:
    QWidget *m_tree;
    QWidget *m_panel;
    TableCursor &m_cursor;
    bool m_treeWas;
    bool m_panelWas;
};

} // namespace

TTransClipboard::TTransClipboard(TMainForm &form, Database &db, WorkingCopy &workingCopy, TTransEditing &trans)
    : QObject(&form), m_form(form), m_db(db), m_wc(workingCopy), m_trans(trans), m_editor(form.editorState())
{
    using C = TEditorCommands;
    TEditorCommands &c = form.commands();
    for (C::Id id : {C::MenuCut, C::ToolCut})
        c.Implement(id, [this] { Cut(); });
    for (C::Id id : {C::MenuCopy, C::ToolCopy})
        c.Implement(id, [this] { Copy(); });
    for (C::Id id : {C::MenuPaste, C::ToolPaste})
        c.Implement(id, [this] { Paste(); });

    tree().setOnDropNode([this](const QString &key) { DropOn(key); });
    connect(&m_trans, &TTransEditing::NodeDeleting, this, [this](QTreeWidgetItem *node) {
        const TTreeNode *deleted = TDBTreeView::NodeOf(node);
        if (deleted && deleted->info.key == m_markedKey)
            ClearMark();
    });
    // A tree built anew shows no mark.
    connect(form.transPage(), &TTransPage::TreeReloaded, this, [this] {
        m_markedKey.clear();
        m_editor.clipboardMode = ClipboardMode::None;
    });
    m_menu = new TEditMenu(form, *this);
    form.UpdateCommands();
}

TDBTreeView &TTransClipboard::tree() const
{
    return *m_form.transPage()->tree();
}

bool TTransClipboard::TreeHasFocus() const
{
    return tree().hasFocus();
}

// --- Marking ---

TTreeNode *TTransClipboard::markedNode() const
{
    return m_markedKey.isEmpty() ? nullptr : tree().FindNodeById(m_markedKey);
}

void TTransClipboard::Mark(TTreeNode *node, ClipboardMode mode)
{
    if (TTreeNode *previous = markedNode())
        tree().SetNodeCut(previous, false);
    const bool marking = node && mode != ClipboardMode::None;
    m_markedKey = marking ? node->info.key : QString();
    m_editor.clipboardMode = marking ? mode : ClipboardMode::None;
    if (marking)
        tree().SetNodeCut(node, true);
    m_form.UpdateCommands();
}

// --- Commands ---

void TTransClipboard::Cut()
{
    if (TreeHasFocus()) {
        if (TTreeNode *node = tree().SelectedNode()) {
            Mark(node, ClipboardMode::Cut);
            return;
        }
    }
    QWidget *control = m_menu->FocusedTextControl();
    if (control && textclip::HasSelectedText(control))
        textclip::Cut(control);
}

void TTransClipboard::Copy()
{
    if (TreeHasFocus()) {
        if (TTreeNode *node = tree().SelectedNode()) {
            Mark(node, ClipboardMode::Copy);
            return;
        }
    }
    QWidget *control = m_menu->FocusedTextControl();
    if (control && textclip::HasSelectedText(control))
        textclip::Copy(control);
}

void TTransClipboard::Paste()
{
    if (m_editor.readOnly)
        return;
    if (TreeHasFocus() && HasMark()) {
        TTreeNode *marked = markedNode();
        if (!marked) {
            m_form.messages().error(text::MarkedTransGone);
            return;
        }
        TTreeNode *target = tree().SelectedNode();
        if (!target)
            return;
        if (m_editor.clipboardMode == ClipboardMode::Copy)
            CopySubtree(marked, target);
        else
            MoveSubtree(marked, target);
        ClearMark();
        return;
    }
    if (QWidget *control = m_menu->FocusedTextControl())
        textclip::Paste(control);
}

void TTransClipboard::DropOn(const QString &targetKey)
{
    if (m_editor.readOnly)
        return;
    TTreeNode *source = tree().SelectedNode();
    TTreeNode *target = tree().FindNodeById(targetKey);
    if (source && target)
        MoveSubtree(source, target);
}

// --- Shared steps ---

bool TTransClipboard::IsInside(const TTreeNode *node, const TTreeNode *ancestor)
{
    for (const QTreeWidgetItem *p = node ? node->parent() : nullptr; p; p = p->parent())
        if (p == ancestor)
            return true;
    return false;
}

QList<TTransClipboard::CopyItem> TTransClipboard::Subtree(TTreeNode *root)
{
    // Depth first, each node before its children, the children in the
    // tree's order.
    QList<CopyItem> items;
    QList<CopyItem> pending{{root, -1}};
    while (!pending.isEmpty()) {
        const CopyItem item = pending.takeLast();
        const int index = int(items.size());
        items.append(item);
        for (int c = item.source->childCount() - 1; c >= 0; --c)
            if (TTreeNode *child = item.source->childNode(c))
                pending.append({child, index});
    }
    return items;
}

bool TTransClipboard::StorePending(TTreeNode *&source, TTreeNode *&target)
{
    const QString sourceKey = source->info.key;
    const QString targetKey = target->info.key;
    if (!m_trans.StoreRow())
        return false;
    // Storing refreshes nodes; a new row that could not be stored is gone.
    source = tree().FindNodeById(sourceKey);
    target = tree().FindNodeById(targetKey);
    return source && target;
}

int TTransClipboard::OwnerFor(const TTreeNode *target) const
{
    if (target->info.type == code::TransGroup)
        return target->info.key.toInt();
    return target->info.parentKey.toInt(); // 0 at the top level
}

void TTransClipboard::RebuildAfterFailure(const QString &selectKey)
{
    // The tree may show part of what the rolled-back write did: it is built
    // again from the tables.
    m_form.transTbl().refresh();
    RefreshLinkCursor(&m_form.filesLinkTbl());
    m_form.transPage()->Reload(m_form.appState().currentCountId, m_form.appState().filterActive);
    if (TTreeNode *node = tree().FindNodeById(selectKey))
        tree().SelectNode(node);
}

// --- Copying ---

void TTransClipboard::CopySubtree(TTreeNode *source, TTreeNode *target)
{
    if (!source || !target || source == target)
        return;
    if (IsInside(target, source)) {
        m_form.messages().error(text::CopyIntoOwnGroup);
        ClearMark();
        return;
    }
    if (!StorePending(source, target))
        return;
    const QList<CopyItem> items = Subtree(source);
    const int owner = OwnerFor(target);
    const QString targetKey = target->info.key;
    QList<TTreeNode *> copies;
    QString failure;
    {
        HeldUpdates held(&tree(), m_form.transPage()->panel(), m_form.transTbl());
        m_editor.transEditMode = EditMode::Copying;
        WaitCursor busy;
        try {
            std::unique_ptr<TTreeNode> root;
            Transaction tx(m_db);
            copies = WriteCopies(items, owner, root);
            tx.commit();
            // Shown only once it is stored.
            tree().AddSubtree(root.release());
        } catch (const StoreError &e) {
            failure = e.message();
        }
        if (failure.isEmpty())
            FinishCopies(items, copies);
        m_editor.transEditMode = EditMode::Browsing;
        m_form.SetStatusText(QString());
    }
    if (!failure.isEmpty()) {
        RebuildAfterFailure(targetKey);
        m_form.messages().error(text::CopyFailed + failure);
        m_form.UpdateCommands();
        return;
    }
    // One change for every row stored and one for the paste.
    m_form.appState().changeCount += int(items.size()) + 1;
    tree().SelectNode(copies.first());
    m_form.UpdateCommands();
}

QList<TTreeNode *> TTransClipboard::WriteCopies(const QList<CopyItem> &items, int owner,
                                                std::unique_ptr<TTreeNode> &root)
{
    TSubtreeWriter writer(m_db, m_form.appState().currentCountId);
    const int total = int(items.size());
    QList<int> newTags;
    QList<TTreeNode *> copies;
    for (int i = 0; i < total; ++i) {
        m_form.SetStatusText(QStringLiteral("Copying %1 of %2").arg(i + 1).arg(total));
        const CopyItem &item = items[i];
        const int sourceTag = item.source->info.key.toInt();
        const int parent = item.parent < 0 ? owner : newTags[item.parent];
        const int tag = m_wc.NextTransTag();
        RowUpdateSource row;
        writer.CopyRow(sourceTag, tag, parent, row);
        TTreeNode *copy = tree().NewDetachedNode(row);
        if (!copy)
            throw StoreError(text::TransAddFailed);
        if (item.parent < 0) {
            root.reset(copy);
        } else {
            // The values add up within the copy; the copy's total goes up
            // the tree once, when it is put in.
            copies[item.parent]->addChild(copy);
            tree().AddToNodeValue(copy->info.value, copies[item.parent]);
        }
        writer.CopyLinks(sourceTag, tag);
        newTags.append(tag);
        copies.append(copy);
    }
    return copies;
}

void TTransClipboard::FinishCopies(const QList<CopyItem> &items, const QList<TTreeNode *> &copies)
{
    m_form.transTbl().refresh();
    RefreshLinkCursor(&m_form.filesLinkTbl());
    // The copy went in by its name: its new level is put in the tree's
    // order as a whole, once.
    tree().SortChildren(copies.first()->parentNode());
    for (int i = 0; i < copies.size(); ++i)
        if (items[i].source->isExpanded())
            copies[i]->setExpanded(true);
    // Groups drawn greyed while they held nothing get their picture again.
    for (TTreeNode *copy : copies)
        if (copy->childCount() > 0)
            m_form.transPage()->RefreshImagesUp(copy);
    m_form.transPage()->RefreshImagesUp(copies.first()->parentNode());
}

// --- Moving ---

bool TTransClipboard::WriteOwner(int tag, int owner)
{
    try {
        Transaction tx(m_db);
        QSqlQuery update = m_db.exec(QStringLiteral("UPDATE Trans SET Owner_Tag = ? WHERE Count_Id = ? AND Tag = ?"),
                                     {owner, m_form.appState().currentCountId, tag});
        // A row that is missing, or there twice, is no move.
        if (update.numRowsAffected() != 1)
            return false;
        tx.commit();
        return true;
    } catch (const StoreError &) {
        return false;
    }
}

void TTransClipboard::MoveSubtree(TTreeNode *source, TTreeNode *target)
{
    if (!source || !target || source == target)
        return;
    if (IsInside(target, source)) {
        m_form.messages().error(text::MoveIntoOwnGroup);
        ClearMark();
        return;
    }
    if (!StorePending(source, target))
        return;
    const bool into = target->info.type == code::TransGroup;
    const int owner = OwnerFor(target);
    const QString sourceKey = source->info.key;
    bool written = false;
    {
        HeldUpdates held(&tree(), m_form.transPage()->panel(), m_form.transTbl());
        written = WriteOwner(sourceKey.toInt(), owner);
        if (written) {
            TTreeNode *oldParent = source->parentNode();
            TTreeNode *newParent = into ? target : target->parentNode();
            if (oldParent != newParent) {
                tree().AddToNodeValue(source->info.value, newParent);
                tree().AddToNodeValue(-source->info.value, oldParent);
            }
            tree().MoveNode(source, target, into);
            tree().ReparentNode(source, QString::number(owner));
            m_form.transTbl().refresh();
            m_form.transPage()->RefreshImagesUp(oldParent);
            m_form.transPage()->RefreshImagesUp(newParent);
        }
    }
    if (!written) {
        RebuildAfterFailure(sourceKey);
        m_form.messages().error(text::MoveOwnerFailed);
        m_form.UpdateCommands();
        return;
    }
    ClearMark();
    ++m_form.appState().changeCount;
    tree().SelectNode(source);
    m_form.transPage()->SyncSelection();
}

} // namespace qm
