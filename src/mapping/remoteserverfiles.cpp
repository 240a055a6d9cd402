#include "remoteserverfiles.h"

#include "remotecall.h"
#include "serverfilescodec.h"

RemoteServerFiles::RemoteServerFiles(BackendConnection &connection)
    : m_connection(connection)
{
}

VfsModuleInventory RemoteServerFiles::vfsModules()
{
    VfsModuleInventory inventory;
    RemoteCall::ask(m_connection, QStringLiteral("files.vfsModules"), {},
                    [&](JsonFieldReader &reply) { inventory = ServerFilesCodec::readInventory(reply); });
    return inventory;
}

int RemoteServerFiles::directoryMode(const QString &path)
{
    int mode = -1;
    RemoteCall::ask(m_connection, QStringLiteral("files.directoryMode"), {{QStringLiteral("path"), path}},
                    [&](JsonFieldReader &reply) {
                        mode = reply.integer(QStringLiteral("mode"), -1, ServerFilesCodec::ModeBits);
                    });
    return mode;
}

QString RemoteServerFiles::directoryProblem(const QString &path)
{
    QString problem;
    try {
        RemoteCall::ask(m_connection, QStringLiteral("files.directoryProblem"),
                        {{QStringLiteral("path"), path}},
                        [&](JsonFieldReader &reply) { problem = reply.text(QStringLiteral("problem")); });
    } catch (const BackendConnection::Failure &failure) {
        // The directory cannot be checked: the share dialog shows why.
        return failure.message();
    }
    return problem;
}

QList<SaveSteps::ModeChange>
RemoteServerFiles::plannedDirectoryModes(const QList<SaveSteps::ModeRequest> &requests)
{
    QList<SaveSteps::ModeChange> changes;
    RemoteCall::ask(m_connection, QStringLiteral("files.plannedDirectoryModes"),
                    {{QStringLiteral("requests"), ServerFilesCodec::encode(requests)}},
                    [&](JsonFieldReader &reply) {
                        changes = ServerFilesCodec::readChanges(reply, QStringLiteral("changes"));
                    });
    return changes;
}

QStringList RemoteServerFiles::setDirectoryModes(const QList<SaveSteps::ModeRequest> &requests)
{
    QStringList failed;
    RemoteCall::ask(m_connection, QStringLiteral("files.setDirectoryModes"),
                    {{QStringLiteral("requests"), ServerFilesCodec::encode(requests)}},
                    [&](JsonFieldReader &reply) { failed = reply.texts(QStringLiteral("failed")); });
    return failed;
}
