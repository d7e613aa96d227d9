#include "analysis/findform.h"

#include "views/inputguards.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace qm {

TFindForm::TFindForm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("TFindForm"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(true);

    m_edit = new QLineEdit;
    m_edit->setObjectName(QStringLiteral("FindEdit"));
    // Longer than any node's text (a name and its value), which a longer
    // text could never be found in; a node's text is one line.
    m_edit->setMaxLength(kMaxSearchLength);
    KeepSingleLine(m_edit);
    m_edit->setMinimumWidth(m_edit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 30);
    auto *label = new QLabel(QStringLiteral("Find What:"));
    label->setBuddy(m_edit);

    m_direction = new QGroupBox(QStringLiteral("Direction"));
    m_direction->setObjectName(QStringLiteral("DirectionRadioGroup"));
    m_up = new QRadioButton(QStringLiteral("&Up"));
    m_up->setObjectName(QStringLiteral("DirectionUp"));
    m_down = new QRadioButton(QStringLiteral("&Down"));
    m_down->setObjectName(QStringLiteral("DirectionDown"));
    m_down->setChecked(true);
    auto *columns = new QHBoxLayout(m_direction);
    columns->addWidget(m_up);
    columns->addWidget(m_down);

    m_matchCase = new QCheckBox(QStringLiteral("Match Case"));
    m_matchCase->setObjectName(QStringLiteral("MatchCaseCheckBox"));

    m_find = new QPushButton(QStringLiteral("Find Next"));
    m_find->setObjectName(QStringLiteral("FindButton"));
    m_find->setEnabled(false);
    m_find->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    m_cancel->setObjectName(QStringLiteral("ButtonCancel"));
    m_cancel->setAutoDefault(false);

    // The choices, then the column of buttons beside them: Tab takes the
    // choices row by row before it reaches the buttons.
    auto *grid = new QGridLayout;
    grid->addWidget(label, 0, 0);
    grid->addWidget(m_edit, 0, 1, 1, 2);
    grid->addWidget(m_matchCase, 1, 0, Qt::AlignBottom);
    grid->addWidget(m_direction, 1, 1, 1, 2);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_find);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    auto *row = new QHBoxLayout(this);
    row->addLayout(grid);
    row->addLayout(buttons);
    row->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_edit, &QLineEdit::textChanged, this, &TFindForm::TextChanged);
    connect(m_find, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFindForm::TextChanged(const QString &text)
{
    // Blanks count here; the search itself drops them.
    m_find->setEnabled(!text.isEmpty());
    m_find->setDefault(!text.isEmpty());
}

QString TFindForm::searchText() const
{
    return m_edit->text();
}

bool TFindForm::backwards() const
{
    return m_up->isChecked();
}

bool TFindForm::matchCase() const
{
    return m_matchCase->isChecked();
}

void TFindForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_edit->setFocus();
}

} // namespace qm
