// Writing the four records: field layout, delimiters, long texts, memos and
// numbers, checked against whole lines.

#include "interchange/records.h"

#include <QtTest>

using namespace qm;

namespace {

CountRecord SampleCount()
{
    CountRecord c;
    c.description = QStringLiteral("Payroll");
    c.system = QStringLiteral("PAY");
    c.type = QStringLiteral("E");
    c.vaf = {0, 1, 2, 3, 4, 5, 0, 1, 2, 3, 4, 5, 3, 3};
    c.oldVaf = 1.07;
    c.status = QStringLiteral("U");
    c.notes = QStringLiteral("Line one\r\nLine two\tend");
    c.total = 74;
    c.extId = 12;
    return c;
}

TransRecord SampleTrans()
{
    TransRecord t;
    t.description = QStringLiteral("Add employee");
    t.type = QStringLiteral("I");
    t.changeType = QStringLiteral("A");
    t.inputDets = 18;
    t.tag = 2;
    t.ownerTag = 1;
    t.complexity = QStringLiteral("2");
    t.inputFiles = 1;
    t.fpVal = 4;
    return t;
}

FileRecord SampleFile()
{
    FileRecord f;
    f.description = QStringLiteral("Customer");
    f.type = QStringLiteral("I");
    f.changeType = QStringLiteral("A");
    f.dets = 12;
    f.rets = 2;
    f.tag = 12;
    f.complexity = QStringLiteral("1");
    f.fpVal = 7;
    return f;
}

LinkRecord SampleLink()
{
    return {12, 40, QStringLiteral("I")};
}

QString Format(const QString &record, QChar field, QChar text)
{
    if (record == QLatin1String("COUNT"))
        return FormatCount(SampleCount(), field, text);
    if (record == QLatin1String("TRANS"))
        return FormatTrans(SampleTrans(), field, text);
    if (record == QLatin1String("FILES"))
        return FormatFile(SampleFile(), field, text);
    return FormatLink(SampleLink(), field, text);
}

// The sample records with the default delimiters. Their texts hold no comma
// and no quote, so every other choice is the same line with the delimiter
// characters swapped.
const QList<std::pair<QString, QString>> kDefaultLines = {
    {"COUNT", R"("COUNT","Payroll","PAY","Enhancement",0,1,2,3,4,5,0,1,2,3,4,5,3,3,1.07,"U","Line one  Line two end",74,12,)"},
    {"TRANS", R"("TRANS","Add employee","External Input","Add",18,0,2,1,"","Average",1,0,4)"},
    {"FILES", R"("FILES","Customer","Internal Logical","Add",12,2,12,"","Low",7)"},
    {"LINKS", R"("LINKS",12,40,"I",)"},
};

} // namespace

class TestInterchangeFormat : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    void everyDelimiter_data();
    void everyDelimiter();
    void literalLines_data();
    void literalLines();
    void longTexts_data();
    void longTexts();
    void memoOnOneLine();
    void decimals_data();
    void decimals();
    void decimalCommaLocale();
};

void TestInterchangeFormat::everyDelimiter_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QChar>("field");
    QTest::addColumn<QChar>("text");
    QTest::addColumn<QString>("expected");
    for (const auto &[record, line] : kDefaultLines)
        for (QChar field : {u',', u'\t', u'#', u'@'})
            for (QChar text : {u'"', u'\'', u' '}) {
                QString expected = line;
                for (QChar &c : expected) {
                    if (c == u',')
                        c = field;
                    else if (c == u'"')
                        c = text;
                }
                QTest::addRow("%s field %d text %d", qPrintable(record), field.unicode(), text.unicode())
                    << record << field << text << expected;
            }
}

void TestInterchangeFormat::everyDelimiter()
{
    QFETCH(QString, record);
    QFETCH(QChar, field);
    QFETCH(QChar, text);
    QFETCH(QString, expected);
    QCOMPARE(Format(record, field, text), expected);
}

void TestInterchangeFormat::literalLines_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QChar>("field");
    QTest::addColumn<QChar>("text");
    QTest::addColumn<QString>("expected");
    // A blank, LINKS, a blank, a tab, the tags, a blank, the flag, a blank
    // and a final tab.
    QTest::newRow("link tab none") << "LINKS" << QChar(u'\t') << QChar(u' ') << QStringLiteral(" LINKS \t12\t40\t I \t");
    QTest::newRow("link hash apostrophe") << "LINKS" << QChar(u'#') << QChar(u'\'') << QStringLiteral("'LINKS'#12#40#'I'#");
    QTest::newRow("file at none")
        << "FILES" << QChar(u'@') << QChar(u' ') << QStringLiteral(" FILES @ Customer @ Internal Logical @ Add @12@2@12@  @ Low @7");
    QTest::newRow("trans tab quote")
        << "TRANS" << QChar(u'\t') << QChar(u'"')
        << QStringLiteral("\"TRANS\"\t\"Add employee\"\t\"External Input\"\t\"Add\"\t18\t0\t2\t1\t\"\"\t\"Average\"\t1\t0\t4");
    QTest::newRow("count hash apostrophe")
        << "COUNT" << QChar(u'#') << QChar(u'\'')
        << QStringLiteral("'COUNT'#'Payroll'#'PAY'#'Enhancement'#0#1#2#3#4#5#0#1#2#3#4#5#3#3#1.07#'U'#'Line one  Line two end'#74#12#");
}

