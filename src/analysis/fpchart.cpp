#include "analysis/fpchart.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QGraphicsObject>
#include <QGraphicsScene>
#include <QGraphicsSceneEvent>
#include <QGraphicsView>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
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
// Room around the plot and the legend.
constexpr qreal kMargin = 20.0;

QPointF Offset(qreal degrees, qreal length)
{
    const qreal radians = qDegreesToRadians(degrees);
    return {length * std::sin(radians), -length * std::cos(radians)};
}

// The legend, drawn by one item that measures each text once. Entries that
// do not fit are scrolled to with the wheel; a line above or below says how
// many are out of sight.
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

// Where a slice's mark sits: the middle of the slice, bent away from
// straight down, where the arms of both halves would meet.
qreal MarkAngle(qreal start, qreal span)
{
    qreal angle = std::fmod(start + span / 2, 360.0);
    if (angle > 170 && angle < 180)
        angle = 170;
    if (angle > 180 && angle < 190)
        angle = 190;
    return angle;
}

// The largest arm's reach from the centre at which the mark still lies
// inside the plot.
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

// The slices or the bars with their marks, drawn by one item. A chart
// library that makes several graphics items and a text document for every
// point, and removes them one at a time, took twice the time a rebuild of
// a few hundred rows may take.
class PlotItem : public QGraphicsItem
{
public:
    struct Mark
    {
        QString text;
        QSizeF size;       // the text's box
        bool shown = false;
        // Pie: the arm from the slice's edge to the elbow, then along the
        // text's foot; the text sits in box.
        QPointF edge, elbow, foot;
        QRectF box;
        // Bar: the text's top left corner before turning, and the turn.
        QPointF at;
        qreal rotation = 0;
    };

    bool pie = true;
    bool thin = false;
    QList<qreal> values;
    QList<QColor> colours;
    QList<qreal> starts; // degrees clockwise from twelve o'clock
    QList<qreal> spans;
    QList<Mark> marks;
    qreal radius = 0;
    qreal top = 1;       // the value at the top of the plot
    QRectF plot;
    QFont font;

    QRectF boundingRect() const override { return m_bounds; }

    void setBounds(const QRectF &bounds)
    {
        if (bounds == m_bounds)
            return;
        prepareGeometryChange();
        m_bounds = bounds;
    }

    qreal barWidth() const { return values.isEmpty() ? 0 : plot.width() * kBarWidth / values.size(); }
    qreal barLeft(int i) const { return plot.left() + plot.width() * (1 - kBarWidth) / 2 + barWidth() * i; }
    qreal barTop(int i) const
    {
        return plot.bottom() - plot.height() * (top > 0 ? std::max(0.0, values.at(i)) / top : 0);
    }

    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        if (values.isEmpty() || plot.width() < 1 || plot.height() < 1)
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setFont(font);
        if (pie)
            paintPie(*painter);
        else
            paintBars(*painter);
        painter->restore();
    }

private:
    void paintPie(QPainter &painter) const
    {
        const QPointF centre = plot.center();
        const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
        for (int i = 0; i < values.size(); ++i) {
            if (spans.at(i) <= 0)
                continue;
            // One outline per slice, so a vector picture has one shape each;
            // a slice of the whole pie is a disc, without an edge to its centre.
            QPainterPath path;
            if (spans.at(i) >= 360.0 - 1e-9) {
                path.addEllipse(circle);
            } else {
                path.moveTo(centre);
                path.arcTo(circle, 90 - starts.at(i), -spans.at(i));
                path.closeSubpath();
            }
            painter.setPen(thin ? QPen(colours.at(i), 0) : QPen(Qt::white, 1));
            painter.setBrush(colours.at(i));
            painter.drawPath(path);
        }
        for (const Mark &mark : marks) {
            if (!mark.shown)
                continue;
            painter.setPen(QPen(Qt::darkGray, 1));
            painter.drawPolyline(QPolygonF({mark.edge, mark.elbow, mark.foot}));
            painter.setPen(Qt::black);
            painter.drawText(mark.box, Qt::AlignCenter, mark.text);
        }
    }

    void paintBars(QPainter &painter) const
    {
        const qreal width = barWidth();
        for (int i = 0; i < values.size(); ++i) {
            const QRectF bar(QPointF(barLeft(i), barTop(i)), QPointF(barLeft(i) + width, plot.bottom()));
            painter.setPen(thin ? QPen(colours.at(i), 0) : QPen(colours.at(i).darker(120), 1));
            painter.setBrush(colours.at(i));
            painter.drawRect(bar);
        }
        painter.setPen(QPen(Qt::gray, 1));
        painter.drawLine(QPointF(plot.left(), plot.bottom()), QPointF(plot.right(), plot.bottom()));
        painter.setPen(Qt::black);
        for (const Mark &mark : marks) {
            if (!mark.shown)
                continue;
            painter.save();
            painter.translate(mark.at);
            painter.rotate(mark.rotation);
            painter.drawText(QRectF(QPointF(0, 0), mark.size), Qt::AlignCenter, mark.text);
            painter.restore();
        }
    }

    QRectF m_bounds;
};

} // namespace

