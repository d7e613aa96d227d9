#include "cataloguefixture.h"

#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QtTest>

using namespace qm;

namespace {

const QString kLocationQuestion = QStringLiteral("warning: The Current Database Location is :\n%1\nSelect a different database ?");
const QString kCompactQuestion = QStringLiteral(
    "warning: This will optimize the database by releasing free space. It may take some time. Proceed ?");

void insertFamily(test::CatalogueFixture &f)
{
    test::InsertCount(f.db(), {1, "HR", "Alpha base", "B", 0, 100});
    test::InsertCount(f.db(), {2, "HR", "Bravo enhancement", "E", 1, 10});
    test::InsertCount(f.db(), {3, "PAY", "Charlie payroll", "B", 0, 30});
}

qint64 fileSize(test::CatalogueFixture &f)
{
    return QFileInfo(f.dir.filePath("CCounts.DB")).size();
}

} // namespace

class TestDatabaseCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void cancelledChangesNothing_data();
    void cancelledChangesNothing();
    void locationSwitchesDatabase();
    void compactEmptyDatabase();
    void compactAfterDeletesShrinksTheFile();
};

void TestDatabaseCommands::initTestCase()
{
    QVERIFY(test::HasRealFont());
}

void TestDatabaseCommands::cancelledChangesNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("confirm");
    QTest::newRow("location question") << "Database Location..." << false;
    QTest::newRow("location folder choice") << "Database Location..." << true;
    QTest::newRow("compaction question") << "Compact Database" << false;
}

void TestDatabaseCommands::cancelledChangesNothing()
{
    QFETCH(QString, command);
    QFETCH(bool, confirm);
    test::CatalogueFixture f;
    insertFamily(f);
    TFirstForm &form = f.show();
    f.select(2);
    const QStringList tree = f.treeLines();
    const qint64 size = fileSize(f);
    test::PaintedTexts progress(form.progressPanel());
    f.dialogs.queueAnswer(confirm ? MessageAnswer::Ok : MessageAnswer::Cancel);
    if (confirm)
        f.dialogs.queueDirectory(QString());

    form.action(command)->trigger();

    QStringList prompts{command == "Compact Database" ? kCompactQuestion : kLocationQuestion.arg(f.dir.path())};
    if (confirm)
        prompts << "directory: /";
    QCOMPARE(f.dialogs.texts(), prompts);
    QVERIFY(f.dialogs.allAnswersUsed());
    QVERIFY(progress.texts.isEmpty());
    QCOMPARE(f.db().directory(), f.dir.path());
    QCOMPARE(fileSize(f), size);
    QVERIFY(f.data->catalogueCursor().isOpen());
    QCOMPARE(f.treeLines(), tree);
    QCOMPARE(f.selectedKey(), QString("2"));
}

void TestDatabaseCommands::locationSwitchesDatabase()
{
    test::CatalogueFixture f;
    insertFamily(f);
    test::TestDatabaseDir other;
    QTemporaryDir noDatabase;
    {
        Database second("location_other");
        second.open(other.path());
        test::InsertCount(second, {1, "LEDGER", "Ledger base", "B", 0, 500});
        test::InsertCount(second, {4, "LEDGER", "Ledger currencies", "E", 1, 50});
    }
    TFirstForm &form = f.show();
    f.data->state().currentCountId = 2;
    f.dialogs.queueAnswer(MessageAnswer::Ok);
    f.dialogs.queueDirectory(noDatabase.path());
    f.dialogs.queueDirectory(other.path());

    form.action("Database Location...")->trigger();

    QCOMPARE(f.dialogs.texts(),
             QStringList({kLocationQuestion.arg(f.dir.path()), "directory: /",
                          "error: Invalid Directory - Quillmark Database not found in " + noDatabase.path(),
                          "directory: " + noDatabase.path()}));
    QCOMPARE(f.db().directory(), other.path());
    QCOMPARE(f.data->state().databaseDir, other.path());
    QCOMPARE(f.settings.readDirectory(), other.path());
    QCOMPARE(f.data->state().currentCountId, 0);
    QCOMPARE(f.treeLines(), QStringList({"Ledger base {500 FPs}", "  Ledger currencies {50 FPs}"}));
    QCOMPARE(f.selectedKey(), QString("1"));
    QCOMPARE(f.data->catalogueCursor().text("Description"), QString("Ledger base"));
    QCOMPARE(form.systemFilter()->count(), 2);
    QCOMPARE(form.systemFilter()->itemText(1), QString("LEDGER"));
}

void TestDatabaseCommands::compactEmptyDatabase()
{
    test::CatalogueFixture f;
    TFirstForm &form = f.show();
    test::PaintedTexts progress(form.progressPanel());
    f.dialogs.queueAnswer(MessageAnswer::Ok);

    form.action("Compact Database")->trigger();

    QCOMPARE(f.dialogs.texts(), QStringList{kCompactQuestion});
    QCOMPARE(progress.texts,
             QStringList({"Packing Counts...", "Packing Trans...", "Packing Files...", "Packing Links...", ""}));
    for (const char *table : {"CCounts", "CTrans", "CFiles", "CFilesLink"})
        QCOMPARE(f.rows(table), 0);
    QVERIFY(f.data->catalogueCursor().isOpen());
    QCOMPARE(form.countTree()->topLevelItemCount(), 0);
    QVERIFY(!f.enabled("Delete Count"));
}

void TestDatabaseCommands::compactAfterDeletesShrinksTheFile()
{
    test::CatalogueFixture f;
    insertFamily(f);
    // Enough rows under the counts that go for their pages to matter.
    const QString memo(1500, QLatin1Char('m'));
    {
        Transaction tx(f.db());
        for (int count : {2, 3})
            for (int tag = 1; tag <= 120; ++tag) {
                test::TransRow t(count, tag, QString("Input %1").arg(tag), 4);
                t.memo = memo;
                test::InsertTrans(f.db(), t);
                test::FileRow file(count, tag, QString("File %1").arg(tag), 7);
                file.memo = memo;
                test::InsertFile(f.db(), file);
                test::InsertLink(f.db(), {count, tag, tag});
            }
        tx.commit();
    }
    TFirstForm &form = f.show();
    for (int id : {3, 2}) {
        f.select(id);
        f.dialogs.queueAnswer(MessageAnswer::Ok);
        form.action("Delete Count")->trigger();
    }
    const QStringList tree = f.treeLines();
    QCOMPARE(tree, QStringList{"Alpha base {100 FPs}"});
    const qint64 before = fileSize(f);

    f.dialogs.queueAnswer(MessageAnswer::Ok);
    form.action("Compact Database")->trigger();

    QVERIFY2(fileSize(f) < before / 4, qPrintable(QString("%1 -> %2").arg(before).arg(fileSize(f))));
    QCOMPARE(f.treeLines(), tree);
    QCOMPARE(f.selectedKey(), QString("1"));
    QCOMPARE(f.data->catalogueCursor().text("Description"), QString("Alpha base"));
    QCOMPARE(f.rows("CTrans") + f.rows("CFiles") + f.rows("CFilesLink"), 0);
}

QTEST_MAIN(TestDatabaseCommands)
#include "test_databasecommands.moc"
