#include "remoteserverservices.h"

#include "backendconnection.h"
#include "remotecall.h"
#include "serverservicescodec.h"
#include "serverstatuscodec.h"

namespace {

SmbControl::Result smbcontrolFailed(const QString &why)
{
    return {false, why};
}

// Whether the services took up smb.conf is not known: they could not be checked. services
// are those the request was about, which the window names.
ServiceUpdate::Outcome updateFailed(const QStringList &services, const QString &why)
{
    ServiceUpdate::Outcome outcome;
    outcome.services = services;
    outcome.failures << why;
    outcome.unchecked = why;
    return outcome;
}

} // namespace

RemoteServerServices::RemoteServerServices(BackendConnection &connection)
    : m_connection(connection)
{
}

template<typename Result, typename Decode, typename Failed>
Result RemoteServerServices::ask(const QString &op, QJsonObject fields, Decode decode, Failed failed)
{
    try {
        return RemoteCall::answer(m_connection, op, std::move(fields), decode);
    } catch (const BackendConnection::Failure &failure) {
        return failed(failure.message());
    }
}

ServerServices::ServiceState RemoteServerServices::state(const QString &service)
{
    return ask<ServiceState>(QStringLiteral("services.state"), {{QStringLiteral("service"), service}},
                             ServerServicesCodec::decodeState, [](const QString &why) {
                                 return ServiceState{SystemCtl::Unknown, why};
                             });
}

SystemCtl::Result RemoteServerServices::control(SystemCtl::Command command, const QString &service)
{
    return ask<SystemCtl::Result>(QStringLiteral("services.control"),
                                  {{QStringLiteral("command"), ServerServicesCodec::encode(command)},
                                   {QStringLiteral("service"), service}},
                                  ServerServicesCodec::decodeSystemCtlResult, [](const QString &why) {
                                      return SystemCtl::Result{false, why};
                                  });
}

ServiceUpdate::Outcome RemoteServerServices::takeUpConfig(bool restart)
{
    return ask<ServiceUpdate::Outcome>(
        QStringLiteral("services.takeUpConfig"), {{QStringLiteral("restart"), restart}},
        ServerServicesCodec::decodeOutcome,
        [](const QString &why) { return updateFailed({SystemCtl::smbdService()}, why); });
}

ServiceUpdate::Outcome RemoteServerServices::restartAndCheck(bool nmbd)
{
    return ask<ServiceUpdate::Outcome>(QStringLiteral("services.restartAndCheck"), {{QStringLiteral("nmbd"), nmbd}},
                                       ServerServicesCodec::decodeOutcome, [nmbd](const QString &why) {
                                           QStringList services{SystemCtl::smbdService()};
                                           if (nmbd)
                                               services << SystemCtl::nmbdService();
                                           return updateFailed(services, why);
                                       });
}

ServerServices::LiveStatus RemoteServerServices::liveStatus(const SmbStatus::SharePaths &shares)
{
    return ask<LiveStatus>(QStringLiteral("services.liveStatus"),
                           {{QStringLiteral("shares"), ServerStatusCodec::encode(shares)}},
                           ServerServicesCodec::decodeLiveStatus, [](const QString &why) {
                               LiveStatus reading;
                               reading.status.error = why;
                               return reading;
                           });
}

SmbControl::Result RemoteServerServices::endProcess(const QString &pid)
{
    return ask<SmbControl::Result>(QStringLiteral("services.endProcess"), {{QStringLiteral("pid"), pid}},
                                   ServerServicesCodec::decodeSmbControlResult, smbcontrolFailed);
}

SmbControl::Result RemoteServerServices::closeShare(const QString &share)
{
    return ask<SmbControl::Result>(QStringLiteral("services.closeShare"), {{QStringLiteral("share"), share}},
                                   ServerServicesCodec::decodeSmbControlResult, smbcontrolFailed);
}
