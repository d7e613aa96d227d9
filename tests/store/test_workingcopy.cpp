#include "counting/rules.h"
#include "store/apperror.h"
#include "store/appstate.h"
#include "store/countcheck.h"
#include "store/cursor.h"
#include "store/database.h"
#include "store/tablecopy.h"
#include "store/workingcopy.h"
#include "store/workingcopyui.h"
#include "scripteddialogs.h"
#include "testdatabase.h"

#include <QSqlRecord>
#include <QtTest>
#include <memory>

using namespace qm;

namespace {

const QDateTime kNow(QDate(2024, 5, 6), QTime(7, 8, 9));

// Records every call in order; answers come from queues.
class ScriptedUi : public WorkingCopyUi
{
public:
    explicit ScriptedUi(AppState &state) : m_state(state) {}

    test::ScriptedDialogs dialogs;
    QStringList log;
    QList<std::optional<QString>> names;
    qint64 total = 0;
    std::function<void()> onReopen;

    MessageAnswer message(MessageKind kind, const QString &text, MessageButtons buttons) override
    {
        log << "message";
        return dialogs.message(kind, text, buttons);
    }
    void cancelReport() override
    {
        log << "cancelReport";
        m_state.reportBusy = false;
    }
    std::optional<QString> askNewCountName() override
    {
        log << "askName";
        return names.isEmpty() ? std::nullopt : names.takeFirst();
    }
    void showCountName() override { log << "showName"; }
    void showStatus(const QString &text) override { log << "status:" + text; }
    void beginBusy() override { log << "busy+"; }
    void endBusy() override { log << "busy-"; }
    void postPendingEdits() override { log << "post"; }
    void dockPanels() override { log << "dock"; }
    void refreshCursors() override { log << "refreshCursors"; }
    void refreshTitle() override { log << "title"; }
    void refreshSummary() override { log << "summary"; }
    void reopenAfterSave() override
    {
        log << "reopen";
        if (onReopen)
            onReopen();
    }
    void rebuildAfterSaveAs() override { log << "rebuild"; }
    void switchFilterOff() override
    {
        log << "filterOff";
        m_state.filterActive = false;
    }
    qint64 totalAdjustedFps() override
    {
        log << "total";
        return total;
    }

private:
    AppState &m_state;
};

const QStringList kAllTables = {"CCounts", "CTrans", "CFiles", "CFilesLink", "Counts", "Trans", "Files", "FilesLink"};

} // namespace

class TestWorkingCopy : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void nextCountId_data();
    void nextCountId();
    void tagNumbering_data();
    void tagNumbering();
    void tagsContinueAboveASavedCount();
    void createWorkingCountWritesNewRow();
    void loadCopiesOneCountInFourSteps();
    void saveRenumbersAndRepointsDerived();
    void saveNewCountNeverReplaces();
    void duplicateNameIsRefused_data();
    void duplicateNameIsRefused();
    void saveAsEnhancementFromBase();
    void saveAsBaseFromEnhancement();
    void saveAsExactCopy_data();
    void saveAsExactCopy();
    void savedRowCarriesItsTotal_data();
    void savedRowCarriesItsTotal();
    void abandonedSaveChangesNothing_data();
    void abandonedSaveChangesNothing();
    void failedSaveLeavesDatabaseAsBefore_data();
    void failedSaveLeavesDatabaseAsBefore();
    void failedReplaceLeavesDatabaseAsBefore();
    void finishClosesCursorsBeforeReopening();
    void deleteCountMakesDerivedRoots();
    void storeCountTotal_data();
    void storeCountTotal();

private:
    void addCount(int id, const QString &name, const QString &type = "B", int copyOf = 0, double oldVaf = 1.0);
    void addTrans(int count, int tag, const QString &change = "A", const QString &type = "I");
    void addFile(int count, int tag, const QString &change = "A");
    void addLink(int count, int file, int trans, const QString &flag = "I");
    void addItems(int count, int firstTag);
    void open(int id);
    QStringList rows(const QString &table, const QString &where = {});
    QMap<QString, QStringList> dump();
    int rowsOf(int count);

    std::unique_ptr<test::TestDatabaseDir> m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<ScriptedUi> m_ui;
    std::unique_ptr<WorkingCopy> m_wc;
};

void TestWorkingCopy::init()
{
    m_dir = std::make_unique<test::TestDatabaseDir>();
    m_db = std::make_unique<Database>(QStringLiteral("workingcopy_test"));
    m_db->open(m_dir->path());
    m_state = std::make_unique<AppState>();
    m_ui = std::make_unique<ScriptedUi>(*m_state);
    m_wc = std::make_unique<WorkingCopy>(*m_db, *m_state, m_ui.get());
    m_wc->setClock([] { return kNow; });
}

