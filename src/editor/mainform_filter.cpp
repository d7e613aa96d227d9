// The filter that narrows both trees, and the search in the tree of the
// active page.

#include "editor/mainform.h"

#include "analysis/countsummary.h"
#include "analysis/filtertexts.h"
#include "analysis/findform.h"
#include "analysis/formfilter.h"
#include "editor/editing.h"
#include "editor/filespage.h"
#include "editor/transclipboard.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"
#include "store/workingcopy.h"
#include "views/cursorguard.h"
#include "views/dbtreeview.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace qm {

namespace {

const QString kFilterWhileReport = QStringLiteral(
    "Cannot add or remove a filter while preparing a report\n\nDo you want to stop the report ?\n\n"
    "Press \"Yes\" to stop the report and continue\n\nPress \"No\" to let the report complete");
const QString kFilterOn = QStringLiteral("Filter On");

} // namespace

void TMainForm::BuildSearch()
{
    using C = TEditorCommands;
    m_filterForm = new TFormFilter(m_db, m_state, m_filesPage->itemSource(), this);
    m_findForm = new TFindForm(this);
    C &c = *m_commands;
    c.Implement(C::Filter, [this] { OpenFilter(); });
    c.Implement(C::ToolFilter, [this] { OpenFilter(); });
    c.Implement(C::ToolFilterOff, [this] { FilterOff(); });
    c.Implement(C::Find, [this] { OpenFind(); });
    c.Implement(C::RepeatFind, [this] { FindNext(); });
    if (QMenu *search = c.menu(QStringLiteral("&Search")))
        connect(search, &QMenu::aboutToShow, this, &TMainForm::SearchMenuShown);
}

bool TMainForm::AskStopReportForFilter()
{
    if (!m_state.reportBusy && !IsReportBusy())
        return true;
    if (message(MessageKind::Confirmation, kFilterWhileReport, MessageButtons::YesNo) != MessageAnswer::Yes)
        return false;
    cancelReport();
    return true;
}

void TMainForm::OpenFilter()
{
    // The trees are still being built by the load steps.
    if (m_pendingStep != LoadStep::None || !AskStopReportForFilter() || !PostPendingEdits())
        return;
    {
        MessageBoxRoutine::PanelsLowered lowered(m_messages);
        m_filterForm->exec();
    }
    FilterState &filter = m_filterForm->filter();
    if (!filter.filterChanged)
        return;
    ApplyReadOnlyState();
    ApplyFilter();
    {
        WaitCursor busy;
        RebuildTrees();
    }
    filter.filterChanged = false;
}

void TMainForm::FilterOff()
{
    if (m_pendingStep != LoadStep::None || !AskStopReportForFilter() || !PostPendingEdits())
        return;
    if (m_state.filterActive)
        SwitchFilterOffAndRebuild();
}

void TMainForm::SwitchFilterOffAndRebuild()
{
    FilterState &filter = m_filterForm->filter();
    m_state.filterActive = false;
    filter.fileFilterText.clear();
    filter.transFilterText.clear();
    // The dialog shows no filter at its next opening.
    filter.filterResetPending = true;
    ApplyReadOnlyState();
    ApplyFilter();
    WaitCursor busy;
    RebuildTrees();
}

void TMainForm::ApplyFilter()
{
    // A marked transaction may vanish from the tree: the mark goes.
    if (m_editing)
        m_editing->clipboard().ClearMark();
    m_editor.clipboardMode = ClipboardMode::None;
    const FilterState &filter = m_filterForm->filter();
    const bool on = m_state.filterActive;
    m_transPage->tree()->setFilterOn(on);
    m_filesPage->tree()->setFilterOn(on);
    m_statusPanels.value(1)->setText(on ? kFilterOn : QString());
    m_transPage->itemSource().setConditionLine(on ? filter.transFilterText : QString());
    m_filesPage->itemSource().setConditionLine(on ? filter.fileFilterText : QString());
    UpdateCommands();
}

void TMainForm::ClearFilterForCount()
{
    m_state.filterActive = false;
    FilterState &filter = m_filterForm->filter();
    filter.Clear();
    filter.filterResetPending = true;
    m_transPage->tree()->setFilterOn(false);
    m_filesPage->tree()->setFilterOn(false);
    m_transPage->itemSource().setConditionLine(QString());
    m_filesPage->itemSource().setConditionLine(QString());
    m_statusPanels.value(1)->setText(QString());
}

void TMainForm::RenewFilterTexts()
{
    if (!m_state.filterActive)
        return;
    m_filterForm->RenumberCount();
    const FilterState &filter = m_filterForm->filter();
    m_transPage->itemSource().setConditionLine(filter.transFilterText);
    m_filesPage->itemSource().setConditionLine(filter.fileFilterText);
}

void TMainForm::OpenFind()
{
    int result = 0;
    {
        MessageBoxRoutine::PanelsLowered lowered(m_messages);
        result = m_findForm->exec();
    }
    if (result == QDialog::Accepted)
        FindNext();
}

void TMainForm::FindNext()
{
    const int page = activePage();
    if (page == GeneralPage || page == AnalyserPage)
        return;
    const QString text = m_findForm->searchText().trimmed();
    if (text.isEmpty())
        return;
    const bool trans = page == TransactionsPage;
    TDBTreeView *tree = trans ? m_transPage->tree() : m_filesPage->tree();
    TTreeNode *found = nullptr;
    {
        WaitCursor busy;
        found = tree->FindText(text, m_findForm->backwards(), m_findForm->matchCase());
    }
    if (!found) {
        message(MessageKind::Information, QStringLiteral("Search String:") + text + QStringLiteral(" not found"),
                MessageButtons::Ok);
        return;
    }
    if (!m_editing->CanLeaveRow(trans, found))
        return;
    // A node inside a collapsed group is shown as well as selected.
    for (QTreeWidgetItem *up = found->parent(); up; up = up->parent())
        up->setExpanded(true);
    tree->SelectNode(found);
    tree->scrollToItem(found);
}

void TMainForm::SearchMenuShown()
{
    using C = TEditorCommands;
    const int page = activePage();
    const bool treePage = page == TransactionsPage || page == FilesPage;
    m_commands->SetEnabled(C::Find, treePage);
    m_commands->SetEnabled(C::RepeatFind, treePage && !m_findForm->searchText().trimmed().isEmpty());
}

} // namespace qm
