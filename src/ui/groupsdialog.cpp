#include "groupsdialog.h"

#include "groupdialog.h"
#include "ui_usersdialog.h"

GroupsDialog::GroupsDialog(SambaGroupMap *groups, const QStringList &candidates, QWidget *parent,
                           ServerAccounts &accounts)
    : AccountListDialog(
        groups->keys(), candidates, false,
        {tr("No present any free system's group. Please call administrator for entering new one."),
         tr("No group's selected"), tr("Are you sure to delete the group?")},
        parent)
    , m_groups(groups)
    , m_original(*groups)
    , m_accounts(accounts)
{
    form()->pushButtonAddUser->setText(tr("Add group"));
    form()->pushButtonDeleteUser->setText(tr("Delete group"));
}

void GroupsDialog::reject()
{
    *m_groups = m_original;
    AccountListDialog::reject();
}

void GroupsDialog::openAccountDialog(const QStringList &names, const QString &)
{
    // Only additions: a group has nothing to edit.
    GroupDialog dialog(SambaGroup(), names, candidates(), this, m_accounts);
    dialog.setWindowTitle(tr("Add group"));
    runAccountDialog(dialog, m_groups);
}
