#include "countfixture.h"
#include "editingdriver.h"
#include "editorfixture.h"
#include "modalwatch.h"

#include "editor/editing.h"
#include "editor/editorstate.h"
#include "editor/mainform.h"
#include "editor/transediting.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"
#include "views/dbtreeview.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

using namespace qm;
using namespace qm::test;
using C = TEditorCommands;

namespace {

constexpr int kCount = 3;

} // namespace

class TestTransEditing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void complexityOfNewTransactionBeforeOk();
    void controlsKeepTheirPlaces();

    void ownerOfNewTransaction_data();
    void ownerOfNewTransaction();
    void nextTypeFollowsStores();
    void typeChangeDropsLinks_data();
    void typeChangeDropsLinks();
    void groupWithChildKeepsType_data();
    void groupWithChildKeepsType();
    void blankNameKeepsSelection_data();
    void blankNameKeepsSelection();
    void deleteRules_data();
    void deleteRules();
    void deletingLastLeavesNoRow();
    void unchangedItemsInEnhancement();
    void typeClickedAgain_data();
    void typeClickedAgain();
    void panelFollowsType_data();
    void panelFollowsType();

private:
    void addPayroll(const QString &type = "B", const QString &change = "A");
    void addHiddenChild(int owner);
    QStringList links(int tag);
    QVariant stored(int tag, const QString &column);

    std::unique_ptr<EditorFixture> m_fx;
};

void TestTransEditing::initTestCase()
{
    QVERIFY(HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestTransEditing::init()
{
    m_fx = std::make_unique<EditorFixture>();
}

void TestTransEditing::cleanup()
{
    QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    m_fx.reset();
}

// Payments (group): Add payment (input, 4), Payment list (output, 5),
// Payment enquiry (inquiry, 4, Employees in, Tax rates out), Reports (empty
// group). Setup: an empty top-level group.
void TestTransEditing::addPayroll(const QString &type, const QString &change)
{
    Database &db = m_fx->db();
    InsertCount(db, CountRow(kCount, "PAY", "Payroll", type));
    InsertTrans(db, {kCount, 10, "Payments", 0, "G", change});
    InsertTrans(db, {kCount, 11, "Add payment", 4, "I", change, 10});
    InsertTrans(db, {kCount, 12, "Payment list", 5, "O", change, 10});
    TransRow enquiry(kCount, 13, "Payment enquiry", 4, "Q", change, 10);
    enquiry.complexity = "2";
    enquiry.inputFiles = 1;
    enquiry.inputDets = 3;
    enquiry.outputFiles = 1;
    enquiry.outputDets = 20;
    InsertTrans(db, enquiry);
    InsertTrans(db, {kCount, 14, "Reports", 0, "G", change, 10});
    InsertTrans(db, {kCount, 15, "Setup", 0, "G", change});
    InsertFile(db, {kCount, 20, "Employees", 7});
    InsertFile(db, {kCount, 21, "Tax rates", 5, "E"});
    InsertLink(db, {kCount, 20, 13, "I"});
    InsertLink(db, {kCount, 21, 13, "O"});
    m_fx->OpenSaved(kCount);
}

// A child the tree does not show, as a filter would leave it.
void TestTransEditing::addHiddenChild(int owner)
{
    m_fx->db().exec("INSERT INTO Trans (Count_Id, Tag, Description, FP_Val, Complexity, Type, Change_Type, "
                    "Owner_Tag) VALUES (?, 99, 'Hidden', 0, '0', 'I', 'A', ?)",
                    {kCount, owner});
}

QStringList TestTransEditing::links(int tag)
{
    QSqlQuery q = m_fx->db().exec(
        "SELECT File_Tag || Input_Output_Flag FROM FilesLink WHERE Trans_Tag = ? ORDER BY 1", {tag});
    QStringList out;
    while (q.next())
        out << q.value(0).toString();
    return out;
}

QVariant TestTransEditing::stored(int tag, const QString &column)
{
    return m_fx->Scalar(QStringLiteral("SELECT %1 FROM Trans WHERE Tag = ?").arg(column), {tag});
}

void TestTransEditing::ownerOfNewTransaction_data()
{
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("child");
    QTest::addColumn<int>("owner"); // -1: nothing happens
    QTest::addColumn<QString>("type");

    QTest::newRow("nothing selected, insert") << "" << false << 0 << "G";
    QTest::newRow("nothing selected, insert child") << "" << true << 0 << "G";
    QTest::newRow("top-level group, insert") << "Setup" << false << 0 << "G";
    QTest::newRow("top-level group, insert child") << "Setup" << true << 15 << "I";
    QTest::newRow("input in a group, insert") << "Add payment" << false << 10 << "I";
    QTest::newRow("input, insert child") << "Add payment" << true << -1 << "";
}

void TestTransEditing::ownerOfNewTransaction()
{
    QFETCH(QString, selected);
    QFETCH(bool, child);
    QFETCH(int, owner);
    QFETCH(QString, type);
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        d.ShowTransactions();
        if (selected.isEmpty())
            d.transTree()->SelectNode(nullptr);
        else
            d.SelectTrans(selected);
        // The menu items run whatever the toolbar allows.
        d.Command(child ? C::MenuInsertChild : C::MenuInsertTrans);
        TableCursor &trans = d.editor.transTbl();
        if (owner < 0) {
            QCOMPARE(trans.state(), CursorState::Browse);
            QVERIFY(!d.transTree()->UncommittedNode());
            return;
        }
        QCOMPARE(trans.state(), CursorState::Insert);
        QCOMPARE(int(trans.intValue("Owner_Tag")), owner);
        QCOMPARE(trans.text("Type"), type);
        TTreeNode *placeholder = d.transTree()->UncommittedNode();
        QVERIFY(placeholder);
        QCOMPARE(placeholder->parentNode() ? placeholder->parentNode()->info.key.toInt() : 0, owner);
        QCOMPARE(d.transTree()->SelectedNode(), placeholder);

        d.TransName("Loan repayment");
        QCOMPARE(placeholder->text(0), QString("Loan repayment")); // the node follows the typing
        d.TransOk();
        const int tag = d.editor.editorState().currentTransTag;
        QCOMPARE(stored(tag, "Owner_Tag").toInt(), owner);
        QCOMPARE(stored(tag, "Type").toString(), type);
        QCOMPARE(m_fx->state().changeCount, 1);
    });
}

