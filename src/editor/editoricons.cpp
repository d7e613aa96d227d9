#include "editor/editoricons.h"

#include "views/iconpainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace qm {

using namespace iconpaint;

namespace {

const QColor kInput(46, 139, 87);
const QColor kOutput(52, 101, 164);
const QColor kInquiry(204, 120, 0);
const QColor kGroup(230, 190, 70);
const QColor kInternal(70, 110, 180);
const QColor kExternal(120, 150, 90);
const QColor kWood(0xb5, 0x83, 0x4f);
const QColor kFunnel(0xe0, 0xa0, 0x20);

QColor greyed(const QColor &c)
{
    const int g = qGray(c.rgb());
    return QColor(160 + g / 4, 160 + g / 4, 160 + g / 4);
}

QIcon letterTile(const QColor &fill, const QString &letter)
{
    return Make([fill, letter](QPainter &p) {
        p.setPen(fill.darker(150));
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
        QFont font = p.font();
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, letter);
    });
}

QIcon folder(const QColor &fill)
{
    return Make([fill](QPainter &p) {
        p.setPen(fill.darker(160));
        p.setBrush(fill);
        QPainterPath path;
        path.moveTo(1, 4);
        path.lineTo(6, 4);
        path.lineTo(7.5, 5.5);
        path.lineTo(15, 5.5);
        path.lineTo(15, 14);
        path.lineTo(1, 14);
        path.closeSubpath();
        p.drawPath(path);
    });
}

QIcon drum(const QColor &fill)
{
    return Make([fill](QPainter &p) { Cylinder(p, QRectF(2.5, 1.5, 11, 13), fill); });
}

// A transaction on the toolbar: a card with data passing through it.
void transCard(QPainter &p, const QRectF &r)
{
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0, kInput.lighter(135));
    shade.setColorAt(1, kInput);
    p.setPen(QPen(kInput.darker(150), 1.0));
    p.setBrush(shade);
    p.drawRoundedRect(r, 2, 2);
    const qreal y = r.center().y();
    const qreal left = r.left() + 2.2;
    const qreal right = r.right() - 2.2;
    const qreal head = qMin(2.4, r.height() / 2 - 1.2);
    p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(left, y), QPointF(right, y));
    p.drawLine(QPointF(right - head, y - head), QPointF(right, y));
    p.drawLine(QPointF(right - head, y + head), QPointF(right, y));
}

void chainLink(QPainter &p, const QPointF &centre)
{
    p.save();
    p.translate(centre);
    p.rotate(-45);
    p.setBrush(Qt::NoBrush);
    const QRectF link(-3.9, -1.9, 7.8, 3.8);
    p.setPen(QPen(Steel.darker(160), 2.6));
    p.drawRoundedRect(link.translated(-2.4, 0), 1.9, 1.9);
    p.drawRoundedRect(link.translated(2.4, 0), 1.9, 1.9);
    p.setPen(QPen(Steel.lighter(125), 1.2));
    p.drawRoundedRect(link.translated(-2.4, 0), 1.9, 1.9);
    p.drawRoundedRect(link.translated(2.4, 0), 1.9, 1.9);
    p.restore();
}

