#include "processrunner.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <utility>

namespace {

// After SIGKILL only a process stuck in the kernel takes longer than this to be reaped.
constexpr int ReapTimeoutMs = 5000;

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
        m_process->killAndReap(ReapTimeoutMs);
        finishAsync(true);
    });
}

ProcessRunner::~ProcessRunner()
{
    // The program of a start() still running is killed and reaped by ChildProcess; its end
    // reaches nobody, and its closed descriptors are watched no longer.
    for (QSocketNotifier *notifier : std::as_const(m_notifiers))
        notifier->setEnabled(false);
}

ProcessResult ProcessRunner::startFailure(const ChildProcess &process) const
{
    ProcessResult result;
    result.errorText = startErrorText(m_program, process.errorString());
    return result;
}

ProcessResult ProcessRunner::collect(ChildProcess &process, bool timedOut) const
{
    ProcessResult result;
    result.started = true;
    result.timedOut = timedOut;
    const bool exited = process.finish();
    result.standardOutput = process.takeOutput();
    result.standardError = process.takeError();
    if (timedOut) {
        result.errorText = timeoutErrorText(m_program, m_timeLimitMs);
    } else if (!exited) {
        result.crashed = true;
        result.errorText = crashErrorText(m_program);
    } else {
        result.exitCode = process.exitCode();
    }
    return result;
}

ProcessResult ProcessRunner::run()
{
    ChildProcess process;
    QElapsedTimer clock;
    clock.start();
    if (!process.start(m_program, m_arguments, m_input, ChildProcess::Channels(m_channels)))
        return startFailure(process);
    while (!process.hasEnded()) {
        const qint64 remaining = m_timeLimitMs - clock.elapsed();
        if (remaining <= 0) {
            process.killAndReap(ReapTimeoutMs);
            return collect(process, true);
        }
        process.pump(int(remaining));
    }
    return collect(process, false);
}

bool ProcessRunner::isRunning() const
{
    return m_process && !m_process->hasEnded();
}

bool ProcessRunner::start()
{
    if (isRunning())
        return false;
    // Possibly inside a slot of finished(), called from one of these notifiers.
    for (QSocketNotifier *notifier : std::as_const(m_notifiers)) {
        notifier->setEnabled(false);
        notifier->deleteLater();
    }
    m_notifiers.clear();
    m_process = std::make_unique<ChildProcess>();
    if (!m_process->start(m_program, m_arguments, m_input, ChildProcess::Channels(m_channels))) {
        const ProcessResult result = startFailure(*m_process);
        m_process.reset();
        emit finished(result);
        return true;
    }
    m_timer->start(m_timeLimitMs);
    watch();
    return true;
}

// One notifier per open descriptor of the program; each activation moves what is ready.
void ProcessRunner::watch()
{
    const auto add = [this](int fd, QSocketNotifier::Type type) {
        if (fd < 0)
            return;
        auto *notifier = new QSocketNotifier(qintptr(fd), type, this);
        connect(notifier, &QSocketNotifier::activated, this, [this] {
            // Possibly after the end in a slot of finished(), or queued behind it.
            if (!isRunning())
                return;
            m_process->pump(0);
            if (m_process->hasEnded()) {
                finishAsync(false);
                return;
            }
            // A descriptor the pump closed must not be watched any longer.
            for (QSocketNotifier *each : std::as_const(m_notifiers)) {
                const int fd = int(each->socket());
                if (fd != m_process->outputFd() && fd != m_process->errorFd() && fd != m_process->inputFd()
                    && fd != m_process->endFd())
                    each->setEnabled(false);
            }
        });
        m_notifiers.append(notifier);
    };
    add(m_process->outputFd(), QSocketNotifier::Read);
    add(m_process->errorFd(), QSocketNotifier::Read);
    add(m_process->inputFd(), QSocketNotifier::Write);
    add(m_process->endFd(), QSocketNotifier::Read);
}

void ProcessRunner::finishAsync(bool timedOut)
{
    m_timer->stop();
    for (QSocketNotifier *notifier : std::as_const(m_notifiers))
        notifier->setEnabled(false);
    const ProcessResult result = collect(*m_process, timedOut);
    emit finished(result);
}

bool ProcessRunner::startDetached(const QString &program, const QStringList &arguments, QString *errorText)
{
    QString reason;
    const bool started = ChildProcess::startDetached(program, arguments, &reason);
    if (!started && errorText)
        *errorText = startErrorText(program, reason);
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
