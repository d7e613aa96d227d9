#include "counting/rules.h"

#include "counting/codes.h"

#include <cmath>

namespace qm {

namespace {

// Lower bounds of the middle and top band of each axis; anything below the
// middle band (0 included for RETs and FTRs) falls in the first band.
struct Bands {
    int rowMid, rowTop;
    int detMid, detTop;
};

Bands MatrixBands(Matrix matrix)
{
    switch (matrix) {
    case Matrix::File:
        return {2, 6, 20, 51};
    case Matrix::Input:
        return {2, 3, 5, 16};
    case Matrix::Output:
        return {2, 4, 6, 20};
    }
    return {2, 6, 20, 51};
}

int Band(int count, int mid, int top)
{
    return count >= top ? 2 : count >= mid ? 1 : 0;
}

} // namespace

QString ComplexityCode(int complexity)
{
    if (complexity < NotAssigned || complexity > High)
        complexity = NotAssigned;
    return QString::number(complexity);
}

int ComplexityFromCode(const QString &code)
{
    for (int c = NotAssigned; c <= High; ++c) {
        if (code == ComplexityCode(c))
            return c;
    }
    return NotAssigned;
}

int MatrixCell(Matrix matrix, int retOrFtrCount, int detCount)
{
    // Negative counts are not entered; they are treated like 0.
    if (detCount <= 0)
        return -1;
    const Bands b = MatrixBands(matrix);
    const int row = Band(retOrFtrCount, b.rowMid, b.rowTop);
    const int column = Band(detCount, b.detMid, b.detTop);
    return 3 * column + row;
}

int FileCell(int retCount, int detCount)
{
    return MatrixCell(Matrix::File, retCount, detCount);
}

int InputCell(int ftrCount, int detCount)
{
    return MatrixCell(Matrix::Input, ftrCount, detCount);
}

int OutputCell(int ftrCount, int detCount)
{
    return MatrixCell(Matrix::Output, ftrCount, detCount);
}

int CellComplexity(int cell)
{
    static constexpr int byCell[9] = {Low, Low, Average, Low, Average, High, Average, High, High};
    if (cell < 0 || cell > 8)
        return NotAssigned;
    return byCell[cell];
}

int TransComplexity(int inputCell, int outputCell, const QString &transTypeCode)
{
    const int in = CellComplexity(inputCell);
    const int out = CellComplexity(outputCell);
    if (transTypeCode == code::TransInput)
        return in;
    if (transTypeCode == code::TransOutput)
        return out;
    return qMax(in, out);
}

int TransWeight(int complexity, const QString &transTypeCode)
{
    if (complexity < Low || complexity > High)
        return 0;
    static constexpr int inputOrInquiry[4] = {0, 3, 4, 6};
    static constexpr int output[4] = {0, 4, 5, 7};
    if (transTypeCode == code::TransOutput)
        return output[complexity];
    if (transTypeCode == code::TransInput || transTypeCode == code::TransInquiry)
        return inputOrInquiry[complexity];
    return 0; // groups, and anything that is not a transaction type
}

int FileWeight(int complexity, const QString &fileTypeCode)
{
    if (complexity < Low || complexity > High)
        return 0;
    static constexpr int internal[4] = {0, 7, 10, 15};
    static constexpr int external[4] = {0, 5, 7, 10};
    return fileTypeCode == code::FileInternal ? internal[complexity] : external[complexity];
}

double ValueAdjustmentFactor(const Characteristics &values)
{
    int sum = 0;
    for (int v : values)
        sum += v;
    return sum / 100.0 + 0.65;
}

double RoundVafTwoDecimals(double vaf)
{
    return QString::number(vaf, 'f', 2).toDouble();
}

qint64 RoundFP(double fpVal)
{
    if (!std::isfinite(fpVal))
        return 0;
    return static_cast<qint64>(std::llround(fpVal));
}

void ChangeSums::add(const QString &changeCode, bool isGroup, double fpVal)
{
    if (isGroup)
        return;
    if (changeCode == code::ChangeAdded)
        added += RoundFP(fpVal);
    else if (changeCode == code::ChangeModified)
        modified += RoundFP(fpVal);
    else if (changeCode == code::ChangeDeleted)
        deleted += RoundFP(fpVal);
}

CountTotalFigures CountTotals(const ChangeSums &sums, double vaf, double oldVaf)
{
    CountTotalFigures t;
    t.addedChanged = sums.added + sums.modified;
    t.deleted = sums.deleted;
    t.unadjusted = t.addedChanged + t.deleted;
    const double after = static_cast<double>(t.addedChanged) * vaf;
    const double before = static_cast<double>(t.deleted) * oldVaf;
    // Truncated, never rounded; the total is truncated once from the two
    // unrounded products.
    t.adjustedAddedChanged = static_cast<qint64>(std::trunc(after));
    t.adjustedDeleted = static_cast<qint64>(std::trunc(before));
    t.totalAdjusted = static_cast<qint64>(std::trunc(after + before));
    return t;
}

namespace {

// Up to 15 significant digits: the product as computed, without the noise
// of its binary form (11 x 1.07 shows as 11.77).
QString plainNumber(double value)
{
    return QString::number(value, 'g', 15);
}

} // namespace

QString AdjustedProductText(qint64 points, double factor)
{
    return QStringLiteral("%1 x %2 = %3")
        .arg(QString::number(points), QString::number(factor, 'f', 2), plainNumber(static_cast<double>(points) * factor));
}

QString AdjustedTotalText(const ChangeSums &sums, double vaf, double oldVaf)
{
    const double after = static_cast<double>(sums.added + sums.modified) * vaf;
    const double before = static_cast<double>(sums.deleted) * oldVaf;
    return QStringLiteral("%1 + %2 = %3").arg(plainNumber(after), plainNumber(before), plainNumber(after + before));
}

double AdjustedRowValue(double unadjustedSum, const QString &changeCode, double vaf,
                        double oldVaf)
{
    return unadjustedSum * (changeCode == code::ChangeDeleted ? oldVaf : vaf);
}

QStringList MatrixRowCaptions(Matrix matrix)
{
    switch (matrix) {
    case Matrix::File:
        return {QStringLiteral("1 RET"), QStringLiteral("2-5 RETs"), QStringLiteral("6+ RETs")};
    case Matrix::Input:
        return {QStringLiteral("0-1 FTRs"), QStringLiteral("2 FTRs"), QStringLiteral("3+ FTRs")};
    case Matrix::Output:
        return {QStringLiteral("0-1 FTRs"), QStringLiteral("2-3 FTRs"),
                QStringLiteral("4+ FTRs")};
    }
    return {};
}

QString MatrixColumnHeading(Matrix matrix)
{
    switch (matrix) {
    case Matrix::File:
        return QStringLiteral("1-19  DETs   20-50 DETs  51+ DETs");
    case Matrix::Input:
        return QStringLiteral("1-4  DETs      5-15 DETs   16+ DETs");
    case Matrix::Output:
        return QStringLiteral("1-5  DETs      6-19 DETs   20+ DETs");
    }
    return {};
}

QStringList CellChoiceCaptions()
{
    // The first caption carries a trailing blank.
    return {QStringLiteral("Low "), QStringLiteral("Low"),  QStringLiteral("Average"),
            QStringLiteral("Low"),  QStringLiteral("Average"), QStringLiteral("High"),
            QStringLiteral("Average"), QStringLiteral("High"), QStringLiteral("High")};
}

QStringList CharacteristicCaptions()
{
    return {QStringLiteral("Data Communications"),
            QStringLiteral("Distributed Data Processing"),
            QStringLiteral("Performance"),
            QStringLiteral("Heavily Used Configuration"),
            QStringLiteral("Transaction Rate"),
            QStringLiteral("Online Data Entry"),
            QStringLiteral("End User Efficiency"),
            QStringLiteral("Online Update"),
            QStringLiteral("Complex Processing"),
            QStringLiteral("Reusability"),
            QStringLiteral("Installation Ease"),
            QStringLiteral("Operational Ease"),
            QStringLiteral("Multiple Sites"),
            QStringLiteral("Facilitates Change")};
}

} // namespace qm
