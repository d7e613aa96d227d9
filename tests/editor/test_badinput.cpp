#include "countfixture.h"
#include "editingdriver.h"
#include "editorfixture.h"
#include "modalwatch.h"

#include "editor/countpage.h"
#include "editor/editing.h"
#include "editor/fileediting.h"
#include "editor/filespage.h"
#include "editor/linkfilesform.h"
#include "editor/mainform.h"
#include "editor/transpage.h"
#include "store/cursor.h"
#include "store/database.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using namespace qm;
using namespace qm::test;
using C = TEditorCommands;

namespace {

constexpr int kCount = 3;

// Typed key by key, or pasted in one go over the whole text.
void Enter(QLineEdit *edit, const QString &text, bool paste)
{
    edit->selectAll();
    if (paste) {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else if (text.isEmpty()) {
        QTest::keyClick(edit, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(edit, text);
    }
}

} // namespace

// Letters, signs, huge numbers, line breaks and over-long text in the boxes
// of the editor and its dialogs: each box refuses or limits them as they
// come, and what it shows is what the row keeps.
class TestBadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void textFields_data();
    void textFields();
    void countFields_data();
    void countFields();
    void countAboveTheTypedRange();
    void characteristicKeys_data();
    void characteristicKeys();
    void commentPaste_data();
    void commentPaste();

private:
    void addCount();
    QVariant Stored(const QString &sql) { return m_fx->Scalar(sql); }

    std::unique_ptr<EditorFixture> m_fx;
};

void TestBadInput::initTestCase()
{
    QVERIFY(HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestBadInput::init()
{
    m_fx = std::make_unique<EditorFixture>();
}

void TestBadInput::cleanup()
{
    QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    m_fx.reset();
}

// Payment enquiry: input 1 file and 3 DETs, output 1 file and 20 DETs.
// Employees: 2 RETs, 20 DETs. All unchanged in an enhancement count.
void TestBadInput::addCount()
{
    InsertPaymentEnquiryCount(m_fx->db(), kCount);
    m_fx->OpenSaved(kCount);
}

void TestBadInput::textFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    const QString longText = QString(50, 'Q') + "\n" + QString(20, 'R');
    for (const QString field : {"transaction name", "file name", "count name"}) {
        QTest::addRow("%s: line breaks pasted", qPrintable(field))
            << field << true << "Monthly\npay\r\nrun\n" << "Monthly pay run ";
        QTest::addRow("%s: typed past the width", qPrintable(field)) << field << false << QString(70, 'x')
                                                                     << QString(60, 'x');
        QTest::addRow("%s: pasted past the width", qPrintable(field))
            << field << true << longText << QString(50, 'Q') + " " + QString(9, 'R');
    }
    QTest::newRow("system: line break pasted") << "system" << true << "PAY\nROLL" << "PAY ROLL";
    QTest::newRow("system: typed past the width") << "system" << false << "PAYROLLSYS" << "PAYROLLS";
    QTest::newRow("system: pasted past the width") << "system" << true << "ABCDEFGHIJ\r\n" << "ABCDEFGH";
}

void TestBadInput::textFields()
{
    QFETCH(QString, field);
    QFETCH(bool, paste);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    addCount();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        QLineEdit *edit = nullptr;
        QString column = "Description";
        QString table = "Counts";
        if (field == "transaction name") {
            d.SelectTrans("Payment enquiry");
            edit = d.editor.transPage()->nameEdit();
            table = "Trans WHERE Tag = 13";
        } else if (field == "file name") {
            d.SelectFile("Employees");
            edit = d.editor.filesPage()->nameEdit();
            table = "Files WHERE Tag = 20";
        } else if (field == "count name") {
            edit = d.editor.countPage()->nameEdit();
        } else {
            edit = d.editor.countPage()->systemBox()->lineEdit();
            column = "System";
        }
        Enter(edit, input, paste);
        // Enter stores the row, as "OK" does.
        QTest::keyClick(edit, Qt::Key_Return);
        const QString stored = Stored(QStringLiteral("SELECT %1 FROM %2").arg(column, table)).toString();
        QCOMPARE(stored, expected);
        QCOMPARE(edit->text(), stored);
        QVERIFY(m_fx->dialogs.prompts().isEmpty());
    });
}

