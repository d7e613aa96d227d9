#include "analysis/filtertexts.h"

#include "counting/codes.h"
#include "counting/rules.h"
#include "store/database.h"

#include <QSqlQuery>
#include <QStringList>

namespace qm {

namespace {

template <size_t N>
QString InClause(const char *head, const std::array<bool, N> &ticked, const std::array<const char *, N> &codes)
{
    QStringList fragments;
    for (size_t i = 0; i < N; ++i)
        if (ticked[i])
            fragments << QStringLiteral("'%1'").arg(QLatin1String(codes[i]));
    // No box ticked is "Show All": no condition.
    if (fragments.isEmpty())
        return {};
    return QLatin1String(head) + fragments.join(QLatin1Char(',')) + QLatin1Char(')');
}

} // namespace

FilterTexts BuildFilterTexts(const FilterChoices &choices, int countId, int fileTag)
{
    const QString change = InClause(" and Change_Type in (", choices.changeTypes, kFilterChangeCodes);
    const QString complexity = InClause(" and Complexity in (", choices.complexities, kFilterComplexityCodes);
    const QString type = InClause(" and Type in (", choices.transTypes, kFilterTransTypeCodes);
    QString file;
    if (fileTag != 0)
        file = QStringLiteral(" and Tag in (Select Trans_Tag from FilesLink where Count_Id = %1 and File_Tag = %2)")
                   .arg(countId)
                   .arg(fileTag);
    FilterTexts texts;
    texts.fileText = change + complexity;
    texts.transText = change + complexity + type + file;
    return texts;
}

qint64 UnfilteredTotalAdjusted(Database &db, int countId, double vafAfter, double vafBefore)
{
    // The same items an unfiltered tree holds: every elementary transaction
    // (wherever its group is) and every file.
    ChangeSums sums;
    for (const QString &sql :
         {QStringLiteral("SELECT Change_Type, FP_Val FROM Trans WHERE Count_Id = ? AND Type IN ('I', 'O', 'Q')"),
          QStringLiteral("SELECT Change_Type, FP_Val FROM Files WHERE Count_Id = ?")}) {
        QSqlQuery q = db.exec(sql, {countId});
        while (q.next())
            sums.add(q.value(0).toString(), false, q.value(1).toDouble());
    }
    return CountTotals(sums, vafAfter, vafBefore).totalAdjusted;
}

} // namespace qm
