// What the working copy asks of the editor while it saves and derives
// counts.

#include "editor/mainform.h"

#include "analysis/countsummary.h"
#include "editor/countpage.h"
#include "editor/filespage.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/datamodule.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>

namespace qm {

MessageAnswer TMainForm::message(MessageKind kind, const QString &text, MessageButtons buttons)
{
    return m_messages.message(kind, text, buttons);
}

void TMainForm::cancelReport()
{
    CancelReport();
    if (m_cancelReport)
        m_cancelReport();
    m_state.reportBusy = false;
}

std::optional<QString> TMainForm::askNewCountName()
{
    if (!m_askName)
        return std::nullopt;
    MessageBoxRoutine::PanelsLowered lowered(m_messages);
    return m_askName();
}

void TMainForm::showCountName()
{
    m_pages->setCurrentIndex(GeneralPage);
    m_countPage->FocusName();
}

void TMainForm::showStatus(const QString &text)
{
    SetStatusText(text);
}

void TMainForm::beginBusy()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TMainForm::endBusy()
{
    QApplication::restoreOverrideCursor();
}

void TMainForm::postPendingEdits()
{
    PostPendingEdits();
}

void TMainForm::dockPanels()
{
    m_transPage->ShowPanelDocked();
    m_filesPage->ShowPanelDocked();
}

void TMainForm::refreshCursors()
{
    for (TableCursor *cursor : {m_countTbl.get(), m_transTbl.get(), m_filesTbl.get(), m_filesLinkTbl.get()})
        if (cursor->isOpen())
            cursor->refresh();
}

void TMainForm::refreshTitle()
{
    RefreshTitle();
}

void TMainForm::refreshSummary()
{
    RefreshSummary();
}

void TMainForm::reopenAfterSave()
{
    OpenCursors();
    m_dm.openCatalogueCursor();
    for (StoreQuery *source :
         {&m_transPage->parentSource(), &m_transPage->itemSource(), &m_filesPage->itemSource()})
        source->setParam(QStringLiteral("Count_Id"), m_state.currentCountId);
    // The filter's file condition names the count by its id.
    RenewFilterTexts();
    m_transPage->SyncSelection();
    m_filesPage->SyncSelection();
    m_summary->MarkVafStale();
}

void TMainForm::rebuildAfterSaveAs()
{
    ApplyReadOnlyState();
    RefreshTitle();
    // The derived rows may differ from what the trees show (deleted items
    // dropped, change types reset): rebuild them as a load does.
    ArmLoadStep(LoadStep::BuildTransactions, m_loadPause);
}

void TMainForm::switchFilterOff()
{
    SwitchFilterOffAndRebuild();
}

qint64 TMainForm::totalAdjustedFps()
{
    return m_countPage->Displays().totalAdjusted->text().toLongLong();
}

} // namespace qm
