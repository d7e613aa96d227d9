// Cut, copy, paste and dragging of transactions, and the text clipboard,
// through the editor window.

#include "countfixture.h"
#include "editingdriver.h"
#include "editorfixture.h"

#include "analysis/countsummary.h"
#include "editor/editing.h"
#include "editor/editmenu.h"
#include "editor/editorstate.h"
#include "editor/mainform.h"
#include "editor/subtreecopy.h"
#include "editor/transclipboard.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"
#include "views/dbtreeview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

#include <functional>

using namespace qm;
using namespace qm::test;
using C = TEditorCommands;

namespace {

constexpr int kCount = 3;

// Payments (19): Add payment (4), Payment list (5), Reports (10):
// Register (7, two output links), Slip (3). Setup (4): Rates (4).
void AddPayroll(Database &db, const QString &status = "U")
{
    CountRow count(kCount, "PAY", "Payroll");
    count.status = status;
    InsertCount(db, count);
    InsertTrans(db, {kCount, 10, "Payments", 0, "G"});
    TransRow add(kCount, 11, "Add payment", 4, "I", "A", 10);
    add.complexity = "2";
    add.inputFiles = 1;
    add.inputDets = 16;
    InsertTrans(db, add);
    InsertTrans(db, {kCount, 12, "Payment list", 5, "O", "A", 10});
    InsertTrans(db, {kCount, 14, "Reports", 0, "G", "A", 10});
    TransRow reg(kCount, 16, "Register", 7, "O", "A", 14);
    reg.complexity = "3";
    reg.outputFiles = 2;
    reg.outputDets = 20;
    reg.memo = "Monthly";
    InsertTrans(db, reg);
    InsertTrans(db, {kCount, 17, "Slip", 3, "I", "A", 14});
    InsertTrans(db, {kCount, 15, "Setup", 0, "G"});
    InsertTrans(db, {kCount, 18, "Rates", 4, "I", "A", 15});
    InsertFile(db, {kCount, 20, "Employees", 7});
    InsertFile(db, {kCount, 21, "Tax rates", 5, "E"});
    InsertLink(db, {kCount, 20, 11, "I"});
    InsertLink(db, {kCount, 20, 16, "O"});
    LinkRow flagged(kCount, 21, 16, "O");
    flagged.updateFlag = "U";
    InsertLink(db, flagged);
}

} // namespace

class TestClipboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void copyGroupOntoGroup();
    void copyOntoItemLandsInItsGroup();
    void pasteOntoItselfChangesNothing_data();
    void pasteOntoItselfChangesNothing();
    void moves_data();
    void moves();
    void cutNodeIsDimmedUntilReleased();
    void ownSubtreeIsRefused_data();
    void ownSubtreeIsRefused();
    void markedNodeGone();
    void copyName_data();
    void copyName();
    void failedWriteLeavesNothing_data();
    void failedWriteLeavesNothing();
    void editMenuFollowsFocus();
    void textClipboardInControls();
    void dragAndDrop_data();
    void dragAndDrop();
    void copySurvivesSaveAndReopen();

private:
    void InPayroll(const std::function<void(EditingDriver &)> &steps) { InPayroll("U", steps); }
    void InPayroll(const QString &status, const std::function<void(EditingDriver &)> &steps);
    void Start(EditingDriver &d);
    void Mark(EditingDriver &d, const QString &name, bool copy);
    void PasteOnto(EditingDriver &d, const QString &name);
    QVariant Stored(int tag, const QString &column);
    int Rows(const QString &table);
    int TagOf(const QString &name);
    static qint64 Value(EditingDriver &d, const QString &name);
    static QString OwnerName(EditingDriver &d, const QString &name);

    std::unique_ptr<EditorFixture> m_fx;
};

void TestClipboard::initTestCase()
{
    QVERIFY(HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestClipboard::init()
{
    m_fx = std::make_unique<EditorFixture>();
}

void TestClipboard::cleanup()
{
    QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    m_fx.reset();
}

// The payroll count, saved with the given status, open in the editor on its
// transactions page while the steps run.
void TestClipboard::InPayroll(const QString &status, const std::function<void(EditingDriver &)> &steps)
{
    AddPayroll(m_fx->db(), status);
    m_fx->OpenSaved(kCount);
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        Start(d);
        steps(d);
    });
}

void TestClipboard::Start(EditingDriver &d)
{
    d.editor.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d.editor));
    d.ShowTransactions();
}

