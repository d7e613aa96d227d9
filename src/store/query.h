#pragma once

#include <QMap>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace qm {

class Database;

// A SELECT (or any statement) with named parameters written ":Name", and an
// optional condition line that the filter appends after the statement's own
// conditions and before its tail (usually the ORDER BY). Parameters are
// always bound, never glued into the text.
class StoreQuery
{
public:
    StoreQuery() = default;
    explicit StoreQuery(const QString &sql, const QString &tail = {});

    void setSql(const QString &sql, const QString &tail = {});
    QString sql() const { return m_sql; }
    QString tail() const { return m_tail; }

    void setConditionLine(const QString &line) { m_condition = line; }
    QString conditionLine() const { return m_condition; }

    // The name is given without the colon.
    void setParam(const QString &name, const QVariant &value);
    QVariant param(const QString &name) const;
    void clearParams() { m_params.clear(); }

    // The statement as run: text, condition line, tail.
    QString effectiveSql() const;
    // The placeholder names of the effective text, in order of appearance
    // (a name used twice appears twice).
    QStringList placeholders() const;

    // Prepares, binds and runs the statement; throws StoreError on failure
    // or when a placeholder has no value.
    QSqlQuery exec(Database &db) const;

private:
    QString m_sql;
    QString m_tail;
    QString m_condition;
    QMap<QString, QVariant> m_params; // keyed by lower-case name
};

// Rewrites ":Name" placeholders as "?" and returns their names in order.
// Text inside quotes is left alone, so a literal such as '10:30' is safe.
QString PositionalSql(const QString &sql, QStringList *names);

} // namespace qm
