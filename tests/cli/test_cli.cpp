// The command-line tool through its real executable, beside the editor on
// the same database: the figures it prints are the editor's, and it never
// touches the editor's working tables.

#include "editingdriver.h"
#include "editorfixture.h"
#include "payrollcount.h"
#include "countfixture.h"

#include "analysis/countfigures.h"
#include "analysis/counttree.h"
#include "analysis/countsummary.h"
#include "analysis/summarylistview.h"
#include "counting/codes.h"
#include "editor/countpage.h"
#include "editor/filespage.h"
#include "editor/mainform.h"
#include "editor/transpage.h"
#include "interchange/exporter.h"
#include "interchange/importcheck.h"
#include "interchange/values.h"
#include "store/appstate.h"
#include "store/database.h"
#include "store/programlock.h"
#include "store/schema.h"
#include "store/workingcopy.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;
using namespace qm::test;

namespace {

struct Result
{
    int code = -1;
    QByteArray out;
    QString err;
};

QString CliPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/quillmark-cli");
}

// The tool sorts names in its locale's order, as the program does: it runs
// in the locale this test sets for the editor.
QProcessEnvironment CliEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_GB.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("en_GB.UTF-8"));
    return env;
}

Result Cli(const QStringList &args, const QProcessEnvironment &env = CliEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(CliPath(), args);
    Result r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Every row of the four working tables, in a fixed order.
QStringList WorkingRows(Database &db)
{
    QStringList rows;
    for (const QString &table : {QStringLiteral("Counts"), QStringLiteral("Trans"), QStringLiteral("Files"),
                                 QStringLiteral("FilesLink")}) {
        QSqlQuery q = db.exec(QStringLiteral("SELECT * FROM main.%1 ORDER BY rowid").arg(table));
        while (q.next()) {
            QStringList cells{table};
            for (int i = 0; i < q.record().count(); ++i)
                cells << q.value(i).toString();
            rows << cells.join(QLatin1Char('|'));
        }
    }
    return rows;
}

// A count with every awkward shape the trees meet: nested groups, items
// and groups owned by missing or non-group rows, equal and case-varied
// names, halves, unchanged and deleted items, both factors different.
void InsertRandomCount(Database &db, int id, quint32 seed)
{
    QRandomGenerator rng(seed);
    InsertCount(db, CountRow(id, QStringLiteral("RAND"), QStringLiteral("Random %1").arg(seed), QStringLiteral("E")));
    QStringList vaf;
    for (int i = 1; i <= CharacteristicCount; ++i)
        vaf << QStringLiteral("VAF_%1 = %2").arg(i).arg(rng.bounded(6));
    db.exec(QStringLiteral("UPDATE CCounts SET Old_VAF = 0.95, %1 WHERE Id = ?").arg(vaf.join(QStringLiteral(", "))),
            {id});
    const QStringList names = {QStringLiteral("Pay"), QStringLiteral("pay"), QStringLiteral("Äpfel"),
                               QStringLiteral("Zebra"), QStringLiteral("alpha"), QStringLiteral("Alpha 2"),
                               QStringLiteral("10 items"), QStringLiteral("9 items")};
    const QStringList changes = {code::ChangeAdded, code::ChangeModified, code::ChangeDeleted, code::ChangeNone};
    const QStringList types = {code::TransInput, code::TransOutput, code::TransInquiry};
    QList<int> groups;
    int tag = 1;
    for (int g = 0; g < 25; ++g, ++tag) {
        const int owner = groups.isEmpty() || rng.bounded(4) == 0 ? 0 : groups[rng.bounded(int(groups.size()))];
        InsertTrans(db, TransRow(id, tag, names[rng.bounded(int(names.size()))], 0.0, code::TransGroup,
                                 changes[rng.bounded(4)], g == 24 ? 9999 : owner));
        groups << tag;
    }
    for (int t = 0; t < 180; ++t, ++tag) {
        int owner = groups[rng.bounded(int(groups.size()))];
        if (t % 37 == 0)
            owner = 0;
        else if (t % 41 == 0)
            owner = 8888; // gone
        else if (t % 43 == 0)
            owner = tag - 1; // an item
        TransRow row(id, tag, names[rng.bounded(int(names.size()))], rng.bounded(15) / 2.0,
                     types[rng.bounded(3)], changes[rng.bounded(4)], owner);
        InsertTrans(db, row);
    }
    for (int f = 0; f < 40; ++f, ++tag)
        InsertFile(db, FileRow(id, tag, names[rng.bounded(int(names.size()))], rng.bounded(21) / 2.0,
                               rng.bounded(2) ? code::FileInternal : code::FileExternal, changes[rng.bounded(4)]));
}

QList<QStringList> ShownRows(const TSummaryListView *list)
{
    QList<QStringList> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->RowTexts(i);
    return rows;
}

QList<QStringList> JsonRows(const QJsonObject &summary)
{
    QList<QStringList> rows;
    for (const QJsonValue &row : summary.value(QStringLiteral("rows")).toArray()) {
        QStringList cells;
        for (const QJsonValue &cell : row.toArray())
            cells << cell.toString();
        rows << cells;
    }
    return rows;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void showEqualsTheEditor_data();
    void showEqualsTheEditor();
    void headlessTreesEqualTheEditorsTrees_data();
    void headlessTreesEqualTheEditorsTrees();
    void exportEqualsTheEditorsFile_data();
    void exportEqualsTheEditorsFile();
    void importAndExportLeaveTheEditorsTablesAlone();
    void importWithErrorsPrintsTheLogAndWritesNothing();
    void importSavesANewCount();
    void listShowsEveryCount();
    void backupThenRestoreIntoGivesTheSameDatabase();
    void restoreOverTheDatabaseIsRefusedWhileTheProgramRuns();
    void checkFindsPlantedFaults_data();
    void checkFindsPlantedFaults();
    void usageAndFailures_data();
    void usageAndFailures();
    void reportWritesAPdf();

private:
    QString folder() const { return m_fx->db().directory(); }
    QStringList withDb(const QStringList &args) const { return QStringList{QStringLiteral("--db"), folder()} + args; }
    // Opens a saved count in the editor and runs drive inside it.
    void InEditor(int id, const std::function<void()> &drive);

    std::unique_ptr<EditorFixture> m_fx;
    QTemporaryDir m_out;
    int m_payrollId = 0;
    qint64 m_payrollExt = 0;
    int m_randomId = 0;
};

void TestCli::initTestCase()
{
    QVERIFY(QFileInfo(CliPath()).isExecutable());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    m_fx = std::make_unique<EditorFixture>();
    m_fx->CreateNew("B");
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        payroll::Record(d);
        d.editor.close();
    });
    QVERIFY(!QTest::currentTestFailed());
    m_payrollId = m_fx->state().currentCountId;
    m_payrollExt = m_fx->Scalar("SELECT Ext_Id FROM CCounts WHERE Id = ?", {m_payrollId}).toLongLong();
    m_randomId = m_payrollId + 100;
    InsertRandomCount(m_fx->db(), m_randomId, 7);
}

