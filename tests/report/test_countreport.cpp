// The count report laid out without any window: the sequence of records and
// page breaks, where every band and text stands, and what is printed for the
// awkward counts (empty trees, empty summary, enhancement groups, filter).

#include "report/printcountform.h"
#include "report/reportrun.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;
using namespace qm::report;

namespace {

constexpr double kW = 718;

Characteristics AllOf(int value)
{
    Characteristics c;
    c.fill(value);
    return c;
}

CountReportData SmallCount()
{
    CountReportData d;
    d.caption = QStringLiteral("Quillmark - C00000003:Payroll");
    d.countType = QStringLiteral("B");
    d.description = QStringLiteral("Payroll");
    d.system = QStringLiteral("PAY");
    d.comments = {QStringLiteral("First line"), QStringLiteral("Second line")};
    d.characteristics = AllOf(3);
    d.storedCharacteristics = AllOf(3);
    d.summaryMode = 0;
    d.summaryCaptions = {"Type", "Change Type", "Count", "UnAdjusted FP", "Adjusted FP"};
    d.summaryRows = {{"Transactions - External Input", "Add", "2", "8", "8.6"},
                     {"Files - Internal Logical File", "Add", "1", "10", "10.7"}};
    d.totals = {"18", "19", "0", "0", "18", "19", "1.07", "1.00"};
    d.files = {{1, 0, "Employee master", "I", "2", "A", 10}, {2, 0, "Tax tables", "E", "1", "A", 5}};
    d.transactions = {{1, 0, "Employees", "G", "0", "A", 8},
                      {2, 1, "Add employee", "I", "2", "A", 4},
                      {3, 1, "Change employee", "I", "2", "A", 4}};
    return d;
}

const BandItem *TextItem(const PlacedBand *band, const QString &text)
{
    if (!band)
        return nullptr;
    for (const BandItem &item : band->items)
        if (item.kind == BandItem::Kind::Text && item.text == text)
            return &item;
    return nullptr;
}

const PlacedBand *First(const ReportPage &page, const QString &name)
{
    const QList<const PlacedBand *> found = page.Find(name);
    return found.isEmpty() ? nullptr : found.first();
}

QStringList BandNames(const ReportPage &page)
{
    QStringList names;
    for (const PlacedBand &band : page.bands)
        names << band.name;
    return names;
}

QString Section(const ReportPage &page)
{
    const PlacedBand *header = First(page, "PageHeader");
    for (const BandItem &item : header->items)
        if (item.kind == BandItem::Kind::Text && item.y == 32 && item.x == 10)
            return item.text;
    return {};
}

// The texts of a band in the order they were added.
QStringList Texts(const PlacedBand *band)
{
    QStringList texts;
    for (const BandItem &item : band->items)
        if (item.kind == BandItem::Kind::Text)
            texts << item.text;
    return texts;
}

QIcon Solid(QColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

class TestCountReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void arialIsLiberationSans();
    void pageOfA4();
    void statesAndPageBreaks();
    void generalBands();
    void detailLines_data();
    void detailLines();
    void summaryLines_data();
    void summaryLines();
    void emptySummaryGoesStraightToTotals();
    void emptyTrees_data();
    void emptyTrees();
    void enhancementPictures();
    void filterMarkOnEveryPage();
    void heldValuesAndStoredVaf_data();
    void heldValuesAndStoredVaf();
    void fullPageRepeatsHeader();
    void breakInsideCharacteristicsNamesSummary();
    void commentsLongerThanAPage();
    void paintsOnImageAndPdf();
    void runsFromTheEventLoop();
    void cancelStopsTheRun();
};

void TestCountReport::initTestCase()
{
    QVERIFY2(QFontInfo(TBandEngine::BaseFont()).family() != QString(), "no font installed");
}

void TestCountReport::arialIsLiberationSans()
{
    // Metric-compatible with Arial, so the layout wraps as designed.
    QCOMPARE(QFontInfo(TBandEngine::BaseFont()).family(), QStringLiteral("Liberation Sans"));
    QCOMPARE(QFontInfo(TBandEngine::BaseFont()).pixelSize(), 13);
}

void TestCountReport::pageOfA4()
{
    const QSizeF printable = PrintableSize(ReportPageLayout());
    TPrintCountForm form(SmallCount());
    QCOMPARE(form.engine().bandWidth(), kW);
    QVERIFY(qAbs(printable.height() - 277 / 25.4 * 96) < 0.01);
    QCOMPARE(form.ReportTitle(), QStringLiteral("Quillmark:Quillmark - C00000003:Payroll"));
}

void TestCountReport::statesAndPageBreaks()
{
    TPrintCountForm form(SmallCount());
    const QList<ReportPage> pages = form.LayoutAll();
    const QList<int> states = {10, 20, 300, 400, 400, 500, 600, 700, 800, 1000, 1000, 1500, 1500, 1500, 9999};
    QCOMPARE(form.StateLog(), states);
    QCOMPARE(pages.size(), 4);
    const QStringList sections = {"General", "Summary", "File Details", "Transaction Details"};
    for (int i = 0; i < pages.size(); ++i) {
        QCOMPARE(pages[i].number, i + 1);
        QCOMPARE(Section(pages[i]), sections[i]);
        // Column headings only over the detail sections.
        const QStringList headings = Texts(First(pages[i], "ColumnHeadings"));
        QCOMPARE(headings.join("|"), i < 2 ? QString("|||||") : QString("Id|Description|Type|Complexity|Change|FP"));
        QVERIFY(TextItem(First(pages[i], "PageFooter"), QString::number(i + 1)));
    }
    QCOMPARE(BandNames(pages[0]),
             QStringList({"PageHeader", "ColumnHeadings", "CountDetailsHeading", "Description", "System", "Comments",
                          "CharacteristicsHeading", "Characteristics1", "Characteristics2", "Characteristics3",
                          "Characteristics4", "Characteristics5", "Characteristics6", "Characteristics7", "VafLine",
                          "PageFooter"}));
    QCOMPARE(BandNames(pages[1]), QStringList({"PageHeader", "ColumnHeadings", "SummaryLine", "SummaryLine",
                                               "SummaryLine", "Spacer", "TotalsLine", "TotalsLine", "TotalsLine",
                                               "TotalsLine", "PageFooter"}));
    QCOMPARE(pages[2].Find("DetailLine").size(), 2);
    QCOMPARE(pages[3].Find("DetailLine").size(), 3);
}

void TestCountReport::generalBands()
{
    TPrintCountForm form(SmallCount());
    const ReportPage page = form.LayoutAll().first();
    const PlacedBand *header = First(page, "PageHeader");
    QCOMPARE(header->top, 0.0);
    QCOMPARE(header->height, 75.0);
    const BandItem *title = TextItem(header, "Count:Quillmark - C00000003:Payroll");
    QVERIFY(title);
    QCOMPARE(QPointF(title->left, title->y), QPointF(10, 8));
    const BandItem &rule = *std::find_if(header->items.begin(), header->items.end(),
                                         [](const BandItem &i) { return i.kind == BandItem::Kind::Line; });
    QCOMPARE(QRectF(rule.x, rule.y, rule.width, 0), QRectF(10, 64, kW - 20, 0));
    QCOMPARE(First(page, "ColumnHeadings")->top, 75.0);

    // Bands follow one another from below the headings.
    const QList<std::pair<QString, double>> tops = {
        {"CountDetailsHeading", 125}, {"Description", 155},  {"System", 185},
        {"Comments", 215},            {"CharacteristicsHeading", 341}, {"Characteristics1", 381},
        {"Characteristics7", 561},    {"VafLine", 591}};
    for (const auto &[name, top] : tops)
        QCOMPARE(First(page, name)->top, top);

    QCOMPARE(TextItem(First(page, "CountDetailsHeading"), "Summary:")->underline, true);
    QCOMPARE(TextItem(First(page, "Description"), "Payroll")->left, 150.0);
    QCOMPARE(TextItem(First(page, "System"), "PAY")->y, 8.0);
    const BandItem *comment = TextItem(First(page, "Comments"), "Second line");
    QCOMPARE(QPointF(comment->left, comment->y), QPointF(150, 5 + TBandEngine::LineHeight()));
    QVERIFY(TextItem(First(page, "CharacteristicsHeading"), "General System  Characteristics")->underline);

    // Values end where their column ends; line 1 and 2 a pixel earlier.
    for (int line = 1; line <= 7; ++line) {
        const PlacedBand *band = First(page, QString("Characteristics%1").arg(line));
        const QList<BandItem> &items = band->items;
        QCOMPARE(items[0].left, 32.0);
        QCOMPARE(items[1].x + items[1].width, 251.0);
        QCOMPARE(items[2].left, 304.0);
        QCOMPARE(items[3].x + items[3].width, line <= 2 ? 527.0 : 528.0);
        QCOMPARE(items[1].text, QString("3"));
    }
    QCOMPARE(Texts(First(page, "Characteristics4"))[0], QString("Heavily used configuration:"));
    const BandItem *vaf = TextItem(First(page, "VafLine"), "1.07");
    QVERIFY(vaf);
    QVERIFY(qAbs(vaf->left + TBandEngine::TextWidth("1.07") - 233) < 0.01);

    const PlacedBand *footer = First(page, "PageFooter");
    QCOMPARE(footer->top + footer->height, form.engine().pageHeight());
    QCOMPARE(TextItem(footer, "Page No:")->left, 10.0);
    QCOMPARE(TextItem(footer, "1")->left, 80.0);
    QCOMPARE(TextItem(footer, "1")->y, 16.0);
}

void TestCountReport::detailLines_data()
{
    QTest::addColumn<bool>("files");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("complexity");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("internal file") << true << 0 << "I" << "2" << "A"
                                   << QStringList{"F00000007", "Item", "ILF", "Average", "Add", "9"};
    QTest::newRow("external file") << true << 0 << "E" << "0" << "N"
                                   << QStringList{"F00000007", "Item", "EIF", "Not Assign.", "None", "9"};
    QTest::newRow("input, depth 1") << false << 1 << "I" << "1" << "M"
                                    << QStringList{"T00000007", "Item", "EI", "Low", "Modify", "9"};
    QTest::newRow("output, depth 2") << false << 2 << "O" << "3" << "D"
                                     << QStringList{"T00000007", "Item", "EO", "High", "Delete", "9"};
    QTest::newRow("inquiry, depth 3") << false << 3 << "Q" << "x" << "?"
                                      << QStringList{"T00000007", "Item", "EQ", "", "None", "9"};
    QTest::newRow("group") << false << 1 << "G" << "2" << "A"
                           << QStringList{"T00000007", "Item", "GRP", "", "", "9"};
}

void TestCountReport::detailLines()
{
    QFETCH(bool, files);
    QFETCH(int, depth);
    QFETCH(QString, type);
    QFETCH(QString, complexity);
    QFETCH(QString, change);
    QFETCH(QStringList, texts);

    CountReportData d = SmallCount();
    const ReportNode node{7, depth, "Item", type, complexity, change, 9};
    (files ? d.files : d.transactions) = {node};
    TPrintCountForm form(d);
    const QList<ReportPage> pages = form.LayoutAll();
    const PlacedBand *line = First(pages[files ? 2 : 3], "DetailLine");
    QCOMPARE(Texts(line), texts);
    const QList<double> lefts = {0, 105.0 + 15 * depth, kW - 220, kW - 180, kW - 90, kW - 30};
    QList<double> seen;
    for (const BandItem &item : line->items)
        if (item.kind == BandItem::Kind::Text)
            seen << item.left;
    QCOMPARE(seen, lefts);
    const auto picture = std::find_if(line->items.begin(), line->items.end(),
                                      [](const BandItem &i) { return i.kind == BandItem::Kind::Picture; });
    QCOMPARE(picture->x, 85.0 + 15 * depth);
    if (depth == 3) {
        QCOMPARE(picture->x, 130.0);
        QCOMPARE(lefts[1], 150.0);
    }
}

void TestCountReport::summaryLines_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("row");
    // Per cell: where it starts (left-aligned) or ends (right-aligned);
    // a negative number marks an end.
    QTest::addColumn<QList<double>>("anchors");

