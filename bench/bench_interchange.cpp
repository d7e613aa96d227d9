// Times the interchange text on a large count in the working tables:
// collecting and writing the whole count to a file, the clipboard text,
// and splitting every line again as the reader does.
// Run by hand (Release build); prints its figures.
//
//   bench_interchange [--rounds N] [--scale N]

#include "datagen.h"

#include "interchange/exporter.h"
#include "interchange/splitter.h"
#include "interchange/values.h"
#include "store/appstate.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/workingcopy.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <functional>
#include <vector>

#include "benchsupport.h"

using namespace qm;

namespace {

QTextStream out(stdout);

// Wall-clock time, and the processor time of this thread beside it.
void Report(const QString &name, const bench::WallAndCpu &t, double limitMs)
{
    out << QStringLiteral("%1 wall %2 (limit %3 ms)").arg(name, -26).arg(bench::Spread(t.wall)).arg(limitMs)
        << Qt::endl;
    out << QStringLiteral("%1 cpu  %2").arg(QString(), -26).arg(bench::Spread(t.cpu)) << Qt::endl;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"rounds", "Timed rounds.", "n", "7"});
    bench::AddScaleOption(parser);
    parser.process(app);
    const int scale = bench::Scale(parser);
    const int rounds = std::max(1, parser.value("rounds").toInt());

    bench::ScratchDatabase scratch;
    Database &db = scratch.db;

    // 10,000 transaction rows (500 of them groups), 2,000 files and 20,000
    // links: with the count line, 32,001 lines.
    bench::DatabaseShape shape;
    shape.otherCounts = 0;
    shape.large.transactions = 9500;
    shape.large.groups = 500;
    shape.large = shape.large.scaled(scale);
    const int large = bench::FillDatabase(db, shape);
    AppState state;
    state.currentCountId = large;
    WorkingCopy wc(db, state);
    wc.LoadWorkingCopy(large);

    ExportOptions options;
    options.countTotal = 123456;
    const QString path = scratch.dir.filePath(QStringLiteral("large.txt"));
    enum { Collect, ToFile, Clipboard, Split, Decode, Steps };
    bench::WallAndCpu times[Steps];
    const auto timed = [&](int step, const std::function<void()> &work) { bench::Timed(times[step], work); };
    QStringList lines;
    for (int round = 0; round < rounds; ++round) {
        timed(Collect, [&] { lines = CollectExportLines(db, options); });
        timed(ToFile, [&] { WriteInterchangeFile(path, CollectExportLines(db, options)); });
        timed(Clipboard, [&] { ClipboardText(CollectExportLines(db, options)); });
        qsizetype fields = 0;
        timed(Split, [&] {
            TCSVStringInfo info;
            for (const QString &line : lines) {
                info.SetSourceString(line);
                fields += info.FieldList().size();
            }
        });
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        qsizetype decoded = 0;
        timed(Decode, [&] { decoded = DecodeInterchangeText(bytes).split(QStringLiteral("\r\n")).size(); });
        if (round == 0)
            out << lines.size() << " lines, " << fields << " fields, " << bytes.size() << " bytes, "
                << decoded - 1 << " lines read back" << Qt::endl;
    }
    Report(QStringLiteral("collect lines"), times[Collect], 200);
    Report(QStringLiteral("export to file"), times[ToFile], 200);
    Report(QStringLiteral("export clipboard text"), times[Clipboard], 200);
    Report(QStringLiteral("split every line"), times[Split], 50);
    Report(QStringLiteral("decode file and cut lines"), times[Decode], 50);
    db.close();
    return 0;
}
