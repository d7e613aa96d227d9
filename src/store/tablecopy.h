#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace qm {

class Database;
class StoreQuery;

// Copying query results into tables, as the working copy needs them.

struct ColumnMap
{
    QString source; // column of the query result
    QString target; // column of the table
};

// Double-quoted identifier, safe for any name.
QString QuoteName(const QString &name);

// Column names of a table, in stored order.
QStringList TableColumns(Database &db, const QString &table);
// Column names of a query's result, without fetching its rows.
QStringList ResultColumns(Database &db, const StoreQuery &query);

// Removes every row; the table keeps its columns.
void EmptyTable(Database &db, const QString &table);

// True when the connection holds a private (TEMP) table of that name.
bool IsPrivateTable(Database &db, const QString &table);

// Gives this connection private, empty copies of the four working tables.
// They shadow the shared ones for this connection only, so a second process
// can load, import and export counts while the program's editor keeps its
// own working copy.
void MakeWorkingTablesPrivate(Database &db);

// Drops the table and re-creates it with the result's columns, filled with
// its rows. A private table is re-created private.
void ReplaceTable(Database &db, const QString &table, const StoreQuery &query);

// Appends the result's rows, the first result column into the first table
// column and so on.
void AppendByPosition(Database &db, const QString &table, const StoreQuery &query);

// Appends the result's rows by column name. With no mapping, every table
// column takes the result column of the same name (case ignored); table
// columns the result lacks stay empty.
void AppendByName(Database &db, const QString &table, const StoreQuery &query,
                  const QList<ColumnMap> &mapping = {});

} // namespace qm
