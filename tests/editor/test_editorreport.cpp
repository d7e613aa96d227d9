// The count report as the editor produces it: exported as a PDF whose text
// is checked line by line, printed with the page set-up's choices and a page
// range, previewed, and stopped by the save and close questions.

#include "editingdriver.h"
#include "editorfixture.h"
#include "payrollcount.h"

#include "editor/countpage.h"
#include "editor/editorreport.h"
#include "editor/mainform.h"
#include "editor/reportpreview.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/workingcopy.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;
using namespace qm::test;
using C = TEditorCommands;

namespace {

const QString kCloseWhileReport = QStringLiteral(
    "Cannot close while preparing a report\n\nDo you want to stop the report ?\n\n"
    "Press \"Yes\" to stop the report and continue\n\nPress \"No\" to let the report complete");

// The text of a PDF as pdftotext lays it out; empty when it failed.
QString PdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The page size line of pdfinfo, in points.
QString PdfPageSize(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {path});
    if (!p.waitForFinished(20000))
        return {};
    const QRegularExpression re(QStringLiteral("Page size:\\s+([0-9.]+ x [0-9.]+)"));
    return re.match(QString::fromUtf8(p.readAllStandardOutput())).captured(1);
}

int PdfPages(const QString &path)
{
    // pdftotext ends every page with a form feed.
    return int(PdfText(path).count(QLatin1Char('\f')));
}

// Every pattern matches a line, in order; the first that does not is named.
QString MissingLine(const QString &text, const QStringList &patterns)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    int at = 0;
    for (const QString &pattern : patterns) {
        const QRegularExpression re(QStringLiteral("^\\s*") + pattern + QStringLiteral("\\s*$"));
        while (at < lines.size() && !re.match(lines[at]).hasMatch())
            ++at;
        if (at == lines.size())
            return pattern;
        ++at;
    }
    return {};
}

// Words of a line with any run of blanks between them.
QString Cells(const QStringList &cells)
{
    QStringList escaped;
    for (const QString &cell : cells)
        escaped << QRegularExpression::escape(cell);
    return escaped.join(QStringLiteral("\\s+"));
}

void ToFile(QPrinter &printer, const QString &path)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
}

} // namespace

class TestEditorReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void payrollPdf();
    void cancelledDialogsProduceNothing();
    void printKeepsPageSetupAndRange();
    void previewNavigatesZoomsAndPrints();
    void reportShowsEditorsHeldValues();
    void saveQuestionWhileBusy_data();
    void saveQuestionWhileBusy();
    void closeQuestionWhileBusy();

private:
    std::unique_ptr<EditorFixture> m_fx;
    QTemporaryDir m_out;
    int m_payrollId = 0;
};

void TestEditorReport::initTestCase()
{
    QVERIFY(HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    m_fx = std::make_unique<EditorFixture>();
    m_fx->CreateNew("B");
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        payroll::Record(d);
        d.editor.close();
    });
    QVERIFY(!QTest::currentTestFailed());
    m_payrollId = m_fx->state().currentCountId;
    QVERIFY(m_payrollId > 0);
}

void TestEditorReport::init()
{
    m_fx->OpenSaved(m_payrollId);
}

void TestEditorReport::cleanup()
{
    QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
    QVERIFY(m_fx->dialogs.allAnswersUsed());
    QVERIFY(!m_fx->state().reportBusy);
}

