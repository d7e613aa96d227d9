// What the component writes: the exact bytes of a small archive, how files
// are cut into blocks, volumes, and the round trip through every level.

#include "archivebytes.h"

#include "backup/archiveformat.h"
#include "backup/backupfile.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <zlib.h>

using namespace qm;
using namespace qm::test;

namespace {

const QDateTime kStamp(QDate(2004, 3, 8), QTime(9, 5, 30));
constexpr qint32 kStampPacked = 0x306848AF;

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray out(size, '\0');
    QRandomGenerator rng(seed);
    rng.fillRange(reinterpret_cast<quint32 *>(out.data()), size / 4);
    return out;
}

void stamp(const QString &path, const QDateTime &when = kStamp)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

// The blocks of the first member's first segment: positive counts are
// inflated, negative ones taken as they stand.
struct Block
{
    qint32 count;
    QByteArray data;
};

QList<Block> firstSegmentBlocks(const QByteArray &archive, qsizetype at)
{
    QList<Block> blocks;
    if (archive.mid(at, 4) != QByteArray("EC2\0", 4))
        return blocks;
    at += 4;
    for (;;) {
        const qint32 n = qFromLittleEndian<qint32>(archive.constData() + at);
        at += 4;
        if (n == 0)
            return blocks;
        const qsizetype size = n < 0 ? -n : n;
        QByteArray data = archive.mid(at, size);
        if (n > 0) {
            QByteArray out(archive::kBlockSize, '\0');
            uLongf outSize = out.size();
            if (uncompress(reinterpret_cast<Bytef *>(out.data()), &outSize,
                           reinterpret_cast<const Bytef *>(data.constData()), uLong(size))
                != Z_OK)
                return {};
            data = out.left(qsizetype(outSize));
        }
        blocks << Block{n, data};
        at += size;
    }
}

} // namespace

class TestArchiveLayout : public QObject
{
    Q_OBJECT

private slots:
    void smallArchiveByteForByte();
    void filesAreCutIntoBlocks_data();
    void filesAreCutIntoBlocks();
    void everyLevelRestoresTheSameBytes_data();
    void everyLevelRestoresTheSameBytes();
    void volumesStayWithinTheSizeAndReassemble();
    void cancellingAtADiskRequestLeavesNoEndMarker();
    void tooSmallAVolumeIsRefused();
    void fileIdListComesFirst();
    void collectsTheFilesASpecificationNames();
    void streamsOnTheCallersDevice();
    void cancellingFromProgressStopsWithoutError();
    void backupErrorsAreReportedOnce_data();
    void backupErrorsAreReportedOnce();
    void datesAndVolumeNames();
};

// Level 0 makes the zlib stream predictable: a stored deflate block
// between the header 78 01 and the Adler-32 of the data.
void TestArchiveLayout::smallArchiveByteForByte()
{
    QTemporaryDir dir;
    const QString hello = dir.filePath("hello.txt");
    const QString empty = dir.filePath("zempty");
    QVERIFY(writeFile(hello, "hello"));
    QVERIFY(writeFile(empty, ""));
    stamp(hello);
    stamp(empty);

    TBackupFile backup;
    backup.setBackupTitle("T");
    backup.setCompressionLevel(CompressionLevel::clNone);
    const QString archive = dir.filePath("out.bck");
    QVERIFY(backup.Backup({dir.path() + "/*.*"}, archive));
    QCOMPARE(backup.fileCount(), 2);

    const QByteArray helloStream = QByteArray::fromHex("7801" "010500faff") + "hello" + QByteArray::fromHex("062c0215");
    const QByteArray expected = header("T", 5, 2)
                                + text(hello.toUtf8()) + le32(kStampPacked) + QByteArray("EC2\0", 4)
                                + compressedBlock(helloStream) + le32(0)
                                + text(empty.toUtf8()) + le32(kStampPacked) + QByteArray("EC2\0", 4) + le32(0)
                                + le32(0);
    QCOMPARE(readFile(archive).toHex(' '), expected.toHex(' '));
}

void TestArchiveLayout::filesAreCutIntoBlocks_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<int>>("counts"); // sign of each block's count times its data size

    QByteArray text40000;
    while (text40000.size() < 40000)
        text40000 += "Maintain customer order invoice 0123456789 ";
    text40000.truncate(40000);
    QTest::newRow("40000 compressible bytes") << text40000 << QList<int>{16384, 16384, 7232};
    QTest::newRow("16384 random bytes") << randomBytes(16384, 7) << QList<int>{-16384};
    QTest::newRow("one byte") << QByteArray("x") << QList<int>{1};
    QTest::newRow("empty") << QByteArray() << QList<int>{};
}

