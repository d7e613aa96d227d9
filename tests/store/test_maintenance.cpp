#include "store/apperror.h"
#include "store/cursor.h"
#include "store/database.h"
#include "store/maintenance.h"
#include "testdatabase.h"

#include <QFileInfo>
#include <QtTest>

using namespace qm;

class TestMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void packRefuses_data();
    void packRefuses();
    void compactingAfterDeletesShrinksTheFile();
    void compactingAnEmptyDatabaseKeepsItsTables();
};

void TestMaintenance::packRefuses_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("message");
    QTest::newRow("closed") << "closed" << "Table must be opened to pack";
    QTest::newRow("shared") << "shared" << "Table must be opened exclusively to pack";
    QTest::newRow("query") << "query" << "Table must be opened exclusively to pack";
    QTest::newRow("not one of ours") << "foreign" << "Table must be either of Paradox or dBASE type to pack";
}

void TestMaintenance::packRefuses()
{
    QFETCH(QString, how);
    QFETCH(QString, message);
    test::TestDatabaseDir dir;
    Database db(QStringLiteral("pack_refuse"));
    db.open(dir.path());
    TableCursor cursor(db);
    if (how == "query") {
        cursor.setQuery(StoreQuery(QStringLiteral("SELECT * FROM CCounts")));
        cursor.open();
    } else if (how == "foreign") {
        db.exec("CREATE TABLE Scratch (A INTEGER)");
        cursor.setTable(QStringLiteral("Scratch"));
        cursor.open(TableCursor::Exclusive);
    } else {
        cursor.setTable(QStringLiteral("CCounts"));
        if (how == "shared")
            cursor.open();
    }
    try {
        PackTable(db, cursor);
        QFAIL("packing was not refused");
    } catch (const StoreError &e) {
        QCOMPARE(e.message(), message);
    }
}

void TestMaintenance::compactingAfterDeletesShrinksTheFile()
{
    test::TestDatabaseDir dir;
    Database db(QStringLiteral("pack_shrink"));
    db.open(dir.path());
    const QString memo(2000, QLatin1Char('m'));
    {
        Transaction tx(db);
        for (int count = 1; count <= 40; ++count) {
            db.exec("INSERT INTO CCounts (Id, Description, Copy_Count_Id) VALUES (?, ?, ?)",
                    {count, QStringLiteral("Count %1").arg(count), count > 1 ? count - 1 : 0});
            for (int tag = 1; tag <= 50; ++tag) {
                db.exec("INSERT INTO CTrans (Count_Id, Tag, Description, Memo) VALUES (?, ?, 'T', ?)",
                        {count, tag, memo});
                db.exec("INSERT INTO CFiles (Count_Id, Tag, Description, Memo) VALUES (?, ?, 'F', ?)",
                        {count, tag, memo});
                db.exec("INSERT INTO CFilesLink (Count_Id, File_Tag, Trans_Tag, Input_Output_Flag) VALUES (?, ?, ?, 'I')",
                        {count, tag, tag});
            }
        }
        tx.commit();
    }
    for (const char *table : {"CFilesLink", "CFiles", "CTrans"})
        db.exec(QStringLiteral("DELETE FROM %1 WHERE Count_Id > 2").arg(QLatin1String(table)));
    db.exec("DELETE FROM CCounts WHERE Id > 2");
    const qint64 before = QFileInfo(db.filePath()).size();

    QStringList texts;
    CompactPermanentTables(db, [&](const QString &t) { texts << t; });

    QCOMPARE(texts, (QStringList{"Packing Counts...", "Packing Trans...", "Packing Files...", "Packing Links...", ""}));
    const qint64 after = QFileInfo(db.filePath()).size();
    QVERIFY2(after < before / 5, qPrintable(QStringLiteral("%1 -> %2 bytes").arg(before).arg(after)));
    // What was kept is all still there, hierarchy included.
    QCOMPARE(db.scalar("SELECT COUNT(*) FROM CTrans").toInt(), 100);
    QCOMPARE(db.scalar("SELECT COUNT(*) FROM CFilesLink").toInt(), 100);
    QCOMPARE(db.scalar("SELECT Copy_Count_Id FROM CCounts WHERE Id = 2").toInt(), 1);
    // The tables are free again for ordinary and exclusive use.
    TableCursor cursor(db);
    cursor.setTable(QStringLiteral("CCounts"));
    cursor.open(TableCursor::Exclusive);
    QCOMPARE(cursor.recordCount(), 2);
}

void TestMaintenance::compactingAnEmptyDatabaseKeepsItsTables()
{
    test::TestDatabaseDir dir;
    Database db(QStringLiteral("pack_empty"));
    db.open(dir.path());
    CompactPermanentTables(db, {});
    for (const char *table : {"CCounts", "CTrans", "CFiles", "CFilesLink"})
        QCOMPARE(db.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))).toInt(), 0);
}

QTEST_GUILESS_MAIN(TestMaintenance)
#include "test_maintenance.moc"
