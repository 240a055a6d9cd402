#pragma once

#include <QList>
#include <QStringList>

class Share;

// Steps of the window's save that work on the share records and the file system, apart
// from the window so they can be tested alone.
class SaveSteps
{
public:
    // Before the file is written: when the guest account changed since the last load or
    // save, the old guest's name leaves every share's valid users ("nobody" stands for
    // "no guest account").
    static void dropOldGuestAccount(const QString &currentGuest, const QString &savedGuest,
                                    QList<Share> &shares);

    // After the file is written: directory modes that follow the share dialog's choices
    // (0555 read-only, 0777 read/write), and 0755 for a directory left at 0555 or 0777
    // by an earlier choice that no longer asks for it. Returns the paths whose mode
    // could not be set.
    static QStringList applyDirectoryPermissions(const QList<Share> &shares);
};
