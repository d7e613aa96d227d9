#include "analysis/formfilter.h"

#include "store/appstate.h"
#include "store/database.h"
#include "store/query.h"
#include "store/collation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSqlQuery>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

namespace {

const QString kShowAll = QStringLiteral("Show All");
const QString kShowAllFiles = QStringLiteral("**Show All**");

QWidget *SectionCaption(const QString &caption)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(caption);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(label);
    layout->addWidget(line, 1);
    return row;
}

// "Show All" is a program tick too: it counts as a click only when it
// changes the box.
bool SetTick(QCheckBox *box, bool on)
{
    if (box->isChecked() == on)
        return false;
    box->setChecked(on);
    return true;
}

bool AnyTicked(const TFormFilter::Group &group)
{
    return std::any_of(group.codes.begin(), group.codes.end(), [](const QCheckBox *b) { return b->isChecked(); });
}

} // namespace

TFormFilter::TFormFilter(Database &db, AppState &state, StoreQuery &fileSource, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_db(db),
      m_state(state),
      m_fileSource(fileSource)
{
    setObjectName(QStringLiteral("TFormFilter"));
    setWindowTitle(QStringLiteral("Filter Details"));
    setModal(true);

    auto *both = new QHBoxLayout;
    both->addWidget(BuildGroup(m_change, QStringLiteral("Filter Change Type"), QStringLiteral("ChangeType"),
                               {QStringLiteral("Add"), QStringLiteral("Modify"), QStringLiteral("Delete"),
                                QStringLiteral("None")}));
    both->addWidget(BuildGroup(m_complexity, QStringLiteral("Filter Complexity"), QStringLiteral("Complexity"),
                               {QStringLiteral("Not Assigned"), QStringLiteral("Low"), QStringLiteral("Average"),
                                QStringLiteral("High")}));
    auto *transOnly = new QHBoxLayout;
    transOnly->addWidget(BuildGroup(m_type, QStringLiteral("Filter Transaction Type"), QStringLiteral("TransType"),
                                    {QStringLiteral("Input"), QStringLiteral("Output"), QStringLiteral("Inquiry")}));
    transOnly->addWidget(BuildFileGroup(), 1);

    m_debugLabel = new QLabel;
    m_debugLabel->setObjectName(QStringLiteral("DebugLabel"));
    m_debugLabel->setWordWrap(true);
    m_debugLabel->setVisible(false);

    m_reset = new QPushButton(QStringLiteral("Reset"));
    m_reset->setObjectName(QStringLiteral("ResetButton"));
    m_reset->setAutoDefault(false);
    m_ok = new QPushButton(QStringLiteral("OK"));
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_reset);
    buttons->addWidget(m_ok);

    auto *column = new QVBoxLayout(this);
    column->addWidget(SectionCaption(QStringLiteral("Transaction / File Filters")));
    column->addLayout(both);
    column->addWidget(SectionCaption(QStringLiteral("Transaction Only Filters")));
    column->addLayout(transOnly);
    column->addWidget(m_debugLabel);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_reset, &QPushButton::clicked, this, &TFormFilter::Reset);
    // A first opening without a count shows a usable dialog.
    for (Group *group : {&m_change, &m_complexity, &m_type})
        group->showAll->setChecked(true);
    m_files->addItem(kShowAllFiles);
}

QWidget *TFormFilter::BuildGroup(Group &group, const QString &title, const QString &name, const QStringList &captions)
{
    auto *box = new QGroupBox(title);
    box->setObjectName(name + QStringLiteral("GroupBox"));
    auto *column = new QVBoxLayout(box);
    for (const QString &caption : captions) {
        auto *check = new QCheckBox(caption);
        check->setObjectName(name + QString(caption).remove(QLatin1Char(' ')) + QStringLiteral("CheckBox"));
        column->addWidget(check);
        group.codes << check;
        connect(check, &QCheckBox::clicked, this, [this, &group, check] { CodeClicked(group, check); });
    }
    group.showAll = new QCheckBox(kShowAll);
    group.showAll->setObjectName(name + QStringLiteral("ShowAllCheckBox"));
    column->addWidget(group.showAll);
    column->addStretch(1);
    connect(group.showAll, &QCheckBox::clicked, this, [this, &group] { ShowAllClicked(group); });
    return box;
}