void TestCli::init()
{
    m_fx->dialogs = {};
}

void TestCli::InEditor(int id, const std::function<void()> &drive)
{
    m_fx->OpenSaved(id);
    m_fx->Run([&] {
        drive();
        m_fx->editor().close();
    });
}

void TestCli::showEqualsTheEditor_data()
{
    QTest::addColumn<bool>("random");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("level");
    for (bool random : {false, true})
        for (const auto &[mode, level] : {std::pair{0, 1}, {1, 1}, {1, 3}, {2, 1}, {3, 1}})
            QTest::addRow("%s mode %d level %d", random ? "random" : "payroll", mode, level) << random << mode << level;
}

void TestCli::showEqualsTheEditor()
{
    QFETCH(bool, random);
    QFETCH(int, mode);
    QFETCH(int, level);
    const int id = random ? m_randomId : m_payrollId;
    QList<QStringList> shown;
    QStringList totals;
    InEditor(id, [&] {
        TMainForm &editor = m_fx->editor();
        m_fx->state().summaryLevel = level;
        editor.SetSummaryMode(mode);
        editor.RefreshSummary();
        shown = ShownRows(editor.countPage()->summaryList());
        const SummaryDisplays d = editor.countPage()->Displays();
        totals = {d.totalUnadjusted->text(),    d.totalAddedChanged->text(), d.adjustedAddChanged->text(),
                  d.totalDeleted->text(),       d.adjustedDeleted->text(),   d.totalAdjusted->text(),
                  d.vafAfter.first()->text(),   editor.countPage()->oldVafEdit()->text()};
    });
    QVERIFY(!shown.isEmpty());

    const Result r = Cli(withDb({"show", QString::number(id), "--mode", QString::number(mode), "--level",
                                 QString::number(level), "--json"}));
    QCOMPARE(r.code, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    const QJsonObject t = o.value("totals").toObject();
    const QStringList cliTotals = {QString::number(t.value("unadjusted").toInteger()),
                                   QString::number(t.value("addedChanged").toInteger()),
                                   QString::number(t.value("adjustedAddedChanged").toInteger()),
                                   QString::number(t.value("deleted").toInteger()),
                                   QString::number(t.value("adjustedDeleted").toInteger()),
                                   QString::number(t.value("totalAdjusted").toInteger()),
                                   o.value("vafAfter").toString(),
                                   o.value("vafBefore").toString()};
    QCOMPARE(cliTotals, totals);
    QCOMPARE(JsonRows(o.value("summary").toObject()), shown);
    if (!random)
        QCOMPARE(t.value("totalAdjusted").toInt(), kPayrollTotalAdjusted);
    else
        QCOMPARE(o.value("vafBefore").toString(), QStringLiteral("0.95"));
}

void TestCli::headlessTreesEqualTheEditorsTrees_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1u, 2u, 3u, 99u})
        QTest::addRow("seed %u", seed) << seed;
}

