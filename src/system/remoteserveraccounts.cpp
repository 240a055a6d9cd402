#include "remoteserveraccounts.h"

#include "remotecall.h"
#include "sambaaccountstore.h"
#include "serveraccountscodec.h"

namespace {

// The failures of a save that did not reach the server: every write it would have made.
SambaAccountFailures unwritten(const QList<SambaAccountStore::AccountWrite> &writes, const QString &message)
{
    SambaAccountFailures failures;
    for (const SambaAccountStore::AccountWrite &write : writes)
        failures.append(SambaAccountFailure(write.account, write.operation, message));
    return failures;
}

} // namespace

RemoteServerAccounts::RemoteServerAccounts(BackendConnection &connection)
    : m_connection(connection)
{
}

ServerAccounts::SystemAccounts RemoteServerAccounts::systemAccounts()
{
    SystemAccounts accounts;
    RemoteCall::ask(m_connection, QStringLiteral("accounts.systemAccounts"), {}, [&](JsonFieldReader &reply) {
        accounts = ServerAccountsCodec::readSystemAccounts(reply);
    });
    return accounts;
}

ServerAccounts::RegularAccounts RemoteServerAccounts::regularAccounts()
{
    RegularAccounts accounts;
    RemoteCall::ask(
        m_connection, QStringLiteral("accounts.regularAccounts"), {},
        [&](JsonFieldReader &reply) { accounts = ServerAccountsCodec::readRegularAccounts(reply); });
    return accounts;
}

QStringList RemoteServerAccounts::domainUsers()
{
    return names(QStringLiteral("accounts.domainUsers"));
}

QStringList RemoteServerAccounts::domainGroups()
{
    return names(QStringLiteral("accounts.domainGroups"));
}

QStringList RemoteServerAccounts::names(const QString &op)
{
    QStringList list;
    RemoteCall::ask(m_connection, op, {},
                    [&](JsonFieldReader &reply) { list = reply.texts(QStringLiteral("names")); });
    return list;
}

SambaUserMap RemoteServerAccounts::sambaUsers()
{
    SambaUserMap users;
    RemoteCall::ask(m_connection, QStringLiteral("accounts.sambaUsers"), {}, [&](JsonFieldReader &reply) {
        users = ServerAccountsCodec::readUsers(reply, QStringLiteral("users"));
    });
    return users;
}

SambaGroupMap RemoteServerAccounts::sambaGroups()
{
    SambaGroupMap groups;
    RemoteCall::ask(m_connection, QStringLiteral("accounts.sambaGroups"), {}, [&](JsonFieldReader &reply) {
        groups = ServerAccountsCodec::readGroups(reply, QStringLiteral("groups"));
    });
    return groups;
}

SambaAccountFailures RemoteServerAccounts::writeSambaUsers(const SambaUserMap &current,
                                                           const SambaUserMap &saved)
{
    SambaAccountFailures failures;
    try {
        RemoteCall::ask(m_connection, QStringLiteral("accounts.saveSambaUsers"),
                        {{QStringLiteral("current"), ServerAccountsCodec::encode(current)},
                         {QStringLiteral("saved"), ServerAccountsCodec::encode(saved)}},
                        [&](JsonFieldReader &reply) {
                            failures = ServerAccountsCodec::readFailures(reply, QStringLiteral("failures"));
                        });
    } catch (const BackendConnection::Failure &failure) {
        // Whether the backend wrote some before it was lost is not known: each is reported.
        return unwritten(SambaAccountStore::userWrites(current, saved), failure.message());
    }
    return failures;
}

SambaAccountFailures RemoteServerAccounts::writeSambaGroups(const SambaGroupMap &current,
                                                            const SambaGroupMap &saved)
{
    SambaAccountFailures failures;
    try {
        RemoteCall::ask(m_connection, QStringLiteral("accounts.saveSambaGroups"),
                        {{QStringLiteral("current"), ServerAccountsCodec::encode(current)},
                         {QStringLiteral("saved"), ServerAccountsCodec::encode(saved)}},
                        [&](JsonFieldReader &reply) {
                            failures = ServerAccountsCodec::readFailures(reply, QStringLiteral("failures"));
                        });
    } catch (const BackendConnection::Failure &failure) {
        return unwritten(SambaAccountStore::groupWrites(current, saved), failure.message());
    }
    return failures;
}

ServerAccounts::Creation RemoteServerAccounts::createServiceUser(const QString &name)
{
    return create(QStringLiteral("accounts.createServiceUser"), name);
}

ServerAccounts::Creation RemoteServerAccounts::createServiceGroup(const QString &name)
{
    return create(QStringLiteral("accounts.createServiceGroup"), name);
}

ServerAccounts::Creation RemoteServerAccounts::create(const QString &op, const QString &name)
{
    Creation creation;
    try {
        RemoteCall::ask(m_connection, op, {{QStringLiteral("name"), name}},
                        [&](JsonFieldReader &reply) { creation = ServerAccountsCodec::readCreation(reply); });
    } catch (const BackendConnection::Failure &failure) {
        return {false, failure.message()};
    }
    return creation;
}
