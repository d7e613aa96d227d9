#pragma once

// The payroll count, planned on paper and recorded by hand through the
// editor: four files, twelve transactions in nested groups, nineteen links.

#include <QList>
#include <QString>
#include <QStringList>

namespace qm::test {

class EditingDriver;

struct PlannedFile
{
    QString name;
    int typeIndex; // 0 internal, 1 external
    int rets, dets;
    QString complexity;
    int fps;
};

struct PlannedTrans
{
    QString name;
    QString owner; // empty: top level
    int typeIndex; // 0 input, 1 output, 2 inquiry, 3 group
    QStringList inFiles;
    int inDets;
    QStringList outFiles;
    int outDets;
    QString complexity;
    int fps;
};

const QList<PlannedFile> &PayrollFiles();
const QList<PlannedTrans> &PayrollTrans();

// 41 for the transactions and 29 for the files: 70 unadjusted; with every
// characteristic at 3 the factor is 1.07, and 70 x 1.07 = 74.9 truncates.
constexpr int kPayrollTotalAdjusted = 74;
constexpr int kPayrollLinks = 19;

// Records every file, transaction and link of the plan in the open editor,
// checking each value as it goes; the count is left unsaved.
void RecordPayroll(EditingDriver &d);

namespace payroll {

// Records the plan, names the count "Payroll" and saves it. Fails the
// running test on any surprise.
void Record(EditingDriver &d);

} // namespace payroll

} // namespace qm::test
