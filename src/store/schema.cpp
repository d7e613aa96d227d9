#include "store/schema.h"

#include "store/apperror.h"
#include "store/database.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace qm {

namespace {

using T = ColumnType;

// System names are eight characters; the column holds nine so the default
// " NOSYSTEM", with its leading blank, is stored whole.
std::vector<ColumnDef> countColumns()
{
    std::vector<ColumnDef> c = {
        {"Id", T::Integer},           {"System", T::Text, 9},         {"Description", T::Text, 60},
        {"LastUpd_Time", T::Time},    {"LastUpd_Date", T::Date},      {"Created_Time", T::Time},
        {"Created_Date", T::Date},    {"Created_By", T::Text, 16},    {"Type", T::Text, 1},
        {"Version", T::Float},        {"Copy_Count_Id", T::Integer},
    };
    for (int i = 1; i <= 14; ++i)
        c.push_back({QStringLiteral("VAF_%1").arg(i), T::SmallInt});
    c.insert(c.end(), {
                          {"Last_Files_Tag", T::Float},
                          {"Last_Trans_Tag", T::Float},
                          {"Status", T::Text, 1},
                          {"Notes", T::Memo},
                          {"Old_VAF", T::Float},
                          {"FP_Val", T::Integer},
                          {"Ext_Id", T::Integer},
                      });
    return c;
}

std::vector<ColumnDef> transColumns()
{
    return {
        {"Count_Id", T::Integer},         {"Tag", T::Integer},
        {"Description", T::Text, 60},     {"FP_Val", T::Float},
        {"Complexity", T::Text, 1},       {"Type", T::Text, 2},
        {"Change_Type", T::Text, 1},      {"Owner_Tag", T::Integer},
        {"Input_Det_Count", T::Integer},  {"Input_File_Count", T::Integer},
        {"Output_Det_Count", T::Integer}, {"Output_File_Count", T::Integer},
        {"Memo", T::Memo},
    };
}

std::vector<ColumnDef> fileColumns()
{
    return {
        {"Count_Id", T::Integer}, {"Tag", T::Integer},       {"Description", T::Text, 60},
        {"FP_Val", T::Float},     {"Complexity", T::Text, 1}, {"RET_Count", T::Integer},
        {"DET_Count", T::Integer}, {"Type", T::Text, 2},     {"Change_Type", T::Text, 1},
        {"Memo", T::Memo},
    };
}

std::vector<ColumnDef> linkColumns()
{
    return {
        {"Count_Id", T::Integer},
        {"File_Tag", T::Integer},
        {"Trans_Tag", T::Integer},
        {"Input_Output_Flag", T::Text, 1},
        {"Update_Flag", T::Text, 1},
    };
}

std::vector<TableDef> buildTables()
{
    const QStringList itemKey = {"Tag", "Count_Id"};
    return {
        {"CCounts", countColumns(), {"Id"}, true},
        {"CTrans", transColumns(), itemKey, true},
        {"CFiles", fileColumns(), itemKey, true},
        {"CFilesLink", linkColumns(), {}, true},
        {"Counts", countColumns(), {}, false},
        {"Trans", transColumns(), {}, false},
        {"Files", fileColumns(), {}, false},
        {"FilesLink", linkColumns(), {}, false},
    };
}

// The saved tables are read, written and deleted a count at a time. With
// each count's rows indexed in tag order, the load needs no sort and a save's
// delete of the old rows walks the table and its key in the order they lie
// in, so a large count costs in proportion to its size. Nothing looks links
// up by file in the saved tables, so they carry one index only.
const std::vector<std::pair<QString, QString>> &indexes()
{
    static const std::vector<std::pair<QString, QString>> list = {
        {"CCounts_Copy", "CREATE INDEX CCounts_Copy ON CCounts (Copy_Count_Id)"},
        {"CCounts_System", "CREATE INDEX CCounts_System ON CCounts (System)"},
        {"CTrans_Count", "CREATE INDEX CTrans_Count ON CTrans (Count_Id, Tag)"},
        {"CFiles_Count", "CREATE INDEX CFiles_Count ON CFiles (Count_Id, Tag)"},
        {"CFilesLink_Count", "CREATE INDEX CFilesLink_Count ON CFilesLink (Count_Id, Trans_Tag, File_Tag)"},
    };
    return list;
}

} // namespace

QStringList TableDef::columnNames() const
{
    QStringList names;
    for (const auto &c : columns)
        names << c.name;
    return names;
}

const ColumnDef *TableDef::column(const QString &name) const
{
    for (const auto &c : columns)
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

const std::vector<TableDef> &AllTables()
{
    static const std::vector<TableDef> tables = buildTables();
    return tables;
}

const TableDef &TableByName(const QString &name)
{
    for (const auto &t : AllTables())
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return t;
    throw StoreError(QStringLiteral("Unknown table %1").arg(name));
}

QString SqlTypeName(ColumnType type)
{
    switch (type) {
    case ColumnType::Integer:
    case ColumnType::SmallInt:
        return QStringLiteral("INTEGER");
    case ColumnType::Float:
        return QStringLiteral("REAL");
    case ColumnType::Text:
    case ColumnType::Memo:
    case ColumnType::Date:
    case ColumnType::Time:
        return QStringLiteral("TEXT");
    }
    return QStringLiteral("TEXT");
}

QString CreateTableSql(const TableDef &table)
{
    QStringList parts;
    for (const auto &c : table.columns) {
        QString def = QStringLiteral("\"%1\" %2").arg(c.name, SqlTypeName(c.type));
        // The permanent tables refuse over-long text, so a fault upstream
        // fails loudly instead of storing what the windows cannot show.
        if (table.permanent && c.type == ColumnType::Text)
            def += QStringLiteral(" CHECK (length(\"%1\") <= %2)").arg(c.name).arg(c.size);
        parts << def;
    }
    if (!table.primaryKey.isEmpty())
        parts << QStringLiteral("PRIMARY KEY (%1)").arg(table.primaryKey.join(", "));
    return QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(table.name, parts.join(", "));
}

void CreateSchema(Database &db)
{
    for (const auto &t : AllTables())
        db.exec(CreateTableSql(t));
    for (const auto &[name, sql] : indexes())
        db.exec(sql);
}

bool UpdateIndexes(Database &db)
{
    if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'CTrans'"))
            .toInt()
        == 0)
        return false;
    const auto definition = [&db](const QString &name) {
        return db.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' AND name = ?"), {name})
            .toString();
    };
    bool current = definition(QStringLiteral("CFilesLink_File")).isEmpty();
    for (const auto &[name, sql] : indexes())
        current = current && definition(name) == sql;
    if (current)
        return false;
    Transaction tx(db);
    db.exec(QStringLiteral("DROP INDEX IF EXISTS CFilesLink_File"));
    for (const auto &[name, sql] : indexes()) {
        if (definition(name) == sql)
            continue;
        db.exec(QStringLiteral("DROP INDEX IF EXISTS %1").arg(name));
        db.exec(sql);
    }
    tx.commit();
    return true;
}

void CreateEmptyDatabaseFile(const QString &filePath)
{
    if (QFileInfo::exists(filePath))
        throw FileError(QStringLiteral("%1 already exists").arg(filePath));
    Database db(QStringLiteral("qm_create_%1").arg(QUuid::createUuid().toString(QUuid::Id128)));
    db.openFile(filePath, true);
    CreateSchema(db);
    db.close();
}

} // namespace qm
