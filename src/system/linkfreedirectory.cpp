#include "linkfreedirectory.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr int DirectoryFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

int walk(const QByteArray &path)
{
    int directory = ::open("/", DirectoryFlags);
    for (const QByteArray &component : path.split('/')) {
        if (directory < 0)
            break;
        if (component.isEmpty() || component == ".")
            continue;
        const int next = ::openat(directory, component.constData(), DirectoryFlags);
        const int error = errno;
        ::close(directory);
        directory = next;
        errno = error;
    }
    return directory;
}

} // namespace

int LinkFreeDirectory::open(const QString &path, Method method)
{
    const QByteArray name = QFile::encodeName(path);
    if (!name.startsWith('/') || name.split('/').contains("..")) {
        errno = EINVAL;
        return -1;
    }
    if (method == Automatic) {
        open_how how = {};
        how.flags = DirectoryFlags;
        how.resolve = RESOLVE_NO_SYMLINKS;
        const int fd = int(::syscall(SYS_openat2, AT_FDCWD, name.constData(), &how, sizeof how));
        if (fd >= 0 || errno != ENOSYS)
            return fd;
    }
    return walk(name);
}
