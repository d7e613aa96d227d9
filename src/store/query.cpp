#include "store/query.h"

#include "store/apperror.h"
#include "store/database.h"

namespace qm {

namespace {

bool isNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

QString PositionalSql(const QString &sql, QStringList *names)
{
    QString out;
    out.reserve(sql.size());
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            out += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            out += c;
            continue;
        }
        if (c == QLatin1Char(':') && i + 1 < sql.size() && isNameStart(sql.at(i + 1))) {
            qsizetype end = i + 1;
            while (end < sql.size() && isNameChar(sql.at(end)))
                ++end;
            if (names)
                names->append(sql.mid(i + 1, end - i - 1));
            out += QLatin1Char('?');
            i = end - 1;
            continue;
        }
        out += c;
    }
    return out;
}

StoreQuery::StoreQuery(const QString &sql, const QString &tail) : m_sql(sql), m_tail(tail) {}

void StoreQuery::setSql(const QString &sql, const QString &tail)
{
    m_sql = sql;
    m_tail = tail;
}

void StoreQuery::setParam(const QString &name, const QVariant &value)
{
    m_params.insert(name.toLower(), value);
}

QVariant StoreQuery::param(const QString &name) const
{
    return m_params.value(name.toLower());
}

QString StoreQuery::effectiveSql() const
{
    QString text = m_sql;
    if (!m_condition.isEmpty())
        text += QLatin1Char(' ') + m_condition;
    if (!m_tail.isEmpty())
        text += QLatin1Char(' ') + m_tail;
    return text;
}

QStringList StoreQuery::placeholders() const
{
    QStringList names;
    PositionalSql(effectiveSql(), &names);
    return names;
}

QSqlQuery StoreQuery::exec(Database &db) const
{
    QStringList names;
    const QString text = PositionalSql(effectiveSql(), &names);
    QSqlQuery q = db.prepare(text);
    for (const QString &name : names) {
        const auto it = m_params.constFind(name.toLower());
        if (it == m_params.constEnd())
            throw StoreError(QStringLiteral("Parameter %1 has no value [%2]").arg(name, effectiveSql()));
        q.addBindValue(*it);
    }
    Database::execPrepared(q);
    return q;
}

} // namespace qm