void TestClipboard::Mark(EditingDriver &d, const QString &name, bool copy)
{
    d.SelectTrans(name); // the click gives the tree the focus
    QVERIFY(d.transTree()->hasFocus());
    d.Command(copy ? C::MenuCopy : C::MenuCut);
}

void TestClipboard::PasteOnto(EditingDriver &d, const QString &name)
{
    d.SelectTrans(name);
    d.Command(C::MenuPaste);
}

QVariant TestClipboard::Stored(int tag, const QString &column)
{
    return m_fx->Scalar(QStringLiteral("SELECT %1 FROM Trans WHERE Tag = ? AND Count_Id = ?").arg(column),
                        {tag, kCount});
}

int TestClipboard::Rows(const QString &table)
{
    return m_fx->Scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)).toInt();
}

int TestClipboard::TagOf(const QString &name)
{
    return m_fx->Scalar("SELECT Tag FROM Trans WHERE Description = ?", {name}).toInt();
}

qint64 TestClipboard::Value(EditingDriver &d, const QString &name)
{
    const TTreeNode *node = d.Trans(name);
    return node ? node->info.value : -1;
}

QString TestClipboard::OwnerName(EditingDriver &d, const QString &name)
{
    const TTreeNode *node = d.Trans(name);
    const TTreeNode *owner = node ? node->parentNode() : nullptr;
    return owner ? owner->info.name : QString();
}

void TestClipboard::copyGroupOntoGroup()
{
    InPayroll([&](EditingDriver &d) {
        QSignalSpy status(&d.editor, &TMainForm::StatusTextShown);
        Mark(d, "Reports", true);
        QVERIFY(d.Trans("Reports")->isCut());
        PasteOnto(d, "Setup");

        QStringList progress;
        for (const QList<QVariant> &args : status)
            progress << args.at(0).toString();
        QCOMPARE(progress, QStringList({"Copying 1 of 3", "Copying 2 of 3", "Copying 3 of 3", ""}));

        QCOMPARE(Rows("Trans"), 11);
        const int group = TagOf("Reports - Copy");
        QCOMPARE(Stored(group, "Owner_Tag").toInt(), 15);
        const int reg = TagOf("Register - Copy");
        const int slip = TagOf("Slip - Copy");
        QCOMPARE(Stored(reg, "Owner_Tag").toInt(), group);
        QCOMPARE(Stored(slip, "Owner_Tag").toInt(), group);
        QCOMPARE(Stored(reg, "Memo").toString(), QString("Monthly"));
        QCOMPARE(m_fx->Scalar("SELECT GROUP_CONCAT(File_Tag || Input_Output_Flag || COALESCE(Update_Flag, '-'), ',') FROM "
                              "(SELECT * FROM FilesLink WHERE Trans_Tag = ? ORDER BY File_Tag)",
                              {reg})
                     .toString(),
                 QString("20O-,21OU"));
        QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM FilesLink WHERE Trans_Tag = ?", {slip}).toInt(), 0);

        // In the tree: the copy inside the target, its children inside it,
        // the values added once up the target's line only.
        QCOMPARE(OwnerName(d, "Reports - Copy"), QString("Setup"));
        QCOMPARE(OwnerName(d, "Register - Copy"), QString("Reports - Copy"));
        QCOMPARE(d.Trans("Reports - Copy")->childNode(0)->info.name, QString("Register - Copy"));
        QCOMPARE(Value(d, "Reports - Copy"), 10);
        QCOMPARE(Value(d, "Setup"), 14);
        QCOMPARE(Value(d, "Payments"), 19);
        QCOMPARE(d.transTree()->SelectedNode(), d.Trans("Reports - Copy"));
        // The mark has gone with the paste.
        QVERIFY(!d.Trans("Reports")->isCut());
        QCOMPARE(d.editor.editorState().clipboardMode, ClipboardMode::None);
        QCOMPARE(d.editor.editorState().transEditMode, EditMode::Browsing);
        QCOMPARE(m_fx->state().changeCount, 4);
        QVERIFY(!d.editor.commands().action(C::ToolPaste)->isEnabled());
    });
}

void TestClipboard::copyOntoItemLandsInItsGroup()
{
    InPayroll([&](EditingDriver &d) {
        Mark(d, "Rates", true);
        PasteOnto(d, "Add payment");
        QCOMPARE(Stored(TagOf("Rates - Copy"), "Owner_Tag").toInt(), 10);
        QCOMPARE(OwnerName(d, "Rates - Copy"), QString("Payments"));
        QCOMPARE(Value(d, "Payments"), 23);
        QCOMPARE(Value(d, "Setup"), 4);
        // The copy keeps its source's counts, complexity and value.
        QCOMPARE(Stored(TagOf("Rates - Copy"), "FP_Val").toDouble(), 4.0);
        QCOMPARE(Stored(TagOf("Rates - Copy"), "Change_Type").toString(), QString("A"));
    });
}

