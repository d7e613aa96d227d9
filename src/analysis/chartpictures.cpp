#include "analysis/chartpictures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTemporaryFile>

#include <cstdlib>
#include <memory>

#include <uemf.h>
#include <uwmf.h>

namespace qm {

namespace {

// The pictures keep the chart's size on screen at the usual 96 dots an inch.
constexpr int kDpi = 96;
constexpr int kPixelsPerMetre = 3780;
// Metafile coordinates are 16-bit in the Windows format; a bitmap record of
// more than this would not be read back by most programs anyway.
constexpr int kMaxMetafileSide = 32767;
constexpr qint64 kMaxMetafileBitmapBytes = 256LL * 1024 * 1024;

struct FreeDeleter
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T>
using CPtr = std::unique_ptr<T, FreeDeleter>;

// The image as a bottom-up 24-bit device-independent bitmap with its header.
struct Dib
{
    CPtr<char> pixels;
    uint32_t byteCount = 0;
    CPtr<U_BITMAPINFO> info;
};

bool MakeDib(const QImage &image, Dib &dib, QString *error)
{
    const qint64 rowBytes = (qint64(image.width()) * 3 + 3) / 4 * 4;
    if (image.isNull() || image.width() > kMaxMetafileSide || image.height() > kMaxMetafileSide
        || rowBytes * image.height() > kMaxMetafileBitmapBytes) {
        *error = QStringLiteral("The chart is too large to be saved as a metafile.");
        return false;
    }
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    char *px = nullptr;
    uint32_t cbPx = 0;
    PU_RGBQUAD colours = nullptr;
    int colourCount = 0;
    if (RGBA_to_DIB(&px, &cbPx, &colours, &colourCount, reinterpret_cast<const char *>(rgba.constBits()),
                    rgba.width(), rgba.height(), int(rgba.bytesPerLine()), U_BCBM_COLOR24, U_CT_NO,
                    U_ROW_ORDER_INVERT)
        != 0) {
        std::free(px);
        *error = QStringLiteral("There was not enough memory to convert the chart.");
        return false;
    }
    dib.pixels.reset(px);
    dib.byteCount = cbPx;
    const U_BITMAPINFOHEADER header = bitmapinfoheader_set(rgba.width(), rgba.height(), 1, U_BCBM_COLOR24, U_BI_RGB,
                                                           cbPx, kPixelsPerMetre, kPixelsPerMetre, 0, 0);
    dib.info.reset(bitmapinfo_set(header, nullptr));
    if (!dib.info) {
        *error = QStringLiteral("There was not enough memory to convert the chart.");
        return false;
    }
    return true;
}

// The library writes its metafiles to a named file; it is read back so
// the caller decides where the bytes go.
class ScratchFile
{
public:
    bool open(QString *error)
    {
        m_file.setFileTemplate(QDir::tempPath() + QStringLiteral("/quillmark-chart-XXXXXX"));
        if (!m_file.open()) {
            *error = QStringLiteral("A temporary file could not be created: %1").arg(m_file.errorString());
            return false;
        }
        m_name = QFile::encodeName(m_file.fileName());
        m_file.close();
        return true;
    }
    const char *name() const { return m_name.constData(); }
    QByteArray read(QString *error)
    {
        QFile in(m_file.fileName());
        if (!in.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("The metafile could not be read back: %1").arg(in.errorString());
            return {};
        }
        return in.readAll();
    }

private:
    QTemporaryFile m_file;
    QByteArray m_name;
};

QString LibraryFailure(const char *step)
{
    return QStringLiteral("The metafile could not be made (%1).").arg(QLatin1String(step));
}

// One record into the metafile being built; the library frees it.
bool AppendEmf(char *record, EMFTRACK *track)
{
    return record && emf_append(reinterpret_cast<PU_ENHMETARECORD>(record), track, U_REC_FREE) == 0;
}

bool AppendWmf(char *record, WMFTRACK *track)
{
    return record && wmf_append(reinterpret_cast<U_METARECORD *>(record), track, U_REC_FREE) == 0;
}

QByteArray SvgBytes(const ChartDrawing &drawing)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(drawing.size);
    svg.setViewBox(QRect(QPoint(0, 0), drawing.size));
    svg.setResolution(kDpi);
    svg.setTitle(QStringLiteral("FpChart"));
    QPainter painter(&svg);
    const QRectF target(QPointF(0, 0), QSizeF(drawing.size));
    painter.fillRect(target, Qt::white);
    drawing.paint(painter, target);
    painter.end();
    return buffer.data();
}

QByteArray ImageBytes(const QImage &image, const char *format, QString *error)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format)) {
        *error = QStringLiteral("The chart could not be converted to a picture.");
        return {};
    }
    return buffer.data();
}

} // namespace

PictureFormat PictureFormatForName(const QString &path)
{
    // The file's own name: a folder called "old.wmf" says nothing about
    // the picture inside it.
    const QString fileName = QFileInfo(path).fileName();
    if (fileName.endsWith(QLatin1String(".png")))
        return PictureFormat::Png;
    if (fileName.endsWith(QLatin1String(".svg")))
        return PictureFormat::Svg;
    if (fileName.contains(QLatin1String(".wmf")))
        return PictureFormat::WindowsMetafile;
    if (fileName.contains(QLatin1String(".emf")))
        return PictureFormat::EnhancedMetafile;
    return PictureFormat::Bitmap;
}

