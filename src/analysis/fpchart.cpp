#include "analysis/fpchart.h"

#include <QAction>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsObject>
#include <QGraphicsSceneEvent>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QPainter>
#include <QMenu>
#include <QPieSeries>
#include <QPieSlice>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>
#include <limits>
#include <cmath>
#include <numeric>

namespace qm {

namespace {

// Colours that stay apart from their neighbours, on screen and on paper.
const QColor kPalette[] = {
    QColor(0x4e, 0x79, 0xa7), QColor(0xf2, 0x8e, 0x2b), QColor(0xe1, 0x57, 0x59), QColor(0x76, 0xb7, 0xb2),
    QColor(0x59, 0xa1, 0x4f), QColor(0xed, 0xc9, 0x48), QColor(0xb0, 0x7a, 0xa1), QColor(0xff, 0x9d, 0xa7),
    QColor(0x9c, 0x75, 0x5f), QColor(0xba, 0xb0, 0xac), QColor(0x1f, 0x4e, 0x79), QColor(0x8c, 0xd1, 0x7d),
};
constexpr int kPaletteSize = int(std::size(kPalette));

// The pie's marks sit at the end of a short arm; bars carry theirs above.
constexpr qreal kPieArmFactor = 0.08;
constexpr qreal kPieLargest = 0.75;
constexpr qreal kPieSmallest = 0.35;
constexpr qreal kBarWidth = 0.8;
constexpr qreal kBarHeadroom = 1.18;
constexpr qreal kMarkGap = 4.0;
// Beyond this many points slices and bars are too thin for edges.
constexpr int kManyPoints = 60;
constexpr qreal kLegendShare = 0.4;

QPointF Offset(qreal degrees, qreal length)
{
    const qreal radians = qDegreesToRadians(degrees);
    return {length * std::sin(radians), -length * std::cos(radians)};
}


// The legend, drawn by one item. The chart library's own legend lays out a
// rich-text document for every entry, which with hundreds of rows costs many
// times what the slices do. Entries that do not fit are scrolled to with the
// wheel; a line above or below says how many are out of sight.
class LegendItem : public QGraphicsObject
{
public:
    struct Entry
    {
        QColor colour;
        QString text;
    };

    explicit LegendItem(QGraphicsItem *parent) : QGraphicsObject(parent)
    {
        setAcceptHoverEvents(true);
        setZValue(5);
    }

    void setEntries(QList<Entry> entries)
    {
        m_entries = std::move(entries);
        m_widest = 0;
        const QFontMetricsF metrics(m_font);
        for (const Entry &entry : m_entries)
            m_widest = std::max(m_widest, metrics.horizontalAdvance(entry.text));
        m_first = 0;
        update();
    }
    const QList<Entry> &entries() const { return m_entries; }

    // The width the legend asks for, at most the given part of the chart.
    qreal preferredWidth(qreal most) const
    {
        if (m_entries.isEmpty())
            return 0;
        return std::min(most, std::ceil(m_widest) + boxSide() + 3 * kGap);
    }

    void setArea(const QRectF &area)
    {
        if (area == m_area)
            return;
        prepareGeometryChange();
        m_area = area;
        clampFirst();
    }

