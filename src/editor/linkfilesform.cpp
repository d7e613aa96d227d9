#include "editor/linkfilesform.h"

#include "counting/codes.h"
#include "editor/editoricons.h"
#include "editor/fileediting.h"
#include "editor/linkqueries.h"
#include "editor/matrixgroup.h"
#include "store/database.h"
#include "store/dialogservice.h"
#include "views/cursorguard.h"
#include "views/dblistview.h"
#include "views/inputguards.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

namespace {

constexpr int kMaxDets = 99;

TDBListView *fileList(const QString &name, bool multiSelect)
{
    auto *list = new TDBListView;
    list->setObjectName(name);
    list->setWidthCol1(180);
    list->setWidthCol2(80);
    list->setImages(FileTreeImages());
    list->setFieldName(QStringLiteral("Description"));
    list->setFieldType(QStringLiteral("Change_Type"));
    list->setFieldIType(QStringLiteral("Type"));
    list->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    list->setMinimumWidth(180 + 80 + 8);
    QObject::connect(list, &TDBListView::OnGetImage, list, [](TDBListView *l, TListItem *item) {
        l->SetItemImage(item, item->info.type == code::FileInternal ? 0 : 1);
    });
    return list;
}

// The first selected item in list order: what the buttons act on.
TListItem *firstSelected(TDBListView *list)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->isSelected())
            return TDBListView::ItemOf(list->topLevelItem(i));
    return nullptr;
}

bool hasSelection(TDBListView *list)
{
    return firstSelected(list) != nullptr;
}

QStringList itemIds(TDBListView *list)
{
    QStringList ids;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        ids << TDBListView::ItemId(list->topLevelItem(i));
    return ids;
}

