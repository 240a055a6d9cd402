#include "serveraccountscodec.h"

#include <stdexcept>
#include <string>

namespace {

QJsonValue textValue(const QString &text)
{
    return text.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

// SambaAccountFailure::Operation by name, in its order.
QStringList operationNames()
{
    return {QStringLiteral("add-user"), QStringLiteral("delete-user"), QStringLiteral("add-group"),
            QStringLiteral("delete-group"), QStringLiteral("set-password")};
}

} // namespace

QJsonObject ServerAccountsCodec::encode(const SambaUserMap &users)
{
    QJsonObject object;
    for (auto it = users.begin(); it != users.end(); ++it) {
        object.insert(it.key(),
                      QJsonObject{
                          {QStringLiteral("name"), textValue(it->name())},
                          {QStringLiteral("password"), textValue(it->password())},
                          {QStringLiteral("changed"), it->changed()},
                      });
    }
    return object;
}

QJsonObject ServerAccountsCodec::encode(const SambaGroupMap &groups)
{
    QJsonObject object;
    for (auto it = groups.begin(); it != groups.end(); ++it) {
        object.insert(it.key(),
                      QJsonObject{
                          {QStringLiteral("name"), textValue(it->name())},
                          {QStringLiteral("changed"), it->changed()},
                      });
    }
    return object;
}

QJsonObject ServerAccountsCodec::encode(const ServerAccounts::SystemAccounts &accounts)
{
    return {
        {QStringLiteral("users"), QJsonArray::fromStringList(accounts.users)},
        {QStringLiteral("groups"), QJsonArray::fromStringList(accounts.groups)},
        {QStringLiteral("guests"), QJsonArray::fromStringList(accounts.guests)},
    };
}

QJsonObject ServerAccountsCodec::encode(const ServerAccounts::RegularAccounts &accounts)
{
    return {
        {QStringLiteral("users"), QJsonArray::fromStringList(accounts.users)},
        {QStringLiteral("groups"), QJsonArray::fromStringList(accounts.groups)},
    };
}

QJsonObject ServerAccountsCodec::encode(const ServerAccounts::Creation &creation)
{
    return {
        {QStringLiteral("succeeded"), creation.succeeded},
        {QStringLiteral("errorText"), creation.errorText},
    };
}

QJsonArray ServerAccountsCodec::encode(const SambaAccountFailures &failures)
{
    const QStringList names = operationNames();
    QJsonArray array;
    for (const SambaAccountFailure &failure : failures) {
        if (failure.operation() < 0 || failure.operation() >= names.size())
            throw std::logic_error("ServerAccountsCodec: an operation outside its enumeration: "
                                   + std::to_string(int(failure.operation())));
        array.append(QJsonObject{
            {QStringLiteral("account"), failure.account()},
            {QStringLiteral("operation"), names.at(failure.operation())},
            {QStringLiteral("message"), failure.message()},
        });
    }
    return array;
}

SambaUserMap ServerAccountsCodec::readUsers(JsonFieldReader &fields, const QString &key)
{
    SambaUserMap users;
    for (auto &[name, userFields] : fields.members(key)) {
        SambaUser user(userFields.textOrNull(QStringLiteral("name")));
        user.setPassword(userFields.textOrNull(QStringLiteral("password")));
        // Last: the setters mark the account changed.
        user.setChanged(userFields.flag(QStringLiteral("changed")));
        userFields.finish();
        users.insert(name, user);
    }
    return users;
}

SambaGroupMap ServerAccountsCodec::readGroups(JsonFieldReader &fields, const QString &key)
{
    SambaGroupMap groups;
    for (auto &[name, groupFields] : fields.members(key)) {
        SambaGroup group(groupFields.textOrNull(QStringLiteral("name")));
        group.setChanged(groupFields.flag(QStringLiteral("changed")));
        groupFields.finish();
        groups.insert(name, group);
    }
    return groups;
}

ServerAccounts::SystemAccounts ServerAccountsCodec::readSystemAccounts(JsonFieldReader &fields)
{
    ServerAccounts::SystemAccounts accounts;
    accounts.users = fields.texts(QStringLiteral("users"));
    accounts.groups = fields.texts(QStringLiteral("groups"));
    accounts.guests = fields.texts(QStringLiteral("guests"));
    return accounts;
}

ServerAccounts::RegularAccounts ServerAccountsCodec::readRegularAccounts(JsonFieldReader &fields)
{
    ServerAccounts::RegularAccounts accounts;
    accounts.users = fields.texts(QStringLiteral("users"));
    accounts.groups = fields.texts(QStringLiteral("groups"));
    return accounts;
}

ServerAccounts::Creation ServerAccountsCodec::readCreation(JsonFieldReader &fields)
{
    ServerAccounts::Creation creation;
    creation.succeeded = fields.flag(QStringLiteral("succeeded"));
    creation.errorText = fields.text(QStringLiteral("errorText"));
    return creation;
}

SambaAccountFailures ServerAccountsCodec::readFailures(JsonFieldReader &fields, const QString &key)
{
    SambaAccountFailures failures;
    for (JsonFieldReader &failureFields : fields.objects(key)) {
        SambaAccountFailure failure;
        failure.setAccount(failureFields.text(QStringLiteral("account")));
        failure.setOperation(SambaAccountFailure::Operation(
            failureFields.choice(QStringLiteral("operation"), operationNames())));
        failure.setMessage(failureFields.text(QStringLiteral("message")));
        failureFields.finish();
        failures.append(failure);
    }
    return failures;
}
