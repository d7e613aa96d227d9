#include "countfixture.h"
#include "editorfixture.h"
#include "modalwatch.h"

#include "analysis/countsummary.h"
#include "analysis/summarylistview.h"
#include "editor/countpage.h"
#include "editor/editorcommands.h"
#include "editor/mainform.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "views/dbtreeview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using namespace qm;
using C = TEditorCommands;

namespace {

QString figure(TMainForm &editor, const char *name)
{
    auto *edit = editor.countPage()->findChild<QLineEdit *>(QString::fromLatin1(name));
    return edit ? edit->text() : QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
}

// The six totals in the order of the count totals: unadjusted, added and
// changed, deleted, and the three adjusted figures.
QStringList totals(TMainForm &editor)
{
    return {figure(editor, "TotalUnAEdit"),       figure(editor, "TotalUnAddChangeEdit"),
            figure(editor, "TotalUnDeleteEdit"),  figure(editor, "TotalAddChangeEdit"),
            figure(editor, "TotalDeleteEdit"),    figure(editor, "TotalEdit")};
}

QList<QStringList> rows(const TSummaryListView *list)
{
    QList<QStringList> out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->RowTexts(i);
    return out;
}

void choose(QComboBox *box, int steps)
{
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::keyClick(box, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
}

} // namespace

class TestCountPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void factorChangesOnlyWithOk();
    void cancelRestoresCharacteristics();
    void saveStoresUnconfirmedCharacteristics();
    void copiedFromDetails_data();
    void copiedFromDetails();
    void summaryRows_data();
    void summaryRows();
    void adjustedTotalsExplainTheirProducts();
    void deletedItemsTakeTheOldFactor();
    void enteringGeneralRefreshesOnlyWhenStale();
    void modeChangeOnTransactionsPage();
    void modeCommandsKeepBothGroupsChecked();
    void sortSurvivesRefresh();
    void overflow_data();
    void overflow();
    void filteredFiguresAreBlue_data();
    void filteredFiguresAreBlue();

private:
    void addCount(int id, const QString &type = "B", int copyOf = 0);

    std::unique_ptr<test::EditorFixture> m_fx;
};

void TestCountPage::initTestCase()
{
    QVERIFY(test::HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

void TestCountPage::init()
{
    m_fx = std::make_unique<test::EditorFixture>();
}

void TestCountPage::cleanup()
{
    if (m_fx)
        QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    m_fx.reset();
}

void TestCountPage::addCount(int id, const QString &type, int copyOf)
{
    test::InsertCount(m_fx->db(), {id, "PAY", QStringLiteral("Count %1").arg(id), type, copyOf});
}

void TestCountPage::factorChangesOnlyWithOk()
{
    addCount(1);
    test::InsertTrans(m_fx->db(), {1, 1, "Bulk load", 100});
    m_fx->OpenSaved(1);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        QCOMPARE(figure(editor, "VAFAfterEdit"), QStringLiteral("1.07"));
        QCOMPARE(figure(editor, "TotalEdit"), QStringLiteral("107"));
        QVERIFY(!editor.countPage()->okButton()->isEnabled());

        choose(editor.countPage()->characteristic(0), 2); // 3 -> 5
        QVERIFY(editor.countPage()->okButton()->isEnabled());
        QCOMPARE(figure(editor, "VAFAfterEdit"), QStringLiteral("1.07"));
        QCOMPARE(figure(editor, "VAFEdit"), QStringLiteral("1.07"));
        QCOMPARE(figure(editor, "TotalEdit"), QStringLiteral("107"));

        editor.countPage()->okButton()->click();
        QCOMPARE(figure(editor, "VAFAfterEdit"), QStringLiteral("1.09"));
        QCOMPARE(figure(editor, "VAFEdit"), QStringLiteral("1.09"));
        QCOMPARE(totals(editor), (QStringList{"100", "100", "0", "109", "0", "109"}));
        QCOMPARE(m_fx->state().changeCount, 1);
        QVERIFY(!editor.countPage()->okButton()->isEnabled());
        QVERIFY(editor.commands().action(C::Save)->isEnabled());
    });
}