void funnel(QPainter &p)
{
    QPainterPath path;
    path.moveTo(1.5, 2.5);
    path.lineTo(14.5, 2.5);
    path.lineTo(9.5, 8.5);
    path.lineTo(9.5, 13);
    path.lineTo(6.5, 14.5);
    path.lineTo(6.5, 8.5);
    path.closeSubpath();
    QLinearGradient shade(0, 0, 16, 0);
    shade.setColorAt(0, kFunnel.lighter(140));
    shade.setColorAt(1, kFunnel);
    p.setPen(QPen(kFunnel.darker(170), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(shade);
    p.drawPath(path);
}

} // namespace

QList<QIcon> TransTreeImages()
{
    return {letterTile(kInput, QStringLiteral("I")),         letterTile(kOutput, QStringLiteral("O")),
            letterTile(kInquiry, QStringLiteral("Q")),       folder(kGroup),
            letterTile(greyed(kInput), QStringLiteral("I")), letterTile(greyed(kOutput), QStringLiteral("O")),
            letterTile(greyed(kInquiry), QStringLiteral("Q")), folder(greyed(kGroup))};
}

QList<QIcon> FileTreeImages()
{
    return {drum(kInternal), drum(kExternal), drum(greyed(kInternal)), drum(greyed(kExternal))};
}

QList<QIcon> SummaryListImages()
{
    const QList<QIcon> trans = TransTreeImages();
    const QList<QIcon> files = FileTreeImages();
    return {trans[0], trans[1], trans[2], trans[3], files[0], files[1]};
}

namespace toolicons {

QIcon Save()
{
    return Make([](QPainter &p) {
        QPainterPath body;
        body.moveTo(1.5, 1.5);
        body.lineTo(12.5, 1.5);
        body.lineTo(14.5, 3.5);
        body.lineTo(14.5, 14.5);
        body.lineTo(1.5, 14.5);
        body.closeSubpath();
        p.setPen(QPen(Blue.darker(160), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Blue);
        p.drawPath(body);
        p.setPen(QPen(Steel.darker(150), 0.8));
        p.setBrush(Steel.lighter(140));
        p.drawRect(QRectF(4.5, 1.5, 7, 4.5));
        p.setBrush(Blue.darker(140));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(9, 2.3, 1.6, 3));
        p.setPen(QPen(Blue.darker(160), 0.8));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 8.5, 9, 6));
        p.setPen(QPen(Blue.lighter(140), 1.0));
        p.drawLine(QPointF(5, 10.5), QPointF(11, 10.5));
        p.drawLine(QPointF(5, 12.5), QPointF(11, 12.5));
    });
}

QIcon Print()
{
    return Make([](QPainter &p) {
        p.setPen(QPen(Ink, 0.9));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        QLinearGradient shade(0, 5.5, 0, 12);
        shade.setColorAt(0, Steel.lighter(150));
        shade.setColorAt(1, Steel);
        p.setPen(QPen(Ink, 1.0));
        p.setBrush(shade);
        p.drawRoundedRect(QRectF(1.5, 5.5, 13, 6.5), 1.5, 1.5);
        p.setPen(Qt::NoPen);
        p.setBrush(Green.lighter(120));
        p.drawEllipse(QPointF(12.3, 7.6), 0.9, 0.9);
        p.setPen(QPen(Ink, 0.9));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
        p.setPen(QPen(Blue, 1.0));
        p.drawLine(QPointF(6, 11.5), QPointF(10, 11.5));
        p.drawLine(QPointF(6, 13), QPointF(9, 13));
    });
}

QIcon PrintPreview()
{
    return Make([](QPainter &p) {
        Sheet(p, QRectF(1.5, 1.5, 10, 13), Blue);
        p.setPen(QPen(Ink, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12.4, 12.4), QPointF(14.8, 14.8));
        p.setPen(QPen(Ink, 1.2));
        p.setBrush(QColor(0xd6, 0xe6, 0xfb, 220));
        p.drawEllipse(QPointF(10, 10), 3.5, 3.5);
    });
}

