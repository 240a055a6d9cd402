#include "localserverfiles.h"

LocalServerFiles::LocalServerFiles(const QString &smbd)
    : m_smbd(smbd)
{
}

VfsModuleInventory LocalServerFiles::vfsModules()
{
    return VfsModuleInventory::load(m_smbd);
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
