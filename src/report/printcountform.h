#pragma once

#include "report/bandengine.h"
#include "report/countreportdata.h"

#include <QPageLayout>

#include <memory>

namespace qm::report {

// Report states: the section whose record is being prepared.
namespace state {
inline constexpr int CountDetails = 10;
inline constexpr int Characteristics = 20;
inline constexpr int SummaryCaptions = 300;
inline constexpr int SummaryRows = 400;
inline constexpr int TotalsHeading = 500;
inline constexpr int TotalsAddedChanged = 600;
inline constexpr int TotalsDeleted = 700;
inline constexpr int TotalsOverall = 800;
inline constexpr int FileDetails = 1000;
inline constexpr int TransDetails = 1500;
inline constexpr int End = 9999;
} // namespace state

// The section a page header names for a state.
QString SectionName(int reportState);

// A4 portrait (or the paper given) with 10 mm margins all round.
QPageLayout ReportPageLayout(const QPageSize &paper = QPageSize(QPageSize::A4),
                             QPageLayout::Orientation orientation = QPageLayout::Portrait);
// The printable area of a page layout in report pixels.
QSizeF PrintableSize(const QPageLayout &layout);

// The count report's design and the variables of one run. It answers the
// engine's question for another record itself, walking a fixed sequence of
// states and enabling for each record the bands that carry its content.
class TPrintCountForm : public ReportDriver
{
public:
    explicit TPrintCountForm(CountReportData data, const QPageLayout &layout = ReportPageLayout());
    ~TPrintCountForm() override;
    TPrintCountForm(const TPrintCountForm &) = delete;
    TPrintCountForm &operator=(const TPrintCountForm &) = delete;

    TBandEngine &engine() { return m_engine; }
    const TBandEngine &engine() const { return m_engine; }
    const CountReportData &data() const { return m_data; }
    // The print job's and the preview window's title.
    QString ReportTitle() const;

    // The state of every record asked for so far, in order.
    const QList<int> &StateLog() const { return m_stateLog; }
    int reportState() const { return m_reportState; }
    int nextReportState() const { return m_nextReportState; }

    // Lays out the whole report at once (tests, and tools without a loop).
    QList<ReportPage> LayoutAll();

    // ReportDriver
    void BeforePrint() override;
    bool NeedData() override;
    void BeforePageHeader(int pageNumber) override;
    void BeforePageFooter(int pageNumber) override;

private:
    struct Bands;

    void LayoutColumns();
    void EnableFor(int reportState);
    void PrepareRecord();
    void PrepareSummaryRecord();
    void PrepareTotalsRecord();
    void PrepareDetailRecord();
    void PrepareCountDetails();
    void PrepareCharacteristics();
    void PrepareSummaryLine(const QStringList &cells, bool underlined);
    void PrepareTotalsLine(const QStringList &cells, bool underlined);
    void PrepareDetailLine(const ReportNode *node, bool files);
    QImage Picture(const ReportNode &node, bool files) const;

    CountReportData m_data;
    std::unique_ptr<Bands> m_bands;
    TBandEngine m_engine;

    int m_reportState = 0;
    int m_nextReportState = 0;
    bool m_newPagePending = false;
    bool m_spacerPending = false;
    int m_reportNode = 0; // index into the tree being printed
    int m_summaryRow = 0;
    double m_descriptionBase = 105;
    double m_iconBase = 85;
    double m_indentStep = 15;
    QList<int> m_stateLog;
    QList<QImage> m_transImages;
    QList<QImage> m_fileImages;
};

} // namespace qm::report