QIcon Cut()
{
    return Make([](QPainter &p) {
        p.setPen(QPen(Steel.darker(150), 1.7, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 10.3), QPointF(11.5, 1.5));
        p.drawLine(QPointF(10, 10.3), QPointF(4.5, 1.5));
        p.setPen(Qt::NoPen);
        p.setBrush(Ink);
        p.drawEllipse(QPointF(8, 7.1), 0.9, 0.9);
        p.setPen(QPen(Danger, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(4.6, 12.4), 2.3, 2.3);
        p.drawEllipse(QPointF(11.4, 12.4), 2.3, 2.3);
    });
}

QIcon Copy()
{
    return Make([](QPainter &p) {
        Sheet(p, QRectF(1.5, 1.5, 8.5, 10.5), Blue);
        Sheet(p, QRectF(6, 4.5, 8.5, 10.5), Blue);
    });
}

QIcon Paste()
{
    return Make([](QPainter &p) {
        p.setPen(QPen(kWood.darker(160), 1.0));
        p.setBrush(kWood);
        p.drawRoundedRect(QRectF(1.5, 2.5, 10.5, 12.5), 1.5, 1.5);
        p.setPen(QPen(Ink, 0.9));
        p.setBrush(Steel.lighter(130));
        p.drawRoundedRect(QRectF(4, 1, 5.5, 3), 1, 1);
        Sheet(p, QRectF(6.5, 5.5, 8, 9.5), Blue);
    });
}

QIcon InsertTransaction()
{
    return Make([](QPainter &p) {
        transCard(p, QRectF(1.5, 2.5, 12, 8));
        PlusBadge(p, QPointF(12, 12), 3.5);
    });
}

QIcon InsertChildTransaction()
{
    return Make([](QPainter &p) {
        transCard(p, QRectF(1.5, 1.5, 12, 7.5));
        // The new one goes in below, one step in: an arrow bent down and right.
        p.setPen(QPen(Green.darker(130), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPainterPath elbow;
        elbow.moveTo(5, 10);
        elbow.lineTo(5, 13.5);
        elbow.lineTo(13, 13.5);
        p.drawPath(elbow);
        QPainterPath head;
        head.moveTo(10.8, 11.3);
        head.lineTo(13.2, 13.5);
        head.lineTo(10.8, 15.7);
        p.drawPath(head);
    });
}

QIcon DeleteTransaction()
{
    return Make([](QPainter &p) {
        transCard(p, QRectF(1.5, 2.5, 12, 8));
        CrossBadge(p, QPointF(12, 12), 3.5);
    });
}

QIcon LinkFiles()
{
    return Make([](QPainter &p) {
        transCard(p, QRectF(1.5, 1.5, 10, 6.5));
        chainLink(p, QPointF(10, 11));
    });
}

QIcon InsertFile()
{
    return Make([](QPainter &p) {
        Cylinder(p, QRectF(1.5, 1.5, 10, 12.5), kInternal);
        PlusBadge(p, QPointF(12, 12), 3.5);
    });
}

QIcon DeleteFile()
{
    return Make([](QPainter &p) {
        Cylinder(p, QRectF(1.5, 1.5, 10, 12.5), kInternal);
        CrossBadge(p, QPointF(12, 12), 3.5);
    });
}

QIcon Previous()
{
    return Make([](QPainter &p) { Arrow(p, Direction::Left); });
}

QIcon Next()
{
    return Make([](QPainter &p) { Arrow(p, Direction::Right); });
}

QIcon Filter()
{
    return Make([](QPainter &p) { funnel(p); });
}

QIcon FilterOff()
{
    return Make([](QPainter &p) {
        funnel(p);
        p.setPen(QPen(Qt::white, 3.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2.5, 13.5), QPointF(13.5, 2.5));
        p.setPen(QPen(Danger, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2.5, 13.5), QPointF(13.5, 2.5));
    });
}

QIcon ReadOnly()
{
    return Make([](QPainter &p) {
        p.setPen(QPen(Steel.darker(140), 1.8, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        QPainterPath shackle;
        shackle.moveTo(5, 8);
        shackle.lineTo(5, 5);
        shackle.arcTo(QRectF(5, 2, 6, 6), 180, -180);
        shackle.lineTo(11, 8);
        p.drawPath(shackle);
        QLinearGradient shade(0, 7, 0, 15);
        shade.setColorAt(0, Spark.lighter(130));
        shade.setColorAt(1, Spark.darker(115));
        p.setPen(QPen(Spark.darker(170), 1.0));
        p.setBrush(shade);
        p.drawRoundedRect(QRectF(2.5, 7.5, 11, 7), 1.5, 1.5);
        p.setPen(QPen(Ink, 1.3, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Ink);
        p.drawEllipse(QPointF(8, 10.3), 0.8, 0.8);
        p.drawLine(QPointF(8, 10.5), QPointF(8, 12.6));
    });
}

QIcon SummaryMode()
{
    return Make([](QPainter &p) {
        const QRectF table(1.5, 2.5, 13, 11);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(table);
        p.setBrush(Blue);
        p.drawRect(QRectF(1.5, 2.5, 13, 3));
        p.setPen(QPen(Steel, 0.8));
        for (const qreal y : {8.2, 10.9})
            p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
        p.drawLine(QPointF(9, 5.5), QPointF(9, 13.5));
        p.setPen(QPen(Ink, 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawRect(table);
    });
}

QIcon SummaryLevel()
{
    return Make([](QPainter &p) {
        const QRectF bars[] = {QRectF(1.5, 1.5, 13, 3.5), QRectF(4, 6.25, 10.5, 3.5), QRectF(6.5, 11, 8, 3.5)};
        const int lighten[] = {100, 135, 170};
        for (int i = 0; i < 3; ++i) {
            p.setPen(QPen(Blue.darker(150), 0.9));
            p.setBrush(Blue.lighter(lighten[i]));
            p.drawRoundedRect(bars[i], 1, 1);
        }
    });
}

} // namespace toolicons

} // namespace qm
