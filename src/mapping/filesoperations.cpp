#include "filesoperations.h"

#include "backendoperations.h"
#include "serverfiles.h"
#include "serverfilescodec.h"

#include <QJsonArray>

namespace {

QString readPath(const QJsonObject &request)
{
    QString path;
    BackendOperations::readRequest(
        request, [&](JsonFieldReader &fields) { path = fields.text(QStringLiteral("path")); });
    return path;
}

QList<SaveSteps::ModeRequest> readModeRequests(const QJsonObject &request)
{
    QList<SaveSteps::ModeRequest> requests;
    BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
        requests = ServerFilesCodec::readRequests(fields, QStringLiteral("requests"));
    });
    return requests;
}

} // namespace

void FilesOperations::addTo(BackendOperations &operations, ServerFiles &files)
{
    ServerFiles *const server = &files;
    operations.add(QStringLiteral("files.vfsModules"), [server](const QJsonObject &request) {
        BackendOperations::readRequest(request, [](JsonFieldReader &) {});
        return ServerFilesCodec::encode(server->vfsModules());
    });
    operations.add(QStringLiteral("files.directoryMode"), [server](const QJsonObject &request) {
        return QJsonObject{{QStringLiteral("mode"), server->directoryMode(readPath(request))}};
    });
    operations.add(QStringLiteral("files.directoryProblem"), [server](const QJsonObject &request) {
        return QJsonObject{{QStringLiteral("problem"), server->directoryProblem(readPath(request))}};
    });
    operations.add(QStringLiteral("files.plannedDirectoryModes"), [server](const QJsonObject &request) {
        return QJsonObject{
            {QStringLiteral("changes"),
             ServerFilesCodec::encode(server->plannedDirectoryModes(readModeRequests(request)))}};
    });
    operations.add(QStringLiteral("files.setDirectoryModes"), [server](const QJsonObject &request) {
        return QJsonObject{
            {QStringLiteral("failed"),
             QJsonArray::fromStringList(server->setDirectoryModes(readModeRequests(request)))}};
    });
}
