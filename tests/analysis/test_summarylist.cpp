#include "analysis/summarylistview.h"
#include "testdatabase.h"

#include <QHeaderView>
#include <QtTest>

using namespace qm;

namespace {

SummaryEntry entry(const QString &category, const QString &type, const QString &change, int count, int unadjusted,
                   double adjusted, const QString &description = {})
{
    SummaryEntry e;
    e.category = category;
    e.type = type;
    e.changeType = change;
    e.description = description;
    e.itemCount = count;
    e.unadjusted = unadjusted;
    e.adjusted = adjusted;
    return e;
}

QStringList column(const TSummaryListView &list, int c)
{
    QStringList out;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        out << list.topLevelItem(i)->text(c);
    return out;
}

const QList<SummaryEntry> kRows = {
    entry("T", "I", "A", 12, 40, 42.8, "Orders"),
    entry("T", "O", "A", 3, 15, 16.05, "Reports"),
    entry("F", "I", "D", 4, 30, 30.0, "Customers"),
};

} // namespace

class TestSummaryList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void captions_data();
    void captions();
    void cells_data();
    void cells();
    void countListClicksAlternate();
    void groupListClicksToggle();
    void refillKeepsSortOnlyInSameMode();
    void figuresSortAsNumbers();
};

void TestSummaryList::initTestCase()
{
    QVERIFY(test::HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestSummaryList::captions_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("longCaptions");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("0 long") << 0 << true
                            << QStringList{"Type", "Change Type", "Count", "UnAdjusted FP", "Adjusted FP"};
    QTest::newRow("0 short") << 0 << false << QStringList{"Type", "Chng. Type", "Count", "UnAdj. FP", "Adj. FP"};
    QTest::newRow("1 long") << 1 << true
                            << QStringList{"Type", "Description", "Count", "UnAdjusted FP", "Adjusted FP"};
    QTest::newRow("1 short") << 1 << false << QStringList{"Description", "Count", "UnAdj. FP", "Adj. FP"};
    QTest::newRow("2 long") << 2 << true << QStringList{"Type", "Count", "UnAdjusted FP", "Adjusted FP"};
    QTest::newRow("2 short") << 2 << false << QStringList{"Type", "Count", "UnAdj. FP", "Adj. FP"};
    QTest::newRow("3 long") << 3 << true << QStringList{"Change Type", "Count", "UnAdjusted FP", "Adjusted FP"};
    QTest::newRow("3 short is the long") << 3 << false
                                         << QStringList{"Change Type", "Count", "UnAdjusted FP", "Adjusted FP"};
}

void TestSummaryList::captions()
{
    QFETCH(int, mode);
    QFETCH(bool, longCaptions);
    QFETCH(QStringList, expected);
    TSummaryListView list(longCaptions ? TSummaryListView::Captions::Long : TSummaryListView::Captions::Short,
                          TSummaryListView::ClickRule::Alternate);
    list.Fill(SummaryMode(mode), {});
    QCOMPARE(list.ColumnCaptions(), expected);
    QCOMPARE(list.topLevelItemCount(), 0);
    // Text columns sit left, figures right.
    QCOMPARE(list.headerItem()->textAlignment(0) & Qt::AlignHorizontal_Mask, int(Qt::AlignLeft));
    QCOMPARE(list.headerItem()->textAlignment(list.columnCount() - 1) & Qt::AlignHorizontal_Mask,
             int(Qt::AlignRight));
}

void TestSummaryList::cells_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("longCaptions");
    QTest::addColumn<QStringList>("expected");

    // The same category letter means different things for files.
    QTest::newRow("0 long file") << 0 << true
                                 << QStringList{"Files - Internal Logical", "Del", "4", "30", "30.0"};
    QTest::newRow("0 short file") << 0 << false << QStringList{"Files - ILF", "Del", "4", "30", "30.0"};
    QTest::newRow("1 long group") << 1 << true << QStringList{"Trans.", "Billing", "2", "9", "9.6"};
    QTest::newRow("1 short group") << 1 << false << QStringList{"Billing", "2", "9", "9.6"};
    QTest::newRow("2 long inquiry") << 2 << true
                                    << QStringList{"Transactions - External Inquiry", "1", "6", "6.4"};
    QTest::newRow("3 change type") << 3 << true << QStringList{"Mod", "1", "6", "6.4"};
}

