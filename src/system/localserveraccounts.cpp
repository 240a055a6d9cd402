#include "localserveraccounts.h"

#include "systemaccountcommand.h"

#include <mutex>

namespace {

// getpwent and getgrent walk databases shared by the whole process.
std::mutex s_accountDatabases;

} // namespace

LocalServerAccounts::LocalServerAccounts(const SambaAccountStore &store, const QString &useradd,
                                         const QString &groupadd)
    : m_store(store)
    , m_useradd(useradd)
    , m_groupadd(groupadd)
{
}

void LocalServerAccounts::setTimeLimit(int milliseconds)
{
    m_store.setTimeLimit(milliseconds);
    m_timeLimitMs = milliseconds;
}

ServerAccounts::SystemAccounts LocalServerAccounts::systemAccounts()
{
    const std::lock_guard<std::mutex> lock(s_accountDatabases);
    return {SambaAccountStore::listSystemUsers(), SambaAccountStore::listSystemGroups(),
            SambaAccountStore::listGuestAccounts()};
}

ServerAccounts::RegularAccounts LocalServerAccounts::regularAccounts()
{
    const std::lock_guard<std::mutex> lock(s_accountDatabases);
    return {SambaAccountStore::listRegularUsers(), SambaAccountStore::listRegularGroups()};
}

QStringList LocalServerAccounts::domainUsers()
{
    return m_store.listDomainUsers();
}

QStringList LocalServerAccounts::domainGroups()
{
    return m_store.listDomainGroups();
}

SambaUserMap LocalServerAccounts::sambaUsers()
{
    return m_store.loadSambaUsers();
}

SambaGroupMap LocalServerAccounts::sambaGroups()
{
    return m_store.loadSambaGroups();
}

SambaAccountFailures LocalServerAccounts::writeSambaUsers(const SambaUserMap &current,
                                                          const SambaUserMap &saved)
{
    SambaUserMap written = current;
    return m_store.syncSambaUsers(written, saved);
}

SambaAccountFailures LocalServerAccounts::writeSambaGroups(const SambaGroupMap &current,
                                                           const SambaGroupMap &saved)
{
    SambaGroupMap written = current;
    return m_store.syncSambaGroups(written, saved);
}

ServerAccounts::Creation LocalServerAccounts::createServiceUser(const QString &name)
{
    return create(m_useradd, {QStringLiteral("-M"), QStringLiteral("-N")}, name);
}

ServerAccounts::Creation LocalServerAccounts::createServiceGroup(const QString &name)
{
    return create(m_groupadd, {}, name);
}

ServerAccounts::Creation LocalServerAccounts::create(const QString &program, const QStringList &options,
                                                     const QString &name) const
{
    const ProcessResult result = SystemAccountCommand::run(
        program, options, name, m_timeLimitMs > 0 ? m_timeLimitMs : SystemAccountCommand::DefaultTimeLimitMs);
    return {result.succeeded(), SystemAccountCommand::failureText(result)};
}