void TestArchiveLayout::filesAreCutIntoBlocks()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, counts);
    QTemporaryDir dir;
    const QString path = dir.filePath("data.db");
    QVERIFY(writeFile(path, content));
    TBackupFile backup;
    const QString archive = dir.filePath("a.bck");
    QVERIFY(backup.Backup({path}, archive));

    const QByteArray bytes = readFile(archive);
    const qsizetype firstMember = 4 + 0 + 4 + 4;
    const qsizetype segment = firstMember + 4 + path.toUtf8().size() + 4;
    const QList<Block> blocks = firstSegmentBlocks(bytes, segment);
    QCOMPARE(blocks.size(), counts.size());
    QByteArray joined;
    for (int i = 0; i < blocks.size(); ++i) {
        QCOMPARE(blocks[i].count > 0, counts[i] > 0);
        QCOMPARE(int(blocks[i].data.size()), qAbs(counts[i]));
        if (counts[i] < 0)
            QCOMPARE(blocks[i].count, counts[i]);
        joined += blocks[i].data;
    }
    QCOMPARE(joined, content);
    QVERIFY(bytes.endsWith(le32(0) + le32(0)));
}

void TestArchiveLayout::everyLevelRestoresTheSameBytes_data()
{
    QTest::addColumn<int>("level");
    QTest::newRow("fastest") << int(CompressionLevel::clFastest);
    QTest::newRow("none") << int(CompressionLevel::clNone);
    QTest::newRow("default") << int(CompressionLevel::clDefault);
    QTest::newRow("max") << int(CompressionLevel::clMax);
}

void TestArchiveLayout::everyLevelRestoresTheSameBytes()
{
    QFETCH(int, level);
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("src"));
    const QByteArray mixed = randomBytes(20000, 3) + QByteArray(50000, 'z') + randomBytes(333, 4);
    QVERIFY(writeFile(dir.filePath("src/CCounts.DB"), mixed));
    stamp(dir.filePath("src/CCounts.DB"));
    TBackupFile backup;
    backup.setCompressionLevel(CompressionLevel(level));
    QVERIFY(backup.Backup({dir.filePath("src") + "/*.*"}, dir.filePath("a.bck")));
    TBackupFile restore;
    QVERIFY(restore.Restore(dir.filePath("a.bck"), dir.filePath("dst")));
    QCOMPARE(restore.fileCount(), 1);
    QCOMPARE(readFile(dir.filePath("dst/CCounts.DB")), mixed);
    QCOMPARE(QFileInfo(dir.filePath("dst/CCounts.DB")).lastModified(), kStamp);
}

void TestArchiveLayout::volumesStayWithinTheSizeAndReassemble()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("db/CCounts.DB");
    QDir().mkpath(dir.filePath("db"));
    const QByteArray content = randomBytes(150000, 11);
    QVERIFY(writeFile(path, content));
    const qint64 maxSize = 40000;
    TBackupFile backup;
    backup.setMaxSize(maxSize);
    QList<quint16> disks;
    backup.OnNeedDisk = [&](TBackupFile &, quint16 disk, bool &) { disks << disk; };
    const QString archive = dir.filePath("out/db.bck");
    QDir().mkpath(dir.filePath("out"));
    QVERIFY(backup.Backup({dir.filePath("db") + "/*.*"}, archive));

    // Two blocks fit below 40000 - 16484 in each volume.
    QCOMPARE(disks, (QList<quint16>{2, 3, 4, 5}));
    const QStringList volumes = QDir(dir.filePath("out")).entryList(QDir::Files, QDir::Name);
    QCOMPARE(volumes, (QStringList{"db.002", "db.003", "db.004", "db.005", "db.bck"}));
    for (const QString &v : volumes)
        QVERIFY2(QFileInfo(dir.filePath("out/" + v)).size() <= maxSize, qPrintable(v));
    const QByteArray first = readFile(archive);
    QVERIFY(first.endsWith(le32(0) + text("NEXT:DISK002")));
    QVERIFY(readFile(dir.filePath("out/db.002")).startsWith(QByteArray("EC2\0", 4)));
    QVERIFY(readFile(dir.filePath("out/db.005")).endsWith(le32(0) + le32(0)));

    TBackupFile restore;
    QList<quint16> asked;
    restore.OnNeedDisk = [&](TBackupFile &, quint16 disk, bool &) { asked << disk; };
    QVERIFY(restore.Restore(archive, dir.filePath("back")));
    QCOMPARE(asked, disks);
    QCOMPARE(readFile(dir.filePath("back/CCounts.DB")), content);
}

