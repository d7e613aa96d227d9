#pragma once

// Rows for test counts, written straight into a permanent or working table.
// Every column not given takes the value a new row would have; the
// constructors take the columns tests vary most, in that order.

#include <QString>

namespace qm {
class Database;
}

namespace qm::test {

struct CountRow
{
    CountRow(int id_, const QString &system_, const QString &description_, const QString &type_ = QStringLiteral("B"),
             int copyCountId_ = 0, int fpVal_ = 0)
        : id(id_), system(system_), description(description_), type(type_), copyCountId(copyCountId_), fpVal(fpVal_)
    {
    }

    int id = 0;
    QString system = QStringLiteral(" NOSYSTEM");
    QString description = QStringLiteral("Untitled count");
    QString type = QStringLiteral("B");
    int copyCountId = 0;
    int fpVal = 0;
    QString status = QStringLiteral("U");
    int extId = 0; // 0 means the same as id
    double oldVaf = 1.0;
};

struct TransRow
{
    TransRow(int countId_, int tag_, const QString &description_, double fpVal_ = 0.0,
             const QString &type_ = QStringLiteral("I"), const QString &changeType_ = QStringLiteral("A"),
             int ownerTag_ = 0)
        : countId(countId_), tag(tag_), description(description_), fpVal(fpVal_), type(type_),
          changeType(changeType_), ownerTag(ownerTag_)
    {
    }

    int countId = 0;
    int tag = 0;
    QString description;
    double fpVal = 0.0;
    QString type = QStringLiteral("I");
    QString changeType = QStringLiteral("A");
    int ownerTag = 0;
    QString complexity = QStringLiteral("0");
    int inputDets = 0;
    int inputFiles = 0;
    int outputDets = 0;
    int outputFiles = 0;
    QString memo;
};

struct FileRow
{
    FileRow(int countId_, int tag_, const QString &description_, double fpVal_ = 0.0,
            const QString &type_ = QStringLiteral("I"), const QString &changeType_ = QStringLiteral("A"))
        : countId(countId_), tag(tag_), description(description_), fpVal(fpVal_), type(type_), changeType(changeType_)
    {
    }

    int countId = 0;
    int tag = 0;
    QString description;
    double fpVal = 0.0;
    QString type = QStringLiteral("I");
    QString changeType = QStringLiteral("A");
    QString complexity = QStringLiteral("0");
    int rets = 0;
    int dets = 0;
    QString memo;
};

struct LinkRow
{
    LinkRow(int countId_, int fileTag_, int transTag_, const QString &direction_ = QStringLiteral("I"))
        : countId(countId_), fileTag(fileTag_), transTag(transTag_), direction(direction_)
    {
    }

    int countId = 0;
    int fileTag = 0;
    int transTag = 0;
    QString direction = QStringLiteral("I");
    QString updateFlag;
};

void InsertCount(Database &db, const CountRow &row, const QString &table = QStringLiteral("CCounts"));
void InsertTrans(Database &db, const TransRow &row, const QString &table = QStringLiteral("CTrans"));
void InsertFile(Database &db, const FileRow &row, const QString &table = QStringLiteral("CFiles"));
void InsertLink(Database &db, const LinkRow &row, const QString &table = QStringLiteral("CFilesLink"));

// A saved enhancement count "Payroll" of system PAY: group "Payments" (tag
// 10) holding "Payment enquiry" (13; input 1 file and 3 DETs, output 1 file
// and 20 DETs), which reads and writes "Employees" (20; ILF, 2 RETs, 20
// DETs). Everything unchanged.
void InsertPaymentEnquiryCount(Database &db, int id);

} // namespace qm::test
