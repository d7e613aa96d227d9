#include "editor/itempage.h"

#include "counting/codes.h"
#include "counting/rules.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "views/inputguards.h"
#include "views/dbtreeview.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qm {

namespace {

QGroupBox *radioBox(const QString &title, const QString &name, const QList<CodeChoice> &choices,
                    QButtonGroup *group)
{
    auto *box = new QGroupBox(title);
    box->setObjectName(name);
    auto *column = new QVBoxLayout(box);
    for (int i = 0; i < choices.size(); ++i) {
        auto *radio = new QRadioButton(choices[i].caption);
        group->addButton(radio, i);
        column->addWidget(radio);
    }
    return box;
}

} // namespace

TItemPage::TItemPage(Database &db, TableCursor &cursor, AppState &app, EditorState &editor, DialogService &messages,
                     const QString &plural, const QString &single, const QString &caption, QWidget *parent)
    : TDockSite(plural + QStringLiteral("Panel"), parent),
      m_cursor(cursor),
      m_app(app),
      m_editor(editor),
      m_plural(plural),
      m_single(single),
      m_caption(caption)
{
    setObjectName(plural + QStringLiteral("DockPanel"));

    m_tree = new TDBTreeView(this);
    m_tree->setObjectName(QStringLiteral("DBTreeView") + plural);
    m_tree->setDatabase(&db);
    m_tree->setDialogs(&messages);
    m_tree->setIDataSource(&m_items);
    m_tree->setUDataSource(&m_cursor);
    m_tree->setFieldId(QStringLiteral("Tag"));
    m_tree->setFieldName(QStringLiteral("Description"));
    m_tree->setFieldVal(QStringLiteral("FP_Val"));
    m_tree->setFieldType(QStringLiteral("Type"));
    m_tree->setFieldType2(QStringLiteral("Change_Type"));
    m_tree->setFieldType3(QStringLiteral("Complexity"));
    m_tree->setFieldNullVal(code::ChangeNone);
    m_tree->setFieldValShow(true);
    m_tree->setFieldValUnits(FpUnits);
    m_tree->setFieldValRipple(true);
    setCentralWidget(m_tree);

    connect(m_tree, &TDBTreeView::OnAfterChange, this, [this] { SyncSelection(); });
}

QWidget *TItemPage::BuildGeneralTab(const QList<CodeChoice> &types, QWidget *extra)
{
    auto *tab = new QWidget;
    m_name = new QLineEdit;
    m_name->setObjectName(m_single + QStringLiteral("NameEdit"));
    m_tagText = new QLabel;
    m_tagText->setObjectName(m_single + QStringLiteral("IdText"));
    m_fpCaption = new QLabel(QStringLiteral("Function Points:"));
    m_fpText = new QLabel;
    m_fpText->setObjectName(m_single + QStringLiteral("FPText"));
    auto *form = new QFormLayout;
    form->addRow(m_caption + QStringLiteral(" Name:"), m_name);
    form->addRow(m_caption + QStringLiteral(" ID:"), m_tagText);
    form->addRow(m_fpCaption, m_fpText);

    m_typeGroup = new QButtonGroup(this);
    m_typeBox = radioBox(m_caption + QStringLiteral(" Type"), m_plural + QStringLiteral("TypeRadioGroup"), types,
                         m_typeGroup);
    m_changeGroup = new QButtonGroup(this);
    m_changeBox = radioBox(QStringLiteral("Change Type"), m_plural + QStringLiteral("ChangeTypeRadioGroup"),
                           ChangeTypeChoices(), m_changeGroup);
    auto *radios = new QHBoxLayout;
    radios->addWidget(m_typeBox);
    radios->addWidget(m_changeBox);

    m_complexityBox = new QGroupBox(m_caption + QStringLiteral(" Complexity"));
    m_complexityBox->setObjectName(m_single + QStringLiteral("ComplexityGroupBox"));
    m_complexityText = new QLabel;
    m_complexityText->setObjectName(m_single + QStringLiteral("ComplexityText"));
    m_complexityButton = new QPushButton(QStringLiteral("Change..."));
    m_complexityButton->setObjectName(m_single + QStringLiteral("ComplexityButton"));
    auto *complexityRow = new QHBoxLayout(m_complexityBox);
    complexityRow->addWidget(m_complexityText, 1);
    complexityRow->addWidget(m_complexityButton);

    // What a group hides keeps its room, so that moving between a group and
    // a transaction leaves every other control, and the panel's width, where
    // it was.
    for (QWidget *part : {static_cast<QWidget *>(m_fpText), static_cast<QWidget *>(m_changeBox),
                          static_cast<QWidget *>(m_complexityBox)}) {
        QSizePolicy policy = part->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        part->setSizePolicy(policy);
    }

    auto *column = new QVBoxLayout(tab);
    column->addLayout(form);
    if (extra)
        column->addWidget(extra);
    column->addLayout(radios);
    column->addWidget(m_complexityBox);
    column->addStretch(1);
    return tab;
}

