// The catalogue's backup and restore commands on a real database folder:
// every question and message, the database closed and reopened around the
// work, and the switch of location after a restore into a new folder.

#include "cataloguefixture.h"

#include "backup/backupfile.h"
#include "backup/databasebackup.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>

using namespace qm;

namespace {

const QString kSelect = QStringLiteral("confirmation: Select the location of the backup file you wish to restore from");
const QString kOverwrite = QStringLiteral(
    "confirmation: This will overwrite your existing database\nSelect \"OK\" to Continue\nSelect \"Cancel\" to cancel restore");

QString question(const QString &title)
{
    return "confirmation: Backup File Details are\n" + title
           + "\nDo you want to restore into the existing database ?\n\nSelect \"Yes\" to restore into the existing "
             "database\nSelect \"No\" to restore to a new location\nSelect \"Cancel\" to cancel restore";
}

void insertFamily(test::CatalogueFixture &f)
{
    test::InsertCount(f.db(), {1, "PAY", "Payroll base", "B", 0, 120});
    test::InsertCount(f.db(), {2, "PAY", "Payroll overtime", "E", 1, 15});
    test::InsertCount(f.db(), {3, "HR", "Staff records", "B", 0, 40});
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeText(const QString &path, const QByteArray &text)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

// Backs the fixture's database up into the given archive.
void backUp(test::CatalogueFixture &f, const QString &archive)
{
    f.dialogs.queueFile(archive);
    f.form->action("Backup Database...")->trigger();
}

} // namespace

class TestBackupCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void titleAndVolumeSize();
    void backupWritesTheFolderAndReopens();
    void restoreOverTheDatabase();
    void restoreIntoANewFolderSwitchesLocation();
    void folderWithADatabaseIsRefused();
    void textFileIsNoArchive();
    void emptyTitleIsNoArchive();
    void damagedArchiveLeavesTheDatabase_data();
    void damagedArchiveLeavesTheDatabase();
    void cancelledChangesNothing_data();
    void cancelledChangesNothing();
    void smallDiskGivesVolumes();
    void cancelInTheProgressDialogStops();
};

void TestBackupCommands::initTestCase()
{
    QVERIFY(test::HasRealFont());
}

void TestBackupCommands::titleAndVolumeSize()
{
    QCOMPARE(BackupTitleFor("/home/ann/db", QDateTime(QDate(2004, 3, 8), QTime(9, 5, 30))),
             QString("DB Location /home/ann/db Backup on Quillmarkbackup (Date8.3.2004 Time9:5:30)"));
    QCOMPARE(BackupTitleFor("d", QDateTime(QDate(2026, 12, 31), QTime(23, 59, 0))),
             QString("DB Location d Backup on Quillmarkbackup (Date31.12.2026 Time23:59:0)"));
    QCOMPARE(BackupVolumeSize(1000000), qint64(1000000 - 32384));
    QCOMPARE(BackupVolumeSize(qint64(500) << 30), qint64(INT32_MAX));
}

void TestBackupCommands::backupWritesTheFolderAndReopens()
{
    test::CatalogueFixture f;
    insertFamily(f);
    f.show();
    f.select(2);
    const QStringList tree = f.treeLines();
    // An archive inside the database folder leaves itself out.
    const QString archive = f.dir.filePath("inside.bck");
    QVERIFY(QFile::copy(f.dir.filePath("CCounts.DB"), archive));

    backUp(f, archive);

    QCOMPARE(f.dialogs.texts(), QStringList{"save: Save Backup File As"});
    const FileDialogRequest &request = f.dialogs.prompts().first().file;
    QCOMPARE(request.defaultSuffix, QString("bck"));
    QVERIFY(request.confirmOverwrite);
    QCOMPARE(request.filters.first(), QString("Backup files (*.bck *.BCK)"));
    QVERIFY(f.data->catalogueCursor().isOpen());
    QCOMPARE(f.treeLines(), tree);
    QCOMPARE(f.data->state().currentCountId, 0);

    TBackupFile reader;
    const QString title = reader.ReadArchiveInfo(archive, nullptr);
    QVERIFY2(title.startsWith("DB Location " + f.dir.path() + " Backup on Quillmarkbackup (Date"), qPrintable(title));
    QStringList restored;
    reader.OnRestoreFile = [&](TBackupFile &, QString &target, const QDateTime &, bool &write) {
        restored << QFileInfo(target).fileName();
        write = false;
    };
    QVERIFY(reader.Restore(archive, QDir::tempPath()));
    QCOMPARE(restored, QStringList{"CCounts.DB"});
}

