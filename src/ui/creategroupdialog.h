#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class CreateUserDialog;
}

class ServerAccounts;

// Creates a service group on the system with "groupadd NAME". Shares the form of the user
// creation; a group has no password, so the security policy button is never shown.
class CreateGroupDialog : public QDialog
{
    Q_OBJECT

public:
    // accounts: the server's, where the group is made.
    CreateGroupDialog(QWidget *parent, ServerAccounts &accounts);
    ~CreateGroupDialog() override;

    // The group made, empty until a creation succeeded.
    QString createdName() const { return m_createdName; }

private:
    void create();

    ServerAccounts &m_accounts;
    QString m_createdName;
    std::unique_ptr<Ui::CreateUserDialog> m_ui;
};
