#include "usersdialog.h"

#include "userdialog.h"

#include "ui_usersdialog.h"

#include <QFont>

UsersDialog::UsersDialog(SambaUserMap *users, const QStringList &candidates, QWidget *parent,
                         ServerAccounts &accounts, const QString &settingsProgram)
    : AccountListDialog(
        users->keys(), candidates, true,
        {tr("No present any free system's user. Please call administrator for entering new one."),
         tr("No user's selected"), tr("Are you sure to delete the user?")},
        parent)
    , m_users(users)
    , m_original(*users)
    , m_accounts(accounts)
    , m_settingsProgram(settingsProgram)
{
    // A computer's trust account (PC01$) is no person: marked so that nobody deletes it or gives
    // it a password by mistake, which would break the computer's logon to this server.
    QListWidget *list = form()->listWidgetSambaUsers;
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem *item = list->item(row);
        if (!SambaUser::isMachineAccountName(item->text()))
            continue;
        QFont font = item->font();
        font.setItalic(true);
        item->setFont(font);
        item->setToolTip(machineAccountText());
    }
}

QString UsersDialog::machineAccountText()
{
    return tr("Machine account of a computer");
}

QString UsersDialog::defaultSettingsProgram()
{
    return UserDialog::defaultSettingsProgram();
}

void UsersDialog::reject()
{
    *m_users = m_original;
    AccountListDialog::reject();
}

void UsersDialog::openAccountDialog(const QStringList &names, const QString &edited)
{
    UserDialog dialog(edited.isEmpty() ? SambaUser() : m_users->value(edited), names, candidates(), this,
                      m_accounts, m_settingsProgram);
    runAccountDialog(dialog, m_users);
}
