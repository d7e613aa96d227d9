#include "store/apperror.h"
#include "store/database.h"
#include "store/schema.h"
#include "testdatabase.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void deliveredDatabaseHasTheTables_data();
    void deliveredDatabaseHasTheTables();
    void itemKeyIsTagAndCount();
    void countKeyIsId();
    void permanentTextIsBounded();
    void missingDatabaseFileIsNotCreated();
    void failedStatementCarriesDriverText();
    void transactionRollsBackUnlessCommitted();
    void connectionSettings_data();
    void connectionSettings();
    void earlierIndexesAreUpdated_data();
    void earlierIndexesAreUpdated();
};

namespace {

const QStringList kCountColumns = {
    "Id", "System", "Description", "LastUpd_Time", "LastUpd_Date", "Created_Time", "Created_Date",
    "Created_By", "Type", "Version", "Copy_Count_Id", "VAF_1", "VAF_2", "VAF_3", "VAF_4", "VAF_5",
    "VAF_6", "VAF_7", "VAF_8", "VAF_9", "VAF_10", "VAF_11", "VAF_12", "VAF_13", "VAF_14",
    "Last_Files_Tag", "Last_Trans_Tag", "Status", "Notes", "Old_VAF", "FP_Val", "Ext_Id"};
const QStringList kTransColumns = {
    "Count_Id", "Tag", "Description", "FP_Val", "Complexity", "Type", "Change_Type", "Owner_Tag",
    "Input_Det_Count", "Input_File_Count", "Output_Det_Count", "Output_File_Count", "Memo"};
const QStringList kFileColumns = {"Count_Id", "Tag", "Description", "FP_Val", "Complexity",
                                  "RET_Count", "DET_Count", "Type", "Change_Type", "Memo"};
const QStringList kLinkColumns = {"Count_Id", "File_Tag", "Trans_Tag", "Input_Output_Flag", "Update_Flag"};

QStringList columnsOf(Database &db, const QString &table)
{
    QStringList names;
    QSqlQuery q = db.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    while (q.next())
        names << q.value(1).toString();
    return names;
}

} // namespace

void TestSchema::deliveredDatabaseHasTheTables_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("columns");
    QTest::newRow("CCounts") << "CCounts" << kCountColumns;
    QTest::newRow("Counts") << "Counts" << kCountColumns;
    QTest::newRow("CTrans") << "CTrans" << kTransColumns;
    QTest::newRow("Trans") << "Trans" << kTransColumns;
    QTest::newRow("CFiles") << "CFiles" << kFileColumns;
    QTest::newRow("Files") << "Files" << kFileColumns;
    QTest::newRow("CFilesLink") << "CFilesLink" << kLinkColumns;
    QTest::newRow("FilesLink") << "FilesLink" << kLinkColumns;
}

void TestSchema::deliveredDatabaseHasTheTables()
{
    QFETCH(QString, table);
    QFETCH(QStringList, columns);
    const QString delivered = QStringLiteral(QM_DELIVERED_DB);
    QVERIFY2(QFileInfo::exists(delivered), qPrintable(delivered));
    Database db(QStringLiteral("schema_test"));
    db.openFile(delivered);
    QCOMPARE(columnsOf(db, table), columns);
    QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)).toInt(), 0);
    QCOMPARE(db.scalar("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table'").toInt(), 8);
}

void TestSchema::itemKeyIsTagAndCount()
{
    test::TestDatabaseDir dir;
    Database db(QStringLiteral("key_test"));
    db.open(dir.path());
    for (const QString &table : {QStringLiteral("CTrans"), QStringLiteral("CFiles")}) {
        const QString sql = QStringLiteral("INSERT INTO %1 (Count_Id, Tag, Description) VALUES (?, ?, ?)").arg(table);
        db.exec(sql, {1, 5, "a"});
        db.exec(sql, {2, 5, "same tag, other count"});
        QVERIFY_THROWS_EXCEPTION(StoreError, db.exec(sql, {1, 5, "duplicate"}));
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toInt(), 2);
    }
}

void TestSchema::countKeyIsId()
{
    test::TestDatabaseDir dir;
    Database db(QStringLiteral("count_key_test"));
    db.open(dir.path());
    db.exec("INSERT INTO CCounts (Id, Description) VALUES (1, 'one')");
    QVERIFY_THROWS_EXCEPTION(StoreError, db.exec("INSERT INTO CCounts (Id, Description) VALUES (1, 'again')"));
    // The working table has no key: it holds whatever a query result gives it.
    db.exec("INSERT INTO Counts (Id) VALUES (1)");
    db.exec("INSERT INTO Counts (Id) VALUES (1)");
    QCOMPARE(db.scalar("SELECT COUNT(*) FROM Counts").toInt(), 2);
}

void TestSchema::permanentTextIsBounded()
{
    test::TestDatabaseDir dir;
    Database db(QStringLiteral("text_test"));
    db.open(dir.path());
    db.exec("INSERT INTO CCounts (Id, System) VALUES (1, ?)", {QStringLiteral(" NOSYSTEM")});
    QVERIFY_THROWS_EXCEPTION(StoreError, db.exec("INSERT INTO CCounts (Id, System) VALUES (2, ?)", {QString(10, 'S')}));
    db.exec("INSERT INTO CTrans (Count_Id, Tag, Description) VALUES (1, 1, ?)", {QString(60, QChar(0xe9))});
    QVERIFY_THROWS_EXCEPTION(StoreError,
                             db.exec("INSERT INTO CTrans (Count_Id, Tag, Description) VALUES (1, 2, ?)", {QString(61, 'x')}));
}

