#include "editor/reportpreview.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

namespace qm {

namespace {

constexpr double kMinZoom = 0.25;
constexpr double kMaxZoom = 4.0;
constexpr double kZoomStep = 1.25;
// The grey border round the paper, in screen pixels.
constexpr int kGap = 16;

} // namespace

// Draws the current page on its paper at the window's zoom.
class TReportPreview::PageView : public QWidget
{
public:
    explicit PageView(TReportPreview &preview) : m_preview(preview)
    {
        setObjectName(QStringLiteral("PreviewPageView"));
        setAutoFillBackground(false);
    }

    void Resize()
    {
        const QSizeF paper = m_preview.m_paper * m_preview.m_zoom;
        setFixedSize(int(paper.width()) + 2 * kGap, int(paper.height()) + 2 * kGap);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Dark));
        const double zoom = m_preview.m_zoom;
        const QRectF paper(kGap, kGap, m_preview.m_paper.width() * zoom, m_preview.m_paper.height() * zoom);
        p.fillRect(paper.translated(3, 3), QColor(0, 0, 0, 70));
        p.fillRect(paper, Qt::white);
        const int index = m_preview.m_current - 1;
        if (index < 0 || index >= m_preview.m_pages.size())
            return;
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.translate(paper.topLeft() + m_preview.m_margin * zoom);
        p.scale(zoom, zoom);
        report::PaintPage(p, m_preview.m_pages[index]);
    }

private:
    TReportPreview &m_preview;
};

