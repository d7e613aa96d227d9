#include "analysis/summary.h"

#include <QtTest>

using namespace qm;

namespace {

// A tree in pre-order, one node per ";"-separated item: depth, type, change
// type, value and name, for example "0 G A 0 Top; 1 I A 4 Add customer".
QList<WalkNode> tree(const QString &layout)
{
    QList<WalkNode> nodes;
    for (const QString &item : layout.split(u';', Qt::SkipEmptyParts)) {
        const QStringList f = item.trimmed().split(u' ');
        WalkNode n;
        n.depth = f[0].toInt();
        n.type = f[1];
        n.changeType = f[2];
        n.value = f[3].toLongLong();
        n.description = f.mid(4).join(u' ');
        nodes << n;
    }
    for (qsizetype i = 0; i + 1 < nodes.size(); ++i)
        nodes[i].hasChildren = nodes[i + 1].depth > nodes[i].depth;
    return nodes;
}

// "category type change description count unadjusted adjusted" per row.
QStringList rows(const SummaryTable &table)
{
    QStringList out;
    for (const SummaryEntry &e : table.entries())
        out << QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
                   .arg(e.category, e.type, e.changeType, e.description)
                   .arg(e.itemCount)
                   .arg(e.unadjusted)
                   .arg(e.adjusted, 0, 'f', 2);
    return out;
}

QString sums(const SummaryTable &table)
{
    const ChangeSums s = table.Sums();
    return QStringLiteral("%1+%2/%3").arg(s.added).arg(s.modified).arg(s.deleted);
}

} // namespace

class TestSummary : public QObject
{
    Q_OBJECT

private slots:
    void modes_data();
    void modes();
    void overflow_data();
    void overflow();
};

void TestSummary::modes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("transTree");
    QTest::addColumn<QString>("fileTree");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("expectedSums");

    const QString inputs = QStringLiteral("0 I A 4 New order; 0 I D 3 Old order");
    QTest::newRow("empty count, type/change") << 0 << 1 << QString() << QString() << QStringList() << "0+0/0";
    QTest::newRow("empty count, breakdown") << 1 << 1 << QString() << QString() << QStringList() << "0+0/0";
    for (int mode = 0; mode < 4; ++mode)
        QTest::addRow("all unchanged, mode %d", mode)
            << mode << 1 << "0 G N 0 Top; 1 I N 4 In; 1 O N 5 Out" << "0 I N 7 Customers" << QStringList()
            << "0+0/0";

    // Deleted items are adjusted at the factor before the change.
    QTest::newRow("type/change: added and deleted input")
        << 0 << 1 << inputs << QString() << QStringList{"T|I|A||1|4|4.28", "T|I|D||1|3|3.00"} << "4+0/3";
    QTest::newRow("type/change: rows in the order first met, files after transactions")
        << 0 << 1 << "0 O M 5 Report; 0 I A 3 Entry; 0 O M 7 Statement" << "0 I A 10 Customers"
        << QStringList{"T|O|M||2|12|12.84", "T|I|A||1|3|3.21", "F|I|A||1|10|10.70"} << "13+12/0";
    QTest::newRow("type: change types share the row")
        << 2 << 1 << inputs << "0 E M 5 Rates" << QStringList{"T|I|||2|7|7.28", "F|E|||1|5|5.35"} << "4+5/3";
    QTest::newRow("change type: transactions and files share the row")
        << 3 << 1 << "0 I A 4 Entry" << "0 I A 7 Customers" << QStringList{"||A||2|11|11.77"} << "11+0/0";
    QTest::newRow("groups never count, even with a value")
        << 0 << 1 << "0 G A 9 Top; 1 Q A 6 Enquiry" << QString() << QStringList{"T|Q|A||1|6|6.42"} << "6+0/0";

    const QString nested =
        QStringLiteral("0 G A 0 Top; 1 G A 0 Orders; 2 I A 4 New order; 2 O A 5 Order list; "
                       "1 G A 0 Stock; 2 Q M 6 Stock enquiry; 0 I A 3 Login");
    QTest::newRow("breakdown level 1: the child groups and a lone top-level item")
        << 1 << 1 << nested << QString()
        << QStringList{"T|G||Orders|2|9|9.63", "T|G||Stock|1|6|6.42", "T|I||Login|1|3|3.21"} << "12+6/0";
    QTest::newRow("breakdown level 2: the items inside the child groups")
        << 1 << 2 << nested << QString()
        << QStringList{"T|I||New order|1|4|4.28", "T|O||Order list|1|5|5.35", "T|Q||Stock enquiry|1|6|6.42",
                       "T|I||Login|1|3|3.21"}
        << "12+6/0";
    QTest::newRow("breakdown: a group of unchanged items is no row")
        << 1 << 1 << "0 G A 0 Top; 1 G A 0 Old; 2 I N 4 Kept; 1 G A 0 New; 2 I A 4 Added" << QString()
        << QStringList{"T|G||New|1|4|4.28"} << "4+0/0";
    QTest::newRow("breakdown: every file is a row of its own")
        << 1 << 1 << QString() << "0 I A 7 Customers; 0 E D 5 Rates; 0 I N 10 Kept"
        << QStringList{"F|I||Customers|1|7|7.49", "F|E||Rates|1|5|5.00"} << "7+0/5";
    const QString sixty = QString(60, u'x');
    QTest::newRow("breakdown: descriptions keep all sixty characters")
        << 1 << 1 << QString() << "0 I A 7 " + sixty << QStringList{"F|I||" + sixty + "|1|7|7.49"} << "7+0/0";
}