void TestWorkingCopy::cleanup()
{
    if (m_ui)
        QVERIFY2(m_ui->dialogs.unexpected().isEmpty(), qPrintable(m_ui->dialogs.unexpected()));
    m_wc.reset();
    m_ui.reset();
    m_db.reset();
    m_dir.reset();
}

void TestWorkingCopy::addCount(int id, const QString &name, const QString &type, int copyOf, double oldVaf)
{
    QVariantList v = {id, "SYS", name, "10:00:00", "2020-01-02", "09:00:00", "2020-01-01", " ", type, 1.0, copyOf};
    for (int i = 0; i < 14; ++i)
        v << 3;
    v << 0.0 << 0.0 << "U" << "notes" << oldVaf << 50 << id;
    m_db->exec(QStringLiteral("INSERT INTO CCounts VALUES (%1)").arg(QStringList(v.size(), "?").join(",")), v);
}

void TestWorkingCopy::addTrans(int count, int tag, const QString &change, const QString &type)
{
    m_db->exec("INSERT INTO CTrans VALUES (?, ?, ?, 4.0, '2', ?, ?, 0, 5, 1, 0, 0, 'memo')",
               {count, tag, QStringLiteral("T%1").arg(tag), type, change});
}

void TestWorkingCopy::addFile(int count, int tag, const QString &change)
{
    m_db->exec("INSERT INTO CFiles VALUES (?, ?, ?, 7.0, '1', 1, 10, 'I', ?, 'memo')",
               {count, tag, QStringLiteral("F%1").arg(tag), change});
}

void TestWorkingCopy::addLink(int count, int file, int trans, const QString &flag)
{
    m_db->exec("INSERT INTO CFilesLink VALUES (?, ?, ?, ?, ' ')", {count, file, trans, flag});
}

// Two transactions, two files, three links.
void TestWorkingCopy::addItems(int count, int firstTag)
{
    addTrans(count, firstTag);
    addTrans(count, firstTag + 1, "A", "Q");
    addFile(count, firstTag);
    addFile(count, firstTag + 1);
    addLink(count, firstTag, firstTag);
    addLink(count, firstTag, firstTag + 1, "I");
    addLink(count, firstTag + 1, firstTag + 1, "O");
}

void TestWorkingCopy::open(int id)
{
    m_state->currentCountId = id;
    m_state->newCount = false;
    m_state->changeCount = 0;
    m_wc->LoadWorkingCopy(id);
}

QStringList TestWorkingCopy::rows(const QString &table, const QString &where)
{
    QStringList out;
    QSqlQuery q = m_db->exec(QStringLiteral("SELECT * FROM %1 %2").arg(table, where));
    while (q.next()) {
        QStringList cells;
        const QSqlRecord rec = q.record();
        for (int i = 0; i < rec.count(); ++i)
            cells << rec.fieldName(i) + "=" + (q.value(i).isNull() ? QString("NULL") : q.value(i).toString());
        out << cells.join('|');
    }
    out.sort();
    return out;
}

QMap<QString, QStringList> TestWorkingCopy::dump()
{
    QMap<QString, QStringList> all;
    for (const QString &t : kAllTables)
        all.insert(t, rows(t));
    return all;
}

int TestWorkingCopy::rowsOf(int count)
{
    int n = m_db->scalar("SELECT COUNT(*) FROM CCounts WHERE Id = ?", {count}).toInt();
    for (const char *t : {"CTrans", "CFiles", "CFilesLink"})
        n += m_db->scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Count_Id = ?").arg(t), {count}).toInt();
    return n;
}

void TestWorkingCopy::nextCountId_data()
{
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty catalogue") << QList<int>{} << 1;
    QTest::newRow("largest plus one") << QList<int>{3, 12, 7} << 13;
}

void TestWorkingCopy::nextCountId()
{
    QFETCH(QList<int>, ids);
    QFETCH(int, expected);
    for (int id : ids)
        addCount(id, QStringLiteral("Count %1").arg(id));
    QCOMPARE(m_wc->NextCountId(), expected);
    QCOMPARE(m_wc->NextCountId(), expected); // computed afresh, not consumed
}

