#pragma once

// The payroll count worked out on paper: four files and twelve
// transactions under three groups, every item added, with the figures each
// should get. Recorded through the editor as a user would.

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

// Internal files weigh 7/10/15, external ones 5/7/10.
inline const QList<PlannedFile> kFiles = {
    {"Employee master", 0, 3, 25, "2", 10}, // 2-5 RETs, 20-50 DETs: average
    {"Pay rates", 0, 1, 12, "1", 7},        // 1 RET, 1-19 DETs: low
    {"Tax tables", 1, 2, 8, "1", 5},        // 2-5 RETs, 1-19 DETs: low
    {"Bank interface", 1, 1, 60, "2", 7},   // 1 RET, 51+ DETs: average
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

// Inputs weigh 3/4/6, outputs 4/5/7, inquiries 3/4/6 by the higher side.
inline const QList<PlannedTrans> kTrans = {
    {"Employees", "", 3, {}, 0, {}, 0, "0", 0},
    {"Add employee", "Employees", 0, {"Employee master"}, 18, {}, 0, "2", 4},                 // 1 FTR, 16+
    {"Change employee", "Employees", 0, {"Employee master", "Pay rates"}, 10, {}, 0, "2", 4}, // 2 FTRs, 5-15
    {"Employee enquiry", "Employees", 2, {"Employee master"}, 3, {"Employee master", "Pay rates"}, 12, "2", 4},
    {"Delete employee", "Employees", 0, {"Employee master"}, 2, {}, 0, "1", 3},
    {"Payroll run", "", 3, {}, 0, {}, 0, "0", 0},
    {"Enter timesheet", "Payroll run", 0, {"Employee master", "Pay rates", "Tax tables"}, 8, {}, 0, "3", 6},
    {"Payslip", "Payroll run", 1, {}, 0, {"Employee master", "Pay rates", "Tax tables"}, 22, "3", 7},
    {"Bank transfer file", "Payroll run", 1, {}, 0, {"Employee master", "Bank interface"}, 9, "2", 5},
    {"Reports", "Payroll run", 3, {}, 0, {}, 0, "0", 0},
    {"Payroll register", "Reports", 1, {}, 0, {"Employee master", "Pay rates"}, 15, "2", 5},
    {"Year-to-date enquiry", "Reports", 2, {"Employee master"}, 2, {"Employee master"}, 7, "1", 3},
};

// 41 for the transactions and 29 for the files: 70 unadjusted; with every
// characteristic at 3 the factor is 1.07, and 70 x 1.07 = 74.9 truncates.
inline constexpr int kTotalAdjusted = 74;


// Records the whole count in the open editor and saves it as "Payroll".
void RecordPayrollCount(EditingDriver &d);

} // namespace qm::test
