#include "netconf.h"

#include "processrunner.h"
#include "systemprograms.h"

#include <QCoreApplication>

NetConf::NetConf(const QString &program, const QString &configPath)
    : m_program(program)
    , m_configPath(configPath)
{
}

QString NetConf::defaultProgram()
{
    return SystemPrograms::net();
}

NetConf::Result NetConf::list() const
{
    return run({QStringLiteral("list")});
}

NetConf::Result NetConf::setParameter(const QString &section, const QString &key, const QString &value) const
{
    return run({QStringLiteral("setparm"), section, key, value});
}

NetConf::Result NetConf::deleteParameter(const QString &section, const QString &key) const
{
    return run({QStringLiteral("delparm"), section, key});
}

NetConf::Result NetConf::deleteShare(const QString &name) const
{
    return run({QStringLiteral("delshare"), name});
}

NetConf::Result NetConf::import(const QString &file) const
{
    return run({QStringLiteral("import"), file});
}

NetConf::Result NetConf::run(const QStringList &arguments) const
{
    // "--": a share, parameter or value beginning with "-" ("-- archive --") is an operand.
    QStringList all{QStringLiteral("-s"), m_configPath, QStringLiteral("--"), QStringLiteral("conf")};
    all += arguments;
    ProcessRunner runner(m_program, all);
    runner.setTimeLimit(m_timeLimitMs);
    return classify(runner.run(), QStringLiteral("net conf ") + arguments.join(QLatin1Char(' ')));
}

NetConf::Result NetConf::classify(const ProcessResult &run, const QString &description)
{
    Result result;
    result.output = run.standardOutput;
    if (!run.exitedNormally()) {
        result.errorText = run.errorText;
        return result;
    }
    if (run.exitCode == 0) {
        result.succeeded = true;
        return result;
    }
    // net says what went wrong on standard error, some versions on standard output; an
    // unknown parameter gets two lines ("Unknown parameter encountered", "Invalid parameter").
    QString words = QString::fromLocal8Bit(run.standardError).trimmed();
    if (words.isEmpty())
        words = QString::fromLocal8Bit(run.standardOutput).trimmed();
    words.replace(QLatin1Char('\n'), QLatin1Char(' '));
    result.errorText = words.isEmpty()
        ? QCoreApplication::translate("NetConf", "%1 exited with code %2.").arg(description).arg(run.exitCode)
        : description + QStringLiteral(": ") + words;
    return result;
}
