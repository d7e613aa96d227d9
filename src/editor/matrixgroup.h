#pragma once

#include "counting/rules.h"

#include <QGroupBox>

class QButtonGroup;

namespace qm {

// The nine cells of one complexity matrix as a disabled group of choices:
// RET or FTR bands down, DET bands across, filled column by column. It only
// shows the cell the counts fall in; the counts choose it.
class TMatrixGroup : public QGroupBox
{
    Q_OBJECT

public:
    explicit TMatrixGroup(Matrix matrix, QWidget *parent = nullptr);

    // -1 (no DETs counted) checks none.
    void ShowCell(int cell);
    int CheckedCell() const;
    QButtonGroup *buttons() const { return m_buttons; }

private:
    QButtonGroup *m_buttons = nullptr;
};

// Checks the button with the given id, or none for an id no button has.
void CheckOnly(QButtonGroup *group, int id);

} // namespace qm
