#pragma once

// Complexity matrices, function point weights, the value adjustment factor
// and the totals of a count. Pure functions of integers and codes.

#include <QString>
#include <QStringList>

#include <array>

namespace qm {

enum Complexity { NotAssigned = 0, Low = 1, Average = 2, High = 3 };

// "0".."3"; anything outside 0..3 gives "0".
QString ComplexityCode(int complexity);
// 0..3; anything that is not one of the four codes gives NotAssigned.
int ComplexityFromCode(const QString &code);

// The three matrices. A cell is 3 * column + row (row = RET or FTR band,
// column = DET band), 0..8, or -1 when no DETs are counted.
enum class Matrix { File, Input, Output };

int MatrixCell(Matrix matrix, int retOrFtrCount, int detCount);
int FileCell(int retCount, int detCount);
int InputCell(int ftrCount, int detCount);
int OutputCell(int ftrCount, int detCount);

int CellComplexity(int cell);
// "I" rates by the input side, "O" by the output side, anything else by the
// more complex of the two.
int TransComplexity(int inputCell, int outputCell, const QString &transTypeCode);

int TransWeight(int complexity, const QString &transTypeCode);
// Any file type other than "I" weighs as an external interface file.
int FileWeight(int complexity, const QString &fileTypeCode);

inline constexpr int CharacteristicCount = 14;
using Characteristics = std::array<int, CharacteristicCount>;

// (sum of the fourteen) / 100 + 0.65 in double precision, deliberately
// unrounded: the totals truncate the products as they fall.
double ValueAdjustmentFactor(const Characteristics &values);
// The factor stored as `Old_VAF` of a derived count: two decimals, taken
// through the fixed two-decimal text form.
double RoundVafTwoDecimals(double vaf);

// An item's `FP_Val` as it is summed: nearest integer, halves away from zero.
qint64 RoundFP(double fpVal);

// Rounded item values summed by change type. Groups, unchanged ("N") items
// and any other code never count.
struct ChangeSums {
    qint64 added = 0;
    qint64 modified = 0;
    qint64 deleted = 0;

    void add(const QString &changeCode, bool isGroup, double fpVal);
};

struct CountTotalFigures {
    qint64 unadjusted = 0;          // A + M + D
    qint64 addedChanged = 0;        // A + M
    qint64 deleted = 0;             // D
    qint64 adjustedAddedChanged = 0; // trunc((A + M) * VAF)
    qint64 adjustedDeleted = 0;     // trunc(D * Old_VAF)
    qint64 totalAdjusted = 0;       // trunc((A + M) * VAF + D * Old_VAF)
};

CountTotalFigures CountTotals(const ChangeSums &sums, double vaf, double oldVaf);

// The unrounded products behind the truncated adjusted totals, so that a
// total that is not the sum of the shown parts can be explained:
// "11 x 1.07 = 11.77", and for the total "11.77 + 3.21 = 14.98".
QString AdjustedProductText(qint64 points, double factor);
QString AdjustedTotalText(const ChangeSums &sums, double vaf, double oldVaf);

// Adjusted value of one summary row: deleted items at the factor before the
// change, everything else at the factor after it.
double AdjustedRowValue(double unadjustedSum, const QString &changeCode, double vaf,
                        double oldVaf);

// Captions of the matrix controls.
QStringList MatrixRowCaptions(Matrix matrix);
QString MatrixColumnHeading(Matrix matrix);
// The nine choices of a matrix group, in cell order.
QStringList CellChoiceCaptions();

// The fourteen general system characteristics, `VAF_1` first.
QStringList CharacteristicCaptions();

namespace caption {
inline const QString TotalUnadjusted = QStringLiteral("Total Unadjusted FPs:");
inline const QString TotalAddedChanged = QStringLiteral("Total Added + Changed (After):");
inline const QString TotalDeleted = QStringLiteral("Total Deleted:");
inline const QString TotalAdjusted = QStringLiteral("Total Adjusted FPs:");
inline const QString VafAfter = QStringLiteral("VAF(After):");
inline const QString VafBefore = QStringLiteral("VAF(Before):");
inline const QString Times = QStringLiteral("x");
inline const QString Equals = QStringLiteral("=");
} // namespace caption

} // namespace qm
