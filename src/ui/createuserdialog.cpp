#include "createuserdialog.h"

#include "accountcommand.h"
#include "processrunner.h"
#include "serveraccounts.h"
#include "ui_createuserdialog.h"
#include "usersettingsprogram.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

CreateUserDialog::CreateUserDialog(QWidget *parent, ServerAccounts &accounts, const QString &settingsProgram)
    : QDialog(parent)
    , m_accounts(accounts)
    , m_settingsProgram(settingsProgram)
    , m_ui(std::make_unique<Ui::CreateUserDialog>())
{
    m_ui->setupUi(this);

    // A portable account name of at most 32 characters: a lower-case letter, then letters,
    // digits, '_' or '-'. Anything else cannot even be typed.
    m_ui->lineEditName->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[a-z]{1}[a-z0-9\\_\\-]{31}")), m_ui->lineEditName));
    m_ui->labelWarning->setText(
        tr("Please note that a service user will be created.\nTo log in, set a password in the desktop's "
           "user account settings."));

    // A button must not offer a desktop program that is not installed (an empty path is
    // none).
    const QFileInfo settings(m_settingsProgram);
    m_ui->policyButton->setVisible(settings.isFile() && settings.isExecutable());

    connect(m_ui->lineEditName, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_ui->okPushButton->setEnabled(!text.isEmpty()); });
    connect(m_ui->cancelPushButton, &QPushButton::clicked, this, &CreateUserDialog::reject);
    connect(m_ui->okPushButton, &QPushButton::clicked, this, &CreateUserDialog::create);
    connect(m_ui->policyButton, &QPushButton::clicked, this, &CreateUserDialog::openUserSettings);
}

CreateUserDialog::~CreateUserDialog() = default;

QString CreateUserDialog::defaultSettingsProgram()
{
    return UserSettingsProgram::find();
}

void CreateUserDialog::create()
{
    if (!AccountCommand::succeeded(this, m_accounts.createServiceUser(m_ui->lineEditName->text())))
        return;
    m_createdName = m_ui->lineEditName->text();
    accept();
}

void CreateUserDialog::openUserSettings()
{
    // The settings window is the administrator's to close: it is not waited for, so the
    // dialog stays usable, and it stays open when the dialog goes.
    QString error;
    if (!ProcessRunner::startDetached(m_settingsProgram, UserSettingsProgram::arguments(m_settingsProgram),
                                      &error))
        QMessageBox::critical(this, tr("Error"), error);
}
