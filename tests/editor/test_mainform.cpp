#include "countfixture.h"
#include "editorfixture.h"
#include "modalwatch.h"

#include "editor/countpage.h"
#include "editor/editorcommands.h"
#include "editor/mainform.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"
#include "store/workingcopy.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using namespace qm;
using C = TEditorCommands;

namespace {

const QStringList kOpenSteps = {"Creating Temp Tables (Links)...", "Creating Temp Tables (Files)...",
                                "Creating Temp Tables (Trans)...", "Creating Temp Tables (Count)...",
                                "Loading Transactions...",          "Loading Files...",
                                "Loading Summary...",               ""};

QStringList texts(const QSignalSpy &spy)
{
    QStringList out;
    for (const QList<QVariant> &args : spy)
        out << args.at(0).toString();
    return out;
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loadStatusTexts_data();
    void loadStatusTexts();
    void titleAndReadOnlyState_data();
    void titleAndReadOnlyState();
    void markingReadOnlyWritesCatalogueAtOnce();
    void clearingReadOnlyAsksFirst_data();
    void clearingReadOnlyAsksFirst();
    void closingUnchangedCountStoresTotal();
    void closingDuringPauseIsRefused_data();
    void closingDuringPauseIsRefused();
    void closingNewCountAsks_data();
    void closingNewCountAsks();
    void refusedExitKeepsProgramRunning();
    void saveAsEnhancementRebuilds();
    void savedTotalFollowsTheSave();
    void commandsFollowPage_data();
    void commandsFollowPage();

private:
    void addPayroll(const QString &type = "B", const QString &status = "U");

    std::unique_ptr<test::EditorFixture> m_fx;
};

void TestMainForm::initTestCase()
{
    QVERIFY(test::HasRealFont());
}

void TestMainForm::init()
{
    m_fx = std::make_unique<test::EditorFixture>();
}

void TestMainForm::cleanup()
{
    if (m_fx)
        QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    m_fx.reset();
}

// Count 3, shown as C00000012 "Payroll": a group holding an input of 4 and
// an output of 5, and two files.
void TestMainForm::addPayroll(const QString &type, const QString &status)
{
    test::CountRow count(3, "PAY", "Payroll", type);
    count.extId = 12;
    count.status = status;
    test::InsertCount(m_fx->db(), count);
    test::InsertTrans(m_fx->db(), {3, 10, "Payments", 0, "G"});
    test::InsertTrans(m_fx->db(), {3, 11, "Add payment", 4, "I", "A", 10});
    test::InsertTrans(m_fx->db(), {3, 12, "Payment list", 5, "O", "A", 10});
    test::InsertFile(m_fx->db(), {3, 20, "Employees", 7});
    test::InsertFile(m_fx->db(), {3, 21, "Tax rates", 5, "E"});
}

void TestMainForm::loadStatusTexts_data()
{
    QTest::addColumn<bool>("newCount");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("saved count") << false << kOpenSteps;
    // A new count lives in the working tables already: nothing is copied.
    QTest::newRow("new count") << true << kOpenSteps.mid(4);
}

void TestMainForm::loadStatusTexts()
{
    QFETCH(bool, newCount);
    QFETCH(QStringList, expected);
    if (newCount) {
        m_fx->CreateNew("B");
    } else {
        addPayroll();
        m_fx->OpenSaved(3);
    }
    QSignalSpy spy(&m_fx->editor(), &TMainForm::StatusTextShown);
    QStringList shown;
    m_fx->Run([&] { shown = texts(spy); });
    QCOMPARE(shown, expected);
    QCOMPARE(m_fx->editor().statusPanel(0)->text(), QString());
}

void TestMainForm::titleAndReadOnlyState_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("changeTypesEditable");

    QTest::newRow("base") << "B" << "U" << "Quillmark - C00000012:Payroll" << false;
    QTest::newRow("enhancement") << "E" << "U" << "Quillmark - C00000012:Payroll" << true;
    QTest::newRow("read-only enhancement") << "E" << "R" << "Quillmark - C00000012:Payroll  (Read-Only)" << false;
}

