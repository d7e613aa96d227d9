#include "editor/countpage.h"

#include "analysis/summarylistview.h"
#include "counting/rules.h"
#include "store/cursor.h"
#include "views/boundcontrols.h"
#include "views/inputguards.h"

#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qm {

namespace {

constexpr int kMargin = 8;
constexpr int kSystemLength = 8;

QLineEdit *readOnlyEdit(const QString &name, int width)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setFixedWidth(width);
    return edit;
}

QLabel *label(const QString &text)
{
    return new QLabel(text);
}

} // namespace

TCountPage::TCountPage(TableCursor &countTbl, QWidget *parent) : QWidget(parent), m_count(countTbl)
{
    setObjectName(QStringLiteral("GeneralPage"));
    m_details = BuildDetails();
    m_details->setParent(this);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("CountPageControl"));
    m_tabs->addTab(BuildSummaryTab(), QStringLiteral("Count Summary"));
    m_tabs->addTab(BuildVafTab(), QStringLiteral("Value Adjustment Factor"));
    m_tabs->addTab(BuildDetailsTab(), QStringLiteral("Details"));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("CountOkButton"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("CountCancelButton"));
    connect(m_ok, &QPushButton::clicked, this, &TCountPage::OkClicked);
    connect(m_cancel, &QPushButton::clicked, this, &TCountPage::CancelClicked);
    // Enter in the name or the system stores the row, as "OK" does.
    for (QLineEdit *edit : {m_name, m_system->lineEdit()})
        connect(edit, &QLineEdit::returnPressed, this, [this] {
            if (m_ok->isEnabled())
                m_ok->click();
        });

    BindControls();
    UpdateButtons();
    // The tab's own size settles only once the page control has laid out.
    m_summaryTab->installEventFilter(this);
    LayoutPage();
}

bool TCountPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_summaryTab && event->type() == QEvent::Resize)
        LayoutPage();
    return QWidget::eventFilter(watched, event);
}

QGroupBox *TCountPage::BuildDetails()
{
    auto *box = new QGroupBox(QStringLiteral("Details"));
    box->setObjectName(QStringLiteral("DetailsGroupBox"));
    m_name = new QLineEdit;
    m_name->setObjectName(QStringLiteral("DescriptionEdit"));
    m_name->setMinimumWidth(320);
    m_system = new QComboBox;
    m_system->setObjectName(QStringLiteral("SystemComboBox"));
    m_system->setEditable(true);
    m_system->setInsertPolicy(QComboBox::NoInsert);
    KeepSingleLine(m_system->lineEdit());
    m_system->setMinimumWidth(110);
    m_countType = new QLabel;
    m_countType->setObjectName(QStringLiteral("CountTypeText"));
    m_countType->setMinimumWidth(90);

    auto *row = new QHBoxLayout(box);
    row->addWidget(label(QStringLiteral("Name:")));
    row->addWidget(m_name, 3);
    row->addSpacing(12);
    row->addWidget(label(QStringLiteral("System:")));
    row->addWidget(m_system);
    row->addSpacing(12);
    row->addWidget(label(QStringLiteral("CountType:")));
    row->addWidget(m_countType);
    row->addStretch(1);
    return box;
}

