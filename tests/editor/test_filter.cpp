#include "countfixture.h"
#include "editorfixture.h"
#include "modalwatch.h"

#include "analysis/analyserchart.h"
#include "analysis/fpchart.h"
#include "analysis/formfilter.h"
#include "analysis/countsummary.h"
#include "analysis/summarylistview.h"
#include "editor/countpage.h"
#include "editor/editorcommands.h"
#include "editor/filespage.h"
#include "editor/mainform.h"
#include "editor/editorreport.h"
#include "editor/reportsource.h"
#include "report/countreportdata.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/database.h"
#include "views/dbtreeview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidgetItemIterator>
#include <QtTest>

#include <numeric>

using namespace qm;
using C = TEditorCommands;

namespace {

const QString kReportQuestion = QStringLiteral(
    "confirmation: Cannot add or remove a filter while preparing a report\n\nDo you want to stop the report ?\n\n"
    "Press \"Yes\" to stop the report and continue\n\nPress \"No\" to let the report complete");

QStringList names(const TDBTreeView *tree)
{
    QStringList out;
    for (QTreeWidgetItemIterator it(const_cast<TDBTreeView *>(tree)); *it; ++it)
        out << TDBTreeView::NodeOf(*it)->info.name;
    out.sort();
    return out;
}

// What a user does in "Filter Details": clicks on boxes by name, perhaps a
// file chosen, then "OK" or the close box.
struct DialogActions
{
    QStringList clicks;
    QString file;
    bool ok = true;
};

} // namespace

class TestFilter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void filterNarrowsTrees_data();
    void filterNarrowsTrees();
    void summaryAndTotalsFollowFilter();
    void closeBoxAppliesOnlyChanges_data();
    void closeBoxAppliesOnlyChanges();
    void filterOffWithoutFilterStoresPendingRow();
    void filterOffRenewsDialog();
    void reportQuestion_data();
    void reportQuestion();
    void savedTotalIsUnfiltered();
    void fileFilterSurvivesSave();
    void newCountStartsUnfiltered();
    void debugLabelShowsText();
    void renamedFileGivesNoFileCondition();
    void reportFollowsFilter();
    void reportInProgressIsAskedAbout();

private:
    void addPayrollEnhancement();
    std::shared_ptr<test::ModalWatch> Dialog(const DialogActions &actions);
    void Filter(const DialogActions &actions);
    TFormFilter *form() { return m_fx->editor().filterForm(); }

    std::unique_ptr<test::EditorFixture> m_fx;
};

void TestFilter::initTestCase()
{
    QVERIFY(test::HasRealFont());
}

void TestFilter::init()
{
    m_fx = std::make_unique<test::EditorFixture>();
}

void TestFilter::cleanup()
{
    if (m_fx)
        QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    m_fx.reset();
}

// Count 5, an enhancement: two groups of items of every change type and
// complexity, one top-level inquiry, three files; "Employees" is read by
// "Add payment" and written by "Pay slip".
void TestFilter::addPayrollEnhancement()
{
    Database &db = m_fx->db();
    test::InsertCount(db, {5, "PAY", "Payroll enhancement", "E"});
    const auto trans = [&db](int tag, const QString &name, double fp, const QString &type, const QString &change,
                             int owner, const QString &complexity) {
        test::TransRow row(5, tag, name, fp, type, change, owner);
        row.complexity = complexity;
        test::InsertTrans(db, row);
    };
    trans(10, "Payments", 0, "G", "A", 0, "0");
    trans(11, "Add payment", 6, "I", "A", 10, "3");
    trans(12, "Payment list", 5, "O", "M", 10, "2");
    trans(13, "Reports", 0, "G", "A", 0, "0");
    trans(14, "Pay slip", 4, "O", "A", 13, "1");
    trans(15, "Old report", 3, "Q", "D", 13, "1");
    trans(16, "Pay query", 3, "Q", "N", 0, "1");
    const auto file = [&db](int tag, const QString &name, double fp, const QString &type, const QString &change) {
        test::FileRow row(5, tag, name, fp, type, change);
        row.complexity = QStringLiteral("1");
        test::InsertFile(db, row);
    };
    file(20, "Employees", 7, "I", "M");
    file(21, "Tax rates", 5, "E", "A");
    file(22, "Archive", 7, "I", "D");
    test::InsertLink(db, {5, 20, 11, "I"});
    test::InsertLink(db, {5, 20, 14, "O"});
    test::InsertLink(db, {5, 21, 12, "I"});
}

