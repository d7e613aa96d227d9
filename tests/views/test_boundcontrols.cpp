#include "countfixture.h"
#include "testdatabase.h"

#include "store/cursor.h"
#include "store/database.h"
#include "views/boundcontrols.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>

#include <memory>

using namespace qm;
using namespace qm::test;

Q_DECLARE_METATYPE(qm::CursorState)

namespace {

// One control of each kind bound to a Trans field, with a way to read what
// it shows and to change it as a user would.
class Bound
{
public:
    Bound(const QString &kind, TableCursor &cursor) : m_kind(kind)
    {
        if (kind == "line") {
            m_line = new QLineEdit(&m_host);
            m_link = new LineEditLink(cursor, "Description", m_line);
        } else if (kind == "memo") {
            m_memo = new QPlainTextEdit(&m_host);
            m_link = new MemoLink(cursor, "Memo", m_memo);
        } else if (kind == "combo") {
            m_combo = new QComboBox(&m_host);
            for (const auto &[code, caption] : {std::pair{"A", "Add"}, {"M", "Mod."}, {"D", "Del."}, {"N", "None"}})
                m_combo->addItem(caption, QString(code));
            m_link = new ComboBoxLink(cursor, "Change_Type", m_combo);
        } else if (kind == "radio") {
            m_group = new QButtonGroup(&m_host);
            auto *link = new RadioGroupLink(cursor, "Type", m_group);
            for (const char *code : {"I", "O", "Q", "G"}) {
                auto *button = new QRadioButton(code, &m_host);
                m_radios.insert(code, button);
                link->addChoice(button, code);
            }
            m_link = link;
        } else {
            m_spin = new QSpinBox(&m_host);
            m_spin->setRange(0, 999);
            m_link = new SpinBoxLink(cursor, "Input_Det_Count", m_spin);
        }
        m_host.show();
    }

    FieldLink *link() const { return m_link; }

    QString shown() const
    {
        if (m_line)
            return m_line->text();
        if (m_memo)
            return m_memo->toPlainText();
        if (m_combo)
            return m_combo->currentIndex() < 0 ? QString() : m_combo->currentText();
        if (m_group)
            return m_group->checkedButton() ? m_group->checkedButton()->text() : QString();
        return QString::number(m_spin->value());
    }

    // What the user does to enter a value (a caption for the combo box).
    void enter(const QString &value)
    {
        if (m_line || m_memo) {
            QWidget *w = m_line ? static_cast<QWidget *>(m_line) : m_memo;
            QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(w, value);
        } else if (m_combo) {
            const int i = m_combo->findText(value);
            m_combo->setCurrentIndex(i);
            emit m_combo->activated(i);
        } else if (m_group) {
            m_radios.value(value)->click();
        } else {
            m_spin->setValue(value.toInt());
        }
    }

private:
    QString m_kind;
    QWidget m_host;
    FieldLink *m_link = nullptr;
    QLineEdit *m_line = nullptr;
    QPlainTextEdit *m_memo = nullptr;
    QComboBox *m_combo = nullptr;
    QButtonGroup *m_group = nullptr;
    QHash<QString, QRadioButton *> m_radios;
    QSpinBox *m_spin = nullptr;
};

} // namespace

class TestBoundControls : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsTheRecordAndFollowsMoves_data();
    void showsTheRecordAndFollowsMoves();
    void firstChangeStartsAnEdit_data();
    void firstChangeStartsAnEdit();
    void cancelShowsTheStoredValue_data();
    void cancelShowsTheStoredValue();
    void readOnlyRefusesChanges_data();
    void readOnlyRefusesChanges();

private:
    void addKinds();
    QVariant stored(int tag, const QString &field);

    std::unique_ptr<TestDatabaseDir> m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<TableCursor> m_cursor;
};

void TestBoundControls::init()
{
    m_dir = std::make_unique<TestDatabaseDir>();
    m_db = std::make_unique<Database>(QStringLiteral("bound_test"));
    m_db->open(m_dir->path());
    TransRow first(1, 1, "Alpha", 3, "I", "A");
    first.memo = "first";
    first.inputDets = 4;
    TransRow second(1, 2, "Beta", 0, "G", "N");
    second.memo = "second";
    // Codes no choice stands for.
    TransRow odd(1, 3, "Gamma", 0, "X", "Z");
    odd.inputDets = 7;
    for (const TransRow &row : {first, second, odd})
        InsertTrans(*m_db, row, "Trans");
    m_cursor = std::make_unique<TableCursor>(*m_db);
    m_cursor->setTable("Trans", "Tag");
    m_cursor->open();
}

