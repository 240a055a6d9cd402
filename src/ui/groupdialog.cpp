#include "groupdialog.h"

#include "creategroupdialog.h"
#include "ui_userdialog.h"

GroupDialog::GroupDialog(const SambaGroup &record, const QStringList &names, const QStringList &candidates,
                         QWidget *parent, ServerAccounts &accounts)
    : AccountDialog(names, candidates, parent)
    , m_record(record)
    , m_accounts(accounts)
{
    for (QWidget *widget :
         {static_cast<QWidget *>(form()->checkBoxShowPassword), static_cast<QWidget *>(form()->groupBox),
          static_cast<QWidget *>(form()->labelPassword),
          static_cast<QWidget *>(form()->labelPasswordConfirmation),
          static_cast<QWidget *>(form()->lineEditPassword),
          static_cast<QWidget *>(form()->lineEditPasswordConfirmation)})
        widget->hide();
    form()->label->setText(tr("Group name"));

    // Choosing a group is the only change there is, so none is chosen beforehand (unless
    // the record names one): Ok is enabled by the administrator's choice, even when a
    // single group is offered.
    form()->comboBoxUserName->setCurrentIndex(names.indexOf(m_record.name()));
    connect(form()->comboBoxUserName, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &GroupDialog::enableOk);
}

QString GroupDialog::runCreationDialog()
{
    CreateGroupDialog dialog(this, m_accounts);
    dialog.setWindowTitle(tr("Create group"));
    return dialog.exec() == QDialog::Accepted ? dialog.createdName() : QString();
}

void GroupDialog::accept()
{
    const QString name = form()->comboBoxUserName->currentText();
    if (name.isEmpty())
        return;
    m_record.setName(name);
    m_record.setChanged(true);
    QDialog::accept();
}
