#include "qtsingleapplication.h"

#include "instancelock.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

QtSingleApplication::QtSingleApplication(int &argc, char **argv, bool gui)
    : QApplication(argc, argv)
{
    Q_UNUSED(gui)
    const QString directory = InstanceLock::chooseDirectory(InstanceLock::defaultCandidates(), &m_lockError);
    if (directory.isEmpty())
        return;
    m_serverName = directory + QStringLiteral("/shareward.socket");
    m_lock = std::make_unique<InstanceLock>(directory);
    m_primary = m_lock->tryLock();
    m_lockError = m_lock->errorString();
    if (m_primary)
        listen();
}

QtSingleApplication::~QtSingleApplication() = default;

qint64 QtSingleApplication::runningProcess() const
{
    return m_lock && !m_primary ? m_lock->holder() : 0;
}

void QtSingleApplication::listen()
{
    m_server = new QLocalServer(this);
    // Holding the lock, any socket of the name is an ended instance's leftover.
    QLocalServer::removeServer(m_serverName);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName))
        return;
    connect(m_server, &QLocalServer::newConnection, this, &QtSingleApplication::readMessage);
}

void QtSingleApplication::readMessage()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto deliver = [this, socket] {
            if (!socket->canReadLine())
                return;
            const QString message = QString::fromUtf8(socket->readLine()).trimmed();
            // The sender learns that a living instance took the message.
            socket->write("ok\n");
            socket->flush();
            if (m_activateOnMessage)
                activateWindow();
            emit messageReceived(message);
        };
        connect(socket, &QLocalSocket::readyRead, this, deliver);
        deliver();
    }
}

bool QtSingleApplication::sendMessage(const QString &message, int timeout)
{
    if (m_primary || m_serverName.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeout))
        return false;
    socket.write(message.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeout))
        return false;
    // A connection and a write succeed with an instance that is stopped or hangs as well.
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeout))
            return false;
    }
    return socket.readLine() == "ok\n";
}

void QtSingleApplication::setActivationWindow(QWidget *window, bool activateOnMessage)
{
    m_window = window;
    m_activateOnMessage = activateOnMessage;
}

void QtSingleApplication::activateWindow()
{
    if (!m_window)
        return;
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
