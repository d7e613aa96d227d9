#include "scripteddialogs.h"

namespace qm::test {

namespace {

QString kindName(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Warning:
        return QStringLiteral("warning");
    case MessageKind::Error:
        return QStringLiteral("error");
    case MessageKind::Information:
        return QStringLiteral("information");
    case MessageKind::Confirmation:
        return QStringLiteral("confirmation");
    }
    return {};
}

} // namespace

MessageAnswer ScriptedDialogs::message(MessageKind kind, const QString &text, MessageButtons buttons)
{
    m_prompts.append({kindName(kind), text, buttons, DirectoryMode::ExistingOnly});
    // A box with only "OK" has nothing to decide and takes no queued answer.
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    m_unexpected = QStringLiteral("no answer queued for: ") + text;
    return MessageAnswer::Cancel;
}

QString ScriptedDialogs::chooseDirectory(const QString &start, DirectoryMode mode)
{
    m_prompts.append({QStringLiteral("directory"), start, MessageButtons::Ok, mode});
    if (m_directories.isEmpty()) {
        m_unexpected = QStringLiteral("no folder queued for the chooser");
        return {};
    }
    return m_directories.dequeue();
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const auto &p : m_prompts)
        out << p.kind + QStringLiteral(": ") + p.text;
    return out;
}

} // namespace qm::test
