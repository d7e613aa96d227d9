#pragma once

// Pieces the benchmarks share.

#include "store/appstate.h"
#include "store/datamodule.h"
#include "store/dialogservice.h"
#include "store/schema.h"
#include "store/settingsentry.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
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

// Best, median and worst of a set of timings in milliseconds.
inline QString Spread(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return QStringLiteral("best %1 ms, median %2 ms, worst %3 ms")
        .arg(ms.front(), 0, 'f', 1)
        .arg(ms[ms.size() / 2], 0, 'f', 1)
        .arg(ms.back(), 0, 'f', 1);
}

// Offscreen unless there is a display to show the windows on; call before
// the application object exists.
inline void PreferOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Adds "--rounds N" to the parser's own options, reads the command line and
// gives the rounds asked for, at least one.
inline int ParseRounds(QCommandLineParser &parser, const QCoreApplication &app, const QString &defaultRounds)
{
    const QCommandLineOption roundsOption(QStringLiteral("rounds"), QStringLiteral("Repetitions."),
                                          QStringLiteral("N"), defaultRounds);
    parser.addOption(roundsOption);
    parser.process(app);
    return std::max(1, parser.value(roundsOption).toInt());
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

} // namespace qm::bench
