#include "processrunner.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <signal.h>
#include <unistd.h>

namespace {

// After SIGKILL only a process stuck in the kernel takes longer than this to be reaped.
constexpr int ReapTimeoutMs = 5000;

// Puts the program in a process group of its own, so that a kill at the time limit reaches
// what it started too: a shell script's sleep would otherwise live on.
class GroupProcess : public QProcess
{
protected:
    void setupChildProcess() override { ::setpgid(0, 0); }
};

void killGroup(QProcess &process)
{
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-pid_t(pid), SIGKILL);
    process.kill();
}

} // namespace

ProcessRunner::ProcessRunner(const QString &program, const QStringList &arguments, QObject *parent)
    : QObject(parent)
    , m_program(program)
    , m_arguments(arguments)
    , m_timer(new QTimer(this))
{
    qRegisterMetaType<ProcessResult>();
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (!isRunning())
            return;
        m_timedOut = true;
        killGroup(*m_process);
    });
}

ProcessRunner::~ProcessRunner()
{
    if (!m_process)
        return;
    // The end of a program stopped here reaches nobody.
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        killGroup(*m_process);
        m_process->waitForFinished(ReapTimeoutMs);
    }
}

std::unique_ptr<QProcess> ProcessRunner::prepareProcess() const
{
    auto process = std::make_unique<GroupProcess>();
    if (m_channels == MergedChannels)
        process->setProcessChannelMode(QProcess::MergedChannels);
    else if (m_channels == ErrorChannelOnly)
        process->setStandardOutputFile(QProcess::nullDevice());
    if (m_input.isEmpty())
        process->setStandardInputFile(QProcess::nullDevice());
    return process;
}

ProcessResult ProcessRunner::collect(QProcess &process, bool timedOut) const
{
    ProcessResult result;
    result.started = true;
    result.timedOut = timedOut;
    result.standardOutput = process.readAllStandardOutput();
    result.standardError = process.readAllStandardError();
    if (timedOut) {
        result.errorText = timeoutErrorText(m_program, m_timeLimitMs);
    } else if (process.exitStatus() != QProcess::NormalExit) {
        result.crashed = true;
        result.errorText = crashErrorText(m_program);
    } else {
        result.exitCode = process.exitCode();
    }
    return result;
}

ProcessResult ProcessRunner::run()
{
    const std::unique_ptr<QProcess> process = prepareProcess();
    QElapsedTimer clock;
    clock.start();
    process->start(m_program, m_arguments);
    if (!process->waitForStarted(m_timeLimitMs)) {
        if (process->error() == QProcess::FailedToStart) {
            ProcessResult result;
            result.errorText = startErrorText(m_program, process->errorString());
            return result;
        }
        killGroup(*process);
        process->waitForFinished(ReapTimeoutMs);
        return collect(*process, true);
    }
    if (!m_input.isEmpty()) {
        process->write(m_input);
        process->closeWriteChannel();
    }

    const int remaining = int(qMax<qint64>(0, m_timeLimitMs - clock.elapsed()));
    bool timedOut = false;
    // waitForFinished() is false too for a program that ended before the call.
    if (!process->waitForFinished(remaining) && process->state() != QProcess::NotRunning) {
        timedOut = true;
        killGroup(*process);
        process->waitForFinished(ReapTimeoutMs);
    }
    return collect(*process, timedOut);
}

bool ProcessRunner::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

bool ProcessRunner::start()
{
    if (isRunning())
        return false;
    if (m_process) {
        // Possibly inside a slot of its own finished(): deleted once that returns.
        m_process->disconnect(this);
        m_process.release()->deleteLater();
    }
    m_process = prepareProcess();
    m_timedOut = false;
    QProcess *process = m_process.get();
    connect(process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &ProcessRunner::finishAsync);
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_timer->stop();
        ProcessResult result;
        result.errorText = startErrorText(m_program, process->errorString());
        emit finished(result);
    });
    m_timer->start(m_timeLimitMs);
    process->start(m_program, m_arguments);
    if (!m_input.isEmpty() && process->state() != QProcess::NotRunning) {
        process->write(m_input);
        process->closeWriteChannel();
    }
    return true;
}

void ProcessRunner::finishAsync()
{
    m_timer->stop();
    emit finished(collect(*m_process, m_timedOut));
}

bool ProcessRunner::startDetached(const QString &program, const QStringList &arguments, QString *errorText)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    const bool started = process.startDetached();
    if (!started && errorText)
        *errorText = startErrorText(program, process.errorString());
    return started;
}

QString ProcessRunner::startErrorText(const QString &program, const QString &reason)
{
    return tr("Failed to start: %1: %2").arg(program, reason);
}

QString ProcessRunner::timeoutErrorText(const QString &program, int timeLimitMs)
{
    // Rounded up: a limit below a second is not "0 seconds".
    const int seconds = (timeLimitMs + 999) / 1000;
    if (seconds == 1)
        return tr("%1 did not finish within a second").arg(program);
    return tr("%1 did not finish within %2 seconds").arg(program).arg(seconds);
}

QString ProcessRunner::crashErrorText(const QString &program)
{
    return tr("%1 crashed").arg(program);
}