    QRectF boundingRect() const override { return m_area; }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        if (m_entries.isEmpty() || m_area.isEmpty())
            return;
        const Window w = window();
        const QFontMetricsF metrics(m_font);
        painter->save();
        painter->setClipRect(m_area);
        painter->setFont(m_font);
        qreal y = m_area.top() + (m_area.height() - w.lines * lineHeight()) / 2;
        const qreal textLeft = m_area.left() + kGap + boxSide() + kGap;
        const qreal textWidth = m_area.right() - kGap - textLeft;
        const auto moreLine = [&](int hidden) {
            painter->setPen(Qt::darkGray);
            painter->drawText(QRectF(textLeft, y, textWidth, lineHeight()), Qt::AlignLeft | Qt::AlignVCenter,
                              QStringLiteral("(%1 more)").arg(hidden));
            y += lineHeight();
        };
        if (w.above > 0)
            moreLine(w.above);
        for (int i = w.first; i < w.first + w.shown; ++i) {
            const Entry &entry = m_entries.at(i);
            const qreal side = boxSide();
            painter->setPen(entry.colour.darker(120));
            painter->setBrush(entry.colour);
            painter->drawRect(QRectF(m_area.left() + kGap, y + (lineHeight() - side) / 2, side, side));
            painter->setPen(Qt::black);
            painter->drawText(QRectF(textLeft, y, textWidth, lineHeight()), Qt::AlignLeft | Qt::AlignVCenter,
                              metrics.elidedText(entry.text, Qt::ElideRight, textWidth));
            y += lineHeight();
        }
        if (w.below > 0)
            moreLine(w.below);
        painter->restore();
    }

    // The entries drawn now, in order.
    QStringList shownTexts() const
    {
        QStringList texts;
        const Window w = window();
        for (int i = w.first; i < w.first + w.shown; ++i)
            texts << m_entries.at(i).text;
        return texts;
    }

protected:
    void wheelEvent(QGraphicsSceneWheelEvent *event) override
    {
        if (window().shown == m_entries.size()) {
            event->ignore();
            return;
        }
        m_first += event->delta() > 0 ? -3 : 3;
        clampFirst();
        update();
        event->accept();
    }

    void hoverMoveEvent(QGraphicsSceneHoverEvent *event) override
    {
        // The whole text of an entry cut short to fit.
        const Window w = window();
        const qreal top = m_area.top() + (m_area.height() - w.lines * lineHeight()) / 2;
        const int line = int(std::floor((event->pos().y() - top) / lineHeight())) - (w.above > 0 ? 1 : 0);
        setToolTip(line >= 0 && line < w.shown ? m_entries.at(w.first + line).text : QString());
    }

private:
    static constexpr qreal kGap = 6.0;

    struct Window
    {
        int first = 0;
        int shown = 0;
        int above = 0;
        int below = 0;
        int lines = 0;
    };

    qreal lineHeight() const { return std::ceil(QFontMetricsF(m_font).height() * 1.3); }
    qreal boxSide() const { return std::round(QFontMetricsF(m_font).height() * 0.8); }
    int capacity() const { return std::max(0, int(m_area.height() / lineHeight())); }

    void clampFirst()
    {
        const int n = int(m_entries.size());
        // With more entries than lines, two lines go to the notes of those
        // out of sight.
        const int room = n <= capacity() ? n : std::max(1, capacity() - 2);
        m_first = std::clamp(m_first, 0, std::max(0, n - room));
    }

    Window window() const
    {
        Window w;
        const int n = int(m_entries.size());
        const int lines = capacity();
        if (n <= lines) {
            w.shown = n;
        } else {
            w.shown = std::min(n, std::max(1, lines - 2));
            w.first = std::clamp(m_first, 0, n - w.shown);
            w.above = w.first;
            w.below = n - w.first - w.shown;
        }
        w.lines = w.shown + (w.above > 0 ? 1 : 0) + (w.below > 0 ? 1 : 0);
        return w;
    }

    QList<Entry> m_entries;
    QFont m_font;
    QRectF m_area;
    qreal m_widest = 0;
    int m_first = 0;
};

} // namespace

struct TFpChart::Parts
{
    QChart *chart = nullptr;
    QChartView *view = nullptr;
    QPieSeries *pie = nullptr;
    QBarSeries *bar = nullptr;
    QValueAxis *barAxis = nullptr;
    QList<QGraphicsSimpleTextItem *> barMarks;
    LegendItem *legend = nullptr;
    QMargins margins;

    ~Parts()
    {
        // Series and axes outside the chart are still ours.
        const QList<QAbstractSeries *> shown = chart ? chart->series() : QList<QAbstractSeries *>();
        if (!shown.contains(pie))
            delete pie;
        if (!shown.contains(bar))
            delete bar;
        if (chart && !chart->axes().contains(barAxis))
            delete barAxis;
    }
};

