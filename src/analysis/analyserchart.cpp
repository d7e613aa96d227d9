#include "analysis/analyserchart.h"

#include "analysis/summarylistview.h"
#include "counting/codes.h"
#include "views/cursorguard.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>

namespace qm {

namespace {

constexpr int kBreakdownLabelLength = 20;
constexpr int kBusyRows = 50;

QString TypeText(const SummaryEntry &entry)
{
    return entry.category == QLatin1String("T") ? TransTypeText(entry.type) : FileTypeText(entry.type);
}

} // namespace

TAnalyserChart::TAnalyserChart(QWidget *parent) : QWidget(parent)
{
    m_chartType = MakeChoice(QStringLiteral("ChartTypeRadioGroup"), QStringLiteral("Chart Type"),
                             QStringLiteral("Pie Chart"), QStringLiteral("Bar Chart"), m_chartTypeButtons);
    m_fpType = MakeChoice(QStringLiteral("FPTypeRadioGroup"), QStringLiteral("FP Type"),
                          QStringLiteral("UnAdjusted FPs"), QStringLiteral("Adjusted FPs"), m_fpTypeButtons);
    m_units = MakeChoice(QStringLiteral("GraphRadioGroup"), QStringLiteral("Units"),
                         QStringLiteral("Function Points"), QStringLiteral("Percentage"), m_unitsButtons);
    m_exportButton = new QPushButton(QStringLiteral("Export Graph..."));
    m_exportButton->setObjectName(QStringLiteral("GraphExportButton"));
    m_chart = new TFpChart;
    m_chart->setMinimumSize(320, 240);

    auto *choices = new QVBoxLayout;
    choices->addWidget(m_chartType);
    choices->addWidget(m_fpType);
    choices->addWidget(m_units);
    choices->addWidget(m_exportButton);
    choices->addStretch(1);
    // The choices line up 20 pixels from the right edge; the chart takes
    // the rest, 60 pixels shorter than the page.
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(5, 10, 20, 50);
    layout->setSpacing(5);
    layout->addWidget(m_chart, 1);
    layout->addLayout(choices);

    connect(m_chartTypeButtons, &QButtonGroup::idClicked, this, &TAnalyserChart::RebuildChart);
    connect(m_fpTypeButtons, &QButtonGroup::idClicked, this, &TAnalyserChart::RebuildChart);
    // The units change the legend alone.
    connect(m_unitsButtons, &QButtonGroup::idClicked, this, [this](int id) {
        m_chart->SetLegendStyle(id == 1 ? TFpChart::LegendStyle::Percentage : TFpChart::LegendStyle::Values);
    });
    connect(m_exportButton, &QPushButton::clicked, this, &TAnalyserChart::ExportGraphRequested);
}

QGroupBox *TAnalyserChart::MakeChoice(const QString &name, const QString &caption, const QString &first,
                                      const QString &second, QButtonGroup *&group)
{
    auto *box = new QGroupBox(caption);
    box->setObjectName(name);
    auto *layout = new QVBoxLayout(box);
    group = new QButtonGroup(box);
    int id = 0;
    for (const QString &text : {first, second}) {
        auto *button = new QRadioButton(text);
        layout->addWidget(button);
        group->addButton(button, id++);
    }
    group->button(0)->setChecked(true);
    return box;
}

void TAnalyserChart::setSource(TSummaryListView *list)
{
    m_source = list;
}

int TAnalyserChart::chartTypeIndex() const
{
    return m_chartTypeButtons->checkedId();
}

int TAnalyserChart::fpTypeIndex() const
{
    return m_fpTypeButtons->checkedId();
}

int TAnalyserChart::unitsIndex() const
{
    return m_unitsButtons->checkedId();
}

QString TAnalyserChart::ChartLabel(SummaryMode mode, const SummaryEntry &entry)
{
    switch (mode) {
    case SummaryMode::TypeChange:
        return TypeText(entry) + QStringLiteral(" (") + ChangeTypeText(entry.changeType) + QStringLiteral(")");
    case SummaryMode::Breakdown:
        return ShortenText(entry.description, kBreakdownLabelLength);
    case SummaryMode::Type:
        return TypeText(entry);
    case SummaryMode::ChangeType:
        return ChangeTypeText(entry.changeType);
    }
    return {};
}

QList<ChartPoint> TAnalyserChart::ChartPoints(SummaryMode mode, const QList<SummaryEntry> &entries, bool adjusted)
{
    QList<ChartPoint> points;
    points.reserve(entries.size());
    for (const SummaryEntry &entry : entries)
        points.append({adjusted ? entry.adjusted : double(entry.unadjusted), ChartLabel(mode, entry)});
    return points;
}

void TAnalyserChart::RebuildChart()
{
    m_chart->SetKind(chartTypeIndex() == 1 ? TFpChart::Kind::Bar : TFpChart::Kind::Pie);
    if (!m_source) {
        m_chart->Clear();
        return;
    }
    const bool adjusted = fpTypeIndex() == 1;
    const QList<SummaryEntry> entries = m_source->Entries();
    // Hundreds of slices take the chart a moment.
    std::optional<WaitCursor> busy;
    if (entries.size() > kBusyRows)
        busy.emplace();
    // Adjusted sums read as the list writes them, with one decimal.
    m_chart->SetPoints(ChartPoints(m_source->mode(), entries, adjusted), adjusted ? 1 : 0);
}

} // namespace qm
