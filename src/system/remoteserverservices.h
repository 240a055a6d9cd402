#pragma once

#include "serverservices.h"

#include <QJsonObject>

class BackendConnection;

// ServerServices of the server a backend runs on: each call is one request "services.<method>"
// on the connection, which the other remote interfaces of that server share and whose requests
// take turns. When the connection is lost, the backend refuses the request or its answer
// cannot be read, the call gives its failure result with the sentence that says why (a state
// Unknown, a result that did not succeed, an outcome whose services could not be checked, a
// status that is not running), as the local services do when a program fails.
class RemoteServerServices : public ServerServices
{
public:
    // connection must be open and live as long as this.
    explicit RemoteServerServices(BackendConnection &connection);

    ServiceState state(const QString &service) override;
    SystemCtl::Result control(SystemCtl::Command command, const QString &service) override;
    ServiceUpdate::Outcome takeUpConfig(bool restart) override;
    ServiceUpdate::Outcome restartAndCheck(bool nmbd) override;
    LiveStatus liveStatus(const SmbStatus::SharePaths &shares) override;
    SmbControl::Result endProcess(const QString &pid) override;
    SmbControl::Result closeShare(const QString &share) override;

private:
    // The decoded answer to the request op with fields, or failed(why) when there is none.
    template<typename Result, typename Decode, typename Failed>
    Result ask(const QString &op, QJsonObject fields, Decode decode, Failed failed);

    BackendConnection &m_connection;
};
