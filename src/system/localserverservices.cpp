#include "localserverservices.h"

LocalServerServices::LocalServerServices(const QString &systemctl, const QString &smbcontrol,
                                         const QString &smbstatus, const QString &configPath)
    : m_systemctl(systemctl)
    , m_smbcontrol(smbcontrol, configPath)
    , m_smbstatus(smbstatus, configPath)
{
}

ServerServices::ServiceState LocalServerServices::state(const QString &service)
{
    ServiceState found;
    found.state = m_systemctl.state(service, &found.why);
    return found;
}

SystemCtl::Result LocalServerServices::control(SystemCtl::Command command, const QString &service)
{
    return m_systemctl.run(command, service);
}

ServiceUpdate::Outcome LocalServerServices::takeUpConfig(bool restart)
{
    return ServiceUpdate(m_systemctl, m_smbcontrol).apply(restart);
}

ServiceUpdate::Outcome LocalServerServices::restartAndCheck(bool nmbd)
{
    return ServiceUpdate(m_systemctl, m_smbcontrol).restart(nmbd);
}

ServerServices::LiveStatus LocalServerServices::liveStatus(const SmbStatus::SharePaths &shares)
{
    LiveStatus reading;
    reading.status = m_smbstatus.read(shares);
    reading.smbd = m_systemctl.state(SystemCtl::smbdService());
    reading.nmbd = m_systemctl.state(SystemCtl::nmbdService());
    return reading;
}

SmbControl::Result LocalServerServices::endProcess(const QString &pid)
{
    return m_smbcontrol.shutdown(pid);
}

SmbControl::Result LocalServerServices::closeShare(const QString &share)
{
    return m_smbcontrol.closeShare(QStringLiteral("smbd"), share);
}
