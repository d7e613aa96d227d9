#include "counting/codes.h"

#include <QtTest>

#include <functional>

using namespace qm;

class TestCodes : public QObject {
    Q_OBJECT

private slots:
    void summaryTexts_data();
    void summaryTexts();
    void countTypeValues_data();
    void countTypeValues();
    void unknownCodesGiveEmptyText_data();
    void unknownCodesGiveEmptyText();
    void shortenText_data();
    void shortenText();
    void identifierTexts_data();
    void identifierTexts();
    void choiceOrder();
};

void TestCodes::summaryTexts_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortText");

    QTest::newRow("inquiry") << "Q" << "T" << "Transactions - External Inquiry" << "Trans. - EQ";
    QTest::newRow("input") << "I" << "T" << "Transactions - External Input" << "Trans. - EI";
    QTest::newRow("internal file") << "I" << "F" << "Files - Internal Logical" << "Files - ILF";
    QTest::newRow("group") << "G" << "T" << "Transactions - Group" << "Trans.";
    // Any category other than "T" reads the file column.
    QTest::newRow("other category") << "E" << "X" << "Files - External Interface"
                                    << "Files - EIF";
    QTest::newRow("empty category") << "I" << "" << "Files - Internal Logical" << "Files - ILF";
    QTest::newRow("file code as trans") << "E" << "T" << "" << "";
    QTest::newRow("trans code as file") << "Q" << "F" << "" << "";
    QTest::newRow("lower-case category") << "Q" << "t" << "" << "";
}

void TestCodes::summaryTexts()
{
    QFETCH(QString, type);
    QFETCH(QString, category);
    QFETCH(QString, text);
    QFETCH(QString, shortText);
    QCOMPARE(SummaryTypeText(type, category), text);
    QCOMPARE(SummaryTypeShortText(type, category), shortText);
}

void TestCodes::countTypeValues_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("catalogue");
    QTest::addColumn<QString>("editor");
    QTest::addColumn<QString>("longText");

    QTest::newRow("base") << "B" << "Base Count" << "Base" << "Base";
    QTest::newRow("enhancement") << "E" << "Enhancement" << "Enhancement" << "Enhancement";
    // The computed columns only test for "E"; the long text has no default.
    QTest::newRow("unknown") << "Z" << "Base Count" << "Base" << "";
    QTest::newRow("empty") << "" << "Base Count" << "Base" << "";
    QTest::newRow("lower-case e") << "e" << "Base Count" << "Base" << "";
}

void TestCodes::countTypeValues()
{
    QFETCH(QString, type);
    QFETCH(QString, catalogue);
    QFETCH(QString, editor);
    QFETCH(QString, longText);
    QCOMPARE(CatalogueCountTypeText(type), catalogue);
    QCOMPARE(EditorCountTypeText(type), editor);
    QCOMPARE(CountTypeText(type), longText);
}

void TestCodes::unknownCodesGiveEmptyText_data()
{
    QTest::addColumn<QString>("code");
    // Each of these is a known code of some table except for case, padding or
    // table, so a lookup that ignores case, trims or reads the wrong table fails.
    QTest::newRow("empty") << "";
    QTest::newRow("lower case") << "a";
    QTest::newRow("lower case i") << "i";
    QTest::newRow("padded") << "I ";
    QTest::newRow("two letters") << "IO";
    QTest::newRow("placeholder") << "X";
    QTest::newRow("digit out of range") << "4";
}

