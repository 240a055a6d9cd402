#pragma once

#include "filestamp.h"
#include "serverservices.h"
#include "serverstatus.h"
#include "smbstatus.h"
#include "systemctl.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>
#include <future>

class ConnectionsView;
class QAction;
class QLabel;
class QTimer;

// The window's side of the running server: the Connections tab, read again every few seconds
// while it is shown and on F5, always on a worker thread so that a slow smbstatus never
// freezes the window; its commands through smbcontrol and the check that they worked; the
// shares deleted while in use, closed once a save removed them; and the status bar's fields
// for smbd, nmbd, the sessions and smb.conf.
class ConnectionsController : public QObject
{
    Q_OBJECT

public:
    // The name and path of every share, to tell open files' shares; read at each refresh.
    using SharePaths = std::function<SmbStatus::SharePaths()>;

    static constexpr int RefreshIntervalMs = 5000;
    // How long smbd gets to end what a command ended before the check.
    static constexpr int SettleMs = 700;

    // services: the server's, used from a worker thread too; it must outlive the controller.
    // configPath: the smb.conf whose changes on disk the status bar shows; empty when this
    // process cannot read it (a server reached through its backend). window: where its boxes
    // open and its refresh action is; fields: where its labels for the status bar go.
    ConnectionsController(ConnectionsView *view, ServerServices &services, const QString &configPath,
                          const SharePaths &sharePaths, QWidget *window, QWidget *fields);
    // Waits for a read still running: it ends within smbstatus's time limit.
    ~ConnectionsController() override;

    QAction *refreshAction() const { return m_refreshAction; }
    // The tab is shown: read now and every RefreshIntervalMs; hidden: no more reads.
    void setShown(bool shown);
    // Starts a read of the connections and the services' states; none while one runs.
    void refresh();
    bool isRefreshing() const { return m_reading.valid(); }
    // What the last read found.
    const ServerStatus &status() const { return m_status; }
    // The users the last read found connected to a share, each once.
    QStringList usersOf(const QString &share) const;

    // A share deleted while the last read found it in use: its clients are disconnected
    // once a save removed it from smb.conf.
    void shareDeleted(const QString &share);
    // After a save installed smb.conf: "smbcontrol smbd close-share" for each such share that
    // is not among names (lower-cased) now, when smbd runs. Forgets them either way.
    void closeDeletedShares(const QSet<QString> &names, bool smbdRunning);

    // smb.conf as it is now is the one loaded: "changed on disk" compares with it.
    void configLoaded();
    void setModified(bool modified);
    // smb.conf's path on the server, shown when this process cannot read it itself.
    void setShownPath(const QString &path);
    // The status bar shows a message, or none any more: the path gives it room.
    void statusMessageChanged(const QString &message);
    // What the window learnt of the services itself (start-up, Start, Stop).
    void showSmbd(bool running);
    void showNmbd(bool running);

signals:
    // A read was shown; tests wait for it.
    void refreshed();
    void message(const QString &text, int timeout);

private:
    using Reading = ServerServices::LiveStatus;
    // What a command ended, to be gone from a read started after it.
    struct Check
    {
        bool process = false; // a smbd process, else a share
        QString target;
        QStringList keys; // the sessions or connections it ended
        int after = -1; // the number of the last read started before the check; -1 until it waits
    };
    void start();
    void refreshSoon();
    void poll();
    void apply(const Reading &given);
    void verify(const Check &check);
    void disconnectClient(const QString &pid);
    void closeShare(const QString &share);
    void showState(QLabel *label, const QString &service, SystemCtl::State state);
    void checkConfigOnDisk();
    void updateConfigLabel();
    static QByteArray contentOf(const QString &path);

    ConnectionsView *m_view;
    QWidget *m_window;
    ServerServices &m_server;
    QString m_configPath;
    QString m_shownPath;
    bool m_messageShown = false;
    SharePaths m_sharePaths;
    QAction *m_refreshAction;
    QTimer *m_timer;
    QTimer *m_poll;
    std::future<Reading> m_reading;
    int m_started = 0; // reads started so far; the running one is number m_started
    bool m_again = false;
    ServerStatus m_status;
    QList<Check> m_checks;
    QStringList m_deletedInUse;

    QLabel *m_smbdLabel;
    QLabel *m_nmbdLabel;
    QLabel *m_sessionsLabel;
    QLabel *m_configLabel;
    bool m_modified = false;
    bool m_haveLoaded = false;
    FileStamp m_loadedStamp;
    QByteArray m_loadedText;
    FileStamp m_checkedStamp;
    bool m_changedOnDisk = false;
};
