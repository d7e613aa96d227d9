// Collecting the records of the working tables and writing them out.

#include "countfixture.h"
#include "testdatabase.h"

#include "interchange/exporter.h"
#include "interchange/splitter.h"
#include "store/apperror.h"
#include "store/database.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace qm;
using namespace qm::test;

namespace {

constexpr int kCount = 5;

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Writes beyond a small size fail as on a full disk; the limit is lifted
// again when the scope ends.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool ok() const { return m_ok; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_ok = false;
};

} // namespace

class TestExporter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void groups_data();
    void groups();
    void countWithoutTransactions();
    void missingCountRow();
    void fileEndsEveryLine();
    void clipboardJoin();
    void failedWriteKeepsFile();
    void unwritablePath();

private:
    void FillCount();
    QStringList Collect(ExportGroup group);

    std::unique_ptr<TestDatabaseDir> m_dir;
    std::unique_ptr<Database> m_db;
};

void TestExporter::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestExporter::init()
{
    m_dir = std::make_unique<TestDatabaseDir>();
    m_db = std::make_unique<Database>(QStringLiteral("exporter"));
    m_db->open(m_dir->path());
}

void TestExporter::cleanup()
{
    m_db.reset();
    m_dir.reset();
}

void TestExporter::FillCount()
{
    CountRow count(kCount, "PAY", "Payroll", "E");
    count.extId = 3;
    InsertCount(*m_db, count, "Counts");
    m_db->exec("UPDATE Counts SET Old_VAF = 0.98, Notes = ?, VAF_2 = 5", {QStringLiteral("two\r\nlines")});
    // Added out of tag order: files and transactions go out by tag.
    FileRow bank(kCount, 9, "Bank", 7, "E", "M");
    bank.complexity = "2";
    bank.rets = 1;
    bank.dets = 60;
    InsertFile(*m_db, bank, "Files");
    FileRow staff(kCount, 4, "Staff", 10);
    staff.complexity = "2";
    staff.rets = 3;
    staff.dets = 25;
    staff.memo = "Main\tfile";
    InsertFile(*m_db, staff, "Files");
    TransRow pay(kCount, 8, "Payslip", 7, "O", "A", 2);
    pay.complexity = "3";
    pay.outputDets = 22;
    pay.outputFiles = 2;
    InsertTrans(*m_db, pay, "Trans");
    InsertTrans(*m_db, TransRow(kCount, 2, "Payroll run", 0, "G"), "Trans");
    // Links keep the order in which they were added.
    InsertLink(*m_db, LinkRow(kCount, 9, 8, "O"), "FilesLink");
    InsertLink(*m_db, LinkRow(kCount, 4, 8, "O"), "FilesLink");
}

QStringList TestExporter::Collect(ExportGroup group)
{
    ExportOptions o;
    o.group = group;
    o.countTotal = 17;
    return CollectExportLines(*m_db, o);
}

void TestExporter::groups_data()
{
    const QString count =
        R"("COUNT","Payroll","PAY","Enhancement",3,5,3,3,3,3,3,3,3,3,3,3,3,3,0.98,"U","two  lines",17,3,)";
    const QStringList files = {R"("FILES","Staff","Internal Logical","Add",25,3,4,"Main file","Average",10)",
                               R"("FILES","Bank","External Interface","Mod",60,1,9,"","Average",7)"};
    const QStringList trans = {R"("TRANS","Payroll run","Group","Add",0,0,2,0,"","Not Assigned",0,0,0)",
                               R"("TRANS","Payslip","External Output","Add",0,22,8,2,"","High",0,2,7)"};
    const QStringList links = {R"("LINKS",9,8,"O",)", R"("LINKS",4,8,"O",)"};
    QTest::addColumn<int>("group");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("all") << int(ExportGroup::All) << (QStringList{count} + files + trans + links);
    QTest::newRow("count") << int(ExportGroup::Count) << QStringList{count};
    QTest::newRow("files") << int(ExportGroup::Files) << files;
    QTest::newRow("transactions") << int(ExportGroup::Transactions) << trans;
    QTest::newRow("links") << int(ExportGroup::Links) << links;
}

void TestExporter::groups()
{
    QFETCH(int, group);
    QFETCH(QStringList, lines);
    FillCount();
    QCOMPARE(Collect(ExportGroup(group)), lines);
}

void TestExporter::countWithoutTransactions()
{
    FillCount();
    m_db->exec("DELETE FROM Trans");
    m_db->exec("DELETE FROM FilesLink");
    const QStringList lines = Collect(ExportGroup::All);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith(R"("COUNT",)"));
    QVERIFY(lines[1].startsWith(R"("FILES","Staff",)"));
    QVERIFY(lines[2].startsWith(R"("FILES","Bank",)"));
    QVERIFY(Collect(ExportGroup::Transactions).isEmpty());
}

void TestExporter::missingCountRow()
{
    // Nothing open: the count line cannot be made, and saying so beats a
    // file without it.
    QVERIFY_THROWS_EXCEPTION(StoreError, Collect(ExportGroup::All));
    QVERIFY(Collect(ExportGroup::Links).isEmpty());
}

void TestExporter::fileEndsEveryLine()
{
    const QString path = QDir(m_dir->path()).filePath("out.txt");
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(500, 'x'));
    }
    WriteInterchangeFile(path, {QStringLiteral("\"a\",1,"), QStringLiteral("\"Gehälter\""), QString()});
    QCOMPARE(ReadAll(path), QByteArray("\"a\",1,\r\n\"Geh\xC3\xA4lter\"\r\n\r\n"));
    WriteInterchangeFile(path, {});
    QCOMPARE(ReadAll(path), QByteArray());
}

void TestExporter::clipboardJoin()
{
    QCOMPARE(ClipboardText({"a", "b", "c"}), QStringLiteral("a\r\nb\r\nc"));
    QCOMPARE(ClipboardText({"only"}), QStringLiteral("only"));
    QCOMPARE(ClipboardText({}), QString());
}

void TestExporter::failedWriteKeepsFile()
{
    const QString path = QDir(m_dir->path()).filePath("kept.txt");
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("what was there\r\n");
    }
    const QStringList entries = QDir(m_dir->path()).entryList(QDir::Files);
    const QStringList lines(2000, QString(100, u'x'));
    {
        FileSizeLimit full(4096);
        QVERIFY(full.ok());
        QVERIFY_THROWS_EXCEPTION(FileError, WriteInterchangeFile(path, lines));
    }
    QCOMPARE(ReadAll(path), QByteArray("what was there\r\n"));
    // No half-written temporary file is left beside it.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), entries);
}

void TestExporter::unwritablePath()
{
    // A folder that is a file: nothing can be created there.
    const QString blocker = QDir(m_dir->path()).filePath("plain");
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    try {
        WriteInterchangeFile(blocker + "/out.txt", {"x"});
        QFAIL("no error raised");
    } catch (const FileError &e) {
        QVERIFY2(e.message().contains(QDir::toNativeSeparators(blocker + "/out.txt")), qPrintable(e.message()));
    }
    QCOMPARE(ReadAll(blocker), QByteArray());
}

QTEST_GUILESS_MAIN(TestExporter)
#include "test_exporter.moc"