void TestWorkingCopy::tagNumbering_data()
{
    QTest::addColumn<QList<int>>("savedTags");
    QTest::addColumn<QList<int>>("workingTags");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("empty database") << QList<int>{} << QList<int>{} << QList<int>{1, 2, 3};
    QTest::newRow("above largest saved tag") << QList<int>{40, 7} << QList<int>{} << QList<int>{41, 42, 43};
    QTest::newRow("opened count below the largest") << QList<int>{40} << QList<int>{3, 5} << QList<int>{41, 42, 43};
    QTest::newRow("imported count not yet saved") << QList<int>{40} << QList<int>{41, 42, 43}
                                                  << QList<int>{44, 45, 46};
}

void TestWorkingCopy::tagNumbering()
{
    QFETCH(QList<int>, savedTags);
    QFETCH(QList<int>, workingTags);
    QFETCH(QList<int>, expected);
    for (int tag : savedTags) {
        addTrans(tag % 2 + 1, tag);
        addFile(tag % 2 + 1, tag);
    }
    for (int tag : workingTags) {
        m_db->exec("INSERT INTO Trans (Count_Id, Tag) VALUES (9, ?)", {tag});
        m_db->exec("INSERT INTO Files (Count_Id, Tag) VALUES (9, ?)", {tag});
    }
    QList<int> trans, files;
    for (int i = 0; i < expected.size(); ++i) {
        trans << m_wc->NextTransTag();
        files << m_wc->NextFileTag();
    }
    QCOMPARE(trans, expected);
    QCOMPARE(files, expected);
    QCOMPARE(m_state->nextTransTag, expected.last());
}

void TestWorkingCopy::tagsContinueAboveASavedCount()
{
    addCount(1, "Small");
    addItems(1, 1);
    addCount(2, "Big");
    addItems(2, 39); // tags 39 and 40
    open(2);
    QVERIFY(m_wc->SaveWorkingCopy());
    // The editor opens another count with fresh counters.
    m_state->nextTransTag = m_state->nextFileTag = 0;
    open(1);
    QCOMPARE(m_wc->NextTransTag(), 41);
    QCOMPARE(m_wc->NextFileTag(), 41);
}

void TestWorkingCopy::createWorkingCountWritesNewRow()
{
    addCount(3, "Saved");
    addItems(3, 1);
    open(3);
    for (const QString &type : {QString("B"), QString("E")}) {
        m_wc->CreateWorkingCount(4, type);
        QStringList expected = {"Id=4", "System= NOSYSTEM", "Description=Untitled count", "LastUpd_Time=07:08:09",
                                "LastUpd_Date=2024-05-06", "Created_Time=07:08:09", "Created_Date=2024-05-06",
                                "Created_By= ", "Type=" + type, "Version=1", "Copy_Count_Id=0"};
        for (int i = 1; i <= 14; ++i)
            expected << QStringLiteral("VAF_%1=3").arg(i);
        expected << "Last_Files_Tag=0" << "Last_Trans_Tag=0" << "Status=U" << "Notes= " << "Old_VAF=1" << "FP_Val=0"
                 << "Ext_Id=4";
        QCOMPARE(rows("Counts"), QStringList{expected.join('|')});
        for (const char *t : {"Trans", "Files", "FilesLink"})
            QCOMPARE(rows(t), QStringList{});
    }
    QCOMPARE(rowsOf(3), 8); // the saved count is untouched
}

void TestWorkingCopy::loadCopiesOneCountInFourSteps()
{
    addCount(7, "Seven");
    addItems(7, 1);
    addCount(8, "Eight", "E");
    addItems(8, 1); // same tags in another count
    addTrans(8, 3);
    QStringList statuses;
    m_wc->LoadWorkingCopy(7, [&](const QString &text) { statuses << text; });
    QCOMPARE(statuses, (QStringList{"Creating Temp Tables (Links)...", "Creating Temp Tables (Files)...",
                                    "Creating Temp Tables (Trans)...", "Creating Temp Tables (Count)..."}));
    const QList<std::pair<QString, QString>> pairs = {
        {"Counts", "CCounts"}, {"Trans", "CTrans"}, {"Files", "CFiles"}, {"FilesLink", "CFilesLink"}};
    for (int id : {7, 8}) {
        m_wc->LoadWorkingCopy(id);
        for (const auto &[working, saved] : pairs)
            QCOMPARE(rows(working), rows(saved, QStringLiteral("WHERE %1 = %2").arg(saved == "CCounts" ? "Id" : "Count_Id").arg(id)));
    }
    QCOMPARE(rows("Trans").size(), 3);
    // An unsaved new count in the working tables is never loaded over.
    m_state->newCount = true;
    statuses.clear();
    m_wc->LoadWorkingCopy(7, [&](const QString &text) { statuses << text; });
    QCOMPARE(statuses, QStringList{});
    QCOMPARE(rows("Trans").size(), 3);
    m_state->newCount = false;
    // A count without links still leaves a FilesLink table with its columns.
    addCount(9, "Nine");
    m_wc->LoadWorkingCopy(9);
    QCOMPARE(m_db->scalar("SELECT COUNT(*) FROM FilesLink").toInt(), 0);
    QCOMPARE(TableColumns(*m_db, "FilesLink"),
             (QStringList{"Count_Id", "File_Tag", "Trans_Tag", "Input_Output_Flag", "Update_Flag"}));
    // Links stored out of tag order, with another count's links among them
    // and on either side: exactly the count's own come back, in stored order.
    addCount(10, "Ten");
    addCount(11, "Eleven");
    addLink(11, 1, 1);
    addLink(10, 2, 5, "O");
    addLink(11, 2, 2);
    addLink(10, 1, 9);
    addLink(10, 3, 1, "O");
    addLink(11, 3, 3);
    const QStringList own = rows("CFilesLink", "WHERE +Count_Id = 10 ORDER BY rowid");
    QCOMPARE(own.size(), 3);
    m_wc->LoadWorkingCopy(10);
    QCOMPARE(rows("FilesLink"), own);
}