std::shared_ptr<test::ModalWatch> TestFilter::Dialog(const DialogActions &actions)
{
    return test::ModalWatch::Start(
        [actions](QWidget *modal) {
            for (const QString &name : actions.clicks) {
                auto *box = modal->findChild<QCheckBox *>(name);
                QVERIFY2(box, qPrintable(name));
                box->click();
            }
            if (!actions.file.isEmpty()) {
                auto *list = modal->findChild<QComboBox *>(QStringLiteral("FilesComboBox"));
                const int index = list->findText(actions.file);
                QVERIFY(index >= 0);
                list->setCurrentIndex(index);
                emit list->activated(index);
            }
            if (actions.ok)
                modal->findChild<QPushButton *>(QStringLiteral("OkButton"))->click();
            else
                modal->close();
        },
        QStringLiteral("TFormFilter"));
}

void TestFilter::Filter(const DialogActions &actions)
{
    auto watch = Dialog(actions);
    m_fx->editor().commands().action(C::ToolFilter)->trigger();
    QVERIFY(watch->fired());
}

void TestFilter::filterNarrowsTrees_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("transText");
    QTest::addColumn<QString>("fileText");
    QTest::addColumn<QStringList>("transNodes");
    QTest::addColumn<QStringList>("fileNodes");

    const QStringList allTrans = {"Add payment", "Old report", "Pay query", "Pay slip",
                                  "Payment list", "Payments", "Reports"};
    const QStringList allFiles = {"Archive", "Employees", "Tax rates"};
    const QString amHigh = " and Change_Type in ('A','M') and Complexity in ('3')";
    QTest::newRow("added and modified, high")
        << QStringList{"ChangeTypeAddCheckBox", "ChangeTypeModifyCheckBox", "ComplexityHighCheckBox"} << QString()
        << amHigh << amHigh << QStringList{"Add payment", "Payments"} << QStringList{};
    // Every stored code passes, yet the filter counts as on.
    QTest::newRow("change type show all cleared")
        << QStringList{"ChangeTypeShowAllCheckBox"} << QString() << " and Change_Type in ('A','M','D','N')"
        << " and Change_Type in ('A','M','D','N')" << allTrans << allFiles;
    // "Reports" holds no input anywhere below it; files are not touched.
    QTest::newRow("input only") << QStringList{"TransTypeInputCheckBox"} << QString() << " and Type in ('I')"
                                << QString() << QStringList{"Add payment", "Payments"} << allFiles;
    QTest::newRow("file on either side")
        << QStringList{} << "Employees"
        << " and Tag in (Select Trans_Tag from FilesLink where Count_Id = 5 and File_Tag = 20)" << QString()
        << QStringList{"Add payment", "Pay slip", "Payments", "Reports"} << allFiles;
    QTest::newRow("ticked and cleared again") << QStringList{"ChangeTypeAddCheckBox", "ChangeTypeAddCheckBox"}
                                              << "**Show All**" << QString() << QString() << allTrans << allFiles;
}

