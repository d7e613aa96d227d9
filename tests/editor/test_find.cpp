#include "countfixture.h"
#include "editingdriver.h"
#include "editorfixture.h"
#include "modalwatch.h"

#include "analysis/findform.h"
#include "editor/editorcommands.h"
#include "editor/filespage.h"
#include "editor/mainform.h"
#include "editor/transpage.h"
#include "views/dbtreeview.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

using namespace qm;
using C = TEditorCommands;

class TestFind : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void findNext_data();
    void findNext();
    void dialogSearchesOnFindNext();
    void pastedSearchText_data();
    void pastedSearchText();
    void findButtonFollowsText_data();
    void findButtonFollowsText();
    void menuStateFollowsPage_data();
    void menuStateFollowsPage();

private:
    void addPayroll();
    TDBTreeView *tree(int page) const;

    std::unique_ptr<test::EditorFixture> m_fx;
};

void TestFind::initTestCase()
{
    QVERIFY(test::HasRealFont());
}

void TestFind::init()
{
    m_fx = std::make_unique<test::EditorFixture>();
}

void TestFind::cleanup()
{
    if (m_fx)
        QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    m_fx.reset();
}

// In tree order: Payroll {12 FPs}, Add payment, Payment list, Reports
// {3 FPs} (collapsed), Monthly payroll run; files Employees, Payroll archive.
void TestFind::addPayroll()
{
    Database &db = m_fx->db();
    test::InsertCount(db, {3, "PAY", "Payroll"});
    test::InsertTrans(db, {3, 10, "Payroll", 0, "G"});
    test::InsertTrans(db, {3, 11, "Add payment", 4, "I", "A", 10});
    test::InsertTrans(db, {3, 12, "Payment list", 5, "O", "A", 10});
    test::InsertTrans(db, {3, 13, "Reports", 0, "G"});
    test::InsertTrans(db, {3, 14, "Monthly payroll run", 3, "O", "A", 13});
    test::InsertFile(db, {3, 20, "Employees", 7});
    test::InsertFile(db, {3, 21, "Payroll archive", 5, "E"});
}

TDBTreeView *TestFind::tree(int page) const
{
    return page == TMainForm::FilesPage ? m_fx->editor().filesPage()->tree() : m_fx->editor().transPage()->tree();
}

void TestFind::findNext_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("up");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QString>("selected"); // afterwards
    QTest::addColumn<QStringList>("messages");

    const int trans = TMainForm::TransactionsPage;
    QTest::newRow("any case") << trans << "Reports" << "payroll" << true << false << "Payroll" << QStringList{};
    QTest::newRow("match case") << trans << "Reports" << "payroll" << true << true << "Reports"
                                << QStringList{"information: Search String:payroll not found"};
    // Every node carries the units: the next one down is found.
    QTest::newRow("units text") << trans << "Payroll" << "FPs" << false << false << "Add payment" << QStringList{};
    QTest::newRow("no wrap from the last node")
        << trans << "Monthly payroll run" << "Pay" << false << false << "Monthly payroll run"
        << QStringList{"information: Search String:Pay not found"};
    QTest::newRow("blanks only") << trans << "Payroll" << "   " << false << false << "Payroll" << QStringList{};
    QTest::newRow("inside a collapsed group, blanks dropped")
        << trans << "Payroll" << "  monthly " << false << false << "Monthly payroll run" << QStringList{};
    QTest::newRow("file tree") << int(TMainForm::FilesPage) << "Employees" << "ARCHIVE" << false << false
                               << "Payroll archive" << QStringList{};
    QTest::newRow("General page") << int(TMainForm::GeneralPage) << "Payroll" << "Add" << false << false << "Payroll"
                                  << QStringList{};
}

void TestFind::findNext()
{
    QFETCH(int, page);
    QFETCH(QString, start);
    QFETCH(QString, text);
    QFETCH(bool, up);
    QFETCH(bool, matchCase);
    QFETCH(QString, selected);
    QFETCH(QStringList, messages);
    addPayroll();
    m_fx->OpenSaved(3);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        editor.pageControl()->setCurrentIndex(page);
        TDBTreeView *view = tree(page);
        view->collapseAll();
        view->SelectNode(test::EditingDriver::Node(view, start));
        TFindForm *form = editor.findForm();
        form->findEdit()->setText(text);
        (up ? form->upButton() : form->downButton())->setChecked(true);
        form->matchCaseBox()->setChecked(matchCase);
        // "&Repeat Find" searches with what the dialog holds, unseen.
        editor.commands().action(C::RepeatFind)->trigger();
        QCOMPARE(m_fx->dialogs.texts(), messages);
        QVERIFY(view->SelectedNode());
        QCOMPARE(view->SelectedNode()->info.name, selected);
        // What is found is shown, collapsed group or not.
        for (QTreeWidgetItem *upper = view->SelectedNode()->parent(); upper; upper = upper->parent())
            QVERIFY(upper->isExpanded());
    });
}