void TestWorkingCopy::saveRenumbersAndRepointsDerived()
{
    addCount(3, "Three");
    addCount(7, "Seven");
    addItems(7, 1);
    addCount(8, "Eight", "E", 7);
    addCount(12, "Twelve", "E", 7);
    addCount(9, "Nine", "E", 3);
    open(7);
    m_db->exec("UPDATE Trans SET Description = 'Renamed' WHERE Tag = 1");
    m_state->changeCount = 4;
    const QStringList savedItems = rows("CTrans", "WHERE Count_Id = 7");

    QVERIFY(m_wc->SaveWorkingCopy());
    QCOMPARE(rowsOf(7), 0);
    QCOMPARE(rowsOf(13), 8);
    QCOMPARE(m_db->scalar("SELECT Ext_Id FROM CCounts WHERE Id = 13").toInt(), 7);
    QCOMPARE(m_db->scalar("SELECT Created_Date || ' ' || LastUpd_Date || ' ' || LastUpd_Time FROM CCounts "
                          "WHERE Id = 13").toString(),
             QString("2020-01-01 2024-05-06 07:08:09"));
    QCOMPARE(rows("CCounts", "WHERE Copy_Count_Id = 13").size(), 2);
    QCOMPARE(m_db->scalar("SELECT Copy_Count_Id FROM CCounts WHERE Id = 9").toInt(), 3);
    QCOMPARE(m_db->scalar("SELECT Description FROM CTrans WHERE Count_Id = 13 AND Tag = 1").toString(),
             QString("Renamed"));
    QCOMPARE(rows("CTrans", "WHERE Count_Id = 13 AND Tag = 2").first(),
             QString(savedItems.last()).replace("Count_Id=7", "Count_Id=13"));
    QCOMPARE(rows("Trans", "WHERE Count_Id <> 13"), QStringList{});
    QCOMPARE(m_state->currentCountId, 13);
    QCOMPARE(m_state->changeCount, 0);
    QVERIFY(!m_state->newCount);
    QCOMPARE(m_ui->log, (QStringList{"post", "dock", "busy+", "refreshCursors", "status:Saving Count...",
                                     "status:Saving Links...", "status:Saving Files...", "status:Saving Trans...",
                                     "status:Replacing...", "title", "status:", "summary", "reopen", "summary",
                                     "busy-"}));
}

void TestWorkingCopy::saveNewCountNeverReplaces()
{
    addCount(4, "Four");
    addItems(4, 1);
    // Leftovers of an interrupted save under the number the new count gets.
    addTrans(5, 9);
    addLink(5, 9, 9);
    const QStringList four = rows("CTrans", "WHERE Count_Id = 4");
    const int id = m_wc->NextCountId();
    m_wc->CreateWorkingCount(id, "B");
    m_state->currentCountId = id;
    m_state->newCount = true;
    m_state->changeCount = 1;
    m_db->exec("UPDATE Counts SET Description = 'Fresh'");
    m_db->exec("INSERT INTO Trans (Count_Id, Tag, Description) VALUES (?, 10, 'New one')", {id});

    QVERIFY2(m_wc->SaveWorkingCopy(), qPrintable(m_ui->dialogs.texts().join(';')));
    QCOMPARE(m_state->currentCountId, 5);
    QVERIFY(!m_ui->log.contains("status:Replacing..."));
    QCOMPARE(rows("CTrans", "WHERE Count_Id = 5").size(), 1);
    QCOMPARE(rows("CFilesLink", "WHERE Count_Id = 5"), QStringList{});
    QCOMPARE(rows("CTrans", "WHERE Count_Id = 4"), four);
    QCOMPARE(rowsOf(4), 8);
    QVERIFY(!m_state->newCount);
}

