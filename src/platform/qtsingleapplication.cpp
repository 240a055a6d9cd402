#include "qtsingleapplication.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QWidget>

#include <unistd.h>

QtSingleApplication::QtSingleApplication(int &argc, char **argv, bool gui)
    : QApplication(argc, argv)
{
    Q_UNUSED(gui)
    m_lock = std::make_unique<QLockFile>(QDir::temp().filePath(serverName() + QStringLiteral(".lock")));
    // A lock whose process is gone is stale and taken over.
    m_lock->setStaleLockTime(0);
    m_primary = m_lock->tryLock(0);
    if (m_primary)
        listen();
}

QtSingleApplication::~QtSingleApplication() = default;

QString QtSingleApplication::serverName()
{
    return QStringLiteral("shareward-%1").arg(geteuid());
}

void QtSingleApplication::listen()
{
    m_server = new QLocalServer(this);
    // Holding the lock, any socket of the name is a crashed instance's leftover.
    QLocalServer::removeServer(serverName());
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(serverName()))
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
    if (m_primary)
        return false;
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(timeout))
        return false;
    socket.write(message.toUtf8() + '\n');
    return socket.waitForBytesWritten(timeout);
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
