#include "savesteps.h"

#include "globalshare.h"
#include "linkfreedirectory.h"
#include "share.h"

#include <QFile>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// The modes this tool sets; only these are undone. A directory everyone writes to gets the
// sticky bit, as /tmp has: everyone may add files, only a file's owner may remove or rename
// it. 0777 is what older versions set.
constexpr mode_t readOnlyMode = 0555;
constexpr mode_t writableMode = 01777;
constexpr mode_t olderWritableMode = 0777;
constexpr mode_t usualMode = 0755;

// Marks a directory this tool made 01777, so that only such a one is changed back: /var/tmp
// and its kind have that mode too.
constexpr char madeWritable[] = "trusted.shareward.writable";

bool markedWritable(int fd)
{
    return ::fgetxattr(fd, madeWritable, nullptr, 0) >= 0;
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

namespace {

// The mode a share's request gives the directory open as fd: -1 when it is no directory,
// current when nothing changes.
int wantedMode(const Share &share, int fd, int *currentMode)
{
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISDIR(info.st_mode))
        return -1;
    const mode_t current = info.st_mode & 07777;
    *currentMode = int(current);
    // Set-ID directories keep their bits; a sticky one too, unless this tool made it so.
    const bool ours = current == writableMode && markedWritable(fd);
    if ((current & (S_ISUID | S_ISGID)) || ((current & S_ISVTX) && !ours))
        return int(current);
    switch (share.directoryModeChange()) {
    case Share::MakeReadOnly:
        return readOnlyMode;
    case Share::MakeWritable:
        return writableMode;
    case Share::UndoDirectoryMode:
        return current == readOnlyMode || current == olderWritableMode || ours ? usualMode : int(current);
    case Share::KeepDirectoryMode:
        break;
    }
    return int(current);
}

// The share's directory, open without following a link anywhere in its path.
int openShareDirectory(const Share &share)
{
    return LinkFreeDirectory::open(share.path());
}

} // namespace

QStringList SaveSteps::applyDirectoryPermissions(QList<Share> &shares)
{
    QStringList failed;
    for (Share &share : shares) {
        if (share.directoryModeChange() == Share::KeepDirectoryMode)
            continue;
        const int fd = openShareDirectory(share);
        int current = 0;
        const int wanted = wantedMode(share, fd, &current);
        share.setDirectoryModeChange(Share::KeepDirectoryMode);
        bool done = wanted >= 0;
        if (done && wanted != current) {
            // Marked first: a directory left 01777 unmarked would never be changed back.
            if (mode_t(wanted) == writableMode)
                ::fsetxattr(fd, madeWritable, "1", 1, 0);
            done = ::fchmod(fd, mode_t(wanted)) == 0;
            if (done && mode_t(wanted) != writableMode)
                ::fremovexattr(fd, madeWritable);
        }
        if (fd >= 0)
            ::close(fd);
        if (!done)
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
        const int fd = openShareDirectory(share);
        int current = 0;
        const int wanted = wantedMode(share, fd, &current);
        if (fd >= 0)
            ::close(fd);
        if (wanted >= 0 && wanted != current)
            changes.append({share.path(), current, wanted});
    }
    return changes;
}
