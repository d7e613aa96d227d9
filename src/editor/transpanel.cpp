#include "editor/transpanel.h"

#include "counting/codes.h"
#include "counting/rules.h"
#include "editor/editorstate.h"
#include "editor/linkqueries.h"
#include "editor/panelhelpers.h"
#include "editor/transediting.h"
#include "editor/transpage.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "store/database.h"
#include "views/boundcontrols.h"
#include "views/dbtreeview.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTreeWidget>

namespace qm {

namespace {

const QString kType = QStringLiteral("Type");

RadioGroupLink *bindChoices(TableCursor &cursor, const QString &field, QButtonGroup *group,
                            const QList<CodeChoice> &choices)
{
    auto *link = new RadioGroupLink(cursor, field, group);
    for (int i = 0; i < choices.size(); ++i)
        if (QAbstractButton *button = group->button(i))
            link->addChoice(button, choices[i].code);
    return link;
}

void setTabShown(QTabWidget *tabs, QWidget *tab, bool shown)
{
    const int index = tabs->indexOf(tab);
    if (!shown && tabs->currentIndex() == index)
        tabs->setCurrentIndex(0); // "General"
    tabs->setTabVisible(index, shown);
}

} // namespace

TTransPanelBinding::TTransPanelBinding(TTransPage &page, TTransEditing &editing, TableCursor &transTbl,
                                       Database &db, AppState &app, EditorState &editor)
    : QObject(&page), m_page(page), m_editing(editing), m_trans(transTbl), m_db(db), m_app(app), m_editor(editor)
{
    BindFields();
    ConnectEditing();
    m_inputFiles = FilesLinkSideQuery(code::LinkInput);
    m_outputFiles = FilesLinkSideQuery(code::LinkOutput);
    RecordChanged();
    UpdateButtons();
}

void TTransPanelBinding::BindFields()
{
    new LineEditLink(m_trans, QStringLiteral("Description"), m_page.nameEdit());
    new MemoLink(m_trans, QStringLiteral("Memo"), m_page.memo());
    m_typeLink = bindChoices(m_trans, kType, m_page.typeGroup(), TransTypeChoices());
    m_typeLink->setShowOnly(true); // what a type choice does is the editing's
    bindChoices(m_trans, QStringLiteral("Change_Type"), m_page.changeGroup(), ChangeTypeChoices());
    (new LineEditLink(m_trans, QStringLiteral("Tag"), m_page.tagDebugEdit()))->setReadOnly(true);
    (new LineEditLink(m_trans, QStringLiteral("Owner_Tag"), m_page.ownerDebugEdit()))->setReadOnly(true);

    connect(&m_trans, &TableCursor::recordChanged, this, &TTransPanelBinding::RecordChanged);
    connect(&m_trans, &TableCursor::fieldChanged, this, &TTransPanelBinding::ShowValues);
    connect(&m_trans, &TableCursor::stateChanged, this, [this] {
        ShowValues();
        UpdateButtons();
    });
}

void TTransPanelBinding::ConnectEditing()
{
    TTransEditing *editing = &m_editing;
    // The click has checked its button already: the group shows the row's
    // type again, and the choice shows only once the row takes it.
    connect(m_page.typeGroup(), &QButtonGroup::idClicked, editing, [this, editing](int index) {
        m_typeLink->refresh();
        editing->TypeChosen(index);
    });
    connect(m_page.okButton(), &QPushButton::clicked, editing, &TTransEditing::StoreRow);
    connect(m_page.cancelButton(), &QPushButton::clicked, editing, &TTransEditing::CancelRow);
    connect(m_page.complexityButton(), &QPushButton::clicked, this, &TTransPanelBinding::LinkFilesRequested);
    connect(m_page.tree(), &QTreeWidget::itemDoubleClicked, this, &TTransPanelBinding::LinkFilesRequested);
    connect(m_page.panelTabs(), &QTabWidget::currentChanged, this, &TTransPanelBinding::RefreshDetails);

    connect(editing, &TTransEditing::PanelRequested, this, [this] {
        if (!m_page.panel()->IsPanelVisible())
            m_page.panel()->SetPanelVisible(true);
    });
    connect(editing, &TTransEditing::NameFocusRequested, this, [this](bool newRow) {
        if (newRow)
            m_page.ShowGeneralTab();
        m_page.nameEdit()->setFocus();
    });
    connect(editing, &TTransEditing::RowStarted, this, &TTransPanelBinding::RecordChanged);
    connect(editing, &TTransEditing::TypeChanged, this, &TTransPanelBinding::AdaptToType);
    connect(editing, &TTransEditing::SyncRequested, &m_page, &TTransPage::SyncSelection);
    connect(editing, &TTransEditing::CommandsChanged, this, &TTransPanelBinding::CommandsChanged);

    new TLeaveGuard(m_page.tree(), [editing](const QTreeWidgetItem *target) { return editing->LeaveRow(target); });
    NameFollowsTree(m_page.nameEdit(), m_page.tree());
    EditOnRightClick(m_page.memo(), m_trans, [this] { return m_editor.readOnly; });
}

void TTransPanelBinding::RecordChanged()
{
    AdaptToType();
    ShowValues();
    if (m_trans.isOpen() && (m_trans.position() >= 0 || m_trans.isEditing()))
        m_editor.currentTransTag = int(m_trans.intValue(QStringLiteral("Tag")));
    RefreshDetails();
}

void TTransPanelBinding::ShowValues()
{
    const bool hasRow = m_trans.isOpen() && (m_trans.position() >= 0 || m_trans.isEditing());
    m_page.tagText()->setText(hasRow ? TransTagText(m_trans.intValue(QStringLiteral("Tag"))) : QString());
    m_page.fpText()->setText(hasRow ? QString::number(m_trans.floatValue(QStringLiteral("FP_Val"))) : QString());
    m_page.complexityText()->setText(hasRow ? m_trans.text(QStringLiteral("ComplexityLong")) : QString());
    // An unchanged item's value does not count: it is shown greyed.
    QPalette palette = m_page.fpText()->palette();
    const bool unchanged = hasRow && m_trans.text(QStringLiteral("Change_Type")) == code::ChangeNone;
    palette.setColor(QPalette::WindowText, unchanged ? m_page.palette().color(QPalette::Disabled, QPalette::WindowText)
                                                     : m_page.palette().color(QPalette::WindowText));
    m_page.fpText()->setPalette(palette);
}

void TTransPanelBinding::AdaptToType()
{
    const int index = m_page.typeGroup()->checkedId();
    const QString type = index >= 0 ? TTransEditing::TypeOfIndex(index) : m_trans.text(kType).trimmed();
    const bool elementary = type == code::TransInput || type == code::TransOutput || type == code::TransInquiry;
    m_page.complexityBox()->setVisible(elementary);
    // A blank caption rather than a hidden one: a form drops the room of a
    // hidden row, and the controls below would move up for a group.
    m_page.fpCaption()->setText(elementary ? QStringLiteral("Function Points:") : QStringLiteral(" "));
    m_page.fpText()->setVisible(elementary);
    m_page.changeBox()->setVisible(elementary);
    m_page.inputBox().box->setVisible(elementary && type != code::TransOutput);
    m_page.outputBox().box->setVisible(elementary && type != code::TransInput);
    QTabWidget *tabs = m_page.panelTabs();
    setTabShown(tabs, m_page.detailsTab(), elementary);
    setTabShown(tabs, m_page.totalsTab(), !elementary);
    m_editor.canLinkFiles = elementary;
    emit CommandsChanged();
}

void TTransPanelBinding::UpdateButtons()
{
    const bool editing = m_trans.isEditing();
    m_page.okButton()->setEnabled(editing);
    m_page.cancelButton()->setEnabled(editing);
    m_page.okButton()->setDefault(editing);
}

void TTransPanelBinding::RefreshDetails()
{
    if (m_page.panelTabs()->currentWidget() != m_page.detailsTab())
        return;
    const bool hasRow = m_trans.isOpen() && (m_trans.position() >= 0 || m_trans.isEditing());
    const QString type = hasRow ? m_trans.text(kType).trimmed() : QString();
    if (type != code::TransInput)
        RefreshSide(false, OutputCell(int(m_trans.intValue(QStringLiteral("Output_File_Count"))),
                                         int(m_trans.intValue(QStringLiteral("Output_Det_Count")))));
    if (type != code::TransOutput)
        RefreshSide(true, InputCell(int(m_trans.intValue(QStringLiteral("Input_File_Count"))),
                                       int(m_trans.intValue(QStringLiteral("Input_Det_Count")))));
}

void TTransPanelBinding::RefreshSide(bool input, int cell)
{
    const TTransPage::SideBox &side = input ? m_page.inputBox() : m_page.outputBox();
    StoreQuery &query = input ? m_inputFiles : m_outputFiles;
    side.ftrs->setText(m_trans.text(input ? QStringLiteral("Input_File_Count") : QStringLiteral("Output_File_Count")));
    side.dets->setText(m_trans.text(input ? QStringLiteral("Input_Det_Count") : QStringLiteral("Output_Det_Count")));
    side.complexity->setText(ComplexityDetailText(ComplexityCode(CellComplexity(cell))));
    side.files->clear();
    query.setParam(QStringLiteral("Count_Id"), m_app.currentCountId);
    query.setParam(QStringLiteral("Trans_Tag"), m_editor.currentTransTag);
    QSqlQuery rows = query.exec(m_db);
    while (rows.next())
        new QTreeWidgetItem(side.files, {rows.value(0).toString()});
}

} // namespace qm
