#include "countfixture.h"
#include "editingdriver.h"
#include "editorfixture.h"

#include "editor/editing.h"
#include "editor/editorstate.h"
#include "editor/fileediting.h"
#include "editor/filespage.h"
#include "editor/mainform.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/apperror.h"
#include "store/database.h"
#include "editor/transediting.h"
#include "views/dblistview.h"
#include "views/dbtreeview.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QToolButton>
#include <QPushButton>
#include <QtTest>

using namespace qm;
using namespace qm::test;
using C = TEditorCommands;

namespace {

constexpr int kCount = 3;

} // namespace

class TestFileEditing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void complexityOfNewFile_data();
    void complexityOfNewFile();
    void upDownLimits();
    void unchangedBecomesModified_data();
    void unchangedBecomesModified();
    void deleteFile_data();
    void deleteFile();
    void failedUnlinkLeavesScreen();
    void markLinkedFileDeleted_data();
    void markLinkedFileDeleted();
    void linkedTransactionsList();
    void enterStoresTheRow_data();
    void enterStoresTheRow();

private:
    void addPayroll(const QString &type = "B", const QString &change = "A");
    QVariant stored(const QString &table, int tag, const QString &column);

    std::unique_ptr<EditorFixture> m_fx;
};

void TestFileEditing::initTestCase()
{
    QVERIFY(HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestFileEditing::init()
{
    m_fx = std::make_unique<EditorFixture>();
}

void TestFileEditing::cleanup()
{
    QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    m_fx.reset();
}

// Employees (internal, 2 RETs, 20 DETs: 10) is on both sides of Payment
// enquiry, Tax rates (external, 1 RET, 5 DETs: 5) on its output side;
// Archive has no links. The enquiry: input 1 file, 3 DETs (low), output
// 2 files, 20 DETs (high): 6.
void TestFileEditing::addPayroll(const QString &type, const QString &change)
{
    Database &db = m_fx->db();
    InsertCount(db, CountRow(kCount, "PAY", "Payroll", type));
    InsertTrans(db, {kCount, 10, "Payments", 0, "G", change});
    TransRow enquiry(kCount, 13, "Payment enquiry", 6, "Q", change, 10);
    enquiry.complexity = "3";
    enquiry.inputFiles = 1;
    enquiry.inputDets = 3;
    enquiry.outputFiles = 2;
    enquiry.outputDets = 20;
    InsertTrans(db, enquiry);
    FileRow employees(kCount, 20, "Employees", 10, "I", change);
    employees.rets = 2;
    employees.dets = 20;
    employees.complexity = "2";
    InsertFile(db, employees);
    FileRow rates(kCount, 21, "Tax rates", 5, "E", change);
    rates.rets = 1;
    rates.dets = 5;
    rates.complexity = "1";
    InsertFile(db, rates);
    InsertFile(db, {kCount, 22, "Archive", 0, "I", change});
    InsertLink(db, {kCount, 20, 13, "I"});
    InsertLink(db, {kCount, 20, 13, "O"});
    InsertLink(db, {kCount, 21, 13, "O"});
    m_fx->OpenSaved(kCount);
}

QVariant TestFileEditing::stored(const QString &table, int tag, const QString &column)
{
    return m_fx->Scalar(QStringLiteral("SELECT %1 FROM %2 WHERE Tag = ?").arg(column, table), {tag});
}

void TestFileEditing::complexityOfNewFile_data()
{
    QTest::addColumn<int>("typeIndex");
    QTest::addColumn<QString>("rets");
    QTest::addColumn<QString>("dets");
    QTest::addColumn<int>("cell");
    QTest::addColumn<QString>("complexity");
    QTest::addColumn<int>("fps");

    QTest::newRow("no DETs yet") << 0 << "3" << "0" << -1 << "0" << 0;
    QTest::newRow("1 RET, 1 DET: first cell") << 0 << "1" << "1" << 0 << "1" << 7;
    QTest::newRow("0 RETs rate as 1") << 0 << "0" << "10" << 0 << "1" << 7;
    QTest::newRow("2 RETs, 20 DETs") << 0 << "2" << "20" << 4 << "2" << 10;
    QTest::newRow("6 RETs, 20 DETs") << 0 << "6" << "20" << 5 << "3" << 15;
    QTest::newRow("external, 2 RETs, 20 DETs") << 1 << "2" << "20" << 4 << "2" << 7;
}

void TestFileEditing::complexityOfNewFile()
{
    QFETCH(int, typeIndex);
    QFETCH(QString, rets);
    QFETCH(QString, dets);
    QFETCH(int, cell);
    QFETCH(QString, complexity);
    QFETCH(int, fps);
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        TFilesPage *page = d.editor.filesPage();
        d.ShowFiles();
        d.Command(C::ToolInsertFile);
        QCOMPARE(d.editor.filesTbl().text("Complexity"), QString("0"));
        QCOMPARE(d.editor.filesTbl().floatValue("FP_Val"), 0.0);
        d.FileName("Payslips");
        d.FileType(typeIndex);
        d.FileCounts(rets, dets);
        QCOMPARE(page->matrixGroup()->checkedId(), cell);
        QCOMPARE(page->findChild<QLabel *>("FileFPText")->text(), QString::number(fps));
        d.FileOk();
        const int tag = d.File("Payslips")->info.key.toInt();
        QCOMPARE(stored("Files", tag, "Complexity").toString(), complexity);
        QCOMPARE(stored("Files", tag, "FP_Val").toInt(), fps);
        QCOMPARE(stored("Files", tag, "Change_Type").toString(), QString("A"));
        QCOMPARE(d.File("Payslips")->text(0), QString("Payslips {%1 FPs}").arg(fps));
        QCOMPARE(d.editor.editorState().nextFileType, typeIndex == 0 ? QString("I") : QString("E"));
    });
}

