#pragma once

// The chart as a picture: the file formats it can be saved in, chosen by the
// file name, and the encoders behind them. Metafiles carry the chart as one
// stretched bitmap record, which every reader of the formats understands.

#include "store/dialogservice.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

class QPainter;
class QRectF;

namespace qm {

enum class PictureFormat { Bitmap, EnhancedMetafile, WindowsMetafile, Png, Svg };

// The format follows the file's name alone, whatever file type the dialog
// showed: ".png" or ".svg" at the end; otherwise ".wmf" anywhere in the name
// (in lower case), then ".emf" anywhere; anything else is a bitmap. The
// folders of the path play no part.
PictureFormat PictureFormatForName(const QString &path);

// The save dialog of "Export Graph...": bitmaps first and preselected.
FileDialogRequest ChartPictureDialogRequest();

// A picture of the given pixel size drawn by paint, which draws on the
// painter within (0, 0, size).
struct ChartDrawing
{
    QSize size;
    std::function<void(QPainter &painter, const QRectF &target)> paint;
};

// The drawing on white.
QImage DrawingImage(const ChartDrawing &drawing);

// Metafiles holding the image as a stretched bitmap at its own size. Empty
// with *error set when the image cannot be encoded.
QByteArray EnhancedMetafileBytes(const QImage &image, QString *error);
QByteArray WindowsMetafileBytes(const QImage &image, QString *error);

// The whole file in the given format; SVG keeps the drawing as vectors.
QByteArray PictureBytes(const ChartDrawing &drawing, PictureFormat format, QString *error);

// Writes the picture in the format its name asks for. The file is replaced
// only once the new picture is complete, so a failure leaves what was there.
bool WriteChartPicture(const ChartDrawing &drawing, const QString &fileName, QString *error);

} // namespace qm
