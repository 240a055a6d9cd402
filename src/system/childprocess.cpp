#include "childprocess.h"

#include "errnotext.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// The argument vector execve() takes, alive as long as this.
class ArgumentVector
{
public:
    ArgumentVector(const QString &program, const QStringList &arguments)
    {
        m_strings.push_back(QFile::encodeName(program));
        for (const QString &argument : arguments)
            m_strings.push_back(argument.toLocal8Bit());
        for (QByteArray &string : m_strings)
            m_pointers.push_back(string.data());
        m_pointers.push_back(nullptr);
    }
    char *const *data() const { return m_pointers.data(); }

private:
    std::vector<QByteArray> m_strings;
    std::vector<char *> m_pointers;
};

// The spawn's settings: the caller's signal mask and handlers do not reach the program.
class SpawnAttributes
{
public:
    explicit SpawnAttributes(short flags)
    {
        posix_spawnattr_init(&m_attributes);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&m_attributes, &none);
        sigset_t all;
        sigfillset(&all);
        posix_spawnattr_setsigdefault(&m_attributes, &all);
        posix_spawnattr_setpgroup(&m_attributes, 0);
        posix_spawnattr_setflags(&m_attributes,
                                 short(flags | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF));
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&m_attributes); }
    SpawnAttributes(const SpawnAttributes &) = delete;
    SpawnAttributes &operator=(const SpawnAttributes &) = delete;
    const posix_spawnattr_t *get() const { return &m_attributes; }

private:
    posix_spawnattr_t m_attributes;
};

// What the child does with its descriptors before exec, ending with closing all above
// standard error: none of the caller's descriptors reaches the program, close-on-exec or not.
class FileActions
{
public:
    FileActions() { posix_spawn_file_actions_init(&m_actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&m_actions); }
    FileActions(const FileActions &) = delete;
    FileActions &operator=(const FileActions &) = delete;
    void nullDevice(int target, int mode)
    {
        posix_spawn_file_actions_addopen(&m_actions, target, "/dev/null", mode, 0);
    }
    void duplicate(int fd, int target) { posix_spawn_file_actions_adddup2(&m_actions, fd, target); }
    posix_spawn_file_actions_t *get()
    {
        posix_spawn_file_actions_addclosefrom_np(&m_actions, 3);
        return &m_actions;
    }

private:
    posix_spawn_file_actions_t m_actions;
};

// Both ends close-on-exec, and above standard error even when the caller closed one of
// those: the child's end is duplicated onto its standard descriptor, which must not clobber
// another end on the way.
bool makePipe(int ends[2])
{
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    for (int end : {0, 1}) {
        if (ends[end] > 2)
            continue;
        const int moved = ::fcntl(ends[end], F_DUPFD_CLOEXEC, 3);
        ::close(ends[end]);
        ends[end] = moved;
    }
    if (ends[0] >= 0 && ends[1] >= 0)
        return true;
    for (int end : {0, 1})
        if (ends[end] >= 0)
            ::close(ends[end]);
    return false;
}

// A write to a pipe whose reader has ended raises SIGPIPE, whose default ends this program
// (a window whose backend was lost); the write's EPIPE says the same. The signal is blocked in
// this thread for the write, and one the write raised is taken back before it is unblocked.
ssize_t writeWithoutSigpipe(int fd, const char *data, size_t size)
{
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    const bool pendingBefore = sigismember(&pending, SIGPIPE) == 1;
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const ssize_t wrote = ::write(fd, data, size);
    const int error = errno;
    if (wrote < 0 && error == EPIPE && !pendingBefore) {
        const timespec none{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &none) < 0 && errno == EINTR) { }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return wrote;
}

} // namespace

ChildProcess::~ChildProcess()
{
    if (m_pid > 0 && !m_reaped)
        killAndReap(5000);
    closeFd(m_inputFd);
    closeFd(m_outputFd);
    closeFd(m_errorFd);
    closeFd(m_pidFd);
}

