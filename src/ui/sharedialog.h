#pragma once

#include <QDialog>
#include <QSet>
#include <QString>

#include <memory>

namespace Ui {
class ShareDialog;
}

class AuditOperationModel;
class QGroupBox;
class QListWidget;
class QPushButton;
class QRadioButton;
class SambaSettings;
class ServerFiles;
class Share;
class VfsModuleInventory;

// Creates or edits one share: directory, name and description, who may use it, the
// create mask, auditing, ACLs and the features of the Features tab. The record is
// rewritten from the form only when Ok passes the checks; Cancel leaves it as it was. The
// [global] record of the settings changes only when the administrator agrees to add the
// Apple modules there, and only with Ok.
class ShareDialog : public QDialog
{
    Q_OBJECT

public:
    // The system's own users and groups offered beside the Samba ones; the caller reads them.
    struct Accounts
    {
        QStringList users;
        QStringList groups;
    };

    // existingNames: the lower-cased names of all shares, the edited one included; files: the
    // server's, where the share's directory is, which must outlive the dialog.
    ShareDialog(Share &share, SambaSettings &settings, const QSet<QString> &existingNames, ServerFiles &files,
                const Accounts &accounts = {}, QWidget *parent = nullptr);
    ~ShareDialog() override;

    // Disables the controls of modules this Samba lacks, except those the share uses;
    // without a call every module counts as installed.
    void setInstalledModules(const VfsModuleInventory &inventory);

    AuditOperationModel *operationModel() const { return m_operations; }

public slots:
    void accept() override;
    // Opens the directory chooser.
    void chooseDirectory();
    // Takes a chosen directory, naming the share after it while the name was not typed.
    void setDirectory(const QString &directory);

private:
    // The widgets of one page of the access tabs: users (0) or groups (1).
    struct AccessPage
    {
        QGroupBox *availableBox;
        QListWidget *available;
        QGroupBox *chosenBox;
        QListWidget *chosen;
        QPushButton *add;
        QPushButton *addCustom;
        QPushButton *remove;
        QPushButton *addAll;
        QPushButton *removeAll;
        QString customTitle;
        QString customLabel;
    };

    AccessPage page(int index) const;
    AccessPage currentPage() const;
    static void setPageEnabled(const AccessPage &page, bool enabled);
    static void updateButtons(const AccessPage &page);
    static void moveInto(QListWidget *from, const QStringList &names, QListWidget *to);

    void fillLists(const Accounts &accounts);
    void setAccessMode();
    // The checked choice of the user access.
    QRadioButton *userAccess() const;
    void fillAudit();
    void connectForm();
    void listChanged(const AccessPage &page);

    void addSelected();
    void removeSelected();
    void addAll();
    void removeAll();
    void addCustom();
    void addOperation();
    void removeOperation();
    void updateAuditEnabling();
    void updateSyslogEnabling();
    void updateRemoveOperation();
    void enableOk();

    bool validate();
    // Whether the directory of the path can be used: it exists, or, for a path Samba
    // completes per connection, the part before the first '%' exists; for an existing
    // share whose unchanged directory is missing now, the administrator may keep it.
    bool acceptDirectory(const QString &directory);
    void updatePathHint();
    bool refuseUnsafeText();
    void focusField(int tab, QWidget *field);
    void writeBack();
    void writeAccess();

    Share &m_share;
    SambaSettings &m_settings;
    QSet<QString> m_existingNames;
    ServerFiles &m_files;
    AuditOperationModel *m_operations;
    bool m_autoName = false;
    // The directory box and the access as the dialog opened: a mode change is asked
    // for only when Ok comes with a change of them.
    bool m_managedAtOpen = false;
    bool m_readOnlyAtOpen = true;
    // The access as the dialog showed it: Ok changes the record's only when it changed.
    QRadioButton *m_userAccessAtOpen = nullptr;
    QStringList m_usersAtOpen;
    bool m_groupAccessAtOpen = false;
    QStringList m_groupsAtOpen;
    std::unique_ptr<Ui::ShareDialog> m_ui;
};
