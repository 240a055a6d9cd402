#include "smbcontrol.h"

#include "processrunner.h"
#include "systemprograms.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

// What smbcontrol prints when a message was not delivered. It exits with 1 for most of these,
// but not for every message type and version; the words settle it.
const char *const failureWords[] = {
    "Can't find pid",
    "No replies received",
    "cannot send",
    "Failed to send",
};

bool namesFailure(const QString &output)
{
    for (const char *words : failureWords) {
        if (output.contains(QLatin1String(words), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

SmbControl::SmbControl(const QString &program, const QString &configPath)
    : m_program(program)
    , m_configPath(configPath)
{
}

QString SmbControl::defaultProgram()
{
    return SystemPrograms::smbcontrol();
}

SmbControl::Result SmbControl::reloadConfig(const QString &destination) const
{
    return run({destination, QStringLiteral("reload-config")});
}

SmbControl::Result SmbControl::closeShare(const QString &destination, const QString &share) const
{
    return run({destination, QStringLiteral("close-share"), share});
}

SmbControl::Result SmbControl::shutdown(const QString &destination) const
{
    return run({destination, QStringLiteral("shutdown")});
}

SmbControl::Result SmbControl::classify(const ProcessResult &run, const QString &description)
{
    Result result;
    if (!run.exitedNormally()) {
        result.errorText = run.errorText;
        return result;
    }
    const QString error = QString::fromLocal8Bit(run.standardError).trimmed();
    const QString output = QString::fromLocal8Bit(run.standardOutput).trimmed();
    if (run.exitCode != 0) {
        result.errorText = !error.isEmpty() ? error : output;
        if (result.errorText.isEmpty()) {
            result.errorText = QCoreApplication::translate("SmbControl", "%1 exited with code %2.")
                                   .arg(description)
                                   .arg(run.exitCode);
        }
        return result;
    }
    if (namesFailure(error)) {
        result.errorText = error;
        return result;
    }
    if (namesFailure(output)) {
        result.errorText = output;
        return result;
    }
    result.succeeded = true;
    return result;
}

SmbControl::Result SmbControl::run(const QStringList &arguments) const
{
    // "--": a share or process named like an option is an operand.
    ProcessRunner runner(m_program,
                         QStringList{QStringLiteral("-s"), m_configPath, QStringLiteral("--")} + arguments);
    runner.setTimeLimit(m_timeLimitMs);
    return classify(runner.run(), m_program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')));
}
