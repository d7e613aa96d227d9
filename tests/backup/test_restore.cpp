// Reading archives back: where members go, which are written, and that a
// damaged or hostile archive never writes outside its folder nor spoils a
// file that was there.

#include "archivebytes.h"
#include "scripteddialogs.h"

#include "backup/backupfile.h"
#include "store/apperror.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <zlib.h>

using namespace qm;
using namespace qm::test;

namespace {

const QByteArray kEnd = le32(0);

QByteArray deflated(const QByteArray &data)
{
    QByteArray out(int(compressBound(uLong(data.size()))), '\0');
    uLongf size = uLongf(out.size());
    compress2(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(data.constData()),
              uLong(data.size()), 9);
    return out.left(qsizetype(size));
}

// Every file below a folder, as paths relative to it.
QStringList filesBelow(const QString &root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
}

struct Outcome
{
    bool result = false;
    int error = 0;
};

Outcome restore(TBackupFile &component, const QString &archive, const QString &folder)
{
    int reported = 0;
    component.OnError = [&](TBackupFile &, int code, const QString &) { reported = code; };
    Outcome o;
    o.result = component.Restore(archive, folder);
    o.error = reported;
    return o;
}

} // namespace

class TestRestore : public QObject
{
    Q_OBJECT

private slots:
    void membersGoBelowTheFolder_data();
    void membersGoBelowTheFolder();
    void hostileNamesWriteNothingOutside_data();
    void hostileNamesWriteNothingOutside();
    void damageLeavesTheExistingFileAlone_data();
    void damageLeavesTheExistingFileAlone();
    void restoreModeChoosesTheMembers_data();
    void restoreModeChoosesTheMembers();
    void restoreEventCanRedirectOrSkip();
    void olderArchivesWithLzrwBlocks();
    void replacementIsCheckedBeforeItReplaces();
    void unreadableHeaderGoesToTheCaller();
    void missingArchiveIsQuietlyFalse();
    void archiveInfoOfDamagedFiles_data();
    void archiveInfoOfDamagedFiles();
    void defaultBoxesGoThroughTheDialogService();
};

void TestRestore::membersGoBelowTheFolder_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("fullPath");
    QTest::addColumn<QString>("expected");
    QTest::newRow("file part") << QByteArray("c:\\data\\ccounts.db") << false << "ccounts.db";
    QTest::newRow("full path without drive") << QByteArray("c:\\data\\ccounts.db") << true << "data/ccounts.db";
    QTest::newRow("unix path, file part") << QByteArray("/home/ann/db/CCounts.DB") << false << "CCounts.DB";
    QTest::newRow("unix path, full") << QByteArray("/home/ann/db/CCounts.DB") << true << "home/ann/db/CCounts.DB";
    QTest::newRow("climbing name, file part") << QByteArray("..\\..\\x") << false << "x";
    QTest::newRow("absolute elsewhere, file part") << QByteArray("/tmp/x") << false << "x";
    QTest::newRow("absolute elsewhere, full") << QByteArray("/tmp/x") << true << "tmp/x";
    QTest::newRow("dot parts dropped") << QByteArray("/a/./b/x") << true << "a/b/x";
}

void TestRestore::membersGoBelowTheFolder()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, fullPath);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString archive = dir.filePath("a.bck");
    QVERIFY(writeFile(archive, header("t", 4, 1) + member(stored, "data") + kEnd));
    TBackupFile component;
    component.setRestoreFullPath(fullPath);
    const Outcome o = restore(component, archive, dir.filePath("into"));
    QVERIFY(o.result);
    QCOMPARE(filesBelow(dir.filePath("into")), QStringList{expected});
    QCOMPARE(readFile(dir.filePath("into/" + expected)), QByteArray("data"));
}

void TestRestore::hostileNamesWriteNothingOutside_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("fullPath");
    QTest::addColumn<bool>("noFolder");
    QTest::newRow("climbing, full path") << QByteArray("..\\..\\x") << true << false;
    QTest::newRow("climbing with slashes") << QByteArray("a/../../x") << true << false;
    QTest::newRow("drive and climb") << QByteArray("c:\\data\\..") << false << false;
    QTest::newRow("drive and climb, full") << QByteArray("c:\\data\\..") << true << false;
    QTest::newRow("file part dot") << QByteArray("/tmp/.") << false << false;
    QTest::newRow("empty file part") << QByteArray("/tmp/") << false << false;
    QTest::newRow("only separators") << QByteArray("\\\\") << true << false;
    QTest::newRow("embedded zero") << QByteArray("x\0y", 3) << false << false;
    QTest::newRow("relative, no folder") << QByteArray("x") << false << true;
    QTest::newRow("climbing, no folder") << QByteArray("/a/../x") << false << true;
}

