#pragma once

#include "serveraccounts.h"

#include <QCoreApplication>

class QWidget;

// The account creation dialogs' report of a useradd or groupadd run: a failure in a box over
// the dialog.
class AccountCommand
{
    Q_DECLARE_TR_FUNCTIONS(AccountCommand)

public:
    // True exactly when the creation succeeded; otherwise a box over parent has said why,
    // unless the program failed without a word on its error output.
    static bool succeeded(QWidget *parent, const ServerAccounts::Creation &creation);
};
