#include "remoteserver.h"

#include "remoteconfigsession.h"
#include "remoteserveraccounts.h"
#include "remoteserverfiles.h"
#include "remoteserverservices.h"

RemoteServer::RemoteServer(const QString &name)
    : m_connection(std::make_unique<BackendConnection>(name))
    , m_config(std::make_unique<RemoteConfigSession>(*m_connection))
    , m_services(std::make_unique<RemoteServerServices>(*m_connection))
    , m_accounts(std::make_unique<RemoteServerAccounts>(*m_connection))
    , m_files(std::make_unique<RemoteServerFiles>(*m_connection))
{
}

RemoteServer::~RemoteServer()
{
    // The interfaces first: they refer to the connection.
    m_files.reset();
    m_accounts.reset();
    m_services.reset();
    m_config.reset();
}

void RemoteServer::open(const BackendConnection::Launch &launch)
{
    m_launch = launch;
    m_connection->open(launch);
}

void RemoteServer::reconnect()
{
    m_connection->open(m_launch);
}

bool RemoteServer::isConnected() const
{
    return m_connection->isOpen();
}

ConfigSession &RemoteServer::config()
{
    return *m_config;
}

ServerServices &RemoteServer::services()
{
    return *m_services;
}

ServerAccounts &RemoteServer::accounts()
{
    return *m_accounts;
}

ServerFiles &RemoteServer::files()
{
    return *m_files;
}