void TestCountPage::saveStoresUnconfirmedCharacteristics()
{
    addCount(1);
    test::InsertTrans(m_fx->db(), {1, 1, "Bulk load", 100});
    m_fx->OpenSaved(1);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        QAction *save = editor.commands().action(C::Save);
        QVERIFY(!save->isEnabled());
        choose(editor.countPage()->characteristic(0), 2); // 3 -> 5, not confirmed
        QCOMPARE(m_fx->state().changeCount, 0);
        QVERIFY(save->isEnabled());
        save->trigger();
        QCOMPARE(m_fx->Scalar("SELECT VAF_1 FROM CCounts WHERE Description = 'Count 1'").toInt(), 5);
        QCOMPARE(figure(editor, "VAFAfterEdit"), QStringLiteral("1.09"));
        QVERIFY(!save->isEnabled());
        QVERIFY(!editor.countPage()->okButton()->isEnabled());
    });
}

void TestCountPage::cancelRestoresCharacteristics()
{
    addCount(1);
    test::InsertTrans(m_fx->db(), {1, 1, "Bulk load", 100});
    m_fx->OpenSaved(1);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        QComboBox *box = editor.countPage()->characteristic(13);
        choose(box, -3); // 3 -> 0
        QCOMPARE(box->currentText(), QStringLiteral("0"));
        editor.countPage()->cancelButton()->click();
        QCOMPARE(box->currentText(), QStringLiteral("3"));
        QCOMPARE(editor.countTbl().intValue("VAF_14"), 3);
        QCOMPARE(figure(editor, "TotalEdit"), QStringLiteral("107"));
        QCOMPARE(m_fx->state().changeCount, 0);
        QVERIFY(!editor.countPage()->cancelButton()->isEnabled());
    });
}

void TestCountPage::copiedFromDetails_data()
{
    QTest::addColumn<int>("copyOf");
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("description");
    QTest::newRow("derived") << 1 << "PAY" << "Count 1";
    QTest::newRow("not derived") << 0 << "" << "";
}

void TestCountPage::copiedFromDetails()
{
    QFETCH(int, copyOf);
    QFETCH(QString, system);
    QFETCH(QString, description);
    addCount(1);
    addCount(2, "E", copyOf);
    m_fx->OpenSaved(2);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        QCOMPARE(figure(editor, "OwnerSystemEdit"), system);
        QCOMPARE(figure(editor, "OwnerDescriptionEdit"), description);
        QCOMPARE(figure(editor, "CreatedDateEdit"), QStringLiteral("02/01/2024"));
    });
}

void TestCountPage::summaryRows_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QList<QStringList>>("expected");
    QTest::addColumn<QStringList>("expectedTotals");

    // An added input of 4 inside a group of a group and a deleted top-level
    // input of 3, at 1.07 after and 1.00 before. Rows that sort equal stay
    // in the order the walk met them: the deleted input comes first.
    const QStringList counted = {"7", "4", "3", "4", "3", "7"};
    QTest::newRow("type / change type")
        << 0 << 1 << "Summary - Type/Change Type"
        << QList<QStringList>{{"Transactions - External Input", "Del", "1", "3", "3.0"},
                              {"Transactions - External Input", "Add", "1", "4", "4.3"}}
        << counted;
    QTest::newRow("breakdown +1")
        << 1 << 1 << "Summary - Breakdown +1 Level"
        << QList<QStringList>{{"Trans.", "Orders", "1", "4", "4.3"}, {"Trans. - EI", "Old entry", "1", "3", "3.0"}}
        << counted;
    QTest::newRow("breakdown +2")
        << 1 << 2 << "Summary - Breakdown +2 Level"
        << QList<QStringList>{{"Trans. - EI", "Old entry", "1", "3", "3.0"},
                              {"Trans. - EI", "New order", "1", "4", "4.3"}}
        << counted;
    QTest::newRow("type") << 2 << 1 << "Summary - Type"
                          << QList<QStringList>{{"Transactions - External Input", "2", "7", "7.3"}} << counted;
    QTest::newRow("change type") << 3 << 1 << "Summary - Change Type"
                                 << QList<QStringList>{{"Add", "1", "4", "4.3"}, {"Del", "1", "3", "3.0"}}
                                 << counted;
}

