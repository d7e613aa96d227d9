#pragma once

// The figures of the count in the working tables as the count page shows
// them: factors, summary rows of a mode and the six totals. Computed from
// the trees' walks by the same summary table the page fills.

#include "analysis/counttree.h"
#include "analysis/summary.h"
#include "counting/rules.h"

#include <QList>

namespace qm {

class Database;

// (sum of the fourteen) / 100 + 0.65 of the working count, and its
// `Old_VAF`; 0 when the count is not in the working table.
double WorkingVafAfter(Database &db, int countId);
double WorkingVafBefore(Database &db, int countId);

struct CountFigures
{
    SummaryMode mode = SummaryMode::TypeChange;
    int level = kSummaryMinLevel;
    double vafAfter = 0.0;
    double vafBefore = 0.0;
    QList<SummaryEntry> entries;
    ChangeSums sums;
    CountTotalFigures totals;
    // The table passed its capacity: rows were kept up to it (modes 0 and
    // 1), or the modes 2 and 3 gave up and hold no rows.
    bool overflow = false;
    bool abandoned = false;
};

CountFigures ComputeCountFigures(Database &db, int countId, SummaryMode mode, int level,
                                 const QList<CountTreeNode> &transactions, const QList<CountTreeNode> &files);

} // namespace qm
