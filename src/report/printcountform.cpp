#include "report/printcountform.h"

#include "counting/codes.h"

#include <algorithm>
#include <array>

namespace qm::report {

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kMargin = 10; // mm, all round
// Where the texts of the single-line bands stand below their band's top.
constexpr double kDetailTextTop = 3;
constexpr double kDetailIconTop = 2;
constexpr double kSummaryTextTop = 4;
constexpr double kTotalsTextTop = 6;
// The gap a left-aligned cell keeps before the next cell's text.
constexpr double kCellGap = 8;
// The width given to a right-aligned cell that ends at its position.
constexpr double kRightCellWidth = 100;

struct CellPlace
{
    double x;
    bool right;
};

// Cells 2 to 5 of a summary line by summary mode. The last column of the
// first mode ends where the rules above and below it end, 10 short of the
// band's edge, rather than a few pixels past them.
const std::array<std::array<CellPlace, 4>, 4> kSummaryCells = {{
    {{{250, false}, {425, true}, {575, true}, {708, true}}},
    {{{120, false}, {400, true}, {525, true}, {650, true}}},
    {{{275, true}, {425, true}, {550, true}, {650, true}}},
    {{{150, true}, {300, true}, {400, true}, {500, true}}},
}};

struct CharacteristicsLine
{
    const char *left;
    const char *right;
};

const std::array<CharacteristicsLine, 7> kCharacteristicsLines = {{
    {"Data Communications:", "Online Update:"},
    {"Distributed Data Processing", "Complex Processing:"},
    {"Performance:", "Reusability:"},
    {"Heavily used configuration:", "Installation ease:"},
    {"Transaction rate:", "Operational ease:"},
    {"Online data entry", "Multiple sites:"},
    {"End-user Efficiency", "Facilitate change:"},
}};

QString TransTypeShort(const QString &type)
{
    if (type == code::TransInput)
        return QStringLiteral("EI");
    if (type == code::TransOutput)
        return QStringLiteral("EO");
    if (type == code::TransInquiry)
        return QStringLiteral("EQ");
    return QStringLiteral("GRP");
}

QString ComplexityShort(const QString &complexity)
{
    if (complexity == code::ComplexityNotAssigned)
        return QStringLiteral("Not Assign.");
    if (complexity == code::ComplexityLow)
        return QStringLiteral("Low");
    if (complexity == code::ComplexityAverage)
        return QStringLiteral("Average");
    if (complexity == code::ComplexityHigh)
        return QStringLiteral("High");
    return {};
}

QString ChangeShort(const QString &change)
{
    if (change == code::ChangeAdded)
        return QStringLiteral("Add");
    if (change == code::ChangeModified)
        return QStringLiteral("Modify");
    if (change == code::ChangeDeleted)
        return QStringLiteral("Delete");
    return QStringLiteral("None");
}

QList<QImage> Rendered(const QList<QIcon> &icons)
{
    // Drawn large, so that paper and PDF show them sharp at 16 pixels.
    QList<QImage> images;
    for (const QIcon &icon : icons)
        images << icon.pixmap(QSize(64, 64)).toImage();
    return images;
}

} // namespace

QString SectionName(int reportState)
{
    if (reportState < 50)
        return QStringLiteral("General");
    if (reportState < state::FileDetails)
        return QStringLiteral("Summary");
    if (reportState == state::FileDetails)
        return QStringLiteral("File Details");
    return QStringLiteral("Transaction Details");
}

QPageLayout ReportPageLayout(const QPageSize &paper, QPageLayout::Orientation orientation)
{
    return QPageLayout(paper, orientation, QMarginsF(kMargin, kMargin, kMargin, kMargin), QPageLayout::Millimeter);
}

QSizeF PrintableSize(const QPageLayout &layout)
{
    const QRectF mm = layout.paintRect(QPageLayout::Millimeter);
    return mm.size() * (kReportDpi / kMillimetresPerInch);
}

