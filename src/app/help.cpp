#include "app/help.h"

#include "app/helpwindow.h"
#include "store/programfiles.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QResource>
#include <QTextStream>

namespace qm {

namespace {

QString ruleLine(QChar c)
{
    return QString(80, c);
}

// Report lines keep the label column of the log format support knows.
QString field(const QString &label, const QString &value)
{
    return QStringLiteral("!%1:").arg(label).leftJustified(23, u' ') + value;
}

QString pathField(const QString &label, const QString &value)
{
    return QStringLiteral("!%1 =").arg(label).leftJustified(21, u' ') + value;
}

} // namespace

QString HelpBinding::helpFileName()
{
    return QStringLiteral(QM_HELP_FILE_NAME);
}

QString HelpBinding::resourceRoot()
{
    return QStringLiteral("/quillmark-help");
}

HelpBinding::HelpBinding(const QString &programDir, const QStringList &arguments, QObject *parent)
    : QObject(parent)
    , m_programDir(QDir::cleanPath(programDir.isEmpty() ? QCoreApplication::applicationDirPath() : programDir))
{
    const QString exeName = QFileInfo(arguments.value(0)).fileName();
    m_programPath = QDir(m_programDir).filePath(exeName.isEmpty() ? QStringLiteral("quillmark") : exeName);

    m_logDir = chooseLogDirectory(m_programDir);
    // Every run starts a fresh log, whether or not this one writes to it.
    QFile::remove(logFilePath());

    m_diagnostics = QFileInfo::exists(QDir(m_programDir).filePath(QString::fromLatin1(DebugMarkerFileName)));
    for (qsizetype i = 1; i < arguments.size() && !m_diagnostics; ++i)
        m_diagnostics = isDebugSwitch(arguments.at(i));
    if (m_diagnostics)
        writeReport(arguments);
}

HelpBinding::~HelpBinding()
{
    // Windows still open read from the loaded help file: close them first.
    for (const QPointer<THelpWindow> &window : std::as_const(m_windows))
        delete window.data();
    m_windows.clear();
    if (!m_registeredFile.isEmpty())
        QResource::unregisterResource(m_registeredFile, resourceRoot());
}

bool HelpBinding::isDebugSwitch(const QString &argument)
{
    return argument.compare(QLatin1String("/debug"), Qt::CaseInsensitive) == 0
           || argument.compare(QLatin1String("-debug"), Qt::CaseInsensitive) == 0;
}

QString HelpBinding::chooseLogDirectory(const QString &programDir)
{
    // The program's folder when we may write there, else the temporary one.
    QFile probe(QDir(programDir).filePath(QString::fromLatin1(ProbeFileName)));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        return programDir;
    }
    return QDir::cleanPath(QDir::tempPath());
}

QString HelpBinding::logFilePath() const
{
    return QDir(m_logDir).filePath(QString::fromLatin1(LogFileName));
}

QString HelpBinding::helpFilePath() const
{
    return QDir(DeliveredFilesDirectory(m_programDir)).filePath(helpFileName());
}

QUrl HelpBinding::defaultTopic() const
{
    return QUrl(QStringLiteral("qrc:%1/index.html").arg(resourceRoot()));
}

QList<THelpWindow *> HelpBinding::helpWindows() const
{
    QList<THelpWindow *> open;
    // A window the user closed is only waiting to be deleted.
    for (const QPointer<THelpWindow> &window : m_windows)
        if (window && window->isVisible())
            open.append(window.data());
    return open;
}

void HelpBinding::appendLog(const QStringList &lines) const
{
    QFile log(logFilePath());
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    QTextStream out(&log);
    for (const QString &line : lines)
        out << line << '\n';
}

void HelpBinding::writeReport(const QStringList &arguments)
{
    const QLocale locale = QLocale::system();
    const QString helpFile = helpFilePath();
    appendLog({
        ruleLine(u'='),
        field(QStringLiteral("Filename"), logFilePath()),
        field(QStringLiteral("Date"), QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))),
        ruleLine(u'-'),
        field(QStringLiteral("LocaleName"), locale.name()),
        field(QStringLiteral("LocaleBcp47"), locale.bcp47Name()),
        field(QStringLiteral("Language"), QLocale::languageToString(locale.language())),
        field(QStringLiteral("Territory"), QLocale::territoryToString(locale.territory())),
        field(QStringLiteral("UILanguages"), locale.uiLanguages().join(u',')),
        QStringLiteral("!DecimalSeparator:      ") + locale.decimalPoint(),
        ruleLine(u'-'),
        pathField(QStringLiteral("EXE Path"), m_programPath),
        pathField(QStringLiteral("EXE Dir"), m_programDir),
        pathField(QStringLiteral("Help File"), helpFile),
        pathField(QStringLiteral("Help Found"), QFileInfo::exists(helpFile) ? QStringLiteral("Yes") : QStringLiteral("No")),
        pathField(QStringLiteral("Help Version"), QStringLiteral("Qt resource viewer %1").arg(QString::fromLatin1(qVersion()))),
        pathField(QStringLiteral("Browser Version"), QStringLiteral("QTextBrowser %1").arg(QString::fromLatin1(QT_VERSION_STR))),
        pathField(QStringLiteral("Arguments"), arguments.mid(1).join(u' ')),
        ruleLine(u'='),
    });
}

bool HelpBinding::loadHelpFile()
{
    const QString file = helpFilePath();
    if (m_registeredFile == file)
        return true;
    if (!QFileInfo(file).isFile())
        return false;
    if (!QResource::registerResource(file, resourceRoot()))
        return false;
    m_registeredFile = file;
    return true;
}

void HelpBinding::showDefaultTopic()
{
    const QString topic = QStringLiteral(":%1/index.html").arg(resourceRoot());
    if (!QFileInfo::exists(topic))
        return;
    // One help window is enough; asking again brings it back at its contents.
    THelpWindow *window = helpWindows().value(0);
    if (!window) {
        m_windows.removeIf([](const QPointer<THelpWindow> &w) { return w.isNull(); });
        window = new THelpWindow(defaultTopic());
        m_windows.append(window);
    }
    window->goHome();
    window->show();
    window->raise();
    window->activateWindow();
}

void HelpBinding::ShowHelpTopics()
{
    // Help is a convenience: a missing or damaged help file must never
    // disturb the user's work.
    bool shown = false;
    try {
        if (loadHelpFile()) {
            showDefaultTopic();
            shown = !helpWindows().isEmpty();
        }
    } catch (...) {
        shown = false;
    }
    if (m_diagnostics)
        appendLog({field(QStringLiteral("ShowHelpTopics"),
                         QStringLiteral("%1 (%2)").arg(helpFilePath(), shown ? QStringLiteral("shown") : QStringLiteral("not shown")))});
}

void HelpBinding::InstallHelpKey()
{
    QCoreApplication::instance()->installEventFilter(this);
}

bool HelpBinding::eventFilter(QObject *watched, QEvent *event)
{
    // Plain F1 only: Shift+F1 stays the toolkit's "What's This?".
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            ShowHelpTopics();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void HelpBinding::CloseAllHelpWindows()
{
    for (const QPointer<THelpWindow> &window : std::as_const(m_windows))
        if (window)
            window->close();
}

} // namespace qm