    QTest::newRow("type / change type") << 0 << QStringList{"Files - External Interface File", "Add", "1", "5", "5.3"}
                                        << QList<double>{10, 250, -425, -575, -708};
    QTest::newRow("breakdown") << 1 << QStringList{"Trans.", "Payroll run", "4", "21", "22.4"}
                               << QList<double>{10, 120, -400, -525, -650};
    QTest::newRow("type") << 2 << QStringList{"Transactions - External Input", "4", "17", "18.1"}
                          << QList<double>{10, -275, -425, -550, -650};
    QTest::newRow("change type") << 3 << QStringList{"Add", "16", "70", "74.9"}
                                 << QList<double>{10, -150, -300, -400, -500};
}

void TestCountReport::summaryLines()
{
    QFETCH(int, mode);
    QFETCH(QStringList, row);
    QFETCH(QList<double>, anchors);

    CountReportData d = SmallCount();
    d.summaryMode = mode;
    d.summaryCaptions = QStringList(row.size(), "Caption");
    d.summaryRows = {row};
    TPrintCountForm form(d);
    const QList<ReportPage> pages = form.LayoutAll();
    const QList<const PlacedBand *> lines = pages[1].Find("SummaryLine");
    QCOMPARE(lines.size(), 2);
    const QList<BandItem> &items = lines[1]->items;
    QCOMPARE(items.size(), 5);
    QStringList expected = row;
    // A list of four columns leaves the fifth cell empty.
    while (expected.size() < 5)
        expected << QString();
    QCOMPARE(Texts(lines[1]), expected);
    for (int i = 0; i < 5; ++i) {
        if (anchors[i] >= 0)
            QCOMPARE(items[i].left, anchors[i]);
        else if (!items[i].text.isEmpty())
            QVERIFY2(qAbs(items[i].left + TBandEngine::TextWidth(items[i].text) + anchors[i]) < 0.01,
                     qPrintable(items[i].text));
        QVERIFY(!items[i].underline);
        QVERIFY(lines[0]->items[i].underline);
    }
}