struct TPrintCountForm::Bands
{
    Band header{QStringLiteral("PageHeader"), 75};
    Band headings{QStringLiteral("ColumnHeadings"), 50};
    Band detail{QStringLiteral("DetailLine"), 20};
    Band spacer{QStringLiteral("Spacer"), 50};
    Band summary{QStringLiteral("SummaryLine"), 22};
    Band totals{QStringLiteral("TotalsLine"), 26};
    Band countHeading{QStringLiteral("CountDetailsHeading"), 30};
    Band description{QStringLiteral("Description"), 30};
    Band system{QStringLiteral("System"), 30};
    Band comments{QStringLiteral("Comments"), 126};
    Band characteristicsHeading{QStringLiteral("CharacteristicsHeading"), 40};
    std::array<Band, 7> characteristics{{
        {QStringLiteral("Characteristics1"), 30},
        {QStringLiteral("Characteristics2"), 30},
        {QStringLiteral("Characteristics3"), 30},
        {QStringLiteral("Characteristics4"), 30},
        {QStringLiteral("Characteristics5"), 30},
        {QStringLiteral("Characteristics6"), 30},
        {QStringLiteral("Characteristics7"), 30},
    }};
    Band vaf{QStringLiteral("VafLine"), 30};
    Band footer{QStringLiteral("PageFooter"), 50};

    QList<Band *> Chain()
    {
        QList<Band *> chain = {&detail, &spacer, &summary, &totals, &countHeading, &description,
                               &system, &comments, &characteristicsHeading};
        for (Band &line : characteristics)
            chain << &line;
        chain << &vaf;
        return chain;
    }
};

TPrintCountForm::TPrintCountForm(CountReportData data, const QPageLayout &layout)
    : m_data(std::move(data)), m_bands(std::make_unique<Bands>()), m_engine(*this)
{
    m_engine.setPageHeader(&m_bands->header, {&m_bands->headings});
    m_engine.setPageFooter(&m_bands->footer);
    m_engine.setDetailChain(m_bands->Chain());
    const QSizeF printable = PrintableSize(layout);
    m_engine.setPrintableSize(printable.width(), printable.height());
}

TPrintCountForm::~TPrintCountForm() = default;

QString TPrintCountForm::ReportTitle() const
{
    return m_data.productName + QStringLiteral(":") + m_data.caption;
}

QList<ReportPage> TPrintCountForm::LayoutAll()
{
    QList<ReportPage> pages;
    m_engine.Start();
    ReportPage page;
    while (m_engine.NextPage(page))
        pages << page;
    return pages;
}

void TPrintCountForm::BeforePrint()
{
    m_reportNode = 0;
    m_summaryRow = 0;
    m_nextReportState = state::CountDetails;
    m_reportState = 0;
    m_newPagePending = false;
    m_spacerPending = false;
    m_descriptionBase = 105;
    m_iconBase = 85;
    m_indentStep = 15;
    m_stateLog.clear();
    m_transImages = Rendered(m_data.transPictures);
    m_fileImages = Rendered(m_data.filePictures);
    LayoutColumns();
}

void TPrintCountForm::LayoutColumns()
{
    // The bands that do not change from record to record.
    const double w = m_engine.bandWidth();
    Bands &b = *m_bands;
    for (Band *band : {&b.countHeading, &b.characteristicsHeading}) {
        band->Clear();
        BandItem &caption =
            band->AddText(32, 8, band == &b.countHeading ? QStringLiteral("Summary:")
                                                          : QStringLiteral("General System  Characteristics"));
        caption.underline = true;
    }
    b.spacer.Clear();
    b.header.Clear();
    b.header.AddLine(10, 64, w - 2 * 10);
    b.footer.Clear();
    b.footer.AddLine(10, 2, w - 2 * 10);
}

