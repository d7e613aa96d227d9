#pragma once

// A consistency check of a whole database: SQLite's own integrity check,
// then every saved count against the rules its rows must keep. Read-only.

#include <QList>
#include <QString>

namespace qm {

class Database;

struct CheckProblem
{
    int countId = 0; // 0 for a problem of the database as a whole
    QString text;
};

struct CheckResult
{
    bool integrityOk = false;
    int countsChecked = 0;
    QList<CheckProblem> problems;
};

CheckResult CheckDatabase(Database &db);

} // namespace qm
