#pragma once

#include "backendconnection.h"
#include "server.h"

#include <memory>

class RemoteConfigSession;
class RemoteServerAccounts;
class RemoteServerFiles;
class RemoteServerServices;

// A server reached through its backend, shareward-cli serve: on this machine through pkexec,
// on another through ssh. Every interface sends its requests over the one connection.
class RemoteServer : public Server
{
public:
    // name: how messages name the server ("files", "This computer").
    explicit RemoteServer(const QString &name);
    ~RemoteServer() override;

    // Starts the backend and waits for its greeting; reconnect() starts it again the same way. Throws
    // BackendConnection::Failure with the sentence that says why it cannot be reached.
    void open(const BackendConnection::Launch &launch);
    // Whether the connection still holds; after a loss, open() starts a new backend, and the
    // interfaces go on through it.
    bool isConnected() const;

    ConfigSession &config() override;
    ServerServices &services() override;
    ServerAccounts &accounts() override;
    ServerFiles &files() override;
    bool connectionLost() const override { return !isConnected(); }
    void reconnect() override;

private:
    // Made once: the interfaces, which the window holds on to, go on through it after a
    // reconnection.
    std::unique_ptr<BackendConnection> m_connection;
    BackendConnection::Launch m_launch;
    std::unique_ptr<RemoteConfigSession> m_config;
    std::unique_ptr<RemoteServerServices> m_services;
    std::unique_ptr<RemoteServerAccounts> m_accounts;
    std::unique_ptr<RemoteServerFiles> m_files;
};