void TestCountPage::summaryRows()
{
    QFETCH(int, mode);
    QFETCH(int, level);
    QFETCH(QString, caption);
    QFETCH(QList<QStringList>, expected);
    QFETCH(QStringList, expectedTotals);
    addCount(1, "E");
    test::InsertTrans(m_fx->db(), {1, 1, "Sales", 0, "G"});
    test::InsertTrans(m_fx->db(), {1, 2, "Orders", 0, "G", "A", 1});
    test::InsertTrans(m_fx->db(), {1, 3, "New order", 4, "I", "A", 2});
    test::InsertTrans(m_fx->db(), {1, 4, "Old entry", 3, "I", "D"});
    test::InsertFile(m_fx->db(), {1, 5, "Kept", 7, "I", "N"});
    m_fx->OpenSaved(1);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        editor.SetSummaryLevel(level);
        editor.SetSummaryMode(mode);
        QCOMPARE(editor.countPage()->summaryBox()->title(), caption);
        QCOMPARE(rows(editor.countPage()->summaryList()), expected);
        QCOMPARE(totals(editor), expectedTotals);
    });
}

void TestCountPage::adjustedTotalsExplainTheirProducts()
{
    addCount(1, "E");
    test::InsertTrans(m_fx->db(), {1, 1, "New order", 4, "I", "A"});
    test::InsertTrans(m_fx->db(), {1, 2, "Old entry", 3, "I", "D"});
    m_fx->OpenSaved(1);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        const auto tip = [&](const char *name) {
            auto *edit = editor.countPage()->findChild<QLineEdit *>(QString::fromLatin1(name));
            return edit ? edit->toolTip() : QStringLiteral("<missing>");
        };
        QCOMPARE(totals(editor), (QStringList{"7", "4", "3", "4", "3", "7"}));
        QCOMPARE(tip("TotalAddChangeEdit"), QStringLiteral("4 x 1.07 = 4.28"));
        QCOMPARE(tip("TotalDeleteEdit"), QStringLiteral("3 x 1.00 = 3"));
        QCOMPARE(tip("TotalEdit"), QStringLiteral("4.28 + 3 = 7.28"));
    });
}

// Deleted items count at the factor before the project. With 0.95 against
// 1.07, and 30 deleted points, taking the wrong factor (42) or adding the
// two truncated parts (10 + 28) gives another total than the right 39.
void TestCountPage::deletedItemsTakeTheOldFactor()
{
    test::CountRow count(1, "PAY", "Payroll changes", "E");
    count.oldVaf = 0.95;
    test::InsertCount(m_fx->db(), count);
    test::InsertTrans(m_fx->db(), {1, 1, "Payments", 0, "G", "N"});
    test::InsertTrans(m_fx->db(), {1, 2, "New payment", 4, "I", "A", 1});
    test::InsertTrans(m_fx->db(), {1, 3, "Old payment", 6, "I", "D", 1});
    test::InsertTrans(m_fx->db(), {1, 4, "Old enquiry", 4, "Q", "D", 1});
    test::InsertTrans(m_fx->db(), {1, 5, "Payment list", 5, "O", "N", 1});
    test::InsertFile(m_fx->db(), {1, 6, "Employees", 6, "E", "M"});
    test::InsertFile(m_fx->db(), {1, 7, "Old ledger", 15, "I", "D"});
    test::InsertFile(m_fx->db(), {1, 8, "Old rates", 5, "E", "D"});
    m_fx->OpenSaved(1);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        QCOMPARE(figure(editor, "VAFBeforeEdit"), QString("0.95"));
        QCOMPARE(figure(editor, "VAFAfterEdit"), QString("1.07"));
        QCOMPARE(totals(editor), (QStringList{"40", "10", "30", "10", "28", "39"}));
        editor.close();
    });
    // What the catalogue gets is the same figure.
    QCOMPARE(m_fx->Scalar("SELECT FP_Val FROM CCounts WHERE Id = 1").toInt(), 39);
}

