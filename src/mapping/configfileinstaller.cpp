#include "configfileinstaller.h"

#include "errnotext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(Audit)
};

const char temporaryInfix[] = ".shareward-";

} // namespace

ConfigFileInstaller::ConfigFileInstaller(const QString &path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    m_target = canonical.isEmpty() ? path : canonical;
}

ConfigFileInstaller::~ConfigFileInstaller()
{
    closeFile();
    releaseOwnership();
}

void ConfigFileInstaller::releaseOwnership()
{
    if (m_ownerFd >= 0) {
        ::close(m_ownerFd);
        m_ownerFd = -1;
    }
}

int ConfigFileInstaller::removeAbandoned(const QString &path)
{
    const QString target = ConfigFileInstaller(path).targetPath();
    const QByteArray directoryName = QFile::encodeName(QFileInfo(target).absolutePath());
    const int directory = ::open(directoryName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0)
        return 0;
    int removed = 0;
    const QStringList names =
        QDir(QFile::decodeName(directoryName))
            .entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!isTemporaryName(target, name))
            continue;
        const QByteArray entry = QFile::encodeName(name);
        const int fd = ::openat(directory, entry.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened;
        struct stat named;
        // Only a file such as a save makes (regular, one name, this user's) whose maker is
        // gone: a living save holds a lock on its own.
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_nlink == 1
            && opened.st_uid == ::geteuid() && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::fstatat(directory, entry.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0
            && named.st_dev == opened.st_dev && named.st_ino == opened.st_ino
            && ::unlinkat(directory, entry.constData(), 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::close(directory);
    return removed;
}

bool ConfigFileInstaller::isTemporaryName(const QString &target, const QString &name)
{
    const QString prefix = QFileInfo(target).fileName() + QLatin1String(temporaryInfix);
    return name.startsWith(prefix) && name.size() == prefix.size() + 6;
}

bool ConfigFileInstaller::fail(const QString &message)
{
    m_error = message;
    return false;
}

bool ConfigFileInstaller::failErrno(const QString &message, int error)
{
    const bool result = fail(message.arg(errnoText(error)));
    discard();
    return result;
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
    const QByteArray target = QFile::encodeName(m_target);
    struct stat info;
    if (::stat(target.constData(), &info) == 0) {
        // Replacing a device or a FIFO by a regular file would break what uses it; with
        // other hard links, their names would keep the old text.
        if (!S_ISREG(info.st_mode))
            return fail(Messages::tr("%1 is not a regular file; it is not replaced.").arg(m_target));
        if (info.st_nlink > 1)
            return fail(
                Messages::tr("%1 has %2 hard links; replacing it would leave the other names with the old "
                             "text. Remove the other links first.")
                    .arg(m_target)
                    .arg(info.st_nlink));
    } else if (errno != ENOENT) {
        return fail(Messages::tr("Can't examine %1: %2.").arg(m_target, errnoText(errno)));
    }

    // mkostemp creates the file with O_EXCL: never through a link, never a file that was
    // there, and a name no other save uses.
    QByteArray name = target + temporaryInfix + "XXXXXX";
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0) {
        const int error = errno;
        return fail(
            Messages::tr("Can't create a temporary file beside %1: %2.").arg(m_target, errnoText(error)));
    }
    m_temporary = QFile::decodeName(name);
    // A lock on the file says a living save owns it (see removeAbandoned()); it lasts until
    // the file is installed or discarded, and goes with a killed save.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 || (m_ownerFd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0)) < 0) {
        const int error = errno;
        return failErrno(Messages::tr("Can't lock the temporary file %1: %2.").arg(m_temporary), error);
    }
    struct stat created;
    if (::fstat(m_fd, &created) != 0) {
        const int error = errno;
        return failErrno(Messages::tr("Can't examine the temporary file %1: %2.").arg(m_temporary), error);
    }
    m_device = created.st_dev;
    m_inode = created.st_ino;
    return true;
}

bool ConfigFileInstaller::copyExtendedAttributes(int from)
{
    // POSIX ACLs are extended attributes too (system.posix_acl_access).
    ssize_t size = ::flistxattr(from, nullptr, 0);
    std::vector<char> names(size > 0 ? static_cast<std::size_t>(size) + 1 : 1);
    if (size > 0)
        size = ::flistxattr(from, names.data(), names.size());
    if (size < 0) {
        const int error = errno;
        return error == ENOTSUP
            || failErrno(Messages::tr("Can't read the extended attributes of %1: %2.").arg(m_target), error);
    }
    std::vector<char> value;
    for (const char *name = names.data(); name < names.data() + size; name += std::strlen(name) + 1) {
        const ssize_t length = ::fgetxattr(from, name, nullptr, 0);
        value.resize(length > 0 ? static_cast<std::size_t>(length) : 1);
        const ssize_t got = length < 0 ? length : ::fgetxattr(from, name, value.data(), value.size());
        if (got < 0 || ::fsetxattr(m_fd, name, value.data(), static_cast<std::size_t>(got), 0) != 0) {
            const int error = errno;
            return failErrno(Messages::tr("Can't copy the extended attribute %1 of %2: %3.")
                                 .arg(QString::fromLocal8Bit(name), m_target),
                             error);
        }
    }
    return true;
}

