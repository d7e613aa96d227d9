#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace qm {

class THelpWindow;

// Opens the help file that ships beside the executable and keeps track of
// the help windows it opened. Also writes the optional help diagnostics log
// that support asks for when help does not appear.
class HelpBinding : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *LogFileName = "HHDebug.txt";
    static constexpr const char *DebugMarkerFileName = "debug.debug";
    static constexpr const char *ProbeFileName = "$_Temp_$.$$$";

    // The file name of the compiled help file.
    static QString helpFileName();
    // Where the help file's pages appear once it is loaded.
    static QString resourceRoot();

    // programDir: the executable's folder; arguments: the command line with
    // the program itself first (QCoreApplication::arguments()).
    HelpBinding(const QString &programDir, const QStringList &arguments, QObject *parent = nullptr);
    ~HelpBinding() override;

    // Shows the default topic of the help file. Fails silently.
    void ShowHelpTopics();
    // Closes every help window this binding opened.
    void CloseAllHelpWindows();
    // F1 in any window of the program, a modal dialog's included, shows help.
    void InstallHelpKey();

    bool diagnosticsOn() const { return m_diagnostics; }
    QString programDirectory() const { return m_programDir; }
    QString logDirectory() const { return m_logDir; }
    QString logFilePath() const;
    QString helpFilePath() const;
    QUrl defaultTopic() const;
    QList<THelpWindow *> helpWindows() const;

    // True for "/debug" and "-debug" in any letter case.
    static bool isDebugSwitch(const QString &argument);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static QString chooseLogDirectory(const QString &programDir);
    void writeReport(const QStringList &arguments);
    void appendLog(const QStringList &lines) const;
    bool loadHelpFile();
    void showDefaultTopic();

    QString m_programDir;
    QString m_programPath;
    QString m_logDir;
    bool m_diagnostics = false;
    QString m_registeredFile;
    QList<QPointer<THelpWindow>> m_windows;
};

} // namespace qm
