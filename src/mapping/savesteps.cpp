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

// The mode a request gives the directory open as fd: -1 when it is no directory, current
// when nothing changes.
int wantedMode(const SaveSteps::ModeRequest &request, int fd, int *currentMode)
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
    switch (request.change) {
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

} // namespace

QList<SaveSteps::ModeRequest> SaveSteps::modeRequests(const QList<Share> &shares)
{
    QList<ModeRequest> requests;
    for (const Share &share : shares) {
        if (share.directoryModeChange() != Share::KeepDirectoryMode)
            requests.append({share.path(), share.directoryModeChange()});
    }
    return requests;
}

void SaveSteps::clearModeRequests(QList<Share> &shares)
{
    for (Share &share : shares)
        share.setDirectoryModeChange(Share::KeepDirectoryMode);
}

QStringList SaveSteps::applyDirectoryPermissions(QList<Share> &shares)
{
    const QStringList failed = applyModeRequests(modeRequests(shares));
    clearModeRequests(shares);
    return failed;
}

QStringList SaveSteps::applyModeRequests(const QList<ModeRequest> &requests)
{
    QStringList failed;
    for (const ModeRequest &request : requests) {
        if (request.change == Share::KeepDirectoryMode)
            continue;
        // Opened without following a link anywhere in its path.
        const int fd = LinkFreeDirectory::open(request.path);
        int current = 0;
        const int wanted = wantedMode(request, fd, &current);
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
            failed << request.path;
    }
    return failed;
}

QList<SaveSteps::ModeChange> SaveSteps::plannedDirectoryModes(const QList<Share> &shares)
{
    return plannedModes(modeRequests(shares));
}

QList<SaveSteps::ModeChange> SaveSteps::plannedModes(const QList<ModeRequest> &requests)
{
    QList<ModeChange> changes;
    for (const ModeRequest &request : requests) {
        if (request.change == Share::KeepDirectoryMode)
            continue;
        const int fd = LinkFreeDirectory::open(request.path);
        int current = 0;
        const int wanted = wantedMode(request, fd, &current);
        if (fd >= 0)
            ::close(fd);
        if (wanted >= 0 && wanted != current)
            changes.append({request.path, current, wanted});
    }
    return changes;
}
