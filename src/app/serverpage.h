#pragma once

#include "configsession.h"
#include "sambasettings.h"
#include "server.h"
#include "sharedialog.h"
#include "testparmresult.h"
#include "vfsmoduleinventory.h"

#include <QModelIndex>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <future>
#include <memory>
#include <optional>

namespace Ui {
class ServerPage;
}

class ConfigChanges;
class ConnectionsController;
class HistoryCommands;
class QAction;
class QFrame;
class QLabel;
class QPushButton;
class QTableView;
class RegistryCommands;
class ServiceCommands;
class Share;
class ShareModel;
class ShareProxyModel;
class WindowLoad;

// One server in the window: its shares and printers in two tabs, who is connected to it in a
// third, what was loaded, edited and saved, and the commands that edit, save, check and serve
// it. The window's menus and tool bar act on the page shown; the page tells them what is
// possible through changed().
class ServerPage : public QWidget
{
    Q_OBJECT

public:
    // name: how the window names the server.
    ServerPage(std::unique_ptr<Server> server, const QString &name, QWidget *parent = nullptr);
    ~ServerPage() override;

    Server &server() { return *m_server; }
    QString name() const { return m_name; }

    // testparm on the server's configuration, started on a worker thread; the server must
    // outlive the result.
    static std::future<TestParmResult> startCheck(Server &server);

    // Checks smb.conf with testparm and loads it, the Samba accounts, the account lists and
    // the rest, and waits for all of it; shows what went wrong itself.
    void initialLoad();
    // smb.conf read into the shares while check runs, then its verdict; true when smb.conf
    // was loaded and the rest is still to be read.
    bool loadFirstScreen(std::future<TestParmResult> check);
    // The rest on worker threads, once the window is shown and painted.
    void startBackgroundLoad();
    // Waits until all that was started is taken up; false when no smb.conf is loaded.
    bool waitForBackgroundLoad();
    bool isBackgroundLoading() const;
    // Whether smb.conf was loaded (and nothing since failed).
    bool isLoaded() const;
    // smb.conf's path on the server; empty before a load.
    QString configPath() const;

    ShareModel *shareModel() const { return m_shares; }
    SambaSettings &currentSettings() { return m_currentSettings; }
    const SambaSettings &savedSettings() const { return m_savedSettings; }
    QStringList serviceUsers() const { return m_serviceUsers; }
    QStringList serviceGroups() const { return m_serviceGroups; }
    QStringList domainUsers() const { return m_domainUsers; }
    QStringList domainGroups() const { return m_domainGroups; }
    // Whether there are changes that a save would write.
    bool isModified() const { return m_modified; }
    void setModified(bool modified = true);
    // The model index of the share selected in the view of the current tab; invalid when
    // none is.
    QModelIndex selectedShare() const;
    // What Start and Stop may do: smbd's state as last learnt (both while unknown at first,
    // neither while it is read).
    bool canStart() const { return m_canStart; }
    bool canStop() const { return m_canStop; }

    // Whether the server is reached; after a loss the page keeps its edits and offers
    // Reconnect.
    bool isConnected() const { return !m_server->connectionLost(); }
    // Says once that the connection was lost when it was; true when it is lost.
    bool noticeConnectionLoss(const QString &sentence = QString());
    // What the bar above the tables says about the connection; empty when it is hidden.
    QString connectionMessage() const;

