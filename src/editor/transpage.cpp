#include "editor/transpage.h"

#include "analysis/summarylistview.h"
#include "counting/codes.h"
#include "editor/editoricons.h"
#include "editor/editorstate.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "views/dbtreeview.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace qm {

namespace {

const QString kTransColumns =
    QStringLiteral("SELECT Tag, Description, Owner_Tag, Type, FP_Val, Change_Type, Complexity FROM Trans ");
const QString kTransOrder = QStringLiteral("ORDER BY Owner_Tag, Description");

QGroupBox *radioBox(const QString &title, const QString &name, const QStringList &captions, QButtonGroup *group)
{
    auto *box = new QGroupBox(title);
    box->setObjectName(name);
    auto *column = new QVBoxLayout(box);
    for (int i = 0; i < captions.size(); ++i) {
        auto *radio = new QRadioButton(captions[i]);
        group->addButton(radio, i);
        column->addWidget(radio);
    }
    return box;
}

QStringList captionsOf(const QList<CodeChoice> &choices, bool radioCaption)
{
    QStringList captions;
    for (const CodeChoice &c : choices)
        captions << (radioCaption ? c.caption : c.code);
    return captions;
}

} // namespace

TTransPage::TTransPage(Database &db, TableCursor &transTbl, AppState &app, EditorState &editor,
                       DialogService &messages, QWidget *parent)
    : TDockSite(QStringLiteral("TransPanel"), parent), m_trans(transTbl), m_app(app), m_editor(editor)
{
    setObjectName(QStringLiteral("TransDockPanel"));
    m_parents.setSql(kTransColumns + QStringLiteral("WHERE Type = 'G' AND Count_Id = :Count_Id"), kTransOrder);
    m_items.setSql(kTransColumns + QStringLiteral("WHERE Type IN ('I', 'O', 'Q') AND Count_Id = :Count_Id"),
                   kTransOrder);

    m_tree = new TDBTreeView(this);
    m_tree->setObjectName(QStringLiteral("DBTreeViewTrans"));
    m_tree->setDatabase(&db);
    m_tree->setDialogs(&messages);
    ConfigureTree();
    setCentralWidget(m_tree);

    m_panel = new TDockPanel(QStringLiteral("TransPanel"), QStringLiteral("Transaction Properties"), this);
    m_panel->setWidget(BuildPanel());
    m_panel->setReferenceButton(m_ok);
    AttachPanel(m_panel);

    connect(m_tree, &TDBTreeView::OnAfterChange, this, [this] { SyncSelection(); });
}

void TTransPage::ConfigureTree()
{
    m_tree->setPDataSource(&m_parents);
    m_tree->setIDataSource(&m_items);
    m_tree->setUDataSource(&m_trans);
    m_tree->setFieldId(QStringLiteral("Tag"));
    m_tree->setFieldParentId(QStringLiteral("Owner_Tag"));
    m_tree->setFieldName(QStringLiteral("Description"));
    m_tree->setFieldVal(QStringLiteral("FP_Val"));
    m_tree->setFieldType(QStringLiteral("Type"));
    m_tree->setFieldType2(QStringLiteral("Change_Type"));
    m_tree->setFieldType3(QStringLiteral("Complexity"));
    m_tree->setFieldNullVal(code::ChangeNone);
    m_tree->setFieldValShow(true);
    m_tree->setFieldValUnits(FpUnits);
    m_tree->setFieldValRipple(true);
    m_tree->setImages(TransTreeImages());
    m_tree->setOnGetImage([this](const TNodeInfo &info) { return NodeImage(info); });
}

int TTransPage::NodeImage(const TNodeInfo &info) const
{
    int image = 3;
    if (info.type == code::TransInput)
        image = 0;
    else if (info.type == code::TransOutput)
        image = 1;
    else if (info.type == code::TransInquiry)
        image = 2;
    // Unchanged items of an enhancement count, and groups holding nothing
    // that counts, are drawn greyed.
    const bool elementary = image < 3;
    if (m_enhancement && ((elementary && info.type2 == code::ChangeNone) || (!elementary && info.value == 0)))
        image += 4;
    return image;
}