struct TFpChart::Parts
{
    QGraphicsScene *scene = nullptr;
    QGraphicsView *view = nullptr;
    PlotItem *plot = nullptr;
    LegendItem *legend = nullptr;
};

TFpChart::TFpChart(QWidget *parent) : QWidget(parent), m_parts(std::make_unique<Parts>())
{
    setObjectName(QStringLiteral("FpChart"));
    Parts &p = *m_parts;
    p.scene = new QGraphicsScene(this);
    p.scene->setBackgroundBrush(Qt::white);
    p.plot = new PlotItem;
    p.scene->addItem(p.plot);
    p.legend = new LegendItem(nullptr);
    p.scene->addItem(p.legend);

    p.view = new QGraphicsView(p.scene, this);
    p.view->setRenderHint(QPainter::Antialiasing);
    p.view->setFrameShape(QFrame::NoFrame);
    p.view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    p.view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    p.view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
    ApplyPoints();
}

void TFpChart::Clear()
{
    m_points.clear();
    ApplyPoints();
}

void TFpChart::SetPoints(const QList<ChartPoint> &points, int decimals)
{
    m_points = points;
    m_decimals = decimals;
    ApplyPoints();
}

void TFpChart::ApplyPoints()
{
    PlotItem &plot = *m_parts->plot;
    plot.pie = m_kind == Kind::Pie;
    plot.thin = m_points.size() > kManyPoints;
    plot.values.clear();
    plot.colours.clear();
    plot.starts.clear();
    plot.spans.clear();
    plot.marks.clear();
    double total = 0.0;
    double largest = 0.0;
    for (const ChartPoint &point : m_points) {
        if (point.value > 0)
            total += point.value;
        largest = std::max(largest, point.value);
    }
    const QFontMetricsF metrics(plot.font);
    qreal start = 0.0;
    for (int i = 0; i < m_points.size(); ++i) {
        const ChartPoint &point = m_points.at(i);
        plot.values << point.value;
        // The palette in turn, the way the user reads the legend.
        plot.colours << PaletteColour(i);
        const qreal span = total > 0 && point.value > 0 ? point.value / total * 360.0 : 0.0;
        plot.starts << start;
        plot.spans << span;
        start += span;
        PlotItem::Mark mark;
        mark.text = plot.pie ? point.label : ValueText(point.value);
        mark.size = plot.pie ? QSizeF(metrics.horizontalAdvance(mark.text) + 2 * kMarkGap, metrics.height() + kMarkGap)
                             : QSizeF(metrics.horizontalAdvance(mark.text), metrics.height());
        plot.marks << mark;
    }
    plot.top = largest > 0.0 ? largest * kBarHeadroom : 1.0;
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
    values.reserve(m_points.size());
    for (const ChartPoint &point : m_points)
        values << point.value;
    return values;
}

QStringList TFpChart::SeriesLabels() const
{
    QStringList labels;
    labels.reserve(m_points.size());
    for (const ChartPoint &point : m_points)
        labels << point.label;
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
    return m_parts->plot->colours;
}

QStringList TFpChart::VisibleMarks() const
{
    QStringList marks;
    for (const PlotItem::Mark &mark : m_parts->plot->marks)
        if (mark.shown)
            marks << mark.text;
    return marks;
}

void TFpChart::LayoutMarks()
{
    if (m_kind == Kind::Pie)
        LayoutPieLabels();
    else
        LayoutBarMarks();
    m_parts->plot->update();
}

