// The "Analyser" page over the payroll count worked out on paper: the
// slices and bars in every summary mode against the figures by hand, the
// choices, and the export, clipboard and print commands.
//
// With QM_CHART_SHOTS set to a folder, the page is also saved there as
// pictures, and every export format beside them, for a person to look at.

#include "editingdriver.h"
#include "editorfixture.h"
#include "modalwatch.h"
#include "payrollcount.h"

#include "analysis/analyserchart.h"
#include "analysis/fpchart.h"
#include "analysis/summarylistview.h"
#include "editor/chartcommands.h"
#include "editor/countpage.h"
#include "editor/mainform.h"
#include "store/appstate.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QClipboard>
#include <QGroupBox>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;
using namespace qm::test;
using C = TEditorCommands;

namespace {

struct HandRow
{
    QString label;
    int count;
    int unadjusted;
    double adjusted; // unadjusted x 1.07, every item being added
};

// The summary of the payroll count in each mode, worked out from its plan.
QList<HandRow> HandRows(int mode, int level)
{
    switch (mode) {
    case 0:
        return {{"External Input (Add)", 4, 17, 18.19},   {"External Inquiry (Add)", 2, 7, 7.49},
                {"External Output (Add)", 3, 17, 18.19},  {"Internal Logical (Add)", 2, 17, 18.19},
                {"External Interface (Add)", 2, 12, 12.84}};
    case 1:
        if (level == 1)
            return {{"Add employee", 1, 4, 4.28},     {"Change employee", 1, 4, 4.28},
                    {"Employee enquiry", 1, 4, 4.28}, {"Delete employee", 1, 3, 3.21},
                    {"Enter timesheet", 1, 6, 6.42},  {"Payslip", 1, 7, 7.49},
                    {"Bank transfer file", 1, 5, 5.35}, {"Reports", 2, 8, 8.56},
                    {"Employee master", 1, 10, 10.7}, {"Pay rates", 1, 7, 7.49},
                    {"Tax tables", 1, 5, 5.35},       {"Bank interface", 1, 7, 7.49}};
        // One level further down "Reports" gives way to its two children.
        return {{"Add employee", 1, 4, 4.28},       {"Change employee", 1, 4, 4.28},
                {"Employee enquiry", 1, 4, 4.28},   {"Delete employee", 1, 3, 3.21},
                {"Enter timesheet", 1, 6, 6.42},    {"Payslip", 1, 7, 7.49},
                {"Bank transfer file", 1, 5, 5.35}, {"Payroll register", 1, 5, 5.35},
                {"Year-to-date enquiry", 1, 3, 3.21}, {"Employee master", 1, 10, 10.7},
                {"Pay rates", 1, 7, 7.49},          {"Tax tables", 1, 5, 5.35},
                {"Bank interface", 1, 7, 7.49}};
    case 2:
        return {{"External Input", 4, 17, 18.19},   {"External Inquiry", 2, 7, 7.49},
                {"External Output", 3, 17, 18.19},  {"Internal Logical", 2, 17, 18.19},
                {"External Interface", 2, 12, 12.84}};
    default:
        return {{"Add", 13, 70, 74.9}};
    }
}

void Choose(QGroupBox *group, int index)
{
    const QList<QRadioButton *> buttons = group->findChildren<QRadioButton *>();
    QVERIFY(index < buttons.size());
    QTest::mouseClick(buttons[index], Qt::LeftButton);
}

QString ShotsDir()
{
    return qEnvironmentVariable("QM_CHART_SHOTS");
}

// Runs a reader of a picture format; empty when the tool is missing.
QString Tool(const QString &name)
{
    return QStandardPaths::findExecutable(name);
}

} // namespace

class TestAnalyserChart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void slicesFollowSummaryInEveryMode_data();
    void slicesFollowSummaryInEveryMode();
    void choicesLastAcrossCounts();
    void listSortedOnGeneralPageOrdersSlices();
    void shownWhileLoadingFillsOnceLoaded();
    void exportGraphWritesChosenFormat_data();
    void exportGraphWritesChosenFormat();
    void cancelledExportWritesNothing();
    void failedExportIsReported();
    void exportFromAnotherPageUsesChartSize();
    void copyGraphToClipboard();
    void printChartOnOnePage();
    void screenshots();

private:
    // Opens the payroll count in the editor on the Analyser page.
    void OnAnalyser(const std::function<void(TAnalyserChart &page)> &drive);

    std::unique_ptr<EditorFixture> m_fx;
    int m_countId = 0;
    QTemporaryDir m_out;
};

void TestAnalyserChart::initTestCase()
{
    QVERIFY(HasRealFont());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    m_fx = std::make_unique<EditorFixture>();
    m_fx->CreateNew("B");
    m_fx->Run([&] {
        EditingDriver d(*m_fx);
        RecordPayrollCount(d);
        d.editor.close();
    });
    m_countId = m_fx->state().currentCountId;
    QVERIFY(m_countId > 0);
    QVERIFY(m_out.isValid());
}

