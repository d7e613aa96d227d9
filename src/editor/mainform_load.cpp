// Opening the editor: the four load steps, the cursors and the read-only
// state of the count.

#include "editor/mainform.h"

#include "analysis/countsummary.h"
#include "counting/codes.h"
#include "editor/countpage.h"
#include "editor/filespage.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"
#include "store/workingcopy.h"
#include "views/cursorguard.h"
#include "views/dbtreeview.h"

#include <QApplication>
#include <QMenu>
#include <QSqlQuery>
#include <QTabWidget>

namespace qm {

namespace {

const QString kLoadingTransactions = QStringLiteral("Loading Transactions...");
const QString kLoadingFiles = QStringLiteral("Loading Files...");
const QString kLoadingSummary = QStringLiteral("Loading Summary...");

} // namespace

QStringList TMainForm::SavedSystems()
{
    QStringList systems;
    QSqlQuery q = m_db.exec(QStringLiteral("SELECT DISTINCT System FROM CCounts ORDER BY System"));
    while (q.next()) {
        const QString system = q.value(0).toString();
        if (!system.isEmpty())
            systems << system;
    }
    return systems;
}

void TMainForm::Opening()
{
    // The hourglass stays until the last load step has run.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_openingBusy = true;
    setWindowTitle(QStringLiteral("Quillmark"));
    m_countPage->SetTotalsVisible(false);
    m_countPage->FillSystems(SavedSystems());

    m_summary->MarkVafStale();
    m_summary->Invalidate();
    m_pages->setCurrentIndex(GeneralPage);
    m_countPage->ShowSummaryTab();
    m_transPage->ShowGeneralTab();
    m_filesPage->ShowGeneralTab();
    showMaximized();

    m_editor = EditorState{};
    m_state.nextTransTag = 0;
    m_state.nextFileTag = 0;

    m_transPage->ShowPanelDocked();
    m_filesPage->ShowPanelDocked();
    // Every count starts unfiltered.
    ClearFilterForCount();

    m_transPage->SetDebugFieldsVisible(m_state.debug);
    m_commands->debugMenu()->menuAction()->setVisible(m_state.debug);

    ArmLoadStep(LoadStep::LoadTables, 0);
    m_state.changeCount = m_state.newCount ? 1 : 0;
    UpdateCommands();
}

void TMainForm::ArmLoadStep(LoadStep step, int delay)
{
    m_pendingStep = step;
    m_loadTimer.start(delay);
}

void TMainForm::RunLoadStep()
{
    switch (m_pendingStep) {
    case LoadStep::LoadTables:
        LoadTables();
        break;
    case LoadStep::BuildTransactions:
        BuildTransactions();
        break;
    case LoadStep::BuildFiles:
        BuildFiles();
        break;
    case LoadStep::BuildTotals:
        BuildTotals();
        break;
    case LoadStep::None:
        break;
    }
}

void TMainForm::LoadTables()
{
    // A new count exists only in the working tables; the copy skips it.
    m_wc.LoadWorkingCopy(m_state.currentCountId, [this](const QString &text) { SetStatusText(text); });
    ArmLoadStep(LoadStep::BuildTransactions, m_loadPause);
    SetStatusText(kLoadingTransactions);
    OpenCursors();
    ApplyReadOnlyState();
    LayoutWindow();
}

void TMainForm::BuildTransactions()
{
    m_transPage->Reload(m_state.currentCountId, m_state.filterActive);
    ArmLoadStep(LoadStep::BuildFiles, 0);
    SetStatusText(kLoadingFiles);
}

void TMainForm::BuildFiles()
{
    m_filesPage->Reload(m_state.currentCountId, m_state.filterActive);
    m_transPage->SyncSelection();
    SetStatusText(kLoadingSummary);
    ArmLoadStep(LoadStep::BuildTotals, 0);
}

void TMainForm::BuildTotals()
{
    {
        WaitCursor busy;
        RefreshSummary();
        ApplyFilterColours();
        m_countPage->SetTotalsVisible(true);
        SetStatusText(QString());
    }
    m_pendingStep = LoadStep::None;
    EndOpeningBusy();
    UpdateCommands();
    emit LoadFinished();
}

void TMainForm::EndOpeningBusy()
{
    if (m_openingBusy) {
        m_openingBusy = false;
        QApplication::restoreOverrideCursor();
    }
}

void TMainForm::ApplyFilterColours()
{
    m_countPage->ApplyFilterColour(m_state.filterActive);
}

void TMainForm::RebuildTrees()
{
    m_transPage->Reload(m_state.currentCountId, m_state.filterActive);
    m_filesPage->Reload(m_state.currentCountId, m_state.filterActive);
    m_transPage->SyncSelection();
    WaitCursor busy;
    RefreshSummary();
    ApplyFilterColours();
    RefreshTransTotalsIfShown();
}

void TMainForm::OpenCursors()
{
    m_countTbl->open(TableCursor::Exclusive);
    m_countTbl->locate(QStringLiteral("Id"), m_state.currentCountId);
    m_filesLinkTbl->open(TableCursor::Exclusive);
    ReopenItemCursors(m_countTbl->text(QStringLiteral("Status")) == code::StatusReadOnly);
}

void TMainForm::ReopenItemCursors(bool readOnly)
{
    const TableCursor::OpenFlags flags =
        readOnly ? TableCursor::OpenFlags(TableCursor::Exclusive | TableCursor::ReadOnly) : TableCursor::Exclusive;
    for (TableCursor *cursor : {m_transTbl.get(), m_filesTbl.get()}) {
        if (cursor->isOpen() && cursor->isReadOnly() == readOnly)
            continue;
        cursor->close();
        cursor->open(flags);
    }
}

void TMainForm::CloseCursors()
{
    for (TableCursor *cursor : {m_countTbl.get(), m_transTbl.get(), m_filesTbl.get(), m_filesLinkTbl.get()})
        if (cursor)
            cursor->close();
}

void TMainForm::ApplyReadOnlyState()
{
    const bool readOnly = m_countTbl->text(QStringLiteral("Status")) == code::StatusReadOnly;
    const QString type = m_countTbl->text(QStringLiteral("Type"));
    m_editor.readOnly = readOnly;
    m_commands->action(TEditorCommands::ReadOnly)->setChecked(readOnly);
    m_countPage->SetReadOnly(readOnly);
    ReopenItemCursors(readOnly);
    m_editor.setPermissions(!readOnly);
    m_transPage->ApplyReadOnly(readOnly, type);
    m_filesPage->ApplyReadOnly(readOnly, type);
    RefreshTitle();
    for (TDBTreeView *tree : {m_transPage->tree(), m_filesPage->tree()})
        if (QTreeWidgetItem *first = tree->topLevelItem(0))
            tree->SelectNode(first);
    m_transPage->SyncSelection();
    m_filesPage->SyncSelection();
    UpdateCommands();
}

void TMainForm::RefreshTitle()
{
    if (!m_countTbl->isOpen() || m_countTbl->isEmpty()) {
        setWindowTitle(QStringLiteral("Quillmark"));
        return;
    }
    QString title = QStringLiteral("Quillmark - ") + ExtIdText(m_countTbl->intValue(QStringLiteral("Ext_Id")))
                    + QStringLiteral(":") + m_countTbl->text(QStringLiteral("Description"));
    if (m_countTbl->text(QStringLiteral("Status")) == code::StatusReadOnly)
        title += QStringLiteral("  (Read-Only)");
    setWindowTitle(title);
}

} // namespace qm