void TestCli::headlessTreesEqualTheEditorsTrees()
{
    QFETCH(quint32, seed);
    const int id = m_randomId + int(seed) + 1;
    InsertRandomCount(m_fx->db(), id, seed);
    QList<WalkNode> editorTrans, editorFiles, headlessTrans, headlessFiles;
    InEditor(id, [&] {
        TMainForm &editor = m_fx->editor();
        editorTrans = SummaryWalkNodes(*editor.transPage()->tree(), nullptr);
        editorFiles = SummaryWalkNodes(*editor.filesPage()->tree(), nullptr);
        // The working tables hold the count the editor just loaded.
        headlessTrans = SummaryWalkOf(TransactionTreeNodes(m_fx->db(), id));
        headlessFiles = SummaryWalkOf(FileTreeNodes(m_fx->db(), id));
    });
    QCOMPARE(editorTrans.size(), 205);
    QCOMPARE(headlessTrans, editorTrans);
    QCOMPARE(headlessFiles, editorFiles);
}

void TestCli::exportEqualsTheEditorsFile_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("defaults") << QStringList{} << int(ExportGroup::All) << "," << "\"";
    QTest::newRow("tab, none") << QStringList{"--field-delimiter", "tab", "--text-delimiter", "none"}
                               << int(ExportGroup::All) << "\t" << " ";
    QTest::newRow("links, #, '") << QStringList{"--records", "links", "--field-delimiter", "#", "--text-delimiter", "'"}
                                 << int(ExportGroup::Links) << "#" << "'";
}

