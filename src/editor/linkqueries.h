#pragma once

// The queries the editor runs on the links between files and transactions,
// and the few statements that change them. Links are rows of the working
// table FilesLink: one per file, transaction and side.

#include "store/query.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace qm {

class Database;
class TableCursor;

// One link of a file: the transaction and the side ("I" or "O") it is on.
struct FileLinkRef
{
    int transTag = 0;
    QString side;
};

// Transactions linked to a file, one row per link (a transaction linked on
// both sides appears twice): Description, Input_Output_Flag, Tag,
// Change_Type, Type. Parameters Count_Id, File_Tag.
StoreQuery TransLinkQuery();
// Files linked to one side of a transaction: Description, File_Tag,
// Change_Type, Type. Parameters Count_Id, Trans_Tag.
StoreQuery FilesLinkSideQuery(const QString &side);
// Files of the count that side could still link: every file not marked
// deleted and not yet on that side. Tag, Description, Change_Type, Type.
// Parameters Count_Id, Trans_Tag.
StoreQuery FilesTransSideQuery(const QString &side);

// Rows whose owner is the given transaction, hidden ones included.
int CountChildRows(Database &db, int countId, int ownerTag);
bool FileHasLinks(Database &db, int countId, int fileTag);
// Every link of a file whose transaction exists, in link order.
QList<FileLinkRef> FileLinks(Database &db, int countId, int fileTag);

// These return the number of link rows removed. An empty side means both.
int DeleteTransLinks(Database &db, int countId, int transTag, const QString &side = {});
int DeleteFileLinks(Database &db, int countId, int fileTag);
// Replaces the links of one side of a transaction by one row per file, in
// the order given.
void WriteTransLinks(Database &db, int countId, int transTag, const QString &side, const QStringList &fileTags);

// A cursor on FilesLink that was open while rows were changed behind it
// reads them again, so it never stands on a row that has gone.
void RefreshLinkCursor(TableCursor *filesLinkTbl);

} // namespace qm