void TPrintCountForm::BeforePageHeader(int)
{
    const double w = m_engine.bandWidth();
    const QString mark = m_data.filterActive ? QStringLiteral("Filter On") : QString();
    Band &header = m_bands->header;
    header.items.erase(std::remove_if(header.items.begin(), header.items.end(),
                                      [](const BandItem &item) { return item.kind == BandItem::Kind::Text; }),
                       header.items.end());
    header.AddText(10, 8, TBandEngine::CutToWidth(QStringLiteral("Count:") + m_data.caption, w - 20));
    header.AddText(10, 32, SectionName(m_nextReportState));
    header.AddText(w - 160, 32, mark, 112, TextAlign::Right).bold = true;

    Band &headings = m_bands->headings;
    headings.Clear();
    const bool details = m_nextReportState >= state::FileDetails;
    const QStringList captions = {QStringLiteral("Id"),         QStringLiteral("Description"),
                                  QStringLiteral("Type"),       QStringLiteral("Complexity"),
                                  QStringLiteral("Change"),     QStringLiteral("FP")};
    const double xs[] = {0, m_descriptionBase, w - 220, w - 180, w - 90, w - 30};
    for (int i = 0; i < captions.size(); ++i)
        headings.AddText(xs[i], 8, details ? captions[i] : QString()).underline = true;
}

void TPrintCountForm::BeforePageFooter(int pageNumber)
{
    const double w = m_engine.bandWidth();
    Band &footer = m_bands->footer;
    footer.Clear();
    footer.AddLine(10, 2, w - 2 * 10);
    footer.AddText(10, 16, QStringLiteral("Page No:"));
    footer.AddText(80, 16, QString::number(pageNumber));
    // Ends where the header's mark ends, so the two line up on the page.
    footer.AddText(w - 160, 16, m_data.filterActive ? QStringLiteral("Filter On") : QString(), 112, TextAlign::Right)
        .bold = true;
}

void TPrintCountForm::EnableFor(int reportState)
{
    Bands &b = *m_bands;
    for (Band *band : b.Chain())
        band->enabled = false;
    switch (reportState) {
    case state::CountDetails:
        for (Band *band : {&b.countHeading, &b.description, &b.system, &b.comments})
            band->enabled = true;
        break;
    case state::Characteristics:
        b.characteristicsHeading.enabled = true;
        for (Band &line : b.characteristics)
            line.enabled = true;
        b.vaf.enabled = true;
        break;
    case state::SummaryCaptions:
    case state::SummaryRows:
        b.summary.enabled = true;
        break;
    case state::TotalsHeading:
    case state::TotalsAddedChanged:
    case state::TotalsDeleted:
    case state::TotalsOverall:
        b.totals.enabled = true;
        break;
    case state::FileDetails:
    case state::TransDetails:
        b.detail.enabled = true;
        break;
    default:
        break;
    }
    if (m_spacerPending) {
        b.spacer.enabled = true;
        m_spacerPending = false;
    }
}

bool TPrintCountForm::NeedData()
{
    m_reportState = m_nextReportState;
    m_stateLog << m_reportState;
    if (m_newPagePending) {
        m_newPagePending = false;
        m_engine.NewPage();
    }
    EnableFor(m_reportState);
    if (m_reportState == state::End)
        return false;
    PrepareRecord();
    return true;
}

void TPrintCountForm::PrepareRecord()
{
    switch (m_reportState) {
    case state::CountDetails:
        PrepareCountDetails();
        m_nextReportState = state::Characteristics;
        break;
    case state::Characteristics:
        PrepareCharacteristics();
        m_nextReportState = state::SummaryCaptions;
        m_newPagePending = true;
        break;
    case state::SummaryCaptions:
    case state::SummaryRows:
        PrepareSummaryRecord();
        break;
    case state::TotalsHeading:
    case state::TotalsAddedChanged:
    case state::TotalsDeleted:
    case state::TotalsOverall:
        PrepareTotalsRecord();
        break;
    case state::FileDetails:
    case state::TransDetails:
        PrepareDetailRecord();
        break;
    default:
        m_nextReportState = state::End;
        break;
    }
}

void TPrintCountForm::PrepareSummaryRecord()
{
    const bool captions = m_reportState == state::SummaryCaptions;
    if (captions) {
        PrepareSummaryLine(m_data.summaryCaptions, true);
        m_summaryRow = 0;
    } else {
        PrepareSummaryLine(m_data.summaryRows.value(m_summaryRow), false);
        ++m_summaryRow;
    }
    if (m_summaryRow < m_data.summaryRows.size()) {
        m_nextReportState = state::SummaryRows;
    } else {
        m_nextReportState = state::TotalsHeading;
        m_spacerPending = true;
    }
}

