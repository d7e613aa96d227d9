// The analyser chart on its own: labels per summary mode, the legend's two
// styles, the order of the slices, and the picture files, each read back by
// a program that knows the format.

#include "testdatabase.h"

#include "analysis/analyserchart.h"
#include "analysis/chartpictures.h"
#include "analysis/fpchart.h"
#include "analysis/summarylistview.h"

#include <QGraphicsView>
#include <QGroupBox>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QXmlStreamReader>
#include <QtTest>

using namespace qm;

namespace {

SummaryEntry Entry(const QString &category, const QString &type, const QString &change, int unadjusted,
                   double adjusted, const QString &description = {})
{
    SummaryEntry e;
    e.category = category;
    e.type = type;
    e.changeType = change;
    e.description = description;
    e.itemCount = 1;
    e.unadjusted = unadjusted;
    e.adjusted = adjusted;
    return e;
}

// Five rows of the type / change type summary, in the order the walk meets them.
QList<SummaryEntry> TypeChangeRows()
{
    return {Entry("T", "I", "A", 17, 18.19), Entry("T", "Q", "A", 7, 7.49), Entry("T", "O", "D", 12, 12.0),
            Entry("F", "I", "A", 30, 32.1), Entry("F", "E", "M", 4, 4.28)};
}

void Choose(QGroupBox *group, int index)
{
    QTest::mouseClick(group->findChildren<QRadioButton *>().at(index), Qt::LeftButton);
}

struct Run
{
    int exitCode = -1;
    QString output;
};

Run RunTool(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tool, arguments);
    if (!process.waitForFinished(30000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

// The chart with these points as a picture, at a size where the legend
// takes the right two fifths at most; null when the window never showed.
QImage ChartImage(TFpChart::Kind kind, const QList<ChartPoint> &points)
{
    TFpChart chart;
    chart.resize(900, 400);
    chart.show();
    if (!QTest::qWaitForWindowExposed(&chart))
        return {};
    chart.SetKind(kind);
    chart.SetPoints(points, 0);
    return DrawingImage(chart.Drawing()).convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestFpChart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void labels_data();
    void labels();
    void emptySummaryGivesEmptyChart();
    void percentageChangesLegendNotSlices();
    void listSortOrdersSlices();
    void eachBarItsOwnColour();
    void drawingShowsTheShares_data();
    void drawingShowsTheShares();
    void wholePieIsOneDisc();
    void zeroTotalReadsAsNoShare();
    void overlappingMarksAreLeftOut();
    void crowdedLegendScrolls();
    void rightClickOpensChartMenu();
    void formatFollowsName_data();
    void formatFollowsName();
    void writtenFilesReadBack_data();
    void writtenFilesReadBack();
    void svgHasOneShapePerSlice();
    void failedWriteKeepsOldFile();

private:
    std::unique_ptr<TSummaryListView> m_list;
    std::unique_ptr<TAnalyserChart> m_page;
    QTemporaryDir m_dir;
};

void TestFpChart::initTestCase()
{
    QVERIFY(test::HasRealFont());
    QVERIFY(m_dir.isValid());
}

void TestFpChart::init()
{
    m_page.reset();
    m_list = std::make_unique<TSummaryListView>(TSummaryListView::Captions::Long,
                                                TSummaryListView::ClickRule::Alternate);
    m_page = std::make_unique<TAnalyserChart>();
    m_page->setSource(m_list.get());
    m_page->resize(900, 600);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
}

void TestFpChart::labels_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<SummaryEntry>("entry");
    QTest::addColumn<QString>("label");
    QTest::newRow("input added") << 0 << Entry("T", "I", "A", 4, 4.3) << "External Input (Add)";
    QTest::newRow("file type reads as a file") << 0 << Entry("F", "I", "D", 7, 7.0) << "Internal Logical (Del)";
    QTest::newRow("interface modified") << 0 << Entry("F", "E", "M", 5, 5.35) << "External Interface (Mod)";
    QTest::newRow("long description shortened")
        << 1 << Entry("T", "Q", "", 3, 3.2, "Order entry and validation screen") << "Order entry and v...";
    QTest::newRow("twenty characters kept") << 1 << Entry("T", "Q", "", 3, 3.2, "Year-to-date enquiry")
                                            << "Year-to-date enquiry";
    QTest::newRow("type alone") << 2 << Entry("T", "O", "", 5, 5.35) << "External Output";
    QTest::newRow("change type alone") << 3 << Entry("", "", "D", 3, 3.0) << "Del";
}

void TestFpChart::labels()
{
    QFETCH(int, mode);
    QFETCH(SummaryEntry, entry);
    QFETCH(QString, label);
    m_list->Fill(SummaryMode(mode), {entry});
    m_page->RebuildChart();
    QCOMPARE(m_page->chart()->SeriesLabels(), QStringList{label});
    QCOMPARE(m_page->chart()->SeriesValues(), QList<double>{double(entry.unadjusted)});
}

void TestFpChart::emptySummaryGivesEmptyChart()
{
    m_list->Fill(SummaryMode::TypeChange, TypeChangeRows());
    m_page->RebuildChart();
    QCOMPARE(m_page->chart()->SeriesValues().size(), 5);
    for (int kind : {0, 1}) {
        Choose(m_page->chartTypeGroup(), kind);
        m_list->Fill(SummaryMode::TypeChange, {});
        m_page->RebuildChart();
        QVERIFY(m_page->chart()->SeriesValues().isEmpty());
        QVERIFY(m_page->chart()->LegendTexts().isEmpty());
        QVERIFY(m_page->chart()->VisibleMarks().isEmpty());
        QVERIFY(!DrawingImage(m_page->chart()->Drawing()).isNull());
    }
}

void TestFpChart::percentageChangesLegendNotSlices()
{
    m_list->Fill(SummaryMode::TypeChange, TypeChangeRows());
    Choose(m_page->fpTypeGroup(), 1);
    TFpChart *chart = m_page->chart();
    const QList<double> values = chart->SeriesValues();
    const QList<QColor> colours = chart->SeriesColours();
    const QStringList points = chart->LegendTexts();
    // The list shows its rows sorted by type: files first.
    QCOMPARE(points, QStringList({"4.3 External Interface (Mod)", "32.1 Internal Logical (Add)",
                                  "18.2 External Input (Add)", "7.5 External Inquiry (Add)",
                                  "12.0 External Output (Del)"}));
    Choose(m_page->unitsGroup(), 1);
    // Shares of 74.06.
    QCOMPARE(chart->LegendTexts(), QStringList({"5.8 % External Interface (Mod)", "43.3 % Internal Logical (Add)",
                                                "24.6 % External Input (Add)", "10.1 % External Inquiry (Add)",
                                                "16.2 % External Output (Del)"}));
    QCOMPARE(chart->SeriesValues(), values);
    QCOMPARE(chart->SeriesColours(), colours);
    Choose(m_page->unitsGroup(), 0);
    QCOMPARE(chart->LegendTexts(), points);
}

void TestFpChart::listSortOrdersSlices()
{
    m_list->Fill(SummaryMode::TypeChange, TypeChangeRows());
    // The first click on a header sorts descending, the next ascending.
    const int column = m_list->ColumnCaptions().indexOf("UnAdjusted FP");
    QVERIFY(column > 0);
    m_list->HeaderClicked(column);
    m_page->RebuildChart();
    QCOMPARE(m_page->chart()->SeriesValues(), (QList<double>{30, 17, 12, 7, 4}));
    m_list->HeaderClicked(column);
    m_page->RebuildChart();
    QCOMPARE(m_page->chart()->SeriesValues(), (QList<double>{4, 7, 12, 17, 30}));
    QCOMPARE(m_page->chart()->SeriesLabels().first(), QString("External Interface (Mod)"));
}

void TestFpChart::eachBarItsOwnColour()
{
    m_list->Fill(SummaryMode::TypeChange, TypeChangeRows());
    Choose(m_page->chartTypeGroup(), 1);
    const QList<QColor> colours = m_page->chart()->SeriesColours();
    QCOMPARE(colours.size(), 5);
    QCOMPARE(QSet<QRgb>({colours[0].rgb(), colours[1].rgb(), colours[2].rgb(), colours[3].rgb(), colours[4].rgb()})
                 .size(),
             5);
    // Every bar's value stands above it at this size.
    QCOMPARE(m_page->chart()->VisibleMarks(), QStringList({"4", "30", "17", "7", "12"}));
}

void TestFpChart::drawingShowsTheShares_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("pie") << int(TFpChart::Kind::Pie);
    QTest::newRow("bar") << int(TFpChart::Kind::Bar);
}

// The picture itself, pixel by pixel: three to one is three times the
// colour of the first point, which comes first (clockwise from twelve
// o'clock, or leftmost); a zero point draws nothing.
void TestFpChart::drawingShowsTheShares()
{
    QFETCH(int, kind);
    const QImage image = ChartImage(TFpChart::Kind(kind), {{3, "First"}, {0, "Nothing"}, {1, "Second"}});
    QCOMPARE(image.size(), QSize(900, 400));
    const QRgb colours[] = {TFpChart::PaletteColour(0).rgb() & 0xffffff, TFpChart::PaletteColour(1).rgb() & 0xffffff,
                            TFpChart::PaletteColour(2).rgb() & 0xffffff};
    // Each colour also fills a small box in the legend on the right.
    const int legendSide = image.width() * 3 / 5;
    qint64 count[3] = {0, 0, 0};
    qint64 sumX[3] = {0, 0, 0};
    QRect shape;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            for (int c = 0; c < 3; ++c)
                if ((image.pixel(x, y) & 0xffffff) == colours[c]) {
                    ++count[c];
                    sumX[c] += x;
                    if (x < legendSide)
                        shape |= QRect(x, y, 1, 1);
                }
    QVERIFY2(count[1] < 300, qPrintable(QString::number(count[1])));
    QVERIFY2(count[2] > 500, qPrintable(QString::number(count[2])));
    const double ratio = double(count[0]) / double(count[2]);
    QVERIFY2(ratio > 2.8 && ratio < 3.2, qPrintable(QString::number(ratio)));
    if (kind == int(TFpChart::Kind::Pie)) {
        const QPoint centre(shape.left() + shape.height() / 2, shape.center().y());
        const int r = shape.height() / 4;
        QCOMPARE(image.pixel(centre + QPoint(r, -r)) & 0xffffff, colours[0]);
        QCOMPARE(image.pixel(centre + QPoint(r, r)) & 0xffffff, colours[0]);
        QCOMPARE(image.pixel(centre + QPoint(-r, -r)) & 0xffffff, colours[2]);
    } else {
        QVERIFY(sumX[0] / count[0] < sumX[2] / count[2]);
    }
}

// A single point is the whole pie: no slice edge runs up from the centre.
void TestFpChart::wholePieIsOneDisc()
{
    const QImage image = ChartImage(TFpChart::Kind::Pie, {{5, "All"}});
    QCOMPARE(image.size(), QSize(900, 400));
    const QRgb fill = TFpChart::PaletteColour(0).rgb() & 0xffffff;
    QRect shape;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width() * 3 / 5; ++x)
            if ((image.pixel(x, y) & 0xffffff) == fill)
                shape |= QRect(x, y, 1, 1);
    QVERIFY(shape.height() > 100);
    // The disc may reach into the legend's side: its height gives the centre.
    const QPoint centre(shape.left() + shape.height() / 2, shape.center().y());
    for (int dx = -3; dx <= 3; ++dx)
        QCOMPARE(image.pixel(centre + QPoint(dx, -shape.height() / 4)) & 0xffffff, fill);
}

