#include "store/apperror.h"
#include "store/database.h"
#include "store/query.h"
#include "store/tablecopy.h"
#include "testdatabase.h"

#include <QSqlRecord>
#include <QtTest>
#include <memory>

using namespace qm;

class TestTableCopy : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void placeholdersBecomePositional_data();
    void placeholdersBecomePositional();
    void conditionLineGoesBeforeTheTail();
    void missingParameterIsAnError();
    void replaceTakesTheResultsColumns();
    void appendByPositionIgnoresNames();
    void appendByNameMatchesColumns_data();
    void appendByNameMatchesColumns();
    void emptyTableKeepsColumns();

private:
    QStringList rows(const QString &sql);
    std::unique_ptr<test::TestDatabaseDir> m_dir;
    std::unique_ptr<Database> m_db;
};

void TestTableCopy::init()
{
    m_dir = std::make_unique<test::TestDatabaseDir>();
    m_db = std::make_unique<Database>(QStringLiteral("tablecopy_test"));
    m_db->open(m_dir->path());
    m_db->exec("CREATE TABLE src (a INTEGER, b TEXT, c REAL)");
    m_db->exec("INSERT INTO src VALUES (1, 'one', 1.5), (2, 'two', 2.5), (3, 'three', 3.5)");
}

void TestTableCopy::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

QStringList TestTableCopy::rows(const QString &sql)
{
    QStringList out;
    QSqlQuery q = m_db->exec(sql);
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < q.record().count(); ++i)
            cells << (q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
        out << cells.join('|');
    }
    return out;
}

void TestTableCopy::placeholdersBecomePositional_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("positional");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("two names") << "SELECT * FROM t WHERE a = :A AND b = :Bee"
                               << "SELECT * FROM t WHERE a = ? AND b = ?" << QStringList{"A", "Bee"};
    QTest::newRow("name used twice") << "x = :Id OR y = :Id" << "x = ? OR y = ?" << QStringList{"Id", "Id"};
    QTest::newRow("colon in a literal") << "WHERE t = '10:30' AND u = :U" << "WHERE t = '10:30' AND u = ?"
                                        << QStringList{"U"};
    QTest::newRow("colon in a quoted name") << "SELECT \"a:b\" FROM t" << "SELECT \"a:b\" FROM t" << QStringList{};
    QTest::newRow("lone colon") << "SELECT ': ' || :N" << "SELECT ': ' || ?" << QStringList{"N"};
}

void TestTableCopy::placeholdersBecomePositional()
{
    QFETCH(QString, sql);
    QFETCH(QString, positional);
    QFETCH(QStringList, names);
    QStringList found;
    QCOMPARE(PositionalSql(sql, &found), positional);
    QCOMPARE(found, names);
}

void TestTableCopy::conditionLineGoesBeforeTheTail()
{
    const auto firstColumn = [this](const StoreQuery &q) {
        QStringList got;
        QSqlQuery r = q.exec(*m_db);
        while (r.next())
            got << r.value(0).toString();
        return got;
    };
    StoreQuery q("SELECT b FROM src WHERE a >= :From", "ORDER BY b");
    q.setParam("from", 1); // names ignore case
    QCOMPARE(firstColumn(q), (QStringList{"one", "three", "two"}));
    q.setConditionLine(" and c < 3");
    QCOMPARE(q.effectiveSql(), QString("SELECT b FROM src WHERE a >= :From  and c < 3 ORDER BY b"));
    QCOMPARE(firstColumn(q), (QStringList{"one", "two"}));
}

void TestTableCopy::missingParameterIsAnError()
{
    StoreQuery q("SELECT * FROM src WHERE a = :A AND b = :B");
    q.setParam("A", 1);
    QVERIFY_THROWS_EXCEPTION(StoreError, q.exec(*m_db));
    QVERIFY_THROWS_EXCEPTION(StoreError, ReplaceTable(*m_db, "dst", q));
    // Nothing was dropped for a statement that could not run.
    QVERIFY_THROWS_EXCEPTION(StoreError, TableColumns(*m_db, "dst"));
    q.setParam("B", "one");
    QCOMPARE(q.exec(*m_db).next(), true);
}

void TestTableCopy::replaceTakesTheResultsColumns()
{
    m_db->exec("CREATE TABLE dst (x INTEGER, y INTEGER, z INTEGER)");
    m_db->exec("INSERT INTO dst VALUES (7, 8, 9)");
    StoreQuery q("SELECT c, a FROM src WHERE a <> :Skip", "ORDER BY a DESC");
    q.setParam("Skip", 2);
    ReplaceTable(*m_db, "dst", q);
    QCOMPARE(TableColumns(*m_db, "dst"), (QStringList{"c", "a"}));
    QCOMPARE(rows("SELECT * FROM dst"), (QStringList{"3.5|3", "1.5|1"}));
    QCOMPARE(m_db->scalar("SELECT typeof(a) FROM dst").toString(), QString("integer"));
}

void TestTableCopy::appendByPositionIgnoresNames()
{
    m_db->exec("CREATE TABLE dst (b TEXT, a INTEGER)");
    AppendByPosition(*m_db, "dst", StoreQuery("SELECT a, b FROM src WHERE a = 1"));
    QCOMPARE(rows("SELECT b, a FROM dst"), QStringList{"1|one"});
}

void TestTableCopy::appendByNameMatchesColumns_data()
{
    QTest::addColumn<QString>("select");
    QTest::addColumn<QStringList>("mapping"); // source=target pairs
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("same names, other order") << "SELECT c, b, a FROM src WHERE a = 2" << QStringList{}
                                             << QStringList{"2|two|2.5|NULL"};
    QTest::newRow("names differ in case") << "SELECT A, B FROM src WHERE a = 1" << QStringList{}
                                          << QStringList{"1|one|NULL|NULL"};
    QTest::newRow("explicit mapping") << "SELECT a, b FROM src WHERE a = 3" << QStringList{"b=extra", "a=a"}
                                      << QStringList{"3|NULL|NULL|three"};
}

void TestTableCopy::appendByNameMatchesColumns()
{
    QFETCH(QString, select);
    QFETCH(QStringList, mapping);
    QFETCH(QStringList, expected);
    m_db->exec("CREATE TABLE dst (a INTEGER, b TEXT, c REAL, extra TEXT)");
    QList<ColumnMap> pairs;
    for (const QString &p : mapping)
        pairs.append({p.section('=', 0, 0), p.section('=', 1, 1)});
    AppendByName(*m_db, "dst", StoreQuery(select), pairs);
    QCOMPARE(rows("SELECT a, b, c, extra FROM dst"), expected);
}

void TestTableCopy::emptyTableKeepsColumns()
{
    EmptyTable(*m_db, "src");
    QCOMPARE(m_db->scalar("SELECT COUNT(*) FROM src").toInt(), 0);
    QCOMPARE(TableColumns(*m_db, "src"), (QStringList{"a", "b", "c"}));
}

QTEST_GUILESS_MAIN(TestTableCopy)
#include "test_tablecopy.moc"
