#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class UserDialog;
}

// One Samba account, user or group, on the form of the user dialog: chooses the system
// account behind it. A service account made here with the add button is offered from then
// on, even if the dialog is cancelled: the system account exists either way. The subclass
// keeps the record and fills in the rest of the form.
class AccountDialog : public QDialog
{
    Q_OBJECT

public:
    ~AccountDialog() override;

    QStringList candidates() const { return m_candidates; }

protected:
    // names: the accounts offered in the combo box; candidates: every system account that
    // may become a Samba account, extended by the accounts created here.
    AccountDialog(const QStringList &names, const QStringList &candidates, QWidget *parent);

    Ui::UserDialog *form() const { return m_ui.get(); }
    void enableOk();

    // Runs the creation dialog of the kind of account: the name of the account made, or
    // an empty string.
    virtual QString runCreationDialog() = 0;

private:
    void createAccount();

    QStringList m_candidates;
    std::unique_ptr<Ui::UserDialog> m_ui;
};
