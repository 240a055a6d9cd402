#include "systemctl.h"

#include "processrunner.h"

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
    ProcessRunner runner(m_program, {commandText(command), service});
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

QString SystemCtl::defaultProgram()
{
    return QStringLiteral("systemctl");
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
