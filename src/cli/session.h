#pragma once

// What every command of the command-line tool shares: the exit codes, the
// error that carries one, the database folder and a connection whose
// working tables are its own.

#include "store/appstate.h"
#include "store/database.h"
#include "store/workingcopy.h"
#include "store/workingcopyui.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace qm::cli {

enum ExitCode { ExitOk = 0, ExitUsage = 1, ExitRefused = 2, ExitFailure = 3 };

// Ends a command with its message on stderr and the exit code.
struct CliError
{
    int code = ExitFailure;
    QString message;
};

// A saved count as the catalogue row gives it.
struct CountRow
{
    int id = 0;
    qint64 extId = 0;
    QString system;
    QString type;
    QString status;
    QString description;
    qint64 adjustedTotal = 0;
    int parentId = 0;
    QString created;
    QString updated;
    QString createdBy;
};

// The folder given by --db, or else the one in the settings entry; checked
// to hold a database. Throws CliError.
QString DatabaseFolder(const QString &option);

class Session
{
public:
    // Opens the folder's database. Writing commands wait this long for a
    // database another process is writing.
    explicit Session(const QString &folder, int busyMilliseconds = 30000);
    ~Session();

    Database &db() { return m_db; }
    AppState &state() { return m_state; }
    WorkingCopy &workingCopy() { return m_workingCopy; }
    QString folder() const { return m_folder; }

    QList<CountRow> Counts();
    // By number ("C00000007" or 7) or by exact description. Throws a
    // refusal naming the candidates when there is no single count.
    CountRow Resolve(const QString &reference);
    // The count in this connection's own working tables.
    void Load(const CountRow &count);

    // Messages of the working copy go to stderr, gathered here too.
    const QStringList &messages() const;
    // The total the working copy stores with a saved count.
    void setTotal(qint64 total);

private:
    class Ui;
    QString m_folder;
    Database m_db;
    AppState m_state;
    std::unique_ptr<Ui> m_ui;
    WorkingCopy m_workingCopy;
};

// Runs a piece of work that may throw the store's errors, turning them into
// a CliError a user can read.
void ThrowStoreFailure(const QString &what, const QString &detail);

} // namespace qm::cli