TFpChart::TFpChart(QWidget *parent) : QWidget(parent), m_parts(std::make_unique<Parts>())
{
    setObjectName(QStringLiteral("FpChart"));
    Parts &p = *m_parts;
    p.chart = new QChart;
    p.chart->setAnimationOptions(QChart::NoAnimation);
    p.chart->setBackgroundRoundness(0);
    p.chart->setBackgroundPen(Qt::NoPen);
    p.chart->setBackgroundBrush(Qt::white);
    p.chart->setDropShadowEnabled(false);
    p.chart->legend()->setVisible(false);
    p.margins = p.chart->margins();
    p.legend = new LegendItem(p.chart);

    p.pie = new QPieSeries;
    p.pie->setPieSize(kPieLargest);
    p.bar = new QBarSeries;
    p.bar->setBarWidth(kBarWidth);
    p.barAxis = new QValueAxis;
    p.barAxis->setVisible(false);
    p.chart->addSeries(p.pie);

    p.view = new QChartView(p.chart, this);
    p.view->setRenderHint(QPainter::Antialiasing);
    p.view->setRubberBand(QChartView::NoRubberBand);
    p.view->setFrameShape(QFrame::NoFrame);
    // The chart's menu belongs to this widget, not to the view.
    p.view->setContextMenuPolicy(Qt::NoContextMenu);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(p.view);

    m_menu = new QMenu(this);
    connect(m_menu->addAction(QStringLiteral("Copy To ClipBoard (BitMap)")), &QAction::triggered, this,
            &TFpChart::CopyBitmapChosen);
    connect(m_menu->addAction(QStringLiteral("Copy To ClipBoard (MetaFile)")), &QAction::triggered, this,
            &TFpChart::CopyMetafileChosen);
    connect(m_menu->addAction(QStringLiteral("Print Chart...")), &QAction::triggered, this, &TFpChart::PrintChosen);

    connect(p.chart, &QChart::plotAreaChanged, this, &TFpChart::LayoutMarks);
}

TFpChart::~TFpChart() = default;

QColor TFpChart::PaletteColour(int index)
{
    return kPalette[((index % kPaletteSize) + kPaletteSize) % kPaletteSize];
}

QString TFpChart::PercentText(double value, double total)
{
    const double share = total > 0.0 ? value * 100.0 / total : 0.0;
    return QString::number(share, 'f', 1) + QStringLiteral(" %");
}

QString TFpChart::ValueText(double value) const
{
    return QString::number(value, 'f', m_decimals);
}

void TFpChart::SetKind(Kind kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    ShowActiveSeries();
}

void TFpChart::ShowActiveSeries()
{
    Parts &p = *m_parts;
    const bool pie = m_kind == Kind::Pie;
    QAbstractSeries *show = pie ? static_cast<QAbstractSeries *>(p.pie) : p.bar;
    QAbstractSeries *hide = pie ? static_cast<QAbstractSeries *>(p.bar) : p.pie;
    if (p.chart->series().contains(hide))
        p.chart->removeSeries(hide);
    if (pie && p.chart->axes().contains(p.barAxis))
        p.chart->removeAxis(p.barAxis);
    if (!p.chart->series().contains(show)) {
        p.chart->addSeries(show);
        if (!pie) {
            p.chart->addAxis(p.barAxis, Qt::AlignLeft);
            p.bar->attachAxis(p.barAxis);
        }
    }
    for (QGraphicsSimpleTextItem *mark : p.barMarks)
        mark->setVisible(!pie);
}

void TFpChart::Clear()
{
    Parts &p = *m_parts;
    m_points.clear();
    if (m_kind == Kind::Pie)
        p.pie->clear();
    else
        p.bar->clear();
    qDeleteAll(p.barMarks);
    p.barMarks.clear();
}