void TestEditorReport::payrollPdf()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed: the PDF's text cannot be read back");
    const QString path = m_out.filePath("payroll.pdf");
    QString caption;
    QString oldVaf;
    QString system;
    m_fx->Run([&] {
        TMainForm &editor = m_fx->editor();
        caption = editor.windowTitle();
        system = editor.countTbl().text("System");
        oldVaf = editor.countPage()->oldVafEdit()->text();
        m_fx->dialogs.queueFile(path);
        editor.report().exportPdfAction()->trigger();
        QVERIFY(editor.IsReportBusy());
        QVERIFY(m_fx->state().reportBusy);
        QTRY_VERIFY_WITH_TIMEOUT(!editor.IsReportBusy(), 20000);
        QCOMPARE(editor.statusPanel(0)->text(), QStringLiteral("Report saved as payroll.pdf"));
    });
    const auto &prompt = m_fx->dialogs.prompts().last();
    QCOMPARE(prompt.kind, QStringLiteral("save"));
    QCOMPARE(prompt.file.filters, QStringList{"PDF files (*.pdf)"});
    QCOMPARE(prompt.file.fileName, QStringLiteral("Payroll.pdf"));

    const QString text = PdfText(path);
    QVERIFY2(!text.isEmpty(), "pdftotext could not read the report");
    if (!qEnvironmentVariableIsEmpty("QM_SHOTS_DIR")) {
        const QString copy = QDir(qEnvironmentVariable("QM_SHOTS_DIR")).filePath("report-payroll.pdf");
        QFile::remove(copy);
        QFile::copy(path, copy);
    }
    QCOMPARE(int(text.count(QLatin1Char('\f'))), 4);
    QVERIFY(caption.startsWith("Quillmark - C"));

    const QStringList expected = {
        // General
        Cells({"Count:" + caption}), "General", "Summary:", Cells({"Description:", "Payroll"}), Cells({"System:", system}),
        "Comments:", "General System\\s+Characteristics", Cells({"Data Communications:", "3", "Online Update:", "3"}),
        Cells({"Distributed Data Processing", "3", "Complex Processing:", "3"}),
        Cells({"Performance:", "3", "Reusability:", "3"}),
        Cells({"Heavily used configuration:", "3", "Installation ease:", "3"}),
        Cells({"Transaction rate:", "3", "Operational ease:", "3"}),
        Cells({"Online data entry", "3", "Multiple sites:", "3"}),
        Cells({"End-user Efficiency", "3", "Facilitate change:", "3"}), Cells({"VAF:", "1.07"}), Cells({"Page No:", "1"}),
        // Summary, in the list's order (sorted by type)
        Cells({"Count:" + caption}), "Summary",
        Cells({"Type", "Change Type", "Count", "UnAdjusted FP", "Adjusted FP"}),
        Cells({"Files - External Interface", "Add", "2", "12", "12.8"}),
        Cells({"Files - Internal Logical", "Add", "2", "17", "18.2"}),
        Cells({"Transactions - External Input", "Add", "4", "17", "18.2"}),
        Cells({"Transactions - External Inquiry", "Add", "2", "7", "7.5"}),
        Cells({"Transactions - External Output", "Add", "3", "17", "18.2"}), "Totals:",
        Cells({"Total Added and Changed (After):", "70", "x VAF (After):", "1.07", "74"}),
        Cells({"Total Deleted:", "0", "x VAF (Before):", oldVaf, "0"}),
        Cells({"Total Unadjusted FPs:", "70", "Total Adjusted FPs", "74"}), Cells({"Page No:", "2"}),
        // File Details, in the tree's order (by name)
        "File Details", Cells({"Id", "Description", "Type", "Complexity", "Change", "FP"}),
        Cells({"F00000004", "Bank interface", "EIF", "Average", "Add", "7"}),
        Cells({"F00000001", "Employee master", "ILF", "Average", "Add", "10"}),
        Cells({"F00000002", "Pay rates", "ILF", "Low", "Add", "7"}),
        Cells({"F00000003", "Tax tables", "EIF", "Low", "Add", "5"}), Cells({"Page No:", "3"}),
        // Transaction Details, the hierarchy in pre-order
        "Transaction Details", Cells({"Id", "Description", "Type", "Complexity", "Change", "FP"}),
        Cells({"T00000001", "Employees", "GRP", "15"}),
        Cells({"T00000002", "Add employee", "EI", "Average", "Add", "4"}),
        Cells({"T00000003", "Change employee", "EI", "Average", "Add", "4"}),
        Cells({"T00000005", "Delete employee", "EI", "Low", "Add", "3"}),
        Cells({"T00000004", "Employee enquiry", "EQ", "Average", "Add", "4"}),
        Cells({"T00000006", "Payroll run", "GRP", "26"}),
        Cells({"T00000009", "Bank transfer file", "EO", "Average", "Add", "5"}),
        Cells({"T00000007", "Enter timesheet", "EI", "High", "Add", "6"}),
        Cells({"T00000008", "Payslip", "EO", "High", "Add", "7"}),
        Cells({"T00000010", "Reports", "GRP", "8"}),
        Cells({"T00000011", "Payroll register", "EO", "Average", "Add", "5"}),
        Cells({"T00000012", "Year-to-date enquiry", "EQ", "Low", "Add", "3"}), Cells({"Page No:", "4"}),
    };
    const QString missing = MissingLine(text, expected);
    if (!missing.isEmpty())
        qWarning().noquote() << text;
    QVERIFY2(missing.isEmpty(), qPrintable("not found in order: " + missing));
}

