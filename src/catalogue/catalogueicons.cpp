#include "catalogue/catalogueicons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace qm::icons {

namespace {

using Draw = std::function<void(QPainter &)>;

const QColor Ink(0x2f, 0x3f, 0x56);
const QColor BaseAccent(0x2e, 0x6f, 0xc2);
const QColor EnhancementAccent(0x2e, 0x9c, 0x4a);
const QColor Danger(0xc8, 0x32, 0x2a);
const QColor Spark(0xf2, 0xb1, 0x1b);
const QColor Highlight(0xff, 0xe0, 0x7a);

// Every picture is drawn on a 16 by 16 grid and rendered at the sizes the
// toolkit asks for most, so nothing is scaled from a small bitmap.
QPixmap render(const Draw &draw, qreal scale)
{
    const int side = qRound(16 * scale);
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    draw(p);
    return pixmap;
}

void addAllSizes(QIcon &icon, const Draw &draw, QIcon::Mode mode)
{
    for (const qreal scale : {1.0, 1.5, 2.0})
        icon.addPixmap(render(draw, scale), mode);
}

QIcon make(const Draw &draw)
{
    QIcon icon;
    addAllSizes(icon, draw, QIcon::Normal);
    return icon;
}

QIcon makePair(const Draw &normal, const Draw &selected)
{
    QIcon icon;
    addAllSizes(icon, normal, QIcon::Normal);
    addAllSizes(icon, selected, QIcon::Selected);
    return icon;
}

// A sheet with a folded corner and three ruled lines.
void sheet(QPainter &p, const QRectF &r, const QColor &accent, const QColor &paper)
{
    const qreal fold = 3.5;
    QPainterPath outline;
    outline.moveTo(r.left(), r.top());
    outline.lineTo(r.right() - fold, r.top());
    outline.lineTo(r.right(), r.top() + fold);
    outline.lineTo(r.right(), r.bottom());
    outline.lineTo(r.left(), r.bottom());
    outline.closeSubpath();
    p.setPen(QPen(Ink, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(paper);
    p.drawPath(outline);

    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(paper.darker(112));
    p.drawPath(corner);

    p.setPen(QPen(accent, 1.4, Qt::SolidLine, Qt::RoundCap));
    const qreal x1 = r.left() + 2.2;
    const qreal x2 = r.right() - 2.2;
    const qreal step = (r.height() - 6.0) / 3.0;
    for (int i = 0; i < 3; ++i) {
        const qreal y = r.top() + 4.5 + i * step;
        p.drawLine(QPointF(x1, y), QPointF(i == 2 ? (x1 + x2) / 2 : x2, y));
    }
}

void plusBadge(QPainter &p, const QPointF &centre, qreal radius, const QColor &colour)
{
    p.setPen(QPen(colour.darker(130), 0.8));
    p.setBrush(colour);
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap));
    const qreal arm = radius * 0.55;
    p.drawLine(centre - QPointF(arm, 0), centre + QPointF(arm, 0));
    p.drawLine(centre - QPointF(0, arm), centre + QPointF(0, arm));
}

// A four-pointed spark: "new".
void spark(QPainter &p, const QPointF &c, qreal r)
{
    QPainterPath star;
    const qreal w = r * 0.32;
    star.moveTo(c.x(), c.y() - r);
    star.lineTo(c.x() + w, c.y() - w);
    star.lineTo(c.x() + r, c.y());
    star.lineTo(c.x() + w, c.y() + w);
    star.lineTo(c.x(), c.y() + r);
    star.lineTo(c.x() - w, c.y() + w);
    star.lineTo(c.x() - r, c.y());
    star.lineTo(c.x() - w, c.y() - w);
    star.closeSubpath();
    p.setPen(QPen(Spark.darker(135), 0.7));
    p.setBrush(Spark);
    p.drawPath(star);
}

void baseSheet(QPainter &p, const QRectF &r, bool selected)
{
    sheet(p, r, BaseAccent, selected ? QColor(0xd6, 0xe6, 0xfb) : Qt::white);
}

void enhancementSheet(QPainter &p, const QRectF &r, bool selected)
{
    sheet(p, r, EnhancementAccent, selected ? QColor(0xd8, 0xf2, 0xdf) : Qt::white);
    plusBadge(p, QPointF(r.right() - 0.5, r.bottom() - 1.5), 3.4, EnhancementAccent);
}

// An arrow pointing up (or down), filled with a soft gradient.
void arrow(QPainter &p, bool up)
{
    QPainterPath path;
    path.moveTo(8, 1.5);
    path.lineTo(14.5, 8.5);
    path.lineTo(10.5, 8.5);
    path.lineTo(10.5, 14.5);
    path.lineTo(5.5, 14.5);
    path.lineTo(5.5, 8.5);
    path.lineTo(1.5, 8.5);
    path.closeSubpath();
    if (!up) {
        QTransform flip;
        flip.translate(0, 16);
        flip.scale(1, -1);
        path = flip.map(path);
    }
    QLinearGradient fill(0, 0, 16, 16);
    fill.setColorAt(0, BaseAccent.lighter(150));
    fill.setColorAt(1, BaseAccent);
    p.setPen(QPen(BaseAccent.darker(150), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

// A tree node box with a plus or minus, the branches below it, and one or
// two chevrons telling how far the command goes.
void hierarchy(QPainter &p, bool expand, bool all, bool selectedOnly)
{
    p.setPen(QPen(Ink.lighter(170), 1.0, Qt::DotLine));
    p.drawLine(QPointF(4.5, 8), QPointF(4.5, 14));
    p.drawLine(QPointF(4.5, 10.5), QPointF(8, 10.5));
    p.drawLine(QPointF(4.5, 14), QPointF(8, 14));

    const QRectF box(1, 1, 7, 7);
    p.setPen(QPen(Ink, 1.0));
    p.setBrush(selectedOnly ? Highlight : QColor(Qt::white));
    p.drawRoundedRect(box, 1.2, 1.2);
    p.setPen(QPen(Ink, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(2.8, 4.5), QPointF(6.2, 4.5));
    if (expand)
        p.drawLine(QPointF(4.5, 2.8), QPointF(4.5, 6.2));

    const QColor colour = expand ? EnhancementAccent : BaseAccent;
    p.setPen(QPen(colour, 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const int count = all ? 2 : 1;
    for (int i = 0; i < count; ++i) {
        const qreal y = (all ? 8.5 : 10.0) + i * 3.5;
        QPainterPath chevron;
        if (expand) {
            chevron.moveTo(10, y);
            chevron.lineTo(12.5, y + 2.5);
            chevron.lineTo(15, y);
        } else {
            chevron.moveTo(10, y + 2.5);
            chevron.lineTo(12.5, y);
            chevron.lineTo(15, y + 2.5);
        }
        p.drawPath(chevron);
    }
}

} // namespace

QIcon BaseCount()
{
    static const QIcon icon = makePair([](QPainter &p) { baseSheet(p, QRectF(2.5, 1.5, 11, 13), false); },
                                       [](QPainter &p) { baseSheet(p, QRectF(2.5, 1.5, 11, 13), true); });
    return icon;
}

QIcon EnhancementCount()
{
    static const QIcon icon = makePair([](QPainter &p) { enhancementSheet(p, QRectF(1.5, 1.5, 11, 13), false); },
                                       [](QPainter &p) { enhancementSheet(p, QRectF(1.5, 1.5, 11, 13), true); });
    return icon;
}

QIcon NewBaseCount()
{
    return make([](QPainter &p) {
        baseSheet(p, QRectF(4.5, 2.5, 10, 12.5), false);
        spark(p, QPointF(4, 4), 3.6);
    });
}

QIcon NewEnhancementCount()
{
    return make([](QPainter &p) {
        enhancementSheet(p, QRectF(3.5, 2.5, 10, 12), false);
        spark(p, QPointF(4, 4), 3.6);
    });
}

QIcon DeleteCount()
{
    return make([](QPainter &p) {
        p.setPen(QPen(Danger.darker(140), 4.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        p.setPen(QPen(Danger.lighter(115), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    });
}

QIcon PreviousCount()
{
    return make([](QPainter &p) { arrow(p, true); });
}

QIcon NextCount()
{
    return make([](QPainter &p) { arrow(p, false); });
}

QIcon ExpandAll()
{
    return make([](QPainter &p) { hierarchy(p, true, true, false); });
}

QIcon CollapseAll()
{
    return make([](QPainter &p) { hierarchy(p, false, true, false); });
}

QIcon ExpandAllOneLevel()
{
    return make([](QPainter &p) { hierarchy(p, true, false, false); });
}

QIcon CollapseAllOneLevel()
{
    return make([](QPainter &p) { hierarchy(p, false, false, false); });
}

QIcon ExpandSelected()
{
    return make([](QPainter &p) { hierarchy(p, true, false, true); });
}

QIcon CollapseSelected()
{
    return make([](QPainter &p) { hierarchy(p, false, false, true); });
}

} // namespace qm::icons