void TestSchema::missingDatabaseFileIsNotCreated()
{
    QTemporaryDir dir;
    Database db(QStringLiteral("missing_test"));
    QVERIFY_THROWS_EXCEPTION(StoreError, db.open(dir.path()));
    QVERIFY(!QFileInfo::exists(dir.filePath(kDatabaseFileName)));
    QVERIFY(!db.isOpen());
}

void TestSchema::failedStatementCarriesDriverText()
{
    test::TestDatabaseDir dir;
    Database db(QStringLiteral("error_test"));
    db.open(dir.path());
    try {
        db.exec("SELECT Nope FROM CCounts");
        QFAIL("no error raised");
    } catch (const StoreError &e) {
        QVERIFY2(e.message().contains("Nope"), qPrintable(e.message()));
        QCOMPARE(e.component(), QStringLiteral("TDatabase"));
    }
}

void TestSchema::transactionRollsBackUnlessCommitted()
{
    test::TestDatabaseDir dir;
    Database db(QStringLiteral("tx_test"));
    db.open(dir.path());
    try {
        Transaction tx(db);
        db.exec("INSERT INTO CCounts (Id) VALUES (1)");
        db.exec("INSERT INTO CCounts (Id) VALUES (1)"); // key violation
        tx.commit();
    } catch (const StoreError &) {
    }
    QCOMPARE(db.scalar("SELECT COUNT(*) FROM CCounts").toInt(), 0);
    {
        Transaction tx(db);
        db.exec("INSERT INTO CCounts (Id) VALUES (2)");
        tx.commit();
    }
    QCOMPARE(db.scalar("SELECT COUNT(*) FROM CCounts").toInt(), 1);
}

void TestSchema::connectionSettings_data()
{
    QTest::addColumn<QString>("pragma");
    QTest::addColumn<QVariant>("expected");
    // Crash safety: a rollback journal synced on every commit.
    QTest::newRow("journal") << "journal_mode" << QVariant(QStringLiteral("delete"));
    QTest::newRow("synchronous") << "synchronous" << QVariant(2); // FULL
    // Large counts need more than SQLite's default 2 MB of page cache.
    QTest::newRow("cache") << "cache_size" << QVariant(-Database::kCacheKiB);
}

void TestSchema::connectionSettings()
{
    QFETCH(QString, pragma);
    QFETCH(QVariant, expected);
    test::TestDatabaseDir dir;
    Database db(QStringLiteral("pragma_test"));
    db.open(dir.path());
    QCOMPARE(db.scalar(QStringLiteral("PRAGMA %1").arg(pragma)).toString(), expected.toString());
    // Reconnecting, as the catalogue does after a restore, keeps them.
    db.close();
    db.openFile(dir.filePath(kDatabaseFileName));
    QCOMPARE(db.scalar(QStringLiteral("PRAGMA %1").arg(pragma)).toString(), expected.toString());
}

void TestSchema::earlierIndexesAreUpdated_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("index");
    QTest::newRow("load transactions") << "SELECT * FROM CTrans WHERE Count_Id = 2 ORDER BY Tag" << "CTrans_Count";
    QTest::newRow("load files") << "SELECT * FROM CFiles WHERE Count_Id = 2 ORDER BY Tag" << "CFiles_Count";
    QTest::newRow("delete transactions") << "DELETE FROM CTrans WHERE Count_Id = 2" << "CTrans_Count";
    QTest::newRow("delete links") << "DELETE FROM CFilesLink WHERE Count_Id = 2" << "CFilesLink_Count";
}

// A database made with the earlier indexes gets the current ones, its rows
// untouched, and the count-at-a-time statements then need no sort.
void TestSchema::earlierIndexesAreUpdated()
{
    QFETCH(QString, statement);
    QFETCH(QString, index);
    test::TestDatabaseDir dir;
    Database db(QStringLiteral("index_test"));
    db.open(dir.path());
    QVERIFY(!UpdateIndexes(db));
    db.exec("DROP INDEX CTrans_Count");
    db.exec("CREATE INDEX CTrans_Count ON CTrans (Count_Id, Owner_Tag)");
    db.exec("DROP INDEX CFiles_Count");
    db.exec("CREATE INDEX CFiles_Count ON CFiles (Count_Id)");
    db.exec("CREATE INDEX CFilesLink_File ON CFilesLink (Count_Id, File_Tag)");
    for (int tag = 1; tag <= 50; ++tag) {
        db.exec("INSERT INTO CTrans (Count_Id, Tag, Owner_Tag) VALUES (?, ?, ?)", {1 + tag % 3, tag, 50 - tag});
        db.exec("INSERT INTO CFiles (Count_Id, Tag) VALUES (?, ?)", {1 + tag % 3, tag});
        db.exec("INSERT INTO CFilesLink (Count_Id, File_Tag, Trans_Tag) VALUES (?, ?, ?)", {1 + tag % 3, tag, tag});
    }

    QVERIFY(UpdateIndexes(db));
    QVERIFY(!UpdateIndexes(db));
    QCOMPARE(db.scalar("SELECT COUNT(*) FROM sqlite_master WHERE name = 'CFilesLink_File'").toInt(), 0);
    QCOMPARE(db.scalar("SELECT COUNT(*) FROM CTrans WHERE Count_Id = 2").toInt(), 17);
    QCOMPARE(db.scalar("SELECT COUNT(*) FROM CFilesLink").toInt(), 50);

    QSqlQuery plan = db.exec("EXPLAIN QUERY PLAN " + statement);
    QStringList steps;
    while (plan.next())
        steps << plan.value(3).toString();
    const QString text = steps.join(" / ");
    QVERIFY2(text.contains("USING INDEX " + index) || text.contains("USING COVERING INDEX " + index), qPrintable(text));
    QVERIFY2(!text.contains("TEMP B-TREE"), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestSchema)
#include "test_schema.moc"
