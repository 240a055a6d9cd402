#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class ConfigDialog;
}

class QCloseEvent;
class SambaSettings;
class VfsModuleInventory;

// The server-wide settings: workgroup, server description, authentication mode and
// realm, guest account, password encryption, the settings for macOS clients and the ACL
// settings of [global], and whether the printers share should exist. The settings are
// written only when Ok passes the checks; Cancel leaves them as they were.
class ConfigDialog : public QDialog
{
    Q_OBJECT

public:
    // sharePrinters: whether the printers share exists now.
    ConfigDialog(SambaSettings *settings, bool sharePrinters, QWidget *parent = nullptr);
    ~ConfigDialog() override;

    // The administrator's choice about the printers share.
    bool sharePrinters() const;
    // Disables the controls of modules this Samba lacks, except those [global] uses;
    // without a call every module counts as installed.
    void setInstalledModules(const VfsModuleInventory &inventory);
    // The accounts offered as the guest account besides Samba's default and the one smb.conf
    // names; without a call only those two.
    void setGuestAccounts(const QStringList &accounts);

public slots:
    void accept() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void connectForm();
    void fillForm(bool sharePrinters);
    void fillGuestAccounts(const QStringList &accounts);
    void enableOk();
    void updateRealmEnabled(const QString &mode);
    void upperCaseRealm(const QString &text);
    void updateUnsafe(int encryptIndex);

    bool validate();
    bool refuseUnsafeText();
    void focusField(int tab, QWidget *field);
    void writeBack();
    void writeMacOsSettings();

    SambaSettings *m_settings;
    std::unique_ptr<Ui::ConfigDialog> m_ui;
    QString m_shownGuestAccount; // the guest account shown when the form was filled
    bool m_macOsAtOpen = false;
};