void TestCli::exportEqualsTheEditorsFile()
{
    QFETCH(QStringList, options);
    QFETCH(int, group);
    QFETCH(QString, field);
    QFETCH(QString, text);
    const QString editorFile = m_out.filePath(QStringLiteral("editor.txt"));
    InEditor(m_payrollId, [&] {
        ExportOptions o;
        o.group = ExportGroup(group);
        o.fieldDelimiter = field.at(0);
        o.textDelimiter = text.at(0);
        o.countTotal = m_fx->editor().countPage()->Displays().totalAdjusted->text().toLongLong();
        WriteInterchangeFile(editorFile, CollectExportLines(m_fx->db(), o));
    });
    QFile expected(editorFile);
    QVERIFY(expected.open(QIODevice::ReadOnly));
    const QByteArray bytes = expected.readAll();
    QVERIFY(bytes.contains("\r\n"));

    const Result toStdout = Cli(withDb(QStringList{"export", ExtIdText(m_payrollExt)} + options));
    QCOMPARE(toStdout.code, 0);
    QCOMPARE(toStdout.out, bytes);
    const QString cliFile = m_out.filePath(QStringLiteral("cli.txt"));
    const Result toFile = Cli(withDb(QStringList{"export", "Payroll", "-o", cliFile} + options));
    QCOMPARE(toFile.code, 0);
    QFile written(cliFile);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), bytes);
}

void TestCli::importAndExportLeaveTheEditorsTablesAlone()
{
    const QString text = m_out.filePath(QStringLiteral("payroll-copy.txt"));
    QVERIFY(Cli(withDb({"export", "Payroll", "-o", text})).code == 0);
    QFile f(text);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    bytes.replace("\"Payroll\"", "\"Payroll beside the editor\"");
    f.resize(0);
    f.write(bytes);
    f.close();

    m_fx->OpenSaved(m_randomId);
    m_fx->Run([&] {
        const QStringList before = WorkingRows(m_fx->db());
        QVERIFY(before.size() > 200);
        const Result exported = Cli(withDb({"export", "Payroll"}));
        QCOMPARE(exported.code, 0);
        const Result imported = Cli(withDb({"import", text}));
        QCOMPARE(imported.code, 0);
        QCOMPARE(WorkingRows(m_fx->db()), before);
        m_fx->editor().close();
    });
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CCounts WHERE Description = ?", {"Payroll beside the editor"}).toInt(), 1);
}

