#include "editor/matrixgroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

namespace qm {

TMatrixGroup::TMatrixGroup(Matrix matrix, QWidget *parent) : QGroupBox(MatrixColumnHeading(matrix), parent)
{
    m_buttons = new QButtonGroup(this);
    auto *grid = new QGridLayout(this);
    const QStringList rows = MatrixRowCaptions(matrix);
    for (int r = 0; r < rows.size(); ++r)
        grid->addWidget(new QLabel(rows[r]), r, 0);
    const QStringList cells = CellChoiceCaptions();
    for (int cell = 0; cell < cells.size(); ++cell) {
        auto *radio = new QRadioButton(cells[cell]);
        radio->setObjectName(QStringLiteral("Cell%1").arg(cell));
        m_buttons->addButton(radio, cell);
        grid->addWidget(radio, cell % 3, 1 + cell / 3);
    }
    setEnabled(false);
}

void TMatrixGroup::ShowCell(int cell)
{
    CheckOnly(m_buttons, cell);
}

int TMatrixGroup::CheckedCell() const
{
    return m_buttons->checkedId();
}

void CheckOnly(QButtonGroup *group, int id)
{
    // An exclusive group cannot uncheck its last button.
    group->setExclusive(false);
    for (QAbstractButton *button : group->buttons())
        button->setChecked(group->id(button) == id);
    group->setExclusive(true);
}

} // namespace qm
