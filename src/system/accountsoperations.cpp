#include "accountsoperations.h"

#include "backendoperations.h"
#include "serveraccounts.h"
#include "serveraccountscodec.h"

#include <QJsonArray>

namespace {

// A request without arguments.
void readNothing(const QJsonObject &request)
{
    BackendOperations::readRequest(request, [](JsonFieldReader &) {});
}

QString readName(const QJsonObject &request)
{
    QString name;
    BackendOperations::readRequest(
        request, [&](JsonFieldReader &fields) { name = fields.text(QStringLiteral("name")); });
    return name;
}

QJsonObject names(const QStringList &list)
{
    return {{QStringLiteral("names"), QJsonArray::fromStringList(list)}};
}

QJsonObject failures(const SambaAccountFailures &list)
{
    return {{QStringLiteral("failures"), ServerAccountsCodec::encode(list)}};
}

} // namespace

void AccountsOperations::addTo(BackendOperations &operations, ServerAccounts &accounts)
{
    ServerAccounts *const server = &accounts;
    operations.add(QStringLiteral("accounts.systemAccounts"), [server](const QJsonObject &request) {
        readNothing(request);
        return ServerAccountsCodec::encode(server->systemAccounts());
    });
    operations.add(QStringLiteral("accounts.regularAccounts"), [server](const QJsonObject &request) {
        readNothing(request);
        return ServerAccountsCodec::encode(server->regularAccounts());
    });
    operations.add(QStringLiteral("accounts.domainUsers"), [server](const QJsonObject &request) {
        readNothing(request);
        return names(server->domainUsers());
    });
    operations.add(QStringLiteral("accounts.domainGroups"), [server](const QJsonObject &request) {
        readNothing(request);
        return names(server->domainGroups());
    });
    operations.add(QStringLiteral("accounts.sambaUsers"), [server](const QJsonObject &request) {
        readNothing(request);
        return QJsonObject{{QStringLiteral("users"), ServerAccountsCodec::encode(server->sambaUsers())}};
    });
    operations.add(QStringLiteral("accounts.sambaGroups"), [server](const QJsonObject &request) {
        readNothing(request);
        return QJsonObject{{QStringLiteral("groups"), ServerAccountsCodec::encode(server->sambaGroups())}};
    });
    operations.add(QStringLiteral("accounts.saveSambaUsers"), [server](const QJsonObject &request) {
        SambaUserMap current;
        SambaUserMap saved;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            current = ServerAccountsCodec::readUsers(fields, QStringLiteral("current"));
            saved = ServerAccountsCodec::readUsers(fields, QStringLiteral("saved"));
        });
        return failures(server->saveSambaUsers(current, saved));
    });
    operations.add(QStringLiteral("accounts.saveSambaGroups"), [server](const QJsonObject &request) {
        SambaGroupMap current;
        SambaGroupMap saved;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            current = ServerAccountsCodec::readGroups(fields, QStringLiteral("current"));
            saved = ServerAccountsCodec::readGroups(fields, QStringLiteral("saved"));
        });
        return failures(server->saveSambaGroups(current, saved));
    });
    operations.add(QStringLiteral("accounts.createServiceUser"), [server](const QJsonObject &request) {
        return ServerAccountsCodec::encode(server->createServiceUser(readName(request)));
    });
    operations.add(QStringLiteral("accounts.createServiceGroup"), [server](const QJsonObject &request) {
        return ServerAccountsCodec::encode(server->createServiceGroup(readName(request)));
    });
}