// The folder sits in a fresh sandbox; afterwards the sandbox holds nothing
// but the archive and the (empty) folder.
void TestRestore::hostileNamesWriteNothingOutside()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, fullPath);
    QFETCH(bool, noFolder);
    QTemporaryDir sandbox;
    QDir(sandbox.path()).mkpath("a/b/into");
    const QString archive = sandbox.filePath("a.bck");
    const QByteArray inside = sandbox.filePath("a/b/into/ok.txt").toUtf8();
    QVERIFY(writeFile(archive, header("t", 4, 2) + member(stored, "evil") + member(inside, "fine") + kEnd));
    TBackupFile component;
    component.setRestoreFullPath(fullPath);
    const QString folder = noFolder ? QString() : sandbox.filePath("a/b/into");
    QDir::setCurrent(sandbox.filePath("a/b/into"));
    const Outcome o = restore(component, archive, folder);
    QCOMPARE(component.refusedCount(), 1);
    QDir::setCurrent(QDir::tempPath());
    QVERIFY(o.result);
    QCOMPARE(o.error, 0);
    const QString okFile = fullPath && !noFolder ? "a/b/into" + QString::fromUtf8(inside) : "a/b/into/ok.txt";
    QCOMPARE(filesBelow(sandbox.path()), (QStringList{"a.bck", okFile}));
}

void TestRestore::damageLeavesTheExistingFileAlone_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<int>("error");
    const QByteArray good = header("t", 40000, 2) + member("/x/other.txt", "new other")
                            + text("/x/CCounts.DB") + le32(0x306848AF);
    const QByteArray firstBlock = QByteArray("EC2\0", 4) + le32(-16384) + QByteArray(16384, 'N');
    QTest::newRow("cut inside a block") << good + firstBlock.left(9000) << 1;
    QTest::newRow("cut after a block") << good + firstBlock << 1;
    QTest::newRow("cut before the end marker") << good + firstBlock + le32(0) << 3;
    QTest::newRow("corrupt zlib block") << good + firstBlock + compressedBlock("x\x9c garbage") + kEnd + kEnd << 6;
    QByteArray stream = deflated(QByteArray(16384, 'a'));
    stream[stream.size() - 1] = char(stream.at(stream.size() - 1) ^ 1);
    QTest::newRow("wrong check sum") << good + firstBlock + compressedBlock(stream) + kEnd + kEnd << 6;
    QTest::newRow("more than a block inflated") << good + QByteArray("EC2\0", 4) + compressedBlock(deflated(QByteArray(16385, 'b'))) << 6;
    QTest::newRow("block count too large") << good + QByteArray("EC2\0", 4) + le32(16385) << 6;
    QTest::newRow("stored count too large") << good + QByteArray("EC2\0", 4) + le32(INT_MIN) << 6;
    QTest::newRow("unknown marker") << good + QByteArray("ECX\0", 4) + kEnd + kEnd << 1;
    QTest::newRow("name longer than the archive") << header("t", 1, 1) + le32(0x7fffffff) + "abc" << 3;
    QTest::newRow("volume change at the end") << good + firstBlock + kEnd + text("NEXT:DISK002") << 0;
}

void TestRestore::damageLeavesTheExistingFileAlone()
{
    QFETCH(QByteArray, archive);
    QFETCH(int, error);
    QTemporaryDir dir;
    const QString db = dir.filePath("db/CCounts.DB");
    QDir().mkpath(dir.filePath("db"));
    QVERIFY(writeFile(db, "the database as it was"));
    QVERIFY(writeFile(dir.filePath("a.bck"), archive));
    TBackupFile component;
    component.OnNeedDisk = [](TBackupFile &, quint16, bool &goOn) { goOn = false; };
    const Outcome o = restore(component, dir.filePath("a.bck"), dir.filePath("db"));
    QVERIFY(!o.result);
    QCOMPARE(o.error, error);
    QCOMPARE(readFile(db), QByteArray("the database as it was"));
    // No half-written copy is left beside it.
    QStringList left = filesBelow(dir.filePath("db"));
    left.removeAll("other.txt");
    QCOMPARE(left, QStringList{"CCounts.DB"});
}

