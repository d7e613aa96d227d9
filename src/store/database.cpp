#include "store/database.h"

#include "store/apperror.h"
#include "store/schema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>

namespace qm {

namespace {

QString errorText(const QSqlError &e)
{
    const QString driver = e.driverText();
    const QString db = e.databaseText();
    if (driver.isEmpty())
        return db;
    if (db.isEmpty() || db == driver)
        return driver;
    return driver + QStringLiteral(": ") + db;
}

} // namespace

Database::Database(const QString &connectionName) : m_name(connectionName) {}

Database::~Database()
{
    close();
}

void Database::open(const QString &directory)
{
    const QString path = QDir(directory).filePath(kDatabaseFileName);
    if (!QFileInfo(path).isFile())
        throw StoreError(QStringLiteral("Database file %1 not found").arg(QDir::toNativeSeparators(path)));
    openFile(path, false);
    m_directory = directory;
}

void Database::openFile(const QString &filePath, bool create)
{
    close();
    if (!create && !QFileInfo(filePath).isFile())
        throw StoreError(QStringLiteral("Database file %1 not found").arg(filePath));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(filePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            const QString text = errorText(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            throw StoreError(text);
        }
    }
    m_filePath = filePath;
    m_directory = QFileInfo(filePath).absolutePath();
    // A rollback journal leaves no extra file beside the database once closed;
    // with every commit synced through the journal and the database file, a
    // crash or power cut leaves either the old or the new state, never half.
    exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    exec(QStringLiteral("PRAGMA synchronous=FULL"));
    // SQLite's default cache of 2 MB holds a fraction of a large count's
    // indexes: saving one then spends its time re-reading index pages. The
    // cache grows only as pages are used, so a small database costs nothing.
    exec(QStringLiteral("PRAGMA cache_size=-%1").arg(kCacheKiB));
}

void Database::close()
{
    closeAllCursors();
    if (QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    m_filePath.clear();
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QString Database::parameter() const
{
    return QStringLiteral("path=") + m_directory;
}

QSqlDatabase Database::handle() const
{
    if (!isOpen())
        throw StoreError(QStringLiteral("The database is not connected"));
    return QSqlDatabase::database(m_name, false);
}

QSqlQuery Database::prepare(const QString &sql)
{
    QSqlQuery q(handle());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw StoreError(errorText(q.lastError()) + QStringLiteral(" [") + sql + QStringLiteral("]"));
    return q;
}

void Database::execPrepared(QSqlQuery &query)
{
    if (!query.exec())
        throw StoreError(errorText(query.lastError()));
}

QSqlQuery Database::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery q = prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    execPrepared(q);
    return q;
}

QVariant Database::scalar(const QString &sql, const QVariantList &values)
{
    QSqlQuery q = exec(sql, values);
    return q.next() ? q.value(0) : QVariant();
}

int Database::addCloseHook(std::function<void()> hook)
{
    const int id = m_nextHook++;
    m_closeHooks.emplace(id, std::move(hook));
    return id;
}

void Database::removeCloseHook(int id)
{
    m_closeHooks.erase(id);
}

void Database::closeAllCursors()
{
    // A hook may remove itself while closing: walk a copy.
    const auto hooks = m_closeHooks;
    for (const auto &[id, hook] : hooks)
        hook();
}

void Database::acquireTable(const QString &table, bool exclusive)
{
    TableUse &use = m_tableUse[table.toLower()];
    if (use.exclusive || (exclusive && use.users > 0)) {
        if (use.users == 0)
            m_tableUse.erase(table.toLower());
        throw StoreError(QStringLiteral("Table is busy: %1 is in use").arg(table));
    }
    ++use.users;
    use.exclusive = exclusive;
}

void Database::releaseTable(const QString &table, bool exclusive)
{
    const auto it = m_tableUse.find(table.toLower());
    if (it == m_tableUse.end())
        return;
    if (exclusive)
        it->second.exclusive = false;
    if (--it->second.users <= 0)
        m_tableUse.erase(it);
}

int Database::tableUsers(const QString &table) const
{
    const auto it = m_tableUse.find(table.toLower());
    return it == m_tableUse.end() ? 0 : it->second.users;
}

Transaction::Transaction(Database &db) : m_db(db)
{
    if (!m_db.handle().transaction())
        throw StoreError(errorText(m_db.handle().lastError()));
}

Transaction::~Transaction()
{
    if (!m_done && m_db.isOpen())
        m_db.handle().rollback();
}

void Transaction::commit()
{
    if (!m_db.handle().commit())
        throw StoreError(errorText(m_db.handle().lastError()));
    m_done = true;
}

} // namespace qm
