#include "userdialog.h"

#include "createuserdialog.h"
#include "ui_userdialog.h"

#include <QMessageBox>

UserDialog::UserDialog(const SambaUser &record, const QStringList &names, const QStringList &candidates,
                       QWidget *parent, ServerAccounts &accounts, const QString &settingsProgram)
    : AccountDialog(names, candidates, parent)
    , m_record(record)
    , m_accounts(accounts)
    , m_settingsProgram(settingsProgram)
{
    // The fields start empty, also for an account whose password was entered but not saved yet:
    // a password is never shown again. Left empty, they keep the account's password.
    if (!m_record.name().isEmpty()) {
        for (QLineEdit *field : {form()->lineEditPassword, form()->lineEditPasswordConfirmation})
            field->setPlaceholderText(tr("unchanged"));
        enableOk();
    }

    // Connected after filling, so that only the administrator's changes enable Ok.
    connect(form()->comboBoxUserName, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &UserDialog::enableOk);
    connect(form()->lineEditPassword, &QLineEdit::textChanged, this, &UserDialog::enableOk);
    connect(form()->lineEditPasswordConfirmation, &QLineEdit::textChanged, this, &UserDialog::enableOk);
    connect(form()->checkBoxShowPassword, &QCheckBox::toggled, this, &UserDialog::showPassword);
}

QString UserDialog::defaultSettingsProgram()
{
    return CreateUserDialog::defaultSettingsProgram();
}

void UserDialog::showPassword(bool shown)
{
    const QLineEdit::EchoMode mode = shown ? QLineEdit::Normal : QLineEdit::Password;
    form()->lineEditPassword->setEchoMode(mode);
    form()->lineEditPasswordConfirmation->setEchoMode(mode);
}

QString UserDialog::runCreationDialog()
{
    CreateUserDialog dialog(this, m_accounts, m_settingsProgram);
    return dialog.exec() == QDialog::Accepted ? dialog.createdName() : QString();
}

void UserDialog::accept()
{
    // A password shown in clear text was read while typed; it needs no confirmation.
    if (!form()->checkBoxShowPassword->isChecked()
        && form()->lineEditPassword->text() != form()->lineEditPasswordConfirmation->text()) {
        QMessageBox::warning(this, tr("Warning"), tr("Password no matching... Enter again..."));
        form()->lineEditPasswordConfirmation->clear();
        form()->lineEditPasswordConfirmation->setFocus();
        return;
    }

    // A system user created and chosen here, instead of the edited one, is a new account too.
    const QString name = form()->comboBoxUserName->currentText();
    const QString password = form()->lineEditPassword->text();
    if (password.isEmpty()) {
        if (m_record.name().isEmpty() || name != m_record.name()) {
            QMessageBox::warning(this, tr("Warning"), tr("A new Samba user needs a password."));
            form()->lineEditPassword->setFocus();
            return;
        }
        QDialog::accept();
        return;
    }

    // Even the same password is written again at the next save.
    m_record.setName(name);
    m_record.setPassword(password);
    QDialog::accept();
}
