#pragma once

#include "accountdialog.h"
#include "sambauser.h"

class ServerAccounts;

// Chooses the system user behind a Samba account and sets its password. The password fields
// open empty and, left empty, keep the password of an existing account; a new one needs a
// password. A service user made here with the add button is offered from then on, even if
// the dialog is cancelled: the system account exists either way.
class UserDialog : public AccountDialog
{
    Q_OBJECT

public:
    // names: the users offered in the combo box; candidates: every system user that may
    // become a Samba user, extended by the users created here. accounts and settingsProgram
    // go to the user creation dialog (tests substitute them).
    UserDialog(const SambaUser &record, const QStringList &names, const QStringList &candidates,
               QWidget *parent, ServerAccounts &accounts,
               const QString &settingsProgram = defaultSettingsProgram());

    static QString defaultSettingsProgram();

    // The record as entered, once the dialog was accepted.
    SambaUser record() const { return m_record; }

public slots:
    // Takes the entries when the passwords agree and a new account has a password.
    void accept() override;

private:
    void showPassword(bool shown);
    QString runCreationDialog() override;

    SambaUser m_record;
    ServerAccounts &m_accounts;
    QString m_settingsProgram;
};