void TestTransEditing::nextTypeFollowsStores()
{
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        d.SelectTrans("Setup");
        d.NewTrans(C::MenuInsertChild, "Payslip", 1);
        QCOMPARE(d.editor.editorState().nextTransType, QString("O"));
        d.Command(C::MenuInsertTrans); // a sibling of the new output
        QCOMPARE(d.editor.transTbl().text("Type"), QString("O"));
        d.Click(d.editor.transPage()->cancelButton());

        d.SelectTrans("Add payment");
        d.TransName("Add payments");
        d.TransOk();
        d.Command(C::MenuInsertTrans);
        QCOMPARE(d.editor.transTbl().text("Type"), QString("I"));
        d.Click(d.editor.transPage()->cancelButton());
        QCOMPARE(d.editor.transTbl().state(), CursorState::Browse);
        QVERIFY(!d.transTree()->UncommittedNode());
    });
}

void TestTransEditing::typeChangeDropsLinks_data()
{
    QTest::addColumn<int>("typeIndex");
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<QList<int>>("counts"); // input files, DETs, output files, DETs
    QTest::addColumn<QString>("complexity");
    QTest::addColumn<int>("fps");

    QTest::newRow("inquiry to input") << 0 << QStringList{"20I"} << QList<int>{1, 3, 0, 0} << "1" << 3;
    QTest::newRow("inquiry to output") << 1 << QStringList{"21O"} << QList<int>{0, 0, 1, 20} << "2" << 5;
    QTest::newRow("inquiry to group") << 3 << QStringList{} << QList<int>{0, 0, 0, 0} << "0" << 0;
}

