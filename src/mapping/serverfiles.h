#pragma once

#include "savesteps.h"
#include "vfsmoduleinventory.h"

#include <QList>
#include <QString>
#include <QStringList>

// The window's way to the files of its server beside smb.conf: the VFS modules its smbd can
// load, the shared directories the share dialog checks, and the modes a save changes. Every call is one
// request a backend process answers alone, with values in and out. Calls may come from a worker thread, one
// at a time per thread; an implementation lets them take turns. A call that cannot reach the
// server throws std::runtime_error with a sentence for people, except directoryProblem(), which
// gives that sentence as the problem.
class ServerFiles
{
public:
    virtual ~ServerFiles() = default;

    // What smbd says it can load; nothing known (every module counts as installed) when it
    // does not answer.
    virtual VfsModuleInventory vfsModules() = 0;
    // The mode bits (07777) of the directory at path, through links; -1 when there is none.
    virtual int directoryMode(const QString &path) = 0;
    // Why path cannot be a share's directory there (ShareRules::directoryProblem); empty when
    // it can.
    virtual QString directoryProblem(const QString &path) = 0;
    // The modes the requests would set, changing nothing (SaveSteps::plannedModes).
    virtual QList<SaveSteps::ModeChange>
    plannedDirectoryModes(const QList<SaveSteps::ModeRequest> &requests) = 0;
    // Sets them (SaveSteps::applyModeRequests); returns the paths whose mode could not be set.
    virtual QStringList setDirectoryModes(const QList<SaveSteps::ModeRequest> &requests) = 0;
};