void TestBackupCommands::restoreOverTheDatabase()
{
    test::CatalogueFixture f;
    insertFamily(f);
    f.show();
    QTemporaryDir elsewhere;
    const QString archive = elsewhere.filePath("payroll.bck");
    backUp(f, archive);
    const QString title = TBackupFile().ReadArchiveInfo(archive, nullptr);
    // Changes after the backup: one count goes, a new file appears.
    f.select(3);
    f.dialogs.queueAnswer(MessageAnswer::Ok);
    f.form->action("Delete Count")->trigger();
    QCOMPARE(f.treeLines(), (QStringList{"Payroll base {120 FPs}", "  Payroll overtime {15 FPs}"}));
    QVERIFY(writeText(f.dir.filePath("notes.txt"), "made later"));
    const int before = int(f.dialogs.prompts().size());

    f.dialogs.queueFile(archive);
    f.dialogs.queueAnswer(MessageAnswer::Yes);
    f.dialogs.queueAnswer(MessageAnswer::Ok);
    f.form->action("Restore Database...")->trigger();

    QCOMPARE(f.dialogs.texts().mid(before), (QStringList{kSelect, "open: Select Backup File", question(title),
                                                         kOverwrite, "information: Restore Successful"}));
    QVERIFY(f.dialogs.allAnswersUsed());
    QCOMPARE(f.treeLines(),
             (QStringList{"Payroll base {120 FPs}", "  Payroll overtime {15 FPs}", "Staff records {40 FPs}"}));
    QCOMPARE(f.data->state().databaseDir, f.dir.path());
    QCOMPARE(contents(f.dir.filePath("notes.txt")), QByteArray("made later"));
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"CCounts.DB", "notes.txt"}));
}

void TestBackupCommands::restoreIntoANewFolderSwitchesLocation()
{
    test::CatalogueFixture f;
    insertFamily(f);
    f.show();
    QTemporaryDir elsewhere;
    const QString archive = elsewhere.filePath("payroll.bck");
    backUp(f, archive);
    const QString target = elsewhere.filePath("restored/here");
    const int before = int(f.dialogs.prompts().size());

    f.dialogs.queueFile(archive);
    f.dialogs.queueAnswer(MessageAnswer::No);
    f.dialogs.queueDirectory(target);
    f.dialogs.queueAnswer(MessageAnswer::Yes);
    f.form->action("Restore Database...")->trigger();

    const QStringList shown = f.dialogs.texts().mid(before);
    QCOMPARE(shown.size(), 6);
    QCOMPARE(shown.at(3), QString("directory: /"));
    QCOMPARE(shown.at(4), "confirmation: The directory " + target + " does not exist.\nDo you want to create it?");
    QCOMPARE(shown.at(5), QString("information: Restore Successful"));
    QCOMPARE(f.dialogs.prompts().at(before + 3).mode, DirectoryMode::AllowNew);
    QCOMPARE(f.data->state().databaseDir, target);
    QCOMPARE(f.db().directory(), target);
    QCOMPARE(f.settings.readDirectory(), target);
    QCOMPARE(f.treeLines().size(), 3);

    // "Database Location..." names the new folder.
    f.dialogs.queueAnswer(MessageAnswer::Cancel);
    f.form->action("Database Location...")->trigger();
    QVERIFY(f.dialogs.texts().last().contains("The Current Database Location is :\n" + target));
}

void TestBackupCommands::folderWithADatabaseIsRefused()
{
    test::CatalogueFixture f;
    insertFamily(f);
    f.show();
    QTemporaryDir elsewhere;
    backUp(f, elsewhere.filePath("a.bck"));
    test::TestDatabaseDir other;
    const QByteArray otherDb = contents(other.filePath("CCounts.DB"));

    f.dialogs.queueFile(elsewhere.filePath("a.bck"));
    f.dialogs.queueAnswer(MessageAnswer::No);
    f.dialogs.queueDirectory(other.path());
    f.form->action("Restore Database...")->trigger();

    QCOMPARE(f.dialogs.texts().last(), QString("error: Invalid Directory - Already contains a Quillmark Database"));
    QCOMPARE(contents(other.filePath("CCounts.DB")), otherDb);
    QCOMPARE(f.data->state().databaseDir, f.dir.path());
    QVERIFY(f.data->catalogueCursor().isOpen());
}

void TestBackupCommands::textFileIsNoArchive()
{
    test::CatalogueFixture f;
    f.show();
    QTemporaryDir elsewhere;
    QVERIFY(writeText(elsewhere.filePath("readme.txt"), "These are some notes, not an archive.\n"));
    f.dialogs.queueFile(elsewhere.filePath("readme.txt"));
    f.form->action("Restore Database...")->trigger();
    QCOMPARE(f.dialogs.texts(),
             (QStringList{kSelect, "open: Select Backup File",
                          "error: An Error has occurred - Backup/Restore failed - Error:\nInvalid archive type",
                          "error: Invalid Backup File - Restore Cancelled"}));
}