void TestCountPage::enteringGeneralRefreshesOnlyWhenStale()
{
    addCount(1);
    test::InsertTrans(m_fx->db(), {1, 1, "Entry", 4});
    m_fx->OpenSaved(1);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        QSignalSpy refreshed(&editor.summary(), &TCountSummary::SummaryRefreshed);
        editor.pageControl()->setCurrentIndex(TMainForm::FilesPage);
        editor.pageControl()->setCurrentIndex(TMainForm::GeneralPage);
        editor.pageControl()->setCurrentIndex(TMainForm::FilesPage);
        editor.pageControl()->setCurrentIndex(TMainForm::GeneralPage);
        QCOMPARE(refreshed.count(), 0);
        // Any posted change moves the counter, so the next entry refreshes.
        ++m_fx->state().changeCount;
        editor.pageControl()->setCurrentIndex(TMainForm::FilesPage);
        editor.pageControl()->setCurrentIndex(TMainForm::GeneralPage);
        QCOMPARE(refreshed.count(), 1);
        editor.pageControl()->setCurrentIndex(TMainForm::AnalyserPage);
        editor.pageControl()->setCurrentIndex(TMainForm::GeneralPage);
        QCOMPARE(refreshed.count(), 1);
    });
}

void TestCountPage::modeChangeOnTransactionsPage()
{
    addCount(1);
    test::InsertTrans(m_fx->db(), {1, 1, "Sales", 0, "G"});
    test::InsertTrans(m_fx->db(), {1, 2, "Order entry", 4, "I", "A", 1});
    test::InsertTrans(m_fx->db(), {1, 3, "Order list", 5, "O", "A", 1});
    m_fx->OpenSaved(1);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        TTransPage *page = editor.transPage();
        editor.pageControl()->setCurrentIndex(TMainForm::TransactionsPage);
        page->tree()->SelectNode(page->tree()->FindNodeById("1"));
        page->panelTabs()->setCurrentWidget(page->totalsTab());
        QCOMPARE(rows(page->totalsList()),
                 (QList<QStringList>{{"Trans. - EI", "Add", "1", "4", "4.3"}, {"Trans. - EO", "Add", "1", "5", "5.4"}}));

        QSignalSpy refreshed(&editor.summary(), &TCountSummary::SummaryRefreshed);
        editor.commands().summaryButton()->click(); // to the breakdown
        QCOMPARE(page->totalsList()->ColumnCaptions(), (QStringList{"Description", "Count", "UnAdj. FP", "Adj. FP"}));
        QCOMPARE(rows(page->totalsList()),
                 (QList<QStringList>{{"Order entry", "1", "4", "4.3"}, {"Order list", "1", "5", "5.4"}}));
        QCOMPARE(refreshed.count(), 0);
        editor.pageControl()->setCurrentIndex(TMainForm::GeneralPage);
        QCOMPARE(refreshed.count(), 1);
        QCOMPARE(editor.countPage()->summaryBox()->title(), QStringLiteral("Summary - Breakdown +1 Level"));
    });
}

void TestCountPage::modeCommandsKeepBothGroupsChecked()
{
    addCount(1);
    m_fx->OpenSaved(1);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        TEditorCommands &c = editor.commands();
        QCOMPARE(c.CheckedMenuMode(), 0);
        QCOMPARE(c.CheckedMenuLevel(), 1);
        for (int expected : {1, 2, 3, 0}) {
            c.summaryButton()->click();
            QCOMPARE(m_fx->state().summaryMode, expected);
            QCOMPARE(c.CheckedMenuMode(), expected);
            QCOMPARE(c.CheckedButtonMode(), expected);
        }
        for (int expected : {2, 3, 1}) {
            editor.SetSummaryMode(int(SummaryMode::Breakdown));
            c.summaryLevelButton()->click();
            QCOMPARE(m_fx->state().summaryLevel, expected);
            QCOMPARE(c.CheckedMenuLevel(), expected);
            QCOMPARE(c.CheckedButtonLevel(), expected);
            QCOMPARE(editor.countPage()->summaryBox()->title(),
                     QStringLiteral("Summary - Breakdown +%1 Level").arg(expected));
        }
    });
}

