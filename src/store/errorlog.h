#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

namespace qm {

class Database;
class DialogService;

inline const QString kErrorLogName = QStringLiteral("errorlog.txt");

// One log line: local date and time, the reporting component and the message.
QString FormatErrorLine(const QDateTime &when, const QString &component, const QString &message);

// Appends one line to errorlog.txt in the folder; false when it cannot.
bool AppendErrorLog(const QString &directory, const QString &component, const QString &message);

// The handler of last resort: logs the error, shows it, closes the cursors
// and ends the program.
class FatalErrorReporter
{
public:
    struct Hooks
    {
        std::function<QString()> directory;
        std::function<void()> restoreCursor;
        std::function<void(int)> terminate;
    };

    FatalErrorReporter(DialogService &dialogs, Hooks hooks);
    void setDatabase(Database *db) { m_db = db; }

    void ReportFatalError(const QString &component, const QString &message);

private:
    DialogService &m_dialogs;
    Hooks m_hooks;
    Database *m_db = nullptr;
};

} // namespace qm
