#include "report/reportrun.h"

#include <QElapsedTimer>

namespace qm::report {

TReportRun::TReportRun(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &TReportRun::Step);
}

void TReportRun::Start(TBandEngine &engine, PageSink sink)
{
    Cancel();
    m_engine = &engine;
    m_sink = std::move(sink);
    m_pages = 0;
    m_engine->Start();
    m_timer.start();
}

void TReportRun::Cancel()
{
    if (m_engine)
        Stop(false);
}

void TReportRun::Step()
{
    if (!m_engine)
        return;
    // Several pages per turn when they are quick, but never so many that
    // the window stops answering.
    QElapsedTimer slice;
    slice.start();
    do {
        ReportPage page;
        if (!m_engine->NextPage(page)) {
            Stop(true);
            return;
        }
        ++m_pages;
        if (!m_sink(page)) {
            Stop(false);
            return;
        }
        emit PageReady(page.number);
        // A slot of PageReady may have cancelled the run.
        if (!m_engine)
            return;
    } while (slice.elapsed() < m_sliceMs);
    m_timer.start();
}

void TReportRun::Stop(bool completed)
{
    m_timer.stop();
    m_engine = nullptr;
    m_sink = nullptr;
    emit Finished(completed);
}

} // namespace qm::report
