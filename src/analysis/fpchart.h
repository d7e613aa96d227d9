#pragma once

// The analyser's chart: a pie or a bar chart, one slice or bar per point,
// a legend with the value or the percentage left of each label. Two graphics
// items draw it, one the slices or bars, one the legend.

#include "analysis/chartpictures.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class QMenu;

namespace qm {

struct ChartPoint
{
    double value = 0.0;
    QString label;
};

class TFpChart : public QWidget
{
    Q_OBJECT

public:
    enum class Kind { Pie = 0, Bar = 1 };
    enum class LegendStyle { Values = 0, Percentage = 1 };

    explicit TFpChart(QWidget *parent = nullptr);
    ~TFpChart() override;

    // Draws the points as slices or as bars.
    void SetKind(Kind kind);
    Kind kind() const { return m_kind; }
    // Empties the chart.
    void Clear();
    // Fills the chart, colouring the points from the palette in turn.
    // decimals: how the legend and the bars write the values.
    void SetPoints(const QList<ChartPoint> &points, int decimals);
    const QList<ChartPoint> &points() const { return m_points; }
    void SetLegendStyle(LegendStyle style);
    LegendStyle legendStyle() const { return m_legendStyle; }

    // What the chart and its legend hold now, in order.
    QList<double> SeriesValues() const;
    QStringList SeriesLabels() const;
    QStringList LegendTexts() const;
    // The legend entries in sight; the others are scrolled to.
    QStringList ShownLegendTexts() const;
    QList<QColor> SeriesColours() const;
    // The marks drawn beside the slices or over the bars that are visible.
    QStringList VisibleMarks() const;

    // The chart as drawn now, at its size on screen.
    ChartDrawing Drawing();
    QMenu *contextMenu() const { return m_menu; }

    // The n-th palette colour.
    static QColor PaletteColour(int index);
    // "24.3 %": the share of one value in a total (0 % of nothing).
    static QString PercentText(double value, double total);

signals:
    void CopyBitmapChosen();
    void CopyMetafileChosen();
    void PrintChosen();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Parts;

    void ApplyPoints();
    void ApplyLegendTexts();
    void LayoutMarks();
    void LayoutPieLabels();
    void LayoutBarMarks();
    QString ValueText(double value) const;
    void SyncGeometry();

    std::unique_ptr<Parts> m_parts;
    QMenu *m_menu = nullptr;
    Kind m_kind = Kind::Pie;
    LegendStyle m_legendStyle = LegendStyle::Values;
    QList<ChartPoint> m_points;
    int m_decimals = 0;
};

} // namespace qm