TReportPreview::TReportPreview(QWidget *parent) : QMainWindow(parent, Qt::Window)
{
    setObjectName(QStringLiteral("ReportPreviewForm"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(900, 1000);

    BuildToolBar();

    m_view = new PageView(*this);
    m_scroll = new QScrollArea;
    m_scroll->setObjectName(QStringLiteral("PreviewScrollArea"));
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setWidget(m_view);
    setCentralWidget(m_scroll);
    statusBar()->setObjectName(QStringLiteral("PreviewStatusBar"));
    UpdateControls();
}

void TReportPreview::BuildToolBar()
{
    QToolBar *bar = addToolBar(QStringLiteral("Preview"));
    bar->setObjectName(QStringLiteral("PreviewToolBar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_print = AddAction(QStringLiteral("PreviewPrint"), QStringLiteral("&Print..."), QKeySequence::Print);
    connect(m_print, &QAction::triggered, this, &TReportPreview::PrintRequested);
    bar->addAction(m_print);
    bar->addSeparator();
    m_first = AddAction(QStringLiteral("PreviewFirstPage"), QStringLiteral("First"), Qt::CTRL | Qt::Key_Home);
    m_previous = AddAction(QStringLiteral("PreviewPreviousPage"), QStringLiteral("Previous"), Qt::Key_PageUp);
    m_next = AddAction(QStringLiteral("PreviewNextPage"), QStringLiteral("Next"), Qt::Key_PageDown);
    m_last = AddAction(QStringLiteral("PreviewLastPage"), QStringLiteral("Last"), Qt::CTRL | Qt::Key_End);
    connect(m_first, &QAction::triggered, this, [this] { ShowPage(1); });
    connect(m_previous, &QAction::triggered, this, [this] { ShowPage(m_current - 1); });
    connect(m_next, &QAction::triggered, this, [this] { ShowPage(m_current + 1); });
    connect(m_last, &QAction::triggered, this, [this] { ShowPage(pageCount()); });
    bar->addActions({m_first, m_previous});
    m_pageLabel = new QLabel;
    m_pageLabel->setObjectName(QStringLiteral("PreviewPageLabel"));
    m_pageLabel->setMinimumWidth(110);
    m_pageLabel->setAlignment(Qt::AlignCenter);
    bar->addWidget(m_pageLabel);
    bar->addActions({m_next, m_last});
    bar->addSeparator();

    QAction *zoomIn = AddAction(QStringLiteral("PreviewZoomIn"), QStringLiteral("Zoom In"), QKeySequence::ZoomIn);
    QAction *zoomOut = AddAction(QStringLiteral("PreviewZoomOut"), QStringLiteral("Zoom Out"), QKeySequence::ZoomOut);
    QAction *fitPage = AddAction(QStringLiteral("PreviewFitPage"), QStringLiteral("Whole Page"), {});
    QAction *fitWidth = AddAction(QStringLiteral("PreviewFitWidth"), QStringLiteral("Page Width"), {});
    QAction *actual = AddAction(QStringLiteral("PreviewActualSize"), QStringLiteral("100%"), Qt::CTRL | Qt::Key_0);
    connect(zoomIn, &QAction::triggered, this, [this] { ZoomBy(kZoomStep); });
    connect(zoomOut, &QAction::triggered, this, [this] { ZoomBy(1 / kZoomStep); });
    connect(fitPage, &QAction::triggered, this, &TReportPreview::FitPage);
    connect(fitWidth, &QAction::triggered, this, &TReportPreview::FitWidth);
    connect(actual, &QAction::triggered, this, [this] { SetZoom(1.0, Fit::None); });
    bar->addActions({zoomIn, zoomOut, fitPage, fitWidth, actual});
    m_zoomLabel = new QLabel;
    m_zoomLabel->setObjectName(QStringLiteral("PreviewZoomLabel"));
    m_zoomLabel->setMinimumWidth(50);
    m_zoomLabel->setAlignment(Qt::AlignCenter);
    bar->addWidget(m_zoomLabel);
    bar->addSeparator();
    QAction *close = AddAction(QStringLiteral("PreviewClose"), QStringLiteral("&Close"), Qt::Key_Escape);
    connect(close, &QAction::triggered, this, &QWidget::close);
    bar->addAction(close);
}

QAction *TReportPreview::AddAction(const QString &name, const QString &caption, const QKeySequence &key)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    if (!key.isEmpty())
        action->setShortcut(key);
    addAction(action);
    return action;
}

void TReportPreview::Begin(const QString &title, const QSizeF &paper, const QPointF &margin)
{
    setWindowTitle(title);
    m_pages.clear();
    m_paper = paper;
    m_margin = margin;
    m_current = 0;
    m_complete = false;
    statusBar()->showMessage(QStringLiteral("Preparing the report..."));
    ApplyFit();
    UpdateControls();
}

void TReportPreview::AddPage(const report::ReportPage &page)
{
    m_pages.append(page);
    if (m_current == 0)
        ShowPage(1);
    statusBar()->showMessage(QStringLiteral("Preparing the report... page %1").arg(page.number));
    UpdateControls();
}

void TReportPreview::SetFinished(bool complete)
{
    m_complete = complete;
    statusBar()->showMessage(complete ? QStringLiteral("%1 pages").arg(pageCount())
                                      : QStringLiteral("Report stopped after %1 pages").arg(pageCount()));
    UpdateControls();
}

void TReportPreview::ShowPage(int number)
{
    if (m_pages.isEmpty())
        return;
    m_current = std::clamp(number, 1, pageCount());
    m_scroll->verticalScrollBar()->setValue(0);
    m_view->update();
    UpdateControls();
}

void TReportPreview::ZoomBy(double factor)
{
    SetZoom(m_zoom * factor, Fit::None);
}

void TReportPreview::FitPage()
{
    m_fit = Fit::Page;
    ApplyFit();
}

void TReportPreview::FitWidth()
{
    m_fit = Fit::Width;
    ApplyFit();
}

void TReportPreview::SetZoom(double zoom, Fit fit)
{
    m_fit = fit;
    m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    m_view->Resize();
    UpdateControls();
}

void TReportPreview::ApplyFit()
{
    const QSize room = m_scroll->viewport()->size() - QSize(2 * kGap, 2 * kGap);
    double zoom = m_zoom;
    if (m_fit == Fit::Page)
        zoom = std::min(room.width() / m_paper.width(), room.height() / m_paper.height());
    else if (m_fit == Fit::Width)
        // Leave room for the vertical scroll bar the width will need.
        zoom = (room.width() - m_scroll->verticalScrollBar()->sizeHint().width()) / m_paper.width();
    SetZoom(zoom, m_fit);
}

void TReportPreview::UpdateControls()
{
    const QString of = m_complete || pageCount() == 0 ? QString::number(pageCount())
                                                      : QStringLiteral("%1+").arg(pageCount());
    m_pageLabel->setText(QStringLiteral("Page %1 of %2").arg(m_current).arg(of));
    m_zoomLabel->setText(QStringLiteral("%1%").arg(qRound(m_zoom * 100)));
    m_first->setEnabled(m_current > 1);
    m_previous->setEnabled(m_current > 1);
    m_next->setEnabled(m_current < pageCount());
    m_last->setEnabled(m_current < pageCount());
    // What is printed from here is the whole report.
    m_print->setEnabled(m_complete && pageCount() > 0);
}

void TReportPreview::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
    emit Closed();
}

void TReportPreview::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (m_fit != Fit::None)
        ApplyFit();
}

} // namespace qm