void TestFilter::filterNarrowsTrees()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, file);
    QFETCH(QString, transText);
    QFETCH(QString, fileText);
    QFETCH(QStringList, transNodes);
    QFETCH(QStringList, fileNodes);
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    TMainForm &editor = m_fx->editor();
    const QString rows = "SELECT group_concat(Tag || Change_Type || FP_Val || Description) FROM "
                         "(SELECT Tag, Change_Type, FP_Val, Description FROM Trans UNION ALL "
                         "SELECT Tag, Change_Type, FP_Val, Description FROM Files ORDER BY 1)";
    QString storedBefore;
    m_fx->Run([&] {
        storedBefore = m_fx->Scalar(rows).toString();
        QVERIFY(!storedBefore.isEmpty());
        Filter({clicks, file, true});
        const FilterState &state = form()->filter();
        QCOMPARE(state.transFilterText, transText);
        QCOMPARE(state.fileFilterText, fileText);
        const bool on = !transText.isEmpty();
        QCOMPARE(m_fx->state().filterActive, on);
        QCOMPARE(names(editor.transPage()->tree()), transNodes);
        QCOMPARE(names(editor.filesPage()->tree()), fileNodes);
        QCOMPARE(editor.statusPanel(1)->text(), on ? QString("Filter On") : QString());
        QCOMPARE(editor.transPage()->tree()->FilterOn(), on);
        QCOMPARE(editor.transPage()->tree()->FontColour() == QColor(Qt::blue), on);
        QCOMPARE(editor.commands().action(C::ToolFilterOff)->isEnabled(), on);
        // "Show All" ticked exactly when no code box of its group is.
        for (const TFormFilter::Group *group :
             {&form()->changeGroup(), &form()->complexityGroup(), &form()->typeGroup()}) {
            bool any = false;
            for (const QCheckBox *box : group->codes)
                any = any || box->isChecked();
            QCOMPARE(group->showAll->isChecked(), !any);
        }
    });
    // The stored rows are never touched by a filter.
    QCOMPARE(m_fx->Scalar(rows).toString(), storedBefore);
}

void TestFilter::summaryAndTotalsFollowFilter()
{
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    TMainForm &editor = m_fx->editor();
    const SummaryDisplays shown = editor.countPage()->Displays();
    m_fx->Run([&] {
        // A 6 + 4 + 5, M 5 + 7, D 3 + 7: (27 x 1.07) + 10 = 38.89.
        QCOMPARE(shown.totalAdjusted->text(), QString("38"));
        Filter({{"ChangeTypeAddCheckBox"}, {}, true});
        // A only: 15 x 1.07 = 16.05.
        QCOMPARE(shown.totalUnadjusted->text(), QString("15"));
        QCOMPARE(shown.totalDeleted->text(), QString("0"));
        QCOMPARE(shown.totalAdjusted->text(), QString("16"));
        QCOMPARE(shown.totalAdjusted->palette().color(QPalette::Text) == QColor(Qt::blue)
                     || shown.totalAdjusted->palette().color(QPalette::WindowText) == QColor(Qt::blue),
                 true);
        // Added inputs, added outputs, added interface files.
        QCOMPARE(shown.summaryList->topLevelItemCount(), 3);
        // The chart draws the filtered summary: one slice a row, unadjusted points.
        const auto chartValues = [&] {
            editor.pageControl()->setCurrentIndex(TMainForm::AnalyserPage);
            const QList<double> values = editor.analyserChart()->chart()->SeriesValues();
            editor.pageControl()->setCurrentIndex(TMainForm::GeneralPage);
            return values;
        };
        const QList<double> filtered = chartValues();
        QCOMPARE(filtered.size(), 3);
        QCOMPARE(std::accumulate(filtered.begin(), filtered.end(), 0.0), 15.0);
        editor.commands().action(C::ToolFilterOff)->trigger();
        const QList<double> whole = chartValues();
        QCOMPARE(whole.size(), shown.summaryList->topLevelItemCount());
        QCOMPARE(std::accumulate(whole.begin(), whole.end(), 0.0), 37.0);
        QCOMPARE(m_fx->state().filterActive, false);
        QCOMPARE(shown.totalAdjusted->text(), QString("38"));
        QCOMPARE(editor.statusPanel(1)->text(), QString());
        QCOMPARE(editor.transPage()->tree()->FontColour() == QColor(Qt::blue), false);
        QCOMPARE(names(editor.transPage()->tree()).size(), 7);
    });
}

void TestFilter::closeBoxAppliesOnlyChanges_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("rebuilds");
    QTest::newRow("close box, nothing changed") << QStringList{} << false << 0;
    QTest::newRow("OK, nothing changed") << QStringList{} << true << 1;
    QTest::newRow("close box after a change") << QStringList{"ComplexityLowCheckBox"} << false << 1;
}

