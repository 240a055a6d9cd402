#pragma once

#include <QApplication>
#include <QPointer>

#include <memory>

class QLocalServer;
class QLockFile;

// A QApplication of which one instance runs per user: a second one learns that from
// isRunning() and can hand a message to the first, which raises its activation window.
// A lock file says who is first (a crashed instance's lock is recognised as stale), a
// local socket carries the messages.
class QtSingleApplication : public QApplication
{
    Q_OBJECT

public:
    QtSingleApplication(int &argc, char **argv, bool gui = true);
    ~QtSingleApplication() override;

    // Whether another instance of this application runs for this user.
    bool isRunning() const { return !m_primary; }
    // Sends a message to the running instance; false when it could not be delivered
    // within the timeout or when this is the running instance.
    bool sendMessage(const QString &message, int timeout = 5000);
    void setActivationWindow(QWidget *window, bool activateOnMessage = true);
    QWidget *activationWindow() const { return m_window; }

    // The socket name shared by the instances of one user.
    static QString serverName();

signals:
    void messageReceived(const QString &message);

public slots:
    void activateWindow();

private:
    void listen();
    void readMessage();

    std::unique_ptr<QLockFile> m_lock;
    bool m_primary = false;
    QLocalServer *m_server = nullptr;
    QPointer<QWidget> m_window;
    bool m_activateOnMessage = false;
};
