#include "localserverfiles.h"

#include "sharerules.h"

#include <QFile>

#include <sys/stat.h>

LocalServerFiles::LocalServerFiles(const QString &smbd)
    : m_smbd(smbd)
{
}

VfsModuleInventory LocalServerFiles::vfsModules()
{
    return VfsModuleInventory::load(m_smbd);
}

int LocalServerFiles::directoryMode(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return -1;
    return int(info.st_mode & 07777);
}

QString LocalServerFiles::directoryProblem(const QString &path)
{
    return ShareRules::directoryProblem(path);
}

QList<SaveSteps::ModeChange>
LocalServerFiles::plannedDirectoryModes(const QList<SaveSteps::ModeRequest> &requests)
{
    return SaveSteps::plannedModes(requests);
}

QStringList LocalServerFiles::setDirectoryModes(const QList<SaveSteps::ModeRequest> &requests)
{
    return SaveSteps::applyModeRequests(requests);
}
