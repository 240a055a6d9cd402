#include "serveraccounts.h"

SambaAccountFailures ServerAccounts::saveSambaUsers(SambaUserMap &current, const SambaUserMap &saved)
{
    const SambaAccountFailures failures = writeSambaUsers(current, saved);
    // A failed write is reported; the password is not kept for another try either.
    for (SambaUser &user : current) {
        user.setPassword(QString());
        user.setChanged(false);
    }
    return failures;
}

SambaAccountFailures ServerAccounts::saveSambaGroups(SambaGroupMap &current, const SambaGroupMap &saved)
{
    const SambaAccountFailures failures = writeSambaGroups(current, saved);
    for (SambaGroup &group : current)
        group.setChanged(false);
    return failures;
}