void TestWorkingCopy::duplicateNameIsRefused_data()
{
    QTest::addColumn<bool>("newCount");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("saved");
    QTest::newRow("another count's name") << false << "Other" << false;
    QTest::newRow("own unchanged name") << false << "Mine" << true;
    QTest::newRow("name differs in case only") << false << "other" << true;
    QTest::newRow("new count with a saved name") << true << "Mine" << false;
}

void TestWorkingCopy::duplicateNameIsRefused()
{
    QFETCH(bool, newCount);
    QFETCH(QString, name);
    QFETCH(bool, saved);
    addCount(2, "Other");
    addCount(5, "Mine");
    addItems(5, 1);
    open(5);
    if (newCount) {
        m_wc->CreateWorkingCount(6, "E");
        m_state->currentCountId = 6;
        m_state->newCount = true;
    }
    m_db->exec("UPDATE Counts SET Description = ?", {name});
    m_state->changeCount = 3;
    const auto before = dump();
    QCOMPARE(m_wc->SaveWorkingCopy(), saved);
    if (saved)
        return;
    QCOMPARE(m_ui->dialogs.texts(),
             QStringList{"error: A count with this name already exists\nPlease enter a different name and try again "});
    QCOMPARE(m_ui->log, (QStringList{"post", "dock", "showName", "message"}));
    QCOMPARE(dump(), before);
    QCOMPARE(m_state->changeCount, 3);
    QCOMPARE(m_state->currentCountId, newCount ? 6 : 5);
}

void TestWorkingCopy::saveAsEnhancementFromBase()
{
    addCount(4, "Base", "B", 0, 1.0);
    addItems(4, 1);
    addCount(2, "Elsewhere");
    open(4);
    Characteristics threes;
    threes.fill(3);
    m_state->currentVaf = ValueAdjustmentFactor(threes);
    const QStringList base = rows("CCounts", "WHERE Id = 4") + rows("CTrans", "WHERE Count_Id = 4")
                             + rows("CFiles", "WHERE Count_Id = 4") + rows("CFilesLink", "WHERE Count_Id = 4");
    m_ui->names << QString("Project");
    m_ui->dialogs.queueAnswer(MessageAnswer::Yes);

    QVERIFY(m_wc->SaveWorkingCopyAs("E"));
    QCOMPARE(m_ui->dialogs.texts(),
             QStringList{"confirmation: This will create a new Enhancement Count based on this Baseline Count.\n"
                         "All transactions and files will be copied as \"None\". Continue ?"});
    QCOMPARE(m_db->scalar("SELECT Type || '|' || Copy_Count_Id || '|' || Ext_Id || '|' || Description || '|' || "
                          "Created_Date || ' ' || Created_Time || '|' || LastUpd_Date FROM CCounts WHERE Id = 5")
                 .toString(),
             QString("E|4|5|Project|2024-05-06 07:08:09|2024-05-06"));
    QCOMPARE(m_db->scalar("SELECT Old_VAF FROM CCounts WHERE Id = 5").toDouble(), 1.07);
    QCOMPARE(m_db->scalar("SELECT group_concat(DISTINCT Change_Type) FROM (SELECT Change_Type FROM CTrans "
                          "WHERE Count_Id = 5 UNION ALL SELECT Change_Type FROM CFiles WHERE Count_Id = 5)")
                 .toString(),
             QString("N"));
    QCOMPARE(rowsOf(5), 8);
    QCOMPARE(rows("CCounts", "WHERE Id = 4") + rows("CTrans", "WHERE Count_Id = 4")
                 + rows("CFiles", "WHERE Count_Id = 4") + rows("CFilesLink", "WHERE Count_Id = 4"),
             base);
    QCOMPARE(m_state->currentCountId, 5);
    QCOMPARE(m_ui->log.mid(m_ui->log.indexOf("rebuild")),
             (QStringList{"rebuild", "title", "status:", "summary", "reopen", "summary", "busy-"}));
    QVERIFY(m_ui->log.indexOf("askName") < m_ui->log.indexOf("message"));
    QVERIFY(m_ui->log.indexOf("message") < m_ui->log.indexOf("busy+"));
}

