#pragma once

// A small payroll count worked out on paper: four files and twelve
// transactions under three groups, recorded through the editor window as a
// user does. Several tests build it and check what comes out of it.

#include <QList>
#include <QString>
#include <QStringList>

namespace qm::test {

class EditingDriver;

namespace payroll {

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

extern const QList<PlannedFile> kFiles;
extern const QList<PlannedTrans> kTrans;

// 41 for the transactions and 29 for the files: 70 unadjusted; with every
// characteristic at 3 the factor is 1.07, and 70 x 1.07 = 74.9 truncates.
inline constexpr int kTotalUnadjusted = 70;
inline constexpr int kTotalAdjusted = 74;

// Records every file and transaction, links the files, names the count
// "Payroll" and saves it. Fails the running test on any surprise.
void Record(EditingDriver &d);

} // namespace payroll
} // namespace qm::test
