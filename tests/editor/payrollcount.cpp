#include "payrollcount.h"

#include "editingdriver.h"

#include "editor/countpage.h"
#include "editor/mainform.h"
#include "store/appstate.h"
#include "views/dbtreeview.h"

#include <QtTest>

namespace qm::test {

using C = TEditorCommands;

void RecordPayrollCount(EditingDriver &d)
{
    for (const PlannedFile &f : kFiles)
        d.NewFile(f.name, f.typeIndex, f.rets, f.dets);

    d.ShowTransactions();
    for (const PlannedTrans &t : kTrans) {
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
    for (const PlannedTrans &t : kTrans) {
        if (t.typeIndex == 3)
            continue;
        d.SelectTrans(t.name);
        d.LinkFiles({t.inFiles, t.inDets}, {t.outFiles, t.outDets});
        QCOMPARE(d.Trans(t.name)->info.value, qint64(t.fps));
    }
    QCOMPARE(d.Trans("Employees")->info.value, qint64(15));
    QCOMPARE(d.Trans("Payroll run")->info.value, qint64(26));

    d.Type(d.editor.countPage()->nameEdit(), "Payroll");
    d.Command(C::Save);
    QCOMPARE(d.editor.appState().changeCount, 0);
}

} // namespace qm::test
