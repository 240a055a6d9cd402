#include "systemaccountcommand.h"

#include "processrunner.h"

#include <QRegularExpression>

ProcessResult SystemAccountCommand::run(const QString &program, const QStringList &options,
                                        const QString &name, int timeLimitMs)
{
    // Nothing is written to the program: its standard input is the null device, so a program
    // asking for input gets end-of-file rather than holding the dialog until the limit.
    // "--": a name beginning with "-" is refused by useradd and groupadd as a name, never taken
    // as an option.
    ProcessRunner runner(program, QStringList(options) << QStringLiteral("--") << name);
    runner.setTimeLimit(timeLimitMs);
    return runner.run();
}

QString SystemAccountCommand::failureText(const ProcessResult &result)
{
    if (!result.exitedNormally())
        return result.errorText;
    if (result.exitCode == 0)
        return QString();
    return errorText(result.standardError);
}

QString SystemAccountCommand::errorText(const QByteArray &errorOutput)
{
    QString text = QString::fromLocal8Bit(errorOutput);
    if (text.isEmpty())
        return text;
    // Drops the program's "useradd: " prefixes.
    static const QRegularExpression prefix(QStringLiteral("\\w+: "));
    text.remove(prefix);
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}