void TestAnalyserChart::OnAnalyser(const std::function<void(TAnalyserChart &page)> &drive)
{
    m_fx->OpenSaved(m_countId);
    // Whatever a failed test before left, the summary starts as at start-up.
    m_fx->state().summaryMode = 0;
    m_fx->state().summaryLevel = 1;
    m_fx->Run([&] {
        TMainForm &editor = m_fx->editor();
        editor.pageControl()->setCurrentIndex(TMainForm::AnalyserPage);
        drive(*editor.analyserChart());
        editor.close();
    });
    QVERIFY2(m_fx->dialogs.unexpected().isEmpty(), qPrintable(m_fx->dialogs.unexpected()));
}

void TestAnalyserChart::slicesFollowSummaryInEveryMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("level");
    QTest::newRow("type / change type") << 0 << 1;
    QTest::newRow("breakdown, level 1") << 1 << 1;
    QTest::newRow("breakdown, level 2") << 1 << 2;
    QTest::newRow("type") << 2 << 1;
    QTest::newRow("change type") << 3 << 1;
}

// Changing mode and level while the page is shown redraws the chart; each
// slice and bar carries its row's figure, in the order the list shows.
void TestAnalyserChart::slicesFollowSummaryInEveryMode()
{
    QFETCH(int, mode);
    QFETCH(int, level);
    const QList<HandRow> hand = HandRows(mode, level);
    OnAnalyser([&](TAnalyserChart &page) {
        TMainForm &editor = m_fx->editor();
        editor.SetSummaryLevel(level);
        editor.SetSummaryMode(mode);
        TSummaryListView *list = editor.countPage()->summaryList();
        QCOMPARE(list->topLevelItemCount(), hand.size());
        for (int kind = 0; kind < 2; ++kind) {
            Choose(page.chartTypeGroup(), kind);
            for (int adjusted = 0; adjusted < 2; ++adjusted) {
                Choose(page.fpTypeGroup(), adjusted);
                TFpChart *chart = page.chart();
                QCOMPARE(int(chart->kind()), kind);
                const QStringList labels = chart->SeriesLabels();
                const QList<double> values = chart->SeriesValues();
                QCOMPARE(labels.size(), hand.size());
                QCOMPARE(values.size(), hand.size());
                const QList<SummaryEntry> shown = list->Entries();
                for (int i = 0; i < labels.size(); ++i) {
                    const auto it = std::find_if(hand.cbegin(), hand.cend(),
                                                 [&](const HandRow &row) { return row.label == labels[i]; });
                    QVERIFY2(it != hand.cend(), qPrintable(labels[i]));
                    const double expected = adjusted ? it->adjusted : double(it->unadjusted);
                    QVERIFY2(qAbs(values[i] - expected) < 1e-9, qPrintable(labels[i]));
                    // The list's row at the same place says the same.
                    QCOMPARE(shown[i].itemCount, it->count);
                    QCOMPARE(int(shown[i].unadjusted), it->unadjusted);
                    QVERIFY(qAbs(shown[i].adjusted - it->adjusted) < 1e-9);
                }
            }
        }
        editor.SetSummaryMode(0);
        editor.SetSummaryLevel(1);
        Choose(page.chartTypeGroup(), 0);
        Choose(page.fpTypeGroup(), 0);
    });
}

void TestAnalyserChart::choicesLastAcrossCounts()
{
    OnAnalyser([&](TAnalyserChart &page) {
        Choose(page.chartTypeGroup(), 1);
        Choose(page.fpTypeGroup(), 1);
        Choose(page.unitsGroup(), 1);
    });
    OnAnalyser([&](TAnalyserChart &page) {
        QCOMPARE(page.chartTypeIndex(), 1);
        QCOMPARE(page.fpTypeIndex(), 1);
        QCOMPARE(page.unitsIndex(), 1);
        // Rebuilt on entry with those choices: bars of adjusted points,
        // legend in percent of 74.9.
        QCOMPARE(page.chart()->kind(), TFpChart::Kind::Bar);
        QCOMPARE(page.chart()->SeriesValues().size(), 5);
        QVERIFY(page.chart()->LegendTexts().contains("24.3 % External Input (Add)"));
        Choose(page.chartTypeGroup(), 0);
        Choose(page.fpTypeGroup(), 0);
        Choose(page.unitsGroup(), 0);
    });
}

