#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace qm {

class Database;

// The database lives in one SQLite file; its name is also what marks a
// folder as a database folder.
inline const QString kDatabaseFileName = QStringLiteral("CCounts.DB");

enum class ColumnType { Integer, SmallInt, Float, Text, Memo, Date, Time };

struct ColumnDef
{
    QString name;
    ColumnType type;
    int size = 0; // maximum characters of a Text column
};

struct TableDef
{
    QString name;
    std::vector<ColumnDef> columns;
    QStringList primaryKey;
    bool permanent = false;

    QStringList columnNames() const;
    const ColumnDef *column(const QString &name) const;
};

// The eight tables in a fixed order: the four permanent ones, then the four
// working copies with the same columns.
const std::vector<TableDef> &AllTables();
const TableDef &TableByName(const QString &name);

QString SqlTypeName(ColumnType type);
QString CreateTableSql(const TableDef &table);

// Creates every table and index in an empty database.
void CreateSchema(Database &db);
// Brings the indexes of a database made by an earlier version up to date,
// in one transaction. False when they already were.
bool UpdateIndexes(Database &db);

// Writes a new, empty database file (refuses to overwrite one).
void CreateEmptyDatabaseFile(const QString &filePath);

} // namespace qm