void TestTransEditing::typeChangeDropsLinks()
{
    QFETCH(int, typeIndex);
    QFETCH(QStringList, links);
    QFETCH(QList<int>, counts);
    QFETCH(QString, complexity);
    QFETCH(int, fps);
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        d.SelectTrans("Payment enquiry");
        d.TransType(typeIndex);
        QCOMPARE(d.transTree()->SelectedNode()->imageIndex(), typeIndex);
        d.TransOk();
        QCOMPARE(this->links(13), links);
        const QList<int> now = {stored(13, "Input_File_Count").toInt(), stored(13, "Input_Det_Count").toInt(),
                                stored(13, "Output_File_Count").toInt(), stored(13, "Output_Det_Count").toInt()};
        QCOMPARE(now, counts);
        QCOMPARE(stored(13, "Complexity").toString(), complexity);
        QCOMPARE(stored(13, "FP_Val").toInt(), fps);
        // The group above follows: 4 + 5 + the new value.
        QCOMPARE(d.Trans("Payments")->info.value, qint64(9 + fps));
    });
}

void TestTransEditing::groupWithChildKeepsType_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("child in the tree") << "Payments" << false;
    QTest::newRow("child hidden by a filter") << "Setup" << true;
}

void TestTransEditing::groupWithChildKeepsType()
{
    QFETCH(QString, group);
    QFETCH(bool, hidden);
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        if (hidden)
            addHiddenChild(15);
        d.SelectTrans(group);
        d.TransType(0);
        d.TransOk();
        QCOMPARE(m_fx->dialogs.texts(), QStringList{"error: " + text::GroupHasChildren});
        QCOMPARE(d.editor.transTbl().state(), CursorState::Edit);
        d.Click(d.editor.transPage()->cancelButton());
        QCOMPARE(d.Trans(group)->info.type, QString("G"));
        QCOMPARE(d.Trans(group)->imageIndex(), 3);
    });
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM Trans WHERE Type = 'G'").toInt(), 3);
}

void TestTransEditing::blankNameKeepsSelection_data()
{
    QTest::addColumn<bool>("inserting");
    QTest::newRow("editing a row") << false;
    QTest::newRow("inserting a row") << true;
}

void TestTransEditing::blankNameKeepsSelection()
{
    QFETCH(bool, inserting);
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        d.SelectTrans("Add payment");
        if (inserting)
            d.Command(C::MenuInsertTrans);
        d.TransName("  ");
        QTreeWidgetItem *kept = d.transTree()->SelectedNode();
        d.ClickNode(d.transTree(), d.Trans("Payment list"));
        QCOMPARE(m_fx->dialogs.texts(), QStringList{"error: " + text::TransNameRequired});
        QCOMPARE(d.transTree()->SelectedNode(), kept);
        QVERIFY(d.editor.transTbl().isEditing());

        d.TransName("Refund");
        d.ClickNode(d.transTree(), d.Trans("Payment list"));
        QCOMPARE(d.transTree()->SelectedNode(), d.Trans("Payment list"));
        QCOMPARE(d.editor.transTbl().text("Description"), QString("Payment list"));
        QVERIFY(d.Trans("Refund"));
    });
    QCOMPARE(m_fx->dialogs.prompts().size(), 1);
}

void TestTransEditing::deleteRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("hiddenChild");
    QTest::addColumn<QString>("message");

    QTest::newRow("group with a child") << "Payments" << false << text::DeleteChildrenFirst;
    QTest::newRow("group with a hidden child") << "Setup" << true << text::HiddenChildren;
    QTest::newRow("linked inquiry") << "Payment enquiry" << false << "";
}

