#include "store/apperror.h"
#include "store/cursor.h"
#include "store/database.h"
#include "testdatabase.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

using namespace qm;

Q_DECLARE_METATYPE(qm::CursorState)

class TestCursor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void navigatesInOrder_data();
    void navigatesInOrder();
    void locateFindsRowOrStays_data();
    void locateFindsRowOrStays();
    void refusedPostKeepsTheEdit();
    void movingPostsAndStopsWhenRefused();
    void cancelRestores_data();
    void cancelRestores();
    void insertPostsAndShowsNewRow();
    void deleteMovesToNeighbour_data();
    void deleteMovesToNeighbour();
    void filterAcceptingNoRecordShowsNoRow();
    void predicateFilterHidesRows();
    void computedColumnsFollowTheRow_data();
    void computedColumnsFollowTheRow();
    void textIsCutToColumnWidth();
    void readOnlyRefusesChanges();
    void exclusiveOpenIsRefusedWhileInUse_data();
    void exclusiveOpenIsRefusedWhileInUse();
    void closeAllCursorsClosesEveryCursor();
    void refreshSeesOtherWritesAndStaysOnRow();
    void changingIntegerKeyKeepsTheRow();
    void signalsFollowTheEditCycle();
    void disabledControlsHoldBackNotifications();
    void queryCursorUsesParametersAndCondition();

private:
    void addTrans(int tag, const QString &name, const QString &complexity = "0", const QString &type = "I");
    QString storedName(int tag);
    std::unique_ptr<test::TestDatabaseDir> m_dir;
    std::unique_ptr<Database> m_db;
};

void TestCursor::init()
{
    m_dir = std::make_unique<test::TestDatabaseDir>();
    m_db = std::make_unique<Database>(QStringLiteral("cursor_test"));
    m_db->open(m_dir->path());
    // Added out of tag order, so natural and tag order differ.
    addTrans(3, "Gamma", "3");
    addTrans(1, "Alpha", "1");
    addTrans(2, "Beta", "2");
    addTrans(5, "Epsilon", "0");
    addTrans(4, "Delta", "2", "O");
}

void TestCursor::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

void TestCursor::addTrans(int tag, const QString &name, const QString &complexity, const QString &type)
{
    m_db->exec("INSERT INTO Trans (Count_Id, Tag, Description, FP_Val, Complexity, Type, Change_Type, Owner_Tag) "
               "VALUES (1, ?, ?, 3.0, ?, ?, 'A', 0)",
               {tag, name, complexity, type});
}

QString TestCursor::storedName(int tag)
{
    return m_db->scalar("SELECT Description FROM Trans WHERE Tag = ?", {tag}).toString();
}

namespace {

QStringList walk(TableCursor &c, const QString &field)
{
    QStringList out;
    for (bool ok = c.first(); ok; ok = c.next())
        out << c.text(field);
    return out;
}

QStringList walkBack(TableCursor &c, const QString &field)
{
    QStringList out;
    for (bool ok = c.last(); ok; ok = c.prior())
        out << c.text(field);
    return out;
}

} // namespace

void TestCursor::navigatesInOrder_data()
{
    QTest::addColumn<QString>("orderBy");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("order added") << QString() << QStringList{"Gamma", "Alpha", "Beta", "Epsilon", "Delta"};
    QTest::newRow("by tag") << "Tag" << QStringList{"Alpha", "Beta", "Gamma", "Delta", "Epsilon"};
    QTest::newRow("by type then name") << "Type, Description"
                                       << QStringList{"Alpha", "Beta", "Epsilon", "Gamma", "Delta"};
}

void TestCursor::navigatesInOrder()
{
    QFETCH(QString, orderBy);
    QFETCH(QStringList, names);
    TableCursor c(*m_db);
    c.setTable("Trans", orderBy);
    c.open();
    QCOMPARE(c.recordCount(), 5);
    QCOMPARE(c.text("Description"), names.first());
    QCOMPARE(walk(c, "Description"), names);
    QVERIFY(c.eof());
    QStringList reversed(names.rbegin(), names.rend());
    QCOMPARE(walkBack(c, "Description"), reversed);
    QVERIFY(c.bof());
}