void TestCli::importWithErrorsPrintsTheLogAndWritesNothing()
{
    const QString path = m_out.filePath(QStringLiteral("broken.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("\"COUNT\",\"Broken\",\"SYS\",\"Base\",3,3,3,3,3,3,3,3,3,3,3,3,3,3,1,\"U\",\"\",0,1,\r\n"
            "\"FILES\",\"A file\",\"Internal Logical\",\"Add\",25,1000,1,\"\",\"Average\",10\r\n"
            "\"TRANS\",\"An input\",\"Input\",\"Add\",3,0,2,0,\"\",\"Low\",3\r\n"
            "bogus line\r\n");
    f.close();
    TImportCheck check;
    check.RunFirstPass(ImportTextLines(DecodeInterchangeText(QByteArray(
        "\"COUNT\",\"Broken\",\"SYS\",\"Base\",3,3,3,3,3,3,3,3,3,3,3,3,3,3,1,\"U\",\"\",0,1,\n"
        "\"FILES\",\"A file\",\"Internal Logical\",\"Add\",25,1000,1,\"\",\"Average\",10\n"
        "\"TRANS\",\"An input\",\"Input\",\"Add\",3,0,2,0,\"\",\"Low\",3\n"
        "bogus line\n"))));
    QCOMPARE(check.runStatus(), Severity::Error);

    QFile db(QDir(folder()).filePath(kDatabaseFileName));
    QVERIFY(db.open(QIODevice::ReadOnly));
    const QByteArray before = db.readAll();
    db.close();
    for (const QStringList &extra : {QStringList{}, QStringList{"--dry-run"}}) {
        const Result r = Cli(withDb(QStringList{"import", path} + extra));
        QCOMPARE(r.code, 2);
        QCOMPARE(QString::fromUtf8(r.out), check.messages().join(QLatin1Char('\n')) + QLatin1Char('\n'));
        QVERIFY(r.err.contains(QStringLiteral("nothing was imported")));
    }
    QVERIFY(db.open(QIODevice::ReadOnly));
    QCOMPARE(db.readAll(), before);
}

void TestCli::importSavesANewCount()
{
    const QString text = m_out.filePath(QStringLiteral("payroll-again.txt"));
    QCOMPARE(Cli(withDb({"export", "Payroll", "-o", text})).code, 0);
    // The same name is refused, as the editor refuses it on saving.
    const int counts = m_fx->Scalar("SELECT COUNT(*) FROM CCounts").toInt();
    const Result refused = Cli(withDb({"import", text}));
    QCOMPARE(refused.code, 2);
    QVERIFY(refused.err.contains(qm::text::DuplicateCountName.trimmed().section(QLatin1Char('\n'), 0, 0)));
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CCounts").toInt(), counts);
    const Result dry = Cli(withDb({"import", text, "--dry-run"}));
    QCOMPARE(dry.code, 0);
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CCounts").toInt(), counts);

    QFile f(text);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll().replace("\"Payroll\"", "\"Payroll imported\"");
    f.resize(0);
    f.write(bytes);
    f.close();
    const Result r = Cli(withDb({"import", text}));
    QCOMPARE(r.code, 0);
    const QString number = QString::fromUtf8(r.out).trimmed().split(QLatin1Char('\n')).last();
    QCOMPARE(m_fx->Scalar("SELECT Description FROM CCounts WHERE Ext_Id = ?", {number.mid(1).toInt()}).toString(),
             QStringLiteral("Payroll imported"));
    // Saved with its total, as the editor saves it.
    QCOMPARE(m_fx->Scalar("SELECT FP_Val FROM CCounts WHERE Ext_Id = ?", {number.mid(1).toInt()}).toInt(),
             kPayrollTotalAdjusted);
    const Result check = Cli(withDb({"check"}));
    QVERIFY2(!check.out.contains(number.toUtf8()), check.out.constData());
}

void TestCli::listShowsEveryCount()
{
    const Result r = Cli(withDb({"list", "--json"}));
    QCOMPARE(r.code, 0);
    const QJsonArray rows = QJsonDocument::fromJson(r.out).array();
    QCOMPARE(rows.size(), m_fx->Scalar("SELECT COUNT(*) FROM CCounts").toInt());
    bool found = false;
    for (const QJsonValue &v : rows) {
        const QJsonObject o = v.toObject();
        if (o.value("number").toString() == ExtIdText(m_payrollExt)) {
            found = true;
            QCOMPARE(o.value("description").toString(), QStringLiteral("Payroll"));
            QCOMPARE(o.value("adjustedFP").toInt(), kPayrollTotalAdjusted);
            QCOMPARE(o.value("type").toString(), QStringLiteral("Base"));
            QVERIFY(o.value("derivedFrom").isNull());
        }
    }
    QVERIFY(found);
    const Result text = Cli(withDb({"list"}));
    QCOMPARE(text.code, 0);
    QVERIFY(text.out.contains(ExtIdText(m_payrollExt).toUtf8() + "  "));
}

void TestCli::backupThenRestoreIntoGivesTheSameDatabase()
{
    const QString archive = m_out.filePath(QStringLiteral("nightly.bck"));
    const Result backup = Cli(withDb({"backup", archive}));
    QCOMPARE(backup.code, 0);
    const QString into = m_out.filePath(QStringLiteral("restored/here"));
    const Result restore = Cli({"restore", archive, "--into", into});
    QCOMPARE(restore.code, 0);
    QFile a(QDir(folder()).filePath(kDatabaseFileName));
    QFile b(QDir(into).filePath(kDatabaseFileName));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());
    // A folder that holds a database already is refused.
    const Result again = Cli({"restore", archive, "--into", into});
    QCOMPARE(again.code, 2);
    QVERIFY(again.err.contains(QStringLiteral("Invalid Directory - Already contains a Quillmark Database")));
    // A volume too small for one block is refused before anything is written.
    const Result tiny = Cli(withDb({"backup", m_out.filePath(QStringLiteral("tiny.bck")), "--max-size", "4096"}));
    QCOMPARE(tiny.code, 1);
    QVERIFY(tiny.err.contains(QStringLiteral("--max-size")));
    QVERIFY(!QFileInfo::exists(m_out.filePath(QStringLiteral("tiny.bck"))));
    // Not an archive.
    const Result invalid = Cli({"restore", QDir(folder()).filePath(kDatabaseFileName), "--into",
                                m_out.filePath(QStringLiteral("never"))});
    QCOMPARE(invalid.code, 2);
    QVERIFY(invalid.err.contains(QStringLiteral("Invalid Backup File - Restore Cancelled")));
}

