#pragma once

#include "sambaaccountstore.h"
#include "serveraccounts.h"
#include "systemprograms.h"

// ServerAccounts on this machine: the account store's programs and databases, and useradd
// and groupadd (SystemAccountCommand). Each call runs its own programs; only the system's
// account databases are read one call at a time, as getpwent and getgrent may not run twice
// at once.
class LocalServerAccounts : public ServerAccounts
{
public:
    explicit LocalServerAccounts(const SambaAccountStore &store = SambaAccountStore(),
                                 const QString &useradd = SystemPrograms::useradd(),
                                 const QString &groupadd = SystemPrograms::groupadd());

    // One time limit for every program instead of the defaults; tests shorten it.
    void setTimeLimit(int milliseconds);

    SystemAccounts systemAccounts() override;
    RegularAccounts regularAccounts() override;
    QStringList domainUsers() override;
    QStringList domainGroups() override;
    SambaUserMap sambaUsers() override;
    SambaGroupMap sambaGroups() override;
    Creation createServiceUser(const QString &name) override;
    Creation createServiceGroup(const QString &name) override;

protected:
    SambaAccountFailures writeSambaUsers(const SambaUserMap &current, const SambaUserMap &saved) override;
    SambaAccountFailures writeSambaGroups(const SambaGroupMap &current, const SambaGroupMap &saved) override;

private:
    Creation create(const QString &program, const QStringList &options, const QString &name) const;

    SambaAccountStore m_store;
    QString m_useradd;
    QString m_groupadd;
    // 0: SystemAccountCommand's default.
    int m_timeLimitMs = 0;
};
