#include "app/singleinstance.h"

#include "store/programlock.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>
#include <QtDebug>

namespace qm {

namespace {

// Longest request we read before giving up on a peer that talks nonsense.
constexpr qint64 MaxRequestLength = 64;

} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString &key, QObject *parent)
    : QObject(parent)
{
    const ProgramLockNames names = ProgramLockNamesFor(key);
    m_lockPath = names.lockPath;
    m_serverName = names.serverName;
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_server)
        m_server->close();
}

QByteArray SingleInstanceGuard::activationMessage()
{
    return QByteArrayLiteral("ACTIVATE\n");
}

bool SingleInstanceGuard::tryAcquire()
{
    if (m_primary)
        return true;

    m_lock = std::make_unique<QLockFile>(m_lockPath);
    if (!TakeProgramLock(*m_lock)) {
        if (m_lock->error() == QLockFile::LockFailedError)
            return false;
        // The lock folder is unusable. Fall back to asking the socket, so a
        // broken folder never keeps the program from starting.
        qWarning("Single-instance lock %s unavailable", qPrintable(m_lockPath));
        m_lock.reset();
        QLocalSocket probe;
        probe.connectToServer(m_serverName);
        if (probe.waitForConnected(500))
            return false;
    }
    m_primary = true;
    startListening();
    return true;
}

void SingleInstanceGuard::startListening()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstanceGuard::acceptConnections);
    // We hold the lock, so a socket that is still there was left by an
    // instance that crashed.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName))
        qWarning("Cannot listen on %s: %s", qPrintable(m_serverName), qPrintable(m_server->errorString()));
}

void SingleInstanceGuard::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        if (socket->bytesAvailable() > 0)
            readRequest(socket);
    }
}

void SingleInstanceGuard::readRequest(QLocalSocket *socket)
{
    while (socket->canReadLine()) {
        const QByteArray line = socket->readLine(MaxRequestLength + 1);
        if (line == activationMessage()) {
            socket->disconnectFromServer();
            emit activationRequested();
            return;
        }
    }
    if (socket->bytesAvailable() > MaxRequestLength)
        socket->abort();
}

bool SingleInstanceGuard::signalRunningInstance(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running instance may still be starting and not yet listening.
    for (;;) {
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(int(qMax<qint64>(0, deadline.remainingTime()))))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    // Count what actually reached the socket: a write that failed also
    // leaves nothing to write.
    qint64 written = 0;
    connect(&socket, &QLocalSocket::bytesWritten, &socket, [&written](qint64 n) { written += n; });
    const QByteArray message = activationMessage();
    socket.write(message);
    while (written < message.size() && socket.state() == QLocalSocket::ConnectedState
           && socket.bytesToWrite() > 0 && !deadline.hasExpired())
        socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime())));
    const bool delivered = written >= message.size();
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(int(qMax<qint64>(0, deadline.remainingTime())));
    return delivered;
}

void BringToFront(QWidget *mainWindow)
{
    if (!mainWindow)
        return;
    if (mainWindow->isMinimized())
        mainWindow->showNormal();
    mainWindow->raise();
    mainWindow->activateWindow();
    // A modal window (the editor) blocks the main window; it is the one the
    // user can work in, so it must not stay hidden behind it.
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal->window() != mainWindow->window()) {
        if (modal->isMinimized())
            modal->showNormal();
        modal->raise();
        modal->activateWindow();
    }
}

} // namespace qm