void TestArchiveLayout::cancellingAtADiskRequestLeavesNoEndMarker()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("big"), randomBytes(100000, 5)));
    TBackupFile backup;
    backup.setMaxSize(40000);
    backup.OnNeedDisk = [](TBackupFile &, quint16, bool &goOn) { goOn = false; };
    int errors = 0;
    backup.OnError = [&](TBackupFile &, int, const QString &) { ++errors; };
    QVERIFY(!backup.Backup({dir.filePath("big")}, dir.filePath("a.bck")));
    QCOMPARE(backup.lastError(), 0);
    QCOMPARE(errors, 0);
    QVERIFY(readFile(dir.filePath("a.bck")).endsWith(le32(0) + text("NEXT:DISK002")));
    QVERIFY(!QFileInfo::exists(dir.filePath("a.002")));

    // Its restore stops where the missing part begins, and writes nothing.
    TBackupFile restore;
    restore.OnNeedDisk = [](TBackupFile &, quint16, bool &goOn) { goOn = false; };
    QVERIFY(!restore.Restore(dir.filePath("a.bck"), dir.filePath("back")));
    QVERIFY(!QFileInfo::exists(dir.filePath("back/big")));
    QCOMPARE(QDir(dir.filePath("back")).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestArchiveLayout::tooSmallAVolumeIsRefused()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("f"), "data"));
    TBackupFile backup;
    backup.setMaxSize(16000);
    int code = 0;
    backup.OnError = [&](TBackupFile &, int c, const QString &) { code = c; };
    QVERIFY(!backup.Backup({dir.filePath("f")}, dir.filePath("a.bck")));
    QCOMPARE(code, 4);
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
    // The file-ID list's temporary file goes with the failed backup.
    QCOMPARE(QDir::temp().entryList({"FID*"}, QDir::Files).size(), 0);
}

void TestArchiveLayout::fileIdListComesFirst()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("one.db"), "12345"));
    QVERIFY(writeFile(dir.filePath("two.db"), "ab"));
    stamp(dir.filePath("one.db"));
    stamp(dir.filePath("two.db"));
    TBackupFile backup;
    backup.setSaveFileID(true);
    backup.setBackupTitle("With list");
    QVERIFY(backup.Backup({dir.filePath("*.db")}, dir.filePath("a.bck")));
    QCOMPARE(backup.fileCount(), 2);

    const QByteArray bytes = readFile(dir.filePath("a.bck"));
    const QByteArray listText = dir.filePath("one.db").toUtf8() + "\t" + QByteArray::number(kStampPacked) + "=5\n"
                                + dir.filePath("two.db").toUtf8() + "\t" + QByteArray::number(kStampPacked) + "=2\n";
    QVERIFY(bytes.startsWith(header("With list", 7 + qint32(listText.size()), 2) + text("FILE:LIST")));

    QStringList ids;
    TBackupFile reader;
    QCOMPARE(reader.ReadArchiveInfo(dir.filePath("a.bck"), &ids), QString("With list"));
    QCOMPARE(reader.lastError(), 0);
    QCOMPARE(ids, QString::fromUtf8(listText).split('\n', Qt::SkipEmptyParts));
    // The list itself is never restored, and no FID file is left behind.
    TBackupFile restore;
    QVERIFY(restore.Restore(dir.filePath("a.bck"), dir.filePath("back")));
    QCOMPARE(QDir(dir.filePath("back")).entryList(QDir::Files), (QStringList{"one.db", "two.db"}));
    QCOMPARE(QDir::temp().entryList({"FID*"}, QDir::Files).size(), 0);
}

void TestArchiveLayout::collectsTheFilesASpecificationNames()
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("sub/deeper"));
    for (const char *name : {"CCounts.DB", "noextension", ".hidden", "sub/inner.txt", "sub/deeper/deep.txt"})
        QVERIFY(writeFile(dir.filePath(name), name));
    const QString archive = dir.filePath("inside.bck");
    QVERIFY(writeFile(archive, "an older archive"));
    // The stored names, read back from the archive's file-ID list.
    const auto names = [&](const QStringList &specs) {
        TBackupFile backup;
        backup.setSaveFileID(true);
        if (!backup.Backup(specs, archive))
            return QStringList{"failed"};
        QStringList ids;
        TBackupFile().ReadArchiveInfo(archive, &ids);
        for (QString &id : ids)
            id = id.section('\t', 0, 0).mid(dir.path().size());
        return ids;
    };
    // The archive itself is left out; "*.*" takes files without a dot too.
    QCOMPARE(names({dir.path() + "/*.*"}),
             (QStringList{"/.hidden", "/CCounts.DB", "/noextension"}));
    QCOMPARE(names({dir.path() + "/*.txt /s"}), (QStringList{"/sub/inner.txt", "/sub/deeper/deep.txt"}));
    QCOMPARE(names({dir.path() + "/* /S"}),
             (QStringList{"/.hidden", "/CCounts.DB", "/noextension", "/sub/inner.txt", "/sub/deeper/deep.txt"}));
    QCOMPARE(names({dir.path() + "/sub/*.txt", dir.path() + "/sub/inner.txt"}), (QStringList{"/sub/inner.txt"}));
}

