#include "countfixture.h"
#include "modalwatch.h"
#include "scripteddialogs.h"
#include "testdatabase.h"

#include "catalogue/newcountnameform.h"
#include "store/database.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace qm;

class TestNewCountNameForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void names_data();
    void names();
    void cancelGivesNothing();
    void fieldStartsEmpty();
    void nameBoxIsLabelled();

private:
    std::unique_ptr<test::TestDatabaseDir> m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<test::ScriptedDialogs> m_dialogs;
    std::unique_ptr<TNewCountNameForm> m_form;
};

void TestNewCountNameForm::init()
{
    m_dir = std::make_unique<test::TestDatabaseDir>();
    m_db = std::make_unique<Database>(QStringLiteral("namedialog_test"));
    m_db->open(m_dir->path());
    test::InsertCount(*m_db, {1, "PAY", "Payroll"});
    m_dialogs = std::make_unique<test::ScriptedDialogs>();
    m_form = std::make_unique<TNewCountNameForm>(*m_db, *m_dialogs);
}

void TestNewCountNameForm::cleanup()
{
    m_form.reset();
    m_dialogs.reset();
    m_db.reset();
    m_dir.reset();
}

void TestNewCountNameForm::names_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("blanks only") << "   " << "error: Please enter a description for the new count";
    QTest::newRow("a saved count's name")
        << "Payroll" << "error: A count with this description already exists\nPlease enter a Description and try again ";
    // Compared exactly as typed, blanks included.
    QTest::newRow("the same with a trailing blank") << "Payroll " << "";
    QTest::newRow("a new name") << "Payroll 2025" << "";
}

void TestNewCountNameForm::names()
{
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    bool stayedOpen = false;
    bool focusKept = false;
    auto watch = test::ModalWatch::Start(
        [&](QWidget *) {
            QTest::keyClicks(m_form->nameEdit(), typed);
            m_form->okButton()->click();
            stayedOpen = m_form->isVisible();
            focusKept = m_form->nameEdit()->hasFocus();
            if (stayedOpen)
                m_form->cancelButton()->click();
        },
        QStringLiteral("TNewCountNameForm"));
    const std::optional<QString> name = m_form->AskNewCountName();
    QVERIFY(watch->fired());
    QCOMPARE(stayedOpen, !refusal.isEmpty());
    if (refusal.isEmpty()) {
        QCOMPARE(name, std::optional<QString>(typed));
        QVERIFY(m_dialogs->prompts().isEmpty());
    } else {
        QCOMPARE(m_dialogs->texts(), QStringList{refusal});
        QVERIFY(focusKept);
        QVERIFY(!name);
    }
}

void TestNewCountNameForm::cancelGivesNothing()
{
    auto watch = test::ModalWatch::Start([&](QWidget *) {
        QTest::keyClicks(m_form->nameEdit(), QStringLiteral("Anything"));
        QTest::keyClick(m_form.get(), Qt::Key_Escape);
    });
    QVERIFY(!m_form->AskNewCountName());
    QVERIFY(watch->fired());
}

void TestNewCountNameForm::fieldStartsEmpty()
{
    for (int round = 0; round < 2; ++round) {
        QString shown = QStringLiteral("<not shown>");
        auto watch = test::ModalWatch::Start([&](QWidget *) {
            shown = m_form->nameEdit()->text();
            QTest::keyClicks(m_form->nameEdit(), QStringLiteral("Left over"));
            QTest::keyClick(m_form->nameEdit(), Qt::Key_Return);
        });
        QCOMPARE(m_form->AskNewCountName(), std::optional<QString>(QStringLiteral("Left over")));
        QCOMPARE(shown, QString());
        QCOMPARE(m_form->size(), QSize(392, 75));
    }
}

void TestNewCountNameForm::nameBoxIsLabelled()
{
    auto *label = m_form->findChild<QLabel *>(QStringLiteral("NameLabel"));
    QVERIFY(label);
    QCOMPARE(label->buddy(), m_form->findChild<QLineEdit *>(QStringLiteral("NameEdit")));
    QCOMPARE(label->text(), QStringLiteral("&Description:"));
    // Label and box sit side by side inside the dialog.
    const QRect box = label->buddy()->geometry();
    QVERIFY(label->geometry().right() < box.left());
    QVERIFY(m_form->rect().contains(box));
}

QTEST_MAIN(TestNewCountNameForm)
#include "test_newcountnameform.moc"