void TestFilter::closeBoxAppliesOnlyChanges()
{
    QFETCH(QStringList, clicks);
    QFETCH(bool, ok);
    QFETCH(int, rebuilds);
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    m_fx->Run([&] {
        // The first opening renews the dialog for the count, which counts
        // as a change: get past it first.
        Filter({{}, {}, false});
        QSignalSpy spy(&m_fx->editor().summary(), &TCountSummary::SummaryRefreshed);
        Filter({clicks, {}, ok});
        QCOMPARE(int(spy.count()), rebuilds);
        QCOMPARE(form()->filter().filterChanged, false);
    });
}

void TestFilter::filterOffWithoutFilterStoresPendingRow()
{
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        editor.pageControl()->setCurrentIndex(TMainForm::TransactionsPage);
        editor.transPage()->tree()->SelectNode(editor.transPage()->tree()->FindNodeById("16"));
        QLineEdit *name = editor.transPage()->nameEdit();
        name->selectAll();
        QTest::keyClicks(name, "Pay enquiry");
        QSignalSpy spy(&editor.summary(), &TCountSummary::SummaryRefreshed);
        // The button is off without a filter; the command itself is safe.
        editor.FilterOff();
        QCOMPARE(int(spy.count()), 0);
        QCOMPARE(m_fx->state().filterActive, false);
    });
    QCOMPARE(m_fx->Scalar("SELECT Description FROM Trans WHERE Tag = 16").toString(), QString("Pay enquiry"));
    // Closing asked to save the stored edit; the scripted answer was none.
}

void TestFilter::filterOffRenewsDialog()
{
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    m_fx->Run([&] {
        Filter({{"ChangeTypeDeleteCheckBox"}, "Employees", true});
        QVERIFY(m_fx->state().filterActive);
        // The dialog keeps the filter in force between openings.
        Filter({{}, {}, false});
        QVERIFY(form()->changeGroup().codes[2]->isChecked());
        QCOMPARE(form()->fileList()->currentText(), QString("Employees"));
        m_fx->editor().commands().action(C::ToolFilterOff)->trigger();
        QVERIFY(form()->filter().filterResetPending);
        // At its next opening it shows no filter.
        Filter({{}, {}, false});
        QVERIFY(!form()->changeGroup().codes[2]->isChecked());
        QVERIFY(form()->changeGroup().showAll->isChecked());
        QCOMPARE(form()->fileList()->currentIndex(), 0);
        QCOMPARE(form()->fileList()->count(), 4);
        QCOMPARE(m_fx->state().filterActive, false);
    });
}

void TestFilter::reportQuestion_data()
{
    QTest::addColumn<bool>("filterOff");
    QTest::addColumn<bool>("stop");
    QTest::newRow("Filter, No") << false << false;
    QTest::newRow("Filter, Yes") << false << true;
    QTest::newRow("Filter Off, No") << true << false;
    QTest::newRow("Filter Off, Yes") << true << true;
}

void TestFilter::reportQuestion()
{
    QFETCH(bool, filterOff);
    QFETCH(bool, stop);
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    TMainForm &editor = m_fx->editor();
    int cancelled = 0;
    editor.setCancelReport([&cancelled] { ++cancelled; });
    m_fx->Run([&] {
        Filter({{"ChangeTypeAddCheckBox"}, {}, true});
        const QStringList before = names(editor.transPage()->tree());
        m_fx->state().reportBusy = true;
        m_fx->dialogs.queueAnswer(stop ? MessageAnswer::Yes : MessageAnswer::No);
        // "Yes" goes on: the dialog comes up and takes the Delete box too.
        auto watch = stop && !filterOff ? Dialog({{"ChangeTypeDeleteCheckBox"}, {}, true}) : nullptr;
        editor.commands().action(filterOff ? C::ToolFilterOff : C::ToolFilter)->trigger();
        QCOMPARE(m_fx->dialogs.texts(), QStringList{kReportQuestion});
        QCOMPARE(cancelled, stop ? 1 : 0);
        QCOMPARE(m_fx->state().reportBusy, !stop);
        if (!stop) {
            // Filter, trees and dialog as they were.
            QVERIFY(m_fx->state().filterActive);
            QCOMPARE(names(editor.transPage()->tree()), before);
            QVERIFY(form()->changeGroup().codes[0]->isChecked());
            QCOMPARE(form()->filter().transFilterText, QString(" and Change_Type in ('A')"));
        } else if (filterOff) {
            QVERIFY(!m_fx->state().filterActive);
            QCOMPARE(names(editor.transPage()->tree()).size(), 7);
        } else {
            QVERIFY(watch->fired());
            QCOMPARE(form()->filter().transFilterText, QString(" and Change_Type in ('A','D')"));
        }
        m_fx->state().reportBusy = false;
    });
}