void TestEditorReport::cancelledDialogsProduceNothing()
{
    const QString pdf = m_out.filePath("never.pdf");
    const qsizetype asked = m_fx->dialogs.prompts().size();
    m_fx->Run([&] {
        TMainForm &editor = m_fx->editor();
        ToFile(editor.report().printer(), pdf);
        m_fx->dialogs.queuePrintAnswer(false);
        editor.commands().action(C::Print)->trigger();
        QVERIFY(!editor.IsReportBusy());
        m_fx->dialogs.queueFile(QString());
        editor.report().exportPdfAction()->trigger();
        QVERIFY(!editor.IsReportBusy());
    });
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(m_fx->dialogs.texts().mid(asked), QStringList({"print: ", "save: Export Report as PDF"}));
}

void TestEditorReport::printKeepsPageSetupAndRange()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed: the printed pages cannot be counted");
    const QString whole = m_out.filePath("printed.pdf");
    const QString range = m_out.filePath("range.pdf");
    m_fx->Run([&] {
        TMainForm &editor = m_fx->editor();
        QPrinter &printer = editor.report().printer();
        m_fx->dialogs.queuePrintAnswer(true, [](QPrinter &p) { p.setPageOrientation(QPageLayout::Landscape); });
        editor.commands().action(C::PageSetup)->trigger();

        m_fx->dialogs.queuePrintAnswer(true, [&](QPrinter &p) { ToFile(p, whole); });
        editor.commands().action(C::Print)->trigger();
        QVERIFY(editor.IsReportBusy());
        // Nothing may start a second report meanwhile.
        QVERIFY(!editor.commands().action(C::PrintPreview)->isEnabled());
        QVERIFY(!editor.report().exportPdfAction()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!editor.IsReportBusy(), 20000);
        QVERIFY(editor.commands().action(C::PrintPreview)->isEnabled());
        // The landscape band is as wide as the landscape page allows.
        QCOMPARE(editor.report().lastReport()->engine().bandWidth(), 1046.0);
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);

        m_fx->dialogs.queuePrintAnswer(true, [&](QPrinter &p) {
            ToFile(p, range);
            p.setPrintRange(QPrinter::PageRange);
            p.setFromTo(2, 3);
        });
        editor.commands().action(C::Print)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!editor.IsReportBusy(), 20000);
    });
    QCOMPARE(PdfPages(whole), 4);
    // A4 turned on its side.
    QVERIFY2(QRegularExpression("^(842|841\\.89) x 595").match(PdfPageSize(whole)).hasMatch(),
             qPrintable(PdfPageSize(whole)));
    QCOMPARE(PdfPages(range), 2);
    // The second page of the report opens the summary.
    QVERIFY(PdfText(range).contains(QRegularExpression("Totals:")));
}