void TestBackupCommands::emptyTitleIsNoArchive()
{
    test::CatalogueFixture f;
    f.show();
    QTemporaryDir elsewhere;
    TBackupFile component;
    QVERIFY(component.Backup({f.dir.path() + "/*.*"}, elsewhere.filePath("untitled.bck")));
    f.dialogs.queueFile(elsewhere.filePath("untitled.bck"));
    f.form->action("Restore Database...")->trigger();
    QCOMPARE(f.dialogs.texts(), (QStringList{kSelect, "open: Select Backup File",
                                             "error: Invalid Backup File - Restore Cancelled"}));
}

void TestBackupCommands::damagedArchiveLeavesTheDatabase_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("error");
    QTest::newRow("cut short") << "cut" << "Cannot read file";
    QTest::newRow("corrupt block") << "corrupt" << "Compression error";
    QTest::newRow("not a database") << "foreign" << "Overwriting file failed";
}

// Restored over the database in use, a damaged archive reports its error
// and the database stays byte for byte as it was, and opens again.
void TestBackupCommands::damagedArchiveLeavesTheDatabase()
{
    QFETCH(QString, damage);
    QFETCH(QString, error);
    test::CatalogueFixture f;
    insertFamily(f);
    f.show();
    QTemporaryDir elsewhere;
    const QString archive = elsewhere.filePath("a.bck");
    if (damage == "foreign") {
        // An archive whose CCounts.DB is a text file.
        QDir().mkpath(elsewhere.filePath("src"));
        QVERIFY(writeText(elsewhere.filePath("src/CCounts.DB"), "just some text"));
        TBackupFile component;
        component.setBackupTitle("Foreign");
        QVERIFY(component.Backup({elsewhere.filePath("src") + "/*.*"}, archive));
    } else {
        backUp(f, archive);
        QByteArray bytes = contents(archive);
        if (damage == "cut") {
            bytes.truncate(bytes.size() / 2);
        } else {
            // The first block's zlib stream starts after its count: spoil its middle.
            const qsizetype at = bytes.indexOf(QByteArray("EC2\0", 4)) + 8;
            for (qsizetype i = at + 20; i < at + 40; ++i)
                bytes[i] = char(bytes.at(i) ^ 0x5A);
        }
        QVERIFY(writeText(archive, bytes));
    }
    const QByteArray db = contents(f.dir.filePath("CCounts.DB"));
    const QStringList tree = f.treeLines();
    const int before = int(f.dialogs.prompts().size());

    f.dialogs.queueFile(archive);
    f.dialogs.queueAnswer(MessageAnswer::Yes);
    f.dialogs.queueAnswer(MessageAnswer::Ok);
    f.form->action("Restore Database...")->trigger();

    const QStringList shown = f.dialogs.texts().mid(before);
    QCOMPARE(shown.size(), 5);
    QCOMPARE(shown.last(), "error: An Error has occurred - Backup/Restore failed - Error:\n" + error);
    QCOMPARE(contents(f.dir.filePath("CCounts.DB")), db);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"CCounts.DB"});
    QVERIFY(f.data->catalogueCursor().isOpen());
    QCOMPARE(f.treeLines(), tree);
}

void TestBackupCommands::cancelledChangesNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("step"); // how far the user goes before cancelling
    QTest::addColumn<QString>("last");
    QTest::newRow("save dialog") << "Backup Database..." << 0 << "warning: Backup Cancelled";
    QTest::newRow("open dialog") << "Restore Database..." << 0 << "warning: Restore Cancelled";
    QTest::newRow("where question") << "Restore Database..." << 1 << "warning: Restore Cancelled";
    QTest::newRow("overwrite question") << "Restore Database..." << 2 << "warning: Restore Cancelled";
    QTest::newRow("folder chooser") << "Restore Database..." << 3 << "warning: Restore Cancelled";
    QTest::newRow("folder not made") << "Restore Database..." << 4 << "warning: Restore Cancelled";
}

