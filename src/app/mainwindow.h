#pragma once

#include "configfilelock.h"
#include "confighistory.h"
#include "configsession.h"
#include "localserver.h"
#include "sambaaccountstore.h"
#include "sambasettings.h"
#include "serveraccounts.h"
#include "serverfiles.h"
#include "serverservices.h"
#include "sharedialog.h"
#include "smbcontrol.h"
#include "smbstatus.h"
#include "systemctl.h"
#include "systemprograms.h"
#include "testparmresult.h"
#include "vfsmoduleinventory.h"

#include <QMainWindow>
#include <QModelIndex>
#include <QStringList>

#include <future>
#include <memory>

namespace Ui {
class MainWindow;
}

class ConfigChanges;
class ConnectionsController;
class HistoryCommands;
class RegistryCommands;
class QAction;
class ServiceCommands;
class QTableView;
class Share;
class ShareModel;
class ShareProxyModel;
class WindowLoad;

// The application's window: the shares and printers of smb.conf in two tabs, who is
// connected to the server in a third, and the commands that edit, save, check and serve them.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Where this machine's smb.conf and programs are, for a window that reaches them itself
    // (the tests); tests point it elsewhere.
    using Environment = LocalServer::Programs;

    explicit MainWindow(QWidget *parent = nullptr);
    explicit MainWindow(const Environment &environment, QWidget *parent = nullptr);
    // The window of a server reached through its interfaces.
    explicit MainWindow(std::unique_ptr<Server> server, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Checks smb.conf with testparm and loads it, the Samba accounts, the account lists and
    // the rest, and waits for all of it; shows what went wrong itself.
    void initialLoad();

    // The start-up's way to the same, in three steps around the window's first showing:
    // testparm on smb.conf, started before the window is even built, as it takes most of the
    // start-up;
    static std::future<TestParmResult> startCheck(const Environment &environment);
    static std::future<TestParmResult> startCheck(Server &server);
    // smb.conf read into the shares while it runs, then its verdict; shows what went wrong
    // itself (a repair loads everything again). True when smb.conf was loaded and the rest
    // is still to be read;
    bool loadFirstScreen(std::future<TestParmResult> check);
    // then, once the window is shown and painted, the rest on worker threads: the Samba
    // accounts, the account lists, the VFS modules, the state of smbd and the history's record
    // of a change made by another editor. Each is taken up when it arrives; the commands that
    // need them wait for them.
    void startBackgroundLoad();
    // Waits (the window says it is busy) until all that was started is taken up; false when
    // no smb.conf is loaded afterwards (a listing failed, which was shown).
    bool waitForBackgroundLoad();
    bool isBackgroundLoading() const;

    ShareModel *shareModel() const { return m_shares; }
    SambaSettings &currentSettings() { return m_currentSettings; }
    const SambaSettings &savedSettings() const { return m_savedSettings; }
    QStringList serviceUsers() const { return m_serviceUsers; }
    QStringList serviceGroups() const { return m_serviceGroups; }
    QStringList domainUsers() const { return m_domainUsers; }
    QStringList domainGroups() const { return m_domainGroups; }
    // Whether there are changes that a save would write.
    bool isModified() const;
    void setModified();
    // The model index of the share selected in the view of the current tab; invalid when
    // none is.
    QModelIndex selectedShare() const;

signals:
    void shareSelected();
    void shareNotSelected();
    // Everything startBackgroundLoad started was taken up.
    void backgroundLoaded();

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
    // The versions of smb.conf in the history, and restoring one.
    void showHistory();
    // Whether saves show the review first (a setting, on unless turned off).
    static bool reviewsChanges();
    static void setReviewsChanges(bool review);
    void startServices();
    void stopServices();
    // Restarts smbd and nmbd when they run; true when both restarted.
    bool restartServices();
    void updateServiceActions();
    void quit();
    // The share commands: each opens the share dialog or asks, then changes one row.
    void addShare();
    void editShare();
    void deleteShare();
    // The server-wide commands: each opens its dialog and takes its result on Ok.
    void editConfig();
    void editSambaUsers();
    void editSambaGroups();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setUpActions();
    void setUpView(QTableView *view, ShareProxyModel *proxy);
    void updateSelection();
    void saveSize();
    void resizeColumns();
    void showTabOf(const Share &share);
    ShareDialog::Accounts regularAccounts() const;
    // Hands what the load reads to the window.
    void connectLoad();
    // Shows the configuration as loaded again after a move to or from the registry.
    void takeUpTransfer(const ConfigSession::Transferred &transferred);
    // The Check config command: testparm's verdict on the installed configuration.
    void checkConfig();

    // Start for stopped services, Stop for running ones.
    void showServiceState(bool running);
    // Whether to go on with a save that starts to use VFS modules this Samba lacks.
    bool acceptMissingModules(const QList<Share> &shares);
    // After smb.conf changed: a reload of the running services, or a restart where a changed
    // setting needs one; then the check that they still run, with the offer to go back to
    // previous when they do not.
    // Takes copies: a restore offered meanwhile loads everything again.
    void updateServices(ConfigChanges changes, std::string previous);
    // Asks what to do with unsaved changes before the window closes; true to close.
    bool confirmClose();

    // Before everything that uses them; the children that use them from worker threads are
    // deleted first (see the destructor).
    std::unique_ptr<Server> m_server;
    // Of m_server, for brevity.
    ConfigSession *m_session;
    SambaSettings m_currentSettings;
    SambaSettings m_savedSettings;
    ServiceCommands *m_services;
    HistoryCommands *m_historyCommands = nullptr;
    RegistryCommands *m_registryCommands = nullptr;
    // The VFS modules this Samba can load, read at start-up.
    VfsModuleInventory m_modules;
    std::unique_ptr<Ui::MainWindow> m_ui;
    ShareModel *m_shares;
    ShareProxyModel *m_sharesProxy;
    ShareProxyModel *m_printersProxy;
    ConnectionsController *m_connections = nullptr;
    QStringList m_serviceUsers;
    QStringList m_serviceGroups;
    QStringList m_guestAccounts;
    QStringList m_domainGroups;
    QStringList m_domainUsers;
    bool m_exitConfirmed = false;
    // What the window shows, read at start-up and in the background; the commands wait for it
    // before they look. Declared last: destroyed first, it waits for its worker threads,
    // which use the members above.
    std::unique_ptr<WindowLoad> m_load;
};