void TestCountReport::emptySummaryGoesStraightToTotals()
{
    CountReportData d = SmallCount();
    d.summaryRows.clear();
    TPrintCountForm form(d);
    const QList<ReportPage> pages = form.LayoutAll();
    QCOMPARE(form.StateLog().mid(2, 3), QList<int>({300, 500, 600}));
    QCOMPARE(BandNames(pages[1]).mid(2, 3), QStringList({"SummaryLine", "Spacer", "TotalsLine"}));
    const QList<const PlacedBand *> totals = pages[1].Find("TotalsLine");
    QCOMPARE(Texts(totals[0]), QStringList({"Totals:", "", "", "", ""}));
    QVERIFY(totals[0]->items[0].underline);
    QCOMPARE(Texts(totals[1]),
             QStringList({"Total Added and Changed (After):", "18", "x VAF (After):", "1.07", "19"}));
    QCOMPARE(Texts(totals[2]), QStringList({"Total Deleted:", "0", "x VAF (Before):", "1.00", "0"}));
    QCOMPARE(Texts(totals[3]), QStringList({"Total Unadjusted FPs:", "18", "Total Adjusted FPs", " ", "19"}));
    QList<double> lefts;
    for (const BandItem &item : totals[1]->items)
        lefts << item.left;
    QCOMPARE(lefts, QList<double>({10, 240, 325, 500, 600}));
}

