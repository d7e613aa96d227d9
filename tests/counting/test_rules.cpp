#include "counting/codes.h"
#include "counting/rules.h"

#include <QtTest>

using namespace qm;

Q_DECLARE_METATYPE(qm::Matrix)

namespace {

Characteristics Filled(int value)
{
    Characteristics c;
    c.fill(value);
    return c;
}

// Nine characteristics at 5, one at 3: a sum of 48.
Characteristics SumOf48()
{
    Characteristics c = Filled(0);
    for (int i = 0; i < 9; ++i)
        c[i] = 5;
    c[9] = 3;
    return c;
}

} // namespace

class TestRules : public QObject {
    Q_OBJECT

private slots:
    void matrixBands_data();
    void matrixBands();
    void cellComplexity_data();
    void cellComplexity();
    void cellCaptionsMatchComplexity();
    void complexityCodes();
    void transactionRating_data();
    void transactionRating();
    void weights_data();
    void weights();
    void valueAdjustmentFactor_data();
    void valueAdjustmentFactor();
    void roundFP_data();
    void roundFP();
    void changeSumsSkipGroupsAndUnchanged();
    void totals_data();
    void totals();
    void adjustedRowValue();
    void adjustedProductTexts_data();
    void adjustedProductTexts();
    void roundVafTwoDecimals_data();
    void roundVafTwoDecimals();
};

void TestRules::matrixBands_data()
{
    QTest::addColumn<Matrix>("matrix");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<int>("dets");
    QTest::addColumn<int>("cell");

    const Matrix F = Matrix::File, I = Matrix::Input, O = Matrix::Output;
    // Logical file: RET 0-1 | 2-5 | 6+, DET 1-19 | 20-50 | 51+.
    QTest::newRow("file 0 dets") << F << 3 << 0 << -1;
    QTest::newRow("file 0 dets 6 rets") << F << 6 << 0 << -1;
    QTest::newRow("file 0 rets") << F << 0 << 10 << 0;
    QTest::newRow("file 1 ret") << F << 1 << 1 << 0;
    QTest::newRow("file 2 rets") << F << 2 << 1 << 1;
    QTest::newRow("file 5 rets") << F << 5 << 19 << 1;
    QTest::newRow("file 6 rets") << F << 6 << 19 << 2;
    QTest::newRow("file 19 dets") << F << 1 << 19 << 0;
    QTest::newRow("file 20 dets") << F << 1 << 20 << 3;
    QTest::newRow("file 50 dets") << F << 2 << 50 << 4;
    QTest::newRow("file 51 dets") << F << 6 << 51 << 8;
    // Input side: FTR 0-1 | 2 | 3+, DET 1-4 | 5-15 | 16+.
    QTest::newRow("input 0 dets") << I << 2 << 0 << -1;
    QTest::newRow("input 0 ftrs") << I << 0 << 4 << 0;
    QTest::newRow("input 1 ftr") << I << 1 << 4 << 0;
    QTest::newRow("input 2 ftrs") << I << 2 << 4 << 1;
    QTest::newRow("input 3 ftrs") << I << 3 << 4 << 2;
    QTest::newRow("input 5 dets") << I << 1 << 5 << 3;
    QTest::newRow("input 15 dets") << I << 2 << 15 << 4;
    QTest::newRow("input 16 dets") << I << 3 << 16 << 8;
    // Output side: FTR 0-1 | 2-3 | 4+, DET 1-5 | 6-19 | 20+.
    QTest::newRow("output 0 dets") << O << 4 << 0 << -1;
    QTest::newRow("output 0 ftrs") << O << 0 << 5 << 0;
    QTest::newRow("output 1 ftr") << O << 1 << 5 << 0;
    QTest::newRow("output 2 ftrs") << O << 2 << 5 << 1;
    QTest::newRow("output 3 ftrs") << O << 3 << 5 << 1;
    QTest::newRow("output 4 ftrs") << O << 4 << 5 << 2;
    QTest::newRow("output 6 dets") << O << 1 << 6 << 3;
    QTest::newRow("output 19 dets") << O << 3 << 19 << 4;
    QTest::newRow("output 20 dets") << O << 3 << 20 << 7;
}

void TestRules::matrixBands()
{
    QFETCH(Matrix, matrix);
    QFETCH(int, rowCount);
    QFETCH(int, dets);
    QFETCH(int, cell);

    QCOMPARE(MatrixCell(matrix, rowCount, dets), cell);
    switch (matrix) {
    case Matrix::File:
        QCOMPARE(FileCell(rowCount, dets), cell);
        break;
    case Matrix::Input:
        QCOMPARE(InputCell(rowCount, dets), cell);
        break;
    case Matrix::Output:
        QCOMPARE(OutputCell(rowCount, dets), cell);
        break;
    }
}