void TestClipboard::pasteOntoItselfChangesNothing_data()
{
    QTest::addColumn<bool>("copy");
    QTest::addColumn<QString>("node");
    QTest::newRow("copy of a group") << true << "Reports";
    QTest::newRow("copy of an item") << true << "Slip";
    QTest::newRow("cut of a group") << false << "Reports";
    QTest::newRow("cut of an item") << false << "Slip";
}

void TestClipboard::pasteOntoItselfChangesNothing()
{
    QFETCH(bool, copy);
    QFETCH(QString, node);
    InPayroll([&](EditingDriver &d) {
        Mark(d, node, copy);
        PasteOnto(d, node);
        QCOMPARE(Rows("Trans"), 8);
        QCOMPARE(Stored(17, "Owner_Tag").toInt(), 14);
        QCOMPARE(Stored(14, "Owner_Tag").toInt(), 10);
        QCOMPARE(OwnerName(d, "Slip"), QString("Reports"));
        QCOMPARE(Value(d, "Payments"), 19);
        QCOMPARE(m_fx->state().changeCount, 0);
        QVERIFY(m_fx->dialogs.prompts().isEmpty());
    });
}

void TestClipboard::moves_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("owner");
    QTest::addColumn<QString>("ownerName");
    QTest::addColumn<QList<qint64>>("values"); // Payments, Reports, Setup

    QTest::newRow("within the group") << "Slip" << "Register" << 14 << "Reports" << QList<qint64>{19, 10, 4};
    QTest::newRow("into another group") << "Slip" << "Setup" << 15 << "Setup" << QList<qint64>{16, 7, 7};
    QTest::newRow("beside an item of another group")
        << "Slip" << "Rates" << 15 << "Setup" << QList<qint64>{16, 7, 7};
    QTest::newRow("a group with its items") << "Reports" << "Setup" << 15 << "Setup" << QList<qint64>{9, 10, 14};
    QTest::newRow("up into the group's owner") << "Slip" << "Payments" << 10 << "Payments"
                                               << QList<qint64>{19, 7, 4};
}

void TestClipboard::moves()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(int, owner);
    QFETCH(QString, ownerName);
    QFETCH(QList<qint64>, values);
    InPayroll([&](EditingDriver &d) {
        Mark(d, source, false);
        // Nothing moves before the paste.
        QCOMPARE(Stored(TagOf(source), "Owner_Tag").toInt(), source == "Slip" ? 14 : 10);
        PasteOnto(d, target);

        QCOMPARE(Stored(TagOf(source), "Owner_Tag").toInt(), owner);
        QCOMPARE(OwnerName(d, source), ownerName);
        QCOMPARE((QList<qint64>{Value(d, "Payments"), Value(d, "Reports"), Value(d, "Setup")}), values);
        // Only the moved row changes: its items keep their owner.
        QCOMPARE(Stored(16, "Owner_Tag").toInt(), 14);
        QCOMPARE(Rows("Trans"), 8);
        QCOMPARE(Rows("FilesLink"), 3);
        QCOMPARE(d.transTree()->SelectedNode(), d.Trans(source));
        QCOMPARE(d.editor.editorState().currentTransTag, TagOf(source));
        QCOMPARE(d.editor.editorState().clipboardMode, ClipboardMode::None);
        QVERIFY(!d.Trans(source)->isCut());
        QCOMPARE(m_fx->state().changeCount, 1);
    });
}

void TestClipboard::cutNodeIsDimmedUntilReleased()
{
    InPayroll([&](EditingDriver &d) {
        QAction *paste = d.editor.commands().action(C::ToolPaste);
        QVERIFY(!paste->isEnabled());
        const QBrush normal = d.Trans("Slip")->foreground(0);
        Mark(d, "Slip", false);
        TTreeNode *slip = d.Trans("Slip");
        QVERIFY(slip->isCut());
        QCOMPARE(slip->foreground(0).color(), d.transTree()->palette().color(QPalette::Disabled, QPalette::Text));
        QCOMPARE(OwnerName(d, "Slip"), QString("Reports")); // it stays until the paste
        QVERIFY(paste->isEnabled());
        QCOMPARE(d.editor.editorState().clipboardMode, ClipboardMode::Cut);

        // Marking another node releases the first.
        Mark(d, "Rates", true);
        QVERIFY(!slip->isCut());
        QCOMPARE(slip->foreground(0), normal);
        QVERIFY(d.Trans("Rates")->isCut());
        QCOMPARE(d.editor.editorState().clipboardMode, ClipboardMode::Copy);

        d.editing.clipboard().ClearMark();
        QVERIFY(!d.Trans("Rates")->isCut());
        QVERIFY(!paste->isEnabled());
    });
}

