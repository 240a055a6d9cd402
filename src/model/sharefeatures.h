#pragma once

#include <QString>

class Share;

// The features the share dialog's Features tab and shareward-cli turn on and off as a whole:
// a recycle bin, Apple clients with Time Machine, and previous versions from snapshots. Each
// adds or removes its VFS modules and the options it owns; options of the modules that it
// does not own are kept while the module stays. Turning on what is on changes nothing.
namespace ShareFeatures {

bool recycleBin(const Share &share);
// On: the recycle module, with RecycleBin::suggestedRepository() and keeptree, unless it is
// there already (then its options stay). Off: the module and its options go.
void setRecycleBin(Share &share, bool on);

// catia, fruit and streams_xattr all present.
bool appleClients(const Share &share);
// On: adds those of the three that are missing. Off, when all three are there: removes them
// with fruit's options; a streams_xattr or catia alone serves something else and stays.
void setAppleClients(Share &share, bool on);
bool timeMachine(const Share &share);
// On: Apple clients on, "fruit:time machine = yes" and the maximum size (empty: none).
// Off: the Time Machine options go; Apple clients stay.
void setTimeMachine(Share &share, bool on, const QString &maxSize = QString());

enum class PreviousVersions {
    None,
    // btrfs snapshots made by snapper (.snapshots/N/snapshot): the snapper module, which asks
    // snapperd over D-Bus for them (vfs_snapper(8)). shadow_copy2 finds a snapshot by the
    // time in its directory's name, and snapper's are numbered. The share's path needs a
    // snapper configuration whose ALLOW_USERS or ALLOW_GROUPS admit the share's users.
    Snapper,
    // shadow_copy2 on .zfs/snapshot with zfs-auto-snapshot's names, in local time, newest
    // first.
    Zfs,
    // shadow_copy2 with a snapshot directory and name format of the administrator's.
    Custom,
};
// With shadow_copy2: the preset whose options it has, Custom for any other. Snapper with the
// snapper module alone; None without either module.
PreviousVersions previousVersions(const Share &share);
// None removes shadow_copy2 with its options, and snapper. Snapper puts the snapper module in
// shadow_copy2's place. Zfs sets the options of its preset. Custom sets snapDir and format as
// given (empty: unset, Samba's default), and leaving Zfs removes the options only it needs.
void setPreviousVersions(Share &share, PreviousVersions preset, const QString &snapDir = QString(),
                         const QString &format = QString());

} // namespace ShareFeatures