void TFpChart::SetPoints(const QList<ChartPoint> &points, int decimals)
{
    Parts &p = *m_parts;
    // Filled while out of the chart, so the chart builds its items once.
    QAbstractSeries *active = m_kind == Kind::Pie ? static_cast<QAbstractSeries *>(p.pie) : p.bar;
    if (p.chart->series().contains(active))
        p.chart->removeSeries(active);
    if (p.chart->axes().contains(p.barAxis))
        p.chart->removeAxis(p.barAxis);
    Clear();
    m_points = points;
    m_decimals = decimals;
    const bool thin = points.size() > kManyPoints;
    if (m_kind == Kind::Pie) {
        QList<QPieSlice *> slices;
        slices.reserve(points.size());
        for (int i = 0; i < points.size(); ++i) {
            auto *slice = new QPieSlice(points[i].label, points[i].value);
            slice->setLabelPosition(QPieSlice::LabelOutside);
            slice->setLabelArmLengthFactor(kPieArmFactor);
            // The palette in turn, the way the user reads the legend.
            slice->setBrush(PaletteColour(i));
            // White edges part a few slices; on many thin ones they would
            // be all that shows.
            slice->setPen(thin ? QPen(PaletteColour(i), 0) : QPen(Qt::white, 1));
            slice->setLabelColor(Qt::black);
            slices << slice;
        }
        p.pie->append(slices);
    } else {
        QList<QBarSet *> sets;
        sets.reserve(points.size());
        double largest = 0.0;
        for (int i = 0; i < points.size(); ++i) {
            auto *set = new QBarSet(points[i].label);
            set->append(points[i].value);
            set->setColor(PaletteColour(i));
            set->setBorderColor(thin ? PaletteColour(i) : PaletteColour(i).darker(120));
            sets << set;
            largest = std::max(largest, points[i].value);
            auto *mark = new QGraphicsSimpleTextItem(ValueText(points[i].value), p.chart);
            mark->setZValue(10);
            p.barMarks << mark;
        }
        p.bar->append(sets);
        p.barAxis->setRange(0.0, largest > 0.0 ? largest * kBarHeadroom : 1.0);
    }
    ShowActiveSeries();
    ApplyLegendTexts();
    SyncGeometry();
}

void TFpChart::SetLegendStyle(LegendStyle style)
{
    if (style == m_legendStyle)
        return;
    m_legendStyle = style;
    ApplyLegendTexts();
    SyncGeometry();
}

void TFpChart::ApplyLegendTexts()
{
    const double total = std::accumulate(m_points.cbegin(), m_points.cend(), 0.0,
                                         [](double sum, const ChartPoint &point) { return sum + point.value; });
    QList<LegendItem::Entry> entries;
    entries.reserve(m_points.size());
    for (int i = 0; i < m_points.size(); ++i) {
        const ChartPoint &point = m_points.at(i);
        const QString amount =
            m_legendStyle == LegendStyle::Percentage ? PercentText(point.value, total) : ValueText(point.value);
        entries.append({PaletteColour(i), amount + QLatin1Char(' ') + point.label});
    }
    m_parts->legend->setEntries(std::move(entries));
}

QList<double> TFpChart::SeriesValues() const
{
    QList<double> values;
    if (m_kind == Kind::Pie) {
        for (const QPieSlice *slice : m_parts->pie->slices())
            values << slice->value();
    } else {
        for (const QBarSet *set : m_parts->bar->barSets())
            values << set->at(0);
    }
    return values;
}

QStringList TFpChart::SeriesLabels() const
{
    QStringList labels;
    if (m_kind == Kind::Pie) {
        for (const QPieSlice *slice : m_parts->pie->slices())
            labels << slice->label();
    } else {
        for (const QBarSet *set : m_parts->bar->barSets())
            labels << set->label();
    }
    return labels;
}

QStringList TFpChart::LegendTexts() const
{
    QStringList texts;
    for (const LegendItem::Entry &entry : m_parts->legend->entries())
        texts << entry.text;
    return texts;
}

QStringList TFpChart::ShownLegendTexts() const
{
    return m_parts->legend->shownTexts();
}