QLineEdit *TCountPage::Figure(const QString &name)
{
    QLineEdit *edit = readOnlyEdit(name, 70);
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

QGroupBox *TCountPage::BuildTotals()
{
    auto *box = new QGroupBox(QStringLiteral("Totals"));
    box->setObjectName(QStringLiteral("TotalsGroupBox"));
    m_unAddChange = Figure(QStringLiteral("TotalUnAddChangeEdit"));
    m_unDelete = Figure(QStringLiteral("TotalUnDeleteEdit"));
    m_unTotal = Figure(QStringLiteral("TotalUnAEdit"));
    m_addChange = Figure(QStringLiteral("TotalAddChangeEdit"));
    m_delete = Figure(QStringLiteral("TotalDeleteEdit"));
    m_total = Figure(QStringLiteral("TotalEdit"));
    m_vafAfter = Figure(QStringLiteral("VAFAfterEdit"));
    m_oldVaf = Figure(QStringLiteral("VAFBeforeEdit"));

    auto *grid = new QGridLayout(box);
    grid->setHorizontalSpacing(8);
    grid->addWidget(label(caption::TotalAddedChanged), 0, 0);
    grid->addWidget(m_unAddChange, 0, 1);
    grid->addWidget(label(caption::Times), 0, 2);
    grid->addWidget(label(caption::VafAfter), 0, 3);
    grid->addWidget(m_vafAfter, 0, 4);
    grid->addWidget(label(caption::Equals), 0, 5);
    grid->addWidget(m_addChange, 0, 6);
    grid->addWidget(label(caption::TotalDeleted), 1, 0);
    grid->addWidget(m_unDelete, 1, 1);
    grid->addWidget(label(caption::Times), 1, 2);
    grid->addWidget(label(caption::VafBefore), 1, 3);
    grid->addWidget(m_oldVaf, 1, 4);
    grid->addWidget(label(caption::Equals), 1, 5);
    grid->addWidget(m_delete, 1, 6);
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    grid->addWidget(line, 2, 0, 1, 7);
    grid->addWidget(label(caption::TotalUnadjusted), 3, 0);
    grid->addWidget(m_unTotal, 3, 1);
    grid->addWidget(label(caption::TotalAdjusted), 3, 3, 1, 3);
    grid->addWidget(m_total, 3, 6);
    box->resize(box->sizeHint());
    return box;
}

QWidget *TCountPage::BuildSummaryTab()
{
    m_summaryTab = new QWidget;
    m_summaryBox = new QGroupBox(QStringLiteral("Summary"), m_summaryTab);
    m_summaryBox->setObjectName(QStringLiteral("GroupBoxSummary"));
    m_summaryList = new TSummaryListView(TSummaryListView::Captions::Long, TSummaryListView::ClickRule::Alternate);
    m_summaryList->setObjectName(QStringLiteral("SummaryListView"));
    m_summaryList->setBusyWhileSorting(true);
    auto *inner = new QVBoxLayout(m_summaryBox);
    inner->addWidget(m_summaryList);
    m_totals = BuildTotals();
    m_totals->setParent(m_summaryTab);
    return m_summaryTab;
}

QWidget *TCountPage::BuildVafTab()
{
    auto *tab = new QWidget;
    auto *characteristics = new QGroupBox(QStringLiteral("General System Characteristics"));
    characteristics->setObjectName(QStringLiteral("CharacteristicsGroupBox"));
    // VAF_1..VAF_7 down the left, VAF_8..VAF_14 down the right: two
    // columns, each read (and tabbed through) top to bottom.
    auto *columns = new QHBoxLayout(characteristics);
    QGridLayout *grid = nullptr;
    const QStringList captions = CharacteristicCaptions();
    for (int i = 0; i < captions.size(); ++i) {
        if (i % 7 == 0) {
            if (grid)
                columns->addSpacing(40);
            grid = new QGridLayout;
            columns->addLayout(grid);
        }
        auto *box = new QComboBox;
        box->setObjectName(QStringLiteral("VAF_%1ComboBox").arg(i + 1));
        for (int v = 0; v <= 5; ++v)
            box->addItem(QString::number(v));
        box->setFixedWidth(55);
        m_characteristics << box;
        grid->addWidget(label(captions[i]), i % 7, 0);
        grid->addWidget(box, i % 7, 1);
    }
    columns->addStretch(1);

    auto *vafBox = new QGroupBox(QStringLiteral("VAF"));
    vafBox->setObjectName(QStringLiteral("VAFGroupBox"));
    m_vafTab = readOnlyEdit(QStringLiteral("VAFEdit"), 70);
    m_vafTab->setAlignment(Qt::AlignRight);
    auto *vafRow = new QHBoxLayout(vafBox);
    vafRow->addWidget(label(QStringLiteral("Value Adjustment Factor")));
    vafRow->addWidget(m_vafTab);
    vafRow->addStretch(1);

    auto *column = new QVBoxLayout(tab);
    column->addWidget(characteristics);
    column->addWidget(vafBox);
    column->addStretch(1);
    return tab;
}

QWidget *TCountPage::BuildDetailsTab()
{
    auto *tab = new QWidget;
    auto *creation = new QGroupBox(QStringLiteral("Creation Details"));
    m_created = readOnlyEdit(QStringLiteral("CreatedDateEdit"), 90);
    m_ownerSystem = readOnlyEdit(QStringLiteral("OwnerSystemEdit"), 90);
    m_ownerDescription = readOnlyEdit(QStringLiteral("OwnerDescriptionEdit"), 380);
    auto *form = new QFormLayout(creation);
    form->addRow(QStringLiteral("Date Created:"), m_created);
    form->addRow(QStringLiteral("Count Copied From -System:"), m_ownerSystem);
    form->addRow(QStringLiteral("Description:"), m_ownerDescription);

    auto *comments = new QGroupBox(QStringLiteral("Comments"));
    m_notes = new QPlainTextEdit;
    m_notes->setObjectName(QStringLiteral("NotesMemo"));
    // Tab goes on to the next control rather than into the comment.
    m_notes->setTabChangesFocus(true);
    GuardTextPaste(m_notes);
    auto *memoLayout = new QVBoxLayout(comments);
    memoLayout->addWidget(m_notes);

    auto *column = new QVBoxLayout(tab);
    column->addWidget(creation);
    column->addWidget(comments, 1);
    return tab;
}

void TCountPage::BindControls()
{
    // Before the links, so the length limit is set before the box shows a
    // stored name longer than a typed one may be.
    connect(&m_count, &TableCursor::recordChanged, this, &TCountPage::ShowRecord);
    connect(&m_count, &TableCursor::stateChanged, this, &TCountPage::UpdateButtons);
    connect(&m_count, &TableCursor::fieldChanged, this, [this](const QString &field) {
        if (field.compare(QStringLiteral("Old_VAF"), Qt::CaseInsensitive) == 0)
            ShowRecord();
    });

    m_links << new LineEditLink(m_count, QStringLiteral("Description"), m_name);
    m_systemLink = new ComboBoxLink(m_count, QStringLiteral("System"), m_system);
    m_links << m_systemLink;
    for (int i = 0; i < m_characteristics.size(); ++i)
        m_links << new ComboBoxLink(m_count, QStringLiteral("VAF_%1").arg(i + 1), m_characteristics[i]);
    m_links << new MemoLink(m_count, QStringLiteral("Notes"), m_notes);
}

void TCountPage::ShowRecord()
{
    const bool hasRow = m_count.isOpen() && (m_count.position() >= 0 || m_count.isEditing());
    const QString system = hasRow ? m_count.text(QStringLiteral("System")) : QString();
    // New names are at most eight characters; a longer stored one is shown
    // whole rather than cut on screen.
    m_system->lineEdit()->setMaxLength(std::max<int>(kSystemLength, int(system.size())));
    m_countType->setText(hasRow ? m_count.text(QStringLiteral("TypeValue")) : QString());
    const QDate created = hasRow ? QDate::fromString(m_count.text(QStringLiteral("Created_Date")), Qt::ISODate)
                                 : QDate();
    m_created->setText(created.isValid() ? created.toString(QStringLiteral("dd/MM/yyyy")) : QString());
    m_oldVaf->setText(hasRow ? QString::number(m_count.floatValue(QStringLiteral("Old_VAF")), 'f', 2) : QString());
}

void TCountPage::UpdateButtons()
{
    const bool editing = m_count.isEditing();
    m_ok->setEnabled(editing);
    m_cancel->setEnabled(editing);
    m_ok->setDefault(editing);
}

SummaryDisplays TCountPage::Displays() const
{
    SummaryDisplays d;
    d.summaryList = m_summaryList;
    d.summaryGroup = m_summaryBox;
    d.totalUnadjusted = m_unTotal;
    d.totalAddedChanged = m_unAddChange;
    d.totalDeleted = m_unDelete;
    d.adjustedAddChanged = m_addChange;
    d.adjustedDeleted = m_delete;
    d.totalAdjusted = m_total;
    d.vafAfter = {m_vafAfter, m_vafTab};
    d.ownerSystem = m_ownerSystem;
    d.ownerDescription = m_ownerDescription;
    return d;
}

void TCountPage::FillSystems(const QStringList &systems)
{
    {
        // Refilling changes the edit text; that is no edit of the row.
        const QSignalBlocker block(m_system);
        m_system->clear();
        m_system->addItem(QString());
        m_system->addItems(systems);
        m_system->setCurrentIndex(-1);
    }
    m_systemLink->refresh();
}

void TCountPage::SetReadOnly(bool on)
{
    for (FieldLink *link : m_links)
        link->setReadOnly(on);
    // Drop-down lists have no read-only look of their own.
    m_system->setEnabled(!on);
    for (QComboBox *box : m_characteristics)
        box->setEnabled(!on);
}

void TCountPage::ApplyFilterColour(bool filtered)
{
    const QColor colour = filtered ? QColor(Qt::blue) : palette().color(QPalette::WindowText);
    QList<QWidget *> widgets = {m_summaryList, m_unAddChange, m_unDelete, m_unTotal, m_addChange,
                                m_delete,      m_total,       m_vafAfter, m_oldVaf};
    for (QWidget *w : widgets) {
        QPalette p = w->palette();
        p.setColor(QPalette::Text, colour);
        w->setPalette(p);
    }
}

void TCountPage::SetTotalsVisible(bool on)
{
    m_totals->setVisible(on);
}

void TCountPage::ShowSummaryTab()
{
    m_tabs->setCurrentIndex(0);
}

void TCountPage::FocusName()
{
    m_name->setFocus();
}

void TCountPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayoutPage();
}