void TestFind::dialogSearchesOnFindNext()
{
    addPayroll();
    m_fx->OpenSaved(3);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        editor.pageControl()->setCurrentIndex(TMainForm::TransactionsPage);
        TDBTreeView *view = tree(TMainForm::TransactionsPage);
        view->SelectNode(test::EditingDriver::Node(view, "Payroll"));
        QWidget *focused = nullptr;
        auto watch = test::ModalWatch::Start(
            [&focused](QWidget *modal) {
                focused = modal->focusWidget();
                QTest::keyClicks(modal->findChild<QLineEdit *>("FindEdit"), "list");
                modal->findChild<QPushButton *>("FindButton")->click();
            },
            "TFindForm");
        editor.commands().action(C::Find)->trigger();
        QVERIFY(watch->fired());
        QCOMPARE(focused, static_cast<QWidget *>(editor.findForm()->findEdit()));
        QCOMPARE(view->SelectedNode()->info.name, QString("Payment list"));
        // "Cancel" searches nothing.
        watch = test::ModalWatch::Start([](QWidget *modal) { modal->findChild<QPushButton *>("ButtonCancel")->click(); },
                                        "TFindForm");
        editor.commands().action(C::Find)->trigger();
        QVERIFY(watch->fired());
        QCOMPARE(view->SelectedNode()->info.name, QString("Payment list"));
    });
}

void TestFind::pastedSearchText_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("line break inside") << "Payment\nlist" << "Payment list" << "Payment list" << QStringList{};
    QTest::newRow("line end after") << "Reports\r\n" << "Reports " << "Reports" << QStringList{};
    const QString tooLong = QString(TFindForm::kMaxSearchLength, 'x');
    QTest::newRow("past the width") << tooLong + "yyy" << tooLong << "Payroll"
                                    << QStringList{"information: Search String:" + tooLong + " not found"};
}

// Pasted text is one line, no longer than the box: what the box shows is
// what is searched for.
void TestFind::pastedSearchText()
{
    QFETCH(QString, input);
    QFETCH(QString, shown);
    QFETCH(QString, selected);
    QFETCH(QStringList, messages);
    addPayroll();
    m_fx->OpenSaved(3);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        editor.pageControl()->setCurrentIndex(TMainForm::TransactionsPage);
        TDBTreeView *view = tree(TMainForm::TransactionsPage);
        view->SelectNode(test::EditingDriver::Node(view, "Payroll"));
        auto watch = test::ModalWatch::Start(
            [&input](QWidget *modal) {
                auto *edit = modal->findChild<QLineEdit *>("FindEdit");
                QGuiApplication::clipboard()->setText(input);
                edit->selectAll();
                QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
                modal->findChild<QPushButton *>("FindButton")->click();
            },
            "TFindForm");
        editor.commands().action(C::Find)->trigger();
        QVERIFY(watch->fired());
        QCOMPARE(editor.findForm()->findEdit()->text(), shown);
        QCOMPARE(editor.findForm()->searchText(), shown);
        QCOMPARE(m_fx->dialogs.texts(), messages);
        QCOMPARE(view->SelectedNode()->info.name, selected);
    });
}

void TestFind::findButtonFollowsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blanks") << "   " << true;
    QTest::newRow("word") << "pay" << true;
}

void TestFind::findButtonFollowsText()
{
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    TFindForm form;
    QVERIFY(!form.findButton()->isEnabled());
    QVERIFY(form.downButton()->isChecked());
    QVERIFY(!form.matchCaseBox()->isChecked());
    form.findEdit()->setText("x");
    form.findEdit()->setText(text);
    QCOMPARE(form.findButton()->isEnabled(), enabled);
    QCOMPARE(form.findButton()->isDefault(), enabled);
}

void TestFind::menuStateFollowsPage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("find");
    QTest::addColumn<bool>("repeat");
    QTest::newRow("General") << int(TMainForm::GeneralPage) << "pay" << false << false;
    QTest::newRow("Analyser") << int(TMainForm::AnalyserPage) << "pay" << false << false;
    QTest::newRow("Transactions") << int(TMainForm::TransactionsPage) << "pay" << true << true;
    QTest::newRow("Files, blanks") << int(TMainForm::FilesPage) << "  " << true << false;
}

void TestFind::menuStateFollowsPage()
{
    QFETCH(int, page);
    QFETCH(QString, text);
    QFETCH(bool, find);
    QFETCH(bool, repeat);
    addPayroll();
    m_fx->OpenSaved(3);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        editor.findForm()->findEdit()->setText(text);
        editor.pageControl()->setCurrentIndex(page);
        QMenu *search = editor.commands().menu("&Search");
        emit search->aboutToShow();
        QCOMPARE(editor.commands().action(C::Find)->isEnabled(), find);
        QCOMPARE(editor.commands().action(C::RepeatFind)->isEnabled(), repeat);
        // The shortcut follows the command: with it off, Ctrl+F opens nothing.
        if (!find) {
            auto watch = test::ModalWatch::Start([](QWidget *modal) { modal->close(); }, "TFindForm", 300);
            QTest::keySequence(&editor, QKeySequence(Qt::CTRL | Qt::Key_F));
            QTest::qWait(350);
            QVERIFY(!watch->fired());
        }
    });
}

QTEST_MAIN(TestFind)
#include "test_find.moc"