void TestEditorReport::previewNavigatesZoomsAndPrints()
{
    const QString printed = m_out.filePath("from-preview.pdf");
    m_fx->Run([&] {
        TMainForm &editor = m_fx->editor();
        editor.report().run().setSliceMilliseconds(0);
        editor.report().printer().setPageOrientation(QPageLayout::Portrait);
        // A floating panel kept on top steps down while the preview is up.
        TDockPanel *panel = editor.transPage()->panel();
        panel->RestoreStayOnTop();
        editor.commands().action(C::PrintPreview)->trigger();
        TReportPreview *preview = editor.report().preview();
        QVERIFY(preview && preview->isVisible());
        QVERIFY(!panel->stayOnTop());
        QVERIFY(editor.IsReportBusy());
        QVERIFY(!preview->printAction()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(preview->isComplete(), 20000);
        QVERIFY(!editor.IsReportBusy());
        QCOMPARE(preview->windowTitle(), "Quillmark:" + editor.windowTitle());
        QCOMPARE(preview->pageCount(), 4);
        QCOMPARE(preview->currentPage(), 1);
        const auto label = preview->findChild<QLabel *>("PreviewPageLabel");
        QCOMPARE(label->text(), QStringLiteral("Page 1 of 4"));

        preview->findChild<QAction *>("PreviewNextPage")->trigger();
        QCOMPARE(preview->currentPage(), 2);
        preview->findChild<QAction *>("PreviewLastPage")->trigger();
        QCOMPARE(label->text(), QStringLiteral("Page 4 of 4"));
        if (!qEnvironmentVariableIsEmpty("QM_SHOTS_DIR")) {
            preview->findChild<QAction *>("PreviewFitWidth")->trigger();
            preview->grab().save(QDir(qEnvironmentVariable("QM_SHOTS_DIR")).filePath("report-preview-width.png"));
            preview->findChild<QAction *>("PreviewFitPage")->trigger();
        }
        QVERIFY(!preview->findChild<QAction *>("PreviewNextPage")->isEnabled());
        preview->findChild<QAction *>("PreviewPreviousPage")->trigger();
        QCOMPARE(preview->currentPage(), 3);
        const double fitted = preview->zoom();
        preview->findChild<QAction *>("PreviewZoomIn")->trigger();
        QVERIFY(preview->zoom() > fitted);
        preview->findChild<QAction *>("PreviewFitPage")->trigger();
        QCOMPARE(preview->zoom(), fitted);
        preview->findChild<QAction *>("PreviewFirstPage")->trigger();
        if (!qEnvironmentVariableIsEmpty("QM_SHOTS_DIR"))
            preview->grab().save(QDir(qEnvironmentVariable("QM_SHOTS_DIR")).filePath("report-preview.png"));

        m_fx->dialogs.queuePrintAnswer(true, [&](QPrinter &p) {
            ToFile(p, printed);
            p.setPrintRange(QPrinter::AllPages);
        });
        preview->printAction()->trigger();
        QVERIFY(!panel->stayOnTop());
        preview->close();
        QVERIFY(panel->stayOnTop());
        panel->ReleaseStayOnTop();
    });
    QVERIFY(QFileInfo(printed).size() > 1000);
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QCOMPARE(PdfPages(printed), 4);
}

void TestEditorReport::reportShowsEditorsHeldValues()
{
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        TMainForm &editor = d.editor;
        TCountPage *page = editor.countPage();
        // Changed on the count page, not yet stored with "OK".
        page->tabs()->setCurrentIndex(1);
        QTest::keyClick(page->characteristic(0), Qt::Key_Down);
        QTest::keyClick(page->characteristic(0), Qt::Key_Down);
        page->tabs()->setCurrentIndex(0);
        d.Type(page->nameEdit(), "Payroll (draft)");
        m_fx->state().filterActive = true;
        editor.commands().action(C::PrintPreview)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(editor.report().preview()->isComplete(), 20000);
        m_fx->state().filterActive = false;
        const report::TPrintCountForm *report = editor.report().lastReport();
        QCOMPARE(report->data().description, QStringLiteral("Payroll (draft)"));
        QCOMPARE(report->data().characteristics[0], 5);
        QVERIFY(editor.countTbl().isEditing());
        QCOMPARE(report->data().storedCharacteristics[0], 3);
        const report::ReportPage &first = editor.report().preview()->pages().first();
        QCOMPARE(first.Find("Characteristics1").first()->items[1].text, QStringLiteral("5"));
        // The factor line is the stored row's.
        QCOMPARE(first.Find("VafLine").first()->items[1].text, QStringLiteral("1.07"));
        for (const report::ReportPage &p : editor.report().preview()->pages()) {
            bool marked = false;
            for (const auto &item : p.Find("PageHeader").first()->items)
                marked = marked || (item.text == "Filter On" && item.bold);
            QVERIFY(marked);
        }
        editor.report().preview()->close();
        d.Click(page->cancelButton());
    });
}

