// Kills processes that write the database at random moments: after every
// kill the file opens, passes SQLite's integrity check, shows no problem
// the database did not have, and holds every count either wholly as before
// the operation or wholly as after it. QM_KILLS sets the number of kills
// (40 by default). A long run by hand outlasts QtTest's five minutes for
// one test function on a busy machine: raise QTEST_FUNCTION_TIMEOUT (ms).

#include "datagen.h"

#include "backup/backupfile.h"
#include "backup/databasebackup.h"
#include "interchange/exporter.h"
#include "store/appstate.h"
#include "store/countcheck.h"
#include "store/database.h"
#include "store/programlock.h"
#include "store/databasecheck.h"
#include "store/schema.h"
#include "store/workingcopy.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

using namespace qm;

namespace {

QString BinPath(const QString &name)
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
}

// Each count as a line: its row without the times, its item counts and
// sums. Ordered by Id.
QStringList Snapshot(const QString &folder)
{
    Database db(QStringLiteral("snapshot"));
    db.open(folder);
    QStringList counts;
    QSqlQuery q = db.exec(QStringLiteral(
        "SELECT c.Id, c.Ext_Id, c.Description, c.Type, c.FP_Val, c.Copy_Count_Id, c.Old_VAF, "
        "(SELECT COUNT(*) || '/' || TOTAL(FP_Val) || '/' || TOTAL(Input_File_Count) FROM CTrans t WHERE t.Count_Id = c.Id), "
        "(SELECT COUNT(*) || '/' || TOTAL(FP_Val) FROM CFiles f WHERE f.Count_Id = c.Id), "
        "(SELECT COUNT(*) FROM CFilesLink l WHERE l.Count_Id = c.Id) FROM CCounts c ORDER BY c.Id"));
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < 10; ++i)
            cells << q.value(i).toString();
        counts << cells.join(QLatin1Char('|'));
    }
    return counts;
}

QStringList Problems(const QString &folder, bool *integrityOk)
{
    Database db(QStringLiteral("problems"));
    db.open(folder);
    const CheckResult r = CheckDatabase(db);
    *integrityOk = r.integrityOk;
    QStringList out;
    for (const CheckProblem &p : r.problems)
        out << QString::number(p.countId) + QLatin1Char(' ') + p.text;
    return out;
}

void CopyDatabase(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QFile::remove(QDir(to).filePath(kDatabaseFileName));
    QFile::remove(QDir(to).filePath(kDatabaseFileName + QStringLiteral("-journal")));
    QVERIFY(QFile::copy(QDir(from).filePath(kDatabaseFileName), QDir(to).filePath(kDatabaseFileName)));
}

struct Operation
{
    Operation(const QString &n, const QString &p, const QStringList &a) : name(n), program(p), args(a) {}
    QString name;
    QString program;
    QStringList args; // "%DIR%" stands for the database folder
    QStringList before, after;
    QStringList problemsBefore, problemsAfter;
    double ms = 0;
};

QStringList Expand(const QStringList &args, const QString &folder)
{
    QStringList out;
    for (const QString &a : args)
        out << QString(a).replace(QStringLiteral("%DIR%"), folder);
    return out;
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void killedWritersLeaveWholeCounts();

private:
    QTemporaryDir m_work;
    QString m_pristine;
    std::vector<Operation> m_ops;
};