void TestFileEditing::upDownLimits()
{
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        TFilesPage *page = d.editor.filesPage();
        d.SelectFile("Tax rates");
        d.FileCounts("1", "98");
        auto *detUp = page->findChild<QToolButton *>("DetUpDownUp");
        auto *retDown = page->findChild<QToolButton *>("RetUpDownDown");
        for (int i = 0; i < 3; ++i) {
            d.Click(detUp);
            d.Click(retDown);
        }
        QCOMPARE(page->detEdit()->text(), QString("99"));
        QCOMPARE(page->retEdit()->text(), QString("0"));
        d.FileOk();
        QCOMPARE(stored("Files", 21, "DET_Count").toInt(), 99);
        QCOMPARE(stored("Files", 21, "RET_Count").toInt(), 0);
        QCOMPARE(stored("Files", 21, "FP_Val").toInt(), 7); // external, 1 RET, 51+ DETs: average
    });
}

void TestFileEditing::unchangedBecomesModified_data()
{
    QTest::addColumn<bool>("countsChanged");
    QTest::addColumn<int>("typeIndex"); // clicked after the name; -1: none
    QTest::addColumn<QString>("changeType");
    QTest::newRow("DETs changed") << true << -1 << "M";
    QTest::newRow("name changed") << false << -1 << "N";
    // The row is in its edit already: the click must not count as a change.
    QTest::newRow("name changed, its own type clicked") << false << 0 << "N";
    QTest::newRow("name and type changed") << false << 1 << "M";
}

