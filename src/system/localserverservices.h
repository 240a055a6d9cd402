#pragma once

#include "serverservices.h"

// ServerServices on this machine: systemctl, smbcontrol and smbstatus run here, smbcontrol
// and smbstatus told the smb.conf whose daemons they reach. Each call runs its own programs,
// so calls from several threads need no lock.
class LocalServerServices : public ServerServices
{
public:
    LocalServerServices(const QString &systemctl, const QString &smbcontrol, const QString &smbstatus,
                        const QString &configPath);

    ServiceState state(const QString &service) override;
    SystemCtl::Result control(SystemCtl::Command command, const QString &service) override;
    ServiceUpdate::Outcome takeUpConfig(bool restart) override;
    ServiceUpdate::Outcome restartAndCheck(bool nmbd) override;
    LiveStatus liveStatus(const SmbStatus::SharePaths &shares) override;
    SmbControl::Result endProcess(const QString &pid) override;
    SmbControl::Result closeShare(const QString &share) override;

private:
    const SystemCtl m_systemctl;
    const SmbControl m_smbcontrol;
    const SmbStatus m_smbstatus;
};
