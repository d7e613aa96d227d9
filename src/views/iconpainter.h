#pragma once

#include <QColor>
#include <QIcon>
#include <QPointF>
#include <QRectF>

#include <functional>

class QPainter;

// Pictures painted at run time rather than loaded, so the program carries no
// image files and every picture stays sharp at any screen scale. Each one is
// drawn on a 16 by 16 grid; the helpers below are the shapes the windows share.
namespace qm::iconpaint {

using Draw = std::function<void(QPainter &)>;

inline const QColor Ink(0x2f, 0x3f, 0x56);
inline const QColor Blue(0x2e, 0x6f, 0xc2);
inline const QColor Green(0x2e, 0x9c, 0x4a);
inline const QColor Danger(0xc8, 0x32, 0x2a);
inline const QColor Spark(0xf2, 0xb1, 0x1b);
inline const QColor Highlight(0xff, 0xe0, 0x7a);
inline const QColor Steel(0x8a, 0x94, 0xa3);

// One picture at the sizes the toolkit asks for most; disabled and active
// looks are derived from it by the style.
QIcon Make(const Draw &draw);
// A picture with its own look when its row is selected.
QIcon MakePair(const Draw &normal, const Draw &selected);

// A sheet of paper with a folded corner and ruled lines.
void Sheet(QPainter &p, const QRectF &r, const QColor &accent, const QColor &paper = Qt::white);
// Round badges laid over a corner of another shape: add and remove.
void PlusBadge(QPainter &p, const QPointF &centre, qreal radius, const QColor &colour = Green);
void CrossBadge(QPainter &p, const QPointF &centre, qreal radius, const QColor &colour = Danger);
// A four-pointed spark: "new".
void SparkStar(QPainter &p, const QPointF &centre, qreal radius);
// A database drum standing in r.
void Cylinder(QPainter &p, const QRectF &r, const QColor &fill);

// A broad arrow filling the grid, pointing up, down, left or right.
enum class Direction { Up, Down, Left, Right };
void Arrow(QPainter &p, Direction direction, const QColor &colour = Blue);

// The hierarchy commands: a tree node with a plus or minus and chevrons
// telling how far the command reaches.
enum class Reach { All, AllOneLevel, SelectedOneLevel };
QIcon Hierarchy(bool expand, Reach reach);

} // namespace qm::iconpaint