void TCountPage::LayoutPage()
{
    const int detailsHeight = m_details->sizeHint().height();
    m_details->setGeometry(kMargin, kMargin, width() - 2 * kMargin, detailsHeight);
    const int tabsTop = m_details->geometry().bottom() + 1 + 5;
    m_tabs->setGeometry(m_details->x(), tabsTop, width() - 2 * m_details->x(), std::max(0, height() - tabsTop));

    const QSize totalsSize = m_totals->sizeHint();
    const int tabHeight = m_summaryTab->height();
    int summaryHeight = std::max(60, height() - tabsTop - totalsSize.height() - 40);
    if (summaryHeight + totalsSize.height() + 10 > tabHeight)
        summaryHeight = tabHeight - totalsSize.height() - 10;
    summaryHeight = std::max(0, summaryHeight);
    m_summaryBox->setGeometry(5, 5, std::max(0, m_summaryTab->width() - 10), summaryHeight);
    m_totals->setGeometry(5, m_summaryBox->geometry().bottom() + 1 + 10, totalsSize.width(), totalsSize.height());

    const int buttonsTop = m_totals->y() + tabsTop + 30;
    const QSize button = m_ok->sizeHint();
    m_ok->setGeometry(m_totals->width() + 20, buttonsTop, button.width(), button.height());
    m_cancel->setGeometry(m_totals->width() + m_ok->width() + 40, buttonsTop, button.width(), button.height());
    m_ok->raise();
    m_cancel->raise();
}

} // namespace qm
