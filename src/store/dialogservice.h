#pragma once

#include <QString>
#include <QStringList>

class QPrinter;

namespace qm {

enum class MessageKind { Warning, Error, Information, Confirmation };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };
enum class DirectoryMode { ExistingOnly, AllowNew };

// What an open or save dialog shows. Filters are in Qt's form,
// "Text File (*.txt)"; the first is selected unless selectedFilter names another.
struct FileDialogRequest
{
    QString title;
    QString directory;
    QString fileName;
    QStringList filters;
    QString selectedFilter;
    // Added to a typed name that has no suffix, without the dot ("txt").
    QString defaultSuffix;
    // Save dialogs: ask before an existing file is replaced.
    bool confirmOverwrite = true;
};

// Every question the program puts to the user goes through this interface, so
// logic below the windows never opens one itself and tests can script the
// answers. The widget implementation lives with the views.
class DialogService
{
public:
    virtual ~DialogService() = default;

    virtual MessageAnswer message(MessageKind kind, const QString &text, MessageButtons buttons) = 0;

    // Empty when the user cancels. In AllowNew mode the user may type the
    // name of a folder that does not exist yet.
    virtual QString chooseDirectory(const QString &start, DirectoryMode mode) = 0;

    // The chosen file's path; empty when the user cancels.
    virtual QString openFile(const FileDialogRequest &request) = 0;
    virtual QString saveFile(const FileDialogRequest &request) = 0;

    // The system's print and page set-up dialogs on the caller's printer,
    // which keeps what the user chose. False when the user cancels.
    virtual bool printDialog(QPrinter &printer) = 0;
    virtual bool pageSetupDialog(QPrinter &printer) = 0;

    // Shorthands for the common single-button boxes.
    void error(const QString &text) { message(MessageKind::Error, text, MessageButtons::Ok); }
    void information(const QString &text) { message(MessageKind::Information, text, MessageButtons::Ok); }
};

} // namespace qm