QToolButton *arrowButton(const QString &name, Qt::ArrowType arrow)
{
    auto *button = new QToolButton;
    button->setObjectName(name);
    button->setArrowType(arrow);
    button->setFixedSize(16, 11);
    button->setAutoRepeat(true);
    // As a spin box's arrows: Tab passes them by and a click leaves the
    // focus in the box.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

TFormAddIt::TFormAddIt(Database &db, QWidget *parent) : QDialog(parent), m_db(db)
{
    setObjectName(QStringLiteral("TFormAddIt"));
    setModal(true);
    m_input.flag = code::LinkInput;
    m_output.flag = code::LinkOutput;

    m_pages = new QTabWidget;
    m_pages->setObjectName(QStringLiteral("AddItPageControl"));
    m_pages->addTab(BuildSideTab(m_input, Matrix::Input, QStringLiteral("Input Complexity"), false),
                    QStringLiteral("Input Complexity"));
    m_pages->addTab(BuildSideTab(m_output, Matrix::Output, QStringLiteral("Output Complexity"), true),
                    QStringLiteral("Output Complexity"));

    m_ok = new QPushButton(QStringLiteral("OK"));
    m_ok->setObjectName(QStringLiteral("AddItOkButton"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    m_cancel->setObjectName(QStringLiteral("AddItCancelButton"));
    connect(m_ok, &QPushButton::clicked, this, &TFormAddIt::OkClicked);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto *lower = new QHBoxLayout;
    lower->addStretch(1);
    lower->addWidget(BuildResultBox());

    auto *column = new QVBoxLayout(this);
    column->addWidget(m_pages);
    column->addLayout(lower);
    column->addLayout(buttons);
    // The dialog keeps the size its contents give it.
    column->setSizeConstraint(QLayout::SetFixedSize);

    for (Side *side : {&m_input, &m_output})
        ConnectSide(*side);
}

QWidget *TFormAddIt::BuildSideTab(Side &side, Matrix matrix, const QString &boxTitle, bool multiAvailable)
{
    const QString prefix = side.flag == code::LinkInput ? QStringLiteral("Input") : QStringLiteral("Output");
    side.tab = new QWidget;
    side.tab->setObjectName(prefix + QStringLiteral("Tab"));

    side.available = fileList(prefix + QStringLiteral("AvailableListView"), multiAvailable);
    side.linked = fileList(prefix + QStringLiteral("LinkedListView"), true);
    side.link = new QPushButton(QStringLiteral("->"));
    side.link->setObjectName(prefix + QStringLiteral("LinkButton"));
    side.unlink = new QPushButton(QStringLiteral("<-"));
    side.unlink->setObjectName(prefix + QStringLiteral("UnlinkButton"));
    side.unlinkAll = new QPushButton(QStringLiteral("<<-"));
    side.unlinkAll->setObjectName(prefix + QStringLiteral("UnlinkAllButton"));

    auto *filesBox = new QGroupBox(QStringLiteral("File Types Referenced"));
    auto *grid = new QGridLayout(filesBox);
    grid->addWidget(new QLabel(QStringLiteral("Available Files:")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Linked Files:")), 0, 2);
    grid->addWidget(side.available, 1, 0);
    auto *moves = new QVBoxLayout;
    moves->addStretch(1);
    for (QPushButton *b : {side.link, side.unlink, side.unlinkAll}) {
        b->setFixedWidth(40);
        b->setAutoDefault(false);
        moves->addWidget(b);
    }
    moves->addStretch(1);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(side.linked, 1, 2);

    auto *complexityBox = new QGroupBox(boxTitle);
    complexityBox->setObjectName(prefix + QStringLiteral("ComplexityBox"));
    side.matrix = new TMatrixGroup(matrix);
    side.matrix->setObjectName(prefix + QStringLiteral("MatrixRadioGroup"));
    (new QVBoxLayout(complexityBox))->addWidget(side.matrix);

    auto *lower = new QHBoxLayout;
    lower->addWidget(BuildDetBox(side, prefix), 0, Qt::AlignTop);
    lower->addWidget(complexityBox);
    auto *column = new QVBoxLayout(side.tab);
    column->addWidget(filesBox);
    column->addLayout(lower);
    return side.tab;
}

QWidget *TFormAddIt::BuildDetBox(Side &side, const QString &prefix)
{
    auto *detBox = new QGroupBox(QStringLiteral("Data Element Types (DETs)"));
    side.dets = new QLineEdit;
    side.dets->setObjectName(prefix + QStringLiteral("DetEdit"));
    side.dets->setFixedWidth(40);
    side.detsUp = arrowButton(prefix + QStringLiteral("DetUp"), Qt::UpArrow);
    side.detsDown = arrowButton(prefix + QStringLiteral("DetDown"), Qt::DownArrow);
    auto *captions = new QVBoxLayout;
    captions->addWidget(new QLabel(QStringLiteral("Number of ")));
    captions->addWidget(new QLabel(QStringLiteral("Data Elements:")));
    auto *upDown = new QVBoxLayout;
    upDown->setSpacing(0);
    upDown->addWidget(side.detsUp);
    upDown->addWidget(side.detsDown);
    auto *detRow = new QHBoxLayout(detBox);
    detRow->addLayout(captions);
    detRow->addWidget(side.dets);
    detRow->addLayout(upDown);
    detRow->addStretch(1);
    return detBox;
}

QWidget *TFormAddIt::BuildResultBox()
{
    auto *box = new QWidget;
    auto *complexity = new QGroupBox(QStringLiteral("Transaction Complexity"));
    complexity->setObjectName(QStringLiteral("TransComplexityRadioGroup"));
    complexity->setEnabled(false);
    m_complexityGroup = new QButtonGroup(this);
    auto *choices = new QVBoxLayout(complexity);
    const QStringList captions = LinkComplexityChoices();
    for (int i = 0; i < captions.size(); ++i) {
        auto *radio = new QRadioButton(captions[i]);
        m_complexityGroup->addButton(radio, i);
        choices->addWidget(radio);
    }

    auto *fps = new QGroupBox(QStringLiteral("Transaction FPs"));
    m_fpEdit = new QLineEdit;
    m_fpEdit->setObjectName(QStringLiteral("TransFPEdit"));
    m_fpEdit->setReadOnly(true);
    m_fpEdit->setFixedWidth(60);
    auto *fpRow = new QHBoxLayout(fps);
    fpRow->addWidget(new QLabel(QStringLiteral("Function Points:")));
    fpRow->addWidget(m_fpEdit);

    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(complexity);
    row->addWidget(fps, 0, Qt::AlignBottom);
    return box;
}

void TFormAddIt::ConnectSide(Side &side)
{
    Side *s = &side;
    connect(side.link, &QPushButton::clicked, this, [this, s] { LinkSelected(*s); });
    connect(side.unlink, &QPushButton::clicked, this, [this, s] { UnlinkSelected(*s); });
    connect(side.unlinkAll, &QPushButton::clicked, this, [this, s] { UnlinkAll(*s); });
    connect(side.available, &QTreeWidget::itemDoubleClicked, this, [this, s] { LinkSelected(*s); });
    connect(side.linked, &QTreeWidget::itemDoubleClicked, this, [this, s] { UnlinkSelected(*s); });
    connect(side.available, &TDBListView::OnChange, this, [this, s] { SetButtons(*s); });
    connect(side.linked, &TDBListView::OnChange, this, [this, s] { SetButtons(*s); });
    GuardCountEdit(side.dets, kMaxDets, [this] {
        if (m_messages)
            m_messages->error(text::DetsRefused);
    });
    connect(side.dets, &QLineEdit::textEdited, this, [this, s](const QString &text) { DetsTyped(*s, text); });
    // A box left empty shows the 0 it stands for.
    connect(side.dets, &QLineEdit::editingFinished, this, [s] {
        if (s->dets->text().isEmpty())
            ShowCountText(s->dets, 0);
    });
    connect(side.detsUp, &QToolButton::clicked, this, [this, s] { StepDets(*s, +1); });
    connect(side.detsDown, &QToolButton::clicked, this, [this, s] { StepDets(*s, -1); });
    for (TDBListView *list : {side.available, side.linked})
        list->setDatabase(&m_db);
    side.available->setFieldId(QStringLiteral("Tag"));
    side.linked->setFieldId(QStringLiteral("File_Tag"));
    side.linkedQuery = FilesLinkSideQuery(side.flag);
    side.availableQuery = FilesTransSideQuery(side.flag);
    side.linked->setIDataSource(&side.linkedQuery);
    side.available->setIDataSource(&side.availableQuery);
}

int TFormAddIt::Execute(int countId, int transTag, bool readOnly)
{
    if (!Prepare(countId, transTag, readOnly))
        return Rejected;
    CentreOverOwner();
    return exec();
}

// Over the editor every time, wherever the dialog was last moved to.
void TFormAddIt::CentreOverOwner()
{
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    // Before its first showing the dialog does not know its size yet.
    if (!testAttribute(Qt::WA_Resized))
        adjustSize();
    QRect frame = frameGeometry();
    frame.moveCenter(owner->frameGeometry().center());
    move(frame.topLeft());
}

bool TFormAddIt::Prepare(int countId, int transTag, bool readOnly)
{
    WaitCursor busy;
    Clear();
    m_countId = countId;
    m_transTag = transTag;
    m_readOnly = readOnly;
    m_resultWritten = false;
    m_shown = false;
    if (!ReadRow(countId, transTag) || m_type == code::TransGroup)
        return false;

    const bool input = m_type != code::TransOutput;
    const bool output = m_type != code::TransInput;
    ShowSide(m_input, input);
    ShowSide(m_output, output);
    m_pages->setCurrentWidget(input ? m_input.tab : m_output.tab);

    for (Side *side : {&m_input, &m_output}) {
        side->dets->setReadOnly(readOnly);
        side->detsUp->setEnabled(!readOnly);
        side->detsDown->setEnabled(!readOnly);
        ShowCountText(side->dets, side->detCount);
        SetButtons(*side);
    }
    Recompute();
    m_linksChanged = false;
    m_shown = true;
    m_ok->setDefault(true);
    m_ok->setFocus();
    return true;
}

bool TFormAddIt::ReadRow(int countId, int transTag)
{
    QSqlQuery q = m_db.exec(QStringLiteral("SELECT Type, Description, Change_Type, Input_Det_Count, "
                                           "Output_Det_Count FROM Trans WHERE Tag = ? AND Count_Id = ?"),
                            {transTag, countId});
    if (!q.next())
        return false;
    m_type = q.value(0).toString().trimmed();
    QString caption = QStringLiteral("Determine Complexity - ") + q.value(1).toString();
    if (m_readOnly)
        caption += QStringLiteral("  (Read-Only)");
    setWindowTitle(caption);
    m_changeType = q.value(2).toString();
    m_input.detCount = q.value(3).toInt();
    m_output.detCount = q.value(4).toInt();
    return true;
}

void TFormAddIt::ShowSide(Side &side, bool shown)
{
    side.loaded = shown;
    m_pages->setTabVisible(m_pages->indexOf(side.tab), shown);
    if (shown)
        LoadSide(side);
}

void TFormAddIt::LoadSide(Side &side)
{
    for (StoreQuery *q : {&side.linkedQuery, &side.availableQuery}) {
        q->setParam(QStringLiteral("Count_Id"), m_countId);
        q->setParam(QStringLiteral("Trans_Tag"), m_transTag);
    }
    side.linked->Load();
    side.available->Load();
}

void TFormAddIt::LinkSelected(Side &side)
{
    TListItem *item = m_readOnly ? nullptr : firstSelected(side.available);
    if (!item)
        return;
    side.linked->CopyItem(item);
    side.linked->SortByCaption();
    side.available->RemoveItem(item);
    SetButtons(side);
    Recompute();
}

void TFormAddIt::UnlinkSelected(Side &side)
{
    TListItem *item = m_readOnly ? nullptr : firstSelected(side.linked);
    if (!item)
        return;
    side.available->CopyItem(item);
    side.available->SortByCaption();
    side.linked->RemoveItem(item);
    SetButtons(side);
    Recompute();
}

void TFormAddIt::UnlinkAll(Side &side)
{
    if (m_readOnly || side.linked->topLevelItemCount() == 0)
        return;
    for (int i = 0; i < side.linked->topLevelItemCount(); ++i)
        side.available->CopyItem(TDBListView::ItemOf(side.linked->topLevelItem(i)));
    side.available->SortByCaption();
    side.linked->Clear();
    SetButtons(side);
    Recompute();
}

void TFormAddIt::SetButtons(Side &side)
{
    side.unlinkAll->setEnabled(!m_readOnly && side.linked->topLevelItemCount() > 0);
    side.unlink->setEnabled(!m_readOnly && hasSelection(side.linked));
    side.link->setEnabled(!m_readOnly && hasSelection(side.available));
}

void TFormAddIt::DetsTyped(Side &side, const QString &text)
{
    int value = 0;
    if (m_readOnly || !CountOfText(text, kMaxDets, &value))
        return;
    side.detCount = value;
    Recompute();
}

void TFormAddIt::StepDets(Side &side, int delta)
{
    if (m_readOnly)
        return;
    const int value = side.detCount + delta;
    if (value < 0 || (delta > 0 && side.detCount >= kMaxDets))
        return;
    side.detCount = value;
    ShowCountText(side.dets, value);
    Recompute();
}

void TFormAddIt::Recompute()
{
    const int inputCell = InputCell(m_input.linked->topLevelItemCount(), m_input.detCount);
    const int outputCell = OutputCell(m_output.linked->topLevelItemCount(), m_output.detCount);
    m_input.matrix->ShowCell(inputCell);
    m_output.matrix->ShowCell(outputCell);
    m_complexity = TransComplexity(inputCell, outputCell, m_type);
    CheckOnly(m_complexityGroup, m_complexity);
    m_value = TransWeight(m_complexity, m_type);
    m_fpEdit->setText(QString::number(m_value));
    if (m_shown)
        m_linksChanged = true;
}

void TFormAddIt::OkClicked()
{
    {
        WaitCursor busy;
        if (!m_readOnly && m_linksChanged)
            WriteResult();
    }
    accept();
}

void TFormAddIt::WriteResult()
{
    // Links and row change together or not at all.
    Transaction tx(m_db);
    for (Side *side : {&m_input, &m_output})
        if (side->loaded)
            WriteTransLinks(m_db, m_countId, m_transTag, side->flag, itemIds(side->linked));
    const int inputFiles = m_input.loaded ? m_input.linked->topLevelItemCount() : 0;
    const int outputFiles = m_output.loaded ? m_output.linked->topLevelItemCount() : 0;
    const QString changeType = m_changeType == code::ChangeNone ? code::ChangeModified : m_changeType;
    m_db.exec(QStringLiteral("UPDATE Trans SET Complexity = ?, FP_Val = ?, Input_File_Count = ?, "
                             "Output_File_Count = ?, Input_Det_Count = ?, Output_Det_Count = ?, Change_Type = ? "
                             "WHERE Tag = ? AND Count_Id = ?"),
              {ComplexityCode(m_complexity), double(m_value), inputFiles, outputFiles, m_input.detCount,
               m_output.detCount, changeType, m_transTag, m_countId});
    tx.commit();
    m_resultWritten = true;
}

void TFormAddIt::done(int result)
{
    Clear();
    QDialog::done(result);
}

void TFormAddIt::Clear()
{
    for (Side *side : {&m_input, &m_output}) {
        side->available->Clear();
        side->linked->Clear();
        side->loaded = false;
    }
    m_shown = false;
}

} // namespace qm
