#pragma once

#include "localserver.h"
#include "sambasettings.h"
#include "serveraddress.h"
#include "serverlistcontroller.h"
#include "testparmresult.h"

#include <QList>
#include <QMainWindow>
#include <QModelIndex>
#include <QStringList>

#include <future>
#include <memory>

namespace Ui {
class MainWindow;
}

class QAction;
class ServerPage;
class ShareModel;

// The application's window: the servers it administers in a list, beside the page of the one
// chosen (its shares, printers and connections), and the menus, tool bar and status bar,
// whose commands act on that page.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Where this machine's smb.conf and programs are, for a window that reaches them itself
    // (the tests); tests point it elsewhere.
    using Environment = LocalServer::Programs;
    // Opens the way to a server; throws an exception whose what() says why in a sentence when
    // it cannot.
    using Opener = ServerListController::Opener;

    // A window with this machine's server, reached in-process.
    explicit MainWindow(QWidget *parent = nullptr);
    explicit MainWindow(const Environment &environment, QWidget *parent = nullptr);
    // The window of a server reached through its interfaces, named as address names it.
    explicit MainWindow(std::unique_ptr<Server> server, QWidget *parent = nullptr,
                        const ServerAddress &address = ServerAddress());
    // A window without servers yet, which opens those it is asked to through open.
    explicit MainWindow(const Opener &open, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Opens the server and loads it (or shows why it could not be reached, with Try Again);
    // a server already shown is only chosen.
    void openServer(const ServerAddress &address);
    // Adds a server already open and chooses it when none is; loadFirstScreen() or
    // initialLoad() load it.
    ServerPage *addServer(const ServerAddress &address, std::unique_ptr<Server> server);
    // The servers shown, in the list's order.
    QList<ServerAddress> servers() const;
    // The page of the server chosen; null when none is, or it could not be reached.
    ServerPage *currentPage() const;
    ServerPage *page(int row) const;
    // Chooses the server of the list's row.
    void setCurrentServer(int row);
    // The failure shown for the server of row; empty when it was reached.
    QString failureOf(int row) const;

    // The start-up's way to load the first server, in three steps around the window's first
    // showing: testparm on smb.conf, started before the window is even built, as it takes
    // most of the start-up;
    static std::future<TestParmResult> startCheck(const Environment &environment);
    static std::future<TestParmResult> startCheck(Server &server);
    // smb.conf read into the shares while it runs, then its verdict; shows what went wrong
    // itself (a repair loads everything again). True when smb.conf was loaded and the rest
    // is still to be read;
    bool loadFirstScreen(std::future<TestParmResult> check);
    // then, once the window is shown and painted, the rest on worker threads.
    void startBackgroundLoad();

    // The current server's, as ServerPage describes them; there must be one.
    void initialLoad();
    bool waitForBackgroundLoad();
    bool isBackgroundLoading() const;
    ShareModel *shareModel() const;
    SambaSettings &currentSettings();
    const SambaSettings &savedSettings() const;
    QStringList serviceUsers() const;
    QStringList serviceGroups() const;
    QStringList domainUsers() const;
    QStringList domainGroups() const;
    bool isModified() const;
    void setModified();
    QModelIndex selectedShare() const;

    // Whether saves show the review first (a setting, on unless turned off).
    static bool reviewsChanges();
    static void setReviewsChanges(bool review);

signals:
    // Of the current server.
    void shareSelected();
    void shareNotSelected();
    void backgroundLoaded();

public slots:
    // The current server's commands.
    void showCheckResult(const TestParmResult &result);
    void showProcessError(const QString &error);
    void showStartupError(const QString &text);
    bool saveAll();
    void showHistory();
    void startServices();
    void stopServices();
    bool restartServices();
    void updateServiceActions();
    void addShare();
    void editShare();
    void deleteShare();
    void editConfig();
    void editSambaUsers();
    void editSambaGroups();

    // File > Connect to a Server...: asks for one and opens it.
    void connectToServer();
    // File > Disconnect: the current server, once its unsaved changes are saved or given up;
    // false when the administrator cancelled.
    bool disconnectServer();
    // Asks about every server with unsaved changes, then closes the window.
    void quit();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setUpActions();
    // Places a new page's status fields and has its signals reach the window.
    void takeUpPage(ServerPage *page);
    // The current page changed: menus, actions, title and status bar follow it.
    void takeUpCurrent();
    // Puts the page's own commands (history, registry, preferences) in the menus, in place of
    // those of the page placed before.
    void placeActions(ServerPage *page);
    void updateActions();
    // Asks about page's unsaved changes: quitting or closing; true to go on.
    bool confirmDiscard(ServerPage *page, bool quitting);
    // The servers' pages, of those that were reached.
    QList<ServerPage *> pages() const;
    void saveSize();
    ServerPage &current() const;

    std::unique_ptr<Ui::MainWindow> m_ui;
    ServerListController *m_servers;
    // The page whose actions are in the menus.
    ServerPage *m_placed = nullptr;
    // The pages whose changes Quit was told to give up.
    QList<ServerPage *> m_exitConfirmed;
};
