#pragma once

#include "accountdialog.h"
#include "sambagroup.h"

class ServerAccounts;

// Chooses the system group behind a Samba group, on the form of the user dialog without
// its password part. A service group made here with the add button is offered from then
// on, even if the dialog is cancelled: the system group exists either way.
class GroupDialog : public AccountDialog
{
    Q_OBJECT

public:
    // names: the groups offered in the combo box; candidates: every system group that may
    // become a Samba group, extended by the groups created here. accounts goes to the group
    // creation dialog.
    GroupDialog(const SambaGroup &record, const QStringList &names, const QStringList &candidates,
                QWidget *parent, ServerAccounts &accounts);

    // The record as entered, once the dialog was accepted.
    SambaGroup record() const { return m_record; }

public slots:
    void accept() override;

private:
    QString runCreationDialog() override;

    SambaGroup m_record;
    ServerAccounts &m_accounts;
};
