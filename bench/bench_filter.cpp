// Times the filter and the search on the large count of a generated
// database: applying a filter through "Filter Details" and removing it
// again (trees rebuilt, summary refreshed), and one search through the
// whole transaction tree that finds nothing. Run by hand; prints medians.
//
//   bench_filter [--rounds N] [--scale N]

#include "datagen.h"

#include "analysis/findform.h"
#include "analysis/formfilter.h"
#include "editor/mainform.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/datamodule.h"
#include "store/schema.h"
#include "store/settingsentry.h"
#include "views/dbtreeview.h"

#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QTreeWidgetItemIterator>

#include <vector>

#include "benchsupport.h"

using namespace qm;

namespace {

QTextStream out(stdout);

double Ms(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / 1e6;
}

// "Filter Details" as a user leaves it: the given boxes ticked, "OK".
double ApplyOnce(TMainForm &editor, const QList<QCheckBox *> &boxes)
{
    TFormFilter *form = editor.filterForm();
    QTimer::singleShot(0, form, [form, boxes] {
        for (QCheckBox *box : boxes)
            box->click();
        form->accept();
    });
    QElapsedTimer clock;
    clock.start();
    editor.OpenFilter();
    return Ms(clock);
}

int NodeCount(TDBTreeView *tree)
{
    int n = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        ++n;
    return n;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption roundsOption(QStringLiteral("rounds"), QStringLiteral("Repetitions."),
                                          QStringLiteral("N"), QStringLiteral("7"));
    parser.addOption(roundsOption);
    bench::AddScaleOption(parser);
    parser.process(app);
    const int rounds = std::max(1, parser.value(roundsOption).toInt());

    QTemporaryDir dir;
    CreateEmptyDatabaseFile(dir.filePath(kDatabaseFileName));
    bench::AnsweringDialogs dialogs;
    SettingsEntry settings(dir.filePath(QStringLiteral("quillmark.ini")));
    DataModule dm(dialogs, settings, DataModule::Options{});
    dm.ConnectDatabase(dir.path());
    bench::DatabaseShape shape = bench::DatabaseShape::withLarge(bench::Scale(parser));
    shape.otherCounts = 5;
    const int large = bench::FillDatabase(dm.database(), shape);
    dm.openCatalogueCursor();
    out << "Count of " << shape.large.transactions << " transactions, " << shape.large.groups << " groups, "
        << shape.large.files << " files" << Qt::endl;

    TMainForm editor(dm);
    editor.setLoadPause(0);
    AppState &state = dm.state();
    state.currentCountId = large;
    state.newCount = false;
    state.changeCount = 0;

    std::vector<double> typeOn, complexityOn, off, find;
    int shownInputs = 0, shownAll = 0;
    QObject::connect(&editor, &TMainForm::LoadFinished, &editor, [&] {
        QTimer::singleShot(0, &editor, [&] {
            const TFormFilter::Group &types = editor.filterForm()->typeGroup();
            const TFormFilter::Group &complexities = editor.filterForm()->complexityGroup();
            TDBTreeView *tree = editor.transPage()->tree();
            shownAll = NodeCount(tree);
            for (int i = 0; i < rounds; ++i) {
                // Inputs only; then low and average on top of it; then off,
                // which renews the dialog at its next opening.
                typeOn.push_back(ApplyOnce(editor, {types.codes[0]}));
                shownInputs = NodeCount(tree);
                complexityOn.push_back(ApplyOnce(editor, {complexities.codes[1], complexities.codes[2]}));
                QElapsedTimer clock;
                clock.start();
                editor.FilterOff();
                off.push_back(Ms(clock));
            }
            editor.pageControl()->setCurrentIndex(TMainForm::TransactionsPage);
            editor.findForm()->findEdit()->setText(QStringLiteral("no such transaction here"));
            for (int i = 0; i < std::max(rounds, 20); ++i) {
                tree->SelectNode(tree->topLevelItem(0));
                QElapsedTimer clock;
                clock.start();
                editor.FindNext();
                find.push_back(Ms(clock));
            }
            editor.close();
        });
    });
    editor.RunModal();

    out << "Transaction tree: " << shownAll << " nodes, " << shownInputs << " with inputs only" << Qt::endl;
    out << "Filter on (inputs only):          " << bench::Spread(typeOn) << Qt::endl;
    out << "Filter on (inputs, low, average): " << bench::Spread(complexityOn) << Qt::endl;
    out << "Filter Off:                       " << bench::Spread(off) << Qt::endl;
    out << "FindNext, no match, whole tree:   " << bench::Spread(find) << Qt::endl;
    out << "Message boxes answered: " << dialogs.messages << Qt::endl;
    return 0;
}
