#pragma once

#include "store/apperror.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace qm {

// Column of a configured field in a record source's result: -1 for a field
// left unconfigured, an error naming the view for one the result lacks.
inline int SourceFieldIndex(const QSqlRecord &record, const QString &field, const QString &view)
{
    if (field.isEmpty())
        return -1;
    const int i = record.indexOf(field);
    if (i < 0)
        throw StoreError(QStringLiteral("Field '%1' not found").arg(field), view);
    return i;
}

inline QString SourceText(const QSqlQuery &q, int column)
{
    return column < 0 ? QString() : q.value(column).toString();
}

} // namespace qm
