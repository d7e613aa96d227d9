#include "interchange/importload.h"

#include "counting/codes.h"
#include "counting/rules.h"
#include "interchange/importcheck.h"
#include "interchange/splitter.h"
#include "store/apperror.h"
#include "store/database.h"
#include "store/schema.h"

#include <QHash>
#include <QSqlQuery>

namespace qm {

namespace {

constexpr int kCountNotesField = 20;
constexpr int kTransMemoField = 8;
constexpr int kFilesMemoField = 7;

// The memo of a line, taken again with comma-text splitting. A line that
// splits into fewer values has no memo.
QString MemoOf(const TImportCheck &check, int line, int field)
{
    const QStringList values = SplitCommaText(check.sourceLines().value(line - 1));
    return values.value(field);
}

int NextFree(Database &db, const QString &sql)
{
    return db.scalar(sql).toInt() + 1;
}

QSqlQuery PrepareInsert(Database &db, const QString &table, const QStringList &columns)
{
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    return db.prepare(QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)")
                          .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
}

void Insert(QSqlQuery &q, const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    Database::execPrepared(q);
}

void NewTags(Database &db, TImportCheck &check)
{
    auto &trans = check.transactions();
    auto &files = check.files();
    const int transBase = NextFree(db, QStringLiteral("SELECT COALESCE(MAX(Tag), 0) FROM CTrans"));
    const int fileBase = NextFree(db, QStringLiteral("SELECT COALESCE(MAX(Tag), 0) FROM CFiles"));
    for (int i = 0; i < int(trans.size()); ++i)
        trans[i].newTag = transBase + i;
    for (int i = 0; i < int(files.size()); ++i)
        files[i].newTag = fileBase + i;
    for (ImportTrans &t : trans) {
        const int owner = t.ownerTag == 0 ? -1 : check.FindTrans(t.ownerTag);
        t.newOwnerTag = owner < 0 ? 0 : trans[owner].newTag;
    }
    for (ImportLink &l : check.links()) {
        const int t = check.FindTrans(l.transTag);
        const int f = check.FindFile(l.fileTag);
        if (t < 0 || f < 0)
            throw AppError(QStringLiteral("TImportForm"), QStringLiteral("A link names an item that is not imported"));
        l.newTransTag = trans[t].newTag;
        l.newFileTag = files[f].newTag;
    }
}

void WriteCount(Database &db, const TImportCheck &check, int id, const QDateTime &now)
{
    const PendingCount &c = *check.pendingCount();
    const int systemWidth = TableByName(QStringLiteral("Counts")).column(QStringLiteral("System"))->size;
    const QString time = now.time().toString(QStringLiteral("HH:mm:ss"));
    const QString date = now.date().toString(QStringLiteral("yyyy-MM-dd"));
    QStringList columns = {"Id",      "System",        "Description",    "LastUpd_Time",   "LastUpd_Date",
                           "Created_Time", "Created_Date", "Created_By", "Type",           "Version",
                           "Copy_Count_Id", "Last_Files_Tag", "Last_Trans_Tag", "Status", "Notes",
                           "Old_VAF", "FP_Val", "Ext_Id"};
    QVariantList values = {id,   c.system.left(systemWidth), c.description, time, date, time, date,
                           QStringLiteral("Import"), c.type, 1.0, 0, 0.0, 0.0, c.status,
                           MemoOf(check, c.line, kCountNotesField), RoundVafTwoDecimals(c.oldVaf), 0, id};
    for (int i = 0; i < 14; ++i) {
        columns << QStringLiteral("VAF_%1").arg(i + 1);
        values << c.vaf[i];
    }
    db.exec(QStringLiteral("DELETE FROM Counts"));
    QSqlQuery q = PrepareInsert(db, QStringLiteral("Counts"), columns);
    Insert(q, values);
}

void WriteTrans(Database &db, const TImportCheck &check, int id)
{
    // Side counts by the tag the text gave, as the links name it.
    QHash<int, int> inputFiles, outputFiles;
    for (const ImportLink &l : check.links())
        ++(l.direction == code::LinkInput ? inputFiles : outputFiles)[l.transTag];
    db.exec(QStringLiteral("DELETE FROM Trans"));
    QSqlQuery q = PrepareInsert(db, QStringLiteral("Trans"),
                                {"Tag", "Count_Id", "Description", "FP_Val", "Complexity", "Type", "Change_Type",
                                 "Owner_Tag", "Input_Det_Count", "Input_File_Count", "Output_Det_Count",
                                 "Output_File_Count", "Memo"});
    for (const ImportTrans &t : check.transactions()) {
        const int in = inputFiles.value(t.tag);
        const int out = outputFiles.value(t.tag);
        const int complexity = TransComplexity(InputCell(in, t.inputDets), OutputCell(out, t.outputDets), t.type);
        Insert(q, {t.newTag, id, t.description, double(TransWeight(complexity, t.type)), ComplexityCode(complexity),
                   t.type, t.changeType, t.newOwnerTag, t.inputDets, in, t.outputDets, out,
                   MemoOf(check, t.line, kTransMemoField)});
    }
}

void WriteFiles(Database &db, const TImportCheck &check, int id)
{
    db.exec(QStringLiteral("DELETE FROM Files"));
    QSqlQuery q = PrepareInsert(db, QStringLiteral("Files"),
                                {"Tag", "Count_Id", "Description", "FP_Val", "Complexity", "RET_Count", "DET_Count",
                                 "Type", "Change_Type", "Memo"});
    for (const ImportFile &f : check.files()) {
        const int complexity = CellComplexity(FileCell(f.rets, f.dets));
        Insert(q, {f.newTag, id, f.description, double(FileWeight(complexity, f.type)), ComplexityCode(complexity),
                   f.rets, f.dets, f.type, f.changeType, MemoOf(check, f.line, kFilesMemoField)});
    }
}

void WriteLinks(Database &db, const TImportCheck &check, int id)
{
    db.exec(QStringLiteral("DELETE FROM FilesLink"));
    QSqlQuery q = PrepareInsert(db, QStringLiteral("FilesLink"),
                                {"Count_Id", "File_Tag", "Trans_Tag", "Input_Output_Flag", "Update_Flag"});
    for (const ImportLink &l : check.links())
        Insert(q, {id, l.newFileTag, l.newTransTag, l.direction, QStringLiteral(" ")});
}

} // namespace

int LoadImport(Database &db, TImportCheck &check, const QDateTime &now)
{
    if (check.runStatus() == Severity::Error || !check.pendingCount())
        throw AppError(QStringLiteral("TImportForm"), QStringLiteral("The import text has errors and cannot be loaded"));
    Transaction tx(db);
    NewTags(db, check);
    const int id = NextFree(db, QStringLiteral("SELECT COALESCE(MAX(Id), 0) FROM CCounts"));
    WriteCount(db, check, id, now);
    WriteTrans(db, check, id);
    WriteFiles(db, check, id);
    WriteLinks(db, check, id);
    tx.commit();
    return id;
}

} // namespace qm
