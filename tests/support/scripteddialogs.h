#pragma once

#include "store/dialogservice.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

namespace qm::test {

// A dialog service for tests: records every prompt and answers from queues.
// A prompt with no queued answer fails loudly instead of guessing.
class ScriptedDialogs : public DialogService
{
public:
    struct Prompt
    {
        QString kind; // "warning", "error", "information", "confirmation", "directory"
        QString text; // message text, or the chooser's start folder
        MessageButtons buttons = MessageButtons::Ok;
        DirectoryMode mode = DirectoryMode::ExistingOnly;
    };

    MessageAnswer message(MessageKind kind, const QString &text, MessageButtons buttons) override;
    QString chooseDirectory(const QString &start, DirectoryMode mode) override;

    // Answers for boxes with a choice; "OK"-only boxes answer themselves.
    void queueAnswer(MessageAnswer answer) { m_answers.enqueue(answer); }
    // An empty folder means the user cancelled the chooser.
    void queueDirectory(const QString &dir) { m_directories.enqueue(dir); }

    const QList<Prompt> &prompts() const { return m_prompts; }
    QStringList texts() const;
    bool allAnswersUsed() const { return m_answers.isEmpty() && m_directories.isEmpty(); }
    QString unexpected() const { return m_unexpected; }

private:
    QList<Prompt> m_prompts;
    QQueue<MessageAnswer> m_answers;
    QQueue<QString> m_directories;
    QString m_unexpected;
};

} // namespace qm::test