void TestCursor::locateFindsRowOrStays_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("nameAfter");
    QTest::newRow("by tag") << QStringList{"Tag"} << QVariantList{4} << true << "Delta";
    QTest::newRow("tag given as text") << QStringList{"Tag"} << QVariantList{"2"} << true << "Beta";
    QTest::newRow("tag and count") << QStringList{"Tag", "Count_Id"} << QVariantList{5, 1} << true << "Epsilon";
    QTest::newRow("field names ignore case") << QStringList{"tag", "count_id"} << QVariantList{1, 1} << true
                                             << "Alpha";
    QTest::newRow("other count") << QStringList{"Tag", "Count_Id"} << QVariantList{5, 2} << false << "Beta";
    QTest::newRow("missing tag") << QStringList{"Tag"} << QVariantList{0} << false << "Beta";
}

void TestCursor::locateFindsRowOrStays()
{
    QFETCH(QStringList, fields);
    QFETCH(QVariantList, values);
    QFETCH(bool, found);
    QFETCH(QString, nameAfter);
    for (bool query : {false, true}) {
        TableCursor c(*m_db);
        if (query)
            c.setQuery(StoreQuery("SELECT * FROM Trans", "ORDER BY Tag"));
        else
            c.setTable("Trans", "Tag");
        c.open();
        QVERIFY(c.locate("Tag", 2));
        QCOMPARE(c.locate(fields, values), found);
        QCOMPARE(c.text("Description"), nameAfter);
    }
}

void TestCursor::refusedPostKeepsTheEdit()
{
    TableCursor c(*m_db);
    c.setTable("Trans");
    c.open();
    bool allow = false;
    int asked = 0;
    c.setBeforePost([&](TableCursor &cursor) {
        ++asked;
        return allow && !cursor.text("Description").trimmed().isEmpty();
    });
    c.edit();
    c.setValue("Description", "Renamed");
    QVERIFY(!c.post());
    QCOMPARE(asked, 1);
    QCOMPARE(c.state(), CursorState::Edit);
    QCOMPARE(c.text("Description"), QString("Renamed"));
    QVERIFY(c.isModified());
    QCOMPARE(storedName(3), QString("Gamma"));

    allow = true;
    QVERIFY(c.post());
    QCOMPARE(c.state(), CursorState::Browse);
    QCOMPARE(storedName(3), QString("Renamed"));
}

void TestCursor::movingPostsAndStopsWhenRefused()
{
    TableCursor c(*m_db);
    c.setTable("Trans", "Tag");
    c.open();
    c.setBeforePost([](TableCursor &cursor) { return !cursor.text("Description").isEmpty(); });
    c.edit();
    c.setValue("Description", "");
    QVERIFY(!c.next());
    QVERIFY(!c.locate("Tag", 4));
    QCOMPARE(c.intValue("Tag"), 1);
    QCOMPARE(c.state(), CursorState::Edit);

    c.setValue("Description", "First");
    QVERIFY(c.next());
    QCOMPARE(c.intValue("Tag"), 2);
    QCOMPARE(storedName(1), QString("First"));
}

void TestCursor::cancelRestores_data()
{
    QTest::addColumn<bool>("inserting");
    QTest::newRow("edit") << false;
    QTest::newRow("insert") << true;
}

void TestCursor::cancelRestores()
{
    QFETCH(bool, inserting);
    TableCursor c(*m_db);
    c.setTable("Trans", "Tag");
    c.open();
    QVERIFY(c.locate("Tag", 3));
    QSignalSpy cancelled(&c, &TableCursor::afterCancel);
    if (inserting) {
        c.insert();
        QVERIFY(c.value("Description").isNull());
        c.setValue("Tag", 99);
    } else {
        c.edit();
    }
    c.setValue("Description", "Changed");
    c.cancel();
    QCOMPARE(c.state(), CursorState::Browse);
    QCOMPARE(cancelled.count(), 1);
    QCOMPARE(c.intValue("Tag"), 3);
    QCOMPARE(c.text("Description"), QString("Gamma"));
    QCOMPARE(storedName(3), QString("Gamma"));
    QCOMPARE(m_db->scalar("SELECT COUNT(*) FROM Trans").toInt(), 5);
    QVERIFY(!c.isModified());
}

