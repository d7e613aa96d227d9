#pragma once

// The editor's two trees built without widgets from the working tables:
// the same rows, order, nesting and values as the trees show, for tools
// that compute the count's figures without a window. The editor's own
// trees stay the reference; a test holds the two together.

#include "analysis/summary.h"

#include <QList>
#include <QString>

namespace qm {

class Database;

struct CountTreeNode
{
    qint64 tag = 0;
    int depth = 0; // 0 for a top-level node
    QString description;
    QString type;       // first character, as the tree keeps it
    QString changeType; // first character
    QString complexity; // first character
    qint64 value = 0;   // a group's is its own plus its subtree's
    bool hasChildren = false;
};

// Pre-order, siblings in the tree's text order.
QList<CountTreeNode> TransactionTreeNodes(Database &db, int countId);
QList<CountTreeNode> FileTreeNodes(Database &db, int countId);

// The nodes as the summary walks them.
QList<WalkNode> SummaryWalkOf(const QList<CountTreeNode> &nodes);

} // namespace qm