void TestWorkingCopy::saveAsBaseFromEnhancement()
{
    addCount(6, "Project", "E", 0, 1.0);
    addFile(6, 1, "A");
    addFile(6, 2, "D");
    addFile(6, 3, "D");
    addFile(6, 4, "M");
    addTrans(6, 1, "N");
    addTrans(6, 2, "D");
    addTrans(6, 3, "M", "O");
    addLink(6, 1, 1);
    addLink(6, 2, 1);
    addLink(6, 4, 2);
    addLink(6, 3, 3, "O");
    addLink(6, 4, 3, "O");
    open(6);
    m_state->currentVaf = 0.48 + 0.65; // characteristics summing to 48
    m_ui->names << QString("Next release");
    m_ui->dialogs.queueAnswer(MessageAnswer::Yes);

    QVERIFY(m_wc->SaveWorkingCopyAs("B"));
    QCOMPARE(m_ui->dialogs.texts(),
             QStringList{"confirmation: This will create a new Baseline Count based on this Enhancement Count.\n"
                         "Transactions and Files marked as Deleted will not be copied\n"
                         "All other Transactions and Files will be copied"});
    QCOMPARE(m_db->scalar("SELECT Type || '|' || Copy_Count_Id || '|' || Old_VAF FROM CCounts WHERE Id = 7")
                 .toString(),
             QString("B|6|1.13"));
    QCOMPARE(m_db->scalar("SELECT group_concat(Tag || Change_Type) FROM (SELECT Tag, Change_Type FROM CFiles "
                          "WHERE Count_Id = 7 ORDER BY Tag)").toString(),
             QString("1A,4A"));
    QCOMPARE(m_db->scalar("SELECT group_concat(Tag || Change_Type) FROM (SELECT Tag, Change_Type FROM CTrans "
                          "WHERE Count_Id = 7 ORDER BY Tag)").toString(),
             QString("1A,3A"));
    QCOMPARE(m_db->scalar("SELECT group_concat(Trans_Tag || '-' || File_Tag) FROM (SELECT * FROM CFilesLink "
                          "WHERE Count_Id = 7 ORDER BY Trans_Tag, File_Tag)").toString(),
             QString("1-1,3-4"));
    QCOMPARE(rowsOf(6), 13);
}

void TestWorkingCopy::saveAsExactCopy_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("newCount");
    QTest::addColumn<double>("oldVaf");
    QTest::addColumn<QString>("expected"); // Type|Copy_Count_Id|Old_VAF|change types
    QTest::newRow("base") << "B" << false << 1.0749 << "B|3|1.07|A,D";
    QTest::newRow("enhancement") << "E" << false << 0.996 << "E|3|1.0|A,D";
    QTest::newRow("never saved count") << "E" << true << 1.1 << "E|0|1.1|A,D";
}

void TestWorkingCopy::saveAsExactCopy()
{
    QFETCH(QString, type);
    QFETCH(bool, newCount);
    QFETCH(double, oldVaf);
    QFETCH(QString, expected);
    addCount(3, "Source", type, 0, oldVaf);
    addTrans(3, 1, "A");
    addTrans(3, 2, "D");
    open(3);
    m_state->newCount = newCount;
    m_state->currentVaf = 1.35;
    m_ui->names << QString("Copy");
    m_ui->dialogs.queueAnswer(MessageAnswer::Yes);
    QVERIFY(m_wc->SaveWorkingCopyAs(type));
    QCOMPARE(m_ui->dialogs.texts(),
             QStringList{"confirmation: This will create an exact copy based on this Count.\n"
                         "All Transactions and Files will be copied"});
    QCOMPARE(m_db->scalar("SELECT c.Type || '|' || c.Copy_Count_Id || '|' || c.Old_VAF || '|' || "
                          "(SELECT group_concat(Change_Type) FROM (SELECT Change_Type FROM CTrans "
                          "WHERE Count_Id = 4 ORDER BY Tag)) FROM CCounts c WHERE Id = 4")
                 .toString(),
             expected);
}

void TestWorkingCopy::savedRowCarriesItsTotal_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("operation"); // "save" or the type saved as
    QTest::addColumn<int>("total");
    // Characteristics of 42 give 1.07; the count was made at 0.95. After the
    // edit: added and modified 6 + 4 + 7, deleted 4 + 7; the group's 4 never
    // counts. The catalogue row said 50 before.
    QTest::newRow("save: 17 x 1.07 + 11 x 0.95") << "E" << "save" << 28;
    QTest::newRow("exact copy keeps the old factor") << "E" << "E" << 28;
    QTest::newRow("base from enhancement: deleted items dropped") << "E" << "B" << 18;
    QTest::newRow("enhancement from base: nothing changed yet") << "B" << "E" << 0;
}

