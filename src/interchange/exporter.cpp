#include "interchange/exporter.h"

#include "interchange/values.h"
#include "store/apperror.h"
#include "store/database.h"

#include <QDir>
#include <QSaveFile>
#include <QSqlQuery>

namespace qm {

namespace {

const QString kCountSql = QStringLiteral(
    "SELECT Description, System, Type, VAF_1, VAF_2, VAF_3, VAF_4, VAF_5, VAF_6, VAF_7, VAF_8, VAF_9, "
    "VAF_10, VAF_11, VAF_12, VAF_13, VAF_14, Old_VAF, Status, Notes, Ext_Id FROM Counts ORDER BY rowid LIMIT 1");
const QString kFilesSql = QStringLiteral(
    "SELECT Description, Type, Change_Type, DET_Count, RET_Count, Tag, Memo, Complexity, FP_Val "
    "FROM Files ORDER BY Tag, rowid");
const QString kTransSql = QStringLiteral(
    "SELECT Description, Type, Change_Type, Input_Det_Count, Output_Det_Count, Tag, Owner_Tag, Memo, "
    "Complexity, Input_File_Count, Output_File_Count, FP_Val FROM Trans ORDER BY Tag, rowid");
const QString kLinksSql =
    QStringLiteral("SELECT File_Tag, Trans_Tag, Input_Output_Flag FROM FilesLink ORDER BY rowid");

bool Includes(ExportGroup chosen, ExportGroup group)
{
    return chosen == ExportGroup::All || chosen == group;
}

void AppendFiles(Database &db, const ExportOptions &o, QStringList &lines)
{
    QSqlQuery q = db.exec(kFilesSql);
    FileRecord r;
    while (q.next()) {
        r.description = q.value(0).toString();
        r.type = q.value(1).toString();
        r.changeType = q.value(2).toString();
        r.dets = q.value(3).toLongLong();
        r.rets = q.value(4).toLongLong();
        r.tag = q.value(5).toLongLong();
        r.memo = q.value(6).toString();
        r.complexity = q.value(7).toString();
        r.fpVal = q.value(8).toDouble();
        lines << FormatFile(r, o.fieldDelimiter, o.textDelimiter);
    }
}

void AppendTrans(Database &db, const ExportOptions &o, QStringList &lines)
{
    QSqlQuery q = db.exec(kTransSql);
    TransRecord r;
    while (q.next()) {
        r.description = q.value(0).toString();
        r.type = q.value(1).toString();
        r.changeType = q.value(2).toString();
        r.inputDets = q.value(3).toLongLong();
        r.outputDets = q.value(4).toLongLong();
        r.tag = q.value(5).toLongLong();
        r.ownerTag = q.value(6).toLongLong();
        r.memo = q.value(7).toString();
        r.complexity = q.value(8).toString();
        r.inputFiles = q.value(9).toLongLong();
        r.outputFiles = q.value(10).toLongLong();
        r.fpVal = q.value(11).toDouble();
        lines << FormatTrans(r, o.fieldDelimiter, o.textDelimiter);
    }
}

void AppendLinks(Database &db, const ExportOptions &o, QStringList &lines)
{
    QSqlQuery q = db.exec(kLinksSql);
    LinkRecord r;
    while (q.next()) {
        r.fileTag = q.value(0).toLongLong();
        r.transTag = q.value(1).toLongLong();
        r.direction = q.value(2).toString();
        lines << FormatLink(r, o.fieldDelimiter, o.textDelimiter);
    }
}

} // namespace

CountRecord ReadWorkingCount(Database &db, qint64 countTotal)
{
    QSqlQuery q = db.exec(kCountSql);
    if (!q.next())
        throw StoreError(QStringLiteral("The working count table holds no count to export"));
    CountRecord r;
    r.description = q.value(0).toString();
    r.system = q.value(1).toString();
    r.type = q.value(2).toString();
    for (int i = 0; i < 14; ++i)
        r.vaf[i] = q.value(3 + i).toLongLong();
    r.oldVaf = q.value(17).toDouble();
    r.status = q.value(18).toString();
    r.notes = q.value(19).toString();
    r.extId = q.value(20).toLongLong();
    r.total = countTotal;
    return r;
}

QStringList CollectExportLines(Database &db, const ExportOptions &options)
{
    QStringList lines;
    if (Includes(options.group, ExportGroup::Count))
        lines << FormatCount(ReadWorkingCount(db, options.countTotal), options.fieldDelimiter,
                             options.textDelimiter);
    if (Includes(options.group, ExportGroup::Files))
        AppendFiles(db, options, lines);
    if (Includes(options.group, ExportGroup::Transactions))
        AppendTrans(db, options, lines);
    if (Includes(options.group, ExportGroup::Links))
        AppendLinks(db, options, lines);
    return lines;
}

QString ClipboardText(const QStringList &lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

void WriteInterchangeFile(const QString &path, const QStringList &lines)
{
    QString text;
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString &line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    const QByteArray bytes = EncodeInterchangeText(text);

    QSaveFile file(path);
    const auto fail = [&path](const QString &reason) {
        throw FileError(QStringLiteral("Cannot write the export file %1: %2")
                            .arg(QDir::toNativeSeparators(path), reason));
    };
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(reason);
    }
    if (!file.commit())
        fail(file.errorString());
}

} // namespace qm