void TestClipboard::ownSubtreeIsRefused_data()
{
    QTest::addColumn<bool>("copy");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("message");
    QTest::newRow("copy into a child group") << true << "Reports" << text::CopyIntoOwnGroup;
    QTest::newRow("copy onto an item below") << true << "Slip" << text::CopyIntoOwnGroup;
    QTest::newRow("move into a child group") << false << "Reports" << text::MoveIntoOwnGroup;
    QTest::newRow("move onto an item below") << false << "Register" << text::MoveIntoOwnGroup;
}

void TestClipboard::ownSubtreeIsRefused()
{
    QFETCH(bool, copy);
    QFETCH(QString, target);
    QFETCH(QString, message);
    InPayroll([&](EditingDriver &d) {
        Mark(d, "Payments", copy);
        PasteOnto(d, target);
        QCOMPARE(m_fx->dialogs.texts(), QStringList{"error: " + message});
        QCOMPARE(m_fx->dialogs.prompts().value(0).kind, QString("error"));
        QCOMPARE(Rows("Trans"), 8);
        QCOMPARE(Stored(10, "Owner_Tag").toInt(), 0);
        QCOMPARE(d.transTree()->topLevelItemCount(), 2);
        QCOMPARE(Value(d, "Payments"), 19);
        QCOMPARE(d.editor.editorState().clipboardMode, ClipboardMode::None);
        QVERIFY(!d.Trans("Payments")->isCut());
        QCOMPARE(m_fx->state().changeCount, 0);
    });
}

void TestClipboard::markedNodeGone()
{
    InPayroll([&](EditingDriver &d) {
        // Deleting the marked transaction takes the mark with it.
        Mark(d, "Slip", false);
        d.Command(C::ToolDeleteTrans);
        QVERIFY(!d.Trans("Slip"));
        QCOMPARE(d.editor.editorState().clipboardMode, ClipboardMode::None);
        PasteOnto(d, "Setup");
        QVERIFY(!d.editor.commands().action(C::MenuPaste)->isEnabled());
        QVERIFY(m_fx->dialogs.prompts().isEmpty());

        // A new row marked and then abandoned leaves a mark with no node.
        d.SelectTrans("Rates");
        d.Command(C::ToolInsertTrans);
        d.transTree()->setFocus();
        d.Command(C::MenuCopy);
        QCOMPARE(d.editor.editorState().clipboardMode, ClipboardMode::Copy);
        d.Click(d.editor.transPage()->cancelButton());
        d.transTree()->setFocus();
        d.Command(C::MenuPaste);
        QCOMPARE(m_fx->dialogs.texts(), QStringList{"error: " + text::MarkedTransGone});
        QCOMPARE(Rows("Trans"), 7);
    });
}

void TestClipboard::copyName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("copy");
    QTest::newRow("short") << "Slip" << "Slip - Copy";
    QTest::newRow("just fits") << QString(53, 'a') << QString(53, 'a') + " - Copy";
    QTest::newRow("cut short") << QString(56, 'b') << QString(56, 'b') + " - C";
    QTest::newRow("already full") << QString(60, 'c') << QString(60, 'c');
}

void TestClipboard::copyName()
{
    QFETCH(QString, name);
    QFETCH(QString, copy);
    QCOMPARE(TSubtreeWriter::CopyName(name), copy);
    if (name.size() != 60)
        return;
    // Through the editor, as a user would see it.
    AddPayroll(m_fx->db());
    m_fx->db().exec("UPDATE CTrans SET Description = ? WHERE Tag = 17", {name});
    m_fx->OpenSaved(kCount);
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        Start(d);
        Mark(d, name, true);
        PasteOnto(d, "Setup");
        QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM Trans WHERE Description = ?", {name}).toInt(), 2);
        QCOMPARE(OwnerName(d, name), QString("Reports")); // the first of the two in the tree
    });
}

