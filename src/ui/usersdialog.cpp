#include "usersdialog.h"

#include "userdialog.h"

UsersDialog::UsersDialog(SambaUserMap *users, const QStringList &candidates, QWidget *parent,
                         const QString &useraddProgram, const QString &settingsProgram)
    : AccountListDialog(
        users->keys(), candidates, true,
        {tr("No present any free system's user. Please call administrator for entering new one."),
         tr("No user's selected"), tr("Are you sure to delete the user?")},
        parent)
    , m_users(users)
    , m_original(*users)
    , m_useraddProgram(useraddProgram)
    , m_settingsProgram(settingsProgram)
{
}

QString UsersDialog::defaultUseraddProgram()
{
    return UserDialog::defaultUseraddProgram();
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
                      m_useraddProgram, m_settingsProgram);
    runAccountDialog(dialog, m_users);
}