void TestFilter::savedTotalIsUnfiltered()
{
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    TMainForm &editor = m_fx->editor();
    m_fx->dialogs.queueAnswer(MessageAnswer::No);
    int savedId = 0;
    m_fx->Run([&] {
        Filter({{"ChangeTypeAddCheckBox"}, {}, true});
        QCOMPARE(editor.countPage()->Displays().totalAdjusted->text(), QString("16"));
        // A change, saved while the filter is on.
        editor.countPage()->nameEdit()->selectAll();
        QTest::keyClicks(editor.countPage()->nameEdit(), "Payroll phase 2");
        editor.countPage()->okButton()->click();
        editor.commands().action(C::Save)->trigger();
        savedId = m_fx->state().currentCountId;
        QCOMPARE(m_fx->Scalar("SELECT FP_Val FROM CCounts WHERE Id = ?", {savedId}).toInt(), 38);
        // A later edit thrown away at closing.
        editor.countPage()->nameEdit()->selectAll();
        QTest::keyClicks(editor.countPage()->nameEdit(), "Payroll phase 3");
        editor.countPage()->okButton()->click();
        editor.close();
    });
    QCOMPARE(m_fx->dialogs.texts(), QStringList{"confirmation: Save Changes to Count?"});
    QVERIFY(savedId != 5);
    QCOMPARE(m_fx->Scalar("SELECT Description FROM CCounts WHERE Id = ?", {savedId}).toString(),
             QString("Payroll phase 2"));
    QCOMPARE(m_fx->Scalar("SELECT FP_Val FROM CCounts WHERE Id = ?", {savedId}).toInt(), 38);
    QCOMPARE(m_fx->state().filterActive, false);
}

void TestFilter::fileFilterSurvivesSave()
{
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    TMainForm &editor = m_fx->editor();
    m_fx->Run([&] {
        Filter({{}, "Employees", true});
        editor.countPage()->nameEdit()->selectAll();
        QTest::keyClicks(editor.countPage()->nameEdit(), "Payroll phase 2");
        editor.countPage()->okButton()->click();
        editor.commands().action(C::Save)->trigger();
        const int id = m_fx->state().currentCountId;
        // The file condition names the count by its new number.
        QVERIFY(form()->filter().transFilterText.contains(QStringLiteral("Count_Id = %1 ").arg(id)));
        editor.RebuildTrees();
        QCOMPARE(names(editor.transPage()->tree()), (QStringList{"Add payment", "Pay slip", "Payments", "Reports"}));
    });
}

void TestFilter::newCountStartsUnfiltered()
{
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    m_fx->Run([&] {
        Filter({{"ChangeTypeAddCheckBox"}, "Employees", true});
        m_fx->editor().close();
    });
    // Closed with the filter on: it went off before the total was stored.
    QCOMPARE(m_fx->state().filterActive, false);
    QCOMPARE(m_fx->Scalar("SELECT FP_Val FROM CCounts WHERE Id = 5").toInt(), 38);
    m_fx->CreateNew("B");
    m_fx->dialogs.queueAnswer(MessageAnswer::No);
    m_fx->Run([&] {
        QVERIFY(form()->filter().filterResetPending);
        QCOMPARE(form()->filter().transFilterText, QString());
        QCOMPARE(form()->filter().filterFileName, QString());
        QCOMPARE(m_fx->editor().statusPanel(1)->text(), QString());
        Filter({{}, {}, false});
        // Renewed for the new count: no files, every group on "Show All".
        QCOMPARE(form()->fileList()->count(), 1);
        QVERIFY(form()->changeGroup().showAll->isChecked());
        m_fx->editor().close();
    });
}

