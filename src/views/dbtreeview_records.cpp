// Single-record operations of TDBTreeView: following the edited table's
// current row without rebuilding the tree.

#include "views/dbtreeview.h"
#include "views/dbtreeview_p.h"
#include "views/updatesource.h"

#include <QTreeWidgetItemIterator>

namespace qm {

TDBTreeView::SourceRow TDBTreeView::updateRow() const
{
    return rowOf(*m_uSource);
}

TDBTreeView::SourceRow TDBTreeView::rowOf(const UpdateSource &source) const
{
    auto text = [&source](const QString &field) {
        return field.isEmpty() ? QString() : source.value(field).toString();
    };
    SourceRow row;
    row.key = text(m_fieldId);
    row.parentKey = text(m_fieldParentId);
    row.name = text(m_fieldName);
    row.val = m_fieldVal.isEmpty() ? 0.0 : source.value(m_fieldVal).toDouble();
    row.type = text(m_fieldType).left(1);
    row.type2 = text(m_fieldType2).left(1);
    row.type3 = text(m_fieldType3).left(1);
    return row;
}

TTreeNode *TDBTreeView::AddUncommittedNode(const QString &key, const QString &parentKey, const QString &type)
{
    UpdateLock updates(*this);
    ChangeLock changes(*this);

    TTreeNode *parent = nullptr;
    if (!isTopLevelKey(parentKey)) {
        parent = FindNodeById(parentKey);
        if (!parent) {
            showInformation(QStringLiteral("Adduncommited error1"));
            return nullptr;
        }
    }
    // Only one row is inserted at a time: an earlier placeholder that was
    // never committed or discarded must not stay behind as a stray node.
    DiscardUncommittedNode();

    TNodeInfo info;
    info.key = key;
    info.parentKey = m_fieldParentId.isEmpty() ? QString() : parentKey;
    info.type = type.left(1);
    info.type2 = QStringLiteral("X");
    info.type3 = QStringLiteral("0");
    info.uncommitted = true;

    TTreeNode *node = createNode(info);
    if (parent && !m_fieldParentId.isEmpty()) {
        parent->addChild(node);
        parent->setExpanded(true);
    } else {
        addTopLevelItem(node);
    }
    indexNode(node);
    m_placeholder = node;
    setCurrentItem(node);
    scrollToItem(node);
    return node;
}

void TDBTreeView::DiscardUncommittedNode()
{
    TTreeNode *placeholder = m_placeholder;
    if (!placeholder)
        return;
    ChangeLock changes(*this);
    QTreeWidgetItem *next = currentItem();
    if (!next || next == placeholder) {
        next = itemAbove(placeholder);
        if (!next)
            next = itemBelow(placeholder);
        if (!next && topLevelItem(0) != placeholder)
            next = topLevelItem(0);
    }
    delete placeholder; // leaves the index and forgets itself
    selectQuietly(next);
}

void TDBTreeView::RefreshNodeFromUpdateSource()
{
    if (!m_uSource || !m_uSource->hasCurrentRow())
        return;
    const SourceRow row = updateRow();
    TTreeNode *node = FindNodeById(row.key);
    if (!node)
        return;

    const bool hierarchical = !m_fieldParentId.isEmpty();
    TNodeInfo &info = node->info;
    const bool typeChanged = row.type != info.type;
    info.name = row.name;
    info.type = row.type;
    if (hierarchical)
        info.parentKey = row.parentKey;
    if (node == m_placeholder) {
        info.uncommitted = false;
        m_placeholder = nullptr;
    }

    // A group's value is the sum of what it holds, not its row's value.
    qint64 newValue = info.value;
    if (!(hierarchical && m_ripple && info.type == m_groupType && !typeChanged)) {
        info.type2 = row.type2;
        newValue = itemValue(row);
    }
    info.type3 = row.type3;

    const qint64 delta = newValue - info.value;
    info.value = newValue;
    updateNodeText(node);
    chooseImage(node);

    if (!hierarchical) {
        SortAll();
        return;
    }
    // The values ripple through the groups the node actually hangs under.
    if (TTreeNode *parent = node->parentNode()) {
        if (m_ripple)
            AddToNodeValue(delta, parent);
        sortChildrenOf(parent);
    }
}

void TDBTreeView::sortChildrenOf(QTreeWidgetItem *parent)
{
    if (parent)
        parent->sortChildren(0, Qt::AscendingOrder);
}

void TDBTreeView::SortChildren(TTreeNode *parent)
{
    // One level only, unlike sorting the whole view.
    sortChildrenOf(parent ? static_cast<QTreeWidgetItem *>(parent) : invisibleRootItem());
}

TTreeNode *TDBTreeView::AddNodeFromUpdateSource()
{
    if (!m_uSource)
        return nullptr;
    return AddNodeFromRow(*m_uSource);
}

TTreeNode *TDBTreeView::AddNodeFromRow(const UpdateSource &source)
{
    UpdateLock updates(*this);
    ChangeLock changes(*this);
    if (!source.hasCurrentRow())
        return nullptr;
    const SourceRow row = rowOf(source);
    if (TTreeNode *existing = FindNodeById(row.key))
        return existing;

    TTreeNode *node = createNode(itemInfo(row));
    placeNewNode(node);
    indexNode(node);
    setCurrentItem(node);
    return node;
}

namespace {

void insertBefore(QTreeWidget *tree, QTreeWidgetItem *anchor, QTreeWidgetItem *node)
{
    if (QTreeWidgetItem *p = anchor->parent())
        p->insertChild(p->indexOfChild(anchor), node);
    else
        tree->insertTopLevelItem(tree->indexOfTopLevelItem(anchor), node);
}

void appendBeside(QTreeWidget *tree, QTreeWidgetItem *anchor, QTreeWidgetItem *node)
{
    if (QTreeWidgetItem *p = anchor ? anchor->parent() : nullptr)
        p->addChild(node);
    else
        tree->addTopLevelItem(node);
}

} // namespace

void TDBTreeView::placeNewNode(TTreeNode *node)
{
    // Placement compares texts by character codes, not by collation.
    const QString text = node->text(0);
    QTreeWidgetItem *selected = currentItem();

    if (!m_fieldParentId.isEmpty()) {
        TTreeNode *parent = isTopLevelKey(node->info.parentKey) ? nullptr : FindNodeById(node->info.parentKey);
        if (!parent) {
            if (selected)
                insertBefore(this, selected, node);
            else
                addTopLevelItem(node);
            return;
        }
        int pos = parent->childCount();
        for (int i = 0; i < parent->childCount(); ++i) {
            if (QString::compare(parent->child(i)->text(0), text) > 0) {
                pos = i;
                break;
            }
        }
        parent->insertChild(pos, node);
        if (m_ripple)
            AddToNodeValue(node->info.value, parent);
        return;
    }

    static const QString limit(34, QLatin1Char('z'));
    QTreeWidgetItem *best = nullptr;
    QString bestText;
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        const QString t = (*it)->text(0);
        if (t > text && t < limit && (!best || t < bestText)) {
            best = *it;
            bestText = t;
        }
    }
    if (best)
        insertBefore(this, best, node);
    else
        appendBeside(this, selected, node);
}