void TestCountReport::emptyTrees_data()
{
    QTest::addColumn<bool>("noFiles");
    QTest::newRow("no files") << true;
    QTest::newRow("no transactions") << false;
}

void TestCountReport::emptyTrees()
{
    QFETCH(bool, noFiles);
    CountReportData d = SmallCount();
    (noFiles ? d.files : d.transactions).clear();
    TPrintCountForm form(d);
    const QList<ReportPage> pages = form.LayoutAll();
    QCOMPARE(pages.size(), 4);
    const ReportPage &empty = pages[noFiles ? 2 : 3];
    QCOMPARE(Section(empty), noFiles ? QString("File Details") : QString("Transaction Details"));
    const QList<const PlacedBand *> lines = empty.Find("DetailLine");
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines[0]->items.isEmpty());
    QCOMPARE(lines[0]->height, 20.0);
    QCOMPARE(Section(pages[3]), QString("Transaction Details"));
    QCOMPARE(form.StateLog().count(noFiles ? 1000 : 1500), 1);
}

void TestCountReport::enhancementPictures()
{
    CountReportData d = SmallCount();
    d.countType = "E";
    for (const QColor c : {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::darkRed, Qt::darkGreen, Qt::darkBlue,
                            Qt::darkYellow})
        d.transPictures << Solid(c);
    for (const QColor c : {Qt::cyan, Qt::magenta, Qt::darkCyan, Qt::darkMagenta})
        d.filePictures << Solid(c);
    // A group whose children are all unchanged holds 0.
    d.transactions = {{1, 0, "Old group", "G", "0", "A", 0},
                      {2, 1, "Kept input", "I", "2", "N", 0},
                      {3, 0, "Live group", "G", "0", "A", 4},
                      {4, 1, "Changed input", "I", "2", "M", 4}};
    d.files = {{1, 0, "Kept file", "I", "1", "N", 0}, {2, 0, "New file", "E", "1", "A", 5}};
    TPrintCountForm form(d);
    const QList<ReportPage> pages = form.LayoutAll();
    const auto colourOf = [](const PlacedBand *line) {
        for (const BandItem &item : line->items)
            if (item.kind == BandItem::Kind::Picture)
                return QColor(item.picture.pixel(8, 8));
        return QColor();
    };
    const QList<const PlacedBand *> trans = pages[3].Find("DetailLine");
    QCOMPARE(colourOf(trans[0]), QColor(Qt::darkYellow));
    QCOMPARE(Texts(trans[0]).last(), QString("0"));
    QCOMPARE(colourOf(trans[1]), QColor(Qt::darkRed));
    QCOMPARE(Texts(trans[1]).last(), QString("0"));
    QCOMPARE(colourOf(trans[2]), QColor(Qt::yellow));
    QCOMPARE(colourOf(trans[3]), QColor(Qt::red));
    const QList<const PlacedBand *> files = pages[2].Find("DetailLine");
    QCOMPARE(colourOf(files[0]), QColor(Qt::darkCyan));
    QCOMPARE(colourOf(files[1]), QColor(Qt::magenta));

    // A base count never uses the unchanged pictures.
    d.countType = "B";
    TPrintCountForm base(d);
    QCOMPARE(colourOf(base.LayoutAll()[3].Find("DetailLine")[0]), QColor(Qt::yellow));
}

