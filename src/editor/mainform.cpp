#include "editor/mainform.h"

#include "analysis/analyserchart.h"
#include "analysis/countsummary.h"
#include "analysis/summarylistview.h"
#include "editor/chartcommands.h"
#include "editor/countpage.h"
#include "editor/editing.h"
#include "editor/editoricons.h"
#include "editor/editorreport.h"
#include "editor/filespage.h"
#include "editor/transpage.h"
#include "interchange/ui/exportform.h"
#include "store/cursor.h"
#include "store/datamodule.h"
#include "views/dbtreeview.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>

namespace qm {

TMainForm::TMainForm(DataModule &dataModule, QWidget *parent)
    : QMainWindow(parent),
      m_dm(dataModule),
      m_state(dataModule.state()),
      m_db(dataModule.database()),
      m_wc(dataModule.workingCopy()),
      m_messages(dataModule.dialogs())
{
    setObjectName(QStringLiteral("TMainForm"));
    setWindowTitle(QStringLiteral("Quillmark"));
    setWindowModality(Qt::ApplicationModal);
    // Whatever an older start left, the summary shows a known mode.
    m_state.summaryMode = int(SummaryModeFrom(m_state.summaryMode));
    m_state.summaryLevel = SummaryLevelFrom(m_state.summaryLevel);

    BuildCursors();
    BuildPages();
    m_commands = new TEditorCommands(this, m_transPage->panel(), m_filesPage->panel());
    m_commands->ShowSummaryMode(m_state.summaryMode);
    m_commands->ShowSummaryLevel(m_state.summaryLevel);
    m_commands->debugMenu()->menuAction()->setVisible(false);
    BuildStatusBar();
    ConnectCommands();
    ConnectPages();
    BuildSearch();
    m_editing = new TCountEditing(*this, m_db, m_wc);
    m_report = new TEditorReport(*this, m_db, m_messages);
    m_exportForm = new TExportForm(m_db, m_messages, this);

    m_loadTimer.setSingleShot(true);
    connect(&m_loadTimer, &QTimer::timeout, this, &TMainForm::RunLoadStep);
    for (TDockPanel *panel : {m_transPage->panel(), m_filesPage->panel()}) {
        m_messages.addPanel(panel);
        panel->setFollowApplicationState(true);
    }
    resize(1000, 700);
}

TMainForm::~TMainForm()
{
    m_loadTimer.stop();
    // The commands are going: closing the cursors must not update them.
    for (TableCursor *cursor : {m_countTbl.get(), m_transTbl.get(), m_filesTbl.get()})
        disconnect(cursor, &TableCursor::stateChanged, this, nullptr);
    CloseCursors();
}

void TMainForm::BuildCursors()
{
    const auto make = [this](const QString &name, const QString &table, const QString &order) {
        auto cursor = std::make_unique<TableCursor>(m_db);
        cursor->setObjectName(name);
        cursor->setTable(table, order);
        return cursor;
    };
    m_countTbl = make(QStringLiteral("CountTbl"), QStringLiteral("Counts"), {});
    AddCountCalcFields(*m_countTbl, CountTypeFlavour::Editor);
    m_transTbl = make(QStringLiteral("TransTbl"), QStringLiteral("Trans"), QStringLiteral("Tag"));
    AddComplexityCalcField(*m_transTbl);
    m_filesTbl = make(QStringLiteral("FilesTbl"), QStringLiteral("Files"), QStringLiteral("Tag"));
    AddComplexityCalcField(*m_filesTbl);
    m_filesLinkTbl = make(QStringLiteral("FilesLinkTbl"), QStringLiteral("FilesLink"), {});

    // Every stored change of the count row is a change of the count.
    connect(m_countTbl.get(), &TableCursor::afterPost, this, [this] {
        ++m_state.changeCount;
        UpdateCommands();
    });
    // "&Save" follows a pending edit as it starts and ends.
    for (TableCursor *cursor : {m_countTbl.get(), m_transTbl.get(), m_filesTbl.get()})
        connect(cursor, &TableCursor::stateChanged, this, [this] {
            if (m_commands)
                UpdateCommands();
        });
}

void TMainForm::BuildPages()
{
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    m_countPage = new TCountPage(*m_countTbl);
    m_filesPage = new TFilesPage(m_db, *m_filesTbl, m_state, m_editor, m_messages);
    m_transPage = new TTransPage(m_db, *m_transTbl, m_state, m_editor, m_messages);
    m_analyserPage = m_analyserChart = new TAnalyserChart;
    m_analyserPage->setObjectName(QStringLiteral("AnalyserPage"));
    m_analyserChart->setSource(m_countPage->summaryList());
    m_pages->addTab(m_countPage, QStringLiteral("General"));
    m_pages->addTab(m_filesPage, QStringLiteral("Files"));
    m_pages->addTab(m_transPage, QStringLiteral("Transactions"));
    m_pages->addTab(m_analyserPage, QStringLiteral("Analyser"));
    setCentralWidget(m_pages);

    const QList<QIcon> images = SummaryListImages();
    m_countPage->summaryList()->setImages(images);
    m_transPage->totalsList()->setImages(images);
    m_summary = new TCountSummary(m_db, m_state, m_messages, this);
    m_summary->setTrees(m_transPage->tree(), m_filesPage->tree());
    SummaryDisplays displays = m_countPage->Displays();
    displays.transTotalsList = m_transPage->totalsList();
    m_summary->setDisplays(displays);
}

void TMainForm::BuildStatusBar()
{
    const int widths[] = {150, 150, 50};
    for (int i = 0; i < 3; ++i) {
        auto *panel = new QLabel;
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        // The first panel grows with a long progress text rather than cut it.
        if (i == 0)
            panel->setMinimumWidth(widths[i]);
        else
            panel->setFixedWidth(widths[i]);
        statusBar()->addWidget(panel);
        m_statusPanels << panel;
    }
}

QLabel *TMainForm::statusPanel(int i) const
{
    return m_statusPanels.value(i);
}

void TMainForm::ConnectCommands()
{
    using C = TEditorCommands;
    C &c = *m_commands;
    c.Implement(C::Save, [this] { Save(); });
    c.Implement(C::SaveAsBase, [this] { SaveAs(QStringLiteral("B")); });
    c.Implement(C::SaveAsEnhancement, [this] { SaveAs(QStringLiteral("E")); });
    c.Implement(C::Close, [this] { close(); });
    c.Implement(C::Exit, [this] { Exit(); });
    c.Implement(C::ReadOnly, [this] { ToggleReadOnly(); });
    c.Implement(C::HelpTopics, [this] { emit helpTopicsRequested(); });
    c.Implement(C::About, [this] {
        MessageBoxRoutine::PanelsLowered lowered(m_messages);
        emit aboutRequested();
    });
    c.Implement(C::DebugGoThrough, [this] { GoThroughTransactions(); });
    c.Implement(C::ExportData, [this] { ExportData(); });
    c.Implement(C::ToolPrevious, [this] { MovePrevious(); });
    c.Implement(C::ToolNext, [this] { MoveNext(); });
    for (C::Id id : {C::ExpandAll, C::CollapseAll, C::ExpandAllOneLevel, C::CollapseAllOneLevel,
                     C::ExpandSelectedOneLevel, C::CollapseSelectedOneLevel})
        c.Implement(id, [this, id] { HierarchyCommand(id); });

    ConnectChartCommands();

    connect(&c, &C::SummaryModeChosen, this, [this](int mode) { SetSummaryMode(mode); });
    connect(&c, &C::SummaryModeCycled, this, &TMainForm::CycleSummaryMode);
    connect(&c, &C::SummaryLevelChosen, this, &TMainForm::SetSummaryLevel);
    connect(&c, &C::SummaryLevelCycled, this, &TMainForm::CycleSummaryLevel);
    connect(&c, &C::ToolbarsChanged, this, &TMainForm::LayoutWindow);
}

void TMainForm::ConnectPages()
{
    connect(m_pages, &QTabWidget::currentChanged, this, &TMainForm::PageChanged);
    connect(m_countPage, &TCountPage::OkClicked, this, &TMainForm::CountOk);
    connect(m_countPage, &TCountPage::CancelClicked, this, &TMainForm::CountCancel);
    connect(m_transPage, &TTransPage::CommandsChanged, this, &TMainForm::UpdateCommands);
    connect(m_transPage, &TTransPage::SelectionSynced, this, &TMainForm::RefreshTransTotalsIfShown);
    connect(m_transPage->panelTabs(), &QTabWidget::currentChanged, this, &TMainForm::RefreshTransTotalsIfShown);
    connect(m_filesPage, &TFilesPage::CommandsChanged, this, &TMainForm::UpdateCommands);
    for (TDockPanel *panel : {m_transPage->panel(), m_filesPage->panel()})
        connect(panel, &QDockWidget::topLevelChanged, this, &TMainForm::LayoutWindow);
}

bool TMainForm::IsReportBusy() const
{
    return m_report && m_report->IsBusy();
}

void TMainForm::CancelReport()
{
    if (m_report)
        m_report->Cancel();
}

void TMainForm::ConnectChartCommands()
{
    using C = TEditorCommands;
    m_chartCommands = new TChartCommands(*this, *m_analyserChart);
    TChartCommands *chart = m_chartCommands;
    m_commands->Implement(C::ExportGraph, [chart] { chart->ExportGraph(); });
    m_commands->Implement(C::CopyGraphBitmap, [chart] { chart->CopyGraphBitmap(); });
    m_commands->Implement(C::CopyGraphMetafile, [chart] { chart->CopyGraphMetafile(); });
    connect(m_analyserChart, &TAnalyserChart::ExportGraphRequested, chart, &TChartCommands::ExportGraph);
    TFpChart *fpChart = m_analyserChart->chart();
    connect(fpChart, &TFpChart::CopyBitmapChosen, chart, &TChartCommands::CopyGraphBitmap);
    connect(fpChart, &TFpChart::CopyMetafileChosen, chart, &TChartCommands::CopyGraphMetafile);
    connect(fpChart, &TFpChart::PrintChosen, chart, &TChartCommands::PrintChart);
    // While the chart is shown it follows every refresh of the summary:
    // mode and level changes, the end of loading, a filter's rebuild.
    connect(m_summary, &TCountSummary::SummaryRefreshed, this, [this] {
        if (activePage() == AnalyserPage)
            m_analyserChart->RebuildChart();
    });
}

int TMainForm::activePage() const
{
    return m_pages->currentIndex();
}

void TMainForm::SetStatusText(const QString &text)
{
    QLabel *panel = m_statusPanels.value(0);
    panel->setText(text);
    // Long steps run without returning to the event loop: paint now.
    if (panel->isVisible())
        panel->repaint();
    emit StatusTextShown(text);
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    LayoutWindow();
}

void TMainForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        LayoutWindow();
}

void TMainForm::LayoutWindow()
{
    m_countPage->LayoutPage();
    // A docked panel is only as tall as its contents need.
    const auto fit = [](TDockPanel *panel, int contentHeight) {
        if (!panel->widget())
            return;
        // Floating, the panel sizes its own window.
        if (panel->isFloating()) {
            panel->setMaximumHeight(QWIDGETSIZE_MAX);
            return;
        }
        const int titleBar = std::max(0, panel->sizeHint().height() - panel->widget()->sizeHint().height());
        panel->setMaximumHeight(titleBar + contentHeight);
    };
    fit(m_transPage->panel(), m_transPage->DockedPanelHeight());
    fit(m_filesPage->panel(), m_filesPage->DockedPanelHeight());
}

} // namespace qm
