// The editor's own commands: saving, read-only, the count page's OK and
// Cancel, page changes, the summary mode and level, navigation and the
// command enabling that follows every change of state.

#include "editor/mainform.h"

#include "analysis/analyserchart.h"
#include "analysis/countsummary.h"
#include "analysis/summary.h"
#include "counting/codes.h"
#include "editor/countpage.h"
#include "editor/editing.h"
#include "editor/filespage.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"
#include "store/workingcopy.h"
#include "views/cursorguard.h"
#include "views/dbtreeview.h"

#include <QAction>
#include <QApplication>
#include <QTabWidget>
#include <QTime>
#include <QToolButton>

namespace qm {

namespace {

const QString kLeaveReadOnly = QStringLiteral(
    "Read-Only Counts are protected from accidental update, are you sure you want to proceed ?");

} // namespace

void TMainForm::UpdateCommands()
{
    using C = TEditorCommands;
    C &c = *m_commands;
    const int page = activePage();
    const bool trans = page == TransactionsPage;
    const bool files = page == FilesPage;
    const EditorState &e = m_editor;

    // A pending edit is a change too: saving stores it first, as closing does.
    bool pendingEdit = false;
    for (const TableCursor *cursor : {m_countTbl.get(), m_transTbl.get(), m_filesTbl.get()})
        pendingEdit = pendingEdit || (cursor->isOpen() && cursor->isEditing());
    c.SetEnabled(C::Save, m_state.changeCount != 0 || pendingEdit);
    c.SetEnabled(C::ReadOnly, m_state.changeCount == 0 && m_countTbl->isOpen());

    c.SetEnabled(C::ToolInsertTrans, trans && e.canInsertTrans);
    c.SetEnabled(C::ToolInsertChild, trans && e.canInsertChild);
    c.SetEnabled(C::ToolDeleteTrans, trans && e.canDeleteTrans);
    c.SetEnabled(C::ToolTransComplexity, trans && e.canLinkFiles);
    c.SetEnabled(C::ToolInsertFile, files && e.canInsertFile);
    c.SetEnabled(C::ToolDeleteFile, files && e.canDeleteFile);
    c.SetEnabled(C::ToolPrevious, (trans && e.hasPrevTrans) || (files && e.hasPrevFile));
    c.SetEnabled(C::ToolNext, (trans && e.hasNextTrans) || (files && e.hasNextFile));

    const bool clipboard = trans && !e.readOnly;
    c.SetEnabled(C::ToolCut, clipboard);
    c.SetEnabled(C::ToolCopy, clipboard);
    c.SetEnabled(C::ToolPaste, clipboard && e.clipboardMode != ClipboardMode::None);

    for (C::Id id : {C::ExpandAll, C::CollapseAll, C::ExpandAllOneLevel, C::CollapseAllOneLevel,
                     C::ExpandSelectedOneLevel, C::CollapseSelectedOneLevel})
        c.SetEnabled(id, trans);

    const bool breakdown = SummaryModeFrom(m_state.summaryMode) == SummaryMode::Breakdown;
    c.summaryLevelButton()->setEnabled(!files && breakdown);
    c.summaryButton()->setEnabled(!files);
    c.SetEnabled(C::ToolFilterOff, m_state.filterActive);
    emit CommandsUpdated();
}

bool TMainForm::PostPendingEdits()
{
    for (TableCursor *cursor : {m_transTbl.get(), m_filesTbl.get(), m_countTbl.get()})
        if (cursor->isOpen() && cursor->isEditing() && !cursor->post())
            return false;
    return true;
}

void TMainForm::Save()
{
    if (!PostPendingEdits())
        return;
    // The save writes the count's total with its rows.
    m_wc.SaveWorkingCopy();
    UpdateCommands();
}

void TMainForm::SaveAs(const QString &type)
{
    if (!PostPendingEdits())
        return;
    m_wc.SaveWorkingCopyAs(type);
    UpdateCommands();
}

void TMainForm::ToggleReadOnly()
{
    QAction *action = m_commands->action(TEditorCommands::ReadOnly);
    const bool wasReadOnly = m_editor.readOnly;
    if (wasReadOnly
        && message(MessageKind::Warning, kLeaveReadOnly, MessageButtons::OkCancel) != MessageAnswer::Ok) {
        action->setChecked(true);
        return;
    }
    m_countTbl->edit();
    m_countTbl->setValue(QStringLiteral("Status"), wasReadOnly ? code::StatusUpdatable : code::StatusReadOnly);
    if (!m_countTbl->post()) {
        action->setChecked(wasReadOnly);
        return;
    }
    ApplyReadOnlyState();
    // Protection takes effect in the catalogue at once; lifting it waits
    // for the next save.
    if (!wasReadOnly)
        m_db.exec(QStringLiteral("UPDATE CCounts SET Status = ? WHERE Id = ?"),
                  {code::StatusReadOnly, m_state.currentCountId});
}

void TMainForm::CountOk()
{
    if (!m_countTbl->post())
        return;
    m_summary->MarkVafStale();
    RefreshSummary();
    UpdateCommands();
    RefreshTitle();
}

void TMainForm::CountCancel()
{
    m_countTbl->cancel();
}

void TMainForm::PageChanged(int index)
{
    // While loading, the last step builds the summary.
    const bool refresh =
        m_pendingStep == LoadStep::None && (index == GeneralPage || index == AnalyserPage) && m_summary->IsStale();
    if (refresh) {
        WaitCursor busy;
        m_summary->RefreshSummary();
    }
    // The chart is not kept up to date while hidden; a refresh redraws it.
    if (index == AnalyserPage && !refresh)
        m_analyserChart->RebuildChart();
    UpdateCommands();
}

void TMainForm::RefreshSummary()
{
    m_summary->RefreshSummary();
}

void TMainForm::RefreshSummaryIfStale()
{
    if (!m_summary->IsStale())
        return;
    WaitCursor busy;
    m_summary->RefreshSummary();
}

void TMainForm::RefreshTransTotals(const QTreeWidgetItem *node)
{
    m_summary->RefreshTransTotals(node);
}

void TMainForm::RefreshTransTotalsIfShown()
{
    if (activePage() != TransactionsPage || !m_transPage->TotalsTabActive())
        return;
    if (QTreeWidgetItem *node = m_transPage->tree()->SelectedNode())
        RefreshTransTotals(node);
}

void TMainForm::SetSummaryMode(int mode, bool fromButton)
{
    m_state.summaryMode = int(SummaryModeFrom(mode));
    m_commands->ShowSummaryMode(m_state.summaryMode);
    UpdateCommands();
    const int page = activePage();
    if (page == GeneralPage || page == AnalyserPage) {
        if (fromButton)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        RefreshSummary();
        if (fromButton)
            QApplication::restoreOverrideCursor();
    }
    RefreshTransTotalsIfShown();
}

void TMainForm::CycleSummaryMode()
{
    SetSummaryMode((SummaryModeFrom(m_state.summaryMode) == SummaryMode::ChangeType) ? 0 : m_state.summaryMode + 1,
                   true);
}

void TMainForm::SetSummaryLevel(int level)
{
    m_state.summaryLevel = SummaryLevelFrom(level);
    m_commands->ShowSummaryLevel(m_state.summaryLevel);
    const int page = activePage();
    if (page == GeneralPage || page == AnalyserPage)
        RefreshSummary();
    RefreshTransTotalsIfShown();
}

void TMainForm::CycleSummaryLevel()
{
    SetSummaryLevel(m_state.summaryLevel >= kSummaryMaxLevel ? kSummaryMinLevel : m_state.summaryLevel + 1);
}

void TMainForm::MovePrevious()
{
    const bool trans = activePage() == TransactionsPage;
    TDBTreeView *tree = trans ? m_transPage->tree() : m_filesPage->tree();
    if (QTreeWidgetItem *selected = tree->SelectedNode())
        if (QTreeWidgetItem *previous = tree->itemAbove(selected))
            if (m_editing->CanLeaveRow(trans, previous))
                tree->SelectNode(previous);
}

void TMainForm::MoveNext()
{
    const bool trans = activePage() == TransactionsPage;
    TDBTreeView *tree = trans ? m_transPage->tree() : m_filesPage->tree();
    if (QTreeWidgetItem *selected = tree->SelectedNode())
        if (QTreeWidgetItem *next = tree->itemBelow(selected))
            if (m_editing->CanLeaveRow(trans, next))
                tree->SelectNode(next);
}

void TMainForm::HierarchyCommand(TEditorCommands::Id id)
{
    using C = TEditorCommands;
    TDBTreeView *tree = m_transPage->tree();
    // Folding may move the selection off the row being edited.
    if (!m_editing->CanLeaveRow(true, nullptr))
        return;
    WaitCursor busy;
    switch (id) {
    case C::ExpandAll:
        tree->ExpandAll();
        break;
    case C::CollapseAll:
        // Handled as a selection change, which sets the flags itself.
        tree->CollapseAll();
        return;
    case C::ExpandAllOneLevel:
        tree->ExpandOneLevel(nullptr);
        break;
    case C::CollapseAllOneLevel:
        tree->CollapseOneLevel(nullptr);
        break;
    case C::ExpandSelectedOneLevel:
        tree->ExpandOneLevel(tree->SelectedNode());
        break;
    case C::CollapseSelectedOneLevel:
        tree->CollapseOneLevel(tree->SelectedNode());
        break;
    default:
        return;
    }
    QTreeWidgetItem *selected = tree->SelectedNode();
    m_editor.hasPrevTrans = selected && tree->itemAbove(selected);
    m_editor.hasNextTrans = selected && tree->itemBelow(selected);
    UpdateCommands();
}

void TMainForm::GoThroughTransactions()
{
    // Time of day, as the other timings of the debug aids.
    const QTime started = QTime::currentTime();
    TDBTreeView *tree = m_transPage->tree();
    for (int i = 0; i < 10; ++i) {
        QTreeWidgetItem *selected = tree->SelectedNode();
        QTreeWidgetItem *next = selected ? tree->itemBelow(selected) : nullptr;
        if (!next)
            break;
        tree->SelectNode(next);
    }
    const double seconds = started.msecsTo(QTime::currentTime()) / 1000.0;
    message(MessageKind::Information, QStringLiteral("Duration:") + QString::number(seconds, 'f', 3),
            MessageButtons::Ok);
}

} // namespace qm