void ChildProcess::closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool ChildProcess::start(const QString &program, const QStringList &arguments, const QByteArray &input,
                         Channels channels)
{
    m_input = input;
    return spawn(program, arguments, !input.isEmpty(), channels, true);
}

bool ChildProcess::startConversation(const QString &program, const QStringList &arguments,
                                     bool sharedTerminal)
{
    m_keepInputOpen = true;
    return spawn(program, arguments, true, SeparateChannels, !sharedTerminal);
}

void ChildProcess::send(const QByteArray &bytes)
{
    if (m_written > 0 && m_written == m_input.size()) {
        m_input.clear();
        m_written = 0;
    }
    m_input.append(bytes);
    if (m_inputFd >= 0)
        writeInput();
}

void ChildProcess::closeInput()
{
    m_keepInputOpen = false;
    if (m_inputFd >= 0)
        writeInput();
}

bool ChildProcess::spawn(const QString &program, const QStringList &arguments, bool pipedInput,
                         Channels channels, bool ownGroup)
{
    int inputPipe[2] = {-1, -1};
    int outputPipe[2] = {-1, -1};
    int errorPipe[2] = {-1, -1};
    const auto closeAll = [&] {
        for (int *pipe : {inputPipe, outputPipe, errorPipe})
            for (int end : {0, 1})
                if (pipe[end] >= 0)
                    ::close(pipe[end]);
    };
    FileActions actions;
    bool piped = true;
    if (!pipedInput) {
        actions.nullDevice(0, O_RDONLY);
    } else {
        piped = piped && makePipe(inputPipe);
        if (piped)
            actions.duplicate(inputPipe[0], 0);
    }
    if (channels == ErrorChannelOnly) {
        actions.nullDevice(1, O_WRONLY);
    } else {
        piped = piped && makePipe(outputPipe);
        if (piped)
            actions.duplicate(outputPipe[1], 1);
    }
    if (channels == MergedChannels) {
        actions.duplicate(1, 2);
    } else {
        piped = piped && makePipe(errorPipe);
        if (piped)
            actions.duplicate(errorPipe[1], 2);
    }
    if (!piped) {
        m_errorString = errnoText(errno);
        closeAll();
        return false;
    }

    const ArgumentVector argv(program, arguments);
    const SpawnAttributes attributes(ownGroup ? POSIX_SPAWN_SETPGROUP : 0);
    pid_t pid = -1;
    const int error =
        ::posix_spawnp(&pid, argv.data()[0], actions.get(), attributes.get(), argv.data(), environ);
    if (error != 0) {
        m_errorString = errnoText(error);
        closeAll();
        return false;
    }
    m_pid = pid;
    m_ownGroup = ownGroup;
    // The program's own ends belong to it alone.
    for (int *pipe : {inputPipe, outputPipe, errorPipe}) {
        const int childEnd = pipe == inputPipe ? 0 : 1;
        if (pipe[childEnd] >= 0)
            ::close(pipe[childEnd]);
        pipe[childEnd] = -1;
    }
    m_inputFd = inputPipe[1];
    m_outputFd = outputPipe[0];
    m_errorFd = errorPipe[0];
    for (int fd : {m_inputFd, m_outputFd, m_errorFd})
        if (fd >= 0)
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_pidFd = int(::syscall(SYS_pidfd_open, pid, 0));
    if (m_pidFd < 0) {
        m_errorString = errnoText(errno);
        killAndReap(5000);
        return false;
    }
    ::fcntl(m_pidFd, F_SETFD, FD_CLOEXEC);
    return true;
}

void ChildProcess::readFrom(int &fd, QByteArray &into)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            into.append(buffer, int(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        // End of file or an error: nothing more comes; EAGAIN: nothing more now.
        if (got == 0 || errno != EAGAIN)
            closeFd(fd);
        return;
    }
}

