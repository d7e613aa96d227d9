#include "payrollcount.h"

#include "editingdriver.h"

#include "editor/countpage.h"
#include "editor/mainform.h"
#include "store/appstate.h"
#include "views/dbtreeview.h"

#include <QtTest>

namespace qm::test {

using C = TEditorCommands;

const QList<PlannedFile> &PayrollFiles()
{
    // Internal files weigh 7/10/15, external ones 5/7/10.
    static const QList<PlannedFile> files = {
        {"Employee master", 0, 3, 25, "2", 10}, // 2-5 RETs, 20-50 DETs: average
        {"Pay rates", 0, 1, 12, "1", 7},        // 1 RET, 1-19 DETs: low
        {"Tax tables", 1, 2, 8, "1", 5},        // 2-5 RETs, 1-19 DETs: low
        {"Bank interface", 1, 1, 60, "2", 7},   // 1 RET, 51+ DETs: average
    };
    return files;
}

const QList<PlannedTrans> &PayrollTrans()
{
    // Inputs weigh 3/4/6, outputs 4/5/7, inquiries 3/4/6 by the higher side.
    static const QList<PlannedTrans> trans = {
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
    return trans;
}

void RecordPayroll(EditingDriver &d)
{
    for (const PlannedFile &f : PayrollFiles())
        d.NewFile(f.name, f.typeIndex, f.rets, f.dets);

    d.ShowTransactions();
    for (const PlannedTrans &t : PayrollTrans()) {
        // A group's first child is made with "Insert Child", the others as
        // siblings of the last one added.
        const bool firstChild = !t.owner.isEmpty() && d.Trans(t.owner)->childCount() == 0;
        if (firstChild)
            d.SelectTrans(t.owner);
        else if (t.owner.isEmpty() && d.transTree()->topLevelItemCount() > 0)
            d.ClickNode(d.transTree(), d.transTree()->topLevelItem(0));
        d.NewTrans(firstChild ? C::ToolInsertChild : C::ToolInsertTrans, t.name, t.typeIndex);
        QVERIFY2(d.Trans(t.name), qPrintable(t.name));
    }
    for (const PlannedTrans &t : PayrollTrans()) {
        if (t.typeIndex == 3)
            continue;
        d.SelectTrans(t.name);
        d.LinkFiles({t.inFiles, t.inDets}, {t.outFiles, t.outDets});
        QCOMPARE(d.Trans(t.name)->info.value, qint64(t.fps));
    }
    QCOMPARE(d.Trans("Employees")->info.value, qint64(15));
    QCOMPARE(d.Trans("Payroll run")->info.value, qint64(26));
}

void payroll::Record(EditingDriver &d)
{
    RecordPayroll(d);
    if (QTest::currentTestFailed())
        return;
    d.Type(d.editor.countPage()->nameEdit(), "Payroll");
    d.Command(C::Save);
    QCOMPARE(d.editor.appState().changeCount, 0);
}

} // namespace qm::test
