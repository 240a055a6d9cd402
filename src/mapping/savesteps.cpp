#include "savesteps.h"

#include "globalshare.h"
#include "share.h"

#include <QFile>

#include <sys/stat.h>

namespace {

// The modes this tool sets; only these are undone.
constexpr mode_t readOnlyMode = 0555;
constexpr mode_t writableMode = 0777;
constexpr mode_t usualMode = 0755;

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

namespace {

// The mode a share's request gives its directory: -1 when the directory cannot be read or is
// no directory, current when nothing changes.
int wantedMode(const Share &share, int *currentMode)
{
    const QByteArray path = QFile::encodeName(share.path());
    struct stat info;
    if (::stat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return -1;
    const mode_t current = info.st_mode & 07777;
    *currentMode = int(current);
    // /var/tmp and its kind keep their bits: 1777 is no 0777.
    if (current & (S_ISVTX | S_ISUID | S_ISGID))
        return int(current);
    switch (share.directoryModeChange()) {
    case Share::MakeReadOnly:
        return readOnlyMode;
    case Share::MakeWritable:
        return writableMode;
    case Share::UndoDirectoryMode:
        return current == readOnlyMode || current == writableMode ? usualMode : int(current);
    case Share::KeepDirectoryMode:
        break;
    }
    return int(current);
}

} // namespace

QStringList SaveSteps::applyDirectoryPermissions(QList<Share> &shares)
{
    QStringList failed;
    for (Share &share : shares) {
        if (share.directoryModeChange() == Share::KeepDirectoryMode)
            continue;
        int current = 0;
        const int wanted = wantedMode(share, &current);
        share.setDirectoryModeChange(Share::KeepDirectoryMode);
        if (wanted < 0
            || (wanted != current
                && ::chmod(QFile::encodeName(share.path()).constData(), mode_t(wanted)) != 0))
            failed << share.path();
    }
    return failed;
}

QList<SaveSteps::ModeChange> SaveSteps::plannedDirectoryModes(const QList<Share> &shares)
{
    QList<ModeChange> changes;
    for (const Share &share : shares) {
        if (share.directoryModeChange() == Share::KeepDirectoryMode)
            continue;
        int current = 0;
        const int wanted = wantedMode(share, &current);
        if (wanted >= 0 && wanted != current)
            changes.append({share.path(), current, wanted});
    }
    return changes;
}