void TestCli::restoreOverTheDatabaseIsRefusedWhileTheProgramRuns()
{
    const QString archive = m_out.filePath(QStringLiteral("over.bck"));
    QCOMPARE(Cli(withDb({"backup", archive})).code, 0);
    QProcessEnvironment env = CliEnvironment();
    env.insert(QString::fromLatin1(kProgramKeyVariable), QStringLiteral("QuillmarkCliTest"));
    qputenv(kProgramKeyVariable, "QuillmarkCliTest");
    QLockFile running(ProgramLockNamesFor().lockPath);
    QVERIFY(running.tryLock(0));
    const Result refused = Cli(withDb({"restore", archive}), env);
    QCOMPARE(refused.code, 2);
    QVERIFY(refused.err.contains(QStringLiteral("Quillmark is running")));
    running.unlock();
    // Closed, the restore goes over the database: a count deleted since the
    // backup is back.
    m_fx->db().close();
    {
        Database other(QStringLiteral("restore-test"));
        other.open(folder());
        other.exec("DELETE FROM CCounts WHERE Id = ?", {m_payrollId});
    }
    const Result restored = Cli(withDb({"restore", archive}), env);
    QCOMPARE(restored.code, 0);
    m_fx->db().open(folder());
    QCOMPARE(m_fx->Scalar("SELECT Description FROM CCounts WHERE Id = ?", {m_payrollId}).toString(),
             QStringLiteral("Payroll"));
    qunsetenv(kProgramKeyVariable);
}

void TestCli::checkFindsPlantedFaults_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("problem");
    QTest::newRow("link to a missing file")
        << "UPDATE CFilesLink SET File_Tag = 77777 WHERE rowid = (SELECT MIN(rowid) FROM CFilesLink WHERE Count_Id = %1)"
        << "F00077777: the file does not exist";
    QTest::newRow("wrong FTR count")
        << "UPDATE CTrans SET Input_File_Count = Input_File_Count + 1 WHERE Count_Id = %1 AND Type = 'I' "
           "AND Tag = (SELECT MIN(Tag) FROM CTrans WHERE Count_Id = %1 AND Type = 'I')"
        << "input and";
    QTest::newRow("wrong stored value")
        << "UPDATE CFiles SET FP_Val = 99 WHERE Count_Id = %1 AND Tag = (SELECT MIN(Tag) FROM CFiles WHERE Count_Id = %1)"
        << "is stored with 99 function points";
    QTest::newRow("wrong catalogue total") << "UPDATE CCounts SET FP_Val = 12 WHERE Id = %1"
                                           << "the catalogue shows 12 adjusted function points; the items give 74";
}

