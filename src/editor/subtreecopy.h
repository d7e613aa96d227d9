#pragma once

#include <QSqlQuery>
#include <QString>

namespace qm {

class Database;
class RowUpdateSource;

// Writes the copies of transactions, one row at a time, with the links of
// each. The statements are prepared once for a whole subtree; the caller
// holds the database transaction around them.
class TSubtreeWriter
{
public:
    // The width of a transaction's name.
    static constexpr int NameWidth = 60;

    TSubtreeWriter(Database &db, int countId);

    // Copies the row of sourceTag as newTag under owner: the name gets
    // " - Copy" (cut to the name's width), every count, complexity, value,
    // type and change type stays. Fills row with what the tree shows of the
    // copy. Throws a store error when the source row is gone or the name
    // comes out blank.
    void CopyRow(int sourceTag, int newTag, int owner, RowUpdateSource &row);
    // Gives newTag every link of sourceTag, with the same file, side and
    // update flag. Returns how many were copied.
    int CopyLinks(int sourceTag, int newTag);

    static QString CopyName(const QString &name);

private:
    int m_countId;
    QSqlQuery m_getTrans;
    QSqlQuery m_insertTrans;
    QSqlQuery m_links;
    QSqlQuery m_insertLink;
};

} // namespace qm
