#pragma once

#include <QMainWindow>

namespace qm {

// The count editor. Created once at start-up and shown modally from the
// catalogue for each count.
class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TMainForm(QWidget *parent = nullptr);
};

} // namespace qm
