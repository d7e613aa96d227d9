#include "analysis/filtertexts.h"

#include "counting/codes.h"
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

} // namespace qm
