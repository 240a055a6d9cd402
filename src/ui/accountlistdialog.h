#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class UsersDialog;
}

class QListWidgetItem;
class QPoint;

// The list of the Samba accounts of one kind, users or groups, on the form of the users
// dialog: adds a system account from the free candidates, edits one where there is
// something to edit, removes one after a question. The subclass keeps the map, which is
// changed as the commands are made, and opens the dialog of one account.
class AccountListDialog : public QDialog
{
    Q_OBJECT

public:
    ~AccountListDialog() override;

    // With the service accounts created on the way, also after Cancel.
    QStringList candidates() const { return m_candidates; }

protected:
    // The texts of the boxes, in the words of the kind of account.
    struct Texts
    {
        QString noFree;
        QString noneSelected;
        QString deleteQuestion;
    };

    // names: the accounts listed; candidates: the system accounts that may become Samba
    // accounts; editable: whether the edit command is offered.
    AccountListDialog(const QStringList &names, const QStringList &candidates, bool editable,
                      const Texts &texts, QWidget *parent);

    Ui::UsersDialog *form() const { return m_ui.get(); }

    virtual bool contains(const QString &name) const = 0;
    virtual void removeAccount(const QString &name) = 0;
    // Opens the dialog of one account offering names: for the account named edited, or for
    // a new one when edited is empty. Passes the dialog on to runAccountDialog().
    virtual void openAccountDialog(const QStringList &names, const QString &edited) = 0;

    template<typename Dialog, typename Map>
    void runAccountDialog(Dialog &dialog, Map *accounts)
    {
        const bool accepted = dialog.exec() == QDialog::Accepted;
        // Accounts created in the dialog exist on the system even when it was cancelled.
        m_candidates = dialog.candidates();
        if (!accepted)
            return;
        // An account created in the edit dialog and chosen there becomes an account of its
        // own; the edited one stays until it is deleted.
        const auto record = dialog.record();
        accounts->insert(record.name(), record);
        showAccount(record.name());
        enableOk();
    }

private:
    void updateButtons(int row);
    void addAccount();
    void editAccount();
    void deleteAccount();
    void showContextMenu(const QPoint &position);
    // The current item when it names an account; otherwise warns and returns null.
    QListWidgetItem *selectedItem();
    void showAccount(const QString &name);
    void enableOk();

    bool m_editable;
    Texts m_texts;
    QStringList m_candidates;
    std::unique_ptr<Ui::UsersDialog> m_ui;
};