void TestSummaryList::cells()
{
    QFETCH(int, mode);
    QFETCH(bool, longCaptions);
    QFETCH(QStringList, expected);
    SummaryEntry e;
    if (mode == 0)
        e = entry("F", "I", "D", 4, 30, 30.0);
    else if (mode == 1)
        e = entry("T", "G", "", 2, 9, 9.63, "Billing");
    else
        e = entry("T", "Q", "M", 1, 6, 6.42);
    TSummaryListView list(longCaptions ? TSummaryListView::Captions::Long : TSummaryListView::Captions::Short,
                          TSummaryListView::ClickRule::Alternate);
    list.setImages({QIcon(), QIcon(), QIcon(), QIcon(), QIcon(), QIcon()});
    list.Fill(SummaryMode(mode), {e});
    QCOMPARE(list.RowTexts(0), expected);
    QCOMPARE(list.Entries().value(0), e);
}

void TestSummaryList::countListClicksAlternate()
{
    TSummaryListView list(TSummaryListView::Captions::Long, TSummaryListView::ClickRule::Alternate);
    list.Fill(SummaryMode::TypeChange, kRows);
    // The direction alternates whatever column is clicked; the first click
    // sorts descending.
    list.HeaderClicked(2);
    QCOMPARE(column(list, 2), (QStringList{"12", "4", "3"}));
    list.HeaderClicked(2);
    QCOMPARE(column(list, 2), (QStringList{"3", "4", "12"}));
    list.HeaderClicked(3);
    QCOMPARE(column(list, 3), (QStringList{"40", "30", "15"}));
    QCOMPARE(list.header()->sortIndicatorSection(), 3);
    QCOMPARE(list.header()->sortIndicatorOrder(), Qt::DescendingOrder);
}

void TestSummaryList::groupListClicksToggle()
{
    TSummaryListView list(TSummaryListView::Captions::Short, TSummaryListView::ClickRule::ToggleColumn);
    list.Fill(SummaryMode::TypeChange, kRows);
    list.HeaderClicked(2);
    QCOMPARE(column(list, 2), (QStringList{"3", "4", "12"}));
    list.HeaderClicked(2);
    QCOMPARE(column(list, 2), (QStringList{"12", "4", "3"}));
    // Another column starts ascending again.
    list.HeaderClicked(3);
    QCOMPARE(column(list, 3), (QStringList{"15", "30", "40"}));
}

void TestSummaryList::refillKeepsSortOnlyInSameMode()
{
    TSummaryListView list(TSummaryListView::Captions::Long, TSummaryListView::ClickRule::Alternate);
    list.Fill(SummaryMode::TypeChange, kRows);
    list.HeaderClicked(2); // descending
    list.HeaderClicked(2); // ascending
    QList<SummaryEntry> refill = kRows;
    refill.append(entry("T", "Q", "A", 7, 20, 21.4));
    list.Fill(SummaryMode::TypeChange, refill);
    QCOMPARE(column(list, 2), (QStringList{"3", "4", "7", "12"}));
    QCOMPARE(list.sortColumn(), 2);

    // A different mode starts over on the first column, ascending.
    list.Fill(SummaryMode::Type, refill);
    QCOMPARE(list.sortColumn(), 0);
    QCOMPARE(list.sortOrder(), Qt::AscendingOrder);
    QCOMPARE(column(list, 0).first(), QStringLiteral("Files - Internal Logical"));
    // The alternation goes on from where the clicks left it.
    list.HeaderClicked(1);
    QCOMPARE(list.sortOrder(), Qt::DescendingOrder);
}

void TestSummaryList::figuresSortAsNumbers()
{
    QVERIFY(CompareSummaryCells(QStringLiteral("4.3"), QStringLiteral("12.0")) < 0);
    QVERIFY(CompareSummaryCells(QStringLiteral("12"), QStringLiteral("9")) > 0);
    QVERIFY(CompareSummaryCells(QStringLiteral("01/02/2024"), QStringLiteral("15/01/2024")) > 0);
    QVERIFY(CompareSummaryCells(QStringLiteral("Add"), QStringLiteral("Del")) < 0);
    // Case-sensitive: the same letters in another case are not equal.
    QVERIFY(CompareSummaryCells(QStringLiteral("add"), QStringLiteral("Add")) != 0);
}

QTEST_MAIN(TestSummaryList)
#include "test_summarylist.moc"