void TestRules::cellComplexity_data()
{
    QTest::addColumn<QList<int>>("cells");
    QTest::addColumn<int>("complexity");

    QTest::newRow("no cell") << QList<int>{-1, 9, -5} << int(NotAssigned);
    QTest::newRow("low") << QList<int>{0, 1, 3} << int(Low);
    QTest::newRow("average") << QList<int>{2, 4, 6} << int(Average);
    QTest::newRow("high") << QList<int>{5, 7, 8} << int(High);
}

void TestRules::cellComplexity()
{
    QFETCH(QList<int>, cells);
    QFETCH(int, complexity);
    for (int cell : cells)
        QCOMPARE(CellComplexity(cell), complexity);
}

void TestRules::cellCaptionsMatchComplexity()
{
    // The matrix choices show each cell's complexity; they must agree with the
    // rating the counting uses.
    const QStringList captions = CellChoiceCaptions();
    QCOMPARE(captions.size(), 9);
    QCOMPARE(captions.first(), QStringLiteral("Low "));
    for (int cell = 0; cell < 9; ++cell)
        QCOMPARE(captions[cell].trimmed(), ComplexityText(ComplexityCode(CellComplexity(cell))));

    for (Matrix m : {Matrix::File, Matrix::Input, Matrix::Output})
        QCOMPARE(MatrixRowCaptions(m).size(), 3);
    QCOMPARE(CharacteristicCaptions().size(), CharacteristicCount);
    QCOMPARE(MatrixColumnHeading(Matrix::Input), QStringLiteral("1-4  DETs      5-15 DETs   16+ DETs"));
}

void TestRules::complexityCodes()
{
    for (int c = NotAssigned; c <= High; ++c)
        QCOMPARE(ComplexityFromCode(ComplexityCode(c)), c);
    // Anything but the four exact codes reads as not assigned.
    for (const char *bad : {"4", " 2", "", "-1"})
        QCOMPARE(ComplexityFromCode(QString::fromLatin1(bad)), int(NotAssigned));
    QCOMPARE(ComplexityCode(7), QStringLiteral("0"));
}

void TestRules::transactionRating_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("inFtrs");
    QTest::addColumn<int>("inDets");
    QTest::addColumn<int>("outFtrs");
    QTest::addColumn<int>("outDets");
    QTest::addColumn<int>("complexity");
    QTest::addColumn<int>("weight");

    QTest::newRow("input 2/16 high") << "I" << 2 << 16 << 0 << 0 << int(High) << 6;
    QTest::newRow("output 3/19 average") << "O" << 0 << 0 << 3 << 19 << int(Average) << 5;
    QTest::newRow("output 3/20 high") << "O" << 0 << 0 << 3 << 20 << int(High) << 7;
    QTest::newRow("inquiry takes higher side") << "Q" << 1 << 3 << 4 << 20 << int(High) << 6;
    QTest::newRow("inquiry input side higher") << "Q" << 3 << 16 << 1 << 1 << int(High) << 6;
    QTest::newRow("inquiry one side only") << "Q" << 0 << 0 << 2 << 6 << int(Average) << 4;
    // Each single-sided type looks at its own side only.
    QTest::newRow("input ignores output") << "I" << 1 << 1 << 4 << 20 << int(Low) << 3;
    QTest::newRow("input without dets") << "I" << 3 << 0 << 4 << 20 << int(NotAssigned) << 0;
    QTest::newRow("output ignores input") << "O" << 3 << 16 << 0 << 1 << int(Low) << 4;
    QTest::newRow("output without dets") << "O" << 3 << 16 << 4 << 0 << int(NotAssigned) << 0;
    QTest::newRow("group") << "G" << 0 << 0 << 0 << 0 << int(NotAssigned) << 0;
}

void TestRules::transactionRating()
{
    QFETCH(QString, type);
    QFETCH(int, inFtrs);
    QFETCH(int, inDets);
    QFETCH(int, outFtrs);
    QFETCH(int, outDets);
    QFETCH(int, complexity);
    QFETCH(int, weight);

    const int rated = TransComplexity(InputCell(inFtrs, inDets), OutputCell(outFtrs, outDets), type);
    QCOMPARE(rated, complexity);
    QCOMPARE(TransWeight(rated, type), weight);
}

