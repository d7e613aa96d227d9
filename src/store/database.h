#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <functional>
#include <map>

namespace qm {

// Owns one named SQLite connection. Every statement is prepared with bound
// values and checked; a failure throws StoreError with the driver's text.
class Database
{
public:
    static inline const QString kConnectionName = QStringLiteral("APPFPDB");
    // Page cache of each connection, in KiB.
    static constexpr int kCacheKiB = 64 * 1024;

    explicit Database(const QString &connectionName = kConnectionName);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Connects to the database file of a database folder. The folder must
    // already hold one: a missing file is an error, never silently created.
    void open(const QString &directory);
    // Opens a database file directly (create allows a new file).
    void openFile(const QString &filePath, bool create = false);
    void close();

    bool isOpen() const;
    QString directory() const { return m_directory; }
    QString filePath() const { return m_filePath; }
    // "path=" and the folder, the connection's one parameter.
    QString parameter() const;
    QString connectionName() const { return m_name; }
    QSqlDatabase handle() const;

    QSqlQuery exec(const QString &sql, const QVariantList &values = {});
    QSqlQuery prepare(const QString &sql);
    static void execPrepared(QSqlQuery &query);
    // First column of the first row, or an invalid QVariant when no row.
    QVariant scalar(const QString &sql, const QVariantList &values = {});

    // Cursors and queries register here so they can all be closed at once
    // (before reconnecting, compacting or after a fatal error).
    int addCloseHook(std::function<void()> hook);
    void removeCloseHook(int id);
    void closeAllCursors();

    // Tables held by open cursors: an exclusive open is refused while any
    // other cursor uses the table, and any open while one holds it
    // exclusively. Throws StoreError when refused.
    void acquireTable(const QString &table, bool exclusive);
    void releaseTable(const QString &table, bool exclusive);
    int tableUsers(const QString &table) const;

private:
    struct TableUse
    {
        int users = 0;
        bool exclusive = false;
    };

    QString m_name;
    QString m_directory;
    QString m_filePath;
    std::map<int, std::function<void()>> m_closeHooks;
    int m_nextHook = 1;
    std::map<QString, TableUse> m_tableUse; // keyed by lower-case name
};

// Rolls back unless committed, so an interrupted write leaves the database
// as it was before the first statement.
class Transaction
{
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();

private:
    Database &m_db;
    bool m_done = false;
};

} // namespace qm