void TDBTreeView::DeleteSelectedNode()
{
    TTreeNode *node = SelectedNode();
    if (!node)
        return;
    if (m_onBefDelete) {
        bool allow = false;
        m_onBefDelete(this, node->info.key, allow);
        if (!allow)
            return;
    }
    // The record goes first: if the store refuses, the tree is unchanged.
    if (m_uSource)
        m_uSource->deleteCurrentRow();
    if (!m_fieldParentId.isEmpty() && m_ripple)
        if (TTreeNode *parent = node->parentNode())
            AddToNodeValue(-node->info.value, parent);

    // The node before it in tree order, else the first one after its
    // subtree: never one of its own children, which go with it.
    QTreeWidgetItem *next = previousInTreeOrder(node);
    if (!next) {
        QTreeWidgetItem *n = node;
        while (n && !next) {
            QTreeWidgetItem *p = n->parent();
            const int idx = p ? p->indexOfChild(n) : indexOfTopLevelItem(n);
            const int count = p ? p->childCount() : topLevelItemCount();
            if (idx + 1 < count)
                next = p ? p->child(idx + 1) : topLevelItem(idx + 1);
            n = p;
        }
    }
    {
        ChangeLock changes(*this);
        setCurrentItem(nullptr);
        delete node; // with its children, their records and index entries
    }
    if (next)
        SelectNode(next);
    else
        runChangeHandling();
}

void TDBTreeView::ReparentNode(TTreeNode *node, const QString &newParentKey)
{
    if (!node) {
        showError(QStringLiteral("Refresh Item Error - No Node Passed"));
        return;
    }
    if (!m_fieldParentId.isEmpty())
        node->info.parentKey = newParentKey;

    QList<QTreeWidgetItem *> pending{node};
    while (!pending.isEmpty()) {
        QTreeWidgetItem *item = pending.takeLast();
        if (TTreeNode *n = NodeOf(item)) {
            unindexNode(n);
            indexNode(n);
        }
        for (int c = 0; c < item->childCount(); ++c)
            pending.append(item->child(c));
    }

    if (m_fieldParentId.isEmpty())
        SortAll();
    else if (!isTopLevelKey(newParentKey))
        sortChildrenOf(FindNodeById(newParentKey));
}

namespace {

void collectExpanded(QTreeWidgetItem *item, QList<QTreeWidgetItem *> &expanded)
{
    if (item->isExpanded())
        expanded.append(item);
    for (int c = 0; c < item->childCount(); ++c)
        collectExpanded(item->child(c), expanded);
}

} // namespace

void TDBTreeView::MoveNode(TTreeNode *node, TTreeNode *target, bool intoTarget)
{
    if (!node || !target || node == target)
        return;
    UpdateLock updates(*this);
    ChangeLock changes(*this);
    const bool wasCurrent = currentItem() == node;
    // Taking a subtree out of the view forgets which of its nodes were open.
    QList<QTreeWidgetItem *> expanded;
    collectExpanded(node, expanded);

    if (QTreeWidgetItem *p = node->parent())
        p->removeChild(node);
    else
        takeTopLevelItem(indexOfTopLevelItem(node));

    if (intoTarget) {
        target->insertChild(0, node);
        target->setExpanded(true);
    } else if (QTreeWidgetItem *p = target->parent()) {
        p->insertChild(p->indexOfChild(target) + 1, node);
    } else {
        insertTopLevelItem(indexOfTopLevelItem(target) + 1, node);
    }
    for (QTreeWidgetItem *item : expanded)
        item->setExpanded(true);
    if (wasCurrent)
        setCurrentItem(node);
}

} // namespace qm