void TestFilter::debugLabelShowsText()
{
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    m_fx->state().debug = true;
    m_fx->Run([&] {
        bool shown = false;
        auto watch = test::ModalWatch::Start(
            [&shown](QWidget *modal) {
                shown = modal->findChild<QLabel *>("DebugLabel")->isVisible();
                modal->findChild<QCheckBox *>("TransTypeOutputCheckBox")->click();
                modal->findChild<QPushButton *>("OkButton")->click();
            },
            "TFormFilter");
        m_fx->editor().OpenFilter();
        QVERIFY(watch->fired());
        QVERIFY(shown);
        QCOMPARE(form()->debugLabel()->text(), QString(" and Type in ('O')"));
        m_fx->editor().close();
    });
    // Without the flag the label stays hidden.
    m_fx->state().debug = false;
    m_fx->OpenSaved(5);
    m_fx->Run([&] {
        bool shown = true;
        auto watch = test::ModalWatch::Start(
            [&shown](QWidget *modal) {
                shown = modal->findChild<QLabel *>("DebugLabel")->isVisible();
                modal->close();
            },
            "TFormFilter");
        m_fx->editor().OpenFilter();
        QVERIFY(watch->fired());
        QVERIFY(!shown);
    });
}

void TestFilter::renamedFileGivesNoFileCondition()
{
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    m_fx->Run([&] {
        Filter({{"ChangeTypeAddCheckBox"}, "Employees", true});
        QCOMPARE(form()->filter().filterFileTag, 20);
        // Renamed since the list was filled: the choice no longer names a file.
        m_fx->db().exec("UPDATE Files SET Description = 'Staff' WHERE Tag = 20");
        Filter({{}, {}, true});
        QCOMPARE(form()->filter().filterFileName, QString("Employees"));
        QCOMPARE(form()->filter().filterFileTag, 0);
        QCOMPARE(form()->filter().transFilterText, QString(" and Change_Type in ('A')"));
        QCOMPARE(names(m_fx->editor().transPage()->tree()),
                 (QStringList{"Add payment", "Pay slip", "Payments", "Reports"}));
        m_fx->editor().close();
    });
}

void TestFilter::reportFollowsFilter()
{
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    m_fx->Run([&] {
        Filter({{"ChangeTypeAddCheckBox"}, {}, true});
        const report::CountReportData data = ReportDataFromEditor(m_fx->editor(), m_fx->db());
        // Every page carries the mark; the figures and items are the filtered ones.
        QVERIFY(data.filterActive);
        QCOMPARE(data.totals.adjustedTotal, QString("16"));
        QStringList items;
        for (const report::ReportNode &node : data.transactions)
            items << node.description;
        for (const report::ReportNode &node : data.files)
            items << node.description;
        items.sort();
        QCOMPARE(items, (QStringList{"Add payment", "Pay slip", "Payments", "Reports", "Tax rates"}));
        m_fx->editor().FilterOff();
        QVERIFY(!ReportDataFromEditor(m_fx->editor(), m_fx->db()).filterActive);
    });
}

void TestFilter::reportInProgressIsAskedAbout()
{
    addPayrollEnhancement();
    m_fx->OpenSaved(5);
    QTemporaryDir out;
    m_fx->Run([&] {
        TMainForm &editor = m_fx->editor();
        Filter({{"ChangeTypeAddCheckBox"}, {}, true});
        m_fx->dialogs.queueFile(out.filePath("payroll.pdf"));
        editor.report().exportPdfAction()->trigger();
        QVERIFY(editor.IsReportBusy());
        // "No" lets the report go on and leaves the filter as it was.
        m_fx->dialogs.queueAnswer(MessageAnswer::No);
        editor.commands().action(C::ToolFilterOff)->trigger();
        QCOMPARE(m_fx->dialogs.texts().last(), kReportQuestion);
        QVERIFY(m_fx->state().filterActive);
        QVERIFY(editor.IsReportBusy());
        QTRY_VERIFY_WITH_TIMEOUT(!editor.IsReportBusy(), 20000);
        editor.close();
    });
    QVERIFY(QFileInfo::exists(out.filePath("payroll.pdf")));
}

QTEST_MAIN(TestFilter)
#include "test_filter.moc"