void TestBadInput::countFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("expected"); // -1: the value before
    QTest::addColumn<bool>("refused"); // with a message

    for (const QString field : {"file DETs", "input DETs"}) {
        const QByteArray name = field.toUtf8();
        const char *f = name.constData();
        QTest::addRow("%s: letters typed", f) << field << false << "ab" << -1 << false;
        QTest::addRow("%s: sign typed", f) << field << false << "-5" << 5 << false;
        QTest::addRow("%s: plus and blank typed", f) << field << false << "+ 7" << 7 << false;
        QTest::addRow("%s: huge number typed", f) << field << false << "12345" << 12 << false;
        QTest::addRow("%s: emptied", f) << field << false << "" << 0 << false;
        QTest::addRow("%s: pasted with a line break", f) << field << true << " 25\r\n" << 25 << false;
        QTest::addRow("%s: negative pasted", f) << field << true << "-5" << -1 << true;
        QTest::addRow("%s: huge number pasted", f) << field << true << "150" << -1 << true;
        QTest::addRow("%s: two lines pasted", f) << field << true << "2\n5" << -1 << true;
        QTest::addRow("%s: letters pasted", f) << field << true << "x1" << -1 << true;
    }
    QTest::newRow("file RETs: sign typed") << "file RETs" << false << "-3" << 3 << false;
    QTest::newRow("file RETs: huge number pasted") << "file RETs" << true << "99999999999" << -1 << true;
    QTest::newRow("output DETs: decimal typed") << "output DETs" << false << "4.5" << 45 << false;
    QTest::newRow("output DETs: decimal pasted") << "output DETs" << true << "4.5" << -1 << true;
}

void TestBadInput::countFields()
{
    QFETCH(QString, field);
    QFETCH(bool, paste);
    QFETCH(QString, input);
    QFETCH(int, expected);
    QFETCH(bool, refused);
    const QMap<QString, std::pair<int, QString>> stores = {
        {"file RETs", {2, "SELECT RET_Count FROM Files WHERE Tag = 20"}},
        {"file DETs", {20, "SELECT DET_Count FROM Files WHERE Tag = 20"}},
        {"input DETs", {3, "SELECT Input_Det_Count FROM Trans WHERE Tag = 13"}},
        {"output DETs", {20, "SELECT Output_Det_Count FROM Trans WHERE Tag = 13"}},
    };
    const auto [before, sql] = stores.value(field);
    if (expected < 0)
        expected = before;
    const QString message = field == "file RETs" ? text::RetsRefused : text::DetsRefused;
    addCount();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        QLineEdit *edit = nullptr;
        if (field.startsWith("file")) {
            TFilesPage *page = d.editor.filesPage();
            d.SelectFile("Employees");
            page->panelTabs()->setCurrentWidget(page->complexityTab());
            edit = field == "file RETs" ? page->retEdit() : page->detEdit();
            Enter(edit, input, paste);
            QTest::keyClick(edit, Qt::Key_Return);
        } else {
            TFormAddIt &form = d.editing.linkForm();
            TFormAddIt::Side &side = field == "input DETs" ? form.inputSide() : form.outputSide();
            edit = side.dets;
            auto watch = ModalWatch::Start(
                [&](QWidget *) {
                    form.pageControl()->setCurrentWidget(side.tab);
                    Enter(edit, input, paste);
                    // Enter in the box is "OK", the dialog's default button.
                    QTest::keyClick(edit, Qt::Key_Return);
                },
                QStringLiteral("TFormAddIt"));
            d.SelectTrans("Payment enquiry");
            d.Command(C::ToolTransComplexity);
            QVERIFY(watch->fired());
            QVERIFY(!form.isVisible());
        }
        const int stored = Stored(sql).toInt();
        QCOMPARE(stored, expected);
        QCOMPARE(edit->text(), QString::number(stored));
        QCOMPARE(m_fx->dialogs.texts(), refused ? QStringList{"error: " + message} : QStringList{});
    });
}

