// Reading interchange text: the record splitter, the comma-text splitter,
// the code maps, number conversions and the character set.

#include "interchange/splitter.h"
#include "interchange/values.h"

#include <QtTest>

using namespace qm;

using OptionalText = std::optional<QString>;

class TestInterchangeReading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); }

    void recordSplitting_data();
    void recordSplitting();
    void stringInfo();
    void commaText_data();
    void commaText();
    void codes_data();
    void codes();
    void integers_data();
    void integers();
    void decimals_data();
    void decimals();
    void decimalCommaLocale();
    void characterSet_data();
    void characterSet();
};

void TestInterchangeReading::recordSplitting_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("link line") << R"("LINKS",12,40,"I",)" << QStringList{"LINKS", "12", "40", "I"};
    QTest::newRow("empty fields") << R"("a",,"",b)" << QStringList{"a", "", "", "b"};
    QTest::newRow("inner quote kept") << R"("5" disk",3)" << QStringList{R"(5" disk)", "3"};
    QTest::newRow("blanks stay") << R"(Cust, file,"x")" << QStringList{"Cust", " file", "x"};
    QTest::newRow("unclosed quote") << R"("abc)" << QStringList{"abc"};
    QTest::newRow("unclosed after split") << R"("ab",c")" << QStringList{"ab", R"(c")"};
    QTest::newRow("none delimiter") << R"( LINKS ,12,40, I ,)" << QStringList{" LINKS ", "12", "40", " I "};
    // Hard cases of our own.
    QTest::newRow("quote comma inside text splits") << R"("Name", with comma",1)"
                                                    << QStringList{"Name", R"( with comma")", "1"};
    QTest::newRow("quote only first") << R"(a"b,"c"d",e)" << QStringList{R"(a"b)", R"(c"d)", "e"};
    QTest::newRow("lone comma") << "," << QStringList{""};
    QTest::newRow("two commas") << ",," << QStringList{"", ""};
    QTest::newRow("lone quote") << R"(")" << QStringList{""};
    QTest::newRow("empty quoted at end") << R"(1,"")" << QStringList{"1", ""};
    // A comma ends a quoted field only right after a quote.
    QTest::newRow("quoted runs past plain comma") << R"("ab"cd,e)" << QStringList{R"(ab"cd,e)"};
    QTest::newRow("blank before quote is plain") << R"( "a",b)" << QStringList{R"( "a")", "b"};
    QTest::newRow("double quotes not an escape") << R"("a""b",c)" << QStringList{R"(a""b)", "c"};
    QTest::newRow("tabs are text") << "\"COUNT\"\t\"x\"" << QStringList{"COUNT\"\t\"x"};
    QTest::newRow("only blanks") << "   " << QStringList{"   "};
    QTest::newRow("non-ASCII") << R"("Gehälter","Zürich",€)" << QStringList{"Gehälter", "Zürich", "€"};
}

void TestInterchangeReading::recordSplitting()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    QCOMPARE(SplitRecord(line), fields);
    const TCSVStringInfo info(line);
    QCOMPARE(info.FieldList(), fields);
    QCOMPARE(info.Error(), false);
    QCOMPARE(info.SourceString(), line);
}

void TestInterchangeReading::stringInfo()
{
    TCSVStringInfo info;
    info.SetSourceString(QStringLiteral("\"TRANS\",x"));
    QCOMPARE(info.FieldList().size(), 2);
    // Assigning again replaces the fields; an empty line has none.
    info.SetSourceString(QString());
    QVERIFY(info.Error());
    QVERIFY(info.FieldList().isEmpty());
    info.SetSourceString(QStringLiteral("x"));
    QVERIFY(!info.Error());
    QCOMPARE(info.FieldList(), QStringList{"x"});
}