void TestTransEditing::deleteRules()
{
    QFETCH(QString, name);
    QFETCH(bool, hiddenChild);
    QFETCH(QString, message);
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        if (hiddenChild)
            addHiddenChild(15);
        d.SelectTrans(name);
        QTreeWidgetItem *above = d.transTree()->itemAbove(d.Trans(name));
        d.Command(C::ToolDeleteTrans);
        const bool deleted = message.isEmpty();
        QCOMPARE(m_fx->dialogs.texts(), deleted ? QStringList{} : QStringList{"error: " + message});
        QCOMPARE(d.Trans(name) == nullptr, deleted);
        QCOMPARE(m_fx->state().changeCount, deleted ? 1 : 0);
        if (deleted) {
            QCOMPARE(links(13), QStringList{});
            QVERIFY(!stored(13, "Tag").isValid());
            QCOMPARE(d.Trans("Payments")->info.value, qint64(9));
            QCOMPARE(d.transTree()->SelectedNode(), above);
        }
    });
}

void TestTransEditing::deletingLastLeavesNoRow()
{
    m_fx->CreateNew("B");
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        d.NewTrans(C::ToolInsertTrans, "Only group", 3);
        QCOMPARE(d.transTree()->topLevelItemCount(), 1);
        d.Command(C::ToolDeleteTrans);
        QCOMPARE(d.transTree()->topLevelItemCount(), 0);
        QVERIFY(d.editor.transTbl().isFiltered());
        QCOMPARE(d.editor.transPage()->nameEdit()->text(), QString());
        // A first group can still be made.
        QVERIFY(d.editor.editorState().canInsertChild);
    });
}

void TestTransEditing::unchangedItemsInEnhancement()
{
    addPayroll("E", "N");
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        d.ShowTransactions();
        QCOMPARE(d.Trans("Add payment")->imageIndex(), 4);
        QCOMPARE(d.Trans("Reports")->imageIndex(), 7);
        d.SelectTrans("Add payment");
        d.TransType(1);
        QCOMPARE(d.editor.transTbl().text("Change_Type"), QString("M"));
        d.TransOk();
        QCOMPARE(stored(11, "Change_Type").toString(), QString("M"));
        QCOMPARE(d.Trans("Add payment")->imageIndex(), 1);

        // A new transaction is added, whatever the count.
        d.SelectTrans("Setup");
        d.NewTrans(C::MenuInsertChild, "New entry", 0);
        QCOMPARE(d.editor.transTbl().text("Change_Type"), QString("A"));
        // A right click on the comments starts an edit.
        QPlainTextEdit *memo = d.editor.transPage()->memo();
        d.editor.transPage()->panelTabs()->setCurrentWidget(d.editor.transPage()->commentsTab());
        QTest::mouseClick(memo->viewport(), Qt::RightButton);
        QCOMPARE(d.editor.transTbl().state(), CursorState::Edit);
        d.Click(d.editor.transPage()->cancelButton());
    });
}

// A new row starts as a group; once its type is chosen, "Change..." opens
// the complexity dialog at once, storing the row first, without "OK".
void TestTransEditing::complexityOfNewTransactionBeforeOk()
{
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        d.SelectTrans("Payments");
        d.ShowTransactions();
        d.Command(C::MenuInsertChild);
        d.TransName("Add employee");
        // Chosen by keyboard, as the mouse would store other things first.
        QAbstractButton *input = d.editor.transPage()->typeGroup()->button(0);
        input->setFocus();
        QTest::keyClick(input, Qt::Key_Space);
        QVERIFY(input->isChecked());
        QVERIFY(d.editor.transTbl().isEditing());
        bool opened = false;
        auto watch = ModalWatch::Start([&opened](QWidget *modal) {
            opened = true;
            modal->close();
        }, QStringLiteral("TFormAddIt"));
        d.Click(d.editor.transPage()->complexityButton());
        QVERIFY(watch->fired());
        QVERIFY(opened);
        QVERIFY(!d.editor.transTbl().isEditing());
        QCOMPARE(m_fx->Scalar("SELECT Type FROM Trans WHERE Description = 'Add employee'").toString(), QString("I"));
    });
}