void TestRules::weights_data()
{
    QTest::addColumn<bool>("isFile");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QList<int>>("byComplexity");

    QTest::newRow("external input") << false << "I" << QList<int>{0, 3, 4, 6};
    QTest::newRow("external output") << false << "O" << QList<int>{0, 4, 5, 7};
    QTest::newRow("external inquiry") << false << "Q" << QList<int>{0, 3, 4, 6};
    QTest::newRow("group") << false << "G" << QList<int>{0, 0, 0, 0};
    QTest::newRow("unknown transaction") << false << "Z" << QList<int>{0, 0, 0, 0};
    QTest::newRow("internal logical") << true << "I" << QList<int>{0, 7, 10, 15};
    QTest::newRow("external interface") << true << "E" << QList<int>{0, 5, 7, 10};
    QTest::newRow("unknown file type") << true << "Z" << QList<int>{0, 5, 7, 10};
    QTest::newRow("empty file type") << true << "" << QList<int>{0, 5, 7, 10};
}

void TestRules::weights()
{
    QFETCH(bool, isFile);
    QFETCH(QString, type);
    QFETCH(QList<int>, byComplexity);

    auto weigh = [&](int complexity) {
        return isFile ? FileWeight(complexity, type) : TransWeight(complexity, type);
    };
    for (int c = NotAssigned; c <= High; ++c)
        QCOMPARE(weigh(c), byComplexity[c]);
    // Out-of-range complexities weigh nothing rather than reading past a table.
    QCOMPARE(weigh(-1), 0);
    QCOMPARE(weigh(4), 0);
}

void TestRules::valueAdjustmentFactor_data()
{
    QTest::addColumn<Characteristics>("values");
    QTest::addColumn<double>("vaf");

    QTest::newRow("all 0") << Filled(0) << 0.65;
    QTest::newRow("all 5") << Filled(5) << 1.35;
    QTest::newRow("all 3") << Filled(3) << 1.07;
    QTest::newRow("sum 48") << SumOf48() << 1.13;
}

void TestRules::valueAdjustmentFactor()
{
    QFETCH(Characteristics, values);
    QFETCH(double, vaf);
    QCOMPARE(ValueAdjustmentFactor(values), vaf);
}

void TestRules::roundFP_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("rounded");

    QTest::newRow("whole") << 7.0 << qint64(7);
    QTest::newRow("below half") << 4.49 << qint64(4);
    QTest::newRow("half") << 4.5 << qint64(5);
    QTest::newRow("above half") << 4.51 << qint64(5);
    QTest::newRow("zero") << 0.0 << qint64(0);
    QTest::newRow("not a number") << qQNaN() << qint64(0);
}

void TestRules::roundFP()
{
    QFETCH(double, value);
    QFETCH(qint64, rounded);
    QCOMPARE(RoundFP(value), rounded);
}

void TestRules::changeSumsSkipGroupsAndUnchanged()
{
    ChangeSums sums;
    sums.add(code::ChangeAdded, false, 2.5);
    sums.add(code::ChangeAdded, false, 2.5);    // each item rounds: 3 + 3, not 5
    sums.add(code::ChangeAdded, true, 40);      // groups never count
    sums.add(code::ChangeModified, false, 4.4);
    sums.add(code::ChangeModified, true, 10);
    sums.add(code::ChangeDeleted, false, 7);
    sums.add(code::ChangeNone, false, 15);      // unchanged items never count
    sums.add(code::ChangePlaceholder, false, 9);
    sums.add(QStringLiteral("a"), false, 9);
    QCOMPARE(sums.added, qint64(6));
    QCOMPARE(sums.modified, qint64(4));
    QCOMPARE(sums.deleted, qint64(7));

    const CountTotalFigures t = CountTotals(sums, 1.0, 1.0);
    QCOMPARE(t.unadjusted, qint64(17));
    QCOMPARE(t.totalAdjusted, qint64(17));
}

void TestRules::totals_data()
{
    QTest::addColumn<qint64>("added");
    QTest::addColumn<qint64>("modified");
    QTest::addColumn<qint64>("deleted");
    QTest::addColumn<double>("vaf");
    QTest::addColumn<double>("oldVaf");
    // unadjusted, added+changed, deleted, adjusted added+changed, adjusted deleted, total
    QTest::addColumn<QList<qint64>>("expected");

    const double vaf107 = ValueAdjustmentFactor(Filled(3));
    QTest::newRow("base count") << qint64(100) << qint64(0) << qint64(0) << vaf107 << 1.0
                                << QList<qint64>{100, 100, 0, 107, 0, 107};
    // 1.13 has no exact binary form: 100 * VAF falls just below 113.
    QTest::newRow("truncated below 113")
        << qint64(100) << qint64(0) << qint64(0) << ValueAdjustmentFactor(SumOf48()) << 1.0
        << QList<qint64>{100, 100, 0, 112, 0, 112};
    // 53.5 + 20 is truncated once, and deleted items count at the old factor.
    QTest::newRow("enhancement") << qint64(30) << qint64(20) << qint64(20) << vaf107 << 1.0
                                 << QList<qint64>{70, 50, 20, 53, 20, 73};
    // Two truncated parts would give 53 + 21 = 74; the unrounded sum is 75.
    QTest::newRow("total truncated once")
        << qint64(50) << qint64(0) << qint64(15) << vaf107 << 1.45
        << QList<qint64>{65, 50, 15, 53, 21, 75};
    QTest::newRow("empty count") << qint64(0) << qint64(0) << qint64(0) << vaf107 << 1.0
                                 << QList<qint64>{0, 0, 0, 0, 0, 0};
}

