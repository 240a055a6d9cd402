#pragma once

#include "childprocess.h"
#include "processresult.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>

class QSocketNotifier;
class QTimer;

/**
 * Runs one external program (testparm, pdbedit, smbpasswd, net, wbinfo, systemctl, useradd,
 * groupadd) with a time limit, synchronously with run() or asynchronously with start().
 *
 * The program runs in a process group of its own, so that at the time limit it is killed
 * together with whatever it started, and reaped: nothing is left running behind the caller.
 * Its standard input is the given bytes, or the null device when there are none, so a program
 * asking for input gets end-of-file instead of waiting for the limit. It is started with
 * posix_spawn() (see ChildProcess): no descriptor of the caller reaches it.
 */
class ProcessRunner : public QObject
{
    Q_OBJECT

public:
    enum Channels {
        // Standard output and standard error apart.
        SeparateChannels = ChildProcess::SeparateChannels,
        // Standard error merged into standard output.
        MergedChannels = ChildProcess::MergedChannels,
        // Standard output discarded, for programs whose dump nobody reads.
        ErrorChannelOnly = ChildProcess::ErrorChannelOnly,
    };

    static constexpr int DefaultTimeLimitMs = 30000;

    explicit ProcessRunner(const QString &program, const QStringList &arguments = {},
                           QObject *parent = nullptr);
    // Kills and reaps a program still running from start().
    ~ProcessRunner() override;

    QString program() const { return m_program; }
    void setArguments(const QStringList &arguments) { m_arguments = arguments; }
    void setStandardInput(const QByteArray &input) { m_input = input; }
    void setChannels(Channels channels) { m_channels = channels; }
    // Milliseconds from the start until the program is killed.
    void setTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }
    int timeLimit() const { return m_timeLimitMs; }

    // Runs the program and waits for it, at most the time limit.
    ProcessResult run();

    // Starts the program and returns at once; finished() follows exactly once, also when it
    // does not start. False, and nothing happens, while an earlier start is still running.
    bool start();
    bool isRunning() const;

    // Starts a program that outlives the caller, such as a desktop settings window, and
    // does not wait for it. On failure errorText (if given) says why.
    static bool startDetached(const QString &program, const QStringList &arguments,
                              QString *errorText = nullptr);

    // "Failed to start: PROGRAM: REASON"
    static QString startErrorText(const QString &program, const QString &reason);
    // "PROGRAM did not finish within N seconds", N rounded up
    static QString timeoutErrorText(const QString &program, int timeLimitMs);
    // "PROGRAM crashed"
    static QString crashErrorText(const QString &program);

signals:
    void finished(const ProcessResult &result);

private:
    ProcessResult collect(ChildProcess &process, bool timedOut) const;
    ProcessResult startFailure(const ChildProcess &process) const;
    void watch();
    void finishAsync(bool timedOut);

    QString m_program;
    QStringList m_arguments;
    QByteArray m_input;
    Channels m_channels = SeparateChannels;
    int m_timeLimitMs = DefaultTimeLimitMs;

    std::unique_ptr<ChildProcess> m_process;
    QList<QSocketNotifier *> m_notifiers;
    QTimer *m_timer = nullptr;
};