void TestCountReport::filterMarkOnEveryPage()
{
    CountReportData d = SmallCount();
    d.filterActive = true;
    for (int i = 0; i < 60; ++i)
        d.files << ReportNode{100 + i, 0, "More", "I", "1", "A", 7};
    TPrintCountForm form(d);
    const QList<ReportPage> pages = form.LayoutAll();
    QCOMPARE(pages.size(), 5);
    for (const ReportPage &page : pages) {
        const BandItem *top = TextItem(First(page, "PageHeader"), "Filter On");
        const BandItem *bottom = TextItem(First(page, "PageFooter"), "Filter On");
        QVERIFY(top && bottom);
        QVERIFY(top->bold && bottom->bold);
        QCOMPARE(QPointF(top->x + top->width, top->y), QPointF(kW - 160 + 112, 32));
        QCOMPARE(QPointF(bottom->x + bottom->width, bottom->y), QPointF(kW - 160 + 112, 16));
    }
    d.filterActive = false;
    TPrintCountForm plain(d);
    QVERIFY(!TextItem(First(plain.LayoutAll()[0], "PageHeader"), "Filter On"));
}

void TestCountReport::heldValuesAndStoredVaf_data()
{
    QTest::addColumn<int>("held");
    QTest::addColumn<Characteristics>("stored");
    QTest::addColumn<QString>("vaf");
    QTest::newRow("all 3 stored") << 5 << AllOf(3) << "1.07";
    Characteristics fortyFive = AllOf(3);
    fortyFive[0] = 4;
    fortyFive[1] = 4;
    fortyFive[2] = 4;
    QTest::newRow("summing to 45") << 0 << fortyFive << "1.10";
    QTest::newRow("all 0") << 4 << AllOf(0) << "0.65";
}

