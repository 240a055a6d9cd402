#include "groupdialog.h"

#include "creategroupdialog.h"
#include "ui_userdialog.h"

#include <QIcon>
#include <QPushButton>

GroupDialog::GroupDialog(const SambaGroup &record, const QStringList &names, const QStringList &candidates,
                         QWidget *parent, const QString &groupaddProgram)
    : QDialog(parent)
    , m_record(record)
    , m_names(names)
    , m_candidates(candidates)
    , m_groupaddProgram(groupaddProgram)
    , m_ui(std::make_unique<Ui::UserDialog>())
{
    m_ui->setupUi(this);
    m_ui->pushButtonAddUsr->setIcon(
        QIcon::fromTheme(QStringLiteral("list-add"), QIcon(QStringLiteral(":/images/plus.png"))));
    for (QWidget *widget :
         {static_cast<QWidget *>(m_ui->checkBoxShowPassword), static_cast<QWidget *>(m_ui->groupBox),
          static_cast<QWidget *>(m_ui->labelPassword),
          static_cast<QWidget *>(m_ui->labelPasswordConfirmation),
          static_cast<QWidget *>(m_ui->lineEditPassword),
          static_cast<QWidget *>(m_ui->lineEditPasswordConfirmation)})
        widget->hide();
    m_ui->label->setText(QStringLiteral("Group name"));

    // Choosing a group is the only change there is, so none is chosen beforehand (unless
    // the record names one): Ok is enabled by the administrator's choice, even when a
    // single group is offered.
    m_ui->comboBoxUserName->addItems(m_names);
    m_ui->comboBoxUserName->setCurrentIndex(m_names.indexOf(m_record.name()));
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);

    connect(m_ui->comboBoxUserName, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this] { m_ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(true); });
    connect(m_ui->pushButtonAddUsr, &QPushButton::clicked, this, &GroupDialog::createGroup);
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &GroupDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &GroupDialog::reject);
}

GroupDialog::~GroupDialog() = default;

QString GroupDialog::defaultGroupaddProgram()
{
    return CreateGroupDialog::defaultProgram();
}

void GroupDialog::createGroup()
{
    CreateGroupDialog dialog(this, m_groupaddProgram);
    dialog.setWindowTitle(tr("Create group"));
    if (dialog.exec() != QDialog::Accepted || dialog.createdName().isEmpty())
        return;
    const QString name = dialog.createdName();
    m_names << name;
    m_candidates << name;
    m_ui->comboBoxUserName->addItem(name);
    m_ui->comboBoxUserName->setCurrentIndex(m_ui->comboBoxUserName->count() - 1);
}

void GroupDialog::accept()
{
    const QString name = m_ui->comboBoxUserName->currentText();
    if (name.isEmpty())
        return;
    m_record.setName(name);
    m_record.setChanged(true);
    QDialog::accept();
}
