#include "serviceupdate.h"

#include "smbcontrol.h"
#include "systemctl.h"

#include <QCoreApplication>

ServiceUpdate::ServiceUpdate(const SystemCtl &systemctl, const SmbControl &smbcontrol)
    : m_systemctl(systemctl)
    , m_smbcontrol(smbcontrol)
{
}

ServiceUpdate::Outcome ServiceUpdate::apply(bool restart) const
{
    Outcome outcome;
    QStringList services{SystemCtl::smbdService()};
    if (m_systemctl.isActive(SystemCtl::nmbdService()))
        services << SystemCtl::nmbdService();
    for (const QString &service : qAsConst(services)) {
        if (restart) {
            restartService(service, outcome);
            continue;
        }
        const SmbControl::Result reload = m_smbcontrol.reloadConfig(service);
        if (reload.succeeded)
            continue;
        // The daemon did not get the message: a restart is the other way to make it read smb.conf.
        outcome.failures << QCoreApplication::translate("ServiceUpdate", "%1 reload-config: %2")
                                .arg(service, reload.errorText);
        restartService(service, outcome);
    }
    outcome.services = services;
    check(services, outcome);
    return outcome;
}

ServiceUpdate::Outcome ServiceUpdate::restart(bool nmbd) const
{
    Outcome outcome;
    QStringList services{SystemCtl::smbdService()};
    if (nmbd)
        services << SystemCtl::nmbdService();
    for (const QString &service : qAsConst(services))
        restartService(service, outcome);
    outcome.services = services;
    check(services, outcome);
    return outcome;
}

void ServiceUpdate::restartService(const QString &service, Outcome &outcome) const
{
    outcome.restarted = true;
    const SystemCtl::Result result = m_systemctl.run(SystemCtl::Restart, service);
    if (!result.succeeded)
        outcome.failures << QCoreApplication::translate("ServiceUpdate", "systemctl restart %1: %2")
                                .arg(service, result.errorText);
}

void ServiceUpdate::check(const QStringList &services, Outcome &outcome) const
{
    for (const QString &service : services) {
        QString why;
        const SystemCtl::State state = m_systemctl.state(service, &why);
        if (state == SystemCtl::Unknown) {
            outcome.unchecked = why;
            return;
        }
        if (state != SystemCtl::Active) {
            if (outcome.down.isEmpty())
                outcome.status = m_systemctl.status(service);
            outcome.down << service;
        }
    }
}
