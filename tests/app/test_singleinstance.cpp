#include "app/singleinstance.h"
#include "store/programlock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QWidget>
#include <QtTest>

using qm::SingleInstanceGuard;

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    // A key of our own, so no test meets a running program or another test.
    QString freshKey()
    {
        return QStringLiteral("QmTest%1x%2").arg(QCoreApplication::applicationPid()).arg(++m_keys);
    }

    // Runs the helper as a second instance and checks that it reached us.
    void expectSecondInstanceActivates(SingleInstanceGuard &first, const QString &key)
    {
        QSignalSpy activated(&first, &SingleInstanceGuard::activationRequested);
        QProcess second;
        second.start(QStringLiteral(QM_INSTANCE_HELPER), {QStringLiteral("signal"), key});
        QVERIFY2(second.waitForStarted(), qPrintable(second.errorString()));
        // Keep our event loop running: the first instance answers from it.
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 15000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(activated.count(), 1);
    }

    int m_keys = 0;

private slots:
    void secondInstanceActivatesFirst()
    {
        const QString key = freshKey();
        SingleInstanceGuard first(key);
        QVERIFY(first.tryAcquire());
        QVERIFY(first.isPrimary());
        SingleInstanceGuard sameProcess(key);
        QVERIFY(!sameProcess.tryAcquire());
        expectSecondInstanceActivates(first, key);
    }

    void lockOfKilledInstanceIsReclaimed()
    {
        const QString key = freshKey();
        QProcess holder;
        holder.start(QStringLiteral(QM_INSTANCE_HELPER), {QStringLiteral("hold"), key});
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("ready"));

        SingleInstanceGuard whileAlive(key);
        QVERIFY(!whileAlive.tryAcquire());

        holder.kill(); // SIGKILL: no chance to clean up
        QVERIFY(holder.waitForFinished(10000));
        // The crash leaves both its lock file and its socket behind.
        QVERIFY(QFile::exists(whileAlive.lockFilePath()));
        const QString name = whileAlive.serverName();
        QVERIFY(QFile::exists(QDir::isAbsolutePath(name) ? name : QDir::temp().filePath(name)));

        SingleInstanceGuard next(key);
        QVERIFY(next.tryAcquire());
        // The dead instance's socket is replaced by a working one.
        expectSecondInstanceActivates(next, key);
    }

    // A process killed between creating the lock file and writing its name
    // into it leaves an empty file. Once it is clearly not being written,
    // it must not keep the program (or a restore) out for ever.
    void ownerlessLockIsTakenOverOnceOld_data()
    {
        QTest::addColumn<qint64>("ageMs");
        QTest::addColumn<bool>("taken");
        QTest::newRow("left by a kill a minute ago") << qint64(60000) << true;
        QTest::newRow("just created, its owner about to write") << qint64(0) << false;
    }

    void ownerlessLockIsTakenOverOnceOld()
    {
        QFETCH(qint64, ageMs);
        QFETCH(bool, taken);
        const QString key = freshKey();
        const QString path = qm::ProgramLockNamesFor(key).lockPath;
        QFile empty(path);
        QVERIFY(empty.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(empty.setFileTime(QDateTime::currentDateTime().addMSecs(-ageMs), QFileDevice::FileModificationTime));
        empty.close();

        QCOMPARE(qm::IsProgramRunning(key), !taken);
        QCOMPARE(QFile::exists(path), !taken);
        SingleInstanceGuard guard(key);
        QCOMPARE(guard.tryAcquire(), taken);
        if (!taken)
            QFile::remove(path);
    }

    void releasedLockCanBeTakenAgain()
    {
        const QString key = freshKey();
        {
            SingleInstanceGuard first(key);
            QVERIFY(first.tryAcquire());
        }
        SingleInstanceGuard again(key);
        QVERIFY(again.tryAcquire());
    }

    void signalWithoutRunningInstanceFails()
    {
        SingleInstanceGuard lonely(freshKey());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!lonely.signalRunningInstance(300));
        QVERIFY(clock.elapsed() < 5000);
    }

    void otherTrafficIsIgnored()
    {
        SingleInstanceGuard first(freshKey());
        QVERIFY(first.tryAcquire());
        QSignalSpy activated(&first, &SingleInstanceGuard::activationRequested);

        QLocalSocket stranger;
        stranger.connectToServer(first.serverName());
        QVERIFY(stranger.waitForConnected(3000));
        stranger.write("HELLO\n" + QByteArray(500, 'A'));
        QVERIFY(stranger.waitForBytesWritten(3000));
        QTest::qWait(300);
        QCOMPARE(activated.count(), 0);

        // A proper request still gets through afterwards.
        QLocalSocket proper;
        proper.connectToServer(first.serverName());
        QVERIFY(proper.waitForConnected(3000));
        proper.write(SingleInstanceGuard::activationMessage());
        QVERIFY(proper.waitForBytesWritten(3000));
        QTRY_COMPARE(activated.count(), 1);
    }

    void bringToFrontRestoresMinimisedWindow()
    {
        QWidget window;
        window.resize(200, 100);
        window.show();
        window.showMinimized();
        QTRY_VERIFY(window.isMinimized());
        qm::BringToFront(&window);
        QVERIFY(!window.isMinimized());
        QVERIFY(!(window.windowState() & Qt::WindowMinimized));
        QVERIFY(window.isVisible());
        qm::BringToFront(nullptr); // no main window yet: nothing to do
    }
};

QTEST_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
