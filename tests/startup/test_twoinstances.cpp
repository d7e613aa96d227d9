#include "app/singleinstance.h"
#include "store/schema.h"

#include <QDir>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

// Starts the real program twice against a prepared database.
class TestTwoInstances : public QObject
{
    Q_OBJECT

private slots:
    void secondStartWakesFirstAndLeaves();
};

void TestTwoInstances::secondStartWakesFirstAndLeaves()
{
    QTemporaryDir home;
    const QString dbDir = home.filePath("counts");
    QDir().mkpath(dbDir);
    qm::CreateEmptyDatabaseFile(QDir(dbDir).filePath(qm::kDatabaseFileName));
    const QString config = home.filePath("config");
    {
        QSettings ini(QDir(config).filePath("quillmark.ini"), QSettings::IniFormat);
        ini.setValue("Files/DBDirectory", dbDir);
    }
    const QString key = "QuillmarkTest" + QUuid::createUuid().toString(QUuid::Id128);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", config);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert(qm::SingleInstanceGuard::KeyEnvironmentVariable, key);

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(QM_PROGRAM), {});
    QVERIFY(first.waitForStarted());

    // The first instance is up once its activation channel answers.
    const QString server = qm::SingleInstanceGuard(key).serverName();
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QLocalSocket probe;
            probe.connectToServer(server);
            return probe.waitForConnected(200);
        }(),
        20000);

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(QM_PROGRAM), {});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    if (!first.waitForFinished(10000)) {
        first.kill();
        first.waitForFinished();
    }
    // The first instance was connected and remembered its database.
    QCOMPARE(QSettings(QDir(config).filePath("quillmark.ini"), QSettings::IniFormat).value("Files/DBDirectory").toString(),
             dbDir);
}

QTEST_GUILESS_MAIN(TestTwoInstances)
#include "test_twoinstances.moc"
