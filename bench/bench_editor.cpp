// Times the count editor on the large count of a generated database: the
// four load steps of opening it (the fixed pause before the transaction
// tree is left out), and the summary refresh in every mode and level.
// Run by hand, offscreen or on a display; prints its figures.
//
//   bench_editor [--rounds N]

#include "datagen.h"

#include "analysis/countsummary.h"
#include "analysis/summary.h"
#include "editor/mainform.h"
#include "store/appstate.h"
#include "store/datamodule.h"
#include "store/database.h"
#include "store/schema.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <vector>

#include "benchsupport.h"

using namespace qm;

namespace {

QTextStream out(stdout);

using bench::AnsweringDialogs;
using bench::Spread;

struct OpenTimes
{
    double loadTables = 0; // the opening and the copy into the working tables
    double trees = 0;      // both trees, after the pause
    double summary = 0;    // the summary step
    double total() const { return loadTables + trees + summary; }
};

// Opens the count and notes when each status text appears; the pause runs
// between "Loading Transactions..." and the start of the transaction build.
OpenTimes OpenOnce(TMainForm &editor, int pauseMs, const std::function<void()> &whileOpen)
{
    QElapsedTimer clock;
    double atPause = 0, atSummary = 0, atDone = 0;
    const auto seen = QObject::connect(&editor, &TMainForm::StatusTextShown, [&](const QString &text) {
        if (text == QStringLiteral("Loading Transactions..."))
            atPause = clock.nsecsElapsed() / 1e6;
        else if (text == QStringLiteral("Loading Summary..."))
            atSummary = clock.nsecsElapsed() / 1e6;
    });
    const auto done = QObject::connect(&editor, &TMainForm::LoadFinished, &editor, [&] {
        atDone = clock.nsecsElapsed() / 1e6;
        // Let the finished step return before working in the window.
        QTimer::singleShot(0, &editor, [&] {
            whileOpen();
            editor.close();
        });
    });
    clock.start();
    editor.RunModal();
    QObject::disconnect(seen);
    QObject::disconnect(done);
    return {atPause, atSummary - atPause - pauseMs, atDone - atSummary};
}

std::vector<double> TimeRefresh(TMainForm &editor, int rounds)
{
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        editor.RefreshSummary();
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    bench::PreferOffscreen();
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const int rounds = bench::ParseRounds(parser, app, QStringLiteral("5"));

    bench::Workspace work;
    DataModule &dm = work.dm;
    bench::AnsweringDialogs &dialogs = work.dialogs;
    QElapsedTimer fillClock;
    fillClock.start();
    const bench::DatabaseShape shape;
    const int large = bench::FillDatabase(dm.database(), shape);
    out << "Database: " << shape.otherCounts << " counts and one of " << shape.large.transactions
        << " transactions, " << shape.large.groups << " groups, " << shape.large.files << " files, "
        << shape.large.links << " links (" << fillClock.elapsed() << " ms to generate)" << Qt::endl;
    dm.openCatalogueCursor();

    TMainForm editor(dm);
    const int pause = 1000;
    editor.setLoadPause(pause);
    AppState &state = dm.state();

    std::vector<double> loads, trees, summaries, totals;
    QList<std::pair<QString, std::vector<double>>> refreshes;
    for (int round = 0; round < rounds; ++round) {
        bench::OpenSaved(state, large);
        state.summaryMode = 0;
        state.summaryLevel = 1;
        const bool measureModes = round == 0;
        const OpenTimes t = OpenOnce(editor, pause, [&] {
            if (!measureModes)
                return;
            for (int mode = 0; mode < kSummaryModeCount; ++mode) {
                const int levels = SummaryMode(mode) == SummaryMode::Breakdown ? kSummaryMaxLevel : 1;
                for (int level = 1; level <= levels; ++level) {
                    state.summaryMode = mode;
                    state.summaryLevel = level;
                    QString name = SummaryModeCaption(SummaryMode(mode));
                    if (levels > 1)
                        name += QStringLiteral(" +%1").arg(level);
                    refreshes.append({name, TimeRefresh(editor, std::max(rounds, 10))});
                }
            }
        });
        loads.push_back(t.loadTables);
        trees.push_back(t.trees);
        summaries.push_back(t.summary);
        totals.push_back(t.total());
    }

    out << "Opening the large count, without the " << pause << " ms pause (" << rounds << " rounds):" << Qt::endl;
    out << "  load tables and cursors: " << Spread(loads) << Qt::endl;
    out << "  both trees:              " << Spread(trees) << Qt::endl;
    out << "  summary step:            " << Spread(summaries) << Qt::endl;
    out << "  all steps:               " << Spread(totals) << Qt::endl;
    out << "RefreshSummary:" << Qt::endl;
    for (const auto &[name, ms] : refreshes)
        out << "  " << name.leftJustified(26) << Spread(ms) << Qt::endl;
    out << "Message boxes answered: " << dialogs.messages << Qt::endl;
    return 0;
}