void TestFileEditing::unchangedBecomesModified()
{
    QFETCH(bool, countsChanged);
    QFETCH(int, typeIndex);
    QFETCH(QString, changeType);
    addPayroll("E", "N");
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        d.SelectFile("Archive");
        QCOMPARE(d.File("Archive")->imageIndex(), 2); // greyed: unchanged in an enhancement
        d.FileName("Old archive");
        if (countsChanged)
            d.FileCounts("1", "4");
        if (typeIndex >= 0)
            d.FileType(typeIndex);
        QCOMPARE(d.editor.filesPage()->typeGroup()->checkedId(), std::max(typeIndex, 0));
        d.FileOk();
        QCOMPARE(stored("Files", 22, "Change_Type").toString(), changeType);
        QCOMPARE(stored("Files", 22, "Type").toString(), QString(typeIndex == 1 ? "E" : "I"));
        QCOMPARE(d.File("Old archive")->imageIndex(), (typeIndex == 1 ? 1 : 0) + (changeType == "N" ? 2 : 0));
    });
}

void TestFileEditing::deleteFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("answer"); // -1: nothing is asked
    QTest::newRow("linked file, OK") << "Employees" << int(MessageAnswer::Ok);
    QTest::newRow("linked file, Cancel") << "Employees" << int(MessageAnswer::Cancel);
    QTest::newRow("file without links") << "Archive" << -1;
}

void TestFileEditing::deleteFile()
{
    QFETCH(QString, name);
    QFETCH(int, answer);
    const bool linked = answer >= 0;
    const bool deleted = answer != int(MessageAnswer::Cancel);
    addPayroll();
    if (linked)
        m_fx->dialogs.queueAnswer(MessageAnswer(answer));
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        d.SelectFile(name);
        d.Command(C::ToolDeleteFile);
        QCOMPARE(m_fx->dialogs.texts(), linked ? QStringList{"warning: " + text::DeleteLinkedFile} : QStringList{});
        QCOMPARE(d.File(name) == nullptr, deleted);
        QCOMPARE(m_fx->state().changeCount > 0, deleted);
        // Employees goes from both sides; the DETs stay: input 0 files 3
        // DETs (low), output 1 file 20 DETs (average): the enquiry is 4.
        const bool recounted = linked && deleted;
        const QList<int> counts = {stored("Trans", 13, "Input_File_Count").toInt(),
                                   stored("Trans", 13, "Input_Det_Count").toInt(),
                                   stored("Trans", 13, "Output_File_Count").toInt(),
                                   stored("Trans", 13, "Output_Det_Count").toInt()};
        const QList<int> expected = recounted ? QList<int>{0, 3, 1, 20} : QList<int>{1, 3, 2, 20};
        QCOMPARE(counts, expected);
        QCOMPARE(d.Trans("Payments")->info.value, qint64(recounted ? 4 : 6));
        QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM FilesLink WHERE File_Tag = 20").toInt(), recounted ? 0 : 2);
    });
}

// Another reader of the database keeps the commit of the unlink from
// taking: the screen must go on showing what the database holds.
void TestFileEditing::failedUnlinkLeavesScreen()
{
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        d.SelectFile("Employees");
        const QString reader = QStringLiteral("reader");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), reader);
            other.setDatabaseName(m_fx->db().filePath());
            QVERIFY(other.open());
            QSqlQuery read(other);
            QVERIFY(read.exec(QStringLiteral("BEGIN")));
            QVERIFY(read.exec(QStringLiteral("SELECT COUNT(*) FROM Trans")) && read.next());
            // Give up on the lock at once rather than after the usual wait.
            m_fx->db().exec(QStringLiteral("PRAGMA busy_timeout = 0"));
            QVERIFY_THROWS_EXCEPTION(StoreError, d.editing.transactions().UnlinkFile(20));
            QVERIFY(read.exec(QStringLiteral("ROLLBACK")));
        }
        QSqlDatabase::removeDatabase(reader);
        QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM FilesLink WHERE File_Tag = 20").toInt(), 2);
        QCOMPARE(stored("Trans", 13, "FP_Val").toInt(), 6);
        QCOMPARE(d.Trans("Payment enquiry")->info.value, qint64(6));
        QCOMPARE(d.Trans("Payments")->info.value, qint64(6));
        QCOMPARE(m_fx->state().changeCount, 0);
    });
}

