#include "saveplan.h"

#include "sambasettings.h"

#include <QCoreApplication>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(SavePlan)
};

QString octal(int mode)
{
    return QStringLiteral("%1").arg(mode, 4, 8, QLatin1Char('0'));
}

} // namespace

QStringList SavePlan::describe(const QList<SaveSteps::ModeChange> &modes, const SambaSettings &current,
                               const SambaSettings &saved, ServiceStep services,
                               const QStringList &restartParameters)
{
    QStringList steps;
    for (const SaveSteps::ModeChange &mode : modes)
        steps << Messages::tr("Change the mode of the directory %1 from %2 to %3")
                     .arg(mode.path, octal(mode.oldMode), octal(mode.newMode));

    // The order of the account store's sync: users changed or added, users removed, then groups.
    for (auto it = current.users().cbegin(); it != current.users().cend(); ++it) {
        if (!it->changed())
            continue;
        if (!saved.users().contains(it.key()))
            steps << Messages::tr("Add the Samba user %1").arg(it.key());
        else if (!it->password().isEmpty())
            steps << Messages::tr("Change the password of the Samba user %1").arg(it.key());
    }
    for (auto it = saved.users().cbegin(); it != saved.users().cend(); ++it) {
        if (!current.users().contains(it.key()))
            steps << Messages::tr("Remove the Samba user %1").arg(it.key());
    }
    for (auto it = current.groups().cbegin(); it != current.groups().cend(); ++it) {
        if (it->changed() && !saved.groups().contains(it.key()))
            steps << Messages::tr("Add the Samba group %1").arg(it.key());
    }
    for (auto it = saved.groups().cbegin(); it != saved.groups().cend(); ++it) {
        if (!current.groups().contains(it.key()))
            steps << Messages::tr("Remove the Samba group %1").arg(it.key());
    }

    if (services == ReloadServices)
        steps << Messages::tr("Have smbd and nmbd read smb.conf again; connected clients stay connected");
    else if (services == RestartServices)
        steps << Messages::tr(
                     "Restart smbd and nmbd, which ends every client connection, because these settings "
                     "take effect only then: %1")
                     .arg(restartParameters.join(QStringLiteral(", ")));
    return steps;
}
