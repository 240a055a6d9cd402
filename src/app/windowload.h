#pragma once

#include "configsession.h"
#include "sambasettings.h"
#include "share.h"
#include "testparmresult.h"
#include "vfsmoduleinventory.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <future>
#include <memory>

class QTimer;
class QWidget;
class ServerAccounts;
class ServerFiles;
class ServerServices;
class ShareModel;

// What the window shows, read: smb.conf checked with testparm and read into its settings and
// shares, then on worker threads the Samba accounts, the account lists, the VFS modules, the
// state of smbd and the history's record of a change made by another editor. Every result is
// handed to the window through a signal on the GUI thread; a failure is shown here, with the
// repair that fits it, after which everything is loaded again.
class WindowLoad : public QObject
{
    Q_OBJECT

public:
    // The session, the accounts, the services and the files are used from worker threads until
    // the load is over or destroyed: they must outlive it. shown is the window's table, put back
    // when testparm refuses a file already filled in; window is where the boxes and the busy
    // indicator open, and whose window's first expose starts the background load.
    WindowLoad(ConfigSession &session, ServerAccounts &accounts, ServerServices &services, ServerFiles &files,
               const ShareModel &shown, QWidget *window);
    // Waits for the worker threads.
    ~WindowLoad() override;

    // testparm on the configuration, on a worker thread; session must outlive the result.
    static std::future<TestParmResult> startCheck(ConfigSession &session);

    // Checks smb.conf with testparm and loads it and all the rest, and waits for all of it.
    void initialLoad();
    // smb.conf read into the shares while check runs, then its verdict. True when smb.conf was
    // loaded and the rest is still to be read.
    bool loadFirstScreen(std::future<TestParmResult> check);
    // The rest, once the window is shown and painted.
    void startBackgroundLoad();
    // Waits (the window says it is busy) until all that was started is taken up; false when
    // no smb.conf is loaded afterwards.
    bool waitForBackgroundLoad();
    bool isBackgroundLoading() const { return m_backgroundDue || m_background; }
    // Set once smb.conf and its shares were read, unset again when the accounts cannot be: a
    // save writes the document over smb.conf, so it must never run on a partial load.
    bool isLoaded() const { return m_loaded; }
    // What the session holds loaded, as the last load, save or transfer left it.
    const ConfigSession::LoadedState &state() const { return m_state; }
    void setState(const ConfigSession::LoadedState &state) { m_state = state; }
    void setFingerprint(const QString &fingerprint) { m_state.fingerprint = fingerprint; }

    // A failure of the check or load, with the repair that fits it.
    void showStartupError(const QString &text);

signals:
    // The shares to show in the table.
    void sharesRead(const QList<Share> &shares);
    // smb.conf was accepted: its settings, without the accounts, are the current and saved ones.
    void settingsRead(const SambaSettings &settings);
    // smb.conf is loaded.
    void configLoaded();
    // Neither Start nor Stop until smbd's state is known.
    void serviceStateUnknown();
    void smbdStateRead(bool running);
    void modulesRead(const VfsModuleInventory &modules);
    void systemAccountsRead(const QStringList &users, const QStringList &groups);
    // The accounts offered as the guest account.
    void guestAccountsRead(const QStringList &accounts);
    void domainUsersRead(const QStringList &users);
    void domainGroupsRead(const QStringList &groups);
    // The Samba accounts, current and saved.
    void sambaUsersRead(const SambaUserMap &users);
    void sambaGroupsRead(const SambaGroupMap &groups);
    // A listing failed: nothing is loaded any more, the table is to be emptied.
    void loadLost();
    // Everything startBackgroundLoad started was taken up.
    void backgroundLoaded();

protected:
    // Watches the native window for its first expose, after which the background load starts.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Background;
    // Reads smb.conf while check runs and loads it once testparm accepted it; what went wrong,
    // empty when loaded.
    QString loadConfig(std::future<TestParmResult> check);
    // Says once why the registry could not be read: the file's shares show all the same.
    void warnOfRegistry();
    // Starts the background load now, if smb.conf is still loaded.
    void beginBackgroundLoad();
    // The programs of the background load, started; their results are dropped unless
    // adoptBackground follows.
    void startListings();
    // The listings belong to the smb.conf just loaded; the history's record starts.
    void adoptBackground();
    // Waits for what is still read and takes it up.
    void finishBackground();
    // Takes up the results that arrived.
    void takeUpBackground();

    ConfigSession &m_session;
    ConfigSession::LoadedState m_state;
    ServerAccounts &m_accounts;
    ServerServices &m_services;
    ServerFiles &m_files;
    const ShareModel &m_shown;
    QWidget *m_window;
    QTimer *m_poll;
    bool m_loaded = false;
    // The registry's failure last shown, not shown again on every load.
    QString m_registryWarning;
    // The background load waits for the window's first expose.
    bool m_backgroundDue = false;
    // What is still read on worker threads; null when nothing is. Declared last: destroyed
    // first, it waits for the threads.
    std::unique_ptr<Background> m_background;
};
