// Times opening, saving, deriving and deleting a large count in a database
// that holds many others. Run by hand; prints its figures.
//
//   bench_workingcopy [--rounds N] [--others N] [--dir FOLDER] [--scale N]

#include "datagen.h"
#include "benchsupport.h"

#include "store/appstate.h"
#include "store/database.h"
#include "store/schema.h"
#include "store/workingcopy.h"
#include "store/workingcopyui.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <map>

using namespace qm;

namespace {

// Agrees to every question and names every derived count; the window hooks
// have nothing to update here.
class AgreeingUi : public WorkingCopyUi
{
public:
    MessageAnswer message(MessageKind, const QString &, MessageButtons buttons) override
    {
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
    }
    void cancelReport() override {}
    std::optional<QString> askNewCountName() override { return QStringLiteral("Benchmark copy %1").arg(++m_named); }
    void showCountName() override {}
    void showStatus(const QString &) override {}
    void beginBusy() override {}
    void endBusy() override {}
    void postPendingEdits() override {}
    void dockPanels() override {}
    void refreshCursors() override {}
    void refreshTitle() override {}
    void refreshSummary() override {}
    void reopenAfterSave() override {}
    void rebuildAfterSaveAs() override {}
    void switchFilterOff() override {}
    qint64 totalAdjustedFps() override { return 0; }

private:
    int m_named = 0;
};

QTextStream out(stdout);

int rowsOf(Database &db, int id)
{
    int n = db.scalar(QStringLiteral("SELECT COUNT(*) FROM CCounts WHERE Id = ?"), {id}).toInt();
    for (const char *t : {"CTrans", "CFiles", "CFilesLink"})
        n += db.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Count_Id = ?").arg(t), {id}).toInt();
    return n;
}

// The timed step must have done its work, or the figure means nothing.
void expect(bool ok, const QString &what)
{
    if (!ok) {
        out << "FAILED: " << what << Qt::endl;
        std::exit(1);
    }
}

double seconds(QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

using Timings = std::map<QString, std::vector<double>>;

// One round: open the large count, save it, derive an enhancement from it
// and delete that again, so every round starts from the same database.
int runRound(Database &db, WorkingCopy &wc, AppState &state, int large, int largeRows, Timings &times)
{
    QElapsedTimer timer;
    const auto timed = [&](const QString &name, const auto &step) {
        timer.start();
        step();
        times[name].push_back(seconds(timer));
    };
    state = AppState{};
    state.currentCountId = large;
    timed("LoadWorkingCopy", [&] { wc.LoadWorkingCopy(large); });
    expect(db.scalar("SELECT COUNT(*) FROM Counts WHERE Id = ?", {large}).toInt() == 1, "load");
    timed("SaveWorkingCopy", [&] { expect(wc.SaveWorkingCopy(), "save"); });
    expect(rowsOf(db, large) == 0 && rowsOf(db, state.currentCountId) == largeRows, "save rows");
    large = state.currentCountId;
    timed("SaveWorkingCopyAs", [&] { expect(wc.SaveWorkingCopyAs(QStringLiteral("E")), "save as"); });
    const int derived = state.currentCountId;
    expect(rowsOf(db, derived) == largeRows && rowsOf(db, large) == largeRows, "save as rows");
    timed("DeleteCount", [&] { wc.DeleteCount(derived); });
    expect(rowsOf(db, derived) == 0, "delete");
    return large;
}

void report(const Timings &times)
{
    const std::map<QString, double> limits = {
        {"LoadWorkingCopy", 0.5}, {"SaveWorkingCopy", 0.5}, {"SaveWorkingCopyAs", 0.5}, {"DeleteCount", 0.2}};
    for (const QString name : {"LoadWorkingCopy", "SaveWorkingCopy", "SaveWorkingCopyAs", "DeleteCount"}) {
        std::vector<double> t = times.at(name);
        QStringList each;
        for (double s : t)
            each << QString::number(s, 'f', 3);
        std::sort(t.begin(), t.end());
        out << QStringLiteral("%1 best %2 s, median %3 s, worst %4 s (limit %5 s): %6")
                   .arg(name, -18)
                   .arg(t.front(), 0, 'f', 3)
                   .arg(t[t.size() / 2], 0, 'f', 3)
                   .arg(t.back(), 0, 'f', 3)
                   .arg(limits.at(name), 0, 'f', 1)
                   .arg(each.join(' '))
            << Qt::endl;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"rounds", "Timed rounds.", "n", "5"});
    parser.addOption({"others", "Counts of 500 items beside the large one.", "n", "200"});
    parser.addOption({"dir", "Empty folder to build the database in (kept).", "folder"});
    bench::AddScaleOption(parser);
    parser.process(app);

    QTemporaryDir temp;
    const QString dir = parser.isSet("dir") ? parser.value("dir") : temp.path();
    QDir().mkpath(dir);
    const QString file = QDir(dir).filePath(kDatabaseFileName);
    CreateEmptyDatabaseFile(file);
    Database db;
    db.open(dir);

    bench::DatabaseShape shape = bench::DatabaseShape::withLarge(bench::Scale(parser));
    shape.otherCounts = parser.value("others").toInt();
    QElapsedTimer timer;
    timer.start();
    int large = bench::FillDatabase(db, shape);
    const int largeRows = rowsOf(db, large);
    out << "Generated " << shape.otherCounts << " counts of " << shape.other.items() << " items and one of "
        << shape.large.transactions << " transactions in " << shape.large.groups << " groups, "
        << shape.large.files << " files and "
        << db.scalar("SELECT COUNT(*) FROM CFilesLink WHERE Count_Id = ?", {large}).toInt() << " links in "
        << QString::number(seconds(timer), 'f', 1) << " s (" << QFileInfo(file).size() / (1024 * 1024) << " MB)"
        << Qt::endl;

    AppState state;
    AgreeingUi ui;
    WorkingCopy wc(db, state, &ui);
    Timings times;
    const int rounds = std::max(1, parser.value("rounds").toInt());
    for (int round = 0; round < rounds; ++round)
        large = runRound(db, wc, state, large, largeRows, times);
    report(times);
    db.close();
    return 0;
}