void TestBackupCommands::cancelledChangesNothing()
{
    QFETCH(QString, command);
    QFETCH(int, step);
    QFETCH(QString, last);
    test::CatalogueFixture f;
    insertFamily(f);
    f.show();
    QTemporaryDir elsewhere;
    const QString archive = elsewhere.filePath("a.bck");
    backUp(f, archive);
    const QByteArray db = contents(f.dir.filePath("CCounts.DB"));
    const QStringList tree = f.treeLines();

    f.dialogs.queueFile(step == 0 ? QString() : archive);
    if (step == 1)
        f.dialogs.queueAnswer(MessageAnswer::Cancel);
    if (step == 2) {
        f.dialogs.queueAnswer(MessageAnswer::Yes);
        f.dialogs.queueAnswer(MessageAnswer::Cancel);
    }
    if (step >= 3) {
        f.dialogs.queueAnswer(MessageAnswer::No);
        f.dialogs.queueDirectory(step == 3 ? QString() : elsewhere.filePath("new"));
    }
    if (step == 4)
        f.dialogs.queueAnswer(MessageAnswer::No);
    f.form->action(command)->trigger();

    QCOMPARE(f.dialogs.texts().last(), last);
    QVERIFY(f.dialogs.allAnswersUsed());
    QCOMPARE(contents(f.dir.filePath("CCounts.DB")), db);
    QCOMPARE(f.treeLines(), tree);
    QCOMPARE(f.data->state().databaseDir, f.dir.path());
    QVERIFY(!QFileInfo::exists(elsewhere.filePath("new")));
}

namespace {

// Rows of text that does not compress, so the database spans many blocks.
void fillWithText(test::CatalogueFixture &f, int rows)
{
    QRandomGenerator rng(17);
    for (int tag = 1; tag <= rows; ++tag) {
        test::TransRow t(1, tag, QString("Input %1").arg(tag), 4);
        for (int i = 0; i < 8000; ++i)
            t.memo += QChar('a' + int(rng.bounded(26)));
        test::InsertTrans(f.db(), t);
    }
}

} // namespace

// A disk smaller than the archive: volumes, each asked for, each within
// the disk's capacity less the room kept free.
void TestBackupCommands::smallDiskGivesVolumes()
{
    test::CatalogueFixture f;
    insertFamily(f);
    // Twice what two volumes hold, whatever the pages around it take.
    fillWithText(f, 24);
    f.show();
    const qint64 capacity = 32384 + 40000;
    f.form->setDiskCapacity([capacity](const QString &) { return capacity; });
    QTemporaryDir elsewhere;
    for (int i = 0; i < 20; ++i)
        f.dialogs.queueAnswer(MessageAnswer::Ok);
    backUp(f, elsewhere.filePath("db.bck"));

    const QStringList volumes = QDir(elsewhere.path()).entryList(QDir::Files, QDir::Name);
    QVERIFY2(volumes.size() >= 3, qPrintable(volumes.join(' ')));
    QCOMPARE(volumes.last(), QString("db.bck"));
    QStringList expected;
    for (int v = 2; v <= volumes.size(); ++v) {
        QCOMPARE(volumes.at(v - 2), QString("db.%1").arg(v, 3, 10, QChar('0')));
        expected << QString("information: Please insert disk %1 and click OK to continue").arg(v);
        QVERIFY(QFileInfo(elsewhere.filePath(volumes.at(v - 2))).size() <= capacity - 32384);
    }
    QCOMPARE(f.dialogs.texts().mid(1), expected);
}

// The progress dialog shows the file and the percentage; its Cancel stops
// the backup, which then leaves no archive, and the database reopens.
void TestBackupCommands::cancelInTheProgressDialogStops()
{
    test::CatalogueFixture f;
    insertFamily(f);
    fillWithText(f, 24);
    f.show();
    QTemporaryDir elsewhere;
    QString label;
    int value = -1;
    bool visible = false;
    // Events run after each block: the second time round, the dialog
    // shows the first block's progress.
    QTimer poll;
    int rounds = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = f.form->findChild<QProgressDialog *>("BackupProgressDialog");
        if (!dialog || ++rounds < 2)
            return;
        visible = dialog->isVisible() && dialog->isModal();
        label = dialog->labelText();
        value = dialog->value();
        dialog->cancel();
        poll.stop();
    });
    poll.start(0);
    backUp(f, elsewhere.filePath("a.bck"));

    QVERIFY(visible);
    QCOMPARE(label, f.dir.filePath("CCounts.DB"));
    QVERIFY2(value > 0 && value < 100, qPrintable(QString::number(value)));
    QCOMPARE(f.dialogs.texts(), QStringList{"save: Save Backup File As"});
    QVERIFY(!QFileInfo::exists(elsewhere.filePath("a.bck")));
    QCOMPARE(f.form->backupFile().lastError(), 0);
    QVERIFY(f.data->catalogueCursor().isOpen());
    QCOMPARE(f.treeLines().size(), 3);
    QVERIFY(!f.form->findChild<QProgressDialog *>("BackupProgressDialog"));
}

QTEST_MAIN(TestBackupCommands)
#include "test_backupcommands.moc"