QList<QColor> TFpChart::SeriesColours() const
{
    QList<QColor> colours;
    if (m_kind == Kind::Pie) {
        for (const QPieSlice *slice : m_parts->pie->slices())
            colours << slice->brush().color();
    } else {
        for (QBarSet *set : m_parts->bar->barSets())
            colours << set->color();
    }
    return colours;
}

QStringList TFpChart::VisibleMarks() const
{
    QStringList marks;
    if (m_kind == Kind::Pie) {
        for (const QPieSlice *slice : m_parts->pie->slices())
            if (slice->isLabelVisible())
                marks << slice->label();
    } else {
        for (const QGraphicsSimpleTextItem *mark : m_parts->barMarks)
            if (mark->isVisible())
                marks << mark->text();
    }
    return marks;
}

void TFpChart::LayoutMarks()
{
    if (m_kind == Kind::Pie)
        LayoutPieLabels();
    else
        LayoutBarMarks();
}

namespace {

// Where a slice's mark sits: the middle of the slice, with the chart's bend
// of arms that would point straight down.
qreal MarkAngle(const QPieSlice *slice)
{
    qreal angle = std::fmod(slice->startAngle() + slice->angleSpan() / 2, 360.0);
    if (angle > 170 && angle < 180)
        angle = 170;
    if (angle > 180 && angle < 190)
        angle = 190;
    return angle;
}

// The largest arm's reach from the centre at which the mark still lies
// inside the plot: the chart cuts marks off at its edges.
qreal LargestReach(const QRectF &plot, const QPointF &c, qreal angle, const QSizeF &text)
{
    const qreal sine = std::sin(qDegreesToRadians(angle));
    const qreal cosine = std::cos(qDegreesToRadians(angle));
    qreal reach = std::numeric_limits<qreal>::max();
    if (sine > 1e-6)
        reach = std::min(reach, (plot.right() - c.x() - text.width()) / sine);
    else if (sine < -1e-6)
        reach = std::min(reach, (c.x() - plot.left() - text.width()) / -sine);
    if (cosine > 1e-6)
        reach = std::min(reach, (c.y() - plot.top() - text.height()) / cosine);
    else if (cosine < -1e-6)
        reach = std::min(reach, (plot.bottom() - c.y()) / -cosine);
    return reach;
}

} // namespace

// Sizes the pie so its marks fit beside it, then drops the marks that still
// do not fit and those of smaller slices where two would overlap; the
// legend still names them all.
void TFpChart::LayoutPieLabels()
{
    Parts &p = *m_parts;
    const QList<QPieSlice *> slices = p.pie->slices();
    const QRectF plot = p.chart->plotArea();
    if (slices.isEmpty() || plot.width() < 1 || plot.height() < 1)
        return;
    const QFontMetricsF metrics(slices.constFirst()->labelFont());
    const auto textSize = [&](const QPieSlice *slice) {
        return QSizeF(metrics.horizontalAdvance(slice->label()) + 2 * kMarkGap, metrics.height() + kMarkGap);
    };
    const qreal half = std::min(plot.width(), plot.height()) / 2;
    const QPointF centre = plot.center();
    // Marks keep clear of the legend beside the plot.
    const QRectF room = plot.adjusted(kMarkGap, 0, -3 * kMarkGap, 0);
    qreal reach = half * kPieLargest * (1 + kPieArmFactor);
    for (const QPieSlice *slice : slices)
        if (slice->value() > 0)
            reach = std::min(reach, LargestReach(room, centre, MarkAngle(slice), textSize(slice)));
    const qreal size = std::clamp(reach / (1 + kPieArmFactor) / half, kPieSmallest, kPieLargest);
    if (!qFuzzyCompare(p.pie->pieSize(), size))
        p.pie->setPieSize(size);

    const qreal armReach = half * size * (1 + kPieArmFactor);
    QList<int> order(slices.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return slices[a]->value() > slices[b]->value(); });
    QList<QRectF> taken;
    for (int i : order) {
        QPieSlice *slice = slices[i];
        const qreal angle = MarkAngle(slice);
        const QSizeF text = textSize(slice);
        const QPointF end = centre + Offset(angle, armReach);
        const QRectF box = angle < 180 ? QRectF(QPointF(end.x(), end.y() - text.height()), text)
                                       : QRectF(QPointF(end.x() - text.width(), end.y() - text.height()), text);
        const bool fits = slice->value() > 0 && LargestReach(room, centre, angle, text) >= armReach - 0.5
                          && std::none_of(taken.cbegin(), taken.cend(),
                                          [&](const QRectF &other) { return other.intersects(box); });
        if (fits)
            taken << box;
        if (slice->isLabelVisible() != fits)
            slice->setLabelVisible(fits);
    }
}

