#include "analysis/countfigures.h"

#include "counting/codes.h"
#include "store/database.h"

#include <QStringList>

namespace qm {

namespace {

QString vafSum()
{
    QStringList terms;
    for (int i = 1; i <= CharacteristicCount; ++i)
        terms << QStringLiteral("VAF_%1").arg(i);
    return terms.join(QStringLiteral(" + "));
}

} // namespace

double WorkingVafAfter(Database &db, int countId)
{
    return db.scalar(QStringLiteral("SELECT (%1) / 100.00 + 0.65 AS VAF FROM Counts WHERE Id = ?").arg(vafSum()),
                     {countId})
        .toDouble();
}

double WorkingVafBefore(Database &db, int countId)
{
    return db.scalar(QStringLiteral("SELECT Old_VAF FROM Counts WHERE Id = ?"), {countId}).toDouble();
}

CountFigures ComputeCountFigures(Database &db, int countId, SummaryMode mode, int level,
                                 const QList<CountTreeNode> &transactions, const QList<CountTreeNode> &files)
{
    CountFigures f;
    f.mode = mode;
    f.level = SummaryLevelFrom(level);
    f.vafAfter = WorkingVafAfter(db, countId);
    f.vafBefore = WorkingVafBefore(db, countId);
    SummaryTable table(mode, f.level, f.vafAfter, f.vafBefore);
    // The file tree is walked even after the transaction tree overflowed.
    for (const auto &[nodes, category] :
         {std::pair{&transactions, code::SummaryTrans}, std::pair{&files, code::SummaryFiles}}) {
        switch (table.Walk(SummaryWalkOf(*nodes), category)) {
        case SummaryTable::WalkResult::Complete:
            break;
        case SummaryTable::WalkResult::Overflow:
            f.overflow = true;
            break;
        case SummaryTable::WalkResult::Abandoned:
            f.overflow = true;
            f.abandoned = true;
            return f;
        }
    }
    f.entries = table.entries();
    f.sums = table.Sums();
    f.totals = CountTotals(f.sums, f.vafAfter, f.vafBefore);
    return f;
}

} // namespace qm