void TestRestore::restoreModeChoosesTheMembers_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("existing"); // 0 none, 1 older than the archived date, 2 newer
    QTest::addColumn<bool>("written");
    const char *names[] = {"all", "no overwrite", "newer", "existing", "existing newer"};
    const bool table[5][3] = {
        {true, true, true}, {true, false, false}, {true, true, false}, {false, true, true}, {false, true, false}};
    const char *states[] = {"missing", "older", "newer"};
    for (int m = 0; m < 5; ++m)
        for (int e = 0; e < 3; ++e)
            QTest::addRow("%s, target %s", names[m], states[e]) << m << e << table[m][e];
}

void TestRestore::restoreModeChoosesTheMembers()
{
    QFETCH(int, mode);
    QFETCH(int, existing);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString target = dir.filePath("f.txt");
    if (existing) {
        QVERIFY(writeFile(target, "before"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadWrite));
        const QDateTime when(QDate(existing == 1 ? 2003 : 2005, 1, 1), QTime(12, 0));
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
    }
    QVERIFY(writeFile(dir.filePath("a.bck"), header("t", 5, 1) + member("c:\\f.txt", "after") + kEnd));
    TBackupFile component;
    component.setRestoreMode(RestoreMode(mode));
    QVERIFY(restore(component, dir.filePath("a.bck"), dir.path()).result);
    QCOMPARE(component.fileCount(), written ? 1 : 0);
    QCOMPARE(readFile(target), written ? QByteArray("after") : existing ? QByteArray("before") : QByteArray());
}

void TestRestore::restoreEventCanRedirectOrSkip()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("a.bck"),
                      header("t", 6, 2) + member("/p/one", "first") + member("/p/two", "second") + kEnd));
    TBackupFile component;
    QList<QDateTime> dates;
    component.OnRestoreFile = [&](TBackupFile &, QString &target, const QDateTime &archived, bool &write) {
        dates << archived;
        if (target.endsWith("one"))
            target = QFileInfo(target).absolutePath() + "/renamed";
        else
            write = false;
    };
    QVERIFY(restore(component, dir.filePath("a.bck"), dir.filePath("out")).result);
    QCOMPARE(filesBelow(dir.filePath("out")), QStringList{"renamed"});
    QCOMPARE(readFile(dir.filePath("out/renamed")), QByteArray("first"));
    QCOMPARE(dates.value(0), QDateTime(QDate(2004, 3, 8), QTime(9, 5, 30)));
}

// An ECS segment: a total, then length-framed LZRW1-KH blocks.
void TestRestore::olderArchivesWithLzrwBlocks()
{
    const QByteArray stored = QByteArray(1, char(0x80)) + "plain ";
    const QByteArray compressed = QByteArray::fromHex("00" "4000" "41" "0010");
    const QByteArray run = QByteArray::fromHex("00" "8000" "0000" "0058");
    QByteArray segment = QByteArray("ECS\0", 4)
                         + le32(qint32(stored.size() + compressed.size() + run.size() + 12))
                         + text(stored) + text(compressed) + text(run);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("old.bck"),
                      header("old", 26, 1) + text("c:\\data\\ccounts.db") + le32(0x306848AF) + segment + kEnd));
    TBackupFile component;
    QVERIFY(restore(component, dir.filePath("old.bck"), dir.path()).result);
    QCOMPARE(readFile(dir.filePath("ccounts.db")), QByteArray("plain AAAA") + QByteArray(16, 'X'));

    // A total that the records overrun, and a record longer than a block.
    for (const QByteArray &bad : {QByteArray("ECS\0", 4) + le32(5) + text(stored),
                                  QByteArray("ECS\0", 4) + le32(40000) + le32(32769)}) {
        QVERIFY(writeFile(dir.filePath("bad.bck"), header("old", 1, 1) + text("x") + le32(0) + bad + kEnd));
        TBackupFile again;
        const Outcome o = restore(again, dir.filePath("bad.bck"), dir.filePath("bad"));
        QVERIFY(!o.result);
        QCOMPARE(o.error, 6);
    }
}