void TestCli::checkFindsPlantedFaults()
{
    QFETCH(QString, sql);
    QFETCH(QString, problem);
    // A copy of the database holding the payroll count alone.
    QTemporaryDir dir;
    QVERIFY(QFile::copy(QDir(folder()).filePath(kDatabaseFileName), dir.filePath(kDatabaseFileName)));
    {
        Database copy(QStringLiteral("check-copy"));
        copy.open(dir.path());
        for (const char *table : {"CTrans", "CFiles", "CFilesLink"})
            copy.exec(QStringLiteral("DELETE FROM %1 WHERE Count_Id <> ?").arg(table), {m_payrollId});
        copy.exec("DELETE FROM CCounts WHERE Id <> ?", {m_payrollId});
    }
    const Result clean = Cli({"--db", dir.path(), "check"});
    QCOMPARE(clean.code, 0);
    QVERIFY2(clean.out.contains("1 counts checked, 0 problems found."), clean.out.constData());
    {
        Database copy(QStringLiteral("check-plant"));
        copy.open(dir.path());
        copy.exec(sql.arg(m_payrollId));
    }
    const Result r = Cli({"--db", dir.path(), "check", "--json"});
    QCOMPARE(r.code, 2);
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(o.value("integrity").toString(), QStringLiteral("ok"));
    QStringList problems;
    for (const QJsonValue &p : o.value("problems").toArray())
        problems << p.toObject().value("count").toString() + QLatin1Char(' ') + p.toObject().value("problem").toString();
    QVERIFY2(problems.join('\n').contains(problem), qPrintable(problems.join('\n')));
    QVERIFY(problems.first().startsWith(ExtIdText(m_payrollExt)));
}

void TestCli::usageAndFailures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList{} << 1 << "Usage: quillmark-cli";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 1 << "Unknown command \"frobnicate\"";
    QTest::newRow("unknown option") << QStringList{"list", "--colour"} << 1 << "Unknown option --colour";
    QTest::newRow("mode out of range") << QStringList{"show", "Payroll", "--mode", "4"} << 1
                                       << "--mode takes a whole number from 0 to 3, not \"4\"";
    QTest::newRow("level not a number") << QStringList{"show", "Payroll", "--level", "two"} << 1 << "--level";
    QTest::newRow("bad delimiter") << QStringList{"export", "Payroll", "--field-delimiter", ";"} << 1
                                   << "--field-delimiter takes , tab # or @";
    QTest::newRow("unknown count") << QStringList{"show", "Payrol"} << 2 << "Did you mean:";
    QTest::newRow("report without file") << QStringList{"report", "Payroll"} << 1 << "needs -o FILE.pdf";
    QTest::newRow("missing import file") << QStringList{"import", "/nonexistent/x.txt"} << 3 << "Cannot read";
}

void TestCli::usageAndFailures()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    const Result r = Cli(withDb(args));
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));

    const Result noDb = Cli({"--db", m_out.filePath(QStringLiteral("nowhere")), "list"});
    QCOMPARE(noDb.code, 3);
    QVERIFY(noDb.err.contains(QStringLiteral("does not exist")));
}

void TestCli::reportWritesAPdf()
{
    const QString pdf = m_out.filePath(QStringLiteral("payroll.pdf"));
    const Result r = Cli(withDb({"report", "Payroll", "-o", pdf, "--mode", "1", "--level", "2"}));
    QCOMPARE(r.code, 0);
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(5) == "%PDF-");
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed: the PDF's text cannot be read back");
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString body = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY(body.contains(QStringLiteral("Quillmark - ") + ExtIdText(m_payrollExt) + QStringLiteral(":Payroll")));
    QVERIFY(body.contains(QStringLiteral("Employee master")));
    QVERIFY(body.contains(QString::number(kPayrollTotalAdjusted)));
}

QTEST_MAIN(TestCli)
#include "test_cli.moc"
