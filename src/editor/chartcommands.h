#pragma once

// The editor's commands on the analyser chart: export to a picture file,
// copy to the clipboard, print.

#include <QObject>

#include <functional>
#include <memory>

class QPrinter;

namespace qm {

class TAnalyserChart;
class TMainForm;
struct ChartDrawing;

class TChartCommands : public QObject
{
    Q_OBJECT

public:
    TChartCommands(TMainForm &editor, TAnalyserChart &page);
    ~TChartCommands() override;

    // The printer the chart goes to; without one set, a printer of its own
    // on the system's default.
    void setPrinter(std::function<QPrinter *()> printer) { m_printerHook = std::move(printer); }

    void ExportGraph();
    void CopyGraphBitmap();
    void CopyGraphMetafile();
    void PrintChart();

private:
    // The summary brought up to date and the chart drawn from it.
    void Prepare();
    // The chart at its size on the page, laid out even while hidden.
    ChartDrawing Drawing();
    QPrinter &CurrentPrinter();
    void Failed(const QString &text);

    TMainForm &m_editor;
    TAnalyserChart &m_page;
    std::function<QPrinter *()> m_printerHook;
    std::unique_ptr<QPrinter> m_ownPrinter;
};

} // namespace qm