// Sizes the pie so its marks fit beside it, then drops the marks that still
// do not fit and those of smaller slices where two would overlap; the
// legend still names them all.
void TFpChart::LayoutPieLabels()
{
    PlotItem &p = *m_parts->plot;
    const QRectF plot = p.plot;
    if (p.values.isEmpty() || plot.width() < 1 || plot.height() < 1)
        return;
    const qreal half = std::min(plot.width(), plot.height()) / 2;
    const QPointF centre = plot.center();
    // Marks keep clear of the legend beside the plot.
    const QRectF room = plot.adjusted(kMarkGap, 0, -3 * kMarkGap, 0);
    const int n = int(p.values.size());
    QList<qreal> angles(n);
    qreal reach = half * kPieLargest * (1 + kPieArmFactor);
    for (int i = 0; i < n; ++i) {
        angles[i] = MarkAngle(p.starts.at(i), p.spans.at(i));
        if (p.spans.at(i) > 0)
            reach = std::min(reach, LargestReach(room, centre, angles[i], p.marks.at(i).size));
    }
    const qreal size = std::clamp(reach / (1 + kPieArmFactor) / half, kPieSmallest, kPieLargest);
    p.radius = half * size;

    const qreal armReach = p.radius * (1 + kPieArmFactor);
    QList<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return p.values.at(a) > p.values.at(b); });
    QList<QRectF> taken;
    for (int i : order) {
        PlotItem::Mark &mark = p.marks[i];
        const qreal angle = angles.at(i);
        const QSizeF text = mark.size;
        const QPointF end = centre + Offset(angle, armReach);
        const bool right = angle < 180;
        const QRectF box = right ? QRectF(QPointF(end.x(), end.y() - text.height()), text)
                                 : QRectF(QPointF(end.x() - text.width(), end.y() - text.height()), text);
        mark.shown = p.spans.at(i) > 0 && LargestReach(room, centre, angle, text) >= armReach - 0.5
                     && std::none_of(taken.cbegin(), taken.cend(), [&](const QRectF &other) { return other.intersects(box); });
        if (!mark.shown)
            continue;
        taken << box;
        mark.box = box;
        mark.edge = centre + Offset(angle, p.radius);
        mark.elbow = end;
        mark.foot = QPointF(right ? box.right() - kMarkGap : box.left() + kMarkGap, end.y());
    }
}

// Each bar's value above it, turned upright when the bar is too narrow for
// it and left out when even that does not fit.
void TFpChart::LayoutBarMarks()
{
    PlotItem &p = *m_parts->plot;
    const QRectF plot = p.plot;
    const int n = int(p.marks.size());
    if (n == 0 || plot.width() < 1 || plot.height() < 1)
        return;
    const qreal barWidth = p.barWidth();
    for (int i = 0; i < n; ++i) {
        PlotItem::Mark &mark = p.marks[i];
        const QSizeF text = mark.size;
        const qreal barTop = p.barTop(i);
        const qreal centreX = p.barLeft(i) + barWidth / 2;
        const bool flat = text.width() <= barWidth + kMarkGap;
        const bool upright = !flat && text.height() <= barWidth;
        mark.rotation = upright ? -90 : 0;
        mark.at = flat ? QPointF(centreX - text.width() / 2, barTop - kMarkGap - text.height())
                       : QPointF(centreX - text.height() / 2, barTop - kMarkGap);
        const qreal markTop = flat ? barTop - kMarkGap - text.height() : barTop - kMarkGap - text.width();
        mark.shown = (flat || upright) && markTop >= 0;
    }
}

void TFpChart::SyncGeometry()
{
    Parts &p = *m_parts;
    if (layout())
        layout()->activate();
    const QSize size = p.view->viewport()->size();
    const QRectF whole(QPointF(0, 0), QSizeF(size));
    if (p.scene->sceneRect() != whole) {
        p.scene->setSceneRect(whole);
        p.view->setSceneRect(whole);
    }
    // The legend takes its room on the right, at most two fifths of the
    // chart, and the plot keeps the rest.
    const qreal width = p.legend->preferredWidth(size.width() * kLegendShare);
    const qreal height = std::max(0.0, size.height() - 2 * kMargin);
    p.legend->setArea(QRectF(size.width() - kMargin - width, kMargin, width, height));
    p.plot->setBounds(whole);
    p.plot->plot = QRectF(kMargin, kMargin, std::max(0.0, size.width() - 2 * kMargin - width), height);
    LayoutMarks();
}

void TFpChart::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    SyncGeometry();
}

ChartDrawing TFpChart::Drawing()
{
    SyncGeometry();
    const QSize size = m_parts->view->viewport()->size();
    QGraphicsScene *scene = m_parts->scene;
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