void ChildProcess::writeInput()
{
    while (m_written < m_input.size()) {
        const ssize_t wrote = writeWithoutSigpipe(m_inputFd, m_input.constData() + m_written,
                                                  size_t(m_input.size() - m_written));
        if (wrote > 0) {
            m_written += wrote;
            continue;
        }
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0 && errno == EAGAIN)
            return;
        // The program closed its input (EPIPE): it does not want the rest.
        closeFd(m_inputFd);
        return;
    }
    if (!m_keepInputOpen)
        closeFd(m_inputFd);
}

void ChildProcess::pump(int timeoutMs)
{
    if (m_pidFd < 0 || m_ended)
        return;
    pollfd fds[4];
    int count = 0;
    for (const int fd : {m_outputFd, m_errorFd})
        if (fd >= 0)
            fds[count++] = {fd, POLLIN, 0};
    // An open input with nothing to write would always be ready.
    const bool writing = m_inputFd >= 0 && (unsent() > 0 || !m_keepInputOpen);
    if (writing)
        fds[count++] = {m_inputFd, POLLOUT, 0};
    fds[count++] = {m_pidFd, POLLIN, 0};
    if (::poll(fds, nfds_t(count), timeoutMs) < 0)
        return;
    if (m_outputFd >= 0)
        readFrom(m_outputFd, m_output);
    if (m_errorFd >= 0)
        readFrom(m_errorFd, m_error);
    if (writing)
        writeInput();
    if (fds[count - 1].revents != 0)
        m_ended = true;
}

bool ChildProcess::finish()
{
    // Written before the end, so in the pipes now; a descendant that keeps them open is
    // not waited for.
    if (m_outputFd >= 0)
        readFrom(m_outputFd, m_output);
    if (m_errorFd >= 0)
        readFrom(m_errorFd, m_error);
    closeFd(m_inputFd);
    closeFd(m_outputFd);
    closeFd(m_errorFd);
    if (m_reaped)
        return m_exitCode >= 0;
    if (m_pid <= 0)
        return false;
    // Ended, so a zombie now; one stuck in the kernel after a kill is left to the destructor.
    int status = 0;
    const pid_t waited = ::waitpid(m_pid, &status, WNOHANG);
    m_ended = true;
    if (waited != m_pid)
        return false;
    m_reaped = true;
    closeFd(m_pidFd);
    if (WIFEXITED(status)) {
        m_exitCode = WEXITSTATUS(status);
        return true;
    }
    return false;
}

bool ChildProcess::waitAndFinish(int timeoutMs)
{
    if (!m_reaped && m_pidFd >= 0) {
        pollfd end = {m_pidFd, POLLIN, 0};
        while (::poll(&end, 1, timeoutMs) < 0 && errno == EINTR) { }
    }
    return finish();
}

void ChildProcess::killGroup()
{
    if (m_pid <= 0 || m_reaped)
        return;
    if (m_ownGroup)
        ::kill(-m_pid, SIGKILL);
    ::kill(m_pid, SIGKILL);
}

void ChildProcess::killAndReap(int timeoutMs)
{
    if (m_pid <= 0 || m_reaped)
        return;
    killGroup();
    if (m_pidFd >= 0) {
        pollfd end = {m_pidFd, POLLIN, 0};
        ::poll(&end, 1, timeoutMs);
    }
    int status = 0;
    if (::waitpid(m_pid, &status, m_pidFd >= 0 ? WNOHANG : 0) == m_pid)
        m_reaped = true;
    m_ended = true;
}

bool ChildProcess::startDetached(const QString &program, const QStringList &arguments, QString *errorText)
{
    FileActions actions;
    actions.nullDevice(0, O_RDONLY);
    const ArgumentVector argv(program, arguments);
    const SpawnAttributes attributes(POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    const int error =
        ::posix_spawnp(&pid, argv.data()[0], actions.get(), attributes.get(), argv.data(), environ);
    if (error != 0) {
        if (errorText)
            *errorText = errnoText(error);
        return false;
    }
    // No zombie while the caller runs; after it, init reaps.
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    }).detach();
    return true;
}