void TestWorkingCopy::savedRowCarriesItsTotal()
{
    QFETCH(QString, type);
    QFETCH(QString, operation);
    QFETCH(int, total);
    addCount(3, "Source", type, 0, 0.95);
    addTrans(3, 1, "A");
    addTrans(3, 2, "D");
    addTrans(3, 3, "M", "O");
    addTrans(3, 4, "A", "G");
    addFile(3, 1, "A");
    addFile(3, 2, "D");
    open(3);
    m_db->exec("UPDATE Trans SET FP_Val = 6.0 WHERE Tag = 1");
    m_state->changeCount = 1;
    m_state->currentVaf = 1.07;
    if (operation == "save") {
        QVERIFY(m_wc->SaveWorkingCopy());
    } else {
        m_ui->names << QString("Copy");
        m_ui->dialogs.queueAnswer(MessageAnswer::Yes);
        QVERIFY(m_wc->SaveWorkingCopyAs(operation));
    }
    // Written by the save itself, so no later step can leave it behind.
    QCOMPARE(m_db->scalar("SELECT FP_Val FROM CCounts WHERE Id = 4").toInt(), total);
    QStringList totalProblems;
    for (const CheckProblem &p : CheckDatabase(*m_db).problems)
        if (p.countId == 4 && p.text.contains("catalogue"))
            totalProblems << p.text;
    QCOMPARE(totalProblems, QStringList());
}

void TestWorkingCopy::abandonedSaveChangesNothing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("reportBusy");
    QTest::addColumn<QList<MessageAnswer>>("answers");
    QTest::addColumn<bool>("nameGiven");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("save: report keeps running") << "save" << true << QList<MessageAnswer>{MessageAnswer::No} << false
                                                << QStringList{"message"};
    QTest::newRow("save as: report keeps running") << "B" << true << QList<MessageAnswer>{MessageAnswer::No}
                                                   << false << QStringList{"message"};
    QTest::newRow("save as: name cancelled") << "E" << false << QList<MessageAnswer>{} << false
                                             << QStringList{"post", "dock", "askName"};
    QTest::newRow("save as: not confirmed") << "E" << true
                                            << QList<MessageAnswer>{MessageAnswer::Yes, MessageAnswer::No} << true
                                            << QStringList{"message", "cancelReport", "post", "dock", "askName",
                                                           "message"};
}

void TestWorkingCopy::abandonedSaveChangesNothing()
{
    QFETCH(QString, operation);
    QFETCH(bool, reportBusy);
    QFETCH(QList<MessageAnswer>, answers);
    QFETCH(bool, nameGiven);
    QFETCH(QStringList, log);
    addCount(3, "Source");
    addItems(3, 1);
    open(3);
    m_state->changeCount = 2;
    m_state->reportBusy = reportBusy;
    for (MessageAnswer a : answers)
        m_ui->dialogs.queueAnswer(a);
    if (nameGiven)
        m_ui->names << QString("Derived");
    const auto before = dump();
    QVERIFY(!(operation == "save" ? m_wc->SaveWorkingCopy() : m_wc->SaveWorkingCopyAs(operation)));
    QCOMPARE(m_ui->log, log);
    QCOMPARE(dump(), before);
    QCOMPARE(m_state->changeCount, 2);
    QCOMPARE(m_state->currentCountId, 3);
    if (reportBusy)
        QVERIFY(m_ui->dialogs.texts().first().startsWith(
            "confirmation: Cannot Save while preparing a report\n\nDo you want to stop the report ?\n\n"
            "Press \"Yes\" to stop the report and save\n\nPress \"No\" to let the report complete"));
}

void TestWorkingCopy::failedSaveLeavesDatabaseAsBefore_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("failingTable");
    for (const QString op : {"save", "E"}) {
        for (const QString table : {"CCounts", "CFilesLink", "CFiles", "CTrans"})
            QTest::addRow("%s, %s", qPrintable(op), qPrintable(table)) << op << table;
    }
}

