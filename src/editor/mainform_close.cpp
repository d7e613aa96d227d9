// Running the editor modally, the close question and the close itself.

#include "editor/mainform.h"

#include "analysis/countsummary.h"
#include "editor/editorreport.h"
#include "editor/filespage.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/workingcopy.h"
#include "views/cursorguard.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QEventLoop>

namespace qm {

namespace {

const QString kCloseWhileReport = QStringLiteral(
    "Cannot close while preparing a report\n\nDo you want to stop the report ?\n\n"
    "Press \"Yes\" to stop the report and continue\n\nPress \"No\" to let the report complete");
const QString kSaveChanges = QStringLiteral("Save Changes to Count?");

} // namespace

int TMainForm::RunModal()
{
    m_wc.setUi(this);
    m_result = 0;
    m_closeDiscarded = false;
    setWindowModality(Qt::ApplicationModal);
    Opening();
    QEventLoop loop;
    m_loop = &loop;
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    m_loop = nullptr;
    // Taken down before loading finished: nothing more may run on it.
    m_loadTimer.stop();
    m_pendingStep = LoadStep::None;
    EndOpeningBusy();
    return m_result;
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (!CloseQuery()) {
        event->ignore();
        return;
    }
    CloseEditor();
    event->accept();
}

void TMainForm::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    // Hidden by the program (closed, or taken away), not minimised: the
    // modal run is over.
    if (!event->spontaneous() && m_loop)
        m_loop->quit();
}

bool TMainForm::CloseQuery()
{
    if (m_state.reportBusy) {
        if (message(MessageKind::Confirmation, kCloseWhileReport, MessageButtons::YesNo) != MessageAnswer::Yes)
            return false;
        cancelReport();
    }
    // The load steps still need the window and its cursors.
    if (m_pendingStep != LoadStep::None)
        return false;
    m_closeDiscarded = false;
    if (m_editor.readOnly)
        return true;
    // An edit that cannot be stored keeps the editor open with it.
    if (!PostPendingEdits())
        return false;
    if (m_state.changeCount == 0 && !m_state.newCount)
        return true;
    switch (message(MessageKind::Confirmation, kSaveChanges, MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes:
        if (!m_wc.SaveWorkingCopy())
            return false;
        m_state.changeCount = 0;
        UpdateCommands();
        return true;
    case MessageAnswer::No:
        m_closeDiscarded = true;
        return true;
    default:
        return false;
    }
}

void TMainForm::CloseEditor()
{
    {
        WaitCursor busy;
        SetStatusText(QStringLiteral("Closing..."));
        if (m_filterDialogClose)
            m_filterDialogClose();
        m_wc.StoreCountTotal(m_closeDiscarded);
        m_state.editorJustClosed = true;

        m_report->ClosePreview();
        m_transPage->Clear();
        m_filesPage->Clear();
        m_summary->ClearDisplays();
        SetStatusText(QString());
        CloseCursors();
        m_transPage->ShowPanelDocked();
        m_filesPage->ShowPanelDocked();
    }
    m_result = 1;
}

void TMainForm::Exit()
{
    m_state.exitRequested = true;
    // A refused close leaves the editor open, and the program with it.
    if (!close())
        m_state.exitRequested = false;
}

} // namespace qm
