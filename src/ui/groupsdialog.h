#pragma once

#include "accountlistdialog.h"
#include "sambagroup.h"

class ServerAccounts;

// The Samba groups, on the form of the users dialog: adds a system group as Samba group
// or removes one; a group has nothing to edit. Changes go into the map as they are made;
// Cancel puts the map back as it was when the dialog opened.
class GroupsDialog : public AccountListDialog
{
    Q_OBJECT

public:
    // candidates: the system groups that may become Samba groups. accounts reaches the group
    // creation dialog.
    GroupsDialog(SambaGroupMap *groups, const QStringList &candidates, QWidget *parent,
                 ServerAccounts &accounts);

public slots:
    void reject() override;

private:
    bool contains(const QString &name) const override { return m_groups->contains(name); }
    void removeAccount(const QString &name) override { m_groups->remove(name); }
    void openAccountDialog(const QStringList &names, const QString &edited) override;

    SambaGroupMap *m_groups;
    SambaGroupMap m_original;
    ServerAccounts &m_accounts;
};