void TestCountPage::sortSurvivesRefresh()
{
    addCount(1);
    test::InsertTrans(m_fx->db(), {1, 1, "Entry one", 4});
    test::InsertTrans(m_fx->db(), {1, 2, "Entry two", 3});
    test::InsertTrans(m_fx->db(), {1, 3, "Report", 5, "O"});
    test::InsertFile(m_fx->db(), {1, 4, "Customers", 7});
    m_fx->OpenSaved(1);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        TSummaryListView *list = editor.countPage()->summaryList();
        const auto counts = [list] {
            QStringList out;
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                out << list->topLevelItem(i)->text(2);
            return out;
        };
        list->HeaderClicked(2);
        QCOMPARE(counts(), (QStringList{"2", "1", "1"}));
        list->HeaderClicked(2);
        QCOMPARE(counts(), (QStringList{"1", "1", "2"}));
        editor.RefreshSummary();
        QCOMPARE(list->sortColumn(), 2);
        QCOMPARE(list->sortOrder(), Qt::AscendingOrder);
        QCOMPARE(counts(), (QStringList{"1", "1", "2"}));
    });
}

void TestCountPage::overflow_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("rowsShown");
    QTest::addColumn<QString>("caption");
    // Only codes outside the vocabulary fill the small tables.
    QTest::newRow("type / change type reports and shows what it has")
        << 0 << QStringList{"error: Summary Overflow - Limit Exceeded"} << 20 << "Summary - Type/Change Type";
    QTest::newRow("type gives up silently, keeping the last summary")
        << 2 << QStringList{} << 1 << "Summary - Change Type";
}

void TestCountPage::overflow()
{
    QFETCH(int, mode);
    QFETCH(QStringList, messages);
    QFETCH(int, rowsShown);
    QFETCH(QString, caption);
    addCount(1);
    for (int i = 0; i < 21; ++i)
        test::InsertFile(m_fx->db(), {1, 100 + i, QStringLiteral("File %1").arg(i), 1, QString(QChar(u'a' + i))});
    m_fx->OpenSaved(1);
    m_fx->state().summaryMode = int(SummaryMode::ChangeType);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        TSummaryListView *list = editor.countPage()->summaryList();
        QCOMPARE(list->topLevelItemCount(), 1);
        editor.SetSummaryMode(mode);
        QCOMPARE(m_fx->dialogs.texts(), messages);
        QCOMPARE(list->topLevelItemCount(), rowsShown);
        QCOMPARE(editor.countPage()->summaryBox()->title(), caption);
        QCOMPARE(figure(editor, "TotalUnAEdit"), mode == 0 ? QStringLiteral("20") : QStringLiteral("21"));
        // Still drawn and answering clicks.
        QVERIFY(list->updatesEnabled());
        list->HeaderClicked(0);
        QCOMPARE(list->sortColumn(), 0);
    });
}

void TestCountPage::filteredFiguresAreBlue_data()
{
    QTest::addColumn<bool>("filtered");
    QTest::newRow("filter on") << true;
    QTest::newRow("filter off") << false;
}

void TestCountPage::filteredFiguresAreBlue()
{
    QFETCH(bool, filtered);
    addCount(1);
    test::InsertTrans(m_fx->db(), {1, 1, "Entry", 4});
    m_fx->OpenSaved(1);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        // Every count opens unfiltered; the filter comes from its dialog.
        if (filtered) {
            auto watch = test::ModalWatch::Start(
                [](QWidget *modal) {
                    modal->findChild<QCheckBox *>(QStringLiteral("ChangeTypeAddCheckBox"))->click();
                    modal->findChild<QPushButton *>(QStringLiteral("OkButton"))->click();
                },
                QStringLiteral("TFormFilter"));
            editor.commands().action(TEditorCommands::ToolFilter)->trigger();
            QVERIFY(watch->fired());
            QVERIFY(m_fx->state().filterActive);
        }
        const QColor expected = filtered ? QColor(Qt::blue) : editor.palette().color(QPalette::WindowText);
        for (const char *name : {"TotalEdit", "TotalUnAEdit", "VAFAfterEdit", "VAFBeforeEdit"}) {
            auto *edit = editor.countPage()->findChild<QLineEdit *>(QString::fromLatin1(name));
            QVERIFY(edit);
            QCOMPARE(edit->palette().color(QPalette::Text), expected);
        }
        QCOMPARE(editor.countPage()->summaryList()->palette().color(QPalette::Text), expected);
        QCOMPARE(editor.transPage()->tree()->FontColour() == QColor(Qt::blue), filtered);
        // The filter is switched off before the count's total is taken.
        editor.close();
    });
    QVERIFY(!m_fx->state().filterActive);
}

QTEST_MAIN(TestCountPage)
#include "test_countpage.moc"