void TestCursor::insertPostsAndShowsNewRow()
{
    TableCursor c(*m_db);
    c.setTable("Trans", "Tag");
    c.open();
    QVERIFY(c.locate("Tag", 2));
    c.insert();
    QCOMPARE(c.state(), CursorState::Insert);
    c.setValue("Count_Id", 1);
    c.setValue("Tag", 6);
    c.setValue("Description", "Zeta");
    QVERIFY(c.post());
    QCOMPARE(c.recordCount(), 6);
    QCOMPARE(c.intValue("Tag"), 6);
    QCOMPARE(c.position(), 5);
    QCOMPARE(storedName(6), QString("Zeta"));
    // Columns never set stay empty.
    QVERIFY(m_db->scalar("SELECT Memo IS NULL FROM Trans WHERE Tag = 6").toBool());

    // Natural order: the new row comes last.
    TableCursor n(*m_db);
    n.setTable("Trans");
    n.open();
    n.insert();
    n.setValue("Tag", 7);
    QVERIFY(n.post());
    QCOMPARE(n.position(), n.recordCount() - 1);
    QCOMPARE(n.intValue("Tag"), 7);
}

void TestCursor::deleteMovesToNeighbour_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("tagAfter");
    QTest::newRow("middle row: next one") << 3 << 4;
    QTest::newRow("first row: next one") << 1 << 2;
    QTest::newRow("last row: previous one") << 5 << 4;
}

void TestCursor::deleteMovesToNeighbour()
{
    QFETCH(int, tag);
    QFETCH(int, tagAfter);
    TableCursor c(*m_db);
    c.setTable("Trans", "Tag");
    c.open();
    QVERIFY(c.locate("Tag", tag));
    c.deleteRecord();
    QCOMPARE(c.recordCount(), 4);
    QCOMPARE(c.intValue("Tag"), tagAfter);
    QCOMPARE(m_db->scalar("SELECT COUNT(*) FROM Trans WHERE Tag = ?", {tag}).toInt(), 0);
    QVERIFY(!c.locate("Tag", tag));
}

void TestCursor::filterAcceptingNoRecordShowsNoRow()
{
    TableCursor c(*m_db);
    c.setTable("Trans", "Tag");
    c.open();
    QVERIFY(c.locate("Tag", 4));
    c.setFiltered(true);
    QVERIFY(c.isEmpty());
    QCOMPARE(c.position(), -1);
    QVERIFY(c.value("Description").isNull());
    QVERIFY(!c.first());
    QVERIFY(c.eof());
    QVERIFY(!c.locate("Tag", 4));
    QVERIFY_THROWS_EXCEPTION(StoreError, c.deleteRecord());

    // A row started while nothing shows is stored but stays hidden.
    c.insert();
    c.setValue("Tag", 8);
    c.setValue("Count_Id", 1);
    QVERIFY(c.post());
    QVERIFY(c.isEmpty());
    QCOMPARE(m_db->scalar("SELECT COUNT(*) FROM Trans").toInt(), 6);

    c.setFiltered(false);
    QCOMPARE(c.recordCount(), 6);
    QVERIFY(c.locate(QStringList{"Tag", "Count_Id"}, QVariantList{8, 1}));
}

