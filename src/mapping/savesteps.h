#pragma once

#include "share.h"

#include <QList>
#include <QStringList>

// Steps of a save that work on the share records and the file system beside smb.conf,
// shared by the window and shareward-cli.
class SaveSteps
{
public:
    // Before the file is written: when the guest account changed since the last load or
    // save, the old guest's name leaves every share's valid users ("nobody" stands for
    // "no guest account").
    static void dropOldGuestAccount(const QString &currentGuest, const QString &savedGuest,
                                    QList<Share> &shares);

    // After the file is written: the directory mode changes the share dialogs asked for
    // (0555 read-only; 1777 read/write, everyone may add files and only a file's owner may
    // remove or rename it; 0755 again for a directory still at 0555, at 0777 as older
    // versions set, or at a 1777 set here), and no other. A directory with the set-user-ID or
    // set-group-ID bit, or a sticky one that this tool did not make so (such as /var/tmp),
    // is never changed. The directory is opened without following a link in any component
    // of its path, and the mode checked and changed through that descriptor. The changes
    // asked for are cleared. Returns the paths whose mode could not be set.
    static QStringList applyDirectoryPermissions(QList<Share> &shares);

    // The mode change one share asked for, apart from its record.
    struct ModeRequest
    {
        QString path;
        Share::DirectoryModeChange change = Share::KeepDirectoryMode;
    };
    // The changes the shares ask for, in their order; none for a share that keeps its mode.
    static QList<ModeRequest> modeRequests(const QList<Share> &shares);
    // Forgets the changes the shares ask for: they were done.
    static void clearModeRequests(QList<Share> &shares);
    // applyDirectoryPermissions() on requests: the paths whose mode could not be set.
    static QStringList applyModeRequests(const QList<ModeRequest> &requests);

    // A directory mode the next applyDirectoryPermissions would set.
    struct ModeChange
    {
        QString path;
        int oldMode = 0;
        int newMode = 0;
    };
    // What applyDirectoryPermissions would change, without changing anything; directories
    // that are missing are left out (the save reports them).
    static QList<ModeChange> plannedDirectoryModes(const QList<Share> &shares);
    static QList<ModeChange> plannedModes(const QList<ModeRequest> &requests);
};
