#include "editor/chartcommands.h"

#include "analysis/analyserchart.h"
#include "analysis/chartpictures.h"
#include "analysis/countsummary.h"
#include "editor/mainform.h"
#include "views/cursorguard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLayout>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QTabWidget>

namespace qm {

namespace {

const QString kWmfMime = QStringLiteral("image/x-wmf");
// The chart stops this many printer units short of the right and bottom.
constexpr int kPrintMargin = 10;

} // namespace

TChartCommands::TChartCommands(TMainForm &editor, TAnalyserChart &page)
    : QObject(&editor), m_editor(editor), m_page(page)
{
}

TChartCommands::~TChartCommands() = default;

void TChartCommands::Prepare()
{
    // A refresh while the chart is shown has redrawn it already.
    const bool redrawn = m_editor.summary().IsStale() && m_editor.activePage() == TMainForm::AnalyserPage;
    m_editor.RefreshSummaryIfStale();
    if (!redrawn)
        m_page.RebuildChart();
}

ChartDrawing TChartCommands::Drawing()
{
    // From another page the chart is drawn at the size it has when shown.
    if (!m_page.isVisible()) {
        if (QWidget *shown = m_editor.pageControl()->currentWidget())
            m_page.resize(shown->size());
        if (m_page.layout())
            m_page.layout()->activate();
    }
    return m_page.chart()->Drawing();
}

void TChartCommands::Failed(const QString &text)
{
    m_editor.messages().message(MessageKind::Error, text, MessageButtons::Ok);
}

void TChartCommands::ExportGraph()
{
    Prepare();
    const QString fileName = m_editor.messages().saveFile(ChartPictureDialogRequest());
    if (fileName.isEmpty())
        return;
    QString error;
    bool written = false;
    {
        WaitCursor busy;
        written = WriteChartPicture(Drawing(), fileName, &error);
    }
    if (!written)
        Failed(error);
}

void TChartCommands::CopyGraphBitmap()
{
    Prepare();
    QGuiApplication::clipboard()->setImage(DrawingImage(Drawing()));
}

void TChartCommands::CopyGraphMetafile()
{
    Prepare();
    const QImage image = DrawingImage(Drawing());
    QString error;
    const QByteArray metafile = WindowsMetafileBytes(image, &error);
    if (metafile.isEmpty()) {
        Failed(error);
        return;
    }
    auto *data = new QMimeData;
    data->setData(kWmfMime, metafile);
    // Most programs here paste pictures only as images.
    data->setImageData(image);
    QGuiApplication::clipboard()->setMimeData(data);
}

QPrinter &TChartCommands::CurrentPrinter()
{
    if (m_printerHook)
        if (QPrinter *printer = m_printerHook())
            return *printer;
    if (!m_ownPrinter)
        m_ownPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_ownPrinter;
}

void TChartCommands::PrintChart()
{
    // The chart as it is drawn now: no refresh, no rebuild.
    const ChartDrawing drawing = Drawing();
    QPrinter &printer = CurrentPrinter();
    printer.setDocName(QStringLiteral("FpChart"));
    QPainter painter;
    {
        WaitCursor busy;
        if (painter.begin(&printer)) {
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            const QRectF target(0, 0, printer.width() - kPrintMargin, printer.height() - kPrintMargin);
            drawing.paint(painter, target);
            if (painter.end())
                return;
        }
    }
    Failed(printer.outputFileName().isEmpty() && printer.printerName().isEmpty()
               ? QStringLiteral("The chart could not be printed: no printer is available.")
               : QStringLiteral("The chart could not be printed on \"%1\".")
                     .arg(printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName()));
}

} // namespace qm
