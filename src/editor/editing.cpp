#include "editor/editing.h"

#include "counting/codes.h"
#include "editor/editorcommands.h"
#include "editor/fileediting.h"
#include "editor/filespage.h"
#include "editor/filespanel.h"
#include "editor/linkfilesform.h"
#include "editor/linkqueries.h"
#include "editor/mainform.h"
#include "editor/transclipboard.h"
#include "editor/transediting.h"
#include "editor/transpage.h"
#include "editor/transpanel.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "views/cursorguard.h"
#include "views/dbtreeview.h"

#include <QTabWidget>

namespace qm {

TCountEditing::TCountEditing(TMainForm &form, Database &db, WorkingCopy &workingCopy)
    : QObject(&form), m_form(form), m_db(db)
{
    AppState &app = form.appState();
    EditorState &editor = form.editorState();
    TTransPage *transPage = form.transPage();
    TFilesPage *filesPage = form.filesPage();

    m_trans = new TTransEditing(db, form.transTbl(), *transPage->tree(), app, editor, workingCopy, form.messages(),
                                this);
    m_trans->setLinkCursor(&form.filesLinkTbl());
    m_files = new TFilesEditing(db, form.filesTbl(), *filesPage->tree(), app, editor, workingCopy, form.messages(),
                                *m_trans, this);
    m_transPanel = new TTransPanelBinding(*transPage, *m_trans, form.transTbl(), db, app, editor);
    m_filesPanel = new TFilesPanelBinding(*filesPage, *m_files, form.filesTbl(), db, app, editor);
    m_linkForm = new TFormAddIt(db, &form);
    m_linkForm->setMessages(&form.messages());

    connect(m_transPanel, &TTransPanelBinding::CommandsChanged, &form, &TMainForm::UpdateCommands);
    connect(m_filesPanel, &TFilesPanelBinding::CommandsChanged, &form, &TMainForm::UpdateCommands);
    connect(m_transPanel, &TTransPanelBinding::LinkFilesRequested, this, &TCountEditing::LinkFiles);
    connect(form.pageControl(), &QTabWidget::currentChanged, this, [this](int page) {
        if (page == TMainForm::FilesPage)
            m_filesPanel->RefreshLinkedTransactions();
    });
    ImplementCommands();
    m_clipboard = new TTransClipboard(form, db, workingCopy, *m_trans);
}

TCountEditing::~TCountEditing() = default;

void TCountEditing::ImplementCommands()
{
    using C = TEditorCommands;
    TEditorCommands &c = m_form.commands();
    TTransEditing *trans = m_trans;
    TFilesEditing *files = m_files;
    for (C::Id id : {C::MenuInsertTrans, C::ToolInsertTrans})
        c.Implement(id, [trans] { trans->InsertTransaction(); });
    for (C::Id id : {C::MenuInsertChild, C::ToolInsertChild})
        c.Implement(id, [trans] { trans->InsertChildTransaction(); });
    for (C::Id id : {C::MenuDeleteTrans, C::ToolDeleteTrans})
        c.Implement(id, [trans] { trans->DeleteTransaction(); });
    for (C::Id id : {C::MenuTransComplexity, C::ToolTransComplexity})
        c.Implement(id, [this] { LinkFiles(); });
    for (C::Id id : {C::MenuInsertFile, C::ToolInsertFile})
        c.Implement(id, [files] { files->InsertFile(); });
    for (C::Id id : {C::MenuDeleteFile, C::ToolDeleteFile})
        c.Implement(id, [files] { files->DeleteFile(); });
    m_form.UpdateCommands();
}

bool TCountEditing::CanLeaveRow(bool transactions, const QTreeWidgetItem *target)
{
    const LeaveResult result = transactions ? m_trans->LeaveRow(target) : m_files->LeaveRow(target);
    return result != LeaveResult::Refused;
}

void TCountEditing::LinkFiles()
{
    TableCursor &transTbl = m_form.transTbl();
    EditorState &editor = m_form.editorState();
    if (!m_form.transPage()->tree()->SelectedNode())
        return;
    // The dialog reads the row as stored; a new row whose type was just
    // chosen is a group in the tree until then.
    if (transTbl.isEditing() && !m_trans->StoreRow())
        return;
    const TTreeNode *node = m_form.transPage()->tree()->SelectedNode();
    if (!node || node->info.type == code::TransGroup)
        return;
    int result = 0;
    {
        MessageBoxRoutine::PanelsLowered lowered(m_form.messages());
        {
            WaitCursor busy;
            if (!m_linkForm->Prepare(m_form.appState().currentCountId, editor.currentTransTag, editor.readOnly))
                return;
        }
        result = m_linkForm->exec();
    }
    if (result == QDialog::Accepted && m_linkForm->linkResultWritten())
        TakeLinkResult();
}

void TCountEditing::TakeLinkResult()
{
    TableCursor &transTbl = m_form.transTbl();
    AppState &app = m_form.appState();
    const int tag = m_form.editorState().currentTransTag;
    // Positioning again reads the row the dialog wrote.
    transTbl.setFiltered(false);
    if (transTbl.locate({QStringLiteral("Tag"), QStringLiteral("Count_Id")}, {tag, app.currentCountId}))
        m_form.transPage()->tree()->RefreshNodeFromUpdateSource();
    RefreshLinkCursor(&m_form.filesLinkTbl());
    m_linkForm->clearLinkResultWritten();
    ++app.changeCount;
    m_form.UpdateCommands();
}

} // namespace qm
