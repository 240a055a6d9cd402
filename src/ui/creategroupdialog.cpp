#include "creategroupdialog.h"

#include "accountcommand.h"
#include "serveraccounts.h"
#include "ui_createuserdialog.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

CreateGroupDialog::CreateGroupDialog(QWidget *parent, ServerAccounts &accounts)
    : QDialog(parent)
    , m_accounts(accounts)
    , m_ui(std::make_unique<Ui::CreateUserDialog>())
{
    m_ui->setupUi(this);

    // The same names as for users: groupadd accepts them all.
    m_ui->lineEditName->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[a-z]{1}[a-z0-9\\_\\-]{31}")), m_ui->lineEditName));
    m_ui->labelWarning->setText(tr("Please note that a service group will be created."));
    m_ui->policyButton->hide();

    connect(m_ui->lineEditName, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_ui->okPushButton->setEnabled(!text.isEmpty()); });
    connect(m_ui->cancelPushButton, &QPushButton::clicked, this, &CreateGroupDialog::reject);
    connect(m_ui->okPushButton, &QPushButton::clicked, this, &CreateGroupDialog::create);
}

CreateGroupDialog::~CreateGroupDialog() = default;

void CreateGroupDialog::create()
{
    if (!AccountCommand::succeeded(this, m_accounts.createServiceGroup(m_ui->lineEditName->text())))
        return;
    m_createdName = m_ui->lineEditName->text();
    accept();
}
