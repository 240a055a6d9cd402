#include "accountdialog.h"

#include "ui_userdialog.h"

#include <QIcon>
#include <QPushButton>

AccountDialog::AccountDialog(const QStringList &names, const QStringList &candidates, QWidget *parent)
    : QDialog(parent)
    , m_candidates(candidates)
    , m_ui(std::make_unique<Ui::UserDialog>())
{
    m_ui->setupUi(this);
    m_ui->pushButtonAddUsr->setIcon(
        QIcon::fromTheme(QStringLiteral("list-add"), QIcon(QStringLiteral(":/images/plus.png"))));
    m_ui->comboBoxUserName->addItems(names);
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);

    // The subclass connects the changes that enable Ok, once it has filled in the form.
    connect(m_ui->pushButtonAddUsr, &QPushButton::clicked, this, &AccountDialog::createAccount);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &AccountDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &AccountDialog::reject);
}

AccountDialog::~AccountDialog() = default;

void AccountDialog::enableOk()
{
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(true);
}

void AccountDialog::createAccount()
{
    const QString name = runCreationDialog();
    if (name.isEmpty())
        return;
    m_candidates << name;
    m_ui->comboBoxUserName->addItem(name);
    m_ui->comboBoxUserName->setCurrentIndex(m_ui->comboBoxUserName->count() - 1);
}