void TestMainForm::titleAndReadOnlyState()
{
    QFETCH(QString, type);
    QFETCH(QString, status);
    QFETCH(QString, title);
    QFETCH(bool, changeTypesEditable);
    addPayroll(type, status);
    m_fx->OpenSaved(3);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        QCOMPARE(editor.windowTitle(), title);
        QCOMPARE(editor.transPage()->changeBox()->isEnabled(), changeTypesEditable);
        const bool readOnly = status == "R";
        QCOMPARE(editor.isReadOnly(), readOnly);
        QCOMPARE(editor.commands().action(C::ReadOnly)->isChecked(), readOnly);
        QCOMPARE(editor.transTbl().isReadOnly(), readOnly);
        QCOMPARE(editor.countPage()->nameEdit()->isReadOnly(), readOnly);
        QCOMPARE(editor.countPage()->characteristic(0)->isEnabled(), !readOnly);
        QCOMPARE(editor.transPage()->typeBox()->isEnabled(), !readOnly);
        QCOMPARE(editor.editorState().canInsertTrans, !readOnly);
        editor.close();
    });
    QVERIFY(m_fx->dialogs.prompts().isEmpty());
}

void TestMainForm::markingReadOnlyWritesCatalogueAtOnce()
{
    addPayroll();
    m_fx->OpenSaved(3);
    TMainForm &editor = m_fx->editor();
    const int result = m_fx->Run([&] {
        QVERIFY(!editor.commands().action(C::Save)->isEnabled());
        editor.commands().action(C::ReadOnly)->trigger();
        QCOMPARE(m_fx->Scalar("SELECT Status FROM CCounts WHERE Id = 3").toString(), QStringLiteral("R"));
        QCOMPARE(m_fx->state().changeCount, 1);
        QVERIFY(editor.commands().action(C::Save)->isEnabled());
        QVERIFY(!editor.commands().action(C::ReadOnly)->isEnabled());
        QVERIFY(editor.windowTitle().endsWith("  (Read-Only)"));
        QVERIFY(editor.transTbl().isReadOnly());
        editor.close();
    });
    QCOMPARE(result, 1);
    QVERIFY(!editor.isVisible());
    // A read-only count closes without asking.
    QVERIFY(m_fx->dialogs.prompts().isEmpty());
}

void TestMainForm::clearingReadOnlyAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("workingStatus");
    QTest::newRow("OK") << int(MessageAnswer::Ok) << "U";
    QTest::newRow("Cancel") << int(MessageAnswer::Cancel) << "R";
}

void TestMainForm::clearingReadOnlyAsksFirst()
{
    QFETCH(int, answer);
    QFETCH(QString, workingStatus);
    addPayroll("B", "R");
    m_fx->OpenSaved(3);
    m_fx->dialogs.queueAnswer(MessageAnswer(answer));
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        editor.commands().action(C::ReadOnly)->trigger();
        QCOMPARE(editor.countTbl().text("Status"), workingStatus);
        QCOMPARE(editor.commands().action(C::ReadOnly)->isChecked(), workingStatus == "R");
    });
    QCOMPARE(m_fx->dialogs.texts(),
             QStringList{"warning: Read-Only Counts are protected from accidental update, are you sure you want to "
                         "proceed ?"});
    // Lifting the protection reaches the catalogue only with a save.
    QCOMPARE(m_fx->Scalar("SELECT Status FROM CCounts WHERE Id = 3").toString(), QStringLiteral("R"));
}

void TestMainForm::closingUnchangedCountStoresTotal()
{
    addPayroll();
    m_fx->OpenSaved(3);
    m_fx->Run([&] { m_fx->editor().close(); });
    QVERIFY(m_fx->dialogs.prompts().isEmpty());
    // (4 + 5 + 7 + 5) x 1.07 = 22.47
    QCOMPARE(m_fx->Scalar("SELECT FP_Val FROM CCounts WHERE Id = 3").toInt(), 22);
    QVERIFY(m_fx->state().editorJustClosed);
    QVERIFY(!m_fx->editor().transTbl().isOpen());
}