QWidget *TTransPage::BuildPanel()
{
    auto *content = new QWidget;
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("TransPageControl"));
    m_general = BuildGeneralTab();
    m_tabs->addTab(m_general, QStringLiteral("General"));

    m_totalsTab = new QWidget;
    m_totalsList = new TSummaryListView(TSummaryListView::Captions::Short, TSummaryListView::ClickRule::ToggleColumn);
    m_totalsList->setObjectName(QStringLiteral("TransTotalListView"));
    (new QVBoxLayout(m_totalsTab))->addWidget(m_totalsList);
    m_tabs->addTab(m_totalsTab, QStringLiteral("Totals"));

    m_detailsTab = BuildDetailsTab();
    m_tabs->addTab(m_detailsTab, QStringLiteral("Details"));

    m_commentsTab = new QWidget;
    m_memo = new QPlainTextEdit;
    m_memo->setObjectName(QStringLiteral("TransMemo"));
    (new QVBoxLayout(m_commentsTab))->addWidget(m_memo);
    m_tabs->addTab(m_commentsTab, QStringLiteral("Comments"));

    m_ok = new QPushButton(QStringLiteral("OK"));
    m_ok->setObjectName(QStringLiteral("TransOkButton"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    m_cancel->setObjectName(QStringLiteral("TransCancelButton"));
    m_ok->setEnabled(false);
    m_cancel->setEnabled(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto *column = new QVBoxLayout(content);
    column->addWidget(m_tabs);
    column->addLayout(buttons);
    column->addStretch(1);
    content->setMinimumWidth(300);
    // As tall as the fullest tab with every box shown, so the buttons below
    // stay put whatever the selected item hides.
    m_tabs->setMinimumHeight(m_tabs->sizeHint().height());
    return content;
}

QWidget *TTransPage::BuildGeneralTab()
{
    auto *tab = new QWidget;
    m_name = new QLineEdit;
    m_name->setObjectName(QStringLiteral("TransNameEdit"));
    m_tagText = new QLabel;
    m_tagText->setObjectName(QStringLiteral("TransIdText"));
    m_fpCaption = new QLabel(QStringLiteral("Function Points:"));
    m_fpText = new QLabel;
    m_fpText->setObjectName(QStringLiteral("TransFPText"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Transaction Name:"), m_name);
    form->addRow(QStringLiteral("Transaction ID:"), m_tagText);
    form->addRow(m_fpCaption, m_fpText);

    // Raw keys, shown only to those tracing a problem.
    m_debugFields = new QWidget;
    auto *debugForm = new QFormLayout(m_debugFields);
    debugForm->setContentsMargins(0, 0, 0, 0);
    m_tagDebug = new QLineEdit;
    m_tagDebug->setObjectName(QStringLiteral("TransTagDebugEdit"));
    m_tagDebug->setReadOnly(true);
    m_ownerDebug = new QLineEdit;
    m_ownerDebug->setObjectName(QStringLiteral("TransOwnerTagDebugEdit"));
    m_ownerDebug->setReadOnly(true);
    debugForm->addRow(QStringLiteral("Tag:"), m_tagDebug);
    debugForm->addRow(QStringLiteral("Owner_Tag:"), m_ownerDebug);
    m_debugFields->setVisible(false);

    m_typeGroup = new QButtonGroup(this);
    m_typeBox = radioBox(QStringLiteral("Transaction Type"), QStringLiteral("TransTypeRadioGroup"),
                         captionsOf(TransTypeChoices(), true), m_typeGroup);
    m_changeGroup = new QButtonGroup(this);
    m_changeBox = radioBox(QStringLiteral("Change Type"), QStringLiteral("TransChangeTypeRadioGroup"),
                           captionsOf(ChangeTypeChoices(), true), m_changeGroup);
    auto *radios = new QHBoxLayout;
    radios->addWidget(m_typeBox);
    radios->addWidget(m_changeBox);

    m_complexityBox = new QGroupBox(QStringLiteral("Transaction Complexity"));
    m_complexityBox->setObjectName(QStringLiteral("TransComplexityGroupBox"));
    m_complexityText = new QLabel;
    m_complexityText->setObjectName(QStringLiteral("TransComplexityText"));
    m_complexityButton = new QPushButton(QStringLiteral("Change..."));
    m_complexityButton->setObjectName(QStringLiteral("TransComplexityButton"));
    auto *complexityRow = new QHBoxLayout(m_complexityBox);
    complexityRow->addWidget(m_complexityText, 1);
    complexityRow->addWidget(m_complexityButton);

    auto *column = new QVBoxLayout(tab);
    column->addLayout(form);
    column->addWidget(m_debugFields);
    column->addLayout(radios);
    column->addWidget(m_complexityBox);
    column->addStretch(1);
    return tab;
}

QGroupBox *TTransPage::BuildSideBox(SideBox &side, const QString &title, const QString &prefix)
{
    side.box = new QGroupBox(title);
    side.box->setObjectName(prefix + QStringLiteral("ComplexityGroupBox"));
    side.ftrs = new QLineEdit;
    side.ftrs->setObjectName(prefix + QStringLiteral("FtrEdit"));
    side.ftrs->setReadOnly(true);
    side.dets = new QLineEdit;
    side.dets->setObjectName(prefix + QStringLiteral("DetEdit"));
    side.dets->setReadOnly(true);
    side.complexity = new QLabel;
    side.complexity->setObjectName(prefix + QStringLiteral("ComplexityText"));
    side.files = new QTreeWidget;
    side.files->setObjectName(prefix + QStringLiteral("FilesGrid"));
    side.files->setRootIsDecorated(false);
    side.files->setHeaderLabels({QStringLiteral("Files Referenced...")});
    // A few rows; the grid scrolls for a transaction with many files.
    side.files->setMaximumHeight(side.files->fontMetrics().height() * 7);
    auto *form = new QFormLayout(side.box);
    form->addRow(QStringLiteral("FTRs:"), side.ftrs);
    form->addRow(QStringLiteral("DETs:"), side.dets);
    form->addRow(QStringLiteral("Complexity:"), side.complexity);
    form->addRow(side.files);
    return side.box;
}

QWidget *TTransPage::BuildDetailsTab()
{
    auto *tab = new QWidget;
    auto *column = new QVBoxLayout(tab);
    column->addWidget(BuildSideBox(m_inputBox, QStringLiteral("Input Complexity"), QStringLiteral("Input")));
    column->addWidget(BuildSideBox(m_outputBox, QStringLiteral("Output Complexity"), QStringLiteral("Output")));
    return tab;
}

void TTransPage::Reload(int countId, bool filtered)
{
    m_parents.setParam(QStringLiteral("Count_Id"), countId);
    m_items.setParam(QStringLiteral("Count_Id"), countId);
    m_trans.disableControls();
    m_tree->setFontColour(filtered ? QColor(Qt::blue) : palette().color(QPalette::Text));
    m_tree->ApplyFontColour();
    m_tree->LoadTree();
    RefreshImages();
    m_trans.enableControls();
    if (QTreeWidgetItem *first = m_tree->topLevelItem(0)) {
        m_tree->SelectNode(first);
        m_tree->scrollToItem(first);
    }
    // The build may have selected the first node already, which is no
    // change of selection: follow it here.
    SyncSelection();
    m_totalsList->Clear();
}

void TTransPage::RefreshImages()
{
    // A group's picture depends on its value, known only once the values
    // of its items have rippled up.
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if (TTreeNode *node = TDBTreeView::NodeOf(*it))
            m_tree->SetNodeImage(node, NodeImage(node->info));
}

void TTransPage::SyncSelection()
{
    const int tag = m_tree->ActiveId().toInt();
    m_trans.setFiltered(false);
    const bool found =
        tag != 0 && m_trans.locate({QStringLiteral("Tag"), QStringLiteral("Count_Id")}, {tag, m_app.currentCountId});
    QTreeWidgetItem *selected = m_tree->SelectedNode();
    if (found) {
        m_editor.hasPrevTrans = selected && m_tree->itemAbove(selected);
        m_editor.hasNextTrans = selected && m_tree->itemBelow(selected);
        m_editor.canInsertChild = !m_editor.readOnly && m_trans.text(QStringLiteral("Type")) == code::TransGroup;
        m_editor.currentTransTag = tag;
    } else {
        m_editor.hasPrevTrans = m_editor.hasNextTrans = false;
        // The panel shows no row; a first group can still be made.
        m_trans.setFiltered(true);
        m_editor.canInsertChild = !m_editor.readOnly;
        m_editor.currentTransTag = 0;
    }
    emit SelectionSynced();
    emit CommandsChanged();
}

void TTransPage::ApplyReadOnly(bool readOnly, const QString &countType)
{
    m_enhancement = countType == code::CountEnhancement;
    const bool changeTypes = countType != code::CountBase;
    m_name->setReadOnly(readOnly);
    m_memo->setReadOnly(readOnly);
    m_typeBox->setEnabled(!readOnly);
    // Change types mean something only against a base.
    m_changeBox->setEnabled(!readOnly && changeTypes);
    // Where a drop lands is decided by the move command, never by the view.
    m_tree->setDragEnabled(!readOnly);
}

void TTransPage::SetDebugFieldsVisible(bool on)
{
    m_debugFields->setVisible(on);
}

int TTransPage::DockedPanelHeight() const
{
    const QWidget *content = m_panel->widget();
    const int bottom = content->layout() ? content->layout()->contentsMargins().bottom() : 0;
    return content->sizeHint().height() - bottom + m_ok->sizeHint().height() / 2;
}

void TTransPage::ShowGeneralTab()
{
    m_tabs->setCurrentWidget(m_general);
}

bool TTransPage::TotalsTabActive() const
{
    return m_tabs->currentWidget() == m_totalsTab;
}

void TTransPage::Clear()
{
    m_tree->ClearTree();
    m_totalsList->Clear();
}

} // namespace qm