    // The commands the window places in its menus, this page's own.
    QAction *reconnectAction() const { return m_reconnectAction; }
    QAction *historyAction() const;
    QAction *reviewAction() const;
    QAction *keepAction() const;
    QList<QAction *> registryActions() const;
    // How many versions the server's history keeps, as chosen on another server's page.
    void setHistoryKeep(int keep);
    // The window's Edit and Delete, offered in the tables' context menus with the registry's
    // moves.
    void addShareActions(QAction *edit, QAction *remove);
    // Its fields in the window's status bar: the server, smbd, nmbd, the sessions, smb.conf.
    QWidget *statusFields() const { return m_statusFields; }
    // The window's status bar shows a message (or none any more): smb.conf's field gives it
    // room.
    void statusMessageChanged(const QString &message);

signals:
    // What the window's actions may do changed: the selection, the modified state, smbd's.
    void changed();
    void shareSelected();
    void shareNotSelected();
    // Everything startBackgroundLoad started was taken up.
    void backgroundLoaded();
    // For the window's status bar.
    void message(const QString &text, int timeout);
    // The administrator chose how many versions the history keeps, for every server.
    void historyKeepChanged(int keep);

public slots:
    // The verdict of the Check config command.
    void showCheckResult(const TestParmResult &result);
    void showProcessError(const QString &error);
    // A failure of the start-up check or load, with the repair that fits it.
    void showStartupError(const QString &text);
    // Shows what a save will do (unless the administrator turned the review off), then
    // writes everything: smb.conf, directory modes, Samba accounts and groups, and has the
    // running services take the new smb.conf up. False when nothing was saved.
    bool saveAll();
    // The Check config command: testparm's verdict on the installed configuration.
    void checkConfig();
    // The versions of smb.conf in the history, and restoring one.
    void showHistory();
    void startServices();
    void stopServices();
    // Restarts smbd and nmbd when they run; true when both restarted.
    bool restartServices();
    void updateServiceActions();
    // The share commands: each opens the share dialog or asks, then changes one row.
    void addShare();
    void editShare();
    void deleteShare();
    // The server-wide commands: each opens its dialog and takes its result on Ok.
    void editConfig();
    void editSambaUsers();
    void editSambaGroups();
    // Opens the way to the server again, finds out what became of a save the loss cut off,
    // and reads what the page shows again, keeping the edits.
    void reconnect();

private:
    // A save sent when the connection was lost, whose answer never came.
    struct DroppedSave
    {
        QString fingerprint;
        SambaSettings settings;
        QList<Share> shares;
    };
    void showConnectionMessage(const QString &text, bool offerReconnect);
    // Whether the dropped save was installed, judged on the configuration as it is now; takes
    // it up when it was.
    void judgeDroppedSave(const DroppedSave &save);
    void setUpView(QTableView *view, ShareProxyModel *proxy);
    void updateSelection();
    void resizeColumns();
    void showTabOf(const Share &share);
    // The accounts a share dialog offers; none when they could not be read, which was said.
    std::optional<ShareDialog::Accounts> regularAccounts();
    // Hands what the load reads to the page.
    void connectLoad();
    // Shows the configuration as loaded again after a move to or from the registry.
    void takeUpTransfer(const ConfigSession::Transferred &transferred);
    // Start for stopped services, Stop for running ones.
    void showServiceState(bool running);
    void setServiceActions(bool start, bool stop);
    // Whether to go on with a save that starts to use VFS modules this Samba lacks.
    bool acceptMissingModules(const QList<Share> &shares);
    // After smb.conf changed: a reload of the running services, or a restart where a changed
    // setting needs one; then the check that they still run, with the offer to go back to
    // previous when they do not.
    // Takes copies: a restore offered meanwhile loads everything again.
    void updateServices(ConfigChanges changes, std::string previous);

    // Before everything that uses them; the children that use them from worker threads are
    // deleted first (see the destructor).
    std::unique_ptr<Server> m_server;
    QString m_name;
    // Of m_server, for brevity.
    ConfigSession *m_session;
    SambaSettings m_currentSettings;
    SambaSettings m_savedSettings;
    bool m_modified = false;
    bool m_canStart = true;
    bool m_canStop = true;
    ServiceCommands *m_services;
    HistoryCommands *m_historyCommands = nullptr;
    RegistryCommands *m_registryCommands = nullptr;
    // The VFS modules this Samba can load, read at start-up.
    VfsModuleInventory m_modules;
    std::unique_ptr<Ui::ServerPage> m_ui;
    ShareModel *m_shares;
    ShareProxyModel *m_sharesProxy;
    ShareProxyModel *m_printersProxy;
    // Placed in the window's status bar, which may delete it first.
    QPointer<QWidget> m_statusFields;
    QLabel *m_serverLabel;
    // Above the tables: the connection was lost, and Reconnect.
    QFrame *m_connectionBar;
    QLabel *m_connectionLabel;
    QPushButton *m_reconnectButton;
    QAction *m_reconnectAction;
    std::optional<DroppedSave> m_droppedSave;
    ConnectionsController *m_connections = nullptr;
    QStringList m_serviceUsers;
    QStringList m_serviceGroups;
    QStringList m_guestAccounts;
    QStringList m_domainGroups;
    QStringList m_domainUsers;
    // What the page shows, read at start-up and in the background; the commands wait for it
    // before they look. Declared last: destroyed first, it waits for its worker threads,
    // which use the members above.
    std::unique_ptr<WindowLoad> m_load;
};