void TestMainForm::closingDuringPauseIsRefused_data()
{
    QTest::addColumn<QString>("status");
    QTest::newRow("updatable") << "U";
    QTest::newRow("read-only") << "R";
}

void TestMainForm::closingDuringPauseIsRefused()
{
    QFETCH(QString, status);
    addPayroll("B", status);
    m_fx->OpenSaved(3);
    TMainForm &editor = m_fx->editor();
    editor.setLoadPause(1000);
    bool refused = false;
    const int result = m_fx->Run(
        [&] {
            QVERIFY(test::WaitUntil(
                [&] { return editor.pendingLoadStep() == TMainForm::LoadStep::BuildTransactions; }));
            refused = !editor.close();
            QVERIFY(editor.isVisible());
            QVERIFY(test::WaitUntil([&] { return editor.pendingLoadStep() == TMainForm::LoadStep::None; }));
            QVERIFY(editor.close());
        },
        false);
    QVERIFY(refused);
    QCOMPARE(result, 1);
}

void TestMainForm::closingNewCountAsks_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("savedCounts");
    QTest::newRow("Yes saves") << int(MessageAnswer::Yes) << true << 1;
    QTest::newRow("No leaves the catalogue alone") << int(MessageAnswer::No) << true << 0;
    QTest::newRow("Cancel keeps the editor") << int(MessageAnswer::Cancel) << false << 0;
}

void TestMainForm::closingNewCountAsks()
{
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(int, savedCounts);
    m_fx->CreateNew("E");
    m_fx->dialogs.queueAnswer(MessageAnswer(answer));
    bool closed = false;
    m_fx->Run([&] { closed = m_fx->editor().close(); });
    QCOMPARE(closed, closes);
    QCOMPARE(m_fx->dialogs.texts(), QStringList{"confirmation: Save Changes to Count?"});
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CCounts").toInt(), savedCounts);
    QCOMPARE(m_fx->state().newCount, answer != int(MessageAnswer::Yes));
}

void TestMainForm::refusedExitKeepsProgramRunning()
{
    m_fx->CreateNew("B");
    m_fx->dialogs.queueAnswer(MessageAnswer::Cancel);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        editor.commands().action(C::Exit)->trigger();
        QVERIFY(editor.isVisible());
        // Leaving the program was called off with the close.
        QVERIFY(!m_fx->state().exitRequested);
    });
}

void TestMainForm::saveAsEnhancementRebuilds()
{
    addPayroll("B");
    m_fx->db().exec("UPDATE CCounts SET FP_Val = 50 WHERE Id = 3");
    m_fx->OpenSaved(3);
    TMainForm &editor = m_fx->editor();
    editor.setAskNewCountName([] { return std::optional<QString>(QStringLiteral("Payroll project")); });
    m_fx->dialogs.queueAnswer(MessageAnswer::Yes);
    m_fx->Run([&] {
        editor.commands().action(C::SaveAsEnhancement)->trigger();
        // The trees are rebuilt as a load does, after the pause.
        QCOMPARE(editor.pendingLoadStep(), TMainForm::LoadStep::BuildTransactions);
        QVERIFY(test::WaitUntil([&] { return editor.pendingLoadStep() == TMainForm::LoadStep::None; }));
        QCOMPARE(m_fx->state().currentCountId, 4);
        QCOMPARE(editor.windowTitle(), QStringLiteral("Quillmark - C00000004:Payroll project"));
        QVERIFY(editor.transPage()->changeBox()->isEnabled());
        QVERIFY(!editor.commands().action(C::Save)->isEnabled());
        // Every item is carried over unchanged, so nothing counts; the
        // catalogue has the derived count's own figure, not its source's.
        QCOMPARE(editor.countPage()->Displays().totalAdjusted->text(), QStringLiteral("0"));
        QCOMPARE(m_fx->Scalar("SELECT FP_Val FROM CCounts WHERE Id = 4").toInt(), 0);
        editor.close();
    });
    QCOMPARE(m_fx->Scalar("SELECT Type || '/' || Copy_Count_Id || '/' || Old_VAF FROM CCounts WHERE Id = 4").toString(),
             QStringLiteral("E/3/1.07"));
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CCounts WHERE Id = 3").toInt(), 1);
}

