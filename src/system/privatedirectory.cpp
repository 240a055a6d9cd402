#include "privatedirectory.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>

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

} // namespace

bool PrivateDirectory::prepare(const QString &path, QString *errorText)
{
    if (::mkdir(QFile::encodeName(path).constData(), 0700) != 0 && errno != EEXIST)
        return refuse(errorText,
                      Messages::tr("Can't create the directory %1: %2.")
                          .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    return check(path, errorText);
}

bool PrivateDirectory::check(const QString &path, QString *errorText)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return refuse(errorText,
                      Messages::tr("Can't use the directory %1: %2.")
                          .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    // Anybody else who could write there could take, fake or replace what it holds.
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return refuse(errorText,
                      Messages::tr("%1 is not a directory that only its owner can change.").arg(path));
    return true;
}
