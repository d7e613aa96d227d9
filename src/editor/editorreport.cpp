#include "editor/editorreport.h"

#include "editor/editorcommands.h"
#include "editor/mainform.h"
#include "editor/reportpreview.h"
#include "editor/reportsource.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "views/cursorguard.h"
#include "views/messageboxroutine.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

namespace qm {

namespace {

constexpr double kPixelsPerMillimetre = report::kReportDpi / 25.4;

const QString kPdfFilter = QStringLiteral("PDF files (*.pdf)");

// A file name from the count's name, without what file systems refuse.
QString SafeFileName(const QString &name)
{
    QString safe = name.trimmed();
    for (QChar &c : safe)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    return safe.isEmpty() ? QStringLiteral("Count report") : safe;
}

} // namespace

TEditorReport::TEditorReport(TMainForm &editor, Database &db, MessageBoxRoutine &messages)
    : QObject(&editor), m_editor(editor), m_db(db), m_messages(messages),
      m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    using C = TEditorCommands;
    TEditorCommands &commands = editor.commands();
    commands.Implement(C::Print, [this] { Print(); });
    commands.Implement(C::PrintPreview, [this] { Preview(); });
    commands.Implement(C::PageSetup, [this] { PageSetup(); });

    // Beyond the printer: the same pages as a PDF, placed after the preview.
    m_exportPdf = new QAction(QStringLiteral("Export Report as &PDF..."), &editor);
    m_exportPdf->setObjectName(QStringLiteral("ExportReportPdfAction"));
    connect(m_exportPdf, &QAction::triggered, this, &TEditorReport::ExportPdf);
    if (QMenu *file = commands.menu(QStringLiteral("&File"))) {
        const QList<QAction *> actions = file->actions();
        const qsizetype at = actions.indexOf(commands.action(C::PrintPreview));
        file->insertAction(at >= 0 && at + 1 < actions.size() ? actions[at + 1] : nullptr, m_exportPdf);
    }

    connect(&m_run, &report::TReportRun::PageReady, this, [this](int number) {
        const QString doing = m_target == Target::Printer ? QStringLiteral("Printing")
                              : m_target == Target::Pdf   ? QStringLiteral("Writing")
                                                          : QStringLiteral("Preparing");
        m_editor.SetStatusText(QStringLiteral("%1 report page %2...").arg(doing).arg(number));
    });
    connect(&m_run, &report::TReportRun::Finished, this, &TEditorReport::Finished);
}

TEditorReport::~TEditorReport()
{
    // Nothing half-written is left behind when the program ends mid-run;
    // the editor is going, so nothing is shown.
    m_run.disconnect(this);
    m_run.Cancel();
    m_device.End();
    m_pdfWriter.reset();
    if (m_pdfFile)
        m_pdfFile->cancelWriting();
}

bool TEditorReport::CanStart() const
{
    // Not while another report is produced, nor over half-built trees.
    return !IsBusy() && m_editor.pendingLoadStep() == TMainForm::LoadStep::None;
}

void TEditorReport::Print()
{
    if (!CanStart() || !m_messages.printDialog(*m_printer))
        return;
    m_editor.RefreshSummary();
    StartRun(Target::Printer);
}

void TEditorReport::Preview()
{
    if (!CanStart())
        return;
    m_editor.RefreshSummary();
    if (!m_preview) {
        m_preview = new TReportPreview(&m_editor);
        connect(m_preview, &TReportPreview::PrintRequested, this, &TEditorReport::PrintPreviewPages);
        connect(m_preview, &TReportPreview::Closed, this, &TEditorReport::PreviewClosed);
    }
    if (!m_panelsReleased) {
        m_messages.ReleasePanels();
        m_panelsReleased = true;
    }
    m_preview->show();
    m_preview->raise();
    m_preview->activateWindow();
    StartRun(Target::Preview);
}

void TEditorReport::PageSetup()
{
    if (!IsBusy())
        m_messages.pageSetupDialog(*m_printer);
}

QString TEditorReport::PdfFileName()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Export Report as PDF");
    request.directory = m_pdfDirectory.isEmpty() ? QDir::homePath() : m_pdfDirectory;
    request.fileName = SafeFileName(m_editor.countTbl().isOpen() ? m_editor.countTbl().text(QStringLiteral("Description"))
                                                                 : QString())
                       + QStringLiteral(".pdf");
    request.filters = {kPdfFilter};
    request.defaultSuffix = QStringLiteral("pdf");
    QString path = m_messages.saveFile(request);
    if (path.isEmpty())
        return {};
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    m_pdfDirectory = QFileInfo(path).absolutePath();
    return path;
}

void TEditorReport::ExportPdf()
{
    if (!CanStart())
        return;
    const QString path = PdfFileName();
    if (path.isEmpty())
        return;
    m_editor.RefreshSummary();
    m_pdfFile = std::make_unique<QSaveFile>(path);
    StartRun(Target::Pdf);
}

QPageLayout TEditorReport::RunLayout() const
{
    // The paper is the default printer's on every run; the orientation is
    // what the page set-up chose.
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    QPageSize paper = printer.isNull() ? QPageSize() : printer.defaultPageSize();
    if (!paper.isValid())
        paper = QPageSize(QPageSize::A4);
    return report::ReportPageLayout(paper, m_printer->pageLayout().orientation());
}

void TEditorReport::StartRun(Target target)
{
    const QPageLayout layout = RunLayout();
    m_form = std::make_unique<report::TPrintCountForm>(ReportDataFromEditor(m_editor, m_db), layout);
    m_target = target;
    if (!OpenDevice(target, layout, m_form->ReportTitle())) {
        m_pdfFile.reset();
        m_form.reset();
        return;
    }
    m_editor.appState().reportBusy = true;
    SetCommandsEnabled(false);
    m_run.Start(m_form->engine(), [this](const report::ReportPage &page) { return SinkPage(page); });
}

