#include "store/tablecopy.h"

#include "store/apperror.h"
#include "store/database.h"
#include "store/query.h"
#include "store/schema.h"

#include <QSqlRecord>

namespace qm {

namespace {

// The query wrapped as a sub-select, keeping its parameters.
StoreQuery subSelect(const QString &head, const StoreQuery &query, const QString &tail = {})
{
    StoreQuery wrapped(head + QStringLiteral(" (") + query.effectiveSql() + QStringLiteral(")"), tail);
    for (const QString &name : query.placeholders())
        wrapped.setParam(name, query.param(name));
    return wrapped;
}

// Checked before wrapping, so a missing value is reported against the
// caller's text rather than the generated statement.
void checkParams(const StoreQuery &query)
{
    for (const QString &name : query.placeholders())
        if (!query.param(name).isValid())
            throw StoreError(QStringLiteral("Parameter %1 has no value [%2]").arg(name, query.effectiveSql()));
}

} // namespace

QString QuoteName(const QString &name)
{
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QStringList TableColumns(Database &db, const QString &table)
{
    QStringList names;
    QSqlQuery q = db.exec(QStringLiteral("PRAGMA table_info(%1)").arg(QuoteName(table)));
    while (q.next())
        names << q.value(1).toString();
    if (names.isEmpty())
        throw StoreError(QStringLiteral("Table %1 does not exist").arg(table));
    return names;
}

QStringList ResultColumns(Database &db, const StoreQuery &query)
{
    checkParams(query);
    QSqlQuery q = subSelect(QStringLiteral("SELECT * FROM"), query, QStringLiteral("LIMIT 0")).exec(db);
    const QSqlRecord rec = q.record();
    QStringList names;
    for (int i = 0; i < rec.count(); ++i)
        names << rec.fieldName(i);
    return names;
}

void EmptyTable(Database &db, const QString &table)
{
    db.exec(QStringLiteral("DELETE FROM %1").arg(QuoteName(table)));
}

bool IsPrivateTable(Database &db, const QString &table)
{
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_temp_master WHERE type = 'table' AND name = ?"),
                     {table})
               .toInt()
           > 0;
}

void ReplaceTable(Database &db, const QString &table, const StoreQuery &query)
{
    checkParams(query);
    // A private table shadows the shared one of the same name: it must stay
    // private, or the re-created table would land on the shared one.
    const bool temp = IsPrivateTable(db, table);
    db.exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(QuoteName(table)));
    // The new table takes its column names and types from the result.
    subSelect(QStringLiteral("CREATE %1TABLE %2 AS SELECT * FROM")
                  .arg(temp ? QStringLiteral("TEMP ") : QString(), QuoteName(table)),
              query)
        .exec(db);
}

void MakeWorkingTablesPrivate(Database &db)
{
    for (const TableDef &table : AllTables()) {
        if (table.permanent || IsPrivateTable(db, table.name))
            continue;
        QString sql = CreateTableSql(table);
        sql.replace(0, int(QStringLiteral("CREATE TABLE").size()), QStringLiteral("CREATE TEMP TABLE"));
        db.exec(sql);
    }
}

void AppendByPosition(Database &db, const QString &table, const StoreQuery &query)
{
    checkParams(query);
    subSelect(QStringLiteral("INSERT INTO %1 SELECT * FROM").arg(QuoteName(table)), query).exec(db);
}

void AppendByName(Database &db, const QString &table, const StoreQuery &query, const QList<ColumnMap> &mapping)
{
    checkParams(query);
    QList<ColumnMap> pairs = mapping;
    if (pairs.isEmpty()) {
        const QStringList result = ResultColumns(db, query);
        for (const QString &column : TableColumns(db, table)) {
            for (const QString &source : result) {
                if (source.compare(column, Qt::CaseInsensitive) == 0) {
                    pairs.append({source, column});
                    break;
                }
            }
        }
        if (pairs.isEmpty())
            throw StoreError(QStringLiteral("No column of the result matches table %1").arg(table));
    }
    QStringList targets;
    QStringList sources;
    for (const ColumnMap &pair : pairs) {
        targets << QuoteName(pair.target);
        sources << QuoteName(pair.source);
    }
    const QString head = QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM")
                             .arg(QuoteName(table), targets.join(QStringLiteral(", ")),
                                  sources.join(QStringLiteral(", ")));
    subSelect(head, query).exec(db);
}

} // namespace qm
