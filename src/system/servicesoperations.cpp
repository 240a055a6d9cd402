#include "servicesoperations.h"

#include "backendoperations.h"
#include "jsonfieldreader.h"
#include "serverservicescodec.h"
#include "serverstatuscodec.h"

#include <QRegularExpression>

namespace {

QString readService(JsonFieldReader &fields)
{
    const QStringList services{SystemCtl::smbdService(), SystemCtl::nmbdService()};
    return services.at(fields.choice(QStringLiteral("service"), services));
}

// "smbd" or "nmbd" as smbcontrol's destination would end every process of the daemon.
QString readPid(JsonFieldReader &fields)
{
    static const QRegularExpression number(QStringLiteral("^[1-9][0-9]{0,9}$"));
    const QString pid = fields.text(QStringLiteral("pid"));
    if (!number.match(pid).hasMatch())
        fields.fail(QStringLiteral("pid"), QStringLiteral("must be the number of a process"));
    return pid;
}

QString readShare(JsonFieldReader &fields)
{
    const QString share = fields.text(QStringLiteral("share"));
    if (share.isEmpty())
        fields.fail(QStringLiteral("share"), QStringLiteral("must name a share"));
    return share;
}

} // namespace

void ServicesOperations::addTo(BackendOperations &operations, ServerServices &services)
{
    ServerServices *const server = &services;
    operations.add(QStringLiteral("services.state"), [server](const QJsonObject &request) {
        QString service;
        BackendOperations::readRequest(request,
                                       [&](JsonFieldReader &fields) { service = readService(fields); });
        return ServerServicesCodec::encode(server->state(service));
    });
    operations.add(QStringLiteral("services.control"), [server](const QJsonObject &request) {
        SystemCtl::Command command = SystemCtl::IsActive;
        QString service;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            command = ServerServicesCodec::readCommand(fields, QStringLiteral("command"));
            service = readService(fields);
        });
        return ServerServicesCodec::encode(server->control(command, service));
    });
    operations.add(QStringLiteral("services.takeUpConfig"), [server](const QJsonObject &request) {
        bool restart = false;
        BackendOperations::readRequest(
            request, [&](JsonFieldReader &fields) { restart = fields.flag(QStringLiteral("restart")); });
        return ServerServicesCodec::encode(server->takeUpConfig(restart));
    });
    operations.add(QStringLiteral("services.restartAndCheck"), [server](const QJsonObject &request) {
        bool nmbd = false;
        BackendOperations::readRequest(
            request, [&](JsonFieldReader &fields) { nmbd = fields.flag(QStringLiteral("nmbd")); });
        return ServerServicesCodec::encode(server->restartAndCheck(nmbd));
    });
    operations.add(QStringLiteral("services.liveStatus"), [server](const QJsonObject &request) {
        SmbStatus::SharePaths shares;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            shares = ServerStatusCodec::readSharePaths(fields, QStringLiteral("shares"));
        });
        return ServerServicesCodec::encode(server->liveStatus(shares));
    });
    operations.add(QStringLiteral("services.endProcess"), [server](const QJsonObject &request) {
        QString pid;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) { pid = readPid(fields); });
        return ServerServicesCodec::encode(server->endProcess(pid));
    });
    operations.add(QStringLiteral("services.closeShare"), [server](const QJsonObject &request) {
        QString share;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) { share = readShare(fields); });
        return ServerServicesCodec::encode(server->closeShare(share));
    });
}
