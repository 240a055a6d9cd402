#pragma once

#include "jsonfieldreader.h"
#include "serveraccounts.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// What ServerAccounts takes and gives, as JSON for the window and its backend: Samba's users
// and groups by name (a user with its password, which travels only inside a save request),
// the lists of system accounts, the outcome of creating a service account and the failures of
// a save, each operation by name ("add-user"). A null name or password stays null.
//
// Reading takes what another process sent: a field missing, of the wrong type or unknown, or
// an unknown operation throws JsonFieldReader::Error (a std::runtime_error) with a sentence
// naming the field and never quoting a password. The readers of records take the field key of
// fields; those of a structure take the fields themselves, as a reply carries them.
class ServerAccountsCodec
{
public:
    static QJsonObject encode(const SambaUserMap &users);
    static QJsonObject encode(const SambaGroupMap &groups);
    static QJsonObject encode(const ServerAccounts::SystemAccounts &accounts);
    static QJsonObject encode(const ServerAccounts::RegularAccounts &accounts);
    static QJsonObject encode(const ServerAccounts::Creation &creation);
    static QJsonArray encode(const SambaAccountFailures &failures);

    static SambaUserMap readUsers(JsonFieldReader &fields, const QString &key);
    static SambaGroupMap readGroups(JsonFieldReader &fields, const QString &key);
    static ServerAccounts::SystemAccounts readSystemAccounts(JsonFieldReader &fields);
    static ServerAccounts::RegularAccounts readRegularAccounts(JsonFieldReader &fields);
    static ServerAccounts::Creation readCreation(JsonFieldReader &fields);
    static SambaAccountFailures readFailures(JsonFieldReader &fields, const QString &key);
};
