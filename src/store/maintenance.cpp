#include "store/maintenance.h"

#include "store/apperror.h"
#include "store/cursor.h"
#include "store/database.h"
#include "store/schema.h"

namespace qm {

void PackTable(Database &db, TableCursor &cursor)
{
    if (!cursor.isOpen())
        throw StoreError(QStringLiteral("Table must be opened to pack"), QStringLiteral("EDBEngineError"));
    if (!cursor.isExclusive())
        throw StoreError(QStringLiteral("Table must be opened exclusively to pack"), QStringLiteral("EDBEngineError"));
    bool known = false;
    if (!cursor.isQuery())
        for (const TableDef &t : AllTables())
            known = known || t.name.compare(cursor.tableName(), Qt::CaseInsensitive) == 0;
    if (!known)
        throw StoreError(QStringLiteral("Table must be either of Paradox or dBASE type to pack"),
                         QStringLiteral("EDBEngineError"));
    cursor.close();
    // SQLite keeps every table in one file: rebuilding that file drops the
    // free pages that deleted rows left, and the file shrinks.
    db.exec(QStringLiteral("VACUUM"));
}

void CompactPermanentTables(Database &db, const std::function<void(const QString &)> &status)
{
    static const std::pair<const char *, const char *> steps[] = {
        {"CCounts", "Packing Counts..."},
        {"CTrans", "Packing Trans..."},
        {"CFiles", "Packing Files..."},
        {"CFilesLink", "Packing Links..."},
    };
    for (const auto &[table, text] : steps) {
        if (status)
            status(QString::fromLatin1(text));
        TableCursor cursor(db);
        cursor.setTable(QString::fromLatin1(table));
        cursor.open(TableCursor::Exclusive);
        PackTable(db, cursor);
    }
    if (status)
        status(QString());
}

} // namespace qm
