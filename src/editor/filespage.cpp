#include "editor/filespage.h"

#include "counting/codes.h"
#include "counting/rules.h"
#include "editor/editoricons.h"
#include "editor/editorstate.h"
#include "store/appstate.h"
#include "store/cursor.h"
#include "views/dblistview.h"
#include "views/dbtreeview.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
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

TFilesPage::TFilesPage(Database &db, TableCursor &filesTbl, AppState &app, EditorState &editor,
                       DialogService &messages, QWidget *parent)
    : TDockSite(QStringLiteral("FilesPanel"), parent), m_files(filesTbl), m_app(app), m_editor(editor)
{
    setObjectName(QStringLiteral("FilesDockPanel"));
    m_items.setSql(QStringLiteral("SELECT Tag, Description, Type, FP_Val, Change_Type, Complexity FROM Files "
                                  "WHERE Count_Id = :Count_Id"));

    m_tree = new TDBTreeView(this);
    m_tree->setObjectName(QStringLiteral("DBTreeViewFiles"));
    m_tree->setDatabase(&db);
    m_tree->setDialogs(&messages);
    ConfigureTree();
    setCentralWidget(m_tree);

    m_panel = new TDockPanel(QStringLiteral("FilesPanel"), QStringLiteral("File Properties"), this);
    m_panel->setWidget(BuildPanel());
    m_panel->setReferenceButton(m_ok);
    AttachPanel(m_panel);

    connect(m_tree, &TDBTreeView::OnAfterChange, this, [this] { SyncSelection(); });
}

void TFilesPage::ConfigureTree()
{
    m_tree->setIDataSource(&m_items);
    m_tree->setUDataSource(&m_files);
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
    m_tree->setImages(FileTreeImages());
    m_tree->setOnGetImage([this](const TNodeInfo &info) { return NodeImage(info); });
}

int TFilesPage::NodeImage(const TNodeInfo &info) const
{
    const int image = info.type == code::FileInternal ? 0 : 1;
    return m_enhancement && info.type2 == code::ChangeNone ? image + 2 : image;
}

