// Times the catalogue window on a large database: 5,000 counts in families
// of derived counts across 50 systems. Measures the tree shown from the
// window's activation, a full reload, and switching the system filter.
// Run by hand; prints its figures.
//
//   bench_catalogue [--rounds N] [--counts N] [--systems N] [--scale N]
//
// --scale multiplies the number of counts.

#include "catalogue/firstform.h"
#include "store/appstate.h"
#include "store/database.h"
#include "store/datamodule.h"
#include "store/schema.h"
#include "store/settingsentry.h"
#include "views/dbtreeview.h"
#include "views/widgetdialogservice.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdlib>
#include <vector>
#include "benchsupport.h"

using namespace qm;

namespace {

QTextStream out(stdout);

using bench::Expect;

QString summary(std::vector<double> t, const QString &limit)
{
    return bench::Spread(std::move(t), QStringLiteral("s"), 3) + QStringLiteral(" (limit %1 s)").arg(limit);
}

// Families of ten to thirty counts: a base count and counts derived from
// any earlier member, now and then from a count of another system.
void fillCatalogue(Database &db, int counts, int systems)
{
    QRandomGenerator rng(20240611);
    Transaction tx(db);
    QSqlQuery insert = db.prepare(QStringLiteral(
        "INSERT INTO CCounts (Id, System, Description, LastUpd_Time, LastUpd_Date, Created_Time, Created_Date, "
        "Created_By, Type, Version, Copy_Count_Id, Status, Notes, Old_VAF, FP_Val, Ext_Id) "
        "VALUES (?, ?, ?, '10:00:00', '2024-06-11', '09:00:00', '2024-01-15', ' ', ?, 1.0, ?, ?, ' ', 1.0, ?, ?)"));
    int familyStart = 1;
    int familyEnd = 0;
    for (int id = 1; id <= counts; ++id) {
        if (id > familyEnd) {
            familyStart = id;
            familyEnd = id + 9 + int(rng.bounded(21));
        }
        const bool root = id == familyStart;
        int parent = root ? 0 : familyStart + int(rng.bounded(id - familyStart));
        if (!root && id > 100 && rng.bounded(40) == 0)
            parent = 1 + int(rng.bounded(id - 1));
        const int system = (familyStart * 7) % systems;
        insert.addBindValue(id);
        insert.addBindValue(QStringLiteral("SYS%1").arg(system, 2, 10, QLatin1Char('0')));
        insert.addBindValue(QStringLiteral("%1 count %2").arg(root ? "Baseline" : "Project").arg(id));
        insert.addBindValue(root || rng.bounded(5) == 0 ? "B" : "E");
        insert.addBindValue(parent);
        insert.addBindValue(rng.bounded(10) == 0 ? "R" : "U");
        insert.addBindValue(int(rng.bounded(2000)));
        insert.addBindValue(id);
        Database::execPrepared(insert);
    }
    tx.commit();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"rounds", "Timed rounds of each measurement.", "N", "7"});
    parser.addOption({"counts", "Counts in the database.", "N", "5000"});
    parser.addOption({"systems", "Systems the counts belong to.", "N", "50"});
    bench::AddScaleOption(parser);
    parser.process(app);
    const int rounds = std::max(1, parser.value("rounds").toInt());
    const int counts = std::max(1, parser.value("counts").toInt()) * bench::Scale(parser);
    const int systems = std::max(1, parser.value("systems").toInt());

    QTemporaryDir dir;
    Expect(dir.isValid(), "a temporary folder");
    CreateEmptyDatabaseFile(dir.filePath(QStringLiteral("CCounts.DB")));
    {
        Database db(QStringLiteral("bench_fill"));
        db.open(dir.path());
        fillCatalogue(db, counts, systems);
    }

    WidgetDialogService dialogs;
    SettingsEntry settings(dir.filePath(QStringLiteral("quillmark.ini")));
    settings.writeDirectory(dir.path());
    DataModule data(dialogs, settings, DataModule::Options{{}, {}, [] {}, [](int code) { std::exit(code); }});
    Expect(data.start(), "the database connects");

    QElapsedTimer timer;
    std::vector<double> shown;
    for (int r = 0; r < rounds; ++r) {
        TFirstForm form(data, settings);
        timer.start();
        form.show();
        form.FormActivate();
        QCoreApplication::processEvents();
        shown.push_back(double(timer.nsecsElapsed()) / 1e9);
        Expect(form.countTree()->IndexedKeyCount() == counts, "every count has a node");
    }
    out << QStringLiteral("%1 counts, %2 systems").arg(counts).arg(systems) << Qt::endl;
    out << "Tree shown from activation: " << summary(shown, "0.500") << Qt::endl;

    TFirstForm form(data, settings);
    form.show();
    QCoreApplication::processEvents();
    std::vector<double> reloads;
    for (int r = 0; r < rounds; ++r) {
        timer.start();
        form.LoadCountTree();
        QCoreApplication::processEvents();
        reloads.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    out << "Reload of the whole tree:   " << summary(reloads, "0.500") << Qt::endl;

    std::vector<double> toSystem;
    std::vector<double> toAll;
    for (int r = 0; r < rounds; ++r) {
        const QString system = QStringLiteral("SYS%1").arg(r * 7 % systems, 2, 10, QLatin1Char('0'));
        timer.start();
        form.ApplySystemFilter(system);
        QCoreApplication::processEvents();
        toSystem.push_back(double(timer.nsecsElapsed()) / 1e9);
        Expect(form.countTree()->topLevelItemCount() > 0, "the filtered tree has nodes");
        timer.start();
        form.ApplySystemFilter(QString());
        QCoreApplication::processEvents();
        toAll.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    out << "Filter to one system:       " << summary(toSystem, "0.200") << Qt::endl;
    out << "Filter back to all counts:  " << summary(toAll, "0.200") << Qt::endl;
    return 0;
}
