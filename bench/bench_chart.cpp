// Times the analyser chart on the large count of a generated database: in
// every summary mode and level, pie and bar, the rebuild as the page runs it
// after a change (the summary refresh it needs, then the chart), the rebuild
// alone, and drawing the chart as a picture. Run by hand, Release build,
// offscreen or on a display; prints medians.
//
//   bench_chart [--rounds N] [--scale N] [--pictures DIR]
//
// With --pictures, the last picture of each case is saved as PNG.

#include "datagen.h"

#include "analysis/analyserchart.h"
#include "analysis/chartpictures.h"
#include "analysis/fpchart.h"
#include "analysis/summary.h"
#include "analysis/summarylistview.h"
#include "editor/countpage.h"
#include "editor/mainform.h"
#include "store/appstate.h"
#include "store/datamodule.h"
#include "store/database.h"
#include "store/schema.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <vector>

#include "benchsupport.h"

using namespace qm;

namespace {

QTextStream out(stdout);

using bench::Ms;

struct Figures
{
    QString name;
    int rows = 0;
    std::vector<double> stale, rebuild, picture;
};

QString g_pictures;

// One mode and level, one chart kind, timed rounds times each way.
Figures Measure(TMainForm &editor, int rounds, const QString &name)
{
    AppState &state = editor.appState();
    TAnalyserChart &page = *editor.analyserChart();
    Figures f;
    // What the event loop does between two user actions, left out of the times.
    const auto idle = [] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    };
    for (int i = 0; i < rounds; ++i) {
        // A change to the count makes the summary stale, as after an edit;
        // with the page shown the refresh redraws the chart.
        ++state.changeCount;
        idle();
        QElapsedTimer clock;
        clock.start();
        editor.RefreshSummaryIfStale();
        f.stale.push_back(Ms(clock));

        idle();
        clock.restart();
        page.RebuildChart();
        f.rebuild.push_back(Ms(clock));

        idle();
        clock.restart();
        const QImage image = DrawingImage(page.chart()->Drawing());
        f.picture.push_back(Ms(clock));
        if (image.isNull())
            out << "  (no picture)" << Qt::endl;
        else if (i == rounds - 1 && !g_pictures.isEmpty())
            image.save(QStringLiteral("%1/bench-%2.png").arg(g_pictures, QString(name).replace(QRegularExpression("[^A-Za-z0-9+]+"), "-")));
    }
    f.rows = int(page.chart()->SeriesValues().size());
    return f;
}


QString Median(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return QString::number(ms[ms.size() / 2], 'f', 1).rightJustified(7);
}

// The chart alone with n points, to see how its cost grows with the rows.
void ScaleRun(int rounds)
{
    out << "The chart alone, medians of " << rounds << " rounds, ms:" << Qt::endl;
    for (int kind = 0; kind < 2; ++kind) {
        TFpChart chart;
        chart.resize(900, 600);
        chart.show();
        chart.SetKind(kind ? TFpChart::Kind::Bar : TFpChart::Kind::Pie);
        for (int n : {25, 50, 100, 200, 500}) {
            QList<ChartPoint> points;
            for (int i = 0; i < n; ++i)
                points.append({double(1 + i % 17), QStringLiteral("Row %1").arg(i)});
            std::vector<double> ms;
            for (int r = 0; r < rounds; ++r) {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                QCoreApplication::processEvents();
                QElapsedTimer clock;
                clock.start();
                chart.SetPoints(points, 0);
                ms.push_back(Ms(clock));
            }
            out << "  " << (kind ? "bar" : "pie") << QString::number(n).rightJustified(5) << " points: " << Median(ms)
                << Qt::endl;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    bench::PreferOffscreen();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption picturesOption(QStringLiteral("pictures"), QStringLiteral("Folder for the pictures."),
                                            QStringLiteral("DIR"));
    parser.addOption(picturesOption);
    const int rounds = bench::ParseRounds(parser, app, QStringLiteral("9"));
    g_pictures = parser.value(picturesOption);

    ScaleRun(rounds);

    bench::Workspace work;
    DataModule &dm = work.dm;
    bench::DatabaseShape shape = bench::DatabaseShape::withLarge(bench::Scale(parser));
    shape.otherCounts = 0;
    const int large = bench::FillDatabase(dm.database(), shape);
    out << "Count of " << shape.large.transactions << " transactions, " << shape.large.groups << " groups, "
        << shape.large.files << " files" << Qt::endl;
    dm.openCatalogueCursor();

    TMainForm editor(dm);
    editor.setLoadPause(0);
    bench::OpenSaved(dm.state(), large);

    QList<Figures> all;
    QObject::connect(&editor, &TMainForm::LoadFinished, &editor, [&] {
        QTimer::singleShot(0, &editor, [&] {
            editor.pageControl()->setCurrentIndex(TMainForm::AnalyserPage);
            TAnalyserChart &page = *editor.analyserChart();
            const QList<QAbstractButton *> kinds = page.chartTypeGroup()->findChildren<QAbstractButton *>();
            for (int kind = 0; kind < 2; ++kind) {
                kinds[kind]->click();
                for (int mode = 0; mode < kSummaryModeCount; ++mode) {
                    const int levels = SummaryMode(mode) == SummaryMode::Breakdown ? kSummaryMaxLevel : 1;
                    for (int level = 1; level <= levels; ++level) {
                        editor.SetSummaryLevel(level);
                        editor.SetSummaryMode(mode);
                        const QString name = (kind ? QStringLiteral("bar, ") : QStringLiteral("pie, "))
                                             + SummaryModeCaption(SummaryMode(mode))
                                             + (levels > 1 ? QStringLiteral(" +%1").arg(level) : QString());
                        Figures f = Measure(editor, rounds, name);
                        f.name = name;
                        all << f;
                    }
                }
            }
            editor.close();
        });
    });
    editor.RunModal();

    out << "Medians of " << rounds << " rounds, ms:" << Qt::endl;
    out << "  " << QStringLiteral("chart").leftJustified(32) << QStringLiteral("rows").rightJustified(5)
        << "  stale+rebuild  rebuild  picture" << Qt::endl;
    for (const Figures &f : all)
        out << "  " << f.name.leftJustified(32) << QString::number(f.rows).rightJustified(5) << "  "
            << Median(f.stale).rightJustified(13) << Median(f.rebuild).rightJustified(9)
            << Median(f.picture).rightJustified(9) << Qt::endl;
    return 0;
}
