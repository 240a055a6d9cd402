#include "servicecommands.h"

#include "configchanges.h"
#include "serverservices.h"
#include "whilebusy.h"

#include <QMessageBox>
#include <QPushButton>

ServiceCommands::ServiceCommands(ServerServices &services, QWidget *window)
    : QObject(window)
    , m_server(services)
    , m_window(window)
{
}

bool ServiceCommands::run(SystemCtl::Command command, const QString &service, const QString &failure)
{
    if (m_server.control(command, service).succeeded)
        return true;
    QMessageBox::critical(m_window, tr("Error"), failure, QMessageBox::Ok);
    return false;
}

bool ServiceCommands::start()
{
    return run(SystemCtl::Start, SystemCtl::smbdService(),
               tr("Can't start smbd service.\nCheck samba installation."))
        && run(SystemCtl::Start, SystemCtl::nmbdService(),
               tr("Can't start nmbd service.\nCheck samba installation."));
}

bool ServiceCommands::stop()
{
    return run(SystemCtl::Stop, SystemCtl::smbdService(),
               tr("Can't stop smbd service.\nCheck samba installation."))
        && run(SystemCtl::Stop, SystemCtl::nmbdService(),
               tr("Can't stop nmbd service.\nCheck samba installation."));
}

bool ServiceCommands::restart()
{
    return run(SystemCtl::Restart, SystemCtl::smbdService(),
               tr("Can't restart smbd service.\nCheck samba installation."))
        && run(SystemCtl::Restart, SystemCtl::nmbdService(),
               tr("Can't restart nmbd service.\nCheck samba installation or samba script."));
}

void ServiceCommands::takeUp(const ConfigChanges &changes, const std::string &previous,
                             const Restore &restore)
{
    const bool restart = changes.needsRestart();
    const ServiceUpdate::Outcome outcome =
        whileBusy(m_window, restart ? tr("Restarting smbd and nmbd...") : tr("Reloading smbd and nmbd..."),
                  [this, restart] { return m_server.takeUpConfig(restart); });
    const QString names = outcome.services.join(tr(" and "));
    if (!outcome.unchecked.isEmpty()) {
        emit message(tr("smb.conf is saved, but the state of %1 could not be checked: %2")
                         .arg(names, outcome.unchecked),
                     0);
        return;
    }
    if (outcome.down.isEmpty()) {
        emit message(outcome.restarted ? tr("smb.conf is saved; %1 restarted.").arg(names)
                                       : tr("smb.conf is saved; %1 read it again.").arg(names),
                     10000);
        return;
    }

    QMessageBox box(m_window);
    box.setIcon(QMessageBox::Critical);
    box.setWindowTitle(tr("Error"));
    box.setText(tr("%1 is not running after smb.conf changed.").arg(outcome.down.join(tr(" and "))));
    box.setInformativeText(outcome.failures.join(QLatin1Char('\n')));
    box.setDetailedText(outcome.status);
    QPushButton *offer = previous.empty()
        ? nullptr
        : box.addButton(tr("Restore the previous version and restart"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Close);
    box.setEscapeButton(QMessageBox::Close);
    box.exec();
    if (offer && box.clickedButton() == offer)
        restorePrevious(outcome.down, previous, restore);
}

void ServiceCommands::restorePrevious(const QStringList &down, const std::string &previous,
                                      const Restore &restore)
{
    // The summary is recorded in the history, which shareward-cli shows: not translated.
    if (!restore(previous,
                 QStringLiteral("previous version restored after %1 failed")
                     .arg(down.join(QLatin1String(" and ")))))
        return;
    const bool nmbd = down.contains(SystemCtl::nmbdService())
        || m_server.state(SystemCtl::nmbdService()).state == SystemCtl::Active;
    const ServiceUpdate::Outcome again = whileBusy(m_window, tr("Restarting smbd and nmbd..."),
                                                   [this, nmbd] { return m_server.restartAndCheck(nmbd); });
    if (!again.down.isEmpty()) {
        QMessageBox failed(
            QMessageBox::Critical, tr("Error"),
            tr("%1 is still not running with the previous smb.conf.").arg(again.down.join(tr(" and "))),
            QMessageBox::Ok, m_window);
        failed.setDetailedText(again.status);
        failed.exec();
    } else {
        emit message(tr("The previous smb.conf is restored and the services were restarted."), 10000);
    }
}