void TestWorkingCopy::failedSaveLeavesDatabaseAsBefore()
{
    QFETCH(QString, operation);
    QFETCH(QString, failingTable);
    addCount(3, "Source");
    addItems(3, 1);
    addCount(4, "Derived", "E", 3);
    open(3);
    m_state->changeCount = 2;
    m_db->exec(QStringLiteral("CREATE TRIGGER fail BEFORE INSERT ON %1 BEGIN SELECT RAISE(ABORT, 'disk full'); END")
                   .arg(failingTable));
    m_ui->names << QString("Derived copy");
    m_ui->dialogs.queueAnswer(MessageAnswer::Yes);
    const auto before = dump();
    QVERIFY(!(operation == "save" ? m_wc->SaveWorkingCopy() : m_wc->SaveWorkingCopyAs(operation)));
    QCOMPARE(dump(), before);
    QCOMPARE(m_state->changeCount, 2);
    QCOMPARE(m_state->currentCountId, 3);
    const auto &last = m_ui->dialogs.prompts().last();
    QCOMPARE(last.kind, QString("error"));
    QVERIFY2(last.text.contains("disk full"), qPrintable(last.text));
    QCOMPARE(m_ui->log.mid(m_ui->log.size() - 4), (QStringList{"refreshCursors", "status:", "message", "busy-"}));
}

void TestWorkingCopy::failedReplaceLeavesDatabaseAsBefore()
{
    addCount(3, "Source");
    addItems(3, 1);
    open(3);
    m_db->exec("CREATE TRIGGER fail BEFORE DELETE ON CTrans WHEN OLD.Count_Id = 3 "
               "BEGIN SELECT RAISE(ABORT, 'locked'); END");
    const auto before = dump();
    QVERIFY_THROWS_EXCEPTION(StoreError, m_wc->SaveWorkingCopy());
    QCOMPARE(dump(), before);
    QCOMPARE(m_ui->log.count("busy+"), 1);
    QCOMPARE(m_ui->log.last(), QString("busy-"));
}

void TestWorkingCopy::finishClosesCursorsBeforeReopening()
{
    addCount(3, "Source");
    addItems(3, 1);
    open(3);
    TableCursor catalogue(*m_db);
    catalogue.setTable("CCounts");
    catalogue.open();
    TableCursor trans(*m_db);
    trans.setTable("Trans");
    trans.open(TableCursor::Exclusive);
    bool closedAtReopen = false;
    m_ui->onReopen = [&] { closedAtReopen = !catalogue.isOpen() && !trans.isOpen(); };
    QVERIFY(m_wc->SaveWorkingCopy());
    QVERIFY(closedAtReopen);
}

void TestWorkingCopy::deleteCountMakesDerivedRoots()
{
    addCount(2, "Root");
    addItems(2, 1);
    addCount(3, "Child", "E", 2);
    addItems(3, 1);
    addCount(4, "Other child", "E", 2);
    addCount(5, "Grandchild", "E", 3);
    const QStringList three = rows("CTrans", "WHERE Count_Id = 3") + rows("CFilesLink", "WHERE Count_Id = 3");
    m_wc->DeleteCount(2);
    QCOMPARE(rowsOf(2), 0);
    QCOMPARE(m_db->scalar("SELECT group_concat(Id || ':' || Copy_Count_Id) FROM (SELECT * FROM CCounts ORDER BY Id)")
                 .toString(),
             QString("3:0,4:0,5:3"));
    QCOMPARE(rows("CTrans", "WHERE Count_Id = 3") + rows("CFilesLink", "WHERE Count_Id = 3"), three);
}

void TestWorkingCopy::storeCountTotal_data()
{
    QTest::addColumn<bool>("filterActive");
    QTest::addColumn<bool>("discarded");
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("totals"); // FP_Val of counts 4 and 5
    QTest::addColumn<QStringList>("log");
    QTest::newRow("saved count") << false << false << 4 << "123,50" << QStringList{"total"};
    QTest::newRow("filter switched off first") << true << false << 4 << "123,50"
                                               << QStringList{"filterOff", "summary", "total"};
    QTest::newRow("changes discarded") << false << true << 4 << "50,50" << QStringList{};
    QTest::newRow("never saved") << false << false << 6 << "50,50" << QStringList{"total"};
}

void TestWorkingCopy::storeCountTotal()
{
    QFETCH(bool, filterActive);
    QFETCH(bool, discarded);
    QFETCH(int, current);
    QFETCH(QString, totals);
    QFETCH(QStringList, log);
    addCount(4, "Four");
    addCount(5, "Five");
    m_state->currentCountId = current;
    m_state->filterActive = filterActive;
    m_ui->total = 123;
    m_wc->StoreCountTotal(discarded);
    QCOMPARE(m_ui->log, log);
    QVERIFY(!m_state->filterActive);
    QCOMPARE(m_db->scalar("SELECT group_concat(FP_Val) FROM (SELECT FP_Val FROM CCounts ORDER BY Id)").toString(),
             totals);
}

QTEST_GUILESS_MAIN(TestWorkingCopy)
#include "test_workingcopy.moc"
