#include "analysis/counttree.h"

#include "counting/codes.h"
#include "store/collation.h"
#include "store/database.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace qm {

namespace {

const QString kTransColumns =
    QStringLiteral("SELECT Tag, Description, Owner_Tag, Type, FP_Val, Change_Type, Complexity FROM Trans ");
const QString kTransOrder = QStringLiteral(" ORDER BY Owner_Tag, Description");

struct Row
{
    QString key;
    QString parentKey;
    QString name;
    double val = 0.0;
    QString type;
    QString type2;
    QString type3;
};

struct Node
{
    Row row;
    qint64 value = 0;
    Node *parent = nullptr;
    std::vector<Node *> children;
};

// Halves away from zero, as item values are rounded wherever they are summed.
qint64 roundValue(double v)
{
    return std::isfinite(v) ? std::llround(v) : 0;
}

// Keys as the tree reads them: integer text, or a whole float ("12.0");
// anything else is no key (0).
qint64 keyValue(const QString &key)
{
    const QString t = key.trimmed();
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (ok)
        return v;
    const double d = t.toDouble(&ok);
    return ok && d == double(qint64(d)) ? qint64(d) : 0;
}

bool isTopLevelKey(const QString &key)
{
    const QString t = key.trimmed();
    return t.isEmpty() || t == QLatin1String("0");
}

std::vector<Row> readRows(Database &db, const QString &sql, int countId, bool withParent)
{
    QSqlQuery q = db.exec(sql, {countId});
    std::vector<Row> rows;
    while (q.next()) {
        Row r;
        r.key = q.value(0).toString();
        r.name = q.value(1).toString();
        int c = 2;
        if (withParent)
            r.parentKey = q.value(c++).toString();
        r.type = q.value(c++).toString().left(1);
        r.val = q.value(c++).toDouble();
        r.type2 = q.value(c++).toString().left(1);
        r.type3 = q.value(c++).toString().left(1);
        rows.push_back(std::move(r));
    }
    return rows;
}

class Builder
{
public:
    explicit Builder(bool hierarchical) : m_hierarchical(hierarchical) {}

    void build(const std::vector<Row> &parents, const std::vector<Row> &items)
    {
        for (int i = 0; i < int(parents.size()); ++i) {
            const qint64 k = keyValue(parents[size_t(i)].key);
            if (k != 0 && !m_parentRowOfKey.contains(k))
                m_parentRowOfKey.insert(k, i);
        }
        m_parents = &parents;
        for (const Row &row : parents)
            addParent(row);
        // Values ripple up once per run of rows with the same owner.
        size_t i = 0;
        while (i < items.size()) {
            const QString runParent = items[i].parentKey;
            Node *parent = parentForItem(items[i]);
            qint64 sum = 0;
            for (; i < items.size() && (!m_hierarchical || items[i].parentKey == runParent); ++i)
                if (Node *node = addItem(items[i], parent))
                    sum += node->value;
            for (Node *n = parent; n; n = n->parent)
                n->value += sum;
        }
    }

    QList<CountTreeNode> walk()
    {
        QList<CountTreeNode> out;
        out.reserve(qsizetype(m_nodes.size()));
        sortSiblings(m_topLevel);
        for (Node *node : m_topLevel)
            append(out, node, 0);
        return out;
    }

private:
    Node *newNode(const Row &row, qint64 value, Node *parent)
    {
        m_nodes.push_back(std::make_unique<Node>());
        Node *node = m_nodes.back().get();
        node->row = row;
        node->value = value;
        node->parent = parent;
        (parent ? parent->children : m_topLevel).push_back(node);
        const qint64 k = keyValue(row.key);
        if (k != 0 && !m_index.contains(k))
            m_index.insert(k, node);
        return node;
    }

    Node *findNode(const QString &key) const
    {
        const qint64 k = keyValue(key);
        return k == 0 ? nullptr : m_index.value(k);
    }

    Node *addParent(const Row &row)
    {
        const qint64 k = keyValue(row.key);
        if (k != 0)
            if (Node *existing = m_index.value(k))
                return existing;
        Node *parent = nullptr;
        if (!isTopLevelKey(row.parentKey)) {
            parent = findNode(row.parentKey);
            const qint64 pk = keyValue(row.parentKey);
            const auto it = m_parentRowOfKey.constFind(pk);
            // An owner chain that comes back to a parent being added goes
            // to the top level instead of round for ever.
            m_inProgress.insert(k);
            if (!parent && it != m_parentRowOfKey.constEnd() && !m_inProgress.contains(pk))
                parent = addParent((*m_parents)[size_t(*it)]);
            m_inProgress.remove(k);
        }
        // A parent row always shows its own value.
        return newNode(row, roundValue(row.val), parent);
    }