void TestCodes::unknownCodesGiveEmptyText()
{
    QFETCH(QString, code);
    const QList<std::pair<const char *, std::function<QString(const QString &)>>> lookups = {
        {"CountTypeText", CountTypeText},
        {"StatusText", StatusText},
        {"ChangeTypeText", ChangeTypeText},
        {"ChangeTypeRadioCaption", ChangeTypeRadioCaption},
        {"ComplexityText", ComplexityText},
        {"ComplexityDetailText", ComplexityDetailText},
        {"LinkComplexityChoiceText", LinkComplexityChoiceText},
    };
    for (const auto &[name, lookup] : lookups)
        QVERIFY2(lookup(code).isEmpty(), name);

    // "I" is a valid transaction and file type, "4" and "X" are not.
    if (code != QLatin1String("I")) {
        QVERIFY(TransTypeText(code).isEmpty());
        QVERIFY(TransTypeRadioCaption(code).isEmpty());
        QVERIFY(FileTypeText(code).isEmpty());
    }
}

void TestCodes::shortenText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("expected");

    QTest::newRow("padded long") << "  abcdefghij  " << 8 << "abcde...";
    QTest::newRow("short") << "abc" << 8 << "abc";
    QTest::newRow("exactly max") << "abcdefgh" << 8 << "abcdefgh";
    QTest::newRow("one over") << "abcdefghi" << 8 << "abcde...";
    // Blanks are removed before the length is measured.
    QTest::newRow("fits once trimmed") << "  abcdefgh  " << 8 << "abcdefgh";
    QTest::newRow("inner blanks kept") << " ab  cd " << 8 << "ab  cd";
    QTest::newRow("chart label") << "Customer Maintenance Screen" << 20 << "Customer Maintena...";
    QTest::newRow("blank only") << "   " << 8 << "";
}

void TestCodes::shortenText()
{
    QFETCH(QString, text);
    QFETCH(int, maxLength);
    QFETCH(QString, expected);
    QCOMPARE(ShortenText(text, maxLength), expected);
}

void TestCodes::identifierTexts_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("extId");
    QTest::addColumn<QString>("transTag");
    QTest::addColumn<QString>("fileTag");

    QTest::newRow("small") << qint64(12) << "C00000012" << "T00000012" << "F00000012";
    QTest::newRow("zero") << qint64(0) << "C00000000" << "T00000000" << "F00000000";
    QTest::newRow("eight digits") << qint64(99999999) << "C99999999" << "T99999999"
                                  << "F99999999";
    QTest::newRow("nine digits") << qint64(123456789) << "C123456789" << "T123456789"
                                 << "F123456789";
}

void TestCodes::identifierTexts()
{
    QFETCH(qint64, value);
    QFETCH(QString, extId);
    QFETCH(QString, transTag);
    QFETCH(QString, fileTag);
    QCOMPARE(ExtIdText(value), extId);
    QCOMPARE(TransTagText(value), transTag);
    QCOMPARE(FileTagText(value), fileTag);
}

void TestCodes::choiceOrder()
{
    // Radio groups store the code of the chosen item by index, so the order is
    // part of what gets written to the tables.
    auto codes = [](const QList<CodeChoice> &choices) {
        QStringList list;
        for (const CodeChoice &c : choices)
            list << c.code;
        return list;
    };
    auto captions = [](const QList<CodeChoice> &choices) {
        QStringList list;
        for (const CodeChoice &c : choices)
            list << c.caption;
        return list;
    };
    QCOMPARE(codes(TransTypeChoices()), QStringList({"I", "O", "Q", "G"}));
    QCOMPARE(captions(TransTypeChoices()),
             QStringList({"External Input", "External Output", "External Inquiry",
                          "Transaction Group"}));
    QCOMPARE(codes(FileTypeChoices()), QStringList({"I", "E"}));
    QCOMPARE(captions(FileTypeChoices()), QStringList({"Internal Logical", "External Interface"}));
    QCOMPARE(codes(ChangeTypeChoices()), QStringList({"A", "M", "D", "N"}));
    QCOMPARE(captions(ChangeTypeChoices()), QStringList({"Add", "Mod.", "Del.", "None"}));
    QCOMPARE(LinkComplexityChoices(), QStringList({"Not Classified", "Low", "Average", "High"}));
}

QTEST_GUILESS_MAIN(TestCodes)
#include "test_codes.moc"
