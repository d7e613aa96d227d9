#include "store/errorlog.h"

#include "store/database.h"
#include "store/dialogservice.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTextStream>

namespace qm {

QString FormatErrorLine(const QDateTime &when, const QString &component, const QString &message)
{
    const QLocale locale = QLocale::system();
    const QString stamp = locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
                          + locale.toString(when.time(), QLocale::LongFormat);
    // One error, one line: a message that spans lines is joined.
    QString flat = message;
    flat.replace(QLatin1String("\r\n"), QLatin1String(" "));
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return QStringLiteral("%1 %2 %3").arg(stamp, component, flat);
}

bool AppendErrorLog(const QString &directory, const QString &component, const QString &message)
{
    if (directory.isEmpty())
        return false;
    QFile f(QDir(directory).filePath(kErrorLogName));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    const QByteArray line = FormatErrorLine(QDateTime::currentDateTime(), component, message).toUtf8() + '\n';
    if (f.write(line) != line.size())
        return false;
    return f.flush();
}

FatalErrorReporter::FatalErrorReporter(DialogService &dialogs, Hooks hooks)
    : m_dialogs(dialogs), m_hooks(std::move(hooks))
{
}

void FatalErrorReporter::ReportFatalError(const QString &component, const QString &message)
{
    if (m_hooks.restoreCursor)
        m_hooks.restoreCursor();
    const QString dir = m_hooks.directory ? m_hooks.directory() : QString();
    if (!AppendErrorLog(dir, component, message)) {
        m_dialogs.error(QStringLiteral("Error in Error Handler (1)"));
        return;
    }
    m_dialogs.error(component + QLatin1Char(':') + message);
    if (m_db) {
        try {
            m_db->closeAllCursors();
        } catch (...) {
            // Closing is best effort: the program ends either way.
        }
    }
    if (m_hooks.terminate)
        m_hooks.terminate(1);
}

} // namespace qm
