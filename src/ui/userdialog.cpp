#include "userdialog.h"

#include "createuserdialog.h"
#include "ui_userdialog.h"

#include <QMessageBox>

UserDialog::UserDialog(const SambaUser &record, const QStringList &names, const QStringList &candidates,
                       QWidget *parent, const QString &useraddProgram, const QString &settingsProgram)
    : AccountDialog(names, candidates, parent)
    , m_record(record)
    , m_useraddProgram(useraddProgram)
    , m_settingsProgram(settingsProgram)
{
    form()->lineEditPassword->setText(m_record.password());
    form()->lineEditPasswordConfirmation->setText(m_record.password());

    // Connected after filling, so that only the administrator's changes enable Ok.
    connect(form()->comboBoxUserName, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &UserDialog::enableOk);
    connect(form()->lineEditPassword, &QLineEdit::textChanged, this, &UserDialog::enableOk);
    connect(form()->lineEditPasswordConfirmation, &QLineEdit::textChanged, this, &UserDialog::enableOk);
    connect(form()->checkBoxShowPassword, &QCheckBox::toggled, this, &UserDialog::showPassword);
}

QString UserDialog::defaultUseraddProgram()
{
    return CreateUserDialog::defaultProgram();
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
    CreateUserDialog dialog(this, m_useraddProgram, m_settingsProgram);
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

    // Even the same name and password are written again at the next save.
    m_record.setName(form()->comboBoxUserName->currentText());
    m_record.setPassword(form()->lineEditPassword->text());
    m_record.setChanged(true);
    QDialog::accept();
}
