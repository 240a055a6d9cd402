#include "configfilelock.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(Audit)
};

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

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
            char holder[256] = {};
            const ssize_t got = ::pread(m_fd, holder, sizeof holder - 1, 0);
            const QStringList words =
                QString::fromLocal8Bit(holder, got > 0 ? int(got) : 0).trimmed().split(QLatin1Char(' '));
            release();
            return fail(Messages::tr("Another save of this file is under way (%1, process %2). "
                                     "Try again when it has finished.")
                            .arg(words.value(1, Messages::tr("unknown program")),
                                 words.value(0, Messages::tr("unknown"))));
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

void ConfigFileLock::release()
{
    if (m_fd < 0)
        return;
    // Closing the descriptor gives the lock up; the file stays for the next holder.
    ::close(m_fd);
    m_fd = -1;
}
