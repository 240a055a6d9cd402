#pragma once

#include "sambauser.h"

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class UserDialog;
}

// Chooses the system user behind a Samba account and sets its password. A service user
// made here with the add button is offered from then on, even if the dialog is cancelled:
// the system account exists either way.
class UserDialog : public QDialog
{
    Q_OBJECT

public:
    // names: the users offered in the combo box; candidates: every system user that may
    // become a Samba user, extended by the users created here. useraddProgram and
    // settingsProgram go to the user creation dialog (tests substitute them).
    UserDialog(const SambaUser &record, const QStringList &names, const QStringList &candidates,
               QWidget *parent = nullptr, const QString &useraddProgram = defaultUseraddProgram(),
               const QString &settingsProgram = defaultSettingsProgram());
    ~UserDialog() override;

    static QString defaultUseraddProgram();
    static QString defaultSettingsProgram();

    // The record as entered, once the dialog was accepted.
    SambaUser record() const { return m_record; }
    QStringList candidates() const { return m_candidates; }

public slots:
    // Takes the entries when the passwords agree.
    void accept() override;

private:
    void enableOk();
    void showPassword(bool shown);
    void createUser();

    SambaUser m_record;
    QStringList m_names;
    QStringList m_candidates;
    QString m_useraddProgram;
    QString m_settingsProgram;
    std::unique_ptr<Ui::UserDialog> m_ui;
};
