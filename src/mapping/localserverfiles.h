#pragma once

#include "serverfiles.h"
#include "systemprograms.h"

// ServerFiles on this machine: "smbd -b" and the module directory it names, and the shared
// directories themselves. Each call works on its own, so calls from several threads need no
// lock.
class LocalServerFiles : public ServerFiles
{
public:
    explicit LocalServerFiles(const QString &smbd = SystemPrograms::smbd());

    VfsModuleInventory vfsModules() override;
    int directoryMode(const QString &path) override;
    QString directoryProblem(const QString &path) override;
    QList<SaveSteps::ModeChange>
    plannedDirectoryModes(const QList<SaveSteps::ModeRequest> &requests) override;
    QStringList setDirectoryModes(const QList<SaveSteps::ModeRequest> &requests) override;

private:
    QString m_smbd;
};