bool TEditorReport::OpenDevice(Target target, const QPageLayout &layout, const QString &title)
{
    switch (target) {
    case Target::Preview: {
        const QRectF paper = layout.fullRect(QPageLayout::Millimeter);
        const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
        m_preview->Begin(title, paper.size() * kPixelsPerMillimetre,
                         QPointF(margins.left(), margins.top()) * kPixelsPerMillimetre);
        return true;
    }
    case Target::Printer: {
        m_printer->setDocName(title);
        m_printer->setFullPage(false);
        m_printer->setPageLayout(layout);
        const bool range = m_printer->printRange() == QPrinter::PageRange;
        if (m_device.Begin(m_printer.get(), range ? m_printer->fromPage() : 0, range ? m_printer->toPage() : 0))
            return true;
        m_messages.error(QStringLiteral("The report could not be printed: the printer \"%1\" is not available.")
                             .arg(m_printer->printerName()));
        return false;
    }
    case Target::Pdf: {
        if (!m_pdfFile->open(QIODevice::WriteOnly)) {
            m_messages.error(QStringLiteral("The report could not be saved as \"%1\":\n%2")
                                 .arg(QDir::toNativeSeparators(m_pdfFile->fileName()), m_pdfFile->errorString()));
            return false;
        }
        m_pdfWriter = std::make_unique<QPdfWriter>(m_pdfFile.get());
        m_pdfWriter->setPageLayout(layout);
        m_pdfWriter->setTitle(title);
        m_pdfWriter->setCreator(QStringLiteral("Quillmark"));
        if (m_device.Begin(m_pdfWriter.get()))
            return true;
        m_pdfWriter.reset();
        m_pdfFile->cancelWriting();
        m_messages.error(QStringLiteral("The report could not be saved as \"%1\".")
                             .arg(QDir::toNativeSeparators(m_pdfFile->fileName())));
        return false;
    }
    }
    return false;
}

bool TEditorReport::SinkPage(const report::ReportPage &page)
{
    if (m_target == Target::Preview) {
        if (!m_preview)
            return false;
        m_preview->AddPage(page);
        return true;
    }
    m_device.Paint(page);
    return true;
}

void TEditorReport::Finished(bool completed)
{
    QString status;
    switch (m_target) {
    case Target::Printer:
        // A stopped run still sends the pages it painted.
        if (!m_device.End())
            m_messages.error(QStringLiteral("The report could not be printed on \"%1\".").arg(m_printer->printerName()));
        break;
    case Target::Pdf: {
        const QString name = m_pdfFile ? QFileInfo(m_pdfFile->fileName()).fileName() : QString();
        if (FinishPdf(completed))
            status = QStringLiteral("Report saved as %1").arg(name);
        m_pdfFile.reset();
        break;
    }
    case Target::Preview:
        if (m_preview)
            m_preview->SetFinished(completed);
        break;
    }
    m_editor.appState().reportBusy = false;
    SetCommandsEnabled(true);
    m_editor.SetStatusText(status);
    emit RunFinished(completed);
}

bool TEditorReport::FinishPdf(bool completed)
{
    const bool painted = m_device.End();
    m_pdfWriter.reset();
    if (!m_pdfFile)
        return false;
    // A stopped or failed run leaves any earlier file of that name as it was.
    if (!completed || !painted) {
        m_pdfFile->cancelWriting();
        m_pdfFile->commit();
        return false;
    }
    if (!m_pdfFile->commit()) {
        m_messages.error(QStringLiteral("The report could not be saved as \"%1\":\n%2")
                             .arg(QDir::toNativeSeparators(m_pdfFile->fileName()), m_pdfFile->errorString()));
        return false;
    }
    return true;
}

void TEditorReport::PrintPreviewPages()
{
    if (!m_preview || !m_preview->isComplete() || !m_form)
        return;
    const bool chosen = m_messages.printDialog(*m_printer);
    // The dialog gave the panels their place on top back; the preview is
    // still up.
    if (m_panelsReleased)
        m_messages.ReleasePanels();
    if (!chosen)
        return;
    WaitCursor busy;
    m_printer->setDocName(m_preview->windowTitle());
    m_printer->setFullPage(false);
    m_printer->setPageLayout(RunLayout());
    const bool range = m_printer->printRange() == QPrinter::PageRange;
    report::TDevicePainter device;
    if (!device.Begin(m_printer.get(), range ? m_printer->fromPage() : 0, range ? m_printer->toPage() : 0)) {
        m_messages.error(QStringLiteral("The report could not be printed: the printer \"%1\" is not available.")
                             .arg(m_printer->printerName()));
        return;
    }
    for (const report::ReportPage &page : m_preview->pages())
        device.Paint(page);
    device.End();
}

void TEditorReport::Cancel()
{
    if (m_run.IsBusy())
        m_run.Cancel();
}

void TEditorReport::PreviewClosed()
{
    if (m_run.IsBusy() && m_target == Target::Preview)
        m_run.Cancel();
    if (m_panelsReleased) {
        m_panelsReleased = false;
        m_messages.RestorePanels();
    }
}

void TEditorReport::ClosePreview()
{
    if (m_preview && m_preview->isVisible())
        m_preview->close();
}

void TEditorReport::SetCommandsEnabled(bool on)
{
    using C = TEditorCommands;
    for (C::Id id : {C::Print, C::PrintPreview, C::PageSetup})
        m_editor.commands().SetEnabled(id, on);
    m_exportPdf->setEnabled(on);
}

} // namespace qm