    Node *parentForItem(const Row &row)
    {
        if (!m_hierarchical || isTopLevelKey(row.parentKey))
            return nullptr;
        if (Node *node = findNode(row.parentKey))
            return node;
        const auto it = m_parentRowOfKey.constFind(keyValue(row.parentKey));
        return it == m_parentRowOfKey.constEnd() ? nullptr : addParent((*m_parents)[size_t(*it)]);
    }

    Node *addItem(const Row &row, Node *parent)
    {
        const qint64 k = keyValue(row.key);
        if (k != 0 && m_index.contains(k))
            return nullptr;
        // Unchanged items count nothing.
        const qint64 value = row.type2 == code::ChangeNone ? 0 : roundValue(row.val);
        return newNode(row, value, m_hierarchical ? parent : nullptr);
    }

    static QString nodeText(const Node *node)
    {
        return node->row.name + QStringLiteral(" {") + QString::number(node->value) + QLatin1Char(' ') + FpUnits
               + QLatin1Char('}');
    }

    static void sortSiblings(std::vector<Node *> &nodes)
    {
        if (nodes.size() > 1) {
            const QCollator &collator = TextCollator();
            std::vector<std::pair<QCollatorSortKey, Node *>> keyed;
            keyed.reserve(nodes.size());
            for (Node *node : nodes)
                keyed.emplace_back(collator.sortKey(nodeText(node)), node);
            std::stable_sort(keyed.begin(), keyed.end(),
                             [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
            for (size_t i = 0; i < nodes.size(); ++i)
                nodes[i] = keyed[i].second;
        }
        for (Node *node : nodes)
            sortSiblings(node->children);
    }

    static void append(QList<CountTreeNode> &out, const Node *node, int depth)
    {
        CountTreeNode n;
        n.tag = node->row.key.toLongLong();
        n.depth = depth;
        n.description = node->row.name;
        n.type = node->row.type;
        n.changeType = node->row.type2;
        n.complexity = node->row.type3;
        n.value = node->value;
        n.hasChildren = !node->children.empty();
        out.append(std::move(n));
        for (const Node *child : node->children)
            append(out, child, depth + 1);
    }

    bool m_hierarchical;
    const std::vector<Row> *m_parents = nullptr;
    QHash<qint64, int> m_parentRowOfKey;
    QHash<qint64, Node *> m_index;
    QSet<qint64> m_inProgress;
    std::vector<std::unique_ptr<Node>> m_nodes;
    std::vector<Node *> m_topLevel;
};

} // namespace

QList<CountTreeNode> TransactionTreeNodes(Database &db, int countId)
{
    const std::vector<Row> parents =
        readRows(db, kTransColumns + QStringLiteral("WHERE Type = 'G' AND Count_Id = ?") + kTransOrder, countId, true);
    const std::vector<Row> items = readRows(
        db, kTransColumns + QStringLiteral("WHERE Type IN ('I', 'O', 'Q') AND Count_Id = ?") + kTransOrder, countId,
        true);
    Builder builder(true);
    builder.build(parents, items);
    return builder.walk();
}

QList<CountTreeNode> FileTreeNodes(Database &db, int countId)
{
    const std::vector<Row> items = readRows(
        db,
        QStringLiteral("SELECT Tag, Description, Type, FP_Val, Change_Type, Complexity FROM Files WHERE Count_Id = ?"),
        countId, false);
    Builder builder(false);
    builder.build({}, items);
    return builder.walk();
}

QList<WalkNode> SummaryWalkOf(const QList<CountTreeNode> &nodes)
{
    QList<WalkNode> walk;
    walk.reserve(nodes.size());
    for (const CountTreeNode &n : nodes) {
        WalkNode w;
        w.type = n.type;
        w.changeType = n.changeType;
        w.value = n.value;
        w.description = n.description;
        w.depth = n.depth;
        w.hasChildren = n.hasChildren;
        walk.append(std::move(w));
    }
    return walk;
}

} // namespace qm