void TestInterchangeReading::commaText_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("link line") << R"("LINKS",12,40,"I",)" << QStringList{"LINKS", "12", "40", "I"};
    QTest::newRow("inner quote splits") << R"("5" disk",3)" << QStringList{"5", R"(disk")", "3"};
    QTest::newRow("blank splits plain") << R"(Cust, file,"x")" << QStringList{"Cust", "file", "x"};
    QTest::newRow("doubled quote") << R"("say ""hi""",2)" << QStringList{R"(say "hi")", "2"};
    QTest::newRow("empty fields") << R"("a",,"",b)" << QStringList{"a", "", "", "b"};
    QTest::newRow("leading blanks and tabs") << " \t\"a b\" , c" << QStringList{"a b", "c"};
    QTest::newRow("unclosed quote takes the rest") << R"(1,"abc)" << QStringList{"1", "abc"};
    QTest::newRow("nul ends the line") << QStringLiteral("a,b") + QChar(0) + QStringLiteral(",c")
                                       << QStringList{"a", "b"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("memo after blank-holding text")
        << R"("FILES","Customer file","Internal Logical","Add",12,2,12,"the memo","Low",7)"
        << QStringList{"FILES", "Customer file", "Internal Logical", "Add", "12", "2", "12", "the memo", "Low", "7"};
    QTest::newRow("memo shifts after unquoted blank")
        << R"(FILES,Customer file,x,y,1,2,3,memo)"
        << QStringList{"FILES", "Customer", "file", "x", "y", "1", "2", "3", "memo"};
}

void TestInterchangeReading::commaText()
{
    QFETCH(QString, line);
    QFETCH(QStringList, values);
    QCOMPARE(SplitCommaText(line), values);
}

void TestInterchangeReading::codes_data()
{
    using Reader = std::optional<QString> (*)(QStringView);
    QTest::addColumn<quintptr>("reader");
    QTest::addColumn<QString>("text");
    QTest::addColumn<OptionalText>("code");
    const auto row = [](const char *name, Reader reader, const QString &text, OptionalText code) {
        QTest::newRow(name) << quintptr(reader) << text << code;
    };
    row("base", CountTypeCode, "Base", "B");
    row("enhancement any case", CountTypeCode, "  enHANCEment ", "E");
    row("base count refused", CountTypeCode, "Base Count", std::nullopt);
    row("group", TransTypeCode, "GROUP", "G");
    row("input", TransTypeCode, "External Input", "I");
    row("output", TransTypeCode, "external output", "O");
    row("inquiry", TransTypeCode, " External Inquiry", "Q");
    row("input with inner double blank", TransTypeCode, "External  Input", std::nullopt);
    row("code letter is no text", TransTypeCode, "I", std::nullopt);
    row("internal", FileTypeCode, "Internal Logical", "I");
    row("external", FileTypeCode, "EXTERNAL INTERFACE\t", "E");
    row("add", ChangeTypeCode, "Add", "A");
    row("mod", ChangeTypeCode, "mod", "M");
    row("del", ChangeTypeCode, "DEL", "D");
    row("none", ChangeTypeCode, " None ", "N");
    row("modified refused", ChangeTypeCode, "Modified", std::nullopt);
    row("status r", CountStatusCode, "r", "R");
    row("status U", CountStatusCode, " U ", "U");
    row("status other", CountStatusCode, "Read-Only", std::nullopt);
    row("direction blank o", LinkDirectionCode, " o", "O");
    row("direction I", LinkDirectionCode, "I", "I");
    row("direction x", LinkDirectionCode, "x", std::nullopt);
    row("direction empty", LinkDirectionCode, "", std::nullopt);
}

void TestInterchangeReading::codes()
{
    QFETCH(quintptr, reader);
    QFETCH(QString, text);
    QFETCH(OptionalText, code);
    QCOMPARE(reinterpret_cast<std::optional<QString> (*)(QStringView)>(reader)(text), code);
}

void TestInterchangeReading::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "12" << true << 12;
    QTest::newRow("leading blanks") << "   7" << true << 7;
    QTest::newRow("plus") << "+3" << true << 3;
    QTest::newRow("minus one") << "-1" << true << -1;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("largest") << "2147483647" << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << true << int(-2147483648LL);
    QTest::newRow("too large") << "2147483648" << false << 0;
    QTest::newRow("far too large") << "99999999999999999999999" << false << 0;
    QTest::newRow("trailing blank") << "7 " << false << 0;
    QTest::newRow("trailing text") << "7x" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "  " << false << 0;
    QTest::newRow("sign only") << "-" << false << 0;
    QTest::newRow("blank after sign") << "- 1" << false << 0;
    QTest::newRow("decimal") << "1.5" << false << 0;
    QTest::newRow("letters") << "abc" << false << 0;
    QTest::newRow("arabic digits") << QString::fromUtf8("\u0663") << false << 0;
}

void TestInterchangeReading::integers()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const std::optional<int> read = ReadInteger(text);
    QCOMPARE(read.has_value(), valid);
    if (valid)
        QCOMPARE(*read, value);
    QCOMPARE(ReadIntegerOr(text, -1), valid ? value : -1);
}

void TestInterchangeReading::decimals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("two places") << "1.07" << true << 1.07;
    QTest::newRow("whole") << "1" << true << 1.0;
    QTest::newRow("blanks around") << " 0.987 " << true << 0.987;
    QTest::newRow("exponent") << "1.2e0" << true << 1.2;
    QTest::newRow("text") << "abc" << false << 0.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("comma in English") << "1,07" << false << 0.0;
    QTest::newRow("group separator") << "1,000.5" << false << 0.0;
    QTest::newRow("infinity") << "inf" << false << 0.0;
    QTest::newRow("not a number") << "nan" << false << 0.0;
    QTest::newRow("trailing text") << "1.07x" << false << 0.0;
}

void TestInterchangeReading::decimals()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const std::optional<double> read = ReadDecimal(text);
    QCOMPARE(read.has_value(), valid);
    if (valid)
        QCOMPARE(*read, value);
}

void TestInterchangeReading::decimalCommaLocale()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(ReadDecimal(u"1,07"), std::optional<double>(1.07));
    QVERIFY(!ReadDecimal(u"1.07"));
}

void TestInterchangeReading::characterSet_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("utf-8") << QByteArray("\"Geh\xC3\xA4lter\"") << QStringLiteral("\"Gehälter\"");
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBF\"COUNT\"") << QStringLiteral("\"COUNT\"");
    QTest::newRow("latin-1") << QByteArray("\"Geh\xE4lter\",\"Z\xFCrich\"") << QStringLiteral("\"Gehälter\",\"Zürich\"");
    QTest::newRow("truncated utf-8 sequence") << QByteArray("ab\xC3") << QStringLiteral("abÃ");
    QTest::newRow("plain ASCII") << QByteArray("\"LINKS\",1,2,\"I\",\r\n") << QStringLiteral("\"LINKS\",1,2,\"I\",\r\n");
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestInterchangeReading::characterSet()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(DecodeInterchangeText(bytes), text);
    // What is written reads back unchanged.
    QCOMPARE(DecodeInterchangeText(EncodeInterchangeText(text)), text);
}

QTEST_GUILESS_MAIN(TestInterchangeReading)
#include "test_interchangereading.moc"
