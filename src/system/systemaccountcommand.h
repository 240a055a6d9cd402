#pragma once

#include "processresult.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// Runs useradd or groupadd for the account creation dialogs: only the account name follows
// the fixed options, and no password ever goes on a command line. The dialogs show
// failureText() in their own box.
class SystemAccountCommand
{
    Q_DECLARE_TR_FUNCTIONS(SystemAccountCommand)

public:
    // Enough for useradd waiting on the lock of /etc/passwd held by another tool.
    static constexpr int DefaultTimeLimitMs = 30000;

    // Succeeded exactly when the program exited normally with code 0.
    static ProcessResult run(const QString &program, const QStringList &options, const QString &name,
                             int timeLimitMs = DefaultTimeLimitMs);

    // What the administrator is told about a failed run: why the program gave no answer, or
    // its error output. Empty on success and for a program that failed without a word.
    static QString failureText(const ProcessResult &result);

    // The program's error output as shown to the administrator: "useradd: user 'bob' already
    // exists" becomes "User 'bob' already exists".
    static QString errorText(const QByteArray &errorOutput);
};
