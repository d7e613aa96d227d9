#include "store/database.h"
#include "store/errorlog.h"
#include "scripteddialogs.h"
#include "testdatabase.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

class TestErrorLog : public QObject
{
    Q_OBJECT

private slots:
    void lineForm_data();
    void lineForm();
    void appendsNeverTruncates();
    void reportLogsShowsClosesAndEnds();
    void reportThatCannotLogKeepsRunning();
};

void TestErrorLog::lineForm_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("logged");
    QTest::newRow("plain") << "Table not found" << "Table not found";
    QTest::newRow("multi-line joined") << "first\nsecond\r\nthird" << "first second third";
}

void TestErrorLog::lineForm()
{
    QFETCH(QString, message);
    QFETCH(QString, logged);
    const QDateTime when(QDate(2026, 3, 4), QTime(13, 5, 9));
    const QString line = FormatErrorLine(when, "TDatabase", message);
    const QLocale locale = QLocale::system();
    const QString stamp = locale.toString(when.date(), QLocale::ShortFormat) + ' '
                          + locale.toString(when.time(), QLocale::LongFormat);
    QCOMPARE(line, stamp + " TDatabase " + logged);
    QVERIFY(!line.contains('\n'));
}

void TestErrorLog::appendsNeverTruncates()
{
    QTemporaryDir dir;
    QVERIFY(AppendErrorLog(dir.path(), "A", "one"));
    QVERIFY(AppendErrorLog(dir.path(), "B", "two"));
    QFile f(dir.filePath("errorlog.txt"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].endsWith(" A one"));
    QVERIFY(lines[1].endsWith(" B two"));
    QVERIFY(!AppendErrorLog(dir.filePath("no/such/folder"), "A", "x"));
    QVERIFY(!AppendErrorLog(QString(), "A", "x"));
}

void TestErrorLog::reportLogsShowsClosesAndEnds()
{
    test::TestDatabaseDir dir;
    Database db(QStringLiteral("report_test"));
    db.open(dir.path());
    int closed = 0;
    db.addCloseHook([&] { ++closed; });
    test::ScriptedDialogs dialogs;
    int exitCode = -1;
    bool restored = false;
    FatalErrorReporter reporter(dialogs, {[&] { return dir.path(); }, [&] { restored = true; },
                                          [&](int code) { exitCode = code; }});
    reporter.setDatabase(&db);

    reporter.ReportFatalError("TDatabase", "no such table: CTrans");

    QVERIFY(restored);
    QCOMPARE(dialogs.texts(), QStringList{"error: TDatabase:no such table: CTrans"});
    QCOMPARE(closed, 1);
    QCOMPARE(exitCode, 1);
    QFile f(dir.filePath("errorlog.txt"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(f.readAll()).endsWith(" TDatabase no such table: CTrans\n"));
}

void TestErrorLog::reportThatCannotLogKeepsRunning()
{
    QTemporaryDir dir;
    test::ScriptedDialogs dialogs;
    int exitCode = -1;
    FatalErrorReporter reporter(dialogs, {[&] { return dir.filePath("missing"); }, {},
                                          [&](int code) { exitCode = code; }});
    reporter.ReportFatalError("TDatabase", "boom");
    QCOMPARE(dialogs.texts(), QStringList{"error: Error in Error Handler (1)"});
    QCOMPARE(exitCode, -1);
}

QTEST_GUILESS_MAIN(TestErrorLog)
#include "test_errorlog.moc"
