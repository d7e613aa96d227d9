// Times the import wizard on the export of a generated count: from "Next >"
// on the first page to the checked second page with its view and log
// painted, then loading into the working tables; at 29,999 lines and at
// twice and four times that, to show how the cost grows.
// Run by hand (Release build), offscreen or on a display.
//
//   bench_import [--rounds N] [--scale N]

#include "datagen.h"

#include "interchange/exporter.h"
#include "interchange/ui/importform.h"
#include "store/appstate.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/workingcopy.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>

#include <vector>

#include "benchsupport.h"

using namespace qm;

namespace {

QTextStream out(stdout);

using bench::Timed;

// The export of one generated count of the given scale: 29,999 lines at 1.
QStringList ExportedText(int scale)
{
    bench::ScratchDatabase source(QStringLiteral("bench_source"));
    Database &db = source.db;
    bench::DatabaseShape shape;
    shape.otherCounts = 0;
    shape.large = {9000 * scale, 500 * scale, 4, 1500 * scale, 18998 * scale + scale - 1, QStringLiteral("B")};
    const int large = bench::FillDatabase(db, shape);
    AppState state;
    state.currentCountId = large;
    WorkingCopy(db, state).LoadWorkingCopy(large);
    QStringList lines = CollectExportLines(db, ExportOptions{});
    db.close();
    return lines;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"rounds", "Timed rounds per size.", "n", "3"});
    bench::AddScaleOption(parser);
    parser.process(app);
    // One size when asked for, else the three that show the growth.
    const QList<int> scales = parser.isSet("scale") ? QList<int>{bench::Scale(parser)} : QList<int>{1, 2, 4};
    const int rounds = std::max(1, parser.value("rounds").toInt());

    bench::ScratchDatabase target;
    Database &db = target.db;
    bench::AnsweringDialogs dialogs;
    TImportForm form(db, dialogs);
    form.resize(1200, 800);
    form.show();

    for (int scale : scales) {
        const QStringList lines = ExportedText(scale);
        bench::WallAndCpu validate, load;
        for (int round = 0; round < rounds; ++round) {
            form.Back();
            form.importEdit()->setPlainText(lines.join(QLatin1Char('\n')));
            QApplication::processEvents();
            Timed(validate, [&] {
                form.Validate();
                form.validateView()->repaint();
                form.errorLog()->repaint();
            });
            if (form.check().runStatus() == Severity::Error || !form.validateNextButton()->isEnabled()) {
                out << "the exported text did not pass: " << form.errorLog()->toPlainText().left(200) << Qt::endl;
                return 1;
            }
            Timed(load, [&] { form.Load(); });
            form.show();
        }
        out << lines.size() << " lines" << Qt::endl;
        out << "  validate and paint wall " << bench::Spread(validate.wall) << " (limit 1000 ms per 29,999 lines)"
            << Qt::endl;
        out << "                     cpu  " << bench::Spread(validate.cpu) << Qt::endl;
        out << "  load                wall " << bench::Spread(load.wall) << " (limit 500 ms per 29,999 lines)"
            << Qt::endl;
        out << "                     cpu  " << bench::Spread(load.cpu) << Qt::endl;
    }
    db.close();
    return 0;
}
