#pragma once

// The contents of the editor's "Analyser" page: the three choices, the
// export button and the chart, filled from the summary list in the order
// the list shows.

#include "analysis/fpchart.h"
#include "analysis/summary.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QButtonGroup;
class QGroupBox;
class QPushButton;

namespace qm {

class TSummaryListView;

class TAnalyserChart : public QWidget
{
    Q_OBJECT

public:
    explicit TAnalyserChart(QWidget *parent = nullptr);

    // The list whose rows the chart draws.
    void setSource(TSummaryListView *list);

    // Fills the chosen series from the source list's rows.
    void RebuildChart();

    TFpChart *chart() const { return m_chart; }
    QGroupBox *chartTypeGroup() const { return m_chartType; }
    QGroupBox *fpTypeGroup() const { return m_fpType; }
    QGroupBox *unitsGroup() const { return m_units; }
    QPushButton *exportButton() const { return m_exportButton; }
    int chartTypeIndex() const;
    int fpTypeIndex() const;
    int unitsIndex() const;

    // The label of a row's slice or bar in the given summary mode.
    static QString ChartLabel(SummaryMode mode, const SummaryEntry &entry);
    static QList<ChartPoint> ChartPoints(SummaryMode mode, const QList<SummaryEntry> &entries, bool adjusted);

signals:
    void ExportGraphRequested();

private:
    QGroupBox *MakeChoice(const QString &name, const QString &caption, const QString &first,
                          const QString &second, QButtonGroup *&group);

    TFpChart *m_chart = nullptr;
    QGroupBox *m_chartType = nullptr;
    QGroupBox *m_fpType = nullptr;
    QGroupBox *m_units = nullptr;
    QButtonGroup *m_chartTypeButtons = nullptr;
    QButtonGroup *m_fpTypeButtons = nullptr;
    QButtonGroup *m_unitsButtons = nullptr;
    QPushButton *m_exportButton = nullptr;
    QPointer<TSummaryListView> m_source;
};

} // namespace qm
