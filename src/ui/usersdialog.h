#pragma once

#include "sambauser.h"

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class UsersDialog;
}

class QPoint;

// The Samba accounts: adds a system user as Samba user, sets a password, removes an
// account. Changes go into the map as they are made; Cancel puts the map back as it was
// when the dialog opened.
class UsersDialog : public QDialog
{
    Q_OBJECT

public:
    // candidates: the system users that may become Samba users. useraddProgram and
    // settingsProgram reach the user creation dialog (tests substitute them).
    UsersDialog(SambaUserMap *users, const QStringList &candidates, QWidget *parent = nullptr,
                const QString &useraddProgram = defaultUseraddProgram(),
                const QString &settingsProgram = defaultSettingsProgram());
    ~UsersDialog() override;

    static QString defaultUseraddProgram();
    static QString defaultSettingsProgram();

    // With the service users created on the way, also after Cancel.
    QStringList candidates() const { return m_candidates; }

public slots:
    void reject() override;

private:
    void updateButtons(int row);
    void addUser();
    void editUser();
    void deleteUser();
    void showContextMenu(const QPoint &position);
    void showUser(const QString &name);
    void enableOk();

    SambaUserMap *m_users;
    SambaUserMap m_original;
    QStringList m_candidates;
    QString m_useraddProgram;
    QString m_settingsProgram;
    std::unique_ptr<Ui::UsersDialog> m_ui;
};
