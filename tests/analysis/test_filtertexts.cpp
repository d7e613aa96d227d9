#include "analysis/filtertexts.h"

#include <QtTest>

using namespace qm;

class TestFilterTexts : public QObject
{
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
};

void TestFilterTexts::texts_data()
{
    QTest::addColumn<QString>("change");     // ticked boxes as 0/1 in box order
    QTest::addColumn<QString>("complexity");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("fileTag");
    QTest::addColumn<QString>("fileText");
    QTest::addColumn<QString>("transText");

    QTest::newRow("nothing") << "0000" << "0000" << "000" << 0 << "" << "";
    QTest::newRow("added, modified, high") << "1100" << "0001" << "000" << 0
                                           << " and Change_Type in ('A','M') and Complexity in ('3')"
                                           << " and Change_Type in ('A','M') and Complexity in ('3')";
    QTest::newRow("every group and a file")
        << "0011" << "1010" << "011" << 42 << " and Change_Type in ('D','N') and Complexity in ('0','2')"
        << " and Change_Type in ('D','N') and Complexity in ('0','2') and Type in ('O','Q')"
           " and Tag in (Select Trans_Tag from FilesLink where Count_Id = 7 and File_Tag = 42)";
    // Transaction-only choices leave the file text empty.
    QTest::newRow("inquiries only") << "0000" << "0000" << "001" << 0 << "" << " and Type in ('Q')";
}

void TestFilterTexts::texts()
{
    QFETCH(QString, change);
    QFETCH(QString, complexity);
    QFETCH(QString, type);
    QFETCH(int, fileTag);
    QFETCH(QString, fileText);
    QFETCH(QString, transText);
    FilterChoices choices;
    for (int i = 0; i < 4; ++i) {
        choices.changeTypes[size_t(i)] = change[i] == '1';
        choices.complexities[size_t(i)] = complexity[i] == '1';
    }
    for (int i = 0; i < 3; ++i)
        choices.transTypes[size_t(i)] = type[i] == '1';
    const FilterTexts texts = BuildFilterTexts(choices, 7, fileTag);
    QCOMPARE(texts.fileText, fileText);
    QCOMPARE(texts.transText, transText);
}

QTEST_GUILESS_MAIN(TestFilterTexts)
#include "test_filtertexts.moc"
