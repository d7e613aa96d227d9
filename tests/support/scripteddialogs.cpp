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
    m_prompts.append({kindName(kind), text, buttons, DirectoryMode::ExistingOnly, {}});
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
    m_prompts.append({QStringLiteral("directory"), start, MessageButtons::Ok, mode, {}});
    if (m_directories.isEmpty()) {
        m_unexpected = QStringLiteral("no folder queued for the chooser");
        return {};
    }
    return m_directories.dequeue();
}

QString ScriptedDialogs::nextFile(const char *kind, const FileDialogRequest &request)
{
    Prompt prompt{QString::fromLatin1(kind), request.title, MessageButtons::Ok, DirectoryMode::ExistingOnly, request};
    m_prompts.append(prompt);
    if (m_files.isEmpty()) {
        m_unexpected = QStringLiteral("no file queued for the %1 dialog").arg(QString::fromLatin1(kind));
        return {};
    }
    return m_files.dequeue();
}

QString ScriptedDialogs::openFile(const FileDialogRequest &request)
{
    return nextFile("open", request);
}

QString ScriptedDialogs::saveFile(const FileDialogRequest &request)
{
    return nextFile("save", request);
}

bool ScriptedDialogs::nextPrintAnswer(const char *kind, QPrinter &printer)
{
    m_prompts.append({QString::fromLatin1(kind), {}, MessageButtons::Ok, DirectoryMode::ExistingOnly, {}});
    if (m_printAnswers.isEmpty()) {
        m_unexpected = QStringLiteral("no answer queued for the %1 dialog").arg(QString::fromLatin1(kind));
        return false;
    }
    const PrintAnswer answer = m_printAnswers.dequeue();
    if (answer.choose)
        answer.choose(printer);
    return answer.accepted;
}

bool ScriptedDialogs::printDialog(QPrinter &printer)
{
    return nextPrintAnswer("print", printer);
}

bool ScriptedDialogs::pageSetupDialog(QPrinter &printer)
{
    return nextPrintAnswer("pagesetup", printer);
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const auto &p : m_prompts)
        out << p.kind + QStringLiteral(": ") + p.text;
    return out;
}

} // namespace qm::test
