#pragma once

#include "serverstatus.h"
#include "serviceupdate.h"
#include "smbcontrol.h"
#include "smbstatus.h"
#include "systemctl.h"

#include <QString>

// The window's way to the Samba services of its server: their states, Start, Stop and Restart,
// having them take up a new smb.conf, who is connected, and ending connections. Every call is
// one request a backend process answers alone: values in, values out, the failures in the
// result structs with a sentence for people. Calls may come from a worker thread, one at a
// time per thread; an implementation lets them take turns.
class ServerServices
{
public:
    // What "systemctl is-active" says of a service; when Unknown, why it could not tell.
    struct ServiceState
    {
        SystemCtl::State state = SystemCtl::Unknown;
        QString why;
    };
    // One reading of the Connections tab: who is connected, and the states of smbd and nmbd.
    struct LiveStatus
    {
        ServerStatus status;
        SystemCtl::State smbd = SystemCtl::Unknown;
        SystemCtl::State nmbd = SystemCtl::Unknown;
    };

    virtual ~ServerServices() = default;

    virtual ServiceState state(const QString &service) = 0;
    // Start, Stop or Restart of a service, waited for.
    virtual SystemCtl::Result control(SystemCtl::Command command, const QString &service) = 0;
    // After smb.conf changed while smbd runs: reloads smbd, and nmbd when it runs (restarts
    // them when restart is set), then checks that they run (ServiceUpdate::apply).
    virtual ServiceUpdate::Outcome takeUpConfig(bool restart) = 0;
    // Restarts smbd, and nmbd when nmbd is set, then checks them (ServiceUpdate::restart).
    virtual ServiceUpdate::Outcome restartAndCheck(bool nmbd) = 0;
    // The sessions, share connections and open files, with the files told apart by the share
    // paths given, and the states of smbd and nmbd.
    virtual LiveStatus liveStatus(const SmbStatus::SharePaths &shares) = 0;
    // Ends one smbd process, with every session it serves; pid is its number.
    virtual SmbControl::Result endProcess(const QString &pid) = 0;
    // Ends every connection to a share.
    virtual SmbControl::Result closeShare(const QString &share) = 0;
};
