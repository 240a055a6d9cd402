#include "accountcommand.h"

#include <QMessageBox>

bool AccountCommand::succeeded(QWidget *parent, const ServerAccounts::Creation &creation)
{
    if (creation.succeeded)
        return true;
    if (!creation.errorText.isEmpty())
        QMessageBox::critical(parent, tr("Error"), creation.errorText);
    return false;
}
