#pragma once

#include "store/programlock.h"

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QWidget;

namespace qm {

// Keeps a user to one running copy of the program. The first instance holds
// a lock file and listens on a local socket; a later instance finds the lock
// taken, asks the first one to come to the front and ends.
class SingleInstanceGuard : public QObject
{
    Q_OBJECT

public:
    // The identifier the program runs under.
    static constexpr const char *DefaultKey = kProgramKey;
    // Overrides the identifier when set (lets tests run beside the program).
    static constexpr const char *KeyEnvironmentVariable = kProgramKeyVariable;

    // An empty key means the environment override, else DefaultKey. The
    // user name is appended so that users on one machine do not meet.
    explicit SingleInstanceGuard(const QString &key = QString(), QObject *parent = nullptr);
    ~SingleInstanceGuard() override;

    // True when this is the first instance: it then holds the lock and
    // listens for activation requests. False when another process holds it.
    bool tryAcquire();

    // Asks the instance holding the lock to come to the front. Returns true
    // once the request has been handed to its socket.
    bool signalRunningInstance(int timeoutMs = 3000);

    bool isPrimary() const { return m_primary; }
    QString lockFilePath() const { return m_lockPath; }
    QString serverName() const { return m_serverName; }

    // The request a second instance sends; anything else is ignored.
    static QByteArray activationMessage();

signals:
    void activationRequested();

private:
    void startListening();
    void acceptConnections();
    void readRequest(QLocalSocket *socket);

    QString m_lockPath;
    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    bool m_primary = false;
};

// Brings the main window back from the task bar and to the foreground.
void BringToFront(QWidget *mainWindow);

} // namespace qm
