#pragma once

#include "sambaaccountfailure.h"
#include "sambagroup.h"
#include "sambauser.h"

#include <QString>
#include <QStringList>

// The window's way to the accounts of its server: Samba's users and groups, and the system's
// and the domain's accounts its dialogs offer. Every call is one request a backend process
// answers alone: values in, values out; a listing that fails throws std::runtime_error with a
// sentence for people, a change reports its failure in its result. Passwords travel inside
// the records, never on a command line. Calls may come from worker threads, one at a time per
// thread; an implementation lets them take turns.
class ServerAccounts
{
public:
    // The system's accounts of services (ids below 2500) and the accounts fit to be the guest
    // account (SambaAccountStore::listSystemUsers() and the rest).
    struct SystemAccounts
    {
        QStringList users;
        QStringList groups;
        QStringList guests;
    };
    // The system's accounts of people (ids from 2500 on), offered in the share dialog.
    struct RegularAccounts
    {
        QStringList users;
        QStringList groups;
    };
    // How the creation of a service account ended; errorText is empty on success and for a
    // program that failed without a word.
    struct Creation
    {
        bool succeeded = false;
        QString errorText;
    };

    virtual ~ServerAccounts() = default;

    virtual SystemAccounts systemAccounts() = 0;
    virtual RegularAccounts regularAccounts() = 0;
    // The domain's users and groups (wbinfo); empty when winbindd does not answer.
    virtual QStringList domainUsers() = 0;
    virtual QStringList domainGroups() = 0;
    // Samba's users (without passwords) and groups; throw when they cannot be listed.
    virtual SambaUserMap sambaUsers() = 0;
    virtual SambaGroupMap sambaGroups() = 0;

    // Writes the users edited since saved was loaded or saved (SambaAccountStore::
    // syncSambaUsers), then leaves every user of current unchanged and without a password:
    // a password is kept no longer than the save. Returns what failed, in the order it ran.
    SambaAccountFailures saveSambaUsers(SambaUserMap &current, const SambaUserMap &saved);
    // The same for the groups.
    SambaAccountFailures saveSambaGroups(SambaGroupMap &current, const SambaGroupMap &saved);

    // "useradd -M -N NAME": a service user, without home directory or group of its own.
    virtual Creation createServiceUser(const QString &name) = 0;
    // "groupadd NAME".
    virtual Creation createServiceGroup(const QString &name) = 0;

protected:
    // The requests of the saves: they write, and leave forgetting the passwords to the caller.
    virtual SambaAccountFailures writeSambaUsers(const SambaUserMap &current, const SambaUserMap &saved) = 0;
    virtual SambaAccountFailures writeSambaGroups(const SambaGroupMap &current,
                                                  const SambaGroupMap &saved) = 0;
};