void TPrintCountForm::PrepareTotalsRecord()
{
    const ReportTotals &t = m_data.totals;
    switch (m_reportState) {
    case state::TotalsHeading:
        PrepareTotalsLine({QStringLiteral("Totals:"), {}, {}, {}, {}}, true);
        m_nextReportState = state::TotalsAddedChanged;
        break;
    case state::TotalsAddedChanged:
        PrepareTotalsLine({QStringLiteral("Total Added and Changed (After):"), t.unadjustedAddedChanged,
                           QStringLiteral("x VAF (After):"), t.vafAfter, t.adjustedAddedChanged},
                          false);
        m_nextReportState = state::TotalsDeleted;
        break;
    case state::TotalsDeleted:
        PrepareTotalsLine({QStringLiteral("Total Deleted:"), t.unadjustedDeleted, QStringLiteral("x VAF (Before):"),
                           t.vafBefore, t.adjustedDeleted},
                          false);
        m_nextReportState = state::TotalsOverall;
        break;
    default:
        PrepareTotalsLine({QStringLiteral("Total Unadjusted FPs:"), t.unadjustedTotal,
                           QStringLiteral("Total Adjusted FPs"), QStringLiteral(" "), t.adjustedTotal},
                          false);
        m_nextReportState = state::FileDetails;
        m_newPagePending = true;
        m_reportNode = 0;
        break;
    }
}

void TPrintCountForm::PrepareDetailRecord()
{
    const bool files = m_reportState == state::FileDetails;
    const QList<ReportNode> &nodes = files ? m_data.files : m_data.transactions;
    // An empty tree still prints its one blank line.
    PrepareDetailLine(m_reportNode < nodes.size() ? &nodes[m_reportNode] : nullptr, files);
    ++m_reportNode;
    if (m_reportNode < nodes.size())
        return;
    if (files) {
        m_nextReportState = state::TransDetails;
        m_newPagePending = true;
        m_reportNode = 0;
    } else {
        m_nextReportState = state::End;
    }
}

void TPrintCountForm::PrepareCountDetails()
{
    const double w = m_engine.bandWidth();
    Bands &b = *m_bands;
    const auto labelled = [w](Band &band, const QString &caption, const QString &value) {
        band.Clear();
        band.AddText(32, 8, caption);
        band.AddText(150, 8, TBandEngine::CutToWidth(value, w - 150 - 10));
    };
    labelled(b.description, QStringLiteral("Description:"), m_data.description);
    labelled(b.system, QStringLiteral("System:"), m_data.system);
    b.comments.Clear();
    b.comments.AddText(32, 8, QStringLiteral("Comments:"));
    BandItem &notes = b.comments.AddText(150, 5, m_data.comments.join(QLatin1Char('\n')), w - 150 - 10);
    notes.wrap = true;
}

void TPrintCountForm::PrepareCharacteristics()
{
    Bands &b = *m_bands;
    const Characteristics &values = m_data.characteristics;
    for (int i = 0; i < int(kCharacteristicsLines.size()); ++i) {
        Band &line = b.characteristics[i];
        line.Clear();
        line.AddText(32, 8, QString::fromLatin1(kCharacteristicsLines[i].left));
        line.AddText(251 - kRightCellWidth, 8, QString::number(values[i]), kRightCellWidth, TextAlign::Right);
        line.AddText(304, 8, QString::fromLatin1(kCharacteristicsLines[i].right));
        const double rightEnd = i < 2 ? 527 : 528;
        line.AddText(rightEnd - kRightCellWidth, 8, QString::number(values[i + 7]), kRightCellWidth,
                     TextAlign::Right);
    }
    b.vaf.Clear();
    b.vaf.AddText(32, 8, QStringLiteral("VAF:"));
    const double vaf = ValueAdjustmentFactor(m_data.storedCharacteristics);
    b.vaf.AddText(233 - kRightCellWidth, 8, QString::number(vaf, 'f', 2), kRightCellWidth, TextAlign::Right);
}