QWidget *TFilesPage::BuildPanel()
{
    auto *content = new QWidget;
    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("FilesPageControl"));
    m_general = BuildGeneralTab();
    m_tabs->addTab(m_general, QStringLiteral("General"));
    m_complexityTab = BuildComplexityTab();
    m_tabs->addTab(m_complexityTab, QStringLiteral("Complexity"));

    m_transactionsTab = new QWidget;
    auto *linkedBox = new QGroupBox(QStringLiteral("Linked Transactions"));
    m_linked = new TDBListView;
    m_linked->setObjectName(QStringLiteral("LinkTransDBListView"));
    m_linked->setWidthCol1(210);
    m_linked->setWidthCol2(80);
    m_linked->setImages(TransTreeImages());
    (new QVBoxLayout(linkedBox))->addWidget(m_linked);
    (new QVBoxLayout(m_transactionsTab))->addWidget(linkedBox);
    m_tabs->addTab(m_transactionsTab, QStringLiteral("Transactions"));

    m_commentsTab = new QWidget;
    m_memo = new QPlainTextEdit;
    m_memo->setObjectName(QStringLiteral("FileMemo"));
    (new QVBoxLayout(m_commentsTab))->addWidget(m_memo);
    m_tabs->addTab(m_commentsTab, QStringLiteral("Comments"));

    m_ok = new QPushButton(QStringLiteral("OK"));
    m_ok->setObjectName(QStringLiteral("FilesOkButton"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    m_cancel->setObjectName(QStringLiteral("FilesCancelButton"));
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

QWidget *TFilesPage::BuildGeneralTab()
{
    auto *tab = new QWidget;
    m_name = new QLineEdit;
    m_name->setObjectName(QStringLiteral("FileNameEdit"));
    m_tagText = new QLabel;
    m_tagText->setObjectName(QStringLiteral("FileIdText"));
    m_fpText = new QLabel;
    m_fpText->setObjectName(QStringLiteral("FileFPText"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("File Name:"), m_name);
    form->addRow(QStringLiteral("File ID:"), m_tagText);
    form->addRow(QStringLiteral("Function Points:"), m_fpText);

    m_typeGroup = new QButtonGroup(this);
    m_typeBox = radioBox(QStringLiteral("File Type"), QStringLiteral("FilesTypeRadioGroup"), FileTypeChoices(),
                         m_typeGroup);
    m_changeGroup = new QButtonGroup(this);
    m_changeBox = radioBox(QStringLiteral("Change Type"), QStringLiteral("FilesChangeTypeRadioGroup"),
                           ChangeTypeChoices(), m_changeGroup);
    auto *radios = new QHBoxLayout;
    radios->addWidget(m_typeBox);
    radios->addWidget(m_changeBox);

    auto *complexityBox = new QGroupBox(QStringLiteral("File Complexity"));
    complexityBox->setObjectName(QStringLiteral("FileComplexityGroupBox"));
    m_complexityText = new QLabel;
    m_complexityText->setObjectName(QStringLiteral("FileComplexityText"));
    auto *change = new QPushButton(QStringLiteral("Change..."));
    change->setObjectName(QStringLiteral("FileComplexityButton"));
    connect(change, &QPushButton::clicked, this, [this] { m_tabs->setCurrentWidget(m_complexityTab); });
    auto *complexityRow = new QHBoxLayout(complexityBox);
    complexityRow->addWidget(m_complexityText, 1);
    complexityRow->addWidget(change);

    auto *column = new QVBoxLayout(tab);
    column->addLayout(form);
    column->addLayout(radios);
    column->addWidget(complexityBox);
    column->addStretch(1);
    return tab;
}

QWidget *TFilesPage::UpDown(const QString &name)
{
    auto *pair = new QWidget;
    pair->setObjectName(name);
    auto *column = new QVBoxLayout(pair);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (Qt::ArrowType arrow : {Qt::UpArrow, Qt::DownArrow}) {
        auto *button = new QToolButton;
        button->setArrowType(arrow);
        button->setFixedSize(16, 11);
        button->setObjectName(name + (arrow == Qt::UpArrow ? QStringLiteral("Up") : QStringLiteral("Down")));
        column->addWidget(button);
    }
    // The arrows sit together beside their edit.
    pair->setFixedSize(16, 22);
    return pair;
}

QToolButton *TFilesPage::arrow(bool rets, bool up) const
{
    const QWidget *pair = rets ? m_retUpDown : m_detUpDown;
    return pair->findChild<QToolButton *>(pair->objectName() + (up ? QStringLiteral("Up") : QStringLiteral("Down")));
}

QWidget *TFilesPage::BuildComplexityTab()
{
    auto *tab = new QWidget;
    auto *box = new QGroupBox(QStringLiteral("Complexity"));
    m_rets = new QLineEdit;
    m_rets->setObjectName(QStringLiteral("RetEdit"));
    m_rets->setMaxLength(2);
    m_rets->setFixedWidth(40);
    m_dets = new QLineEdit;
    m_dets->setObjectName(QStringLiteral("DetEdit"));
    m_dets->setMaxLength(2);
    m_dets->setFixedWidth(40);
    m_retUpDown = UpDown(QStringLiteral("RetUpDown"));
    m_detUpDown = UpDown(QStringLiteral("DetUpDown"));
    auto *counts = new QHBoxLayout;
    counts->addWidget(new QLabel(QStringLiteral("RETs:")));
    counts->addWidget(m_rets);
    counts->addWidget(m_retUpDown);
    counts->addSpacing(16);
    counts->addWidget(new QLabel(QStringLiteral("DETs:")));
    counts->addWidget(m_dets);
    counts->addWidget(m_detUpDown);
    counts->addStretch(1);

    // The matrix only shows the cell; the counts choose it.
    auto *matrix = new QGroupBox(MatrixColumnHeading(Matrix::File));
    matrix->setObjectName(QStringLiteral("FilesCompRadioGroup"));
    matrix->setEnabled(false);
    m_matrixGroup = new QButtonGroup(this);
    auto *grid = new QGridLayout(matrix);
    const QStringList rows = MatrixRowCaptions(Matrix::File);
    for (int r = 0; r < rows.size(); ++r)
        grid->addWidget(new QLabel(rows[r]), r, 0);
    const QStringList cells = CellChoiceCaptions();
    for (int cell = 0; cell < cells.size(); ++cell) {
        auto *radio = new QRadioButton(cells[cell]);
        m_matrixGroup->addButton(radio, cell);
        grid->addWidget(radio, cell % 3, 1 + cell / 3);
    }

    auto *inner = new QVBoxLayout(box);
    inner->addLayout(counts);
    inner->addWidget(matrix);
    (new QVBoxLayout(tab))->addWidget(box);
    return tab;
}

void TFilesPage::Reload(int countId, bool filtered)
{
    m_items.setParam(QStringLiteral("Count_Id"), countId);
    m_files.disableControls();
    m_tree->setFontColour(filtered ? QColor(Qt::blue) : palette().color(QPalette::Text));
    m_tree->ApplyFontColour();
    m_tree->LoadTree();
    m_files.enableControls();
    if (QTreeWidgetItem *first = m_tree->topLevelItem(0)) {
        m_tree->SelectNode(first);
        m_tree->scrollToItem(first);
    }
    // The build may have selected the first node already, which is no
    // change of selection: follow it here.
    SyncSelection();
}

void TFilesPage::SyncSelection()
{
    const int tag = m_tree->ActiveId().toInt();
    m_files.setFiltered(false);
    const bool found =
        tag != 0 && m_files.locate({QStringLiteral("Tag"), QStringLiteral("Count_Id")}, {tag, m_app.currentCountId});
    QTreeWidgetItem *selected = m_tree->SelectedNode();
    if (found) {
        m_editor.hasPrevFile = selected && m_tree->itemAbove(selected);
        m_editor.hasNextFile = selected && m_tree->itemBelow(selected);
    } else {
        m_editor.hasPrevFile = m_editor.hasNextFile = false;
        m_files.setFiltered(true);
    }
    emit SelectionSynced();
    emit CommandsChanged();
}

void TFilesPage::ApplyReadOnly(bool readOnly, const QString &countType)
{
    m_enhancement = countType == code::CountEnhancement;
    const bool changeTypes = countType != code::CountBase;
    m_name->setReadOnly(readOnly);
    m_memo->setReadOnly(readOnly);
    m_rets->setReadOnly(readOnly);
    m_dets->setReadOnly(readOnly);
    m_retUpDown->setEnabled(!readOnly);
    m_detUpDown->setEnabled(!readOnly);
    m_typeBox->setEnabled(!readOnly);
    m_changeBox->setEnabled(!readOnly && changeTypes);
}

int TFilesPage::DockedPanelHeight() const
{
    const QWidget *content = m_panel->widget();
    const int bottom = content->layout() ? content->layout()->contentsMargins().bottom() : 0;
    return content->sizeHint().height() - bottom + m_ok->sizeHint().height() / 2;
}

void TFilesPage::ShowGeneralTab()
{
    m_tabs->setCurrentWidget(m_general);
}

void TFilesPage::Clear()
{
    m_tree->ClearTree();
    m_linked->Clear();
}

} // namespace qm
