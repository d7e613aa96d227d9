#pragma once

// A small banded report engine: a page header with its child bands, a page
// footer, and a chain of content bands placed once per record in a fixed
// order, each only when enabled for that record. The report answers the
// engine's question whether another record follows and may start a new page
// from there. Pages are laid out one at a time into display lists that the
// painter draws on any paged device, and that tests read back.
//
// Every position is in pixels at 96 per inch from the top left corner of the
// printable area (bands: from their own top left corner).

#include <QFont>
#include <QImage>
#include <QList>
#include <QString>

#include <deque>

class QPainter;
class QPagedPaintDevice;

namespace qm::report {

inline constexpr double kReportDpi = 96.0;

enum class TextAlign { Left, Right };

// One thing a band prints.
struct BandItem
{
    enum class Kind { Text, Line, Picture };
    Kind kind = Kind::Text;
    double x = 0;
    double y = 0;
    // Text: a left-aligned text starts at x, a right-aligned one ends at
    // x + width. Line: its length. Picture: its edge.
    double width = 0;
    QString text;
    TextAlign align = TextAlign::Left;
    bool bold = false;
    bool underline = false;
    // The text wraps within width and the band grows to hold it.
    bool wrap = false;
    QImage picture;

    // Where the text starts, whatever its alignment (for reading back).
    double left = 0;
};

// A band of the report design. Its items are set by the report before it is
// placed; the engine copies them, so the band can be refilled at once.
struct Band
{
    Band(const QString &bandName, double bandHeight) : name(bandName), height(bandHeight) {}

    QString name;
    double height;
    bool enabled = true;
    QList<BandItem> items;

    void Clear() { items.clear(); }
    BandItem &AddText(double x, double y, const QString &text, double width = 0,
                      TextAlign align = TextAlign::Left);
    BandItem &AddLine(double x, double y, double length);
    BandItem &AddPicture(double x, double y, const QImage &picture, double edge = 16);
};

// A band as it was placed on a page.
struct PlacedBand
{
    QString name;
    double top = 0;
    double height = 0;
    // In band coordinates; texts measured (left) and wrapped into lines.
    QList<BandItem> items;
};

struct ReportPage
{
    int number = 0;
    QList<PlacedBand> bands;

    // Bands of the given name, in the order placed.
    QList<const PlacedBand *> Find(const QString &name) const;
};

// What the engine asks of the report while it lays out pages.
class ReportDriver
{
public:
    virtual ~ReportDriver() = default;
    virtual void BeforePrint() = 0;
    // Prepares the next record (enabling its bands); false when none is left.
    virtual bool NeedData() = 0;
    virtual void BeforePageHeader(int pageNumber) = 0;
    virtual void BeforePageFooter(int pageNumber) = 0;
};

class TBandEngine
{
public:
    explicit TBandEngine(ReportDriver &driver);

    void setPageHeader(Band *header, const QList<Band *> &children);
    void setPageFooter(Band *footer) { m_footer = footer; }
    // The content bands in the order they are placed for a record.
    void setDetailChain(const QList<Band *> &bands) { m_chain = bands; }

    // The printable area of the page in report pixels. The band width is
    // the whole pixels of it.
    void setPrintableSize(double width, double height);
    double bandWidth() const { return m_bandWidth; }
    double pageHeight() const { return m_pageHeight; }

    // The report's fonts: the base font, and its bold and underlined forms.
    static QFont BaseFont();
    static QFont FontFor(const BandItem &item);
    static double LineHeight();
    // The longest start of text that fits in width.
    static QString CutToWidth(const QString &text, double width, bool bold = false);
    static double TextWidth(const QString &text, bool bold = false);

    // A run: Start, then NextPage until it returns false.
    void Start();
    bool NextPage(ReportPage &page);
    bool IsFinished() const { return m_finished && m_done.empty(); }
    int pagesLaidOut() const { return m_pageNumber; }

    // From NeedData: the current page ends now and the next one begins, so
    // its header reflects the report's state before the record is prepared.
    void NewPage();

private:
    struct Pending
    {
        PlacedBand band;
        bool splittable = false;
    };

    void BeginPage();
    void EndPage();
    void PlaceHeader();
    Pending Prepare(const Band &band) const;
    void Place(PlacedBand band);
    bool PlacePending();
    static bool Split(Pending &pending, double room, PlacedBand &first);

    ReportDriver &m_driver;
    Band *m_header = nullptr;
    QList<Band *> m_headerChildren;
    Band *m_footer = nullptr;
    QList<Band *> m_chain;
    double m_bandWidth = 718;
    double m_pageHeight = 1046;

    ReportPage m_page;
    bool m_pageOpen = false;
    bool m_pageHasContent = false;
    double m_y = 0;
    double m_contentTop = 0; // below the header and its children
    int m_pageNumber = 0;
    bool m_finished = false;
    std::deque<Pending> m_pending;
    std::deque<ReportPage> m_done;
};

// Draws a laid-out page with the painter's origin at the printable area's
// top left corner and its scale set to report pixels.
void PaintPage(QPainter &painter, const ReportPage &page);

// Paints laid-out pages onto a printer or a PDF writer, one after the
// other; pages outside [fromPage, toPage] are skipped (0 means no limit).
class TDevicePainter
{
public:
    ~TDevicePainter();
    bool Begin(QPagedPaintDevice *device, int fromPage = 0, int toPage = 0);
    void Paint(const ReportPage &page);
    bool End();
    int pagesPainted() const { return m_painted; }

private:
    QPagedPaintDevice *m_device = nullptr;
    QPainter *m_painter = nullptr;
    int m_from = 0;
    int m_to = 0;
    int m_painted = 0;
};

} // namespace qm::report