void TestCountReport::heldValuesAndStoredVaf()
{
    QFETCH(int, held);
    QFETCH(Characteristics, stored);
    QFETCH(QString, vaf);
    CountReportData d = SmallCount();
    d.characteristics = AllOf(held);
    d.storedCharacteristics = stored;
    d.description = "Renamed, not yet stored";
    d.totals.vafAfter = "1.1";
    TPrintCountForm form(d);
    const QList<ReportPage> pages = form.LayoutAll();
    for (int line = 1; line <= 7; ++line) {
        const QStringList texts = Texts(First(pages[0], QString("Characteristics%1").arg(line)));
        QCOMPARE(texts[1], QString::number(held));
        QCOMPARE(texts[3], QString::number(held));
    }
    QCOMPARE(Texts(First(pages[0], "VafLine")), QStringList({"VAF:", vaf}));
    QCOMPARE(Texts(First(pages[0], "Description"))[1], d.description);
    // The totals copy the text the count page shows.
    QCOMPARE(Texts(pages[1].Find("TotalsLine")[1])[3], QString("1.1"));
}

void TestCountReport::fullPageRepeatsHeader()
{
    CountReportData d = SmallCount();
    d.transactions.clear();
    for (int i = 0; i < 100; ++i)
        d.transactions << ReportNode{i + 1, 0, QString("Trans %1").arg(i + 1), "I", "1", "A", 3};
    TPrintCountForm form(d);
    const QList<ReportPage> pages = form.LayoutAll();
    // 871 pixels between headings and footer hold 43 lines of 20.
    QCOMPARE(pages.size(), 6);
    int lines = 0;
    for (int p = 3; p < pages.size(); ++p) {
        QCOMPARE(Section(pages[p]), QString("Transaction Details"));
        QCOMPARE(Texts(First(pages[p], "ColumnHeadings")).first(), QString("Id"));
        const QList<const PlacedBand *> details = pages[p].Find("DetailLine");
        QVERIFY(details.last()->top + 20 <= First(pages[p], "PageFooter")->top);
        QCOMPARE(details.first()->top, 125.0);
        lines += details.size();
    }
    QCOMPARE(pages[3].Find("DetailLine").size(), 43);
    QCOMPARE(lines, 100);
    QCOMPARE(Texts(pages[5].Find("DetailLine").last()).first(), QString("T00000100"));
}

void TestCountReport::breakInsideCharacteristicsNamesSummary()
{
    // Comments long enough to push the characteristics lines over the page.
    CountReportData d = SmallCount();
    d.comments.clear();
    for (int i = 0; i < 42; ++i)
        d.comments << QString("Note %1").arg(i + 1);
    TPrintCountForm form(d);
    const QList<ReportPage> pages = form.LayoutAll();
    QVERIFY(pages[0].Find("VafLine").isEmpty());
    QVERIFY(!pages[0].Find("Characteristics1").isEmpty());
    QCOMPARE(Section(pages[1]), QString("Summary"));
    QVERIFY(!pages[1].Find("VafLine").isEmpty());
    // The summary still starts a page of its own.
    QCOMPARE(Section(pages[2]), QString("Summary"));
    QCOMPARE(BandNames(pages[2])[2], QString("SummaryLine"));
}

void TestCountReport::commentsLongerThanAPage()
{
    CountReportData d = SmallCount();
    d.comments.clear();
    for (int i = 0; i < 150; ++i)
        d.comments << QString("Remark %1").arg(i + 1);
    TPrintCountForm form(d);
    const QList<ReportPage> pages = form.LayoutAll();
    QStringList printed;
    for (const ReportPage &page : pages)
        for (const PlacedBand *band : page.Find("Comments")) {
            QVERIFY(band->top + band->height <= First(page, "PageFooter")->top + 0.01);
            for (const BandItem &item : band->items)
                if (item.text.startsWith("Remark"))
                    printed << item.text;
        }
    QCOMPARE(printed, d.comments);
    QVERIFY(pages.size() >= 6);
}