void TestFpChart::zeroTotalReadsAsNoShare()
{
    m_list->Fill(SummaryMode::ChangeType, {Entry("", "", "A", 0, 0.0), Entry("", "", "D", 0, 0.0)});
    Choose(m_page->unitsGroup(), 1);
    for (int kind : {0, 1}) {
        Choose(m_page->chartTypeGroup(), kind);
        QCOMPARE(m_page->chart()->LegendTexts(), QStringList({"0.0 % Add", "0.0 % Del"}));
        QVERIFY(!DrawingImage(m_page->chart()->Drawing()).isNull());
    }
}

// A hundred thin slices cannot all carry a mark; the ones drawn never
// overlap and the larger slices keep theirs.
void TestFpChart::overlappingMarksAreLeftOut()
{
    QList<SummaryEntry> rows;
    rows << Entry("T", "I", "", 500, 500, "Largest slice");
    for (int i = 0; i < 99; ++i)
        rows << Entry("T", "I", "", 1, 1, QString("Thin slice %1").arg(i));
    m_list->Fill(SummaryMode::Breakdown, rows);
    m_page->RebuildChart();
    const QStringList marks = m_page->chart()->VisibleMarks();
    QVERIFY(marks.contains("Largest slice"));
    QVERIFY(marks.size() < 40);
    QCOMPARE(m_page->chart()->LegendTexts().size(), 100);
}