bool ConfigFileInstaller::write(const std::string &bytes)
{
    return writeData(bytes) && sync();
}

bool ConfigFileInstaller::writeData(const std::string &bytes)
{
    if (m_fd < 0)
        return fail(Messages::tr("No temporary file is open for %1.").arg(m_target));
    const QString writeFailure = Messages::tr("Can't write a file %1: %2.").arg(m_temporary);
    const char *data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return failErrno(writeFailure, errno);
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }

    // The new file takes the mode, owner, ACLs and extended attributes of the one it replaces.
    const int target = ::open(QFile::encodeName(m_target).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (target >= 0) {
        struct stat info;
        const bool copied = ::fstat(target, &info) == 0 && ::fchown(m_fd, info.st_uid, info.st_gid) == 0
            && ::fchmod(m_fd, info.st_mode & 07777) == 0;
        const int error = errno;
        if (!copied) {
            ::close(target);
            return failErrno(writeFailure, error);
        }
        const bool attributes = copyExtendedAttributes(target);
        ::close(target);
        if (!attributes)
            return false;
    } else if (errno != ENOENT || ::fchmod(m_fd, 0644) != 0) {
        const int error = errno;
        return failErrno(writeFailure, error);
    }

    m_written = true;
    return true;
}

bool ConfigFileInstaller::sync()
{
    if (m_fd < 0 || !m_written)
        return fail(Messages::tr("No temporary file is open for %1.").arg(m_target));
    const QString writeFailure = Messages::tr("Can't write a file %1: %2.").arg(m_temporary);
    if (::fsync(m_fd) != 0)
        return failErrno(writeFailure, errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        return failErrno(writeFailure, errno);
    return true;
}

bool ConfigFileInstaller::install()
{
    if (m_fd >= 0 || !m_written)
        return fail(Messages::tr("The temporary file %1 is not written to disk; %2 is not changed.")
                        .arg(m_temporary, m_target));
    const QByteArray temporary = QFile::encodeName(m_temporary);
    // The file renamed must be the file written and judged, not one put in its place.
    struct stat info;
    if (::lstat(temporary.constData(), &info) != 0 || info.st_dev != m_device || info.st_ino != m_inode) {
        m_error = Messages::tr("The temporary file %1 was replaced while it was checked; %2 is not changed.")
                      .arg(m_temporary, m_target);
        return false;
    }
    if (::rename(temporary.constData(), QFile::encodeName(m_target).constData()) != 0) {
        const int error = errno;
        return failErrno(Messages::tr("Failed to rename file %1 to file %2: %3.").arg(m_temporary, m_target),
                         error);
    }
    m_temporary.clear();
    releaseOwnership();
    // Make the new directory entry durable too.
    const QByteArray directory = QFile::encodeName(QFileInfo(m_target).absolutePath());
    const int fd = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

bool ConfigFileInstaller::withTemporaryCopy(const std::string &bytes,
                                            const std::function<void(const QString &path)> &use)
{
    if (!open() || !write(bytes)) {
        discard();
        return false;
    }
    try {
        use(temporaryPath());
    } catch (...) {
        discard();
        throw;
    }
    discard();
    return true;
}

void ConfigFileInstaller::discard()
{
    closeFile();
    if (m_temporary.isEmpty())
        return;
    // Only the file this installer made.
    struct stat info;
    const QByteArray temporary = QFile::encodeName(m_temporary);
    if (::lstat(temporary.constData(), &info) == 0 && info.st_dev == m_device && info.st_ino == m_inode)
        ::unlink(temporary.constData());
    m_temporary.clear();
    releaseOwnership();
}

bool ConfigFileInstaller::readChunks(const QString &path,
                                     const std::function<void(std::string_view chunk)> &use, QString &error,
                                     std::size_t *size)
{
    // O_NONBLOCK: opening a FIFO without a writer must not wait for one.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errnoText(errno);
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        error = errnoText(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? errnoText(EISDIR) : Messages::tr("Not a regular file");
        ::close(fd);
        return false;
    }
    if (size)
        *size = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
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
        use(std::string_view(chunk, static_cast<std::size_t>(got)));
    }
    ::close(fd);
    return true;
}

bool ConfigFileInstaller::readFile(const QString &path, std::string &bytes, QString &error)
{
    std::string content;
    std::size_t size = 0; // known before the first piece: the whole file is one allocation
    const bool read = readChunks(
        path,
        [&](std::string_view chunk) {
            if (content.empty())
                content.reserve(size);
            content.append(chunk);
        },
        error, &size);
    if (!read)
        return false;
    bytes = std::move(content);
    return true;
}

bool ConfigFileInstaller::holds(const QString &path, std::string_view bytes, bool &same, QString &error)
{
    // Compared as it is read: a large file is not held twice.
    std::size_t at = 0;
    same = true;
    if (!readChunks(
            path,
            [&](std::string_view chunk) {
                same = same && bytes.substr(at, chunk.size()) == chunk;
                at += chunk.size();
            },
            error))
        return false;
    same = same && at == bytes.size();
    return true;
}
