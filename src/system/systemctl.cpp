#include "systemctl.h"

#include <QProcess>

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

SystemCtl::Result SystemCtl::run(Command command, const QString &service) const
{
    QProcess process;
    // Only the exit code counts; "is-active" prints the state, which nobody reads.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(m_program, {commandText(command), service});
    process.closeWriteChannel();
    process.waitForFinished(-1);

    Result result;
    // A program that never started reports a normal exit with code 0, which would read as
    // success, so the process error decides that case.
    if (process.error() == QProcess::FailedToStart) {
        result.errorText = tr("%1 could not be started: %2").arg(m_program, process.errorString());
        return result;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        result.errorText = tr("%1 %2 %3 crashed.").arg(m_program, commandText(command), service);
        return result;
    }
    if (process.exitCode() != 0) {
        result.errorText = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (result.errorText.isEmpty()) {
            result.errorText = tr("%1 %2 %3 exited with code %4.")
                                   .arg(m_program, commandText(command), service)
                                   .arg(process.exitCode());
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
