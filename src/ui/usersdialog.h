#pragma once

#include "accountlistdialog.h"
#include "sambauser.h"

class ServerAccounts;

// The Samba accounts: adds a system user as Samba user, sets a password, removes an
// account. Changes go into the map as they are made; Cancel puts the map back as it was
// when the dialog opened.
class UsersDialog : public AccountListDialog
{
    Q_OBJECT

public:
    // candidates: the system users that may become Samba users. accounts and settingsProgram
    // reach the user creation dialog (tests substitute them).
    UsersDialog(SambaUserMap *users, const QStringList &candidates, QWidget *parent, ServerAccounts &accounts,
                const QString &settingsProgram = defaultSettingsProgram());

    static QString defaultSettingsProgram();
    // The tooltip of a machine account in the list.
    static QString machineAccountText();

public slots:
    void reject() override;

private:
    bool contains(const QString &name) const override { return m_users->contains(name); }
    void removeAccount(const QString &name) override { m_users->remove(name); }
    void openAccountDialog(const QStringList &names, const QString &edited) override;

    SambaUserMap *m_users;
    SambaUserMap m_original;
    ServerAccounts &m_accounts;
    QString m_settingsProgram;
};