void TestArchiveLayout::streamsOnTheCallersDevice()
{
    QTemporaryDir dir;
    const QByteArray content = randomBytes(70000, 9);
    QVERIFY(writeFile(dir.filePath("CCounts.DB"), content));
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    TBackupFile backup;
    backup.setStream(&stream);
    backup.setBackupTitle("Streamed");
    // Volumes on a stream follow each other in the same device.
    backup.setMaxSize(30000);
    int disks = 0;
    backup.OnNeedDisk = [&](TBackupFile &, quint16, bool &) { ++disks; };
    QVERIFY(backup.Backup({dir.filePath("CCounts.DB")}, TBackupFile::kStreamName));
    // One block of five per volume.
    QCOMPARE(disks, 4);
    QVERIFY(!QFileInfo::exists(TBackupFile::kStreamName));

    stream.seek(0);
    TBackupFile reader;
    reader.setStream(&stream);
    QCOMPARE(reader.ReadArchiveInfo(TBackupFile::kStreamName, nullptr), QString("Streamed"));
    stream.seek(0);
    reader.OnNeedDisk = [](TBackupFile &, quint16, bool &) {};
    QVERIFY(reader.Restore(TBackupFile::kStreamName, dir.filePath("back")));
    QCOMPARE(readFile(dir.filePath("back/CCounts.DB")), content);
}

void TestArchiveLayout::cancellingFromProgressStopsWithoutError()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("big"), randomBytes(100000, 1)));
    QVERIFY(writeFile(dir.filePath("old.bck"), "the previous archive"));
    TBackupFile backup;
    QList<int> percents;
    backup.OnProgress = [&](TBackupFile &, const QString &, int percent, bool &goOn) {
        percents << percent;
        goOn = percent < 30;
    };
    QVERIFY(!backup.Backup({dir.filePath("big")}, dir.filePath("old.bck")));
    QCOMPARE(backup.lastError(), 0);
    QCOMPARE(percents.first(), 0);
    QCOMPARE(percents.last(), 100);
    QVERIFY(percents.size() < 9);
    // A backup that did not finish leaves the file that was there.
    QCOMPARE(readFile(dir.filePath("old.bck")), QByteArray("the previous archive"));
}

void TestArchiveLayout::backupErrorsAreReportedOnce_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("archive folder missing") << "archive" << 4 << "Cannot write to archive";
    QTest::newRow("archive is a folder") << "folder" << 4 << "Cannot write to archive";
}

void TestArchiveLayout::backupErrorsAreReportedOnce()
{
    QFETCH(QString, failure);
    QFETCH(int, code);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("f"), "data"));
    QVERIFY(QDir(dir.path()).mkpath("folder.bck"));
    TBackupFile backup;
    backup.setSaveFileID(true);
    QList<QPair<int, QString>> errors;
    backup.OnError = [&](TBackupFile &, int c, const QString &t) { errors.append({c, t}); };
    const QString archive = failure == "archive" ? dir.filePath("missing/a.bck") : dir.filePath("folder.bck");
    QVERIFY(!backup.Backup({dir.filePath("f")}, archive));
    QCOMPARE(errors, (QList<QPair<int, QString>>{{code, text}}));
    QCOMPARE(backup.lastError(), code);
    QVERIFY(!backup.busy());
    QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
    // The file-ID list's temporary file goes with the failed backup.
    QCOMPARE(QDir::temp().entryList({"FID*"}, QDir::Files).size(), 0);
}

void TestArchiveLayout::datesAndVolumeNames()
{
    QCOMPARE(archive::PackDosDateTime(kStamp), kStampPacked);
    QCOMPARE(archive::UnpackDosDateTime(kStampPacked), kStamp);
    QCOMPARE(archive::PackDosDateTime(QDateTime(QDate(1970, 1, 1), QTime(0, 0))), qint32(0x00210000));
    QVERIFY(!archive::UnpackDosDateTime(0).isValid());
    QCOMPARE(archive::VolumeDigits(2), QByteArray("002"));
    QCOMPARE(archive::VolumeDigits(1000), QByteArray("000"));
    QCOMPARE(archive::VolumeFileName("/a/db.bck", "002"), QString("/a/db.002"));
    QCOMPARE(archive::VolumeFileName("/a.b/db", "003"), QString("/a.b/db.003"));
    QCOMPARE(archive::VolumeChangeNumber("NEXT:DISK012"), 12);
    QCOMPARE(archive::VolumeChangeNumber("NEXT:DISK12x"), -1);
}

QTEST_GUILESS_MAIN(TestArchiveLayout)
#include "test_archivelayout.moc"