void TestRules::totals()
{
    QFETCH(qint64, added);
    QFETCH(qint64, modified);
    QFETCH(qint64, deleted);
    QFETCH(double, vaf);
    QFETCH(double, oldVaf);
    QFETCH(QList<qint64>, expected);

    ChangeSums sums;
    sums.added = added;
    sums.modified = modified;
    sums.deleted = deleted;
    const CountTotalFigures t = CountTotals(sums, vaf, oldVaf);
    const QList<qint64> actual{t.unadjusted,           t.addedChanged,    t.deleted,
                               t.adjustedAddedChanged, t.adjustedDeleted, t.totalAdjusted};
    QCOMPARE(actual, expected);
}

void TestRules::adjustedProductTexts_data()
{
    QTest::addColumn<qint64>("addedChanged");
    QTest::addColumn<qint64>("deleted");
    QTest::addColumn<double>("vaf");
    QTest::addColumn<double>("oldVaf");
    QTest::addColumn<QString>("afterText");
    QTest::addColumn<QString>("beforeText");
    QTest::addColumn<QString>("totalText");

    const double vaf107 = ValueAdjustmentFactor(Filled(3));
    QTest::newRow("binary noise hidden") << qint64(11) << qint64(0) << vaf107 << 1.0 << "11 x 1.07 = 11.77"
                                         << "0 x 1.00 = 0" << "11.77 + 0 = 11.77";
    QTest::newRow("enhancement") << qint64(50) << qint64(20) << vaf107 << 0.95 << "50 x 1.07 = 53.5"
                                 << "20 x 0.95 = 19" << "53.5 + 19 = 72.5";
    QTest::newRow("nothing counted") << qint64(0) << qint64(0) << vaf107 << 1.0 << "0 x 1.07 = 0"
                                     << "0 x 1.00 = 0" << "0 + 0 = 0";
}

void TestRules::adjustedProductTexts()
{
    QFETCH(qint64, addedChanged);
    QFETCH(qint64, deleted);
    QFETCH(double, vaf);
    QFETCH(double, oldVaf);
    QFETCH(QString, afterText);
    QFETCH(QString, beforeText);
    QFETCH(QString, totalText);

    ChangeSums sums;
    sums.added = addedChanged;
    sums.deleted = deleted;
    QCOMPARE(AdjustedProductText(addedChanged, vaf), afterText);
    QCOMPARE(AdjustedProductText(deleted, oldVaf), beforeText);
    QCOMPARE(AdjustedTotalText(sums, vaf, oldVaf), totalText);
}

void TestRules::adjustedRowValue()
{
    const double vaf = ValueAdjustmentFactor(Filled(3));
    QCOMPARE(AdjustedRowValue(4, code::ChangeAdded, vaf, 1.0), 4 * vaf);
    QCOMPARE(AdjustedRowValue(4, code::ChangeModified, vaf, 1.0), 4 * vaf);
    QCOMPARE(AdjustedRowValue(3, code::ChangeDeleted, vaf, 1.0), 3.0);
    QCOMPARE(AdjustedRowValue(3, code::ChangeDeleted, vaf, 0.9), 3 * 0.9);
}

void TestRules::roundVafTwoDecimals_data()
{
    QTest::addColumn<double>("vaf");
    QTest::addColumn<double>("rounded");

    QTest::newRow("imported") << 0.987 << 0.99;
    QTest::newRow("computed 1.13") << ValueAdjustmentFactor(SumOf48()) << 1.13;
    QTest::newRow("computed 1.07") << ValueAdjustmentFactor(Filled(3)) << 1.07;
    QTest::newRow("three decimals") << 1.351 << 1.35;
}

void TestRules::roundVafTwoDecimals()
{
    QFETCH(double, vaf);
    QFETCH(double, rounded);
    // Exact comparison: the stored factor must be the double nearest to the
    // two-decimal text, not merely close to it.
    QVERIFY2(RoundVafTwoDecimals(vaf) == rounded,
             qPrintable(QString::number(RoundVafTwoDecimals(vaf), 'g', 17)));
}

QTEST_GUILESS_MAIN(TestRules)
#include "test_rules.moc"
