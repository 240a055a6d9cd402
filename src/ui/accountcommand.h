#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QWidget;

// Runs useradd or groupadd for the account creation dialogs and reports a failure in a box
// over the dialog. Only the account name follows the fixed options; no password ever goes
// on a command line.
class AccountCommand
{
    Q_DECLARE_TR_FUNCTIONS(AccountCommand)

public:
    // Waits at most 30 s for the program to start and 30 s for it to finish. True exactly
    // when it exited normally with code 0; otherwise a box over parent has said why, unless
    // the program failed without a word on its error output.
    static bool run(QWidget *parent, const QString &program, const QStringList &options, const QString &name);

    // The program's error output as shown to the administrator: "useradd: user 'bob' already
    // exists" becomes "User 'bob' already exists".
    static QString errorText(const QByteArray &errorOutput);
};