FileDialogRequest ChartPictureDialogRequest()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Export Graph");
    request.filters = {QStringLiteral("Bitmaps (*.bmp)"), QStringLiteral("Enhanced Metafiles (*.emf)"),
                       QStringLiteral("Metafiles (*.wmf)"), QStringLiteral("PNG images (*.png)"),
                       QStringLiteral("SVG drawings (*.svg)")};
    request.selectedFilter = request.filters.constFirst();
    request.defaultSuffix = QStringLiteral("bmp");
    request.confirmOverwrite = true;
    return request;
}

QImage DrawingImage(const ChartDrawing &drawing)
{
    QImage image(drawing.size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawing.paint(painter, QRectF(QPointF(0, 0), QSizeF(drawing.size)));
    return image;
}

QByteArray EnhancedMetafileBytes(const QImage &image, QString *error)
{
    Dib dib;
    ScratchFile scratch;
    if (!MakeDib(image, dib, error) || !scratch.open(error))
        return {};
    const int w = image.width();
    const int h = image.height();
    EMFTRACK *track = nullptr;
    EMFHANDLES *handles = nullptr;
    if (emf_start(scratch.name(), 1 << 20, 1 << 20, &track) != 0) {
        *error = LibraryFailure("start");
        return {};
    }
    emf_htable_create(16, 16, &handles);
    // A reference device of 1920 by 1080 pixels at 96 dots an inch; the
    // frame is in hundredths of a millimetre on it.
    const U_SIZEL device = sizel_set(1920, 1080);
    const U_SIZEL millimetres = sizel_set(1920 * 254 / (kDpi * 10), 1080 * 254 / (kDpi * 10));
    const U_RECTL bounds = rectl_set(point32_set(0, 0), point32_set(w - 1, h - 1));
    const U_RECTL frame = rectl_set(point32_set(0, 0), point32_set(w * 2540 / kDpi, h * 2540 / kDpi));
    std::u16string description = u"Quillmark";
    description.push_back(u'\0');
    description += u"FpChart";
    description.push_back(u'\0');
    description.push_back(u'\0');

    bool ok = AppendEmf(U_EMRHEADER_set(bounds, frame, nullptr, U_CBSTR(description.size()),
                                        reinterpret_cast<uint16_t *>(description.data()), device, millimetres, 0),
                        track)
              && AppendEmf(U_EMRSTRETCHDIBITS_set(bounds, point32_set(0, 0), point32_set(w, h), point32_set(0, 0),
                                                  point32_set(w, h), U_DIB_RGB_COLORS, U_SRCCOPY, dib.info.get(),
                                                  dib.byteCount, dib.pixels.get()),
                           track)
              && AppendEmf(U_EMREOF_set(0, nullptr, track), track);
    ok = ok && emf_finish(track, handles) == 0;
    emf_free(&track);
    emf_htable_free(&handles);
    if (!ok) {
        *error = LibraryFailure("records");
        return {};
    }
    return scratch.read(error);
}

QByteArray WindowsMetafileBytes(const QImage &image, QString *error)
{
    Dib dib;
    ScratchFile scratch;
    if (!MakeDib(image, dib, error) || !scratch.open(error))
        return {};
    const int16_t w = int16_t(image.width());
    const int16_t h = int16_t(image.height());
    WMFTRACK *track = nullptr;
    WMFHANDLES *handles = nullptr;
    if (wmf_start(scratch.name(), 1 << 20, 1 << 20, &track) != 0) {
        *error = LibraryFailure("start");
        return {};
    }
    wmf_htable_create(16, 16, &handles);
    // The placeable header gives the size in inches, with one logical
    // unit a pixel.
    U_PAIRF *inches = U_PAIRF_set(float(w) / kDpi, float(h) / kDpi);
    char *header = U_WMRHEADER_set(inches, kDpi);
    std::free(inches);
    bool ok = header && wmf_header_append(reinterpret_cast<U_METARECORD *>(header), track, U_REC_FREE) == 0;
    ok = ok && AppendWmf(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC), track)
         && AppendWmf(U_WMRSETWINDOWORG_set(point16_set(0, 0)), track)
         && AppendWmf(U_WMRSETWINDOWEXT_set(point16_set(w, h)), track)
         && AppendWmf(U_WMRSTRETCHDIB_set(point16_set(0, 0), point16_set(w, h), point16_set(0, 0), point16_set(w, h),
                                          U_DIB_RGB_COLORS, U_SRCCOPY, dib.info.get(), dib.byteCount,
                                          dib.pixels.get()),
                      track)
         && AppendWmf(U_WMREOF_set(), track);
    ok = ok && wmf_finish(track) == 0;
    wmf_free(&track);
    wmf_htable_free(&handles);
    if (!ok) {
        *error = LibraryFailure("records");
        return {};
    }
    return scratch.read(error);
}

QByteArray PictureBytes(const ChartDrawing &drawing, PictureFormat format, QString *error)
{
    switch (format) {
    case PictureFormat::Svg:
        return SvgBytes(drawing);
    case PictureFormat::Png:
        return ImageBytes(DrawingImage(drawing), "PNG", error);
    case PictureFormat::EnhancedMetafile:
        return EnhancedMetafileBytes(DrawingImage(drawing), error);
    case PictureFormat::WindowsMetafile:
        return WindowsMetafileBytes(DrawingImage(drawing), error);
    case PictureFormat::Bitmap:
        break;
    }
    return ImageBytes(DrawingImage(drawing), "BMP", error);
}

bool WriteChartPicture(const ChartDrawing &drawing, const QString &fileName, QString *error)
{
    const QByteArray bytes = PictureBytes(drawing, PictureFormatForName(fileName), error);
    if (bytes.isEmpty())
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("The picture could not be saved to \"%1\": %2")
                     .arg(QDir::toNativeSeparators(fileName), file.errorString());
        return false;
    }
    return true;
}

} // namespace qm