void TestSummary::modes()
{
    QFETCH(int, mode);
    QFETCH(int, level);
    QFETCH(QString, transTree);
    QFETCH(QString, fileTree);
    QFETCH(QStringList, expected);
    QFETCH(QString, expectedSums);

    SummaryTable table(SummaryMode(mode), level, 1.07, 1.00);
    QCOMPARE(table.Walk(tree(transTree), QStringLiteral("T")), SummaryTable::WalkResult::Complete);
    QCOMPARE(table.Walk(tree(fileTree), QStringLiteral("F")), SummaryTable::WalkResult::Complete);
    QCOMPARE(rows(table), expected);
    QCOMPARE(sums(table), expectedSums);
}

void TestSummary::overflow_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("distinctRows");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("keptRows");

    using R = SummaryTable::WalkResult;
    // Only codes outside the vocabulary can fill the small tables.
    QTest::newRow("type/change at 20") << 0 << 20 << int(R::Complete) << 20;
    QTest::newRow("type/change at 21 reports and keeps 20") << 0 << 21 << int(R::Overflow) << 20;
    QTest::newRow("type at 21 abandons") << 2 << 21 << int(R::Abandoned) << 20;
    QTest::newRow("change type at 5") << 3 << 5 << int(R::Complete) << 5;
    QTest::newRow("change type at 6 abandons") << 3 << 6 << int(R::Abandoned) << 5;
    QTest::newRow("breakdown at 500") << 1 << 500 << int(R::Complete) << 500;
    QTest::newRow("breakdown at 501 reports and keeps 500") << 1 << 501 << int(R::Overflow) << 500;
}

void TestSummary::overflow()
{
    QFETCH(int, mode);
    QFETCH(int, distinctRows);
    QFETCH(int, result);
    QFETCH(int, keptRows);

    QList<WalkNode> nodes;
    for (int i = 0; i < distinctRows; ++i) {
        WalkNode n;
        // Each node differs in type for modes 0 and 2, in change type for
        // mode 3, and is a childless top-level row for mode 1.
        n.type = mode == 3 ? QStringLiteral("I") : QString(QChar(u'a' + i % 26)) + QString::number(i / 26);
        n.changeType = mode == 3 ? QString(QChar(u'a' + i)) : QStringLiteral("A");
        n.value = 1;
        nodes << n;
    }
    SummaryTable table(SummaryMode(mode), 1, 1.0, 1.0);
    QCOMPARE(int(table.Walk(nodes, QStringLiteral("T"))), result);
    QCOMPARE(int(table.entries().size()), keptRows);
}

QTEST_GUILESS_MAIN(TestSummary)
#include "test_summary.moc"
