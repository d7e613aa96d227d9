// Ordering, expanding, collapsing, searching and repainting a TDBTreeView.

#include "views/dbtreeview.h"
#include "views/dbtreeview_p.h"

#include <QScrollBar>
#include <QTreeWidgetItemIterator>

#include <algorithm>

namespace qm {

void TDBTreeView::SortAll()
{
    // The model's sort keeps expanded nodes expanded; nodes compare through
    // TTreeNode::operator<.
    sortItems(0, Qt::AscendingOrder);
}

int TDBTreeView::depthOf(const QTreeWidgetItem *item)
{
    int depth = 0;
    for (const QTreeWidgetItem *p = item ? item->parent() : nullptr; p; p = p->parent())
        ++depth;
    return depth;
}

QList<QTreeWidgetItem *> TDBTreeView::visibleSubtree(QTreeWidgetItem *node) const
{
    // Depth-first in display order: a node, then (when expanded) its children.
    QList<QTreeWidgetItem *> out;
    QList<QTreeWidgetItem *> stack;
    if (node) {
        stack.append(node);
    } else {
        for (int i = topLevelItemCount() - 1; i >= 0; --i)
            stack.append(topLevelItem(i));
    }
    while (!stack.isEmpty()) {
        QTreeWidgetItem *item = stack.takeLast();
        if (item->isHidden())
            continue;
        out.append(item);
        if (item->childCount() > 0 && item->isExpanded())
            for (int c = item->childCount() - 1; c >= 0; --c)
                stack.append(item->child(c));
    }
    return out;
}

QTreeWidgetItem *TDBTreeView::topVisibleItem() const
{
    return itemAt(QPoint(1, 1));
}

namespace {

// The node the user sees for an item: the item itself, or the outermost
// collapsed node that hides it.
QTreeWidgetItem *shownFor(QTreeWidgetItem *item)
{
    QList<QTreeWidgetItem *> chain;
    for (QTreeWidgetItem *p = item ? item->parent() : nullptr; p; p = p->parent())
        chain.prepend(p);
    for (QTreeWidgetItem *p : chain)
        if (!p->isExpanded())
            return p;
    return item;
}

} // namespace

void TDBTreeView::keepTopVisible(QTreeWidgetItem *top)
{
    if (QTreeWidgetItem *shown = shownFor(top))
        scrollToItem(shown, QAbstractItemView::PositionAtTop);
}

void TDBTreeView::ExpandOneLevel(TTreeNode *node)
{
    if (topLevelItemCount() == 0)
        return;
    UpdateLock updates(*this);
    QTreeWidgetItem *top = topVisibleItem();
    // Only nodes visible before the walk open, so each opens by one level.
    const QList<QTreeWidgetItem *> visible = visibleSubtree(node);
    for (QTreeWidgetItem *item : visible)
        if (item->childCount() > 0 && !item->isExpanded())
            item->setExpanded(true);
    keepTopVisible(top);
}

void TDBTreeView::collapseFully(QTreeWidgetItem *item)
{
    QList<QTreeWidgetItem *> pending{item};
    while (!pending.isEmpty()) {
        QTreeWidgetItem *i = pending.takeLast();
        if (i->isExpanded())
            i->setExpanded(false);
        for (int c = 0; c < i->childCount(); ++c)
            pending.append(i->child(c));
    }
}

void TDBTreeView::moveSelectionOutOfCollapsed()
{
    QTreeWidgetItem *current = currentItem();
    QTreeWidgetItem *shown = shownFor(current);
    if (shown != current)
        selectQuietly(shown);
}

void TDBTreeView::CollapseOneLevel(TTreeNode *node)
{
    if (topLevelItemCount() == 0)
        return;
    {
        UpdateLock updates(*this);
        QTreeWidgetItem *top = topVisibleItem();
        const QList<QTreeWidgetItem *> visible = visibleSubtree(node);
        int deepest = 0;
        for (QTreeWidgetItem *item : visible)
            deepest = std::max(deepest, depthOf(item));
        for (QTreeWidgetItem *item : visible)
            if (item->childCount() > 0 && depthOf(item) == deepest - 1)
                collapseFully(item);
        moveSelectionOutOfCollapsed();
        keepTopVisible(top);
    }
    runChangeHandling();
}

// Only nodes that hold or may hold others are opened. expandAll() marks
// every leaf open too, a persistent index each, which the model then keeps
// up to date on every later insertion and removal.
void TDBTreeView::openBranches(const std::vector<QTreeWidgetItem *> &branches)
{
    // With a layout pending, opening a node only records it; otherwise each
    // would lay out the rows below it at once.
    scheduleDelayedItemsLayout();
    for (QTreeWidgetItem *branch : branches)
        branch->setExpanded(true);
}

void TDBTreeView::ExpandAll()
{
    UpdateLock updates(*this);
    QTreeWidgetItem *top = topVisibleItem();
    std::vector<QTreeWidgetItem *> branches;
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if ((*it)->childCount() > 0)
            branches.push_back(*it);
    openBranches(branches);
    keepTopVisible(top);
}

void TDBTreeView::CollapseAll()
{
    {
        UpdateLock updates(*this);
        collapseAll();
        moveSelectionOutOfCollapsed();
    }
    runChangeHandling();
}

QTreeWidgetItem *TDBTreeView::previousInTreeOrder(QTreeWidgetItem *item) const
{
    QTreeWidgetItemIterator it(item);
    return *(--it);
}

TTreeNode *TDBTreeView::FindText(const QString &text, bool backwards, bool matchCase)
{
    QTreeWidgetItem *start = currentItem() ? currentItem() : topLevelItem(0);
    if (!start)
        return nullptr;
    const QString needle = matchCase ? text : text.toUpper();
    QTreeWidgetItemIterator it(start);
    for (backwards ? --it : ++it; *it; backwards ? --it : ++it) {
        const QString t = matchCase ? (*it)->text(0) : (*it)->text(0).toUpper();
        if (t.contains(needle))
            return NodeOf(*it);
    }
    return nullptr;
}

void TDBTreeView::RepaintNode(TTreeNode *node)
{
    if (QTreeWidgetItem *shown = shownFor(node))
        viewport()->update(visualItemRect(shown));
}

} // namespace qm
