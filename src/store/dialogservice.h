#pragma once

#include <QString>

namespace qm {

enum class MessageKind { Warning, Error, Information, Confirmation };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };
enum class DirectoryMode { ExistingOnly, AllowNew };

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

    // Shorthands for the common single-button boxes.
    void error(const QString &text) { message(MessageKind::Error, text, MessageButtons::Ok); }
    void information(const QString &text) { message(MessageKind::Information, text, MessageButtons::Ok); }
};

} // namespace qm
