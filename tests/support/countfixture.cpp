#include "countfixture.h"

#include "store/database.h"

#include <QStringList>
#include <QVariantList>

namespace qm::test {

namespace {

void insert(Database &db, const QString &table, const QStringList &columns, const QVariantList &values)
{
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    db.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
            values);
}

} // namespace

void InsertCount(Database &db, const CountRow &row, const QString &table)
{
    QStringList columns = {"Id",           "System",        "Description",  "LastUpd_Time",   "LastUpd_Date",
                           "Created_Time", "Created_Date",  "Created_By",   "Type",           "Version",
                           "Copy_Count_Id", "Last_Files_Tag", "Last_Trans_Tag", "Status",      "Notes",
                           "Old_VAF",      "FP_Val",        "Ext_Id"};
    QVariantList values = {row.id,       row.system, row.description, "10:00:00", "2024-01-02",
                           "10:00:00",   "2024-01-02", " ",           row.type,   1.0,
                           row.copyCountId, 0.0,     0.0,             row.status, " ",
                           row.oldVaf,   row.fpVal,  row.extId ? row.extId : row.id};
    for (int i = 1; i <= 14; ++i) {
        columns << QStringLiteral("VAF_%1").arg(i);
        values << 3;
    }
    insert(db, table, columns, values);
}

void InsertTrans(Database &db, const TransRow &row, const QString &table)
{
    insert(db, table,
           {"Count_Id", "Tag", "Description", "FP_Val", "Complexity", "Type", "Change_Type", "Owner_Tag",
            "Input_Det_Count", "Input_File_Count", "Output_Det_Count", "Output_File_Count", "Memo"},
           {row.countId, row.tag, row.description, row.fpVal, row.complexity, row.type, row.changeType,
            row.ownerTag, row.inputDets, row.inputFiles, row.outputDets, row.outputFiles, row.memo});
}

void InsertFile(Database &db, const FileRow &row, const QString &table)
{
    insert(db, table,
           {"Count_Id", "Tag", "Description", "FP_Val", "Complexity", "RET_Count", "DET_Count", "Type",
            "Change_Type", "Memo"},
           {row.countId, row.tag, row.description, row.fpVal, row.complexity, row.rets, row.dets, row.type,
            row.changeType, row.memo});
}

void InsertLink(Database &db, const LinkRow &row, const QString &table)
{
    insert(db, table, {"Count_Id", "File_Tag", "Trans_Tag", "Input_Output_Flag", "Update_Flag"},
           {row.countId, row.fileTag, row.transTag, row.direction, row.updateFlag});
}

void InsertPaymentEnquiryCount(Database &db, int id)
{
    InsertCount(db, CountRow(id, "PAY", "Payroll", "E"));
    InsertTrans(db, {id, 10, "Payments", 0, "G", "N"});
    TransRow enquiry(id, 13, "Payment enquiry", 4, "Q", "N", 10);
    enquiry.complexity = "2";
    enquiry.inputFiles = 1;
    enquiry.inputDets = 3;
    enquiry.outputFiles = 1;
    enquiry.outputDets = 20;
    InsertTrans(db, enquiry);
    FileRow employees(id, 20, "Employees", 10, "I", "N");
    employees.rets = 2;
    employees.dets = 20;
    employees.complexity = "2";
    InsertFile(db, employees);
    InsertLink(db, {id, 20, 13, "I"});
    InsertLink(db, {id, 20, 13, "O"});
}

} // namespace qm::test
