#pragma once

#include "serveraccounts.h"

class BackendConnection;

// ServerAccounts of a server reached through its backend: each call is one request
// "accounts.<method>" on a connection shared with the server's other remote interfaces.
// When the backend is lost or refuses the request, a listing throws BackendConnection::Failure
// (a std::runtime_error) with the sentence; a save reports it as the failure of every account
// it would have written, and a creation as its error text.
class RemoteServerAccounts : public ServerAccounts
{
public:
    // connection must stay open as long as this is used.
    explicit RemoteServerAccounts(BackendConnection &connection);

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
    QStringList names(const QString &op);
    Creation create(const QString &op, const QString &name);

    BackendConnection &m_connection;
};