// The user sorts the summary by "UnAdjusted FP" and then looks at the chart.
void TestAnalyserChart::listSortedOnGeneralPageOrdersSlices()
{
    m_fx->OpenSaved(m_countId);
    m_fx->state().summaryMode = 2;
    m_fx->Run([&] {
        TMainForm &editor = m_fx->editor();
        editor.pageControl()->setCurrentIndex(TMainForm::GeneralPage);
        TSummaryListView *list = editor.countPage()->summaryList();
        const int column = list->ColumnCaptions().indexOf("UnAdjusted FP");
        QVERIFY(column > 0);
        list->HeaderClicked(column);
        editor.pageControl()->setCurrentIndex(TMainForm::AnalyserPage);
        const QList<double> values = editor.analyserChart()->chart()->SeriesValues();
        QCOMPARE(values, (QList<double>{17, 17, 17, 12, 7}));
        QCOMPARE(editor.analyserChart()->chart()->SeriesLabels().last(), QString("External Inquiry"));
        editor.close();
    });
    m_fx->state().summaryMode = 0;
}

// The user opens the Analyser page before the count has finished loading:
// the chart fills when the summary is made.
void TestAnalyserChart::shownWhileLoadingFillsOnceLoaded()
{
    m_fx->OpenSaved(m_countId);
    m_fx->state().summaryMode = 0;
    bool wasLoading = false;
    m_fx->Run(
        [&] {
            TMainForm &editor = m_fx->editor();
            wasLoading = editor.pendingLoadStep() != TMainForm::LoadStep::None;
            editor.pageControl()->setCurrentIndex(TMainForm::AnalyserPage);
            QVERIFY(WaitUntil([&] { return editor.pendingLoadStep() == TMainForm::LoadStep::None; }));
            QCOMPARE(editor.analyserChart()->chart()->SeriesValues().size(), 5);
            editor.close();
        },
        false);
    QVERIFY(wasLoading);
}

void TestAnalyserChart::exportGraphWritesChosenFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("magic");
    QTest::newRow("bitmap") << "chart.bmp" << QByteArray("BM");
    QTest::newRow("upper-case WMF is a bitmap") << "chart.WMF" << QByteArray("BM");
    QTest::newRow("windows metafile") << "chart.wmf" << QByteArray("\xd7\xcd\xc6\x9a", 4);
    QTest::newRow("emf inside the name") << "chart.emf.bmp" << QByteArray("\x01\x00\x00\x00", 4);
    QTest::newRow("png") << "chart.png" << QByteArray("\x89PNG");
    QTest::newRow("svg") << "chart.svg" << QByteArray("<?xml");
}

void TestAnalyserChart::exportGraphWritesChosenFormat()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, magic);
    const QString path = m_out.filePath(name);
    QFile::remove(path);
    m_fx->dialogs.queueFile(path);
    const int before = int(m_fx->dialogs.prompts().size());
    OnAnalyser([&](TAnalyserChart &page) { QTest::mouseClick(page.exportButton(), Qt::LeftButton); });
    QVERIFY(m_fx->dialogs.allAnswersUsed());
    const ScriptedDialogs::Prompt &asked = m_fx->dialogs.prompts().at(before);
    QCOMPARE(asked.kind, QString("save"));
    QCOMPARE(asked.file.filters.size(), 5);
    QCOMPARE(asked.file.filters.first(), QString("Bitmaps (*.bmp)"));
    QCOMPARE(asked.file.defaultSuffix, QString("bmp"));
    QVERIFY(asked.file.confirmOverwrite);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(magic.size()), magic);
}

void TestAnalyserChart::cancelledExportWritesNothing()
{
    m_fx->dialogs.queueFile(QString());
    const QStringList before = QDir(m_out.path()).entryList(QDir::Files);
    OnAnalyser([&](TAnalyserChart &) { m_fx->editor().commands().action(C::ExportGraph)->trigger(); });
    QVERIFY(m_fx->dialogs.allAnswersUsed());
    QCOMPARE(QDir(m_out.path()).entryList(QDir::Files), before);
}

void TestAnalyserChart::failedExportIsReported()
{
    const QString path = m_out.filePath("no such folder/chart.bmp");
    m_fx->dialogs.queueFile(path);
    OnAnalyser([&](TAnalyserChart &) { m_fx->editor().commands().action(C::ExportGraph)->trigger(); });
    const ScriptedDialogs::Prompt &last = m_fx->dialogs.prompts().last();
    QCOMPARE(last.kind, QString("error"));
    QVERIFY2(last.text.startsWith("The picture could not be saved to \"") && last.text.contains("chart.bmp"),
             qPrintable(last.text));
    QVERIFY(!QFile::exists(path));
}

