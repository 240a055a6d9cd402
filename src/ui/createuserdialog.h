#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class CreateUserDialog;
}

class ServerAccounts;

// Creates a service user on the system: "useradd -M -N NAME", no home directory and no
// group of its own. Logging in needs a password, which is set in the desktop's user
// accounts settings, reachable from here when KDE's or GNOME's settings are installed.
class CreateUserDialog : public QDialog
{
    Q_OBJECT

public:
    // accounts: the server's, where the user is made; settingsProgram: the desktop settings
    // (UserSettingsProgram), whose button is hidden when the program is not installed, a
    // parameter so that tests can substitute it.
    CreateUserDialog(QWidget *parent, ServerAccounts &accounts,
                     const QString &settingsProgram = defaultSettingsProgram());
    ~CreateUserDialog() override;
    // KDE's systemsettings or GNOME's gnome-control-center found through PATH, else empty.
    static QString defaultSettingsProgram();

    // The user made, empty until a creation succeeded.
    QString createdName() const { return m_createdName; }

private:
    void create();
    void openUserSettings();

    ServerAccounts &m_accounts;
    QString m_settingsProgram;
    QString m_createdName;
    std::unique_ptr<Ui::CreateUserDialog> m_ui;
};
