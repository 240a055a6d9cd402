#pragma once

#include "configsession.h"
#include "share.h"

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QWidget;
class WindowLoad;

// The window's commands that move configuration between smb.conf and Samba's registry
// configuration (where clustered Samba keeps it): one share to the registry or back, or the
// whole configuration into the registry. Each shows the change as diffs first, then makes it
// through the gate of a save; its boxes open over the window, the actions are the window's to
// place.
class RegistryCommands : public QObject
{
    Q_OBJECT

public:
    // Whether the window holds edits not saved: a move is refused then.
    using Modified = std::function<bool()>;
    // The share selected in the window; null when none is.
    using Selected = std::function<const Share *()>;

    // The session and the load must outlive the commands. registryUsable: whether the server
    // can read and change its registry configuration.
    RegistryCommands(ConfigSession &session, WindowLoad &load, bool registryUsable,
                     const Modified &modified, const Selected &selected, QWidget *window);

    QAction *moveToRegistryAction() const { return m_moveToRegistry; }
    QAction *moveToFileAction() const { return m_moveToFile; }
    QAction *storeAllAction() const { return m_storeAll; }

    // Enables the commands that fit what is loaded and selected.
    void update();

    void moveSelected(Share::StoredIn to);
    void storeAll();

signals:
    // A change was made and everything loaded again, as the session tells.
    void transferred(const ConfigSession::Transferred &transferred);

private:
    using Build = std::function<ConfigMapper::Transfer()>;
    // Refuses with unsaved edits, builds the change, shows it, and makes it on Save. When the
    // change would put registry content in effect that Samba did not read, and
    // replacingUnused is given, asks whether to keep that content or build replacingUnused.
    void run(const Build &build, const Build &replacingUnused = Build());
    enum class UnusedChoice { Replace, Keep, Cancel };
    UnusedChoice askUnusedRegistry(const std::string &unused);
    bool review(const ConfigMapper::Transfer &transfer);
    void showError(const QString &text, const std::exception &error);

    ConfigSession &m_session;
    WindowLoad &m_load;
    bool m_registryUsable;
    Modified m_modified;
    Selected m_selected;
    QWidget *m_window;
    QAction *m_moveToRegistry;
    QAction *m_moveToFile;
    QAction *m_storeAll;
};