void TestInterchangeFormat::literalLines()
{
    QFETCH(QString, record);
    QFETCH(QChar, field);
    QFETCH(QChar, text);
    QFETCH(QString, expected);
    QCOMPARE(Format(record, field, text), expected);
}

void TestInterchangeFormat::longTexts_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    const auto trans = [](const QString &type, const QString &change, const QString &complexity) {
        TransRecord t = SampleTrans();
        t.type = type;
        t.changeType = change;
        t.complexity = complexity;
        return FormatTrans(t, u',', u'"');
    };
    const auto file = [](const QString &type, const QString &change, const QString &complexity) {
        FileRecord f = SampleFile();
        f.type = type;
        f.changeType = change;
        f.complexity = complexity;
        return FormatFile(f, u',', u'"');
    };
    QTest::newRow("group, mod, not assigned")
        << trans("G", "M", "0") << R"("TRANS","Add employee","Group","Mod",18,0,2,1,"","Not Assigned",1,0,4)";
    QTest::newRow("output, del, low")
        << trans("O", "D", "1") << R"("TRANS","Add employee","External Output","Del",18,0,2,1,"","Low",1,0,4)";
    QTest::newRow("inquiry, none, high")
        << trans("Q", "N", "3") << R"("TRANS","Add employee","External Inquiry","None",18,0,2,1,"","High",1,0,4)";
    // A code with no text goes out as stored, so the reader names it.
    QTest::newRow("unknown codes kept")
        << trans("Z", "X", "7") << R"("TRANS","Add employee","Z","X",18,0,2,1,"","7",1,0,4)";
    QTest::newRow("external, mod, average")
        << file("E", "M", "2") << R"("FILES","Customer","External Interface","Mod",12,2,12,"","Average",7)";
    CountRecord base = SampleCount();
    base.type = "B";
    base.status = "R";
    base.notes.clear();
    QTest::newRow("base count, read-only")
        << FormatCount(base, u',', u'"')
        << R"("COUNT","Payroll","PAY","Base",0,1,2,3,4,5,0,1,2,3,4,5,3,3,1.07,"R","",74,12,)";
}

void TestInterchangeFormat::longTexts()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(line, expected);
}

void TestInterchangeFormat::memoOnOneLine()
{
    // Memos lose every character up to code 13; names keep theirs, and
    // nothing inside a text is escaped.
    FileRecord f = SampleFile();
    f.description = QStringLiteral("Cust\t\"A\", B");
    QString memo;
    for (char16_t c = 0; c <= 14; ++c)
        memo += QChar(c);
    f.memo = QStringLiteral("First line\r\nSecond\rThird\n") + memo + QStringLiteral("end");
    const QString memoLine = QStringLiteral("First line  Second Third") + QString(15, u' ') + QChar(0x0E)
                             + QStringLiteral("end");
    QCOMPARE(FormatFile(f, u',', u'"'),
             QStringLiteral("\"FILES\",\"Cust\t\"A\", B\",\"Internal Logical\",\"Add\",12,2,12,\"") + memoLine
                 + QStringLiteral("\",\"Low\",7"));
    QCOMPARE(MemoLineText(QStringLiteral("a\tb\x0B\x0C")), QStringLiteral("a b  "));
}

void TestInterchangeFormat::decimals_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whole") << 1.0 << "1";
    QTest::newRow("two places") << 1.07 << "1.07";
    QTest::newRow("low bound") << 0.65 << "0.65";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("sum noise rounded away") << 0.1 + 0.2 << "0.3";
    QTest::newRow("no group separator") << 1234567.25 << "1234567.25";
    QTest::newRow("fifteen digits") << 3.14159265358979 << "3.14159265358979";
    QTest::newRow("beyond fifteen") << 2.0 / 3.0 << "0.666666666666667";
    QTest::newRow("negative") << -4.5 << "-4.5";
}

void TestInterchangeFormat::decimals()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(DecimalText(value), expected);
}

void TestInterchangeFormat::decimalCommaLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(DecimalText(1.07), QStringLiteral("1,07"));
    QCOMPARE(DecimalText(12345.5), QStringLiteral("12345,5"));
    TransRecord t = SampleTrans();
    t.fpVal = 4.5;
    QVERIFY(FormatTrans(t, u';', u'"').endsWith(QStringLiteral(";4,5")));
}

QTEST_GUILESS_MAIN(TestInterchangeFormat)
#include "test_interchangeformat.moc"
