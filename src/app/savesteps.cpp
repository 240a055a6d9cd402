#include "savesteps.h"

#include "globalshare.h"
#include "share.h"

#include <QFile>

namespace {

constexpr QFile::Permissions readAndExecute = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
    | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions everything = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
    | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther
    | QFile::ExeOther;
constexpr QFile::Permissions ownerWrites = readAndExecute | QFile::WriteOwner;

// Permissions as QFile reports them to root: the current user's part always includes
// write, whatever the mode.
QFile::Permissions asSeen(QFile::Permissions mode)
{
    QFile::Permissions seen = mode;
    if (mode & QFile::ReadOwner)
        seen |= QFile::ReadUser;
    if (mode & QFile::ExeOwner)
        seen |= QFile::ExeUser;
    return seen | QFile::WriteUser;
}

} // namespace

void SaveSteps::dropOldGuestAccount(const QString &currentGuest, const QString &savedGuest,
                                    QList<Share> &shares)
{
    const QString none = GlobalShare::noGuestAccount();
    QString dropped;
    if (currentGuest == none) {
        if (savedGuest.isEmpty())
            return;
        dropped = savedGuest;
    } else {
        if (currentGuest == savedGuest || savedGuest.isEmpty())
            return;
        dropped = savedGuest == none ? QStringLiteral("nobody") : savedGuest;
    }
    for (Share &share : shares)
        share.removeValidUser(dropped);
}

QStringList SaveSteps::applyDirectoryPermissions(const QList<Share> &shares)
{
    QStringList failed;
    for (const Share &share : shares) {
        const QString path = share.path();
        if (share.setDirectoryPermissions() && share.readOnly()) {
            if (!QFile::setPermissions(path, readAndExecute))
                failed << path;
            continue;
        }
        if (share.setDirectoryPermissions() && share.readWrite()) {
            if (!QFile::setPermissions(path, everything))
                failed << path;
            continue;
        }
        // A mode this tool set earlier (0555 or 0777) goes back to the usual 0755 when no
        // choice asks for it any more; any other mode is the administrator's.
        const QFile::Permissions current = QFile::permissions(path);
        if ((current == asSeen(readAndExecute) || current == asSeen(everything))
            && !share.setDirectoryPermissions()) {
            if (!QFile::setPermissions(path, ownerWrites))
                failed << path;
        }
    }
    return failed;
}
