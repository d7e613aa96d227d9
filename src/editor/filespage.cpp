#include "editor/filespage.h"

#include "counting/codes.h"
#include "counting/rules.h"
#include "editor/editoricons.h"
#include "editor/editorstate.h"
#include "views/dblistview.h"
#include "views/dbtreeview.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

TFilesPage::TFilesPage(Database &db, TableCursor &filesTbl, AppState &app, EditorState &editor,
                       DialogService &messages, QWidget *parent)
    : TItemPage(db, filesTbl, app, editor, messages, QStringLiteral("Files"), QStringLiteral("File"),
                QStringLiteral("File"), parent)
{
    m_items.setSql(QStringLiteral("SELECT Tag, Description, Type, FP_Val, Change_Type, Complexity FROM Files "
                                  "WHERE Count_Id = :Count_Id"));
    m_tree->setImages(FileTreeImages());
    m_tree->setOnGetImage([this](const TNodeInfo &info) { return NodeImage(info); });

    m_complexityTab = BuildComplexityTab();
    m_transactionsTab = BuildTransactionsTab();
    BuildPanel(FileTypeChoices(), nullptr,
               {{m_complexityTab, QStringLiteral("Complexity")}, {m_transactionsTab, QStringLiteral("Transactions")}});
    connect(m_complexityButton, &QPushButton::clicked, this, [this] { m_tabs->setCurrentWidget(m_complexityTab); });
}

int TFilesPage::NodeImage(const TNodeInfo &info) const
{
    const int image = info.type == code::FileInternal ? 0 : 1;
    return m_enhancement && info.type2 == code::ChangeNone ? image + 2 : image;
}

QWidget *TFilesPage::BuildTransactionsTab()
{
    auto *tab = new QWidget;
    auto *linkedBox = new QGroupBox(QStringLiteral("Linked Transactions"));
    m_linked = new TDBListView;
    m_linked->setObjectName(QStringLiteral("LinkTransDBListView"));
    m_linked->setWidthCol1(210);
    m_linked->setWidthCol2(80);
    m_linked->setImages(TransTreeImages());
    (new QVBoxLayout(linkedBox))->addWidget(m_linked);
    (new QVBoxLayout(tab))->addWidget(linkedBox);
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
        // As a spin box's arrows: Tab passes them by and a click leaves the
        // focus in the box.
        button->setFocusPolicy(Qt::NoFocus);
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

void TFilesPage::SelectionFollowed(bool, int, bool hasPrev, bool hasNext)
{
    m_editor.hasPrevFile = hasPrev;
    m_editor.hasNextFile = hasNext;
}

void TFilesPage::ApplyReadOnly(bool readOnly, const QString &countType)
{
    TItemPage::ApplyReadOnly(readOnly, countType);
    m_rets->setReadOnly(readOnly);
    m_dets->setReadOnly(readOnly);
    m_retUpDown->setEnabled(!readOnly);
    m_detUpDown->setEnabled(!readOnly);
}

void TFilesPage::Clear()
{
    m_tree->ClearTree();
    m_linked->Clear();
}

} // namespace qm
