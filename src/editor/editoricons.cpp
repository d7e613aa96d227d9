#include "editor/editoricons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace qm {

namespace {

constexpr int kSize = 16;

QColor greyed(const QColor &c)
{
    const int g = qGray(c.rgb());
    return QColor(160 + g / 4, 160 + g / 4, 160 + g / 4);
}

QIcon letterTile(const QColor &fill, const QString &letter)
{
    QPixmap pix(kSize, kSize);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(fill.darker(150));
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 0.5, kSize - 1, kSize - 1), 3, 3);
    QFont font = p.font();
    font.setPixelSize(letter.size() > 1 ? 8 : 11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, letter);
    return QIcon(pix);
}

QIcon folder(const QColor &fill)
{
    QPixmap pix(kSize, kSize);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
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
    return QIcon(pix);
}

QIcon cylinder(const QColor &fill)
{
    QPixmap pix(kSize, kSize);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(fill.darker(160));
    p.setBrush(fill);
    p.drawRect(QRectF(2.5, 3.5, 11, 9));
    p.drawEllipse(QRectF(2.5, 10, 11, 4.5));
    p.setBrush(fill.lighter(130));
    p.drawEllipse(QRectF(2.5, 1.5, 11, 4.5));
    return QIcon(pix);
}

const QColor kInput(46, 139, 87);
const QColor kOutput(52, 101, 164);
const QColor kInquiry(204, 120, 0);
const QColor kGroup(230, 190, 70);
const QColor kInternal(70, 110, 180);
const QColor kExternal(120, 150, 90);

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
    return {cylinder(kInternal), cylinder(kExternal), cylinder(greyed(kInternal)), cylinder(greyed(kExternal))};
}

QList<QIcon> SummaryListImages()
{
    const QList<QIcon> trans = TransTreeImages();
    const QList<QIcon> files = FileTreeImages();
    return {trans[0], trans[1], trans[2], trans[3], files[0], files[1]};
}

QIcon ToolIcon(const QColor &colour, const QString &caption)
{
    return letterTile(colour, caption);
}

} // namespace qm
