#pragma once

// Pieces the benchmarks share.

#include "store/appstate.h"
#include "store/database.h"
#include "store/datamodule.h"
#include "store/dialogservice.h"
#include "store/schema.h"
#include "store/settingsentry.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace qm::bench {

// Answers every box at once: "No" where there is a choice, else "OK".
class AnsweringDialogs : public DialogService
{
public:
    int messages = 0;
    MessageAnswer message(MessageKind, const QString &, MessageButtons buttons) override
    {
        ++messages;
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? MessageAnswer::No
                                                                                           : MessageAnswer::Ok;
    }
    QString chooseDirectory(const QString &, DirectoryMode) override { return {}; }
    // Benchmarks that need a file name set it here; otherwise the dialog is cancelled.
    QString nextFile;
    QString openFile(const FileDialogRequest &) override { return nextFile; }
    QString saveFile(const FileDialogRequest &) override { return nextFile; }
    bool printDialog(QPrinter &) override { return true; }
    bool pageSetupDialog(QPrinter &) override { return true; }
};

// Best, median and worst of a set of timings, scaled into the unit shown.
inline QString Spread(std::vector<double> t, const QString &unit, int decimals, double scale = 1.0)
{
    std::sort(t.begin(), t.end());
    return QStringLiteral("best %1 %4, median %2 %4, worst %3 %4")
        .arg(t.front() * scale, 0, 'f', decimals)
        .arg(t[t.size() / 2] * scale, 0, 'f', decimals)
        .arg(t.back() * scale, 0, 'f', decimals)
        .arg(unit);
}

// The same for timings in milliseconds.
inline QString Spread(std::vector<double> ms)
{
    return Spread(std::move(ms), QStringLiteral("ms"), 1);
}

// A benchmark whose own check fails stops there, its figures worthless.
inline void Expect(bool ok, const QString &what)
{
    if (!ok) {
        QTextStream(stdout) << "FAILED: " << what << Qt::endl;
        std::exit(1);
    }
}

// Offscreen unless there is a display to show the windows on; call before
// the application object exists.
inline void PreferOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// "--scale N": the data N times the benchmark size, so a figure at 2 and 4
// shows whether the work grows in proportion. Call before parser.process().
inline void AddScaleOption(QCommandLineParser &parser)
{
    parser.addOption({QStringLiteral("scale"), QStringLiteral("Data at N times the benchmark size (1 to 64)."),
                      QStringLiteral("N"), QStringLiteral("1")});
}

// The scale asked for; a value that is no size at all stops the benchmark.
inline int Scale(const QCommandLineParser &parser)
{
    bool ok = false;
    const int scale = parser.value(QStringLiteral("scale")).toInt(&ok);
    if (!ok || scale < 1 || scale > 64) {
        QTextStream(stderr) << "--scale takes a whole number from 1 to 64" << Qt::endl;
        std::exit(2);
    }
    return scale;
}

// Adds "--rounds N" and "--scale N" to the parser's own options, reads the
// command line and gives the rounds asked for, at least one.
inline int ParseRounds(QCommandLineParser &parser, const QCoreApplication &app, const QString &defaultRounds)
{
    const QCommandLineOption roundsOption(QStringLiteral("rounds"), QStringLiteral("Repetitions."),
                                          QStringLiteral("N"), defaultRounds);
    parser.addOption(roundsOption);
    AddScaleOption(parser);
    parser.process(app);
    Scale(parser);
    return std::max(1, parser.value(roundsOption).toInt());
}

// Peak resident memory of this process so far, in MiB.
inline double PeakMemoryMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// Resident memory of this process now, in MiB.
inline double MemoryMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// An empty database in a folder of its own, the data module connected to it
// and every box it raises answered.
struct Workspace
{
    QTemporaryDir dir;
    AnsweringDialogs dialogs;
    SettingsEntry settings{dir.filePath(QStringLiteral("quillmark.ini"))};
    DataModule dm{dialogs, settings, DataModule::Options{}};

    Workspace()
    {
        CreateEmptyDatabaseFile(dir.filePath(kDatabaseFileName));
        dm.ConnectDatabase(dir.path());
    }
};

// An empty database in a folder of its own, opened without a data module.
struct ScratchDatabase
{
    QTemporaryDir dir;
    Database db;

    explicit ScratchDatabase(const QString &connection = Database::kConnectionName) : db(connection)
    {
        CreateEmptyDatabaseFile(dir.filePath(kDatabaseFileName));
        db.open(dir.path());
    }
};

// The editor opens this count as saved, with nothing changed.
inline void OpenSaved(AppState &state, int countId)
{
    state.currentCountId = countId;
    state.newCount = false;
    state.changeCount = 0;
}

inline double Ms(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / 1e6;
}

// Milliseconds the work took.
template <typename F> double Time(F &&work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return Ms(clock);
}

// Processor time of this thread: on a shared machine it shows what the work
// itself costs, beside the time on the wall.
inline double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct WallAndCpu
{
    std::vector<double> wall, cpu;
};

// Adds the work's wall and thread processor milliseconds to the timings.
template <typename F> void Timed(WallAndCpu &t, F &&work)
{
    QElapsedTimer clock;
    const double cpu = ThreadCpuMs();
    clock.start();
    work();
    t.wall.push_back(Ms(clock));
    t.cpu.push_back(ThreadCpuMs() - cpu);
}

} // namespace qm::bench
