#include "privatedirectory.h"

#include "errnotext.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(PrivateDirectory)
};

bool refuse(QString *errorText, const QString &text)
{
    if (errorText)
        *errorText = text;
    return false;
}

QString notPrivate(const QString &path)
{
    return Messages::tr("%1 is not a directory that only its owner can change.").arg(path);
}

} // namespace

bool PrivateDirectory::prepare(const QString &path, QString *errorText)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
        return refuse(errorText,
                      Messages::tr("Can't create the directory %1: %2.").arg(path, errnoText(errno)));
    return check(path, errorText);
}

bool PrivateDirectory::check(const QString &path, QString *errorText)
{
    const int fd = open(path, errorText);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

int PrivateDirectory::open(const QString &path, QString *errorText)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // A link is refused as such, anything else with the system's word.
        struct stat info;
        if (::lstat(name.constData(), &info) == 0 && S_ISLNK(info.st_mode))
            refuse(errorText, notPrivate(path));
        else
            refuse(errorText, Messages::tr("Can't use the directory %1: %2.").arg(path, errnoText(error)));
        return -1;
    }
    // Anybody else who could write there could take, fake or replace what it holds.
    struct stat info;
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        ::close(fd);
        refuse(errorText, notPrivate(path));
        return -1;
    }
    return fd;
}
