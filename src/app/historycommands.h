#pragma once

#include "configsession.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class QAction;
class QWidget;
class ServerFiles;
class WindowLoad;

// The window's commands about the versions of smb.conf: the review of what a save will
// change, the history window with its diffs, restoring a version, and the number of versions
// the history keeps. Its boxes open over the window; the actions are the window's to place.
class HistoryCommands : public QObject
{
    Q_OBJECT

public:
    // Whether the window holds edits not saved, which a restore gives up.
    using Modified = std::function<bool()>;

    // The session and the load must outlive the commands.
    HistoryCommands(ConfigSession &session, WindowLoad &load, const Modified &modified, QWidget *window);

    // File > History..., opening showHistory().
    QAction *historyAction() const { return m_historyAction; }
    // The Preferences switch of the review.
    QAction *reviewAction() const { return m_reviewAction; }
    // Preferences > Versions kept in the history..., opening editKeep().
    QAction *keepAction() const { return m_keepAction; }

    // Whether saves show the review first (a setting, on unless turned off).
    static bool reviewsChanges();
    static void setReviewsChanges(bool review);

    // The review of a save of current over saved with shares, unless turned off; false when the
    // administrator cancelled it. servicesRunning: smbd runs, so the save reloads or restarts it;
    // files tells the directory modes the save changes.
    bool reviewSave(const SambaSettings &current, const SambaSettings &saved, const QList<Share> &shares,
                    bool servicesRunning, ServerFiles &files);
    // After smb.conf was installed: says so when its history could not be recorded (error).
    void showHistoryError(const QString &error);
    // Installs bytes as smb.conf through the save's gate and loads everything again; false
    // when refused.
    bool restore(const std::string &bytes, const QString &summary);
    // The versions of smb.conf and of the registry in the history, and restoring one.
    void showHistory();
    // The diff of the registry as net conf list prints it, for the reviews.
    static QString registryDiff(const std::string &before, const std::string &after);
    void editKeep();
    // Has the server's history keep this many versions, as editKeep() chose for another server.
    void setKeep(int keep);

signals:
    // A restore installed smb.conf and loaded it: the edits not saved are given up.
    void restored();
    // A version chosen in the history window was installed: the running services take it up.
    void versionInstalled(const ConfigSession::Outcome &outcome);
    // editKeep() set how many versions the history keeps: the setting is the user's, for every
    // server.
    void keepChanged(int keep);
    // The history could not be read; sentence says why.
    void unreadable(const QString &sentence);

private:
    // How many versions of each file the history keeps (a setting).
    static int keep();
    // Restores a version of the history, as restore() does; none when refused.
    std::optional<ConfigSession::Outcome> restoreVersion(const ConfigHistory::Version &version);
    // Runs a restore and loads everything again; none when refused.
    template<typename Restore>
    std::optional<ConfigSession::Outcome> restoreWith(bool registry, const Restore &restore);

    ConfigSession &m_session;
    WindowLoad &m_load;
    Modified m_modified;
    QWidget *m_window;
    QAction *m_historyAction;
    QAction *m_reviewAction;
    QAction *m_keepAction;
};