void TItemPage::BuildPanel(const QList<CodeChoice> &types, QWidget *generalExtra,
                           const QList<std::pair<QWidget *, QString>> &middleTabs)
{
    auto *content = new QWidget;
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(m_plural + QStringLiteral("PageControl"));
    m_general = BuildGeneralTab(types, generalExtra);
    m_tabs->addTab(m_general, QStringLiteral("General"));
    for (const auto &[tab, title] : middleTabs)
        m_tabs->addTab(tab, title);

    m_commentsTab = new QWidget;
    m_memo = new QPlainTextEdit;
    m_memo->setObjectName(m_single + QStringLiteral("Memo"));
    // Tab goes on to OK and Cancel rather than into the comment.
    m_memo->setTabChangesFocus(true);
    GuardTextPaste(m_memo);
    (new QVBoxLayout(m_commentsTab))->addWidget(m_memo);
    m_tabs->addTab(m_commentsTab, QStringLiteral("Comments"));
    // As wide as its widest page while every page is still shown: a hidden
    // page no longer counts, and the panel would change width with the item.
    m_tabs->ensurePolished();
    m_tabs->setMinimumWidth(m_tabs->sizeHint().width());

    m_ok = new QPushButton(QStringLiteral("OK"));
    m_ok->setObjectName(m_plural + QStringLiteral("OkButton"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    m_cancel->setObjectName(m_plural + QStringLiteral("CancelButton"));
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

    // Enter in any of the panel's boxes stores the row, as "OK" does.
    for (QLineEdit *edit : content->findChildren<QLineEdit *>())
        connect(edit, &QLineEdit::returnPressed, m_ok, [this] {
            if (m_ok->isEnabled())
                m_ok->click();
        });

    m_panel = new TDockPanel(PanelName(), m_caption + QStringLiteral(" Properties"), this);
    m_panel->setWidget(content);
    m_panel->setReferenceButton(m_ok);
    AttachPanel(m_panel);
}

void TItemPage::Reload(int countId, bool filtered)
{
    m_items.setParam(QStringLiteral("Count_Id"), countId);
    m_cursor.disableControls();
    m_tree->setFontColour(filtered ? QColor(Qt::blue) : palette().color(QPalette::Text));
    m_tree->ApplyFontColour();
    m_tree->LoadTree();
    TreeLoaded();
    m_cursor.enableControls();
    if (QTreeWidgetItem *first = m_tree->topLevelItem(0)) {
        m_tree->SelectNode(first);
        m_tree->scrollToItem(first);
    }
    // The build may have selected the first node already, which is no
    // change of selection: follow it here.
    SyncSelection();
}

void TItemPage::SyncSelection()
{
    const int tag = m_tree->ActiveId().toInt();
    m_cursor.setFiltered(false);
    const bool found =
        tag != 0 && m_cursor.locate({QStringLiteral("Tag"), QStringLiteral("Count_Id")}, {tag, m_app.currentCountId});
    QTreeWidgetItem *selected = m_tree->SelectedNode();
    if (!found)
        m_cursor.setFiltered(true); // the panel shows no row
    SelectionFollowed(found, tag, found && selected && m_tree->itemAbove(selected),
                      found && selected && m_tree->itemBelow(selected));
    emit SelectionSynced();
    emit CommandsChanged();
}

void TItemPage::ApplyReadOnly(bool readOnly, const QString &countType)
{
    m_enhancement = countType == code::CountEnhancement;
    m_name->setReadOnly(readOnly);
    m_memo->setReadOnly(readOnly);
    m_typeBox->setEnabled(!readOnly);
    // Change types mean something only against a base.
    m_changeBox->setEnabled(!readOnly && countType != code::CountBase);
}

int TItemPage::DockedPanelHeight() const
{
    const QWidget *content = m_panel->widget();
    const int bottom = content->layout() ? content->layout()->contentsMargins().bottom() : 0;
    return content->sizeHint().height() - bottom + m_ok->sizeHint().height() / 2;
}

void TItemPage::ShowGeneralTab()
{
    m_tabs->setCurrentWidget(m_general);
}

} // namespace qm
