#include "catalogue/catalogueicons.h"

#include "views/iconpainter.h"

#include <QPainter>

namespace qm::icons {

using namespace iconpaint;

namespace {

void baseSheet(QPainter &p, const QRectF &r, bool selected)
{
    Sheet(p, r, Blue, selected ? QColor(0xd6, 0xe6, 0xfb) : QColor(Qt::white));
}

void enhancementSheet(QPainter &p, const QRectF &r, bool selected)
{
    Sheet(p, r, Green, selected ? QColor(0xd8, 0xf2, 0xdf) : QColor(Qt::white));
    PlusBadge(p, QPointF(r.right() - 0.5, r.bottom() - 1.5), 3.4, Green);
}

} // namespace

QIcon BaseCount()
{
    static const QIcon icon = MakePair([](QPainter &p) { baseSheet(p, QRectF(2.5, 1.5, 11, 13), false); },
                                       [](QPainter &p) { baseSheet(p, QRectF(2.5, 1.5, 11, 13), true); });
    return icon;
}

QIcon EnhancementCount()
{
    static const QIcon icon = MakePair([](QPainter &p) { enhancementSheet(p, QRectF(1.5, 1.5, 11, 13), false); },
                                       [](QPainter &p) { enhancementSheet(p, QRectF(1.5, 1.5, 11, 13), true); });
    return icon;
}

QIcon NewBaseCount()
{
    return Make([](QPainter &p) {
        baseSheet(p, QRectF(4.5, 2.5, 10, 12.5), false);
        SparkStar(p, QPointF(4, 4), 3.6);
    });
}

QIcon NewEnhancementCount()
{
    return Make([](QPainter &p) {
        enhancementSheet(p, QRectF(3.5, 2.5, 10, 12), false);
        SparkStar(p, QPointF(4, 4), 3.6);
    });
}

QIcon DeleteCount()
{
    return Make([](QPainter &p) {
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
    return Make([](QPainter &p) { Arrow(p, Direction::Up); });
}

QIcon NextCount()
{
    return Make([](QPainter &p) { Arrow(p, Direction::Down); });
}

QIcon ExpandAll()
{
    return Hierarchy(true, Reach::All);
}

QIcon CollapseAll()
{
    return Hierarchy(false, Reach::All);
}

QIcon ExpandAllOneLevel()
{
    return Hierarchy(true, Reach::AllOneLevel);
}

QIcon CollapseAllOneLevel()
{
    return Hierarchy(false, Reach::AllOneLevel);
}

QIcon ExpandSelected()
{
    return Hierarchy(true, Reach::SelectedOneLevel);
}

QIcon CollapseSelected()
{
    return Hierarchy(false, Reach::SelectedOneLevel);
}

} // namespace qm::icons