void TestRestore::replacementIsCheckedBeforeItReplaces()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("CCounts.DB"), "good database"));
    QVERIFY(writeFile(dir.filePath("a.bck"), header("t", 3, 1) + member("/x/CCounts.DB", "bad") + kEnd));
    TBackupFile component;
    QByteArray seen;
    component.setMemberCheck([&](const QString &temp, const QString &target) {
        seen = readFile(temp);
        return !target.endsWith("CCounts.DB");
    });
    const Outcome o = restore(component, dir.filePath("a.bck"), dir.path());
    QVERIFY(!o.result);
    QCOMPARE(o.error, 2);
    QCOMPARE(seen, QByteArray("bad"));
    QCOMPARE(readFile(dir.filePath("CCounts.DB")), QByteArray("good database"));
    QCOMPARE(filesBelow(dir.path()), (QStringList{"CCounts.DB", "a.bck"}));
}

void TestRestore::unreadableHeaderGoesToTheCaller()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("a.bck"), le32(1000) + "short"));
    TBackupFile component;
    bool thrown = false;
    try {
        component.Restore(dir.filePath("a.bck"), dir.path());
    } catch (const AppError &e) {
        thrown = e.message() == "Cannot read archive";
    }
    QVERIFY(thrown);
    QVERIFY(!component.busy());
}

void TestRestore::missingArchiveIsQuietlyFalse()
{
    TBackupFile component;
    int errors = 0;
    component.OnError = [&](TBackupFile &, int, const QString &) { ++errors; };
    QVERIFY(!component.Restore("/no/such/archive.bck", QDir::tempPath()));
    QCOMPARE(errors, 0);
}

void TestRestore::archiveInfoOfDamagedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("error");
    QTest::newRow("text file") << QByteArray("Hello, this is only a text file.\n") << QString() << 5;
    QTest::newRow("header only") << header("Only", 0, 0) << QString("Only") << 5;
    QTest::newRow("empty archive") << header("Empty", 0, 0) + kEnd << QString("Empty") << 0;
    QTest::newRow("bad first marker") << header("M", 0, 1) + text("x") + le32(0) + "ECX" + '\0' << QString("M") << 5;
    QTest::newRow("title too long") << le32(100) + "abc" << QString() << 5;
    QTest::newRow("empty title") << header("", 0, 1) + member("x", "y") + kEnd << QString() << 0;
}

void TestRestore::archiveInfoOfDamagedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, title);
    QFETCH(int, error);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("a.bck"), bytes));
    TBackupFile component;
    QList<int> codes;
    component.OnError = [&](TBackupFile &, int code, const QString &) { codes << code; };
    QStringList ids{"stale"};
    QCOMPARE(component.ReadArchiveInfo(dir.filePath("a.bck"), &ids), title);
    QCOMPARE(codes, error ? QList<int>{error} : QList<int>{});
    QVERIFY(ids.isEmpty());
}

void TestRestore::defaultBoxesGoThroughTheDialogService()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("text.bck"), "not an archive at all"));
    ScriptedDialogs dialogs;
    TBackupFile component(&dialogs);
    QCOMPARE(component.ReadArchiveInfo(dir.filePath("text.bck"), nullptr), QString());
    QCOMPARE(component.ReadArchiveInfo(dir.filePath("missing.bck"), nullptr), QString());

    QVERIFY(writeFile(dir.filePath("big"), QByteArray(60000, 'q')));
    dialogs.queueAnswer(MessageAnswer::Cancel);
    component.setMaxSize(20000);
    component.setCompressionLevel(CompressionLevel::clNone);
    QVERIFY(!component.Backup({dir.filePath("big")}, dir.filePath("v.bck")));
    QCOMPARE(dialogs.texts(), (QStringList{"error: Invalid archive type", "error: Cannot read archive",
                                           "information: Please insert disk 2 and click OK to continue."}));
    QCOMPARE(dialogs.prompts().last().buttons, MessageButtons::OkCancel);
    QVERIFY(dialogs.allAnswersUsed());
}

QTEST_GUILESS_MAIN(TestRestore)
#include "test_restore.moc"
