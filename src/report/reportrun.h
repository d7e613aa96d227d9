#pragma once

#include "report/bandengine.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace qm::report {

// Lays out a report page by page from the event loop, handing each page to
// a sink (a printer, a PDF, a preview), so the program stays usable while a
// long report is produced.
class TReportRun : public QObject
{
    Q_OBJECT

public:
    // False from the sink stops the run as failed.
    using PageSink = std::function<bool(const ReportPage &page)>;

    explicit TReportRun(QObject *parent = nullptr);

    // The engine must outlive the run. Pages start on the next turn of the
    // event loop.
    void Start(TBandEngine &engine, PageSink sink);
    // Stops at once; pages already handed over stay where they went.
    void Cancel();
    bool IsBusy() const { return m_engine != nullptr; }
    int pagesDone() const { return m_pages; }

    // The longest stretch of pages laid out in one turn of the loop.
    void setSliceMilliseconds(int ms) { m_sliceMs = ms; }

signals:
    void PageReady(int number);
    // Completed: every page was produced; otherwise cancelled or failed.
    void Finished(bool completed);

private:
    void Step();
    void Stop(bool completed);

    TBandEngine *m_engine = nullptr;
    PageSink m_sink;
    QTimer m_timer;
    int m_pages = 0;
    int m_sliceMs = 30;
};

} // namespace qm::report
