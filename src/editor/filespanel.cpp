#include "editor/filespanel.h"

#include "counting/codes.h"
#include "editor/editorstate.h"
#include "editor/fileediting.h"
#include "editor/linkqueries.h"
#include "editor/matrixgroup.h"
#include "editor/panelhelpers.h"
#include "editor/filespage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"
#include "views/boundcontrols.h"
#include "views/cursorguard.h"
#include "views/dblistview.h"
#include "views/dbtreeview.h"
#include "views/inputguards.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

namespace qm {

namespace {

const QString kRets = QStringLiteral("RET_Count");
const QString kDets = QStringLiteral("DET_Count");

RadioGroupLink *bindChoices(TableCursor &cursor, const QString &field, QButtonGroup *group,
                            const QList<CodeChoice> &choices)
{
    auto *link = new RadioGroupLink(cursor, field, group);
    for (int i = 0; i < choices.size(); ++i)
        if (QAbstractButton *button = group->button(i))
            link->addChoice(button, choices[i].code);
    return link;
}

} // namespace

TFilesPanelBinding::TFilesPanelBinding(TFilesPage &page, TFilesEditing &editing, TableCursor &filesTbl,
                                       Database &db, AppState &app, EditorState &editor)
    : QObject(&page), m_page(page), m_editing(editing), m_files(filesTbl), m_db(db), m_app(app), m_editor(editor)
{
    m_linkQuery = TransLinkQuery();
    TDBListView *linked = m_page.linkedTransactions();
    linked->setDatabase(&m_db);
    linked->setIDataSource(&m_linkQuery);
    linked->setFieldId(QStringLiteral("Tag"));
    linked->setFieldName(QStringLiteral("Description"));
    linked->setFieldType(QStringLiteral("Change_Type"));
    linked->setFieldIType(QStringLiteral("Type"));
    connect(linked, &TDBListView::OnGetImage, this, &TFilesPanelBinding::ItemImage);
    BindFields();
    ConnectEditing();
    RecordChanged();
    UpdateButtons();
}

void TFilesPanelBinding::BindFields()
{
    new LineEditLink(m_files, QStringLiteral("Description"), m_page.nameEdit());
    new MemoLink(m_files, QStringLiteral("Memo"), m_page.memo());
    m_typeLink = bindChoices(m_files, QStringLiteral("Type"), m_page.typeGroup(), FileTypeChoices());
    m_typeLink->setShowOnly(true); // what a type choice does is the editing's
    bindChoices(m_files, QStringLiteral("Change_Type"), m_page.changeGroup(), ChangeTypeChoices());
    connect(&m_files, &TableCursor::recordChanged, this, &TFilesPanelBinding::RecordChanged);
    connect(&m_files, &TableCursor::fieldChanged, this, &TFilesPanelBinding::ShowValues);
    connect(&m_files, &TableCursor::stateChanged, this, [this] {
        ShowValues();
        UpdateButtons();
    });
}

void TFilesPanelBinding::ConnectEditing()
{
    TFilesEditing *editing = &m_editing;
    // The click has checked its button already: the group shows the row's
    // type again, and the choice shows only once the row takes it.
    connect(m_page.typeGroup(), &QButtonGroup::idClicked, editing, [this, editing](int index) {
        m_typeLink->refresh();
        editing->TypeChosen(index);
    });
    connect(m_page.okButton(), &QPushButton::clicked, editing, &TFilesEditing::StoreRow);
    connect(m_page.cancelButton(), &QPushButton::clicked, editing, &TFilesEditing::CancelRow);
    connect(m_page.panelTabs(), &QTabWidget::currentChanged, this, &TFilesPanelBinding::RefreshLinkedTransactions);
    ConnectCounts(m_page.retEdit(), true);
    ConnectCounts(m_page.detEdit(), false);

    connect(editing, &TFilesEditing::PanelRequested, this, [this] {
        if (!m_page.panel()->IsPanelVisible())
            m_page.panel()->SetPanelVisible(true);
    });
    connect(editing, &TFilesEditing::NameFocusRequested, this, [this](bool newRow) {
        if (newRow)
            m_page.ShowGeneralTab();
        m_page.nameEdit()->setFocus();
    });
    connect(editing, &TFilesEditing::RowStarted, this, &TFilesPanelBinding::RecordChanged);
    connect(editing, &TFilesEditing::SyncRequested, &m_page, &TFilesPage::SyncSelection);
    connect(editing, &TFilesEditing::CommandsChanged, this, &TFilesPanelBinding::CommandsChanged);

    new TLeaveGuard(m_page.tree(), [editing](const QTreeWidgetItem *target) { return editing->LeaveRow(target); });
    NameFollowsTree(m_page.nameEdit(), m_page.tree());
    EditOnRightClick(m_page.memo(), m_files, [this] { return m_editor.readOnly; });
}

void TFilesPanelBinding::ConnectCounts(QLineEdit *edit, bool rets)
{
    TFilesEditing *editing = &m_editing;
    GuardCountEdit(edit, TFilesEditing::MaxCount, [editing, rets] { editing->CountRefused(rets); });
    connect(edit, &QLineEdit::textEdited, editing, rets ? &TFilesEditing::RetsTyped : &TFilesEditing::DetsTyped);
    // A box left empty shows the 0 it stands for.
    connect(edit, &QLineEdit::editingFinished, this, &TFilesPanelBinding::ShowValues);
    QToolButton *up = m_page.arrow(rets, true);
    QToolButton *down = m_page.arrow(rets, false);
    connect(up, &QToolButton::clicked, editing, [editing, rets] { rets ? editing->StepRets(1) : editing->StepDets(1); });
    connect(down, &QToolButton::clicked, editing,
            [editing, rets] { rets ? editing->StepRets(-1) : editing->StepDets(-1); });
}

void TFilesPanelBinding::RecordChanged()
{
    ShowValues();
    RefreshLinkedTransactions();
}

void TFilesPanelBinding::ShowValues()
{
    const bool hasRow = m_files.isOpen() && (m_files.position() >= 0 || m_files.isEditing());
    m_page.tagText()->setText(hasRow ? FileTagText(m_files.intValue(QStringLiteral("Tag"))) : QString());
    m_page.fpText()->setText(hasRow ? QString::number(m_files.floatValue(QStringLiteral("FP_Val"))) : QString());
    m_page.complexityText()->setText(hasRow ? m_files.text(QStringLiteral("ComplexityLong")) : QString());
    QPalette palette = m_page.fpText()->palette();
    const bool unchanged = hasRow && m_files.text(QStringLiteral("Change_Type")) == code::ChangeNone;
    palette.setColor(QPalette::WindowText, unchanged ? m_page.palette().color(QPalette::Disabled, QPalette::WindowText)
                                                     : m_page.palette().color(QPalette::WindowText));
    m_page.fpText()->setPalette(palette);
    ShowCount(m_page.retEdit(), kRets);
    ShowCount(m_page.detEdit(), kDets);
    CheckOnly(m_page.matrixGroup(), m_editing.CurrentCell());
}

void TFilesPanelBinding::ShowCount(QLineEdit *edit, const QString &field)
{
    const bool hasRow = m_files.isOpen() && (m_files.position() >= 0 || m_files.isEditing());
    if (!hasRow) {
        edit->clear();
        return;
    }
    const qint64 value = m_files.intValue(field);
    int shown = -1;
    // An edit the user has just emptied while typing stays empty.
    const bool typing = edit->hasFocus() && m_files.isEditing();
    if (CountOfText(edit->text(), TFilesEditing::MaxCount, &shown) && shown == value
        && (typing || !edit->text().isEmpty()))
        return;
    ShowCountText(edit, value);
}

void TFilesPanelBinding::UpdateButtons()
{
    const bool editing = m_files.isEditing();
    m_page.okButton()->setEnabled(editing);
    m_page.cancelButton()->setEnabled(editing);
    m_page.okButton()->setDefault(editing);
}

bool TFilesPanelBinding::IsEnhancement()
{
    return m_db.scalar(QStringLiteral("SELECT Type FROM Counts WHERE Id = ?"), {m_app.currentCountId}).toString()
           == code::CountEnhancement;
}

void TFilesPanelBinding::RefreshLinkedTransactions()
{
    if (m_page.panelTabs()->currentWidget() != m_page.transactionsTab())
        return;
    WaitCursor busy;
    const bool hasRow = m_files.isOpen() && m_files.position() >= 0 && !m_files.isEditing();
    m_linkQuery.setParam(QStringLiteral("Count_Id"), m_app.currentCountId);
    m_linkQuery.setParam(QStringLiteral("File_Tag"), hasRow ? m_files.intValue(QStringLiteral("Tag")) : 0);
    m_enhancement = IsEnhancement();
    m_page.linkedTransactions()->Load();
}

void TFilesPanelBinding::ItemImage(TDBListView *list, TListItem *item)
{
    int image = 2;
    if (item->info.type == code::TransInput)
        image = 0;
    else if (item->info.type == code::TransOutput)
        image = 1;
    if (m_enhancement && item->info.changeType == code::ChangeNone)
        image += 4;
    list->SetItemImage(item, image);
}

} // namespace qm