// More entries than lines: the legend shows a run of them and says how many
// are out of sight, the wheel scrolls the run, and a picture shows what is
// in sight. A short legend shows every entry.
void TestFpChart::crowdedLegendScrolls()
{
    m_list->Fill(SummaryMode::TypeChange, TypeChangeRows());
    m_page->RebuildChart();
    TFpChart *chart = m_page->chart();
    QCOMPARE(chart->ShownLegendTexts(), chart->LegendTexts());

    QList<SummaryEntry> rows;
    for (int i = 0; i < 200; ++i)
        rows << Entry("T", "I", "", 1 + i % 7, 1 + i % 7, QString("Row %1").arg(i, 3, 10, QChar('0')));
    m_list->Fill(SummaryMode::Breakdown, rows);
    m_page->RebuildChart();
    const QStringList all = chart->LegendTexts();
    QCOMPARE(all.size(), 200);
    QCOMPARE(all.at(3), QString("4 Row 003"));
    const QStringList shown = chart->ShownLegendTexts();
    QVERIFY2(shown.size() > 10 && shown.size() < 100, qPrintable(QString::number(shown.size())));
    QCOMPARE(shown, all.mid(0, shown.size()));

    QGraphicsView *view = chart->findChild<QGraphicsView *>();
    QVERIFY(view);
    QWidget *surface = view->viewport();
    const QPoint at(surface->width() - 40, surface->height() / 2);
    QWheelEvent wheel(at, surface->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(surface, &wheel);
    const QStringList scrolled = chart->ShownLegendTexts();
    QCOMPARE(scrolled.size(), shown.size());
    QCOMPARE(scrolled, all.mid(3, scrolled.size()));

    const QString path = m_dir.filePath("crowded.svg");
    QString error;
    QVERIFY2(WriteChartPicture(chart->Drawing(), path, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(file.readAll());
    QVERIFY(svg.contains("(3 more)"));
    QVERIFY(svg.contains(QString("(%1 more)").arg(200 - 3 - scrolled.size())));
    QVERIFY(svg.contains(">4 Row 003<"));
    QVERIFY(!svg.contains(">1 Row 000<"));
}

void TestFpChart::rightClickOpensChartMenu()
{
    m_list->Fill(SummaryMode::TypeChange, TypeChangeRows());
    m_page->RebuildChart();
    QGraphicsView *view = m_page->chart()->findChild<QGraphicsView *>();
    QVERIFY(view);
    QWidget *surface = view->viewport();
    const QPoint at = surface->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, surface->mapToGlobal(at));
    QApplication::sendEvent(surface, &event);
    QMenu *menu = m_page->chart()->contextMenu();
    QVERIFY(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
    QStringList captions;
    for (const QAction *action : menu->actions())
        captions << action->text();
    QCOMPARE(captions, QStringList({"Copy To ClipBoard (BitMap)", "Copy To ClipBoard (MetaFile)", "Print Chart..."}));
    menu->hide();
}

void TestFpChart::formatFollowsName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("format");
    QTest::newRow("bmp") << "chart.bmp" << int(PictureFormat::Bitmap);
    QTest::newRow("upper-case WMF") << "chart.WMF" << int(PictureFormat::Bitmap);
    QTest::newRow("wmf") << "chart.wmf" << int(PictureFormat::WindowsMetafile);
    QTest::newRow("emf inside") << "chart.emf.bmp" << int(PictureFormat::EnhancedMetafile);
    QTest::newRow("wmf before emf") << "a.emf.wmf" << int(PictureFormat::WindowsMetafile);
    QTest::newRow("no extension") << "chart" << int(PictureFormat::Bitmap);
    QTest::newRow("png") << "chart.png" << int(PictureFormat::Png);
    QTest::newRow("png after wmf") << "chart.wmf.png" << int(PictureFormat::Png);
    QTest::newRow("svg") << "/tmp/x.emf/chart.svg" << int(PictureFormat::Svg);
    QTest::newRow("upper-case PNG") << "chart.PNG" << int(PictureFormat::Bitmap);
    QTest::newRow("folder named like a metafile") << "/home/u/old.wmf/chart.bmp" << int(PictureFormat::Bitmap);
    QTest::newRow("metafile in such a folder") << "/home/u/old.wmf/chart.emf" << int(PictureFormat::EnhancedMetafile);
}

void TestFpChart::formatFollowsName()
{
    QFETCH(QString, name);
    QFETCH(int, format);
    QCOMPARE(int(PictureFormatForName(name)), format);
}

void TestFpChart::writtenFilesReadBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tool");
    QTest::newRow("bitmap") << "chart.bmp" << "file";
    QTest::newRow("png") << "chart.png" << "file";
    QTest::newRow("enhanced metafile") << "chart.emf" << "emf2svg-conv";
    QTest::newRow("windows metafile") << "chart.wmf" << "wmf2svg";
}

// Each file is handed to a reader that shares no code with the writer.
void TestFpChart::writtenFilesReadBack()
{
    QFETCH(QString, name);
    QFETCH(QString, tool);
    m_list->Fill(SummaryMode::TypeChange, TypeChangeRows());
    m_page->RebuildChart();
    const ChartDrawing drawing = m_page->chart()->Drawing();
    const QSize size = drawing.size;
    const QString path = m_dir.filePath(name);
    QString error;
    QVERIFY2(WriteChartPicture(drawing, path, &error), qPrintable(error));

    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        QSKIP(qPrintable(QString("%1 is not installed (scripts/install-deps.sh installs it): %2 is not read back")
                             .arg(tool, name)));
    const QString svg = path + ".svg";
    Run run;
    if (tool == "file")
        run = RunTool(program, {"-b", path});
    else if (tool == "emf2svg-conv")
        run = RunTool(program, {"-i", path, "-o", svg});
    else
        run = RunTool(program, {"--inline", "--maxwidth=20000", "--maxheight=20000", "-o", svg, path});
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    const QString dims = QString("%1 x %2").arg(size.width()).arg(size.height());
    if (name.endsWith(".bmp")) {
        QVERIFY2(run.output.startsWith("PC bitmap") && run.output.contains(dims), qPrintable(run.output));
        return;
    }
    if (name.endsWith(".png")) {
        QVERIFY2(run.output.startsWith("PNG image data") && run.output.contains(dims), qPrintable(run.output));
        return;
    }
    // The drawing the reader made holds the chart as an embedded image.
    QFile converted(svg);
    QVERIFY(converted.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&converted);
    // One of the readers leaves the link namespace undeclared.
    xml.setNamespaceProcessing(false);
    int images = 0;
    QSizeF shown;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("image")) {
            ++images;
            shown = QSizeF(xml.attributes().value("width").toDouble(), xml.attributes().value("height").toDouble());
            QVERIFY(xml.attributes().value("xlink:href").startsWith(QLatin1String("data:image/png")));
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(images, 1);
    QCOMPARE(shown.toSize(), size);
}

// Vector output: one filled outline per slice, in the slice's colour.
void TestFpChart::svgHasOneShapePerSlice()
{
    m_list->Fill(SummaryMode::TypeChange, TypeChangeRows());
    m_page->RebuildChart();
    const QString path = m_dir.filePath("chart.svg");
    QString error;
    QVERIFY2(WriteChartPicture(m_page->chart()->Drawing(), path, &error), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QStringList fills;
    QMap<QString, int> pathsByFill;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("g"))
                fills.push_back(xml.attributes().value("fill").toString());
            else if (xml.name() == QLatin1String("path") && !fills.isEmpty())
                ++pathsByFill[fills.last()];
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("g")) {
            fills.pop_back();
        }
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    for (const QColor &colour : m_page->chart()->SeriesColours())
        QCOMPARE(pathsByFill.value(colour.name()), 1);
}

void TestFpChart::failedWriteKeepsOldFile()
{
    m_list->Fill(SummaryMode::TypeChange, TypeChangeRows());
    m_page->RebuildChart();
    QString error;
    QVERIFY(!WriteChartPicture(m_page->chart()->Drawing(), m_dir.filePath("missing/chart.bmp"), &error));
    QVERIFY2(error.contains("missing/chart.bmp") || error.contains("missing"), qPrintable(error));

    // A metafile too large to make leaves the file that was there.
    const QString kept = m_dir.filePath("kept.wmf");
    QFile old(kept);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old picture");
    old.close();
    const ChartDrawing huge{QSize(40000, 10), [](QPainter &, const QRectF &) {}};
    error.clear();
    QVERIFY(!WriteChartPicture(huge, kept, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old picture"));
}

QTEST_MAIN(TestFpChart)
#include "test_fpchart.moc"
