#include "scripteddialogs.h"

#include "store/datamodule.h"
#include "store/location.h"
#include "store/programfiles.h"
#include "store/schema.h"
#include "store/settingsentry.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

// Installs the build into a temporary prefix and uses it as a new user would.
class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void layout_data();
    void layout();
    void firstRunCopiesTheInstalledDatabase();
    void installedProgramStarts();

private:
    QString prefixPath(const QString &relative) const { return QDir(m_prefix.path()).filePath(relative); }
    QTemporaryDir m_prefix;
};

namespace {

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Whether the process has the file open, from its descriptors in /proc.
bool holdsOpen(qint64 pid, const QString &path)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString &fd : fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System))
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == path)
            return true;
    return false;
}

} // namespace

void TestInstall::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    QProcess install;
    install.start(QStringLiteral(QM_CMAKE_COMMAND),
                  {"--install", QStringLiteral(QM_BUILD_DIR), "--prefix", m_prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
}

void TestInstall::layout_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("program") << "bin/quillmark";
    QTest::newRow("command line") << "bin/quillmark-cli";
    QTest::newRow("command line manual") << "share/man/man1/quillmark-cli.1.gz";
    QTest::newRow("delivered database") << "share/quillmark/Databases/CCounts.DB";
    QTest::newRow("help file") << "share/quillmark/QUILLMARK.rcc";
    QTest::newRow("menu entry") << "share/applications/org.quillmark.Quillmark.desktop";
    QTest::newRow("metainfo") << "share/metainfo/org.quillmark.Quillmark.metainfo.xml";
    QTest::newRow("scalable icon") << "share/icons/hicolor/scalable/apps/org.quillmark.Quillmark.svg";
    QTest::newRow("small icon") << "share/icons/hicolor/16x16/apps/org.quillmark.Quillmark.png";
    QTest::newRow("menu icon") << "share/icons/hicolor/48x48/apps/org.quillmark.Quillmark.png";
    QTest::newRow("large icon") << "share/icons/hicolor/256x256/apps/org.quillmark.Quillmark.png";
}

void TestInstall::layout()
{
    QFETCH(QString, path);
    const QFileInfo info(prefixPath(path));
    QVERIFY2(info.isFile() && info.size() > 0, qPrintable(path));
    if (path.endsWith(".png")) {
        const int size = path.section('/', 3, 3).section('x', 0, 0).toInt();
        const QImage icon(info.filePath());
        QCOMPARE(icon.size(), QSize(size, size));
        // Drawn, not blank: the tile's colour reaches the centre.
        QVERIFY(qAlpha(icon.pixel(size / 2, size / 2)) > 0);
    }
}

void TestInstall::firstRunCopiesTheInstalledDatabase()
{
    const QString programDir = prefixPath("bin");
    QVERIFY(IsInstalledLayout(programDir));
    QCOMPARE(DeliveredFilesDirectory(programDir), prefixPath("share/quillmark"));

    const QString delivered = prefixPath("share/quillmark/Databases");
    const QByteArray before = fileHash(QDir(delivered).filePath(kDatabaseFileName));
    QTemporaryDir home;
    const QString target = QDir(home.path()).filePath("Counts");
    QVERIFY(QDir().mkpath(target));

    SettingsEntry settings(QDir(home.path()).filePath("quillmark.ini"));
    test::ScriptedDialogs dialogs;
    dialogs.queueDirectory(target);
    {
        DataModule dm(dialogs, settings, {delivered, "/", {}, {}, IsInstalledLayout(programDir)});
        QVERIFY(dm.start());
    }
    QVERIFY2(dialogs.unexpected().isEmpty(), qPrintable(dialogs.unexpected()));
    QVERIFY(DatabaseLocator::HoldsDatabase(target));
    QVERIFY(QFileInfo(QDir(target).filePath(kDatabaseFileName)).isWritable());
    // The installation keeps its delivered database for the next user.
    QCOMPARE(fileHash(QDir(delivered).filePath(kDatabaseFileName)), before);
    QCOMPARE(settings.readDirectory(), target);
}

void TestInstall::installedProgramStarts()
{
    // A user whose settings name a database folder: the installed program
    // finds its libraries, its help and that database, and keeps running.
    QTemporaryDir home;
    const QString data = QDir(home.path()).filePath("Counts");
    QVERIFY(QDir().mkpath(data));
    QVERIFY(QFile::copy(prefixPath("share/quillmark/Databases/CCounts.DB"), QDir(data).filePath(kDatabaseFileName)));
    QVERIFY(QDir(home.path()).mkpath("config"));
    QVERIFY(QDir(home.path()).mkpath("runtime"));
    QFile::setPermissions(QDir(home.path()).filePath("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    SettingsEntry(QDir(home.path()).filePath("config/quillmark.ini")).writeDirectory(data);

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", QDir(home.path()).filePath("config"));
    env.insert("XDG_RUNTIME_DIR", QDir(home.path()).filePath("runtime"));
    program.setProcessEnvironment(env);
    program.start(prefixPath("bin/quillmark"), {});
    QVERIFY(program.waitForStarted());
    // The program holds the database open once it has found and connected
    // it; a message box about a missing one would leave it waiting instead.
    const QString database = QFileInfo(QDir(data).filePath(kDatabaseFileName)).canonicalFilePath();
    QTRY_VERIFY_WITH_TIMEOUT(holdsOpen(program.processId(), database), 15000);
    QCOMPARE(program.state(), QProcess::Running);
    QVERIFY(!QFileInfo::exists(QDir(data).filePath("errorlog.txt")));
    program.kill();
    program.waitForFinished();
}

QTEST_GUILESS_MAIN(TestInstall)
#include "test_install.moc"
