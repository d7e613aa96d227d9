#pragma once

#include "report/bandengine.h"

#include <QList>
#include <QMainWindow>
#include <QSizeF>

class QAction;
class QLabel;
class QScrollArea;

namespace qm {

// The report's preview window: one page at a time on its paper, zoomed to
// fit or as chosen, with page navigation and printing. Pages arrive while
// the report is still being produced; the first shows at once.
class TReportPreview : public QMainWindow
{
    Q_OBJECT

public:
    explicit TReportPreview(QWidget *parent = nullptr);

    // A new report on paper of the given size (report pixels), with the
    // printable area starting at margin.
    void Begin(const QString &title, const QSizeF &paper, const QPointF &margin);
    void AddPage(const report::ReportPage &page);
    void SetFinished(bool complete);

    const QList<report::ReportPage> &pages() const { return m_pages; }
    int pageCount() const { return int(m_pages.size()); }
    // 1-based; 0 while no page has arrived.
    int currentPage() const { return m_current; }
    double zoom() const { return m_zoom; }
    bool isComplete() const { return m_complete; }
    QAction *printAction() const { return m_print; }

    void ShowPage(int number);
    void ZoomBy(double factor);
    void FitPage();
    void FitWidth();

signals:
    void PrintRequested();
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    class PageView;
    enum class Fit { None, Page, Width };

    void BuildToolBar();
    QAction *AddAction(const QString &name, const QString &caption, const QKeySequence &key);
    void SetZoom(double zoom, Fit fit);
    void ApplyFit();
    void UpdateControls();

    QList<report::ReportPage> m_pages;
    QSizeF m_paper{794, 1123};
    QPointF m_margin{38, 38};
    int m_current = 0;
    double m_zoom = 1.0;
    Fit m_fit = Fit::Page;
    bool m_complete = false;

    PageView *m_view = nullptr;
    QScrollArea *m_scroll = nullptr;
    QLabel *m_pageLabel = nullptr;
    QLabel *m_zoomLabel = nullptr;
    QAction *m_first = nullptr;
    QAction *m_previous = nullptr;
    QAction *m_next = nullptr;
    QAction *m_last = nullptr;
    QAction *m_print = nullptr;
};

} // namespace qm
