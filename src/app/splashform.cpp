#include "app/splashform.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>

namespace qm {

namespace {

const QColor Ink(0x12, 0x1d, 0x36);
const QColor Night(0x1d, 0x36, 0x62);
const QColor Parchment(0xf5, 0xee, 0xdf);
const QColor Gold(0xe3, 0xb5, 0x4f);

void paintBackground(QPainter &p, const QRect &r)
{
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0.0, Night);
    sky.setColorAt(1.0, Ink);
    p.fillRect(r, sky);

    // A soft light behind the title.
    QRadialGradient glow(QPointF(r.width() * 0.35, r.height() * 0.42), r.width() * 0.6);
    glow.setColorAt(0.0, QColor(255, 255, 255, 38));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(r, glow);

    // Faint counting grid in the lower part.
    p.setPen(QPen(QColor(255, 255, 255, 16), 1));
    for (int x = 8; x < r.width(); x += 16)
        p.drawLine(x, 172, x, r.height());
    for (int y = 172; y < r.height(); y += 16)
        p.drawLine(0, y, r.width(), y);
}

void paintBars(QPainter &p, const QRect &r)
{
    // A small rising chart: what a count turns into.
    const int heights[] = {14, 22, 19, 31, 38, 49};
    const int base = r.height() - 18;
    const int width = 13;
    int x = r.width() - 6 * (width + 6) - 16;
    for (int h : heights) {
        QLinearGradient bar(0, base - h, 0, base);
        bar.setColorAt(0.0, QColor(Gold.red(), Gold.green(), Gold.blue(), 170));
        bar.setColorAt(1.0, QColor(Gold.red(), Gold.green(), Gold.blue(), 40));
        p.fillRect(QRect(x, base - h, width, h), bar);
        x += width + 6;
    }
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.drawLine(r.width() - 6 * (width + 6) - 22, base, r.width() - 12, base);
}

QPainterPath featherOutline(qreal length)
{
    // Drawn upright with the nib at the origin; the caller rotates it.
    QPainterPath vane;
    vane.moveTo(0, -length * 0.16);
    vane.cubicTo(-length * 0.20, -length * 0.40, -length * 0.17, -length * 0.80, 0, -length);
    vane.cubicTo(length * 0.11, -length * 0.78, length * 0.12, -length * 0.42, 0, -length * 0.16);
    return vane;
}

void paintQuill(QPainter &p, QPointF nib, qreal length, qreal angle)
{
    p.save();
    p.translate(nib);
    p.rotate(angle);

    QLinearGradient shade(-length * 0.2, 0, length * 0.12, 0);
    shade.setColorAt(0.0, QColor(0xd9, 0xcf, 0xbb));
    shade.setColorAt(0.55, Parchment);
    shade.setColorAt(1.0, QColor(0xc9, 0xbd, 0xa4));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPath(featherOutline(length));

    // Barbs: fine strokes leaning towards the tip.
    p.setPen(QPen(QColor(0x9c, 0x8f, 0x78, 120), 0.8));
    for (qreal t = 0.22; t < 0.92; t += 0.055) {
        const qreal y = -length * t;
        p.drawLine(QPointF(0, y), QPointF(-length * 0.15 * (1.0 - qAbs(t - 0.5)), y - length * 0.07));
        p.drawLine(QPointF(0, y), QPointF(length * 0.08 * (1.0 - qAbs(t - 0.5)), y - length * 0.06));
    }

    // The shaft and the cut nib.
    p.setPen(QPen(QColor(0x8a, 0x7a, 0x5e), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, -length * 0.02), QPointF(0, -length * 0.97));
    QPainterPath point;
    point.moveTo(0, 0);
    point.lineTo(-2.6, -length * 0.17);
    point.lineTo(2.6, -length * 0.17);
    point.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3a, 0x2f, 0x22));
    p.drawPath(point);
    p.restore();
}

void paintInkStroke(QPainter &p, QPointF from, QPointF to)
{
    // The mark the quill has just drawn, thin at its start and full at the nib.
    QPainterPath stroke;
    stroke.moveTo(from);
    stroke.cubicTo(from + QPointF(60, 5), to + QPointF(-70, 4), to + QPointF(0, -1.2));
    stroke.lineTo(to + QPointF(0, 1.8));
    stroke.cubicTo(to + QPointF(-70, 7), from + QPointF(60, 6.5), from + QPointF(0, 0.6));
    stroke.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Gold);
    p.drawPath(stroke);
}

void paintTexts(QPainter &p, const QRect &r)
{
    QFont title(QStringLiteral("DejaVu Serif"));
    title.setPixelSize(42);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(QPoint(27, 112), QStringLiteral("Quillmark"));
    p.setPen(Parchment);
    p.drawText(QPoint(25, 110), QStringLiteral("Quillmark"));

    QFont subtitle(QStringLiteral("DejaVu Sans"));
    subtitle.setPixelSize(13);
    subtitle.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    p.setFont(subtitle);
    p.setPen(Gold);
    p.drawText(QPoint(27, 148), QStringLiteral("FUNCTION POINT ANALYSIS"));

    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(10);
    p.setFont(small);
    p.setPen(QColor(255, 255, 255, 150));
    p.drawText(QPoint(27, r.height() - 20), QStringLiteral("Version %1").arg(QStringLiteral(QM_VERSION)));
    p.drawText(QPoint(27, r.height() - 8), QStringLiteral("Brenwick Software"));
}

} // namespace

QPixmap TSplashForm::SplashPicture()
{
    QImage image(PictureWidth, PictureHeight, QImage::Format_ARGB32_Premultiplied);
    const QRect r = image.rect();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintBackground(p, r);
    paintBars(p, r);
    paintInkStroke(p, QPointF(28, 124), QPointF(265, 119));
    paintQuill(p, QPointF(265, 119), 112, 30);
    paintTexts(p, r);
    // A hairline frame keeps the picture crisp against the panel.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(255, 255, 255, 40));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.end();
    return QPixmap::fromImage(image);
}

TSplashForm::TSplashForm(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_panel(new QFrame(this))
    , m_picture(new QLabel(m_panel))
{
    setObjectName(QStringLiteral("SplashForm"));
    setWindowTitle(QStringLiteral("Quillmark"));
    m_panel->setObjectName(QStringLiteral("SplashPanel"));
    m_panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_panel->setLineWidth(1);
    m_picture->setObjectName(QStringLiteral("SplashPicture"));
    m_picture->setPixmap(SplashPicture());
    layOut();
}

void TSplashForm::layOut()
{
    const QSize picture = m_picture->pixmap().size();
    m_picture->setGeometry(0, 0, picture.width(), picture.height());
    setFixedSize(picture.width() + 1, picture.height() + 5);
    m_panel->setGeometry(rect());
}

void TSplashForm::centreOnScreen()
{
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(0, 0), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void TSplashForm::showAndPaint()
{
    layOut();
    centreOnScreen();
    show();
    raise();
    repaint();
    // Let the window system map and draw the window now: the start-up work
    // that follows runs without an event loop.
    QCoreApplication::processEvents();
}

} // namespace qm
