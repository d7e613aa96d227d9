#pragma once

#include "store/dialogservice.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>

namespace qm::test {

// A dialog service for tests: records every prompt and answers from queues.
// A prompt with no queued answer fails loudly instead of guessing.
class ScriptedDialogs : public DialogService
{
public:
    struct Prompt
    {
        QString kind; // "warning", "error", "information", "confirmation", "directory",
                      // "open", "save", "print", "pagesetup"
        QString text; // message text, the chooser's start folder, or a file dialog's title
        MessageButtons buttons = MessageButtons::Ok;
        DirectoryMode mode = DirectoryMode::ExistingOnly;
        FileDialogRequest file; // open and save dialogs only
    };

    MessageAnswer message(MessageKind kind, const QString &text, MessageButtons buttons) override;
    QString chooseDirectory(const QString &start, DirectoryMode mode) override;
    QString openFile(const FileDialogRequest &request) override;
    QString saveFile(const FileDialogRequest &request) override;
    bool printDialog(QPrinter &printer) override;
    bool pageSetupDialog(QPrinter &printer) override;

    // Answers for boxes with a choice; "OK"-only boxes answer themselves.
    void queueAnswer(MessageAnswer answer) { m_answers.enqueue(answer); }
    // An empty folder means the user cancelled the chooser.
    void queueDirectory(const QString &dir) { m_directories.enqueue(dir); }
    // An empty path means the user cancelled the file dialog.
    void queueFile(const QString &path) { m_files.enqueue(path); }
    // Whether the next print or page set-up dialog is accepted; choose, when
    // given, makes the user's choices on the printer first.
    void queuePrintAnswer(bool accepted, std::function<void(QPrinter &)> choose = {})
    {
        m_printAnswers.enqueue({accepted, std::move(choose)});
    }

    const QList<Prompt> &prompts() const { return m_prompts; }
    QStringList texts() const;
    bool allAnswersUsed() const
    {
        return m_answers.isEmpty() && m_directories.isEmpty() && m_files.isEmpty() && m_printAnswers.isEmpty();
    }
    QString unexpected() const { return m_unexpected; }

private:
    QList<Prompt> m_prompts;
    QQueue<MessageAnswer> m_answers;
    QQueue<QString> m_directories;
    QQueue<QString> m_files;
    struct PrintAnswer
    {
        bool accepted;
        std::function<void(QPrinter &)> choose;
    };
    QQueue<PrintAnswer> m_printAnswers;

    QString nextFile(const char *kind, const FileDialogRequest &request);
    bool nextPrintAnswer(const char *kind, QPrinter &printer);
    QString m_unexpected;
};

} // namespace qm::test