// Each bar's value above it, turned upright when the bar is too narrow for
// it and left out when even that does not fit.
void TFpChart::LayoutBarMarks()
{
    Parts &p = *m_parts;
    const QRectF plot = p.chart->plotArea();
    const int n = int(p.barMarks.size());
    if (n == 0 || plot.width() < 1 || plot.height() < 1)
        return;
    const qreal top = p.barAxis->max();
    const qreal barWidth = plot.width() * kBarWidth / n;
    const qreal left = plot.left() + plot.width() * (1 - kBarWidth) / 2;
    for (int i = 0; i < n; ++i) {
        QGraphicsSimpleTextItem *mark = p.barMarks[i];
        const QRectF text = mark->boundingRect();
        const qreal value = i < m_points.size() ? m_points[i].value : 0.0;
        const qreal barTop = plot.bottom() - plot.height() * (top > 0 ? value / top : 0);
        const qreal centreX = left + barWidth * (i + 0.5);
        const bool flat = text.width() <= barWidth + kMarkGap;
        const bool upright = !flat && text.height() <= barWidth;
        mark->setRotation(upright ? -90 : 0);
        if (flat)
            mark->setPos(centreX - text.width() / 2, barTop - kMarkGap - text.height());
        else
            mark->setPos(centreX - text.height() / 2, barTop - kMarkGap);
        const qreal markTop = flat ? barTop - kMarkGap - text.height() : barTop - kMarkGap - text.width();
        mark->setVisible((flat || upright) && markTop >= p.chart->rect().top());
    }
}

void TFpChart::SyncGeometry()
{
    Parts &p = *m_parts;
    if (layout())
        layout()->activate();
    const QSize size = p.view->size();
    if (p.chart->size().toSize() != size) {
        p.chart->resize(size);
        p.view->setSceneRect(QRectF(QPointF(0, 0), QSizeF(size)));
    }
    // The legend takes its room on the right, at most two fifths of the
    // chart, and the plot keeps the rest.
    const QMargins &base = p.margins;
    const qreal width = p.legend->preferredWidth(size.width() * kLegendShare);
    QMargins margins = base;
    margins.setRight(base.right() + int(std::ceil(width)));
    if (p.chart->margins() != margins)
        p.chart->setMargins(margins);
    p.legend->setArea(QRectF(size.width() - base.right() - width, base.top(), width,
                             std::max(0, size.height() - base.top() - base.bottom())));
    // The chart lays itself out from the event loop; a picture taken now
    // must show the plot as it is now.
    if (QGraphicsLayout *pending = p.chart->layout()) {
        pending->invalidate();
        pending->activate();
    }
    LayoutMarks();
}

ChartDrawing TFpChart::Drawing()
{
    SyncGeometry();
    const QSize size = m_parts->view->size();
    QGraphicsScene *scene = m_parts->view->scene();
    return {size, [scene, size](QPainter &painter, const QRectF &target) {
                scene->render(&painter, target, QRectF(QPointF(0, 0), QSizeF(size)), Qt::IgnoreAspectRatio);
            }};
}

void TFpChart::contextMenuEvent(QContextMenuEvent *event)
{
    m_menu->popup(event->globalPos());
    event->accept();
}

} // namespace qm
