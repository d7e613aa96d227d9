#include "editor/linkqueries.h"

#include "store/cursor.h"
#include "store/database.h"

#include <QSqlQuery>

namespace qm {

StoreQuery TransLinkQuery()
{
    return StoreQuery(QStringLiteral(
        "SELECT Trans.Description, FilesLink.Input_Output_Flag, Trans.Tag, Trans.Change_Type, Trans.Type "
        "FROM Trans JOIN FilesLink ON Trans.Tag = FilesLink.Trans_Tag AND Trans.Count_Id = FilesLink.Count_Id "
        "WHERE FilesLink.Count_Id = :Count_Id AND FilesLink.File_Tag = :File_Tag "
        "ORDER BY FilesLink.rowid"));
}

StoreQuery FilesLinkSideQuery(const QString &side)
{
    StoreQuery q(QStringLiteral(
        "SELECT Files.Description, FilesLink.File_Tag, Files.Change_Type, Files.Type "
        "FROM Files JOIN FilesLink ON Files.Tag = FilesLink.File_Tag AND Files.Count_Id = FilesLink.Count_Id "
        "WHERE FilesLink.Count_Id = :Count_Id AND FilesLink.Trans_Tag = :Trans_Tag "
        "AND FilesLink.Input_Output_Flag = :Side"));
    q.setParam(QStringLiteral("Side"), side);
    return q;
}

StoreQuery FilesTransSideQuery(const QString &side)
{
    StoreQuery q(QStringLiteral(
        "SELECT Tag, Description, Change_Type, Type FROM Files "
        "WHERE Count_Id = :Count_Id AND (Change_Type IS NULL OR Change_Type <> 'D') "
        "AND Tag NOT IN (SELECT File_Tag FROM FilesLink WHERE Count_Id = :Count_Id "
        "AND Trans_Tag = :Trans_Tag AND Input_Output_Flag = :Side)"));
    q.setParam(QStringLiteral("Side"), side);
    return q;
}

int CountChildRows(Database &db, int countId, int ownerTag)
{
    return db.scalar(QStringLiteral("SELECT COUNT(*) FROM Trans WHERE Count_Id = ? AND Owner_Tag = ?"),
                     {countId, ownerTag})
        .toInt();
}

bool FileHasLinks(Database &db, int countId, int fileTag)
{
    return db.scalar(QStringLiteral("SELECT 1 FROM FilesLink WHERE Count_Id = ? AND File_Tag = ? LIMIT 1"),
                     {countId, fileTag})
        .isValid();
}

QList<FileLinkRef> FileLinks(Database &db, int countId, int fileTag)
{
    StoreQuery q = TransLinkQuery();
    q.setParam(QStringLiteral("Count_Id"), countId);
    q.setParam(QStringLiteral("File_Tag"), fileTag);
    QSqlQuery rows = q.exec(db);
    QList<FileLinkRef> links;
    while (rows.next())
        links.append({rows.value(2).toInt(), rows.value(1).toString()});
    return links;
}

int DeleteTransLinks(Database &db, int countId, int transTag, const QString &side)
{
    QSqlQuery q = side.isEmpty()
                      ? db.exec(QStringLiteral("DELETE FROM FilesLink WHERE Count_Id = ? AND Trans_Tag = ?"),
                                {countId, transTag})
                      : db.exec(QStringLiteral("DELETE FROM FilesLink WHERE Count_Id = ? AND Trans_Tag = ? "
                                               "AND Input_Output_Flag = ?"),
                                {countId, transTag, side});
    return q.numRowsAffected();
}

int DeleteFileLinks(Database &db, int countId, int fileTag)
{
    return db.exec(QStringLiteral("DELETE FROM FilesLink WHERE Count_Id = ? AND File_Tag = ?"), {countId, fileTag})
        .numRowsAffected();
}

void WriteTransLinks(Database &db, int countId, int transTag, const QString &side, const QStringList &fileTags)
{
    DeleteTransLinks(db, countId, transTag, side);
    QSqlQuery insert = db.prepare(QStringLiteral(
        "INSERT INTO FilesLink (Count_Id, File_Tag, Trans_Tag, Input_Output_Flag) VALUES (?, ?, ?, ?)"));
    for (const QString &fileTag : fileTags) {
        insert.bindValue(0, countId);
        insert.bindValue(1, fileTag.toInt());
        insert.bindValue(2, transTag);
        insert.bindValue(3, side);
        Database::execPrepared(insert);
    }
}

void RefreshLinkCursor(TableCursor *filesLinkTbl)
{
    if (filesLinkTbl && filesLinkTbl->isOpen())
        filesLinkTbl->refresh();
}

} // namespace qm
