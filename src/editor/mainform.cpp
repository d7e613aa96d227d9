#include "editor/mainform.h"

namespace qm {

TMainForm::TMainForm(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TMainForm"));
    setWindowTitle(QStringLiteral("Quillmark"));
    setWindowModality(Qt::ApplicationModal);
}

} // namespace qm
