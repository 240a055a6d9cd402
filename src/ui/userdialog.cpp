#include "userdialog.h"

#include "createuserdialog.h"
#include "ui_userdialog.h"

#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

UserDialog::UserDialog(const SambaUser &record, const QStringList &names, const QStringList &candidates,
                       QWidget *parent, const QString &useraddProgram, const QString &settingsProgram)
    : QDialog(parent)
    , m_record(record)
    , m_names(names)
    , m_candidates(candidates)
    , m_useraddProgram(useraddProgram)
    , m_settingsProgram(settingsProgram)
    , m_ui(std::make_unique<Ui::UserDialog>())
{
    m_ui->setupUi(this);
    m_ui->pushButtonAddUsr->setIcon(
        QIcon::fromTheme(QStringLiteral("list-add"), QIcon(QStringLiteral(":/images/plus.png"))));

    m_ui->comboBoxUserName->addItems(m_names);
    m_ui->lineEditPassword->setText(m_record.password());
    m_ui->lineEditPasswordConfirmation->setText(m_record.password());
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);

    // Connected after filling, so that only the administrator's changes enable Ok.
    connect(m_ui->comboBoxUserName, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &UserDialog::enableOk);
    connect(m_ui->lineEditPassword, &QLineEdit::textChanged, this, &UserDialog::enableOk);
    connect(m_ui->lineEditPasswordConfirmation, &QLineEdit::textChanged, this, &UserDialog::enableOk);
    connect(m_ui->checkBoxShowPassword, &QCheckBox::toggled, this, &UserDialog::showPassword);
    connect(m_ui->pushButtonAddUsr, &QPushButton::clicked, this, &UserDialog::createUser);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &UserDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &UserDialog::reject);
}

UserDialog::~UserDialog() = default;

QString UserDialog::defaultUseraddProgram()
{
    return CreateUserDialog::defaultProgram();
}

QString UserDialog::defaultSettingsProgram()
{
    return CreateUserDialog::defaultSettingsProgram();
}

void UserDialog::enableOk()
{
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(true);
}

void UserDialog::showPassword(bool shown)
{
    const QLineEdit::EchoMode mode = shown ? QLineEdit::Normal : QLineEdit::Password;
    m_ui->lineEditPassword->setEchoMode(mode);
    m_ui->lineEditPasswordConfirmation->setEchoMode(mode);
}

void UserDialog::createUser()
{
    CreateUserDialog dialog(this, m_useraddProgram, m_settingsProgram);
    if (dialog.exec() != QDialog::Accepted || dialog.createdName().isEmpty())
        return;
    const QString name = dialog.createdName();
    m_names << name;
    m_candidates << name;
    m_ui->comboBoxUserName->addItem(name);
    m_ui->comboBoxUserName->setCurrentIndex(m_ui->comboBoxUserName->count() - 1);
}

void UserDialog::accept()
{
    // A password shown in clear text was read while typed; it needs no confirmation.
    if (!m_ui->checkBoxShowPassword->isChecked()
        && m_ui->lineEditPassword->text() != m_ui->lineEditPasswordConfirmation->text()) {
        QMessageBox::warning(this, tr("Warning"), tr("Password no matching... Enter again..."));
        m_ui->lineEditPasswordConfirmation->clear();
        m_ui->lineEditPasswordConfirmation->setFocus();
        return;
    }

    // Even the same name and password are written again at the next save.
    m_record.setName(m_ui->comboBoxUserName->currentText());
    m_record.setPassword(m_ui->lineEditPassword->text());
    m_record.setChanged(true);
    QDialog::accept();
}