// An imported file may have more DETs than can be typed: the box shows them
// whole and keeps them through an edit of something else.
void TestBadInput::countAboveTheTypedRange()
{
    addCount();
    m_fx->db().exec("UPDATE Files SET DET_Count = 150 WHERE Tag = 20");
    m_fx->db().exec("UPDATE CFiles SET DET_Count = 150 WHERE Tag = 20");
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        TFilesPage *page = d.editor.filesPage();
        d.SelectFile("Employees");
        QCOMPARE(page->detEdit()->text(), QString("150"));
        d.FileName("Staff");
        d.FileOk();
        QCOMPARE(Stored("SELECT DET_Count FROM Files WHERE Tag = 20").toInt(), 150);
        QCOMPARE(page->detEdit()->text(), QString("150"));
        // Typing over it still keeps to what may be typed.
        page->panelTabs()->setCurrentWidget(page->complexityTab());
        Enter(page->detEdit(), "1500", false);
        QCOMPARE(page->detEdit()->text(), QString("15"));
        d.FileOk();
        QCOMPARE(Stored("SELECT DET_Count FROM Files WHERE Tag = 20").toInt(), 15);
    });
}

void TestBadInput::characteristicKeys_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("expected");
    QTest::newRow("above the range") << "7" << 3;
    QTest::newRow("letter") << "x" << 3;
    QTest::newRow("sign") << "-" << 3;
    QTest::newRow("highest") << "5" << 5;
    QTest::newRow("lowest") << "0" << 0;
}

void TestBadInput::characteristicKeys()
{
    QFETCH(QString, keys);
    QFETCH(int, expected);
    addCount();
    m_fx->Run([&] {
        TCountPage *page = m_fx->editor().countPage();
        page->tabs()->setCurrentIndex(1); // "Value Adjustment Factor"
        QComboBox *box = page->characteristic(0);
        QTest::keyClicks(box, keys);
        QCOMPARE(page->okButton()->isEnabled(), expected != 3);
        if (page->okButton()->isEnabled())
            page->okButton()->click();
        const int stored = Stored("SELECT VAF_1 FROM Counts").toInt();
        QCOMPARE(stored, expected);
        QCOMPARE(box->currentText(), QString::number(stored));
    });
}

QTEST_MAIN(TestBadInput)
void TestBadInput::commentPaste_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("how");
    for (const QString field : {"transaction comment", "file comment", "count notes"})
        for (const QString how : {"Ctrl+V", "Shift+Insert", "Edit menu"})
            QTest::addRow("%s by %s", qPrintable(field), qPrintable(how)) << field << how;
}

// Pasted comments go in as plain text, line breaks kept, by key or menu,
// and the stored row holds what the box shows.
void TestBadInput::commentPaste()
{
    QFETCH(QString, field);
    QFETCH(QString, how);
    addCount();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        QPlainTextEdit *memo = nullptr;
        QPushButton *ok = nullptr;
        QString sql = "SELECT Notes FROM Counts";
        if (field == "transaction comment") {
            d.SelectTrans("Payment enquiry");
            d.editor.transPage()->panelTabs()->setCurrentWidget(d.editor.transPage()->commentsTab());
            memo = d.editor.transPage()->memo();
            ok = d.editor.transPage()->okButton();
            sql = "SELECT Memo FROM Trans WHERE Tag = 13";
        } else if (field == "file comment") {
            d.SelectFile("Employees");
            d.editor.filesPage()->panelTabs()->setCurrentWidget(d.editor.filesPage()->commentsTab());
            memo = d.editor.filesPage()->memo();
            ok = d.editor.filesPage()->okButton();
            sql = "SELECT Memo FROM Files WHERE Tag = 20";
        } else {
            memo = d.editor.countPage()->notesMemo();
            ok = d.editor.countPage()->okButton();
        }
        memo->setFocus();
        memo->selectAll();
        QGuiApplication::clipboard()->setText("Paid monthly\nby transfer");
        if (how == "Ctrl+V")
            QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
        else if (how == "Shift+Insert")
            QTest::keyClick(memo, Qt::Key_Insert, Qt::ShiftModifier);
        else
            d.Command(C::MenuPaste);
        QCOMPARE(memo->toPlainText(), QString("Paid monthly\nby transfer"));
        QVERIFY(ok->isEnabled());
        d.Click(ok);
        QCOMPARE(Stored(sql).toString(), QString("Paid monthly\nby transfer"));
    });
}

#include "test_badinput.moc"