void TPrintCountForm::PrepareSummaryLine(const QStringList &row, bool underlined)
{
    Band &band = m_bands->summary;
    band.Clear();
    const auto &places = kSummaryCells[std::clamp(m_data.summaryMode, 0, 3)];
    // As many cells as the list has columns, at most five.
    QStringList cells = row.mid(0, 5);
    while (cells.size() < 5)
        cells << QString();
    // Where each cell's text starts, so a left-aligned one is cut before it.
    QList<double> starts = {10};
    for (int i = 0; i < 4; ++i)
        starts << (places[i].right ? places[i].x - TBandEngine::TextWidth(cells[i + 1]) : places[i].x);
    for (int i = 0; i < 5; ++i) {
        const bool right = i > 0 && places[i - 1].right;
        const double x = i == 0 ? 10 : places[i - 1].x;
        QString text = cells[i];
        if (!right && i < 4)
            text = TBandEngine::CutToWidth(text, starts[i + 1] - kCellGap - x);
        BandItem &item = right ? band.AddText(x - kRightCellWidth, kSummaryTextTop, text, kRightCellWidth,
                                              TextAlign::Right)
                               : band.AddText(x, kSummaryTextTop, text);
        item.underline = underlined;
    }
}

void TPrintCountForm::PrepareTotalsLine(const QStringList &cells, bool underlined)
{
    Band &band = m_bands->totals;
    band.Clear();
    const double xs[] = {10, 240, 325, 500, 600};
    for (int i = 0; i < 5; ++i) {
        const double room = i < 4 ? xs[i + 1] - kCellGap - xs[i] : m_engine.bandWidth() - xs[i];
        band.AddText(xs[i], kTotalsTextTop, TBandEngine::CutToWidth(cells.value(i), room)).underline = underlined;
    }
}

QImage TPrintCountForm::Picture(const ReportNode &node, bool files) const
{
    int index = 0;
    bool group = false;
    if (files) {
        index = node.type == code::FileInternal ? 0 : 1;
    } else if (node.type == code::TransInput) {
        index = 0;
    } else if (node.type == code::TransOutput) {
        index = 1;
    } else if (node.type == code::TransInquiry) {
        index = 2;
    } else {
        index = 3;
        group = true;
    }
    const bool unchanged = m_data.countType == code::CountEnhancement
                           && (group ? node.value == 0 : node.changeType == code::ChangeNone);
    const QList<QImage> &images = files ? m_fileImages : m_transImages;
    return images.value(unchanged ? index + (files ? 2 : 4) : index);
}

void TPrintCountForm::PrepareDetailLine(const ReportNode *node, bool files)
{
    const double w = m_engine.bandWidth();
    Band &band = m_bands->detail;
    band.Clear();
    if (!node)
        return;
    const double typeX = w - 220;
    const double descriptionX = m_descriptionBase + m_indentStep * node->depth;
    const bool group = !files && node->type != code::TransInput && node->type != code::TransOutput
                       && node->type != code::TransInquiry;
    band.AddText(0, kDetailTextTop, files ? FileTagText(node->tag) : TransTagText(node->tag));
    band.AddPicture(m_iconBase + m_indentStep * node->depth, kDetailIconTop, Picture(*node, files));
    band.AddText(descriptionX, kDetailTextTop,
                 TBandEngine::CutToWidth(node->description, typeX - 10 - descriptionX));
    band.AddText(typeX, kDetailTextTop,
                 files ? (node->type == code::FileInternal ? QStringLiteral("ILF") : QStringLiteral("EIF"))
                       : TransTypeShort(node->type));
    band.AddText(w - 180, kDetailTextTop, group ? QString() : ComplexityShort(node->complexity));
    band.AddText(w - 90, kDetailTextTop, group ? QString() : ChangeShort(node->changeType));
    band.AddText(w - 30, kDetailTextTop, QString::number(node->value));
}

} // namespace qm::report
