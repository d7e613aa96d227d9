// Times the count report on the large count of a generated database, through
// the editor as a user runs it: the whole report exported as a PDF, the
// preview until its first page shows and until every page is built, and the
// parts (reading what the editor shows, laying the pages out).
// Run by hand, offscreen or on a display, Release build; prints its figures.
//
//   bench_report [--rounds N] [--scale N]

#include "datagen.h"

#include "editor/editorreport.h"
#include "editor/mainform.h"
#include "editor/reportpreview.h"
#include "editor/reportsource.h"
#include "report/printcountform.h"
#include "store/appstate.h"
#include "store/datamodule.h"
#include "store/database.h"
#include "store/schema.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include <vector>

#include "benchsupport.h"

using namespace qm;

namespace {

QTextStream out(stdout);

using bench::Ms;

// Runs the loop until the editor's report run has finished.
void WaitForRun(TEditorReport &report)
{
    if (!report.IsBusy())
        return;
    QEventLoop loop;
    QObject::connect(&report, &TEditorReport::RunFinished, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures
{
    std::vector<double> pdf, firstPage, preview, collect, layout;
    qint64 pdfBytes = 0;
    int pages = 0;
};

void TimeOnce(TMainForm &editor, Database &db, bench::AnsweringDialogs &dialogs, const QString &pdf, Figures &f)
{
    TEditorReport &report = editor.report();
    QElapsedTimer clock;

    dialogs.nextFile = pdf;
    clock.start();
    report.exportPdfAction()->trigger();
    WaitForRun(report);
    f.pdf.push_back(Ms(clock));
    f.pdfBytes = QFileInfo(pdf).size();
    f.pages = report.run().pagesDone();

    double first = 0;
    clock.restart();
    const auto shown = QObject::connect(&report.run(), &report::TReportRun::PageReady, &editor, [&](int number) {
        if (number != 1)
            return;
        // Painted now, as the window would on its next paint.
        report.preview()->grab();
        first = Ms(clock);
    });
    editor.commands().action(TEditorCommands::PrintPreview)->trigger();
    WaitForRun(report);
    f.preview.push_back(Ms(clock));
    f.firstPage.push_back(first);
    QObject::disconnect(shown);
    report.preview()->close();

    clock.restart();
    report::CountReportData data = ReportDataFromEditor(editor, db);
    f.collect.push_back(Ms(clock));
    clock.restart();
    report::TPrintCountForm form(std::move(data));
    const int pages = int(form.LayoutAll().size());
    f.layout.push_back(Ms(clock));
    if (pages != f.pages)
        out << "  (layout alone gave " << pages << " pages, the export " << f.pages << ")" << Qt::endl;
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
    bench::DatabaseShape shape = bench::DatabaseShape::withLarge(bench::Scale(parser));
    shape.otherCounts = 0;
    const int large = bench::FillDatabase(dm.database(), shape);
    out << "Count of " << shape.large.transactions << " transactions, " << shape.large.groups << " groups and "
        << shape.large.files << " files" << Qt::endl;
    dm.openCatalogueCursor();

    TMainForm editor(dm);
    editor.setLoadPause(0);
    bench::OpenSaved(dm.state(), large);

    Figures f;
    QObject::connect(&editor, &TMainForm::LoadFinished, &editor, [&] {
        QTimer::singleShot(0, &editor, [&] {
            for (int round = 0; round < rounds; ++round)
                TimeOnce(editor, dm.database(), dialogs, work.dir.filePath(QStringLiteral("report.pdf")), f);
            editor.close();
        });
    });
    editor.RunModal();

    out << "Report of " << f.pages << " pages, PDF of " << f.pdfBytes / 1024 << " KiB (" << rounds << " rounds):"
        << Qt::endl;
    out << "  export as PDF, whole:        " << bench::Spread(f.pdf) << Qt::endl;
    out << "  preview, first page shown:   " << bench::Spread(f.firstPage) << Qt::endl;
    out << "  preview, every page built:   " << bench::Spread(f.preview) << Qt::endl;
    out << "  reading the editor's trees:  " << bench::Spread(f.collect) << Qt::endl;
    out << "  laying out every page:       " << bench::Spread(f.layout) << Qt::endl;
    out << "Message boxes answered: " << dialogs.messages << Qt::endl;
    return 0;
}
