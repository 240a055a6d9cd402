#pragma once

#include "serverfiles.h"

class BackendConnection;

// ServerFiles of a server reached through its backend: each call is one request
// "files.<method>" on a connection shared with the server's other remote interfaces. When the
// backend is lost or refuses the request, directoryProblem() gives the sentence as the
// directory's problem, and every other call throws BackendConnection::Failure (a
// std::runtime_error) with it.
class RemoteServerFiles : public ServerFiles
{
public:
    // connection must stay open as long as this is used.
    explicit RemoteServerFiles(BackendConnection &connection);

    VfsModuleInventory vfsModules() override;
    int directoryMode(const QString &path) override;
    QString directoryProblem(const QString &path) override;
    QList<SaveSteps::ModeChange>
    plannedDirectoryModes(const QList<SaveSteps::ModeRequest> &requests) override;
    QStringList setDirectoryModes(const QList<SaveSteps::ModeRequest> &requests) override;

private:
    BackendConnection &m_connection;
};