void TestCountReport::paintsOnImageAndPdf()
{
    TPrintCountForm form(SmallCount());
    const QList<ReportPage> pages = form.LayoutAll();
    QImage image(int(kW), 1047, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PaintPage(painter, pages[0]);
    }
    // The header rule spans from 10 to w - 10 at y 64, and nothing is drawn
    // right of it.
    QVERIFY(qGray(image.pixel(12, 64)) < 128);
    QVERIFY(qGray(image.pixel(int(kW) - 12, 64)) < 128);
    QCOMPARE(qGray(image.pixel(int(kW) - 4, 64)), 255);

    QTemporaryDir dir;
    QPdfWriter pdf(dir.filePath("report.pdf"));
    pdf.setPageLayout(ReportPageLayout());
    TDevicePainter device;
    QVERIFY(device.Begin(&pdf, 2, 3));
    for (const ReportPage &page : pages)
        device.Paint(page);
    QVERIFY(device.End());
    QCOMPARE(device.pagesPainted(), 2);
    QVERIFY(QFileInfo(dir.filePath("report.pdf")).size() > 1000);

    // An awkward count as a whole PDF, to be looked at when asked for.
    CountReportData d = SmallCount();
    d.filterActive = true;
    d.countType = "E";
    d.summaryMode = 1;
    d.summaryCaptions = {"Type", "Description", "Count", "UnAdjusted FP", "Adjusted FP"};
    d.summaryRows = {{"Trans. - EQ", QString(60, QLatin1Char('W')), "12345", "99999", "106998.9"}};
    d.comments = {QString("A long remark that goes on and on, ").repeated(12), "", "Last line"};
    for (int depth = 0; depth < 4; ++depth)
        d.transactions << ReportNode{20 + depth, depth, QString("Deep %1 ").arg(depth).repeated(12), "Q", "3", "N", 0};
    const QString target = qEnvironmentVariableIsEmpty("QM_SHOTS_DIR")
                               ? dir.filePath("awkward.pdf")
                               : QDir(qEnvironmentVariable("QM_SHOTS_DIR")).filePath("report-awkward.pdf");
    TPrintCountForm awkward(d);
    const QList<ReportPage> awkwardPages = awkward.LayoutAll();
    QPdfWriter whole(target);
    whole.setPageLayout(ReportPageLayout());
    TDevicePainter all;
    QVERIFY(all.Begin(&whole));
    for (const ReportPage &page : awkwardPages)
        all.Paint(page);
    QVERIFY(all.End());
    QCOMPARE(all.pagesPainted(), int(awkwardPages.size()));
    // A description too long for its column is cut before the type.
    const PlacedBand *deep = awkwardPages.last().Find("DetailLine").last();
    QVERIFY(deep->items[2].left + TBandEngine::TextWidth(deep->items[2].text) <= kW - 230);
    QVERIFY(deep->items[2].text.size() < d.transactions.last().description.size());
}

void TestCountReport::runsFromTheEventLoop()
{
    CountReportData d = SmallCount();
    for (int i = 0; i < 200; ++i)
        d.files << ReportNode{10 + i, 0, "More", "I", "1", "A", 7};
    TPrintCountForm form(d);
    TReportRun run;
    run.setSliceMilliseconds(0);
    QSignalSpy ready(&run, &TReportRun::PageReady);
    QSignalSpy finished(&run, &TReportRun::Finished);
    QList<int> sunk;
    run.Start(form.engine(), [&](const ReportPage &page) {
        sunk << page.number;
        return true;
    });
    // Nothing is laid out before the loop turns.
    QVERIFY(run.IsBusy());
    QVERIFY(sunk.isEmpty());
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.first().first().toBool(), true);
    QVERIFY(!run.IsBusy());
    // Two pages of the general and summary sections, five of files, one of
    // transactions.
    QCOMPARE(sunk.size(), 8);
    QCOMPARE(ready.size(), 8);
    QCOMPARE(sunk.last(), 8);
}

void TestCountReport::cancelStopsTheRun()
{
    CountReportData d = SmallCount();
    for (int i = 0; i < 200; ++i)
        d.files << ReportNode{10 + i, 0, "More", "I", "1", "A", 7};
    TPrintCountForm form(d);
    TReportRun run;
    run.setSliceMilliseconds(0);
    QSignalSpy finished(&run, &TReportRun::Finished);
    int sunk = 0;
    connect(&run, &TReportRun::PageReady, &run, [&](int number) {
        if (number == 2)
            run.Cancel();
    });
    run.Start(form.engine(), [&](const ReportPage &) { return ++sunk > 0; });
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.first().first().toBool(), false);
    QCOMPARE(sunk, 2);
    QVERIFY(!run.IsBusy());
    QTest::qWait(50);
    QCOMPARE(sunk, 2);
}

QTEST_MAIN(TestCountReport)
#include "test_countreport.moc"
