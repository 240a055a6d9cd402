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

QStringList SaveSteps::applyDirectoryPermissions(QList<Share> &shares)
{
    QStringList failed;
    for (Share &share : shares) {
        const Share::DirectoryModeChange change = share.directoryModeChange();
        if (change == Share::KeepDirectoryMode)
            continue;
        share.setDirectoryModeChange(Share::KeepDirectoryMode);
        const QByteArray path = QFile::encodeName(share.path());
        struct stat info;
        if (::stat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            failed << share.path();
            continue;
        }
        const mode_t current = info.st_mode & 07777;
        // /var/tmp and its kind keep their bits: 1777 is no 0777.
        if (current & (S_ISVTX | S_ISUID | S_ISGID))
            continue;
        mode_t wanted = current;
        if (change == Share::MakeReadOnly)
            wanted = readOnlyMode;
        else if (change == Share::MakeWritable)
            wanted = writableMode;
        else if (current == readOnlyMode || current == writableMode)
            wanted = usualMode;
        if (wanted != current && ::chmod(path.constData(), wanted) != 0)
            failed << share.path();
    }
    return failed;
}