QWidget *TFormFilter::BuildFileGroup()
{
    auto *box = new QGroupBox(QStringLiteral("Filter Files Referenced"));
    box->setObjectName(QStringLiteral("FilesReferencedGroupBox"));
    m_files = new QComboBox;
    m_files->setObjectName(QStringLiteral("FilesComboBox"));
    m_files->setEditable(false);
    m_files->setMinimumWidth(m_files->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
    m_files->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto *column = new QVBoxLayout(box);
    column->addWidget(m_files);
    column->addStretch(1);
    connect(m_files, &QComboBox::activated, this, &TFormFilter::FileChosen);
    return box;
}

void TFormFilter::CodeClicked(Group &group, QCheckBox *box)
{
    m_filter.filterChanged = true;
    if (box->isChecked())
        SetTick(group.showAll, false);
    else if (!AnyTicked(group))
        SetTick(group.showAll, true);
}

void TFormFilter::ShowAllClicked(Group &group)
{
    m_filter.filterChanged = true;
    if (group.showAll->isChecked()) {
        for (QCheckBox *code : group.codes)
            SetTick(code, false);
    } else if (!AnyTicked(group)) {
        for (QCheckBox *code : group.codes)
            SetTick(code, true);
    }
}

void TFormFilter::FileChosen(int index)
{
    m_filter.filterChanged = true;
    m_filter.filterFileName = index <= 0 ? QString() : m_files->itemText(index);
}

void TFormFilter::FillFileList()
{
    QStringList names;
    QSqlQuery q = m_fileSource.exec(m_db);
    while (q.next())
        names << q.value(QStringLiteral("Description")).toString();
    const QCollator &collator = TextCollator();
    std::sort(names.begin(), names.end(),
              [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    // Two files of one name filter alike: one entry is enough.
    names.erase(std::unique(names.begin(), names.end()), names.end());
    m_files->clear();
    m_files->addItem(kShowAllFiles);
    m_files->addItems(names);
    m_files->setCurrentIndex(0);
}

void TFormFilter::ResetFilterDialog()
{
    m_fileSource.setConditionLine(QString());
    m_fileSource.setParam(QStringLiteral("Count_Id"), m_state.currentCountId);
    m_filter.filterFileName.clear();
    FillFileList();
    m_filter.filterFileTag = 0;
    m_state.filterActive = false;
    for (Group *group : {&m_change, &m_complexity, &m_type})
        if (SetTick(group->showAll, true))
            ShowAllClicked(*group);
}

void TFormFilter::Reset()
{
    const bool wasActive = m_state.filterActive;
    ResetFilterDialog();
    if (wasActive)
        m_filter.filterChanged = true;
}

int TFormFilter::FileTagOf(const QString &description)
{
    // Bound, never joined into the statement: the description was typed.
    const QVariant tag = m_db.scalar(
        QStringLiteral("SELECT Tag FROM Files WHERE Count_Id = ? AND Description = ? ORDER BY rowid LIMIT 1"),
        {m_state.currentCountId, description});
    return tag.isValid() ? tag.toInt() : 0;
}

FilterChoices TFormFilter::Choices() const
{
    FilterChoices choices;
    for (int i = 0; i < 4; ++i) {
        choices.changeTypes[size_t(i)] = m_change.codes[i]->isChecked();
        choices.complexities[size_t(i)] = m_complexity.codes[i]->isChecked();
    }
    for (int i = 0; i < 3; ++i)
        choices.transTypes[size_t(i)] = m_type.codes[i]->isChecked();
    return choices;
}

void TFormFilter::BuildFilterTexts()
{
    m_filter.filterFileTag = m_filter.filterFileName.isEmpty() ? 0 : FileTagOf(m_filter.filterFileName);
    const FilterTexts texts = qm::BuildFilterTexts(Choices(), m_state.currentCountId, m_filter.filterFileTag);
    m_filter.fileFilterText = texts.fileText;
    m_filter.transFilterText = texts.transText;
    m_state.filterActive = !texts.transText.isEmpty();
    if (m_state.debug && m_state.filterActive)
        m_debugLabel->setText(texts.transText);
}

void TFormFilter::RenumberCount()
{
    const FilterTexts texts = qm::BuildFilterTexts(Choices(), m_state.currentCountId, m_filter.filterFileTag);
    m_filter.fileFilterText = texts.fileText;
    m_filter.transFilterText = texts.transText;
}

void TFormFilter::done(int result)
{
    // "OK" applies the choices even when nothing was touched.
    if (result == QDialog::Accepted)
        m_filter.filterChanged = true;
    BuildFilterTexts();
    QDialog::done(result);
}

void TFormFilter::showEvent(QShowEvent *event)
{
    m_debugLabel->setVisible(m_state.debug);
    if (m_filter.filterResetPending) {
        m_filter.filterResetPending = false;
        m_filter.filterChanged = true;
        ResetFilterDialog();
    }
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

} // namespace qm
