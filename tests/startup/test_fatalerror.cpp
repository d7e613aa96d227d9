#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestFatalError : public QObject
{
    Q_OBJECT

private slots:
    void exceptionInHandlerIsLoggedShownAndEnds_data();
    void exceptionInHandlerIsLoggedShownAndEnds();
    void unwritableLogKeepsProgramRunning();
};

void TestFatalError::exceptionInHandlerIsLoggedShownAndEnds_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("component");
    QTest::addColumn<QString>("message");
    QTest::newRow("store error") << "store" << "TDatabase" << "no such table: CTrans";
    QTest::newRow("standard exception") << "std" << "runtime_error" << "disk full";
}

void TestFatalError::exceptionInHandlerIsLoggedShownAndEnds()
{
    QFETCH(QString, kind);
    QFETCH(QString, component);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QFile old(dir.filePath("errorlog.txt"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("earlier line\n");
    old.close();

    QProcess child;
    child.start(QStringLiteral(QM_FATAL_CHILD), {dir.path(), kind});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).trimmed(),
             QStringLiteral("message: %1:%2").arg(component, message));

    QFile log(dir.filePath("errorlog.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(0), QStringLiteral("earlier line"));
    // Date and time (in the system's formats), the component, the message.
    const QRegularExpression form(QStringLiteral("^\\S+ \\S.* %1 %2$")
                                      .arg(QRegularExpression::escape(component), QRegularExpression::escape(message)));
    QVERIFY2(form.match(lines.at(1)).hasMatch(), qPrintable(lines.at(1)));
}

void TestFatalError::unwritableLogKeepsProgramRunning()
{
    QTemporaryDir dir;
    QProcess child;
    child.start(QStringLiteral(QM_FATAL_CHILD), {dir.filePath("missing"), "store"});
    QVERIFY(child.waitForFinished(30000));
    // The handler reports its own failure and the program runs on, until the
    // child's own later timer ends it normally.
    QCOMPARE(child.exitCode(), 3);
    QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).trimmed(),
             QStringLiteral("message: Error in Error Handler (1)"));
}

QTEST_GUILESS_MAIN(TestFatalError)
#include "test_fatalerror.moc"