void TestFileEditing::markLinkedFileDeleted_data()
{
    QTest::addColumn<bool>("newFile");
    QTest::addColumn<int>("answer");
    QTest::newRow("new file") << true << -1;
    QTest::newRow("linked file, OK") << false << int(MessageAnswer::Ok);
    QTest::newRow("linked file, Cancel") << false << int(MessageAnswer::Cancel);
}

void TestFileEditing::markLinkedFileDeleted()
{
    QFETCH(bool, newFile);
    QFETCH(int, answer);
    addPayroll("E");
    if (answer >= 0)
        m_fx->dialogs.queueAnswer(MessageAnswer(answer));
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        TFilesPage *page = d.editor.filesPage();
        if (newFile) {
            d.ShowFiles();
            d.Command(C::ToolInsertFile);
            d.FileName("Temporary");
        } else {
            d.SelectFile("Employees");
        }
        d.Click(page->changeGroup()->button(2)); // "Del."
        d.FileOk();
        const bool stored = answer != int(MessageAnswer::Cancel);
        QCOMPARE(d.editor.filesTbl().isEditing(), !stored);
        if (newFile)
            return;
        QCOMPARE(m_fx->dialogs.texts(), QStringList{"warning: " + text::MarkLinkedFileDeleted});
        QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM FilesLink WHERE File_Tag = 20").toInt(), stored ? 0 : 2);
        if (!stored)
            return;
        QCOMPARE(this->stored("Files", 20, "Change_Type").toString(), QString("D"));
        QCOMPARE(this->stored("Trans", 13, "FP_Val").toInt(), 4);
        // Stored again: the links are gone already, nothing is asked.
        d.FileName("Employees (old)");
        d.FileOk();
        QCOMPARE(m_fx->dialogs.prompts().size(), 1);
    });
    if (newFile)
        QVERIFY(m_fx->dialogs.prompts().isEmpty());
}

void TestFileEditing::linkedTransactionsList()
{
    addPayroll("E", "N");
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        TFilesPage *page = d.editor.filesPage();
        d.SelectFile("Employees");
        page->panelTabs()->setCurrentWidget(page->transactionsTab());
        TDBListView *list = page->linkedTransactions();
        // One row per link: the enquiry uses the file on both sides.
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(0), QString("Payment enquiry"));
        QCOMPARE(list->topLevelItem(0)->text(1), QString("None"));
        QCOMPARE(TDBListView::ItemOf(list->topLevelItem(0))->imageIndex(), 6);
        d.SelectFile("Archive");
        QCOMPARE(list->topLevelItemCount(), 0);
    });
}

void TestFileEditing::enterStoresTheRow_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("name") << "name";
    QTest::newRow("RETs") << "rets";
    QTest::newRow("DETs") << "dets";
}

// Enter in a box of the panel stores the row as "OK" does.
void TestFileEditing::enterStoresTheRow()
{
    QFETCH(QString, box);
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        TFilesPage *page = d.editor.filesPage();
        d.ShowFiles();
        d.Command(C::ToolInsertFile);
        d.FileName("Payslips");
        d.FileCounts("2", "25");
        QVERIFY(page->okButton()->isEnabled());
        QLineEdit *edit = box == "name" ? page->nameEdit() : box == "rets" ? page->retEdit() : page->detEdit();
        if (box == "name")
            page->ShowGeneralTab();
        QTest::keyClick(edit, Qt::Key_Return);
        QVERIFY(!page->okButton()->isEnabled());
        QVERIFY(!d.editor.filesTbl().isEditing());
        const int tag = d.File("Payslips")->info.key.toInt();
        QCOMPARE(stored("Files", tag, "RET_Count").toInt(), 2);
        QCOMPARE(stored("Files", tag, "DET_Count").toInt(), 25);
    });
}

QTEST_MAIN(TestFileEditing)
#include "test_fileediting.moc"
