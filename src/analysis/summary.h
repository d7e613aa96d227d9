#pragma once

// The count summaries: rows aggregated from a walk of the editor's trees in
// one of four modes. Pure logic over a flattened walk; the widgets that show
// the rows and the totals live beside it.

#include "counting/rules.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace qm {

enum class SummaryMode { TypeChange = 0, Breakdown = 1, Type = 2, ChangeType = 3 };

inline constexpr int kSummaryModeCount = 4;
inline constexpr int kSummaryMinLevel = 1;
inline constexpr int kSummaryMaxLevel = 3;

// Any stored byte outside 0..3 reads as the first mode; a level outside 1..3
// as level 1.
SummaryMode SummaryModeFrom(int value);
int SummaryLevelFrom(int value);

// Menu caption of a mode ("Type / Change Type", ...).
QString SummaryModeCaption(SummaryMode mode);
// Caption of the summary group box while the mode is shown.
QString SummaryGroupCaption(SummaryMode mode, int level);
struct SummaryEntry;

// Column captions and cell texts of a summary list: the count's list uses
// the full texts, a group's totals the short ones.
QStringList SummaryColumnCaptions(SummaryMode mode, bool full);
QStringList SummaryRowCells(SummaryMode mode, const SummaryEntry &entry, bool full);

// Compares two cell texts the way the summary lists sort them: dates and
// times as such, numbers numerically, anything else as text in the
// locale's case-sensitive order.
int CompareSummaryCells(const QString &a, const QString &b);

// The number a list remembers to know whether a refill changed its kind.
int SummaryListKind(SummaryMode mode);

inline const QString kSummaryOverflowMessage = QStringLiteral("Summary Overflow - Limit Exceeded");

// One aggregated row.
struct SummaryEntry
{
    QString category;    // "T" or "F"
    QString type;
    QString changeType;  // modes 0 and 3 only
    QString description; // mode 1 only
    int depth = 0;       // mode 1 only
    int itemCount = 0;
    qint32 unadjusted = 0;
    double adjusted = 0.0;

    bool operator==(const SummaryEntry &) const = default;
};

// A node of a tree as the summary walk sees it, in pre-order.
struct WalkNode
{
    QString type;
    QString changeType;
    qint64 value = 0; // already rounded, as the tree shows it
    QString description;
    int depth = 0;
    bool hasChildren = false;

    bool operator==(const WalkNode &) const = default;
};

// The table of one walk: entries of the current mode with its capacity, and
// the running sums of the modes that keep them.
class SummaryTable
{
public:
    enum class WalkResult {
        Complete,
        Overflow,  // capacity passed in modes 0 and 1: report, keep the rows
        Abandoned, // capacity passed in modes 2 and 3: the refresh gives up
    };

    SummaryTable(SummaryMode mode, int level, double vafAfter, double vafBefore);

    SummaryMode mode() const { return m_mode; }
    static int Capacity(SummaryMode mode);

    void Clear();
    // Adds one tree's nodes (all of it, or one subtree) under a category.
    WalkResult Walk(const QList<WalkNode> &nodes, const QString &category);

    const QList<SummaryEntry> &entries() const { return m_entries; }
    // Added + changed and deleted sums behind the count totals.
    ChangeSums Sums() const;

private:
    static bool IsCounted(const WalkNode &node);
    double Adjusted(const WalkNode &node) const;
    void Count(SummaryEntry &entry, const WalkNode &node);
    WalkResult WalkGrouped(const QList<WalkNode> &nodes, const QString &category);
    WalkResult WalkBreakdown(const QList<WalkNode> &nodes, const QString &category);
    int FindOrAppend(const SummaryEntry &identity);

    SummaryMode m_mode;
    int m_level;
    double m_vafAfter;
    double m_vafBefore;
    QList<SummaryEntry> m_entries;
    ChangeSums m_running; // modes 1 and 2
};

// The rows as a freshly filled list shows them: sorted on the first column.
QList<QStringList> SortedSummaryRows(SummaryMode mode, const QList<SummaryEntry> &entries, bool full);

} // namespace qm
