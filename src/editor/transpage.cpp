#include "editor/transpage.h"

#include "analysis/summarylistview.h"
#include "counting/codes.h"
#include "editor/editoricons.h"
#include "editor/editorstate.h"
#include "store/cursor.h"
#include "views/dbtreeview.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace qm {

namespace {

const QString kTransColumns =
    QStringLiteral("SELECT Tag, Description, Owner_Tag, Type, FP_Val, Change_Type, Complexity FROM Trans ");
const QString kTransOrder = QStringLiteral("ORDER BY Owner_Tag, Description");

} // namespace

TTransPage::TTransPage(Database &db, TableCursor &transTbl, AppState &app, EditorState &editor,
                       DialogService &messages, QWidget *parent)
    : TItemPage(db, transTbl, app, editor, messages, QStringLiteral("Trans"), QStringLiteral("Trans"),
                QStringLiteral("Transaction"), parent)
{
    m_parents.setSql(kTransColumns + QStringLiteral("WHERE Type = 'G' AND Count_Id = :Count_Id"), kTransOrder);
    m_items.setSql(kTransColumns + QStringLiteral("WHERE Type IN ('I', 'O', 'Q') AND Count_Id = :Count_Id"),
                   kTransOrder);
    m_tree->setPDataSource(&m_parents);
    m_tree->setFieldParentId(QStringLiteral("Owner_Tag"));
    m_tree->setImages(TransTreeImages());
    m_tree->setOnGetImage([this](const TNodeInfo &info) { return NodeImage(info); });

    m_totalsTab = BuildTotalsTab();
    m_detailsTab = BuildDetailsTab();
    BuildPanel(TransTypeChoices(), BuildDebugFields(),
               {{m_totalsTab, QStringLiteral("Totals")}, {m_detailsTab, QStringLiteral("Details")}});
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

QWidget *TTransPage::BuildTotalsTab()
{
    auto *tab = new QWidget;
    m_totalsList = new TSummaryListView(TSummaryListView::Captions::Short, TSummaryListView::ClickRule::ToggleColumn);
    m_totalsList->setObjectName(QStringLiteral("TransTotalListView"));
    (new QVBoxLayout(tab))->addWidget(m_totalsList);
    return tab;
}

QWidget *TTransPage::BuildDebugFields()
{
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
    return m_debugFields;
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
    TItemPage::Reload(countId, filtered);
    m_totalsList->Clear();
}

void TTransPage::TreeLoaded()
{
    RefreshImages();
    emit TreeReloaded();
}

void TTransPage::RefreshImages()
{
    // A group's picture depends on its value, known only once the values
    // of its items have rippled up.
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if (TTreeNode *node = TDBTreeView::NodeOf(*it))
            m_tree->SetNodeImage(node, NodeImage(node->info));
}

void TTransPage::RefreshImagesUp(TTreeNode *node)
{
    for (TTreeNode *n = node; n; n = n->parentNode())
        m_tree->SetNodeImage(n, NodeImage(n->info));
}

void TTransPage::SelectionFollowed(bool found, int tag, bool hasPrev, bool hasNext)
{
    m_editor.hasPrevTrans = hasPrev;
    m_editor.hasNextTrans = hasNext;
    // With no row shown a first group can still be made.
    m_editor.canInsertChild =
        !m_editor.readOnly && (!found || m_cursor.text(QStringLiteral("Type")) == code::TransGroup);
    m_editor.currentTransTag = found ? tag : 0;
}

void TTransPage::ApplyReadOnly(bool readOnly, const QString &countType)
{
    TItemPage::ApplyReadOnly(readOnly, countType);
    // Where a drop lands is decided by the move command, never by the view.
    m_tree->setDragEnabled(!readOnly);
}

void TTransPage::SetDebugFieldsVisible(bool on)
{
    m_debugFields->setVisible(on);
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
