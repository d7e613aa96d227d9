#include "report/bandengine.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cmath>

namespace qm::report {

namespace {

// The gap kept below the last line of a band that grew to hold its text.
constexpr double kStretchPad = 5;

double ItemBottom(const BandItem &item)
{
    switch (item.kind) {
    case BandItem::Kind::Text:
        return item.y + TBandEngine::LineHeight();
    case BandItem::Kind::Line:
        return item.y + 1;
    case BandItem::Kind::Picture:
        return item.y + item.width;
    }
    return item.y;
}

QStringList WrapLines(const QString &text, const QFont &font, double width)
{
    QStringList lines;
    // Each line of the text is a paragraph of its own; empty ones stay.
    for (const QString &paragraph : text.split(QLatin1Char('\n'))) {
        if (paragraph.trimmed().isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    return lines;
}

} // namespace

BandItem &Band::AddText(double x, double y, const QString &text, double width, TextAlign align)
{
    BandItem item;
    item.x = x;
    item.y = y;
    item.text = text;
    item.width = width;
    item.align = align;
    items.append(item);
    return items.last();
}

BandItem &Band::AddLine(double x, double y, double length)
{
    BandItem item;
    item.kind = BandItem::Kind::Line;
    item.x = x;
    item.y = y;
    item.width = length;
    items.append(item);
    return items.last();
}

BandItem &Band::AddPicture(double x, double y, const QImage &picture, double edge)
{
    BandItem item;
    item.kind = BandItem::Kind::Picture;
    item.x = x;
    item.y = y;
    item.width = edge;
    item.picture = picture;
    items.append(item);
    return items.last();
}

QList<const PlacedBand *> ReportPage::Find(const QString &name) const
{
    QList<const PlacedBand *> found;
    for (const PlacedBand &band : bands)
        if (band.name == name)
            found << &band;
    return found;
}

TBandEngine::TBandEngine(ReportDriver &driver) : m_driver(driver) {}

void TBandEngine::setPageHeader(Band *header, const QList<Band *> &children)
{
    m_header = header;
    m_headerChildren = children;
}

void TBandEngine::setPrintableSize(double width, double height)
{
    m_bandWidth = std::floor(width + 1e-6);
    m_pageHeight = height;
}

QFont TBandEngine::BaseFont()
{
    // Arial 10 point is 13 pixels at 96 per inch. Unhinted, so that text
    // measures the same on the screen, on paper and in a PDF.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

namespace {

// The four faces the report uses, with their metrics, made once: a long
// report measures and draws tens of thousands of texts.
struct Face
{
    QFont font;
    QFontMetricsF metrics;
};

const Face &FaceFor(bool bold, bool underline)
{
    static const std::array<Face, 4> faces = [] {
        const auto make = [](bool b, bool u) {
            QFont font = TBandEngine::BaseFont();
            font.setBold(b);
            font.setUnderline(u);
            return Face{font, QFontMetricsF(font)};
        };
        return std::array<Face, 4>{make(false, false), make(true, false), make(false, true), make(true, true)};
    }();
    return faces[(bold ? 1 : 0) + (underline ? 2 : 0)];
}

} // namespace

QFont TBandEngine::FontFor(const BandItem &item)
{
    return FaceFor(item.bold, item.underline).font;
}

double TBandEngine::LineHeight()
{
    return FaceFor(false, false).metrics.height();
}

double TBandEngine::TextWidth(const QString &text, bool bold)
{
    return FaceFor(bold, false).metrics.horizontalAdvance(text);
}

QString TBandEngine::CutToWidth(const QString &text, double width, bool bold)
{
    const QFontMetricsF &metrics = FaceFor(bold, false).metrics;
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    // Binary search on the length: advances only grow with it.
    int low = 0;
    int high = int(text.size());
    while (low < high) {
        const int mid = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(text.left(mid)) <= width)
            low = mid;
        else
            high = mid - 1;
    }
    return text.left(low);
}

void TBandEngine::Start()
{
    m_page = ReportPage{};
    m_pageOpen = false;
    m_pageHasContent = false;
    m_y = 0;
    m_pageNumber = 0;
    m_finished = false;
    m_pending.clear();
    m_done.clear();
    m_driver.BeforePrint();
}

bool TBandEngine::NextPage(ReportPage &page)
{
    while (m_done.empty()) {
        if (m_finished)
            return false;
        if (!m_pageOpen)
            BeginPage();
        if (!m_pending.empty()) {
            PlacePending();
            continue;
        }
        if (!m_driver.NeedData()) {
            EndPage();
            m_finished = true;
            continue;
        }
        for (const Band *band : std::as_const(m_chain))
            if (band->enabled)
                m_pending.push_back(Prepare(*band));
    }
    page = std::move(m_done.front());
    m_done.pop_front();
    return true;
}

void TBandEngine::NewPage()
{
    if (!m_pageOpen)
        return;
    if (m_pageHasContent) {
        EndPage();
    } else {
        // Nothing on it but its header: start it again rather than leave
        // a page with a header alone.
        --m_pageNumber;
        m_pageOpen = false;
    }
    BeginPage();
}

void TBandEngine::BeginPage()
{
    ++m_pageNumber;
    m_page = ReportPage{};
    m_page.number = m_pageNumber;
    m_y = 0;
    m_pageOpen = true;
    m_pageHasContent = false;
    PlaceHeader();
}

void TBandEngine::PlaceHeader()
{
    m_driver.BeforePageHeader(m_pageNumber);
    if (m_header && m_header->enabled)
        Place(Prepare(*m_header).band);
    for (const Band *child : std::as_const(m_headerChildren))
        if (child->enabled)
            Place(Prepare(*child).band);
    m_contentTop = m_y;
}

void TBandEngine::EndPage()
{
    m_driver.BeforePageFooter(m_pageNumber);
    if (m_footer && m_footer->enabled) {
        PlacedBand footer = Prepare(*m_footer).band;
        m_y = m_pageHeight - footer.height;
        Place(std::move(footer));
    }
    m_done.push_back(std::move(m_page));
    m_page = ReportPage{};
    m_pageOpen = false;
}

TBandEngine::Pending TBandEngine::Prepare(const Band &band) const
{
    Pending pending;
    pending.band.name = band.name;
    pending.band.height = band.height;
    for (const BandItem &source : band.items) {
        if (source.kind != BandItem::Kind::Text || !source.wrap) {
            BandItem item = source;
            if (item.kind == BandItem::Kind::Text)
                item.left = item.align == TextAlign::Left ? item.x
                                                          : item.x + item.width - TextWidth(item.text, item.bold);
            else
                item.left = item.x;
            pending.band.items.append(item);
            continue;
        }
        // A wrapping text becomes one text per line; the band grows to hold
        // them and may be split between pages at a line.
        pending.splittable = true;
        const QStringList lines = WrapLines(source.text, FontFor(source), source.width);
        for (int i = 0; i < lines.size(); ++i) {
            BandItem line = source;
            line.wrap = false;
            line.text = lines[i];
            line.y = source.y + i * LineHeight();
            line.left = line.x;
            if (!line.text.isEmpty())
                pending.band.items.append(line);
        }
        const double bottom = source.y + lines.size() * LineHeight() + kStretchPad;
        pending.band.height = std::max(pending.band.height, bottom);
    }
    return pending;
}

void TBandEngine::Place(PlacedBand band)
{
    band.top = m_y;
    m_y += band.height;
    m_page.bands.append(std::move(band));
}

bool TBandEngine::Split(Pending &pending, double room, PlacedBand &first)
{
    if (!pending.splittable)
        return false;
    QList<BandItem> rest;
    first = PlacedBand{pending.band.name, 0, room, {}};
    for (const BandItem &item : std::as_const(pending.band.items)) {
        if (ItemBottom(item) <= room)
            first.items.append(item);
        else
            rest.append(item);
    }
    if (first.items.isEmpty() || rest.isEmpty())
        return false;
    double top = rest.front().y;
    for (const BandItem &item : std::as_const(rest))
        top = std::min(top, item.y);
    double bottom = 0;
    for (BandItem &item : rest) {
        item.y -= top - kStretchPad;
        bottom = std::max(bottom, ItemBottom(item));
    }
    pending.band.items = rest;
    pending.band.height = bottom + kStretchPad;
    return true;
}

bool TBandEngine::PlacePending()
{
    Pending &front = m_pending.front();
    const double limit = m_pageHeight - (m_footer && m_footer->enabled ? m_footer->height : 0);
    const double room = limit - m_y;
    if (front.band.height <= room + 1e-6) {
        Place(std::move(front.band));
        m_pending.pop_front();
        m_pageHasContent = true;
        return true;
    }
    // Taller than a whole page: as much as fits here, the rest further on.
    if (front.band.height > limit - m_contentTop + 1e-6) {
        PlacedBand first;
        if (Split(front, room, first)) {
            Place(std::move(first));
            m_pageHasContent = true;
            EndPage();
            return true;
        }
    }
    if (m_pageHasContent) {
        // The page is full: the band goes to the next one, under a header
        // that reflects the record being placed.
        EndPage();
        return false;
    }
    // Nothing to split it by: it stands alone on its page.
    Place(std::move(front.band));
    m_pending.pop_front();
    m_pageHasContent = true;
    EndPage();
    return true;
}

void PaintPage(QPainter &painter, const ReportPage &page)
{
    painter.save();
    painter.setPen(QPen(Qt::black, 1.0));
    const Face *current = nullptr;
    for (const PlacedBand &band : page.bands) {
        for (const BandItem &item : band.items) {
            const double top = band.top + item.y;
            switch (item.kind) {
            case BandItem::Kind::Text: {
                if (item.text.isEmpty())
                    break;
                const Face &face = FaceFor(item.bold, item.underline);
                if (&face != current) {
                    painter.setFont(face.font);
                    current = &face;
                }
                painter.drawText(QPointF(item.left, top + face.metrics.ascent()), item.text);
                break;
            }
            case BandItem::Kind::Line:
                painter.drawLine(QPointF(item.x, top + 0.5), QPointF(item.x + item.width, top + 0.5));
                break;
            case BandItem::Kind::Picture:
                if (!item.picture.isNull())
                    painter.drawImage(QRectF(item.x, top, item.width, item.width), item.picture);
                break;
            }
        }
    }
    painter.restore();
}

TDevicePainter::~TDevicePainter()
{
    End();
}

bool TDevicePainter::Begin(QPagedPaintDevice *device, int fromPage, int toPage)
{
    m_device = device;
    m_from = fromPage;
    m_to = toPage;
    m_painted = 0;
    m_painter = new QPainter;
    if (!m_painter->begin(device)) {
        delete m_painter;
        m_painter = nullptr;
        return false;
    }
    m_painter->setRenderHint(QPainter::Antialiasing, true);
    m_painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    const double scale = device->logicalDpiX() / kReportDpi;
    m_painter->scale(scale, scale);
    return true;
}

void TDevicePainter::Paint(const ReportPage &page)
{
    if (!m_painter)
        return;
    if ((m_from > 0 && page.number < m_from) || (m_to > 0 && page.number > m_to))
        return;
    if (m_painted > 0)
        m_device->newPage();
    PaintPage(*m_painter, page);
    ++m_painted;
}

bool TDevicePainter::End()
{
    if (!m_painter)
        return false;
    const bool ok = m_painter->end();
    delete m_painter;
    m_painter = nullptr;
    return ok;
}

} // namespace qm::report
