#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <utility>

#include <sys/types.h>

/**
 * One program started with posix_spawn(), its pipes and its reaping.
 *
 * Not QProcess: a QProcess whose child needs a setting of its own (a process group) forks the
 * whole multi-threaded caller and lets the child wait in the kernel for the parent's go
 * before exec; a caller killed in between leaves that child blocked for ever, holding every
 * descriptor the caller had, the locks of saves and of the single instance among them.
 * posix_spawn()'s child runs only system calls until exec, cannot wait for anybody, and
 * closes every descriptor above standard error, so nothing of the caller outlives it there.
 */
class ChildProcess
{
public:
    enum Channels {
        // Standard output and standard error apart.
        SeparateChannels,
        // Standard error merged into standard output.
        MergedChannels,
        // Standard output discarded.
        ErrorChannelOnly,
    };

    ChildProcess() = default;
    // Kills the program's process group and reaps it when it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts the program in a process group of its own; a name without a slash is looked up
    // on PATH. Its standard input is `input`
    // (written as it reads), or the null device when `input` is empty. On failure returns
    // false with the reason in errorString().
    bool start(const QString &program, const QStringList &arguments, const QByteArray &input,
               Channels channels);
    // Starts the program for a conversation: its standard input is a pipe that stays open,
    // fed by send() and ended by closeInput(); output and error apart. With sharedTerminal it
    // stays in the caller's process group, where it may ask on the caller's terminal (ssh's
    // passphrase prompt); otherwise it gets a group of its own, as with start().
    bool startConversation(const QString &program, const QStringList &arguments, bool sharedTerminal);
    // Queues bytes for the program's input; pump() writes them as it reads.
    void send(const QByteArray &bytes);
    // Ends the program's input once what was sent is written.
    void closeInput();
    // Bytes sent and not written yet.
    qsizetype unsent() const { return m_input.size() - m_written; }

    // Moves data between the pipes and notes the program's end: waits at most timeoutMs
    // (0: only what is ready) for something to happen.
    void pump(int timeoutMs);
    // Once the program ended: reads what its pipes still hold and reaps it. True when it
    // exited by itself (exitCode() then holds its code), false when a signal ended it.
    bool finish();
    // Waits at most timeoutMs for the program to end (its output closed, it is about to), then
    // finishes it as finish() does.
    bool waitAndFinish(int timeoutMs);
    bool hasEnded() const { return m_ended; }
    // Kills the program and everything in its process group.
    void killGroup();
    // Kills, then waits at most timeoutMs for the end (only a process stuck in the kernel
    // takes long), and reaps it.
    void killAndReap(int timeoutMs);

    int exitCode() const { return m_exitCode; }
    pid_t pid() const { return m_pid; }
    QByteArray takeOutput() { return std::exchange(m_output, {}); }
    QByteArray takeError() { return std::exchange(m_error, {}); }
    QString errorString() const { return m_errorString; }

    // The descriptors a caller with an event loop watches: readable for output, error and the
    // end, writable for input; -1 once closed.
    int outputFd() const { return m_outputFd; }
    int errorFd() const { return m_errorFd; }
    int inputFd() const { return m_inputFd; }
    int endFd() const { return m_pidFd; }

    // Starts a program that outlives the caller, in a session of its own, with the null
    // device as its standard input; it is reaped when it ends while the caller still runs.
    static bool startDetached(const QString &program, const QStringList &arguments, QString *errorText);

private:
    bool spawn(const QString &program, const QStringList &arguments, bool pipedInput, Channels channels,
               bool ownGroup);
    void readFrom(int &fd, QByteArray &into);
    void writeInput();
    void closeFd(int &fd);

    pid_t m_pid = -1;
    int m_pidFd = -1;
    int m_inputFd = -1;
    int m_outputFd = -1;
    int m_errorFd = -1;
    QByteArray m_input;
    qsizetype m_written = 0;
    bool m_keepInputOpen = false;
    bool m_ownGroup = true;
    QByteArray m_output;
    QByteArray m_error;
    bool m_ended = false;
    bool m_reaped = false;
    int m_exitCode = -1;
    QString m_errorString;
};
