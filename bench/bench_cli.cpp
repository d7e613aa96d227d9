// The command line end to end, process start included: list over 5,000
// counts, show of the 10,000-transaction count, and import of a 29,999-line
// text. Run on a Release build: build-release/bin/bench_cli --rounds 7

#include "benchsupport.h"
#include "datagen.h"

#include "interchange/exporter.h"
#include "store/appstate.h"
#include "store/workingcopy.h"

#include <QDir>
#include <QProcess>

using namespace qm;

namespace {

QString Cli()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/quillmark-cli");
}

// Wall time of one run; a failed run ends the benchmark.
double Run(const QStringList &args)
{
    QElapsedTimer clock;
    clock.start();
    QProcess p;
    p.start(Cli(), args);
    p.waitForFinished(-1);
    const double ms = bench::Ms(clock);
    bench::Expect(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0,
                  QStringLiteral("quillmark-cli %1: %2").arg(args.join(' '), QString::fromUtf8(p.readAllStandardError())));
    return ms;
}

// The import text: one generated count of 29,999 lines.
QStringList ImportText()
{
    bench::ScratchDatabase source(QStringLiteral("bench_source"));
    bench::DatabaseShape shape;
    shape.otherCounts = 0;
    shape.large = {9000, 500, 4, 1500, 18998, QStringLiteral("B")};
    const int large = bench::FillDatabase(source.db, shape);
    AppState state;
    state.currentCountId = large;
    WorkingCopy(source.db, state).LoadWorkingCopy(large);
    return CollectExportLines(source.db, ExportOptions{});
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const int rounds = bench::ParseRounds(parser, app, QStringLiteral("5"));
    QTextStream out(stdout);

    bench::ScratchDatabase target;
    bench::DatabaseShape shape;
    shape.otherCounts = 4999;
    shape.other = {8, 2, 2, 4, 8, QStringLiteral("B")};
    const int large = bench::FillDatabase(target.db, shape);
    const qint64 largeExt = target.db.scalar("SELECT Ext_Id FROM CCounts WHERE Id = ?", {large}).toLongLong();
    const QString folder = target.db.directory();
    target.db.close();

    const QStringList lines = ImportText();
    QTemporaryDir texts;
    std::vector<double> list, show, import;
    for (int r = 0; r < rounds; ++r) {
        list.push_back(Run({"--db", folder, "list"}));
        show.push_back(Run({"--db", folder, "show", QString::number(largeExt)}));
        // Each import is a new count and needs a name of its own.
        QStringList text = lines;
        text[0].replace(QStringLiteral("\"COUNT\",\""), QStringLiteral("\"COUNT\",\"Round %1 ").arg(r));
        const QString path = texts.filePath(QStringLiteral("round%1.txt").arg(r));
        WriteInterchangeFile(path, text);
        import.push_back(Run({"--db", folder, "import", path}));
    }
    out << "quillmark-cli, wall time per run, process start included (median [min..max]):\n";
    out << "  list of 5,000 counts           " << bench::Spread(list) << " (limit 200 ms)\n";
    out << "  show of 10,000 transactions    " << bench::Spread(show) << " (limit 300 ms)\n";
    out << "  import of " << lines.size() << " lines        " << bench::Spread(import) << " (limit 1500 ms)\n";
    return 0;
}
