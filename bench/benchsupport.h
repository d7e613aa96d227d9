#pragma once

// Pieces the editor benchmarks share.

#include "store/dialogservice.h"

#include <QString>
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

} // namespace qm::bench
