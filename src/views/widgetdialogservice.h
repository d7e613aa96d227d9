#pragma once

#include "store/dialogservice.h"

class QWidget;

namespace qm {

// The dialog service shown to a real user: Qt message boxes, file and folder
// choosers and the print dialogs, captioned with the program's title.
class WidgetDialogService : public DialogService
{
public:
    MessageAnswer message(MessageKind kind, const QString &text, MessageButtons buttons) override;
    QString chooseDirectory(const QString &start, DirectoryMode mode) override;
    QString openFile(const FileDialogRequest &request) override;
    QString saveFile(const FileDialogRequest &request) override;
    bool printDialog(QPrinter &printer) override;
    bool pageSetupDialog(QPrinter &printer) override;
};

} // namespace qm
