#pragma once

#include "systemaccountcommand.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QWidget;

// Runs useradd or groupadd for the account creation dialogs and reports a failure in a box
// over the dialog.
class AccountCommand
{
    Q_DECLARE_TR_FUNCTIONS(AccountCommand)

public:
    // True exactly when the program exited normally with code 0 within the time limit;
    // otherwise a box over parent has said why, unless the program failed without a word on
    // its error output.
    static bool run(QWidget *parent, const QString &program, const QStringList &options, const QString &name,
                    int timeLimitMs = SystemAccountCommand::DefaultTimeLimitMs);
};