void TestMainForm::savedTotalFollowsTheSave()
{
    addPayroll();
    m_fx->OpenSaved(3);
    TMainForm &editor = m_fx->editor();
    m_fx->dialogs.queueAnswer(MessageAnswer::No);
    m_fx->Run([&] {
        // Raising a characteristic lifts the total; the save stores it.
        QComboBox *first = editor.countPage()->characteristic(0);
        QTest::keyClick(first, Qt::Key_Down);
        QTest::keyClick(first, Qt::Key_Down);
        editor.countPage()->okButton()->click();
        editor.commands().action(C::Save)->trigger();
        // A later edit that the user throws away does not reach the total.
        QTest::keyClick(first, Qt::Key_Up);
        editor.countPage()->okButton()->click();
        editor.close();
    });
    QCOMPARE(m_fx->dialogs.texts(), QStringList{"confirmation: Save Changes to Count?"});
    // 21 x 1.09 = 22.89
    QCOMPARE(m_fx->Scalar("SELECT FP_Val FROM CCounts WHERE Id = 4").toInt(), 22);
    QCOMPARE(m_fx->Scalar("SELECT VAF_1 FROM CCounts WHERE Id = 4").toInt(), 5);
}

void TestMainForm::commandsFollowPage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("hierarchy");
    QTest::addColumn<bool>("next");
    QTest::addColumn<bool>("insertTrans");
    QTest::addColumn<bool>("insertFile");
    QTest::addColumn<bool>("modeButton");

    QTest::newRow("General") << int(TMainForm::GeneralPage) << false << false << false << false << true;
    QTest::newRow("Files") << int(TMainForm::FilesPage) << false << true << false << true << false;
    QTest::newRow("Transactions") << int(TMainForm::TransactionsPage) << true << true << true << false << true;
    QTest::newRow("Analyser") << int(TMainForm::AnalyserPage) << false << false << false << false << true;
}

void TestMainForm::commandsFollowPage()
{
    QFETCH(int, page);
    QFETCH(bool, hierarchy);
    QFETCH(bool, next);
    QFETCH(bool, insertTrans);
    QFETCH(bool, insertFile);
    QFETCH(bool, modeButton);
    addPayroll();
    m_fx->OpenSaved(3);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        editor.pageControl()->setCurrentIndex(page);
        TEditorCommands &c = editor.commands();
        QCOMPARE(c.action(C::ExpandAll)->isEnabled(), hierarchy);
        QCOMPARE(c.action(C::ToolNext)->isEnabled(), next);
        QVERIFY(!c.action(C::ToolPrevious)->isEnabled());
        // Commands whose work is not built yet stay off on every page.
        QCOMPARE(c.action(C::ToolInsertTrans)->isEnabled(), insertTrans && c.IsImplemented(C::ToolInsertTrans));
        QCOMPARE(c.action(C::ToolInsertFile)->isEnabled(), insertFile && c.IsImplemented(C::ToolInsertFile));
        QCOMPARE(c.summaryButton()->isEnabled(), modeButton);
        // The level button only matters in the breakdown mode.
        QVERIFY(!c.summaryLevelButton()->isEnabled());
        editor.SetSummaryMode(int(SummaryMode::Breakdown));
        QCOMPARE(c.summaryLevelButton()->isEnabled(), modeButton);
        editor.close();
    });
}

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
