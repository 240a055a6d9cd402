#include "systemctl.h"

#include "processrunner.h"
#include "systemprograms.h"

SystemCtl::SystemCtl(const QString &program, QObject *parent)
    : QObject(parent)
    , m_program(program)
{
}

SystemCtl::~SystemCtl() = default;

bool SystemCtl::isActive(const QString &service) const
{
    return run(IsActive, service).succeeded;
}

bool SystemCtl::start(const QString &service) const
{
    return run(Start, service).succeeded;
}

bool SystemCtl::stop(const QString &service) const
{
    return run(Stop, service).succeeded;
}

bool SystemCtl::restart(const QString &service) const
{
    return run(Restart, service).succeeded;
}

int SystemCtl::timeLimit(Command command) const
{
    if (m_timeLimitMs > 0)
        return m_timeLimitMs;
    return command == IsActive ? 10000 : 30000;
}

SystemCtl::Result SystemCtl::run(Command command, const QString &service) const
{
    ProcessRunner runner(m_program, {commandText(command), QStringLiteral("--"), service});
    // Only the exit code counts; "is-active" prints the state, which nobody reads.
    runner.setChannels(ProcessRunner::ErrorChannelOnly);
    runner.setTimeLimit(timeLimit(command));
    const ProcessResult run = runner.run();

    Result result;
    if (!run.exitedNormally()) {
        result.errorText = run.errorText;
        return result;
    }
    if (run.exitCode != 0) {
        result.errorText = QString::fromLocal8Bit(run.standardError).trimmed();
        if (result.errorText.isEmpty()) {
            result.errorText = tr("%1 %2 %3 exited with code %4.")
                                   .arg(m_program, commandText(command), service)
                                   .arg(run.exitCode);
        }
        return result;
    }
    result.succeeded = true;
    return result;
}

SystemCtl::State SystemCtl::state(const QString &service, QString *errorText) const
{
    ProcessRunner runner(m_program, {commandText(IsActive), QStringLiteral("--"), service});
    runner.setTimeLimit(timeLimit(IsActive));
    const ProcessResult run = runner.run();
    const State found = run.exitedNormally() ? stateFromOutput(run.exitCode, run.standardOutput) : Unknown;
    if (found == Unknown && errorText) {
        *errorText =
            run.exitedNormally() ? QString::fromLocal8Bit(run.standardError).trimmed() : run.errorText;
        if (errorText->isEmpty())
            *errorText = tr("%1 gave no state for %2.").arg(m_program, service);
    }
    return found;
}

QString SystemCtl::status(const QString &service) const
{
    ProcessRunner runner(m_program,
                         {QStringLiteral("status"), QStringLiteral("--no-pager"),
                          QStringLiteral("--lines=20"), QStringLiteral("--"), service});
    runner.setChannels(ProcessRunner::MergedChannels);
    runner.setTimeLimit(timeLimit(IsActive));
    const ProcessResult run = runner.run();
    const QString output = QString::fromLocal8Bit(run.standardOutput).trimmed();
    return output.isEmpty() ? run.errorText : output;
}

SystemCtl::State SystemCtl::stateFromOutput(int exitCode, const QByteArray &standardOutput)
{
    // systemctl answers 0 exactly for an active unit; any other answer names the state.
    if (exitCode == 0)
        return Active;
    const QByteArray word = standardOutput.trimmed().split('\n').value(0).trimmed();
    if (word == "failed")
        return Failed;
    if (word == "inactive" || word == "deactivating" || word == "activating" || word == "reloading")
        return Inactive;
    return Unknown;
}

QString SystemCtl::defaultProgram()
{
    return SystemPrograms::systemctl();
}

QString SystemCtl::commandText(Command command)
{
    switch (command) {
    case IsActive:
        return QStringLiteral("is-active");
    case Start:
        return QStringLiteral("start");
    case Stop:
        return QStringLiteral("stop");
    case Restart:
        return QStringLiteral("restart");
    }
    return QString();
}

QString SystemCtl::smbdService()
{
    return QStringLiteral("smbd");
}

QString SystemCtl::nmbdService()
{
    return QStringLiteral("nmbd");
}