void TestClipboard::failedWriteLeavesNothing_data()
{
    QTest::addColumn<bool>("copy");
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("message");
    // The last row of the copy is refused, after the others and their
    // links were written.
    QTest::newRow("copy") << true
                          << "CREATE TEMP TRIGGER refuse BEFORE INSERT ON Trans WHEN NEW.Description = 'Slip - Copy' "
                             "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END"
                          << "The transactions could not be copied, and nothing of the copy was kept:\n"
                             "Unable to fetch row: disk I/O error";
    QTest::newRow("move") << false
                          << "CREATE TEMP TRIGGER refuse BEFORE UPDATE ON Trans "
                             "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END"
                          << text::MoveOwnerFailed;
}

void TestClipboard::failedWriteLeavesNothing()
{
    QFETCH(bool, copy);
    QFETCH(QString, trigger);
    QFETCH(QString, message);
    InPayroll([&](EditingDriver &d) {
        m_fx->db().exec(trigger);
        Mark(d, "Reports", copy);
        PasteOnto(d, "Setup");
        m_fx->db().exec("DROP TRIGGER refuse");
        QCOMPARE(m_fx->dialogs.texts(), QStringList{"error: " + message});
        QCOMPARE(Rows("Trans"), 8);
        QCOMPARE(Rows("FilesLink"), 3);
        QCOMPARE(Stored(14, "Owner_Tag").toInt(), 10);
        // The tree shows what the tables hold.
        QVERIFY(!d.Trans("Reports - Copy"));
        QVERIFY(!d.Trans("Register - Copy"));
        QCOMPARE(OwnerName(d, "Reports"), QString("Payments"));
        QCOMPARE(Value(d, "Setup"), 4);
        QCOMPARE(Value(d, "Payments"), 19);
        QCOMPARE(d.editor.editorState().transEditMode, EditMode::Browsing);
        QCOMPARE(d.editor.statusPanel(0)->text(), QString());
        // The editor goes on working.
        Mark(d, "Slip", false);
        PasteOnto(d, "Setup");
        QCOMPARE(Stored(17, "Owner_Tag").toInt(), 15);
    });
}

void TestClipboard::editMenuFollowsFocus()
{
    InPayroll([&](EditingDriver &d) {
        TEditorCommands &c = d.editor.commands();
        QMenu *edit = c.menu("&Edit");
        const auto captions = [&] {
            emit edit->aboutToShow();
            QStringList out;
            for (C::Id id : {C::MenuCut, C::MenuCopy, C::MenuPaste})
                out << c.action(id)->text() + (c.action(id)->isEnabled() ? "+" : "-");
            return out;
        };
        d.SelectTrans("Slip");
        QCOMPARE(captions(), QStringList({"Cu&t Transaction+", "&Copy Transaction+", "&Paste-"}));
        QVERIFY(c.action(C::MenuInsertTrans)->isEnabled());
        QVERIFY(c.action(C::MenuDeleteTrans)->isEnabled());
        QVERIFY(!c.action(C::MenuInsertFile)->isEnabled());
        d.Command(C::MenuCut);
        QCOMPARE(captions(), QStringList({"Cu&t Transaction+", "&Copy Transaction+", "&Paste Transaction+"}));

        QLineEdit *name = d.editor.transPage()->nameEdit();
        name->setFocus();
        QApplication::clipboard()->clear();
        QCOMPARE(captions(), QStringList({"Cu&t-", "&Copy-", "&Paste-"}));
        name->selectAll();
        QApplication::clipboard()->setText("Payslip");
        QCOMPARE(captions(), QStringList({"Cu&t Text+", "&Copy Text+", "&Paste Text+"}));

        // The Files page offers its own commands only.
        d.ShowFiles();
        d.filesTree()->setFocus();
        QCOMPARE(captions(), QStringList({"Cu&t-", "&Copy-", "&Paste-"}));
        QVERIFY(c.action(C::MenuInsertFile)->isEnabled());
        QVERIFY(!c.action(C::MenuInsertTrans)->isEnabled());
    });
}

