// "Export &Data...": the open count, edits and all, as interchange text.

#include "editor/mainform.h"

#include "analysis/countsummary.h"
#include "interchange/ui/exportform.h"
#include "store/cursor.h"
#include "views/cursorguard.h"

namespace qm {

void TMainForm::ExportData()
{
    // Until the trees are built the total box has nothing to show.
    if (m_pendingStep != LoadStep::None)
        return;
    // The export reads the working tables: a pending edit is stored first,
    // as saving does, and one that is refused stops the export.
    const bool countEdited = m_countTbl->isOpen() && m_countTbl->isEditing();
    if (!PostPendingEdits())
        return;
    if (countEdited)
        m_summary->MarkVafStale();
    {
        // The COUNT line carries the total box's figure: bring it up to date.
        WaitCursor busy;
        m_summary->RefreshSummary();
    }
    MessageBoxRoutine::PanelsLowered lowered(m_messages);
    m_exportForm->Execute(totalAdjustedFps());
}

} // namespace qm