void TestBoundControls::cleanup()
{
    m_cursor.reset();
    m_db.reset();
    m_dir.reset();
}

QVariant TestBoundControls::stored(int tag, const QString &field)
{
    return m_db->scalar(QString("SELECT %1 FROM Trans WHERE Tag = ?").arg(field), {tag});
}

void TestBoundControls::showsTheRecordAndFollowsMoves_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("edit") << "line" << QStringList({"Alpha", "Beta", "Gamma"});
    QTest::newRow("memo") << "memo" << QStringList({"first", "second", ""});
    QTest::newRow("drop-down by code") << "combo" << QStringList({"Add", "None", ""});
    QTest::newRow("radio group") << "radio" << QStringList({"I", "G", ""});
    QTest::newRow("spin") << "spin" << QStringList({"4", "0", "7"});
}

void TestBoundControls::showsTheRecordAndFollowsMoves()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, shown);
    Bound bound(kind, *m_cursor);
    QStringList seen{bound.shown()};
    m_cursor->next();
    seen << bound.shown();
    m_cursor->next();
    seen << bound.shown();
    QCOMPARE(seen, shown);
    // Showing a record is no change of it.
    QCOMPARE(m_cursor->state(), CursorState::Browse);
}

void TestBoundControls::addKinds()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("storedValue");
    QTest::newRow("edit") << "line" << "Description" << "Payroll" << "Payroll";
    QTest::newRow("memo") << "memo" << "Memo" << "new note" << "new note";
    QTest::newRow("drop-down by code") << "combo" << "Change_Type" << "Del." << "D";
    QTest::newRow("radio group") << "radio" << "Type" << "Q" << "Q";
    QTest::newRow("spin") << "spin" << "Input_Det_Count" << "12" << "12";
}

void TestBoundControls::firstChangeStartsAnEdit_data()
{
    addKinds();
}

void TestBoundControls::firstChangeStartsAnEdit()
{
    QFETCH(QString, kind);
    QFETCH(QString, field);
    QFETCH(QString, entered);
    QFETCH(QString, storedValue);
    Bound bound(kind, *m_cursor);
    QSignalSpy states(m_cursor.get(), &TableCursor::stateChanged);
    bound.enter(entered);
    QCOMPARE(m_cursor->state(), CursorState::Edit);
    QCOMPARE(states.count(), 1);
    QCOMPARE(m_cursor->text(field), storedValue);
    QCOMPARE(bound.shown(), entered);
    QVERIFY(m_cursor->post());
    QCOMPARE(stored(1, field).toString(), storedValue);
    QCOMPARE(bound.shown(), entered);
}

void TestBoundControls::cancelShowsTheStoredValue_data()
{
    addKinds();
}

void TestBoundControls::cancelShowsTheStoredValue()
{
    QFETCH(QString, kind);
    QFETCH(QString, entered);
    Bound bound(kind, *m_cursor);
    const QString before = bound.shown();
    bound.enter(entered);
    QVERIFY(bound.shown() != before);
    m_cursor->cancel();
    QCOMPARE(bound.shown(), before);
}

void TestBoundControls::readOnlyRefusesChanges_data()
{
    addKinds();
}

void TestBoundControls::readOnlyRefusesChanges()
{
    QFETCH(QString, kind);
    QFETCH(QString, field);
    QFETCH(QString, entered);
    Bound bound(kind, *m_cursor);
    const QString before = bound.shown();
    bound.link()->setReadOnly(true);
    bound.enter(entered);
    QCOMPARE(m_cursor->state(), CursorState::Browse);
    QCOMPARE(bound.shown(), before);

    // A cursor opened read-only makes its controls read-only too.
    bound.link()->setReadOnly(false);
    m_cursor->close();
    m_cursor->open(TableCursor::ReadOnly);
    QVERIFY(bound.link()->isReadOnly());
    bound.enter(entered);
    QCOMPARE(m_cursor->state(), CursorState::Browse);
    QCOMPARE(bound.shown(), before);
    QCOMPARE(stored(1, field).toString(), m_cursor->text(field));
}

QTEST_MAIN(TestBoundControls)
#include "test_boundcontrols.moc"