void TestClipboard::textClipboardInControls()
{
    InPayroll([&](EditingDriver &d) {
        Mark(d, "Rates", true); // a mark the text commands leave alone
        d.SelectTrans("Slip");
        QLineEdit *name = d.editor.transPage()->nameEdit();
        name->setFocus();
        name->selectAll();
        // Ctrl+X in the name edit cuts text, not the transaction.
        QTest::keyClick(name, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("Slip"));
        QCOMPARE(name->text(), QString());
        QCOMPARE(d.editor.editorState().clipboardMode, ClipboardMode::Copy);
        QVERIFY(d.Trans("Rates")->isCut());
        QVERIFY(!d.Trans("Slip")->isCut());

        // The menu's Paste puts it back; the row is being edited.
        d.Command(C::MenuPaste);
        QCOMPARE(name->text(), QString("Slip"));
        QCOMPARE(d.editor.transTbl().state(), CursorState::Edit);
        d.TransOk();

        // Copy and paste between controls by the menu.
        name->setFocus();
        name->setSelection(0, 2);
        d.Command(C::MenuCopy);
        QCOMPARE(QApplication::clipboard()->text(), QString("Sl"));
        d.editor.transPage()->panelTabs()->setCurrentWidget(d.editor.transPage()->commentsTab());
        QPlainTextEdit *memo = d.editor.transPage()->memo();
        memo->setFocus();
        d.Command(C::MenuPaste);
        QCOMPARE(memo->toPlainText(), QString("Sl"));
        QCOMPARE(d.editor.editorState().clipboardMode, ClipboardMode::Copy);
        QCOMPARE(Rows("Trans"), 8);
    });
}

void TestClipboard::dragAndDrop_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("onNode");
    QTest::addColumn<int>("owner");
    QTest::newRow("onto a group") << "U" << true << 15;
    QTest::newRow("onto empty space") << "U" << false << 14;
    QTest::newRow("read-only count") << "R" << true << 14;
}

void TestClipboard::dragAndDrop()
{
    QFETCH(QString, status);
    QFETCH(bool, onNode);
    QFETCH(int, owner);
    InPayroll(status, [&](EditingDriver &d) {
        TDBTreeView *tree = d.transTree();
        d.ClickNode(tree, d.Trans("Slip"));
        const QRect last = tree->visualItemRect(d.Trans("Rates"));
        QVERIFY(last.bottom() + 40 < tree->viewport()->height());
        const QPoint to = onNode ? tree->visualItemRect(d.Trans("Setup")).center()
                                 : QPoint(last.center().x(), last.bottom() + 30);
        d.DragNode(tree, d.Trans("Slip"), to);
        QCOMPARE(Stored(17, "Owner_Tag").toInt(), owner);
        QCOMPARE(OwnerName(d, "Slip"), owner == 15 ? QString("Setup") : QString("Reports"));
        QCOMPARE(Value(d, "Setup"), owner == 15 ? 7 : 4);
        QCOMPARE(Rows("Trans"), 8); // a drag never copies
        QCOMPARE(m_fx->state().changeCount, owner == 15 ? 1 : 0);
    });
}

void TestClipboard::copySurvivesSaveAndReopen()
{
    AddPayroll(m_fx->db());
    m_fx->OpenSaved(kCount);
    qint64 before = 0;
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        before = d.editor.summary().totals().unadjusted;
        Start(d);
        Mark(d, "Reports", true);
        PasteOnto(d, "Setup");
        d.Command(C::Save);
        d.editor.close();
    });
    const int saved = m_fx->state().currentCountId;
    QSqlQuery pairs = m_fx->db().exec(
        "SELECT s.Description, s.Input_File_Count, c.Input_File_Count, s.Output_File_Count, c.Output_File_Count, "
        "s.Complexity, c.Complexity, s.FP_Val, c.FP_Val, s.Change_Type, c.Change_Type FROM CTrans s "
        "JOIN CTrans c ON c.Count_Id = s.Count_Id AND c.Description = s.Description || ' - Copy' "
        "WHERE s.Count_Id = ? ORDER BY s.Description",
        {saved});
    QStringList copied;
    while (pairs.next()) {
        copied << pairs.value(0).toString();
        for (int i = 1; i < 11; i += 2)
            QCOMPARE(pairs.value(i + 1).toString(), pairs.value(i).toString());
    }
    QCOMPARE(copied, QStringList({"Register", "Reports", "Slip"}));
    QCOMPARE(m_fx->Scalar("SELECT COUNT(*) FROM CFilesLink WHERE Count_Id = ?", {saved}).toInt(), 5);

    m_fx->OpenSaved(saved);
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        QCOMPARE(d.editor.summary().totals().unadjusted, before + 10);
        QCOMPARE(Value(d, "Setup"), 14);
        QCOMPARE(Value(d, "Reports - Copy"), 10);
        d.editor.close();
    });
}

QTEST_MAIN(TestClipboard)
#include "test_clipboard.moc"
