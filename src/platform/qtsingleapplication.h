#pragma once

#include <QApplication>
#include <QPointer>

#include <memory>

class InstanceLock;
class QLocalServer;

// A QApplication of which one instance runs per user: a second one learns that from
// isRunning() and can hand a message to the first, which raises its activation window.
// InstanceLock says who is first (the kernel frees it however the first ends); a local
// socket beside the lock, in a directory only the user can change, carries the messages.
class QtSingleApplication : public QApplication
{
    Q_OBJECT

public:
    QtSingleApplication(int &argc, char **argv, bool gui = true);
    ~QtSingleApplication() override;

    // Whether another instance of this application runs for this user, or whether that
    // could not be told (lockError() then says why).
    bool isRunning() const { return !m_primary; }
    QString lockError() const { return m_lockError; }
    // The process ID of the running instance, 0 when unknown.
    qint64 runningProcess() const;
    // Sends a message to the running instance; false when it was not taken within the
    // timeout (the instance answers each one) or when this is the running instance.
    bool sendMessage(const QString &message, int timeout = 5000);
    void setActivationWindow(QWidget *window, bool activateOnMessage = true);
    QWidget *activationWindow() const { return m_window; }

    // The socket shared by the instances of one user; empty when there is no directory for it.
    QString serverName() const { return m_serverName; }

signals:
    void messageReceived(const QString &message);

public slots:
    void activateWindow();

private:
    void listen();
    void readMessage();

    std::unique_ptr<InstanceLock> m_lock;
    QString m_serverName;
    QString m_lockError;
    bool m_primary = false;
    QLocalServer *m_server = nullptr;
    QPointer<QWidget> m_window;
    bool m_activateOnMessage = false;
};
