#include "store/databasecheck.h"

#include "store/schema.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

namespace qm {

namespace {

bool hasTables(QSqlDatabase &db)
{
    for (const TableDef &table : AllTables()) {
        QSqlQuery q(db);
        // PRAGMA takes no bound values; the names are the schema's own.
        if (!q.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table.name)))
            return false;
        QStringList columns;
        while (q.next())
            columns << q.value(1).toString();
        for (const QString &column : table.columnNames())
            if (!columns.contains(column, Qt::CaseInsensitive))
                return false;
    }
    return true;
}

} // namespace

bool IsQuillmarkDatabaseFile(const QString &filePath)
{
    if (!QFileInfo(filePath).isFile())
        return false;
    static QAtomicInt serial;
    const QString name = QStringLiteral("qm_check_%1").arg(serial.fetchAndAddRelaxed(1));
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(filePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        ok = db.open() && hasTables(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace qm
