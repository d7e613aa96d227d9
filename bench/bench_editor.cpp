// Times the program on the large count of a generated database: start-up
// until the catalogue shows every count, the four load steps of opening the
// large count in the editor, the memory it then holds, and the summary
// refresh in every mode and level. Run by hand on a Release build,
// offscreen or on a display; prints best, median and worst.
//
//   bench_editor [--rounds N] [--scale N]
//
// The editor's pause before the transaction tree is set to nothing here, so
// each step is timed from its own start to its end and no pause needs to be
// taken off afterwards (a timer may fire early, which made that guess wrong).

#include "datagen.h"

#include "analysis/countsummary.h"
#include "analysis/summary.h"
#include "catalogue/firstform.h"
#include "editor/mainform.h"
#include "store/appstate.h"
#include "store/datamodule.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/settingsentry.h"
#include "views/dbtreeview.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "benchsupport.h"

using namespace qm;

namespace {

QTextStream out(stdout);

using bench::AnsweringDialogs;
using bench::Spread;

struct OpenTimes
{
    double loadTables = 0;  // the opening and the copy into the working tables
    double transTree = 0;   // the cursors, the window's layout and the transaction tree
    double filesTree = 0;   // the file tree
    double summary = 0;     // the summary step
    double trees() const { return transTree + filesTree; }
    double total() const { return loadTables + trees() + summary; }
};

// Opens the count and notes when each step's status text appears: each is
// shown as the step before it ends.
OpenTimes OpenOnce(TMainForm &editor, const std::function<void()> &whileOpen)
{
    QElapsedTimer clock;
    double atTrans = -1, atFiles = -1, atSummary = -1, atDone = -1;
    const auto seen = QObject::connect(&editor, &TMainForm::StatusTextShown, [&](const QString &text) {
        const double now = clock.nsecsElapsed() / 1e6;
        if (text == QStringLiteral("Loading Transactions..."))
            atTrans = now;
        else if (text == QStringLiteral("Loading Files..."))
            atFiles = now;
        else if (text == QStringLiteral("Loading Summary..."))
            atSummary = now;
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
    bench::Expect(atTrans >= 0 && atFiles >= atTrans && atSummary >= atFiles && atDone >= atSummary,
                  QStringLiteral("every load step ran, in order"));
    return {atTrans, atFiles - atTrans, atSummary - atFiles, atDone - atSummary};
}

// The database the program will find: generated in a folder of its own and
// closed again, as a user's database is before the program starts.
struct GeneratedDatabase
{
    QTemporaryDir dir;
    int large = 0;
    int counts = 0;

    explicit GeneratedDatabase(const bench::DatabaseShape &shape)
    {
        CreateEmptyDatabaseFile(dir.filePath(kDatabaseFileName));
        Database db(QStringLiteral("bench_fill"));
        db.open(dir.path());
        large = bench::FillDatabase(db, shape);
        counts = db.scalar(QStringLiteral("SELECT COUNT(*) FROM CCounts")).toInt();
        db.close();
    }
};

// Start-up in the program's own order, less the splash and the single-instance
// guard: the data module finds the database through the settings, the
// catalogue and the editor are made, and the catalogue is shown until its
// tree holds every count.
double StartUp(DataModule &dm, SettingsEntry &settings, std::unique_ptr<TFirstForm> &catalogue,
               std::unique_ptr<TMainForm> &editor, int counts)
{
    QElapsedTimer clock;
    clock.start();
    bench::Expect(dm.start(), QStringLiteral("the database connects"));
    catalogue = std::make_unique<TFirstForm>(dm, settings);
    editor = std::make_unique<TMainForm>(dm, catalogue.get());
    catalogue->showMaximized();
    QElapsedTimer limit;
    limit.start();
    while (catalogue->countTree()->IndexedKeyCount() < counts && limit.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    bench::Expect(catalogue->countTree()->IndexedKeyCount() == counts, QStringLiteral("the catalogue shows every count"));
    return clock.nsecsElapsed() / 1e6;
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
    const bench::DatabaseShape shape = bench::DatabaseShape::withLarge(bench::Scale(parser));

    QElapsedTimer fillClock;
    fillClock.start();
    const GeneratedDatabase generated(shape);
    const int large = generated.large;
    out << "Database: " << shape.otherCounts << " counts and one of " << shape.large.transactions
        << " transactions, " << shape.large.groups << " groups, " << shape.large.files << " files, "
        << shape.large.links << " links (" << fillClock.elapsed() << " ms to generate)" << Qt::endl;

    AnsweringDialogs dialogs;
    SettingsEntry settings(generated.dir.filePath(QStringLiteral("quillmark.ini")));
    settings.writeDirectory(generated.dir.path());
    DataModule dm(dialogs, settings, DataModule::Options{{}, {}, [] {}, [](int code) { std::exit(code); }});
    const double memoryBefore = bench::MemoryMiB();
    std::unique_ptr<TFirstForm> catalogue;
    std::unique_ptr<TMainForm> editorOwner;
    const double startUp = StartUp(dm, settings, catalogue, editorOwner, generated.counts);
    const double memoryStarted = bench::MemoryMiB();
    TMainForm &editor = *editorOwner;
    editor.setLoadPause(0);
    AppState &state = dm.state();

    std::vector<double> loads, transTrees, filesTrees, trees, summaries, totals;
    double memoryOpen = 0;
    QList<std::pair<QString, std::vector<double>>> refreshes;
    for (int round = 0; round < rounds; ++round) {
        bench::OpenSaved(state, large);
        state.summaryMode = 0;
        state.summaryLevel = 1;
        const bool measureModes = round == 0;
        const OpenTimes t = OpenOnce(editor, [&] {
            if (!measureModes)
                return;
            memoryOpen = bench::MemoryMiB();
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
        transTrees.push_back(t.transTree);
        filesTrees.push_back(t.filesTree);
        trees.push_back(t.trees());
        summaries.push_back(t.summary);
        totals.push_back(t.total());
    }

    out << "Start-up until the catalogue shows all " << generated.counts << " counts: " << startUp << " ms"
        << Qt::endl;
    out << "Opening the large count, no pause before the trees (" << rounds << " rounds):" << Qt::endl;
    out << "  load tables:             " << Spread(loads) << Qt::endl;
    out << "  cursors and trans. tree: " << Spread(transTrees) << Qt::endl;
    out << "  file tree:               " << Spread(filesTrees) << Qt::endl;
    out << "  both trees:              " << Spread(trees) << Qt::endl;
    out << "  summary step:            " << Spread(summaries) << Qt::endl;
    out << "  all steps:               " << Spread(totals) << Qt::endl;
    out << "RefreshSummary:" << Qt::endl;
    for (const auto &[name, ms] : refreshes)
        out << "  " << name.leftJustified(26) << Spread(ms) << Qt::endl;
    out << QStringLiteral("Memory (resident): %1 MiB before start-up, %2 MiB started, %3 MiB with the large "
                          "count open, %4 MiB at the peak")
               .arg(memoryBefore, 0, 'f', 0)
               .arg(memoryStarted, 0, 'f', 0)
               .arg(memoryOpen, 0, 'f', 0)
               .arg(bench::PeakMemoryMiB(), 0, 'f', 0)
        << Qt::endl;
    out << "Message boxes answered: " << dialogs.messages << Qt::endl;
    editorOwner.reset();
    catalogue.reset();
    return 0;
}
