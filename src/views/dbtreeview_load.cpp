// Building a TDBTreeView from its parent and item sources.

#include "store/collation.h"
#include "views/dbtreeview.h"
#include "views/dbtreeview_p.h"
#include "views/sourcefields.h"
#include "views/updatesource.h"

#include "store/apperror.h"
#include "store/database.h"
#include "store/query.h"

#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <array>
#include <cmath>

namespace qm {

namespace {

// Halves away from zero, as item values are rounded wherever they are summed.
qint64 roundValue(double v)
{
    return std::isfinite(v) ? std::llround(v) : 0;
}

// The one-letter codes repeat on every row. One shared string per letter
// saves three allocations a node, which for large trees is a good part of
// building and freeing them.
QString SharedLetter(const QString &text)
{
    static const std::array<QString, 128> letters = [] {
        std::array<QString, 128> all;
        for (char16_t c = 0; c < 128; ++c)
            all[c] = QString(QChar(c));
        return all;
    }();
    if (text.isEmpty())
        return QString();
    const char16_t first = text.front().unicode();
    return first < 128 ? letters[first] : text.left(1);
}

// Sorts sibling lists of nodes not yet in the view by their texts, using
// collation keys so that each text is collated once, unless already in order.
void sortDetached(QList<QTreeWidgetItem *> &items)
{
    const QCollator &collator = TextCollator();
    // Node texts are made on each request: once per node here.
    std::vector<QString> texts;
    texts.reserve(size_t(items.size()));
    for (QTreeWidgetItem *item : items)
        texts.push_back(item->text(0));
    // The rows mostly come in name order already; checking that costs one
    // comparison a node, where sorting costs a key and several comparisons.
    const bool ordered = std::is_sorted(texts.cbegin(), texts.cend(),
                                        [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    if (!ordered) {
        std::vector<std::pair<QCollatorSortKey, QTreeWidgetItem *>> keyed;
        keyed.reserve(size_t(items.size()));
        for (qsizetype i = 0; i < items.size(); ++i)
            keyed.emplace_back(collator.sortKey(texts[size_t(i)]), items[i]);
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
        for (qsizetype i = 0; i < items.size(); ++i)
            items[i] = keyed[size_t(i)].second;
    }
    for (QTreeWidgetItem *item : items) {
        if (item->childCount() == 0)
            continue;
        QList<QTreeWidgetItem *> children = item->takeChildren();
        sortDetached(children);
        item->addChildren(children);
    }
}

} // namespace

TDBTreeView::RowReader::RowReader(const TDBTreeView &view, const StoreQuery &query, bool withParent)
    : m_query(query.exec(*view.m_db))
{
    const QSqlRecord rec = m_query.record();
    const QString who = QStringLiteral("TDBTreeView");
    m_id = SourceFieldIndex(rec, view.m_fieldId, who);
    m_parent = withParent ? SourceFieldIndex(rec, view.m_fieldParentId, who) : -1;
    m_name = SourceFieldIndex(rec, view.m_fieldName, who);
    m_val = SourceFieldIndex(rec, view.m_fieldVal, who);
    m_type = SourceFieldIndex(rec, view.m_fieldType, who);
    m_type2 = SourceFieldIndex(rec, view.m_fieldType2, who);
    m_type3 = SourceFieldIndex(rec, view.m_fieldType3, who);
}

bool TDBTreeView::RowReader::next(SourceRow &r)
{
    if (!m_query.next())
        return false;
    r.key = SourceText(m_query, m_id);
    r.parentKey = SourceText(m_query, m_parent);
    // Siblings come in runs: one shared copy of their parent's key.
    if (r.parentKey == m_lastParent)
        r.parentKey = m_lastParent;
    else
        m_lastParent = r.parentKey;
    r.name = SourceText(m_query, m_name);
    r.val = m_val < 0 ? 0.0 : m_query.value(m_val).toDouble();
    r.type = SharedLetter(SourceText(m_query, m_type));
    r.type2 = SharedLetter(SourceText(m_query, m_type2));
    r.type3 = SharedLetter(SourceText(m_query, m_type3));
    return true;
}

std::vector<TDBTreeView::SourceRow> TDBTreeView::readRows(const StoreQuery &query, bool withParent) const
{
    RowReader reader(*this, query, withParent);
    std::vector<SourceRow> rows;
    SourceRow r;
    while (reader.next(r))
        rows.push_back(r);
    return rows;
}

qint64 TDBTreeView::itemValue(const SourceRow &row) const
{
    if (!m_fieldType2.isEmpty() && row.type2 == m_fieldNullVal)
        return 0;
    return roundValue(row.val);
}

TNodeInfo TDBTreeView::itemInfo(const SourceRow &row) const
{
    TNodeInfo info;
    info.key = row.key;
    info.parentKey = m_fieldParentId.isEmpty() ? QString() : row.parentKey;
    info.type = row.type;
    info.type2 = row.type2;
    info.type3 = row.type3;
    info.value = itemValue(row);
    info.name = row.name;
    return info;
}

TNodeInfo TDBTreeView::parentInfo(const SourceRow &row) const
{
    TNodeInfo info = itemInfo(row);
    // A parent row always shows its own value.
    info.value = roundValue(row.val);
    return info;
}

void TDBTreeView::advanceNotify()
{
    ++m_notifyCounter;
    if (m_notifyOn && m_notifyCounter >= m_notifyCount) {
        m_notifyCounter = 0;
        emit OnNotify(this);
    }
}

void TDBTreeView::LoadTree()
{
    if (!m_iSource || !m_db || !m_db->isOpen())
        return;

    const qsizetype previousSize = m_index.size();
    m_index.clear();
    m_notifyCounter = 0;
    UpdateLock updates(*this);
    ChangeLock changes(*this);
    ClearTree();

    const bool hierarchical = !m_fieldParentId.isEmpty();
    LoadContext ctx;
    m_building = true;
    try {
        const bool withParents = hierarchical && m_pSource;
        if (withParents)
            ctx.parentRows = readRows(*m_pSource, true);
        // The items are not counted before they are read: a rebuild is sized
        // by the tree it replaces, so that the index is not rehashed as it grows.
        m_index.reserve(std::max(qsizetype(ctx.parentRows.size()), previousSize));
        if (withParents) {
            for (int i = 0; i < int(ctx.parentRows.size()); ++i) {
                const qint64 k = keyValue(ctx.parentRows[size_t(i)].key);
                if (k != 0 && !ctx.parentRowOfKey.contains(k))
                    ctx.parentRowOfKey.insert(k, i);
            }
            if (!m_filterOn)
                for (const SourceRow &row : ctx.parentRows)
                    AddParent(ctx, row);
        }

        // One run per stretch of rows with the same parent key: the parent is
        // looked up once and the run's values ripple up in one step.
        RowReader items(*this, *m_iSource, hierarchical);
        SourceRow row;
        bool more = items.next(row);
        while (more) {
            const QString runParent = row.parentKey;
            TTreeNode *parent = FindParentForItem(ctx, row);
            qint64 sum = 0;
            do {
                if (TTreeNode *node = addItemNode(ctx, row, parent))
                    sum += node->info.value;
                more = items.next(row);
            } while (more && (!hierarchical || row.parentKey == runParent));
            if (parent) {
                ctx.branches.push_back(parent);
                if (m_ripple)
                    AddToNodeValue(sum, parent);
            }
        }
        advanceNotify();
    } catch (...) {
        m_building = false;
        qDeleteAll(ctx.topLevel);
        m_index.clear();
        throw;
    }
    m_building = false;
    finishBuild(ctx);
}

void TDBTreeView::finishBuild(LoadContext &ctx)
{
    sortDetached(ctx.topLevel);
    addTopLevelItems(ctx.topLevel);
    openBranches(ctx.branches);
    // Laid out now, as callers may ask where rows are right after a build.
    executeDelayedItemsLayout();
    if (topLevelItemCount() > 0)
        selectQuietly(topLevelItem(0));
}

TTreeNode *TDBTreeView::addItemNode(LoadContext &ctx, const SourceRow &row, TTreeNode *parent)
{
    TTreeNode *node = createNode(itemInfo(row));
    // A key met twice keeps its first node.
    if (!indexNode(node, keyValue(row.key))) {
        delete node;
        return nullptr;
    }
    if (parent)
        parent->addChild(node);
    else
        ctx.topLevel.append(node);
    advanceNotify();
    return node;
}

TTreeNode *TDBTreeView::AddParent(LoadContext &ctx, const SourceRow &row)
{
    const qint64 k = keyValue(row.key);
    if (k != 0)
        if (TTreeNode *existing = m_index.value(k))
            return existing;

    TTreeNode *parent = nullptr;
    if (!isTopLevelKey(row.parentKey)) {
        parent = FindNodeById(row.parentKey);
        const qint64 pk = keyValue(row.parentKey);
        const auto it = ctx.parentRowOfKey.constFind(pk);
        // An owner chain that comes back to a parent already being added
        // would never end: that parent goes to the top level instead.
        ctx.parentsInProgress.insert(k);
        if (!parent && it != ctx.parentRowOfKey.constEnd() && !ctx.parentsInProgress.contains(pk))
            parent = AddParent(ctx, ctx.parentRows[size_t(*it)]);
        ctx.parentsInProgress.remove(k);
    }

    TTreeNode *node = createNode(parentInfo(row));
    if (parent)
        parent->addChild(node);
    else
        ctx.topLevel.append(node);
    // A group opens even while empty, so that what is put into it shows.
    ctx.branches.push_back(node);
    indexNode(node);
    advanceNotify();
    return node;
}

TTreeNode *TDBTreeView::FindParentForItem(LoadContext &ctx, const SourceRow &row)
{
    if (m_fieldParentId.isEmpty() || isTopLevelKey(row.parentKey))
        return nullptr;
    if (TTreeNode *node = FindNodeById(row.parentKey))
        return node;
    const auto it = ctx.parentRowOfKey.constFind(keyValue(row.parentKey));
    if (it == ctx.parentRowOfKey.constEnd())
        return nullptr;
    return AddParent(ctx, ctx.parentRows[size_t(*it)]);
}

TTreeNode *TDBTreeView::NewDetachedNode(const UpdateSource &row)
{
    if (!row.hasCurrentRow())
        return nullptr;
    return createNode(itemInfo(rowOf(row)));
}

void TDBTreeView::AddSubtree(TTreeNode *root)
{
    if (!root)
        return;
    UpdateLock updates(*this);
    ChangeLock changes(*this);
    QList<QTreeWidgetItem *> children = root->takeChildren();
    sortDetached(children);
    root->addChildren(children);
    // One insertion for the whole subtree, whatever its size.
    placeNewNode(root);
    QList<QTreeWidgetItem *> pending{root};
    while (!pending.isEmpty()) {
        QTreeWidgetItem *item = pending.takeLast();
        if (TTreeNode *node = NodeOf(item))
            indexNode(node);
        for (int c = 0; c < item->childCount(); ++c)
            pending.append(item->child(c));
    }
}

} // namespace qm
