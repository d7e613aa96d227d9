#pragma once

#include "store/dialogservice.h"

class QWidget;

namespace qm {

// The dialog service shown to a real user: Qt message boxes and folder
// choosers, captioned with the program's title.
class WidgetDialogService : public DialogService
{
public:
    MessageAnswer message(MessageKind kind, const QString &text, MessageButtons buttons) override;
    QString chooseDirectory(const QString &start, DirectoryMode mode) override;
};

} // namespace qm