void TestEditorReport::saveQuestionWhileBusy_data()
{
    QTest::addColumn<bool>("stop");
    QTest::newRow("let the report complete") << false;
    QTest::newRow("stop the report and save") << true;
}

void TestEditorReport::saveQuestionWhileBusy()
{
    QFETCH(bool, stop);
    const QString path = m_out.filePath(stop ? "stopped.pdf" : "completed.pdf");
    QFile earlier(path);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier file");
    earlier.close();
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        TMainForm &editor = d.editor;
        d.Type(editor.countPage()->nameEdit(), "Payroll");
        d.Click(editor.countPage()->okButton());
        QCOMPARE(m_fx->state().changeCount, 1);

        editor.report().run().setSliceMilliseconds(0);
        m_fx->dialogs.queueFile(path);
        editor.report().exportPdfAction()->trigger();
        // The editor answers while the pages are produced.
        QTRY_VERIFY(editor.report().run().pagesDone() >= 1);
        QVERIFY(editor.IsReportBusy());
        m_fx->dialogs.queueAnswer(stop ? MessageAnswer::Yes : MessageAnswer::No);
        d.Command(C::Save);
        QCOMPARE(m_fx->dialogs.prompts().last().text, text::SaveWhileReport);
        if (stop) {
            QVERIFY(!editor.IsReportBusy());
            QCOMPARE(m_fx->state().changeCount, 0);
        } else {
            QCOMPARE(m_fx->state().changeCount, 1);
            QTRY_VERIFY_WITH_TIMEOUT(!editor.IsReportBusy(), 20000);
            d.Command(C::Save);
            QCOMPARE(m_fx->state().changeCount, 0);
        }
    });
    // Saving gives the count a new number.
    m_payrollId = m_fx->state().currentCountId;
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    const QByteArray content = earlier.readAll();
    // A stopped export leaves the earlier file as it was.
    QCOMPARE(content == "an earlier file", stop);
    if (!stop)
        QVERIFY(content.startsWith("%PDF"));
}

void TestEditorReport::closeQuestionWhileBusy()
{
    m_fx->Run([&] {
        TMainForm &editor = m_fx->editor();
        editor.report().run().setSliceMilliseconds(0);
        editor.commands().action(C::PrintPreview)->trigger();
        QVERIFY(editor.IsReportBusy());
        m_fx->dialogs.queueAnswer(MessageAnswer::No);
        QVERIFY(!editor.close());
        QVERIFY(editor.isVisible());
        QCOMPARE(m_fx->dialogs.prompts().last().text, kCloseWhileReport);
        m_fx->dialogs.queueAnswer(MessageAnswer::Yes);
        QVERIFY(editor.close());
        QVERIFY(!editor.IsReportBusy());
        QVERIFY(!editor.report().preview()->isVisible());
        QVERIFY(!editor.report().preview()->isComplete());
    });
}

QTEST_MAIN(TestEditorReport)
#include "test_editorreport.moc"
