#pragma once

#include "analysis/summary.h"
#include "store/query.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QGroupBox;
class QLineEdit;
class QTreeWidgetItem;

namespace qm {

class Database;
class DialogService;
class TDBTreeView;
class TSummaryListView;
class TTreeNode;
struct AppState;

// The nodes of a tree in pre-order, or of one node's subtree. Placeholders
// of rows still being inserted are not items yet and are left out.
QList<WalkNode> SummaryWalkNodes(const TDBTreeView &tree, const QTreeWidgetItem *start = nullptr);

// Where the count summary writes its figures on the count page.
struct SummaryDisplays
{
    QPointer<TSummaryListView> summaryList;
    QPointer<TSummaryListView> transTotalsList;
    QPointer<QGroupBox> summaryGroup;
    QPointer<QLineEdit> totalUnadjusted;    // TotalUnAEdit
    QPointer<QLineEdit> totalAddedChanged;  // TotalUnAddChangeEdit
    QPointer<QLineEdit> totalDeleted;       // TotalUnDeleteEdit
    QPointer<QLineEdit> adjustedAddChanged; // TotalAddChangeEdit
    QPointer<QLineEdit> adjustedDeleted;    // TotalDeleteEdit
    QPointer<QLineEdit> totalAdjusted;      // TotalEdit
    QList<QPointer<QLineEdit>> vafAfter;    // every display of the factor after
    QPointer<QLineEdit> ownerSystem;        // "Count Copied From -System:"
    QPointer<QLineEdit> ownerDescription;   // "Description:"
};

// The summary of the open count, computed by walking the editor's two trees
// in the current mode, with the count totals and the two adjustment factors
// it reads from the working count row.
class TCountSummary : public QObject
{
    Q_OBJECT

public:
    TCountSummary(Database &db, AppState &state, DialogService &messages, QObject *parent = nullptr);

    void setTrees(TDBTreeView *trans, TDBTreeView *files);
    void setDisplays(const SummaryDisplays &displays) { m_displays = displays; }

    // The next refresh reads both factors again.
    void MarkVafStale() { m_vafStale = true; }
    bool vafStale() const { return m_vafStale; }
    double vafAfter() const { return m_vafAfter; }
    double vafBefore() const { return m_vafBefore; }

    // Mode, level or change counter moved since the last full refresh.
    bool IsStale() const;
    void RefreshSummary();
    void RefreshSummaryIfStale();
    // The summary of one transaction subtree, into the group totals list.
    void RefreshTransTotals(const QTreeWidgetItem *node);

    const CountTotalFigures &totals() const { return m_totals; }
    // Empties both lists, as when the editor closes.
    void ClearDisplays();
    // Forgets the stamp, so the next entry of a page refreshes.
    void Invalidate() { m_hasStamp = false; }

signals:
    // After every completed RefreshSummary.
    void SummaryRefreshed();

private:
    struct Stamp
    {
        int mode = 0;
        int level = 0;
        int changeCount = 0;
        bool operator==(const Stamp &) const = default;
    };

    Stamp CurrentStamp() const;
    void ReadFactors();
    void ReadOwnerCount();
    // False when the mode's table overflowed in a way that abandons it.
    bool WalkTree(SummaryTable &table, const TDBTreeView *tree, const QString &category,
                  const QTreeWidgetItem *start);
    void WriteTotals(const CountTotalFigures &totals, const ChangeSums &sums);

    Database &m_db;
    AppState &m_state;
    DialogService &m_messages;
    QPointer<TDBTreeView> m_transTree;
    QPointer<TDBTreeView> m_filesTree;
    SummaryDisplays m_displays;

    StoreQuery m_ownerQuery;
    bool m_vafStale = true;
    double m_vafAfter = 0.0;
    double m_vafBefore = 0.0;
    CountTotalFigures m_totals;
    Stamp m_stamp;
    bool m_hasStamp = false;
};

} // namespace qm
