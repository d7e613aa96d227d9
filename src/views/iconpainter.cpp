#include "views/iconpainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace qm::iconpaint {

namespace {

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

void badge(QPainter &p, const QPointF &centre, qreal radius, const QColor &colour)
{
    p.setPen(QPen(colour.darker(130), 0.8));
    p.setBrush(colour);
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap));
}

void hierarchy(QPainter &p, bool expand, Reach reach)
{
    const bool all = reach == Reach::All;
    p.setPen(QPen(Ink.lighter(170), 1.0, Qt::DotLine));
    p.drawLine(QPointF(4.5, 8), QPointF(4.5, 14));
    p.drawLine(QPointF(4.5, 10.5), QPointF(8, 10.5));
    p.drawLine(QPointF(4.5, 14), QPointF(8, 14));

    const QRectF box(1, 1, 7, 7);
    p.setPen(QPen(Ink, 1.0));
    p.setBrush(reach == Reach::SelectedOneLevel ? Highlight : QColor(Qt::white));
    p.drawRoundedRect(box, 1.2, 1.2);
    p.setPen(QPen(Ink, 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(2.8, 4.5), QPointF(6.2, 4.5));
    if (expand)
        p.drawLine(QPointF(4.5, 2.8), QPointF(4.5, 6.2));

    const QColor colour = expand ? Green : Blue;
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

QIcon Make(const Draw &draw)
{
    QIcon icon;
    addAllSizes(icon, draw, QIcon::Normal);
    return icon;
}

QIcon MakePair(const Draw &normal, const Draw &selected)
{
    QIcon icon;
    addAllSizes(icon, normal, QIcon::Normal);
    addAllSizes(icon, selected, QIcon::Selected);
    return icon;
}

void Sheet(QPainter &p, const QRectF &r, const QColor &accent, const QColor &paper)
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

void PlusBadge(QPainter &p, const QPointF &centre, qreal radius, const QColor &colour)
{
    badge(p, centre, radius, colour);
    const qreal arm = radius * 0.55;
    p.drawLine(centre - QPointF(arm, 0), centre + QPointF(arm, 0));
    p.drawLine(centre - QPointF(0, arm), centre + QPointF(0, arm));
}

void CrossBadge(QPainter &p, const QPointF &centre, qreal radius, const QColor &colour)
{
    badge(p, centre, radius, colour);
    const qreal arm = radius * 0.42;
    p.drawLine(centre - QPointF(arm, arm), centre + QPointF(arm, arm));
    p.drawLine(centre - QPointF(arm, -arm), centre + QPointF(arm, -arm));
}

void SparkStar(QPainter &p, const QPointF &c, qreal r)
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

void Cylinder(QPainter &p, const QRectF &r, const QColor &fill)
{
    const qreal lid = qMin(4.5, r.height() / 3);
    QPainterPath body;
    body.moveTo(r.left(), r.top() + lid / 2);
    body.lineTo(r.left(), r.bottom() - lid / 2);
    body.arcTo(QRectF(r.left(), r.bottom() - lid, r.width(), lid), 180, 180);
    body.lineTo(r.right(), r.top() + lid / 2);
    body.closeSubpath();
    QLinearGradient shade(r.left(), 0, r.right(), 0);
    shade.setColorAt(0, fill.lighter(125));
    shade.setColorAt(1, fill.darker(115));
    p.setPen(QPen(fill.darker(170), 0.9));
    p.setBrush(shade);
    p.drawPath(body);
    p.setBrush(fill.lighter(150));
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), lid));
}

void Arrow(QPainter &p, Direction direction, const QColor &colour)
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
    const qreal turn = direction == Direction::Up     ? 0
                       : direction == Direction::Right ? 90
                       : direction == Direction::Down  ? 180
                                                       : 270;
    QTransform rotation;
    rotation.translate(8, 8);
    rotation.rotate(turn);
    rotation.translate(-8, -8);
    path = rotation.map(path);

    QLinearGradient fill(0, 0, 16, 16);
    fill.setColorAt(0, colour.lighter(150));
    fill.setColorAt(1, colour);
    p.setPen(QPen(colour.darker(150), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(path);
}

QIcon Hierarchy(bool expand, Reach reach)
{
    return Make([expand, reach](QPainter &p) { hierarchy(p, expand, reach); });
}

} // namespace qm::iconpaint
