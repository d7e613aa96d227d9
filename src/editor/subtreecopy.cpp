#include "editor/subtreecopy.h"

#include "editor/transediting.h"
#include "store/apperror.h"
#include "store/database.h"
#include "views/updatesource.h"

#include <QVariantList>

namespace qm {

namespace {

void run(QSqlQuery &q, const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    Database::execPrepared(q);
}

} // namespace

TSubtreeWriter::TSubtreeWriter(Database &db, int countId)
    : m_countId(countId),
      // GetTransQuery and FilesLinkQuery, and the two insertions.
      m_getTrans(db.prepare(QStringLiteral(
          "SELECT Description, FP_Val, Complexity, Type, Change_Type, Input_Det_Count, Input_File_Count, "
          "Output_Det_Count, Output_File_Count, Memo FROM Trans WHERE Count_Id = ? AND Tag = ?"))),
      m_insertTrans(db.prepare(QStringLiteral(
          "INSERT INTO Trans (Tag, Count_Id, Description, FP_Val, Complexity, Type, Change_Type, Owner_Tag, "
          "Input_Det_Count, Input_File_Count, Output_Det_Count, Output_File_Count, Memo) "
          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))),
      m_links(db.prepare(QStringLiteral("SELECT Input_Output_Flag, Update_Flag, File_Tag, Trans_Tag FROM FilesLink "
                                        "WHERE Count_Id = ? AND Trans_Tag = ?"))),
      m_insertLink(db.prepare(QStringLiteral("INSERT INTO FilesLink (Count_Id, File_Tag, Trans_Tag, Update_Flag, "
                                             "Input_Output_Flag) VALUES (?, ?, ?, ?, ?)")))
{
    m_getTrans.setForwardOnly(true);
    m_links.setForwardOnly(true);
}

QString TSubtreeWriter::CopyName(const QString &name)
{
    return (name + QStringLiteral(" - Copy")).left(NameWidth);
}

void TSubtreeWriter::CopyRow(int sourceTag, int newTag, int owner, RowUpdateSource &row)
{
    run(m_getTrans, {m_countId, sourceTag});
    if (!m_getTrans.next())
        throw StoreError(text::RowNotFound);
    QVariantList source;
    for (int i = 0; i < 10; ++i)
        source << m_getTrans.value(i);
    m_getTrans.finish();

    const QString name = CopyName(source[0].toString());
    // The same check as a row typed on the panel.
    if (name.trimmed().isEmpty())
        throw StoreError(text::TransNameRequired);
    run(m_insertTrans, {newTag, m_countId, name, source[1], source[2], source[3], source[4], owner, source[5],
                        source[6], source[7], source[8], source[9]});

    row.set(QStringLiteral("Tag"), newTag);
    row.set(QStringLiteral("Owner_Tag"), owner);
    row.set(QStringLiteral("Description"), name);
    row.set(QStringLiteral("FP_Val"), source[1]);
    row.set(QStringLiteral("Complexity"), source[2]);
    row.set(QStringLiteral("Type"), source[3]);
    row.set(QStringLiteral("Change_Type"), source[4]);
}

int TSubtreeWriter::CopyLinks(int sourceTag, int newTag)
{
    run(m_links, {m_countId, sourceTag});
    QList<QVariantList> links;
    while (m_links.next())
        links.append({m_links.value(0), m_links.value(1), m_links.value(2)});
    m_links.finish();
    for (const QVariantList &link : links)
        run(m_insertLink, {m_countId, link[2], newTag, link[1], link[0]});
    return int(links.size());
}

} // namespace qm