// Moving between a group and a transaction moves no control of the panel,
// and the panel keeps its width.
void TestTransEditing::controlsKeepTheirPlaces()
{
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        TTransPage *page = d.editor.transPage();
        const auto places = [&] {
            QList<QRect> rects;
            QWidget *panel = page->panelTabs()->window();
            for (QWidget *w : QList<QWidget *>{page->nameEdit(), page->typeGroup()->button(0),
                                               page->typeGroup()->button(3), page->okButton(),
                                               page->cancelButton()})
                rects << QRect(w->mapTo(panel, QPoint(0, 0)), w->size());
            rects << QRect(QPoint(), page->panelTabs()->size());
            return rects;
        };
        d.SelectTrans("Payments");
        QCoreApplication::processEvents();
        const QList<QRect> group = places();
        d.SelectTrans("Add payment");
        QCoreApplication::processEvents();
        QVERIFY(page->changeBox()->isVisible());
        QCOMPARE(places(), group);
        d.SelectTrans("Payments");
        QCoreApplication::processEvents();
        QVERIFY(!page->changeBox()->isVisible());
        QCOMPARE(places(), group);
    });
}

void TestTransEditing::typeClickedAgain_data()
{
    QTest::addColumn<bool>("renamed");
    QTest::addColumn<int>("typeIndex");
    QTest::addColumn<QString>("changeType");
    QTest::newRow("own type clicked") << false << 0 << "N";
    // The row is in its edit already: the click must not count as a change.
    QTest::newRow("renamed, own type clicked") << true << 0 << "N";
    QTest::newRow("renamed, another type clicked") << true << 1 << "M";
}

void TestTransEditing::typeClickedAgain()
{
    QFETCH(bool, renamed);
    QFETCH(int, typeIndex);
    QFETCH(QString, changeType);
    addPayroll("E", "N");
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        d.SelectTrans("Add payment");
        if (renamed)
            d.TransName("Add payments");
        d.TransType(typeIndex);
        QCOMPARE(d.editor.transPage()->typeGroup()->checkedId(), typeIndex);
        QCOMPARE(d.editor.transTbl().text("Change_Type"), changeType);
        QCOMPARE(d.editor.transTbl().isEditing(), renamed || typeIndex != 0);
        d.TransOk();
        QCOMPARE(stored(11, "Change_Type").toString(), changeType);
        QCOMPARE(stored(11, "Type").toString(), TTransEditing::TypeOfIndex(typeIndex));
        QCOMPARE(stored(11, "Description").toString(), QString(renamed ? "Add payments" : "Add payment"));
    });
}

void TestTransEditing::panelFollowsType_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("elementary");
    QTest::addColumn<bool>("inputBox");
    QTest::addColumn<bool>("outputBox");

    QTest::newRow("group") << "Payments" << false << false << false;
    QTest::newRow("input") << "Add payment" << true << true << false;
    QTest::newRow("output") << "Payment list" << true << false << true;
    QTest::newRow("inquiry") << "Payment enquiry" << true << true << true;
}

void TestTransEditing::panelFollowsType()
{
    QFETCH(QString, name);
    QFETCH(bool, elementary);
    QFETCH(bool, inputBox);
    QFETCH(bool, outputBox);
    addPayroll();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        TTransPage *page = d.editor.transPage();
        d.SelectTrans(name);
        QTabWidget *tabs = page->panelTabs();
        QCOMPARE(tabs->isTabVisible(tabs->indexOf(page->detailsTab())), elementary);
        QCOMPARE(tabs->isTabVisible(tabs->indexOf(page->totalsTab())), !elementary);
        QCOMPARE(d.editor.editorState().canLinkFiles, elementary);
        QCOMPARE(page->changeBox()->isVisibleTo(page), elementary);
        if (!elementary)
            return;
        tabs->setCurrentWidget(page->detailsTab());
        QCOMPARE(page->inputBox().box->isVisibleTo(page), inputBox);
        QCOMPARE(page->outputBox().box->isVisibleTo(page), outputBox);
        if (name == "Payment enquiry")
            QCOMPARE(page->outputBox().files->topLevelItem(0)->text(0), QString("Tax rates"));
    });
}

QTEST_MAIN(TestTransEditing)
#include "test_transediting.moc"
