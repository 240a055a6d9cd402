#pragma once

#include "systemctl.h"

#include <QObject>

#include <functional>
#include <string>

class ConfigChanges;
class QWidget;
class ServerServices;

// The window's commands for smbd and nmbd: start, stop and restart, and having them take up a
// new smb.conf after a save or restore, with the way back to the previous file when a service
// does not run afterwards. Its boxes open over the window; what went well goes to the status
// bar through message().
class ServiceCommands : public QObject
{
    Q_OBJECT

public:
    // services: the server's, which must outlive the commands.
    ServiceCommands(ServerServices &services, QWidget *window);

    // Each runs smbd, then nmbd, and stops at a failure, which a box reports; true when both
    // succeeded.
    bool start();
    bool stop();
    bool restart();

    // Installs bytes as smb.conf and loads it; false when refused (the callee says why).
    using Restore = std::function<bool(const std::string &bytes, const QString &summary)>;
    // After smb.conf changed while smbd runs: a reload, or a restart where a changed setting
    // needs one; then the check that the services run, and when one does not, the offer to
    // restore previous through restore and restart.
    void takeUp(const ConfigChanges &changes, const std::string &previous, const Restore &restore);

signals:
    void message(const QString &text, int timeout);

private:
    bool run(SystemCtl::Command command, const QString &service, const QString &failure);
    void restorePrevious(const QStringList &down, const std::string &previous, const Restore &restore);

    ServerServices &m_server;
    QWidget *m_window;
};