// "Export Graph..." from the menu while the General page is shown: the
// picture is the chart as the Analyser page would show it, not a stub.
void TestAnalyserChart::exportFromAnotherPageUsesChartSize()
{
    const QString path = m_out.filePath("general.png");
    m_fx->dialogs.queueFile(path);
    QSize onPage;
    m_fx->OpenSaved(m_countId);
    m_fx->Run([&] {
        TMainForm &editor = m_fx->editor();
        editor.pageControl()->setCurrentIndex(TMainForm::GeneralPage);
        editor.commands().action(C::ExportGraph)->trigger();
        editor.pageControl()->setCurrentIndex(TMainForm::AnalyserPage);
        onPage = editor.analyserChart()->chart()->size();
        editor.close();
    });
    QImage image(path);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), onPage);
    QVERIFY(image.width() > 300 && image.height() > 200);
}

void TestAnalyserChart::copyGraphToClipboard()
{
    OnAnalyser([&](TAnalyserChart &page) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        m_fx->editor().commands().action(C::CopyGraphBitmap)->trigger();
        QImage image = clipboard->image();
        QCOMPARE(image.size(), page.chart()->size());
        // On white, and the slices are coloured.
        QCOMPARE(image.pixelColor(1, 1), QColor(Qt::white));
        clipboard->clear();
        page.chart()->contextMenu()->actions().at(1)->trigger();
        const QMimeData *data = clipboard->mimeData();
        QVERIFY(data);
        QVERIFY(data->hasFormat("image/x-wmf"));
        QVERIFY(data->data("image/x-wmf").startsWith(QByteArray("\xd7\xcd\xc6\x9a", 4)));
        QVERIFY(data->hasImage());
        QStringList captions;
        for (const QAction *action : page.chart()->contextMenu()->actions())
            captions << action->text();
        QCOMPARE(captions, QStringList({"Copy To ClipBoard (BitMap)", "Copy To ClipBoard (MetaFile)", "Print Chart..."}));
    });
}

void TestAnalyserChart::printChartOnOnePage()
{
    const QString pdf = m_out.filePath("chart.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    m_fx->editor().chartCommands().setPrinter([&] { return &printer; });
    OnAnalyser([&](TAnalyserChart &page) { page.chart()->contextMenu()->actions().at(2)->trigger(); });
    m_fx->editor().chartCommands().setPrinter({});
    QCOMPARE(printer.docName(), QString("FpChart"));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    const QString pdfinfo = Tool("pdfinfo");
    if (pdfinfo.isEmpty())
        QSKIP("pdfinfo (package poppler-utils) is not installed: the page count is not checked");
    QProcess info;
    info.start(pdfinfo, {pdf});
    QVERIFY(info.waitForFinished());
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    QVERIFY2(out.contains(QRegularExpression("Pages:\\s+1\\n")), qPrintable(out));
    QVERIFY2(out.contains(QRegularExpression("Title:\\s+FpChart")), qPrintable(out));
}

// Pictures of the page in each combination, for a person to look at.
void TestAnalyserChart::screenshots()
{
    const QString dir = ShotsDir();
    if (dir.isEmpty())
        QSKIP("QM_CHART_SHOTS is not set: no pictures are saved");
    QDir().mkpath(dir);
    OnAnalyser([&](TAnalyserChart &page) {
        TMainForm &editor = m_fx->editor();
        for (int mode : {0, 1}) {
            editor.SetSummaryMode(mode);
            for (int kind = 0; kind < 2; ++kind)
                for (int adjusted = 0; adjusted < 2; ++adjusted)
                    for (int units = 0; units < 2; ++units) {
                        Choose(page.chartTypeGroup(), kind);
                        Choose(page.fpTypeGroup(), adjusted);
                        Choose(page.unitsGroup(), units);
                        const QString name = QString("%1/chart-mode%2-%3-%4-%5.png")
                                                 .arg(dir)
                                                 .arg(mode)
                                                 .arg(kind ? "bar" : "pie")
                                                 .arg(adjusted ? "adjusted" : "unadjusted")
                                                 .arg(units ? "percentage" : "points");
                        QVERIFY(editor.grab().save(name));
                    }
        }
        Choose(page.chartTypeGroup(), 0);
        Choose(page.fpTypeGroup(), 0);
        Choose(page.unitsGroup(), 0);
        editor.SetSummaryMode(0);
        for (const char *suffix : {"bmp", "png", "svg", "emf", "wmf"}) {
            m_fx->dialogs.queueFile(QString("%1/chart-export.%2").arg(dir, suffix));
            editor.commands().action(C::ExportGraph)->trigger();
        }
        Choose(page.chartTypeGroup(), 1);
        for (const char *suffix : {"png", "svg", "emf", "wmf"}) {
            m_fx->dialogs.queueFile(QString("%1/chart-export-bar.%2").arg(dir, suffix));
            editor.commands().action(C::ExportGraph)->trigger();
        }
        Choose(page.chartTypeGroup(), 0);
    });
}

QTEST_MAIN(TestAnalyserChart)
#include "test_analyserchart.moc"
