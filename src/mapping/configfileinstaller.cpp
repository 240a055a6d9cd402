#include "configfileinstaller.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

ConfigFileInstaller::ConfigFileInstaller(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    m_target = canonical.isEmpty() ? path : canonical;
    m_temporary = temporaryPathFor(m_target);
}

ConfigFileInstaller::~ConfigFileInstaller()
{
    closeFile();
}

QString ConfigFileInstaller::temporaryPathFor(const QString &target)
{
    return target + QStringLiteral(".shareward.temp");
}

bool ConfigFileInstaller::fail(int error)
{
    m_error = errnoText(error);
    return false;
}

void ConfigFileInstaller::closeFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool ConfigFileInstaller::open()
{
    closeFile();
    const QByteArray temporary = QFile::encodeName(m_temporary);
    // A stale file, or a link planted at the path, is removed rather than followed.
    if (::unlink(temporary.constData()) != 0 && errno != ENOENT)
        return fail(errno);
    m_fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return fail(errno);
    return true;
}

bool ConfigFileInstaller::write(const std::string &bytes)
{
    if (m_fd < 0)
        return fail(EBADF);
    const char *data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            closeFile();
            return fail(error);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }

    // The new file takes the mode and owner of the one it replaces.
    struct stat target;
    if (::stat(QFile::encodeName(m_target).constData(), &target) == 0) {
        if (::fchown(m_fd, target.st_uid, target.st_gid) != 0
            || ::fchmod(m_fd, target.st_mode & 07777) != 0) {
            const int error = errno;
            closeFile();
            return fail(error);
        }
    } else if (::fchmod(m_fd, 0644) != 0) {
        const int error = errno;
        closeFile();
        return fail(error);
    }

    if (::fsync(m_fd) != 0) {
        const int error = errno;
        closeFile();
        return fail(error);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return fail(errno);
    return true;
}

bool ConfigFileInstaller::install()
{
    if (::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_target).constData()) != 0)
        return fail(errno);
    // Make the new directory entry durable too.
    const QByteArray directory = QFile::encodeName(QFileInfo(m_target).absolutePath());
    const int fd = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

void ConfigFileInstaller::discard()
{
    closeFile();
    ::unlink(QFile::encodeName(m_temporary).constData());
}

bool ConfigFileInstaller::readFile(const QString &path, std::string &bytes, QString &error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errnoText(errno);
        return false;
    }
    std::string content;
    struct stat info;
    if (::fstat(fd, &info) == 0 && info.st_size > 0)
        content.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = errnoText(errno);
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        content.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    bytes = std::move(content);
    return true;
}