void TestCursor::predicateFilterHidesRows()
{
    TableCursor c(*m_db);
    c.setTable("Trans", "Tag");
    c.setRecordFilter([](const QSqlRecord &r) { return r.value("Type").toString() == "I"; });
    c.open();
    QCOMPARE(c.recordCount(), 5);
    c.setFiltered(true);
    QCOMPARE(walk(c, "Description"), (QStringList{"Alpha", "Beta", "Gamma", "Epsilon"}));
    QVERIFY(!c.locate("Tag", 4));
    // A row edited out of the filter leaves the view.
    QVERIFY(c.locate("Tag", 2));
    c.edit();
    c.setValue("Type", "O");
    QVERIFY(c.post());
    QCOMPARE(c.recordCount(), 3);
    QVERIFY(c.text("Type") == "I");
}

void TestCursor::computedColumnsFollowTheRow_data()
{
    // The first row is edited to the code; the second keeps type "E",
    // status "R" (counts) or complexity "1" (transactions).
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("computed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("secondRow");
    QTest::newRow("catalogue base") << "CCounts" << "Type" << "B" << "TypeValue" << "Base Count" << "Enhancement";
    QTest::newRow("catalogue unknown type") << "CCounts" << "Type" << "X" << "TypeValue" << "Base Count"
                                            << "Enhancement";
    QTest::newRow("editor base") << "Counts" << "Type" << "B" << "TypeValue" << "Base" << "Enhancement";
    QTest::newRow("editor unknown type") << "Counts" << "Type" << "Q" << "TypeValue" << "Base" << "Enhancement";
    QTest::newRow("updatable") << "CCounts" << "Status" << "U" << "StatusValue" << "" << "Read-Only";
    QTest::newRow("high") << "Trans" << "Complexity" << "3" << "ComplexityLong" << "High" << "Low";
    QTest::newRow("not assigned") << "Trans" << "Complexity" << "0" << "ComplexityLong" << "Not Assigned"
                                  << "Low";
}

void TestCursor::computedColumnsFollowTheRow()
{
    QFETCH(QString, table);
    QFETCH(QString, source);
    QFETCH(QString, code);
    QFETCH(QString, computed);
    QFETCH(QString, expected);
    QFETCH(QString, secondRow);
    if (table != "Trans") {
        m_db->exec(QStringLiteral("INSERT INTO %1 (Id, Type, Status) VALUES (1, 'E', 'R')").arg(table));
        m_db->exec(QStringLiteral("INSERT INTO %1 (Id, Type, Status) VALUES (2, 'E', 'R')").arg(table));
    }
    TableCursor c(*m_db);
    c.setTable(table);
    if (table == "Trans")
        AddComplexityCalcField(c);
    else
        AddCountCalcFields(c, table == "CCounts" ? CountTypeFlavour::Catalogue : CountTypeFlavour::Editor);
    c.open();
    QVERIFY(c.hasField(computed));
    QVERIFY(c.fieldNames().contains(computed));

    // In an edit, before anything is stored.
    QSignalSpy fields(&c, &TableCursor::fieldChanged);
    c.edit();
    c.setValue(source, code);
    QCOMPARE(c.text(computed), expected);
    QVERIFY(fields.contains(QVariantList{computed}));
    QVERIFY(c.post());
    QCOMPARE(c.text(computed), expected);
    // Moving on shows the next row's value, moving back this one's again.
    QVERIFY(c.next());
    QCOMPARE(c.text(computed), secondRow);
    QVERIFY(c.first());
    QCOMPARE(c.text(computed), expected);
    QVERIFY_THROWS_EXCEPTION(StoreError, (c.edit(), c.setValue(computed, "x")));
}

void TestCursor::textIsCutToColumnWidth()
{
    TableCursor c(*m_db);
    c.setTable("Trans");
    c.open();
    c.edit();
    const QString longName = QString(60, 'n') + " - Copy";
    c.setValue("Description", longName);
    QCOMPARE(c.text("Description"), QString(60, 'n'));
    QVERIFY(c.post());
    QCOMPARE(storedName(3), QString(60, 'n'));
}

void TestCursor::readOnlyRefusesChanges()
{
    TableCursor c(*m_db);
    c.setTable("Trans");
    c.open(TableCursor::ReadOnly);
    QVERIFY(c.isReadOnly());
    QVERIFY_THROWS_EXCEPTION(StoreError, c.edit());
    QVERIFY_THROWS_EXCEPTION(StoreError, c.insert());
    QVERIFY_THROWS_EXCEPTION(StoreError, c.deleteRecord());
    QVERIFY_THROWS_EXCEPTION(StoreError, c.setValue("Description", "x"));
    QCOMPARE(c.state(), CursorState::Browse);

    // Reopened writable, the same cursor edits again.
    c.open();
    QVERIFY(!c.isReadOnly());
    c.edit();
    c.setValue("Description", "Writable");
    QVERIFY(c.post());

    TableCursor q(*m_db);
    q.setQuery(StoreQuery("SELECT * FROM Trans"));
    q.open();
    QVERIFY(q.isReadOnly());
    QVERIFY_THROWS_EXCEPTION(StoreError, q.edit());
}

void TestCursor::exclusiveOpenIsRefusedWhileInUse_data()
{
    QTest::addColumn<bool>("firstExclusive");
    QTest::addColumn<bool>("secondExclusive");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("shared, shared") << false << false << true;
    QTest::newRow("shared, exclusive") << false << true << false;
    QTest::newRow("exclusive, shared") << true << false << false;
    QTest::newRow("exclusive, exclusive") << true << true << false;
}

void TestCursor::exclusiveOpenIsRefusedWhileInUse()
{
    QFETCH(bool, firstExclusive);
    QFETCH(bool, secondExclusive);
    QFETCH(bool, allowed);
    const auto flags = [](bool exclusive) { return exclusive ? TableCursor::Exclusive : TableCursor::NoFlags; };
    TableCursor a(*m_db);
    TableCursor b(*m_db);
    a.setTable("Trans");
    b.setTable("Trans");
    a.open(flags(firstExclusive));
    QCOMPARE(a.isExclusive(), firstExclusive);
    if (allowed) {
        b.open(flags(secondExclusive));
        QVERIFY(b.isOpen());
    } else {
        QVERIFY_THROWS_EXCEPTION(StoreError, b.open(flags(secondExclusive)));
        QVERIFY(!b.isOpen());
    }
    // Another table is not affected, and closing frees the table.
    TableCursor other(*m_db);
    other.setTable("Files");
    other.open(TableCursor::Exclusive);
    a.close();
    b.close();
    b.open(flags(secondExclusive));
    QVERIFY(b.isOpen());
}

void TestCursor::closeAllCursorsClosesEveryCursor()
{
    TableCursor a(*m_db);
    a.setTable("Trans");
    a.open(TableCursor::Exclusive);
    TableCursor q(*m_db);
    q.setQuery(StoreQuery("SELECT * FROM Trans"));
    q.open();
    QSignalSpy states(&a, &TableCursor::stateChanged);
    m_db->closeAllCursors();
    QVERIFY(!a.isOpen());
    QVERIFY(!q.isOpen());
    QCOMPARE(states.count(), 1);
    QCOMPARE(states.first().first().value<CursorState>(), CursorState::Inactive);
    QCOMPARE(m_db->tableUsers("Trans"), 0);
    a.open(TableCursor::Exclusive);
    QCOMPARE(a.recordCount(), 5);
}

void TestCursor::refreshSeesOtherWritesAndStaysOnRow()
{
    TableCursor c(*m_db);
    c.setTable("Trans", "Tag");
    c.open();
    QVERIFY(c.locate("Tag", 4));
    m_db->exec("UPDATE Trans SET Description = 'Changed' WHERE Tag = 4");
    m_db->exec("DELETE FROM Trans WHERE Tag = 1");
    addTrans(9, "Iota");
    QCOMPARE(c.text("Description"), QString("Delta"));
    QVERIFY(c.refresh());
    QCOMPARE(c.recordCount(), 5);
    QCOMPARE(c.intValue("Tag"), 4);
    QCOMPARE(c.text("Description"), QString("Changed"));
    // The row itself gone: the cursor stays at the same place.
    m_db->exec("DELETE FROM Trans WHERE Tag = 4");
    QVERIFY(c.refresh());
    QCOMPARE(c.intValue("Tag"), 5);
}

void TestCursor::changingIntegerKeyKeepsTheRow()
{
    for (int id : {1, 2, 3})
        m_db->exec("INSERT INTO CCounts (Id, Description) VALUES (?, ?)", {id, QStringLiteral("Count %1").arg(id)});
    TableCursor c(*m_db);
    c.setTable("CCounts");
    c.open();
    QVERIFY(c.locate("Id", 1));
    c.edit();
    c.setValue("Id", 10);
    QVERIFY(c.post());
    QCOMPARE(c.intValue("Id"), 10);
    QCOMPARE(c.text("Description"), QString("Count 1"));
    QCOMPARE(c.position(), 2);
    c.edit();
    c.setValue("Description", "Moved");
    QVERIFY(c.post());
    QCOMPARE(m_db->scalar("SELECT Description FROM CCounts WHERE Id = 10").toString(), QString("Moved"));
}

void TestCursor::signalsFollowTheEditCycle()
{
    TableCursor c(*m_db);
    c.setTable("Trans");
    QSignalSpy states(&c, &TableCursor::stateChanged);
    QSignalSpy records(&c, &TableCursor::recordChanged);
    QSignalSpy posted(&c, &TableCursor::afterPost);
    c.open();
    QCOMPARE(records.count(), 1);
    c.next();
    QCOMPARE(records.count(), 2);
    c.edit();
    c.setValue("Memo", "note");
    QVERIFY(c.post());
    c.insert();
    c.cancel();
    c.close();
    QList<CursorState> seen;
    for (const auto &args : states)
        seen << args.first().value<CursorState>();
    QCOMPARE(seen, (QList<CursorState>{CursorState::Browse, CursorState::Edit, CursorState::Browse,
                                       CursorState::Insert, CursorState::Browse, CursorState::Inactive}));
    QCOMPARE(posted.count(), 1);
    QCOMPARE(m_db->scalar("SELECT Memo FROM Trans WHERE Tag = 1").toString(), QString("note"));
}

void TestCursor::disabledControlsHoldBackNotifications()
{
    TableCursor c(*m_db);
    c.setTable("Trans");
    c.open();
    QSignalSpy records(&c, &TableCursor::recordChanged);
    c.disableControls();
    c.disableControls();
    while (c.next()) {
    }
    c.enableControls();
    QCOMPARE(records.count(), 0);
    c.enableControls();
    QCOMPARE(records.count(), 1);
    QCOMPARE(c.intValue("Tag"), 4);
}

void TestCursor::queryCursorUsesParametersAndCondition()
{
    addTrans(6, "Other count");
    m_db->exec("UPDATE Trans SET Count_Id = 2 WHERE Tag = 6");
    TableCursor c(*m_db);
    c.setQuery(StoreQuery("SELECT Tag, Description FROM Trans WHERE Count_Id = :CountId", "ORDER BY Description"));
    c.query().setParam("CountId", 1);
    c.open();
    QCOMPARE(walk(c, "Description"), (QStringList{"Alpha", "Beta", "Delta", "Epsilon", "Gamma"}));
    c.query().setConditionLine(" and Complexity in ('2','3')");
    QVERIFY(c.refresh());
    QCOMPARE(walk(c, "Description"), (QStringList{"Beta", "Delta", "Gamma"}));
    c.query().setConditionLine({});
    c.query().setParam("CountId", 2);
    QVERIFY(c.refresh());
    QCOMPARE(walk(c, "Tag"), QStringList{"6"});

    TableCursor missing(*m_db);
    missing.setQuery(StoreQuery("SELECT * FROM Trans WHERE Tag = :Tag"));
    QVERIFY_THROWS_EXCEPTION(StoreError, missing.open());
    QVERIFY(!missing.isOpen());
}

QTEST_GUILESS_MAIN(TestCursor)
#include "test_cursor.moc"