void TestCrashSafety::initTestCase()
{
    // A key of our own, inherited by the writers: the restore's check for a
    // running program then never meets the user's program, and the lock
    // files that kills leave behind are not in its way either.
    qputenv(kProgramKeyVariable, QStringLiteral("QuillmarkCrashTest%1").arg(QCoreApplication::applicationPid()).toLatin1());
    m_pristine = m_work.filePath(QStringLiteral("pristine"));
    QDir().mkpath(m_pristine);
    CreateEmptyDatabaseFile(QDir(m_pristine).filePath(kDatabaseFileName));
    int large = 0;
    QString importText = m_work.filePath(QStringLiteral("import.txt"));
    QString archive = m_work.filePath(QStringLiteral("smaller.bck"));
    {
        Database db(QStringLiteral("fill"));
        db.open(m_pristine);
        bench::DatabaseShape shape;
        shape.otherCounts = 30;
        shape.other = {40, 5, 2, 10, 60, QStringLiteral("B")};
        shape.large = {4000, 200, 4, 800, 8000, QStringLiteral("B")};
        large = bench::FillDatabase(db, shape);
        AppState state;
        state.currentCountId = large;
        WorkingCopy(db, state).LoadWorkingCopy(large);
        QStringList lines = CollectExportLines(db, ExportOptions{});
        lines[0].replace(QStringLiteral("\"COUNT\",\""), QStringLiteral("\"COUNT\",\"Imported "));
        WriteInterchangeFile(importText, lines);
    }
    // The archive holds the database without its first count.
    const QString smaller = m_work.filePath(QStringLiteral("smaller"));
    CopyDatabase(m_pristine, smaller);
    {
        Database db(QStringLiteral("smaller"));
        db.open(smaller);
        const int first = db.scalar("SELECT MIN(Id) FROM CCounts").toInt();
        WorkingCopy(db, *std::make_unique<AppState>()).DeleteCount(first);
    }
    TBackupFile component;
    ConfigureDatabaseBackup(component, IsQuillmarkDatabaseFile);
    component.setBackupTitle(QStringLiteral("crash test"));
    QVERIFY(component.Backup({QDir(smaller).filePath(kDatabaseFileName)}, archive));

    const QString child = BinPath(QStringLiteral("crash_child"));
    const QString cli = BinPath(QStringLiteral("quillmark-cli"));
    const QString id = QString::number(large);
    m_ops = {
        {"save", child, {"%DIR%", "save", id}},
        {"save as", child, {"%DIR%", "saveas", id}},
        {"delete", child, {"%DIR%", "delete", id}},
        {"compact", child, {"%DIR%", "compact", id}},
        {"import", cli, {"--db", "%DIR%", "import", importText}},
        {"restore", cli, {"--db", "%DIR%", "restore", archive}},
    };
    bool ok = false;
    const QStringList pristineProblems = Problems(m_pristine, &ok);
    QVERIFY(ok);
    QCOMPARE(pristineProblems, QStringList());
    for (Operation &op : m_ops) {
        const QString ref = m_work.filePath(QStringLiteral("ref-") + QString(op.name).replace(' ', '-'));
        CopyDatabase(m_pristine, ref);
        op.before = Snapshot(ref);
        op.problemsBefore = pristineProblems;
        QProcess p;
        QElapsedTimer clock;
        clock.start();
        p.start(op.program, Expand(op.args, ref));
        QVERIFY(p.waitForFinished(120000));
        op.ms = double(clock.elapsed());
        QVERIFY2(p.exitCode() == 0, qPrintable(op.name + QLatin1Char(' ') + p.readAllStandardError()));
        op.after = Snapshot(ref);
        op.problemsAfter = Problems(ref, &ok);
        QVERIFY(ok);
        // A finished operation leaves no problem behind, the stored totals
        // included.
        QCOMPARE(op.problemsAfter, QStringList());
        // Compaction changes where rows lie, not what they say.
        QVERIFY2(op.name == QLatin1String("compact") || op.after != op.before, qPrintable(op.name));
    }
}

void TestCrashSafety::killedWritersLeaveWholeCounts()
{
    const int kills = qEnvironmentVariableIsSet("QM_KILLS") ? qEnvironmentVariableIntValue("QM_KILLS") : 40;
    QRandomGenerator rng(QRandomGenerator::global()->generate());
    const QString dir = m_work.filePath(QStringLiteral("victim"));
    std::map<QString, int> endings; // how each kill found the database
    for (int k = 0; k < kills; ++k) {
        const Operation &op = m_ops[size_t(k) % m_ops.size()];
        CopyDatabase(m_pristine, dir);
        QProcess p;
        p.start(op.program, Expand(op.args, dir));
        QVERIFY(p.waitForStarted());
        // Anywhere from before the first write to just after the last.
        QTest::qSleep(int(rng.bounded(op.ms * 1.1 + 1)));
        p.kill();
        p.waitForFinished();

        bool ok = false;
        const QStringList problems = Problems(dir, &ok);
        QVERIFY2(ok, qPrintable(QStringLiteral("%1, kill %2: integrity check failed").arg(op.name).arg(k)));
        const QStringList now = Snapshot(dir);
        const bool before = now == op.before;
        const bool after = now == op.after;
        QVERIFY2(before || after, qPrintable(QStringLiteral("%1, kill %2: counts neither as before nor as after")
                                                 .arg(op.name)
                                                 .arg(k)));
        QCOMPARE(problems, before ? op.problemsBefore : op.problemsAfter);
        ++endings[op.name + (before ? QStringLiteral(" before") : QStringLiteral(" after"))];
    }
    QString summary;
    for (const auto &[name, n] : endings)
        summary += QStringLiteral("%1: %2  ").arg(name).arg(n);
    qInfo("%d kills survived. %s", kills, qPrintable(summary));
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "test_crashsafety.moc"
