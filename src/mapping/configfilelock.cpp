#include "configfilelock.h"

#include "errnotext.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(Audit)
};

} // namespace

ConfigFileLock::ConfigFileLock(const QString &target, const QString &directory)
    : m_directory(directory)
{
    // One lock per file, named so that an administrator can tell whose it is.
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(target), QCryptographicHash::Sha256).toHex();
    m_path = directory + QLatin1Char('/') + QFileInfo(target).fileName() + QLatin1Char('.')
        + QString::fromLatin1(hash.left(16)) + QStringLiteral(".lock");
}

ConfigFileLock::~ConfigFileLock()
{
    release();
}

QString ConfigFileLock::defaultDirectory()
{
    const QString configured = qEnvironmentVariable("SHAREWARD_RUN_DIRECTORY");
    return configured.isEmpty() ? QStringLiteral("/run/shareward") : configured;
}

bool ConfigFileLock::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool ConfigFileLock::openLockFile()
{
    const QByteArray directory = QFile::encodeName(m_directory);
    if (::mkdir(directory.constData(), 0700) != 0 && errno != EEXIST)
        return fail(
            Messages::tr("Can't create the lock directory %1: %2.").arg(m_directory, errnoText(errno)));
    // Anybody who could write there could take or fake the lock.
    struct stat info;
    if (::lstat(directory.constData(), &info) != 0)
        return fail(Messages::tr("Can't use the lock directory %1: %2.").arg(m_directory, errnoText(errno)));
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)
        return fail(Messages::tr("The lock directory %1 is not a directory that only its owner can use.")
                        .arg(m_directory));
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return fail(Messages::tr("Can't open the lock file %1: %2.").arg(m_path, errnoText(errno)));
    return true;
}

bool ConfigFileLock::acquire(int timeoutMs)
{
    if (m_fd >= 0)
        return true;
    m_error.clear();
    if (!openLockFile())
        return false;
    QElapsedTimer waited;
    waited.start();
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            const int error = errno;
            release();
            return fail(Messages::tr("Can't lock %1: %2.").arg(m_path, errnoText(error)));
        }
        if (waited.elapsed() >= timeoutMs) {
            const QString message = holderMessage();
            release();
            return fail(message);
        }
        QThread::msleep(50);
    }
    const QByteArray holder = QByteArray::number(qint64(::getpid())) + ' '
        + QFileInfo(QCoreApplication::applicationFilePath()).fileName().toLocal8Bit() + '\n';
    if (::ftruncate(m_fd, 0) != 0
        || ::pwrite(m_fd, holder.constData(), size_t(holder.size()), 0) != holder.size()) {
        const int error = errno;
        release();
        return fail(Messages::tr("Can't write the lock file %1: %2.").arg(m_path, errnoText(error)));
    }
    return true;
}

QString ConfigFileLock::holderMessage() const
{
    char holder[256] = {};
    const ssize_t got = ::pread(m_fd, holder, sizeof holder - 1, 0);
    const QStringList words =
        QString::fromLocal8Bit(holder, got > 0 ? int(got) : 0).trimmed().split(QLatin1Char(' '));
    const QString program = words.value(1, Messages::tr("unknown program"));
    const QString pid = words.value(0, Messages::tr("unknown"));
    bool numeric = false;
    const pid_t named = pid_t(pid.toLongLong(&numeric));
    if (!numeric || named <= 0 || ::kill(named, 0) == 0 || errno != ESRCH)
        return Messages::tr("Another save of this file is under way (%1, process %2). "
                            "Try again when it has finished.")
            .arg(program, pid);
    // The process that took the lock is gone, yet the lock is held: by a process that got its
    // descriptor, such as a child of an older Shareward that never started its program.
    const QList<qint64> holders = processesWithOpen(m_fd);
    if (holders.isEmpty())
        return Messages::tr("The lock %1 is still held, although process %2 (%3) that took it has ended, "
                            "and no process here has it open. End the program that holds it, then "
                            "save again.")
            .arg(m_path, pid, program);
    QStringList described;
    for (const qint64 each : holders)
        described.append(QStringLiteral("%1 (%2)").arg(each).arg(processName(each)));
    QStringList numbers;
    for (const qint64 each : holders)
        numbers.append(QString::number(each));
    return Messages::tr("The lock of this file is still held by process %1, although process %2 (%3) "
                        "that took it has ended. End it (kill %4), then save again.")
        .arg(described.join(QStringLiteral(", ")), pid, program, numbers.join(QLatin1Char(' ')));
}

QList<qint64> ConfigFileLock::processesWithOpen(int fd)
{
    QList<qint64> found;
    struct stat lockFile;
    if (::fstat(fd, &lockFile) != 0)
        return found;
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &process : processes) {
        bool numeric = false;
        const qint64 pid = process.toLongLong(&numeric);
        if (!numeric || pid == qint64(::getpid()))
            continue;
        const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(pid));
        const QStringList entries =
            descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &entry : entries) {
            struct stat info;
            if (::stat(QFile::encodeName(descriptors.filePath(entry)).constData(), &info) == 0
                && info.st_dev == lockFile.st_dev && info.st_ino == lockFile.st_ino) {
                found.append(pid);
                break;
            }
        }
    }
    return found;
}

QString ConfigFileLock::processName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return Messages::tr("unknown program");
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

void ConfigFileLock::release()
{
    if (m_fd < 0)
        return;
    // Closing the descriptor gives the lock up; the file stays for the next holder.
    ::close(m_fd);
    m_fd = -1;
}
