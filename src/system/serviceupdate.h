#pragma once

#include <QString>
#include <QStringList>

class SmbControl;
class SystemCtl;

// Has running Samba services take up a new smb.conf, then checks that they still run.
// reload-config keeps every client connected; a restart, which ends every connection, is
// used only where a changed setting needs it or the reload could not be delivered. Blocks:
// the window runs it while it shows that it is busy.
class ServiceUpdate
{
public:
    struct Outcome
    {
        // The services that were running and were told, and whether one was restarted.
        QStringList services;
        bool restarted = false;
        // The services that do not run afterwards, and systemctl's account of the first.
        QStringList down;
        QString status;
        // What failed on the way (a reload not delivered, a restart refused).
        QStringList failures;
        // Why the state of the services could not be checked (no systemd); empty when it was.
        QString unchecked;
    };

    ServiceUpdate(const SystemCtl &systemctl, const SmbControl &smbcontrol);

    // smbd runs: reloads it (or restarts it when restart is set), and nmbd alike when it runs.
    Outcome apply(bool restart) const;
    // Restarts smbd, and nmbd when nmbd is given, and checks them.
    Outcome restart(bool nmbd) const;

private:
    void restartService(const QString &service, Outcome &outcome) const;
    void check(const QStringList &services, Outcome &outcome) const;

    const SystemCtl &m_systemctl;
    const SmbControl &m_smbcontrol;
};
