#include "localserver.h"

#include "localconfigsession.h"
#include "localserveraccounts.h"
#include "localserverfiles.h"
#include "localserverservices.h"

LocalServer::LocalServer(const Programs &programs)
    : m_programs(programs)
{
    LocalConfigSession::Environment config;
    config.configPath = programs.configPath;
    config.testparm = programs.testparm;
    config.net = programs.net;
    config.lockDirectory = programs.lockDirectory;
    config.historyDirectory = programs.historyDirectory;
    config.program = programs.historyProgram;
    m_config = std::make_unique<LocalConfigSession>(config);
    m_services = std::make_unique<LocalServerServices>(programs.systemctl, programs.smbcontrol,
                                                       programs.smbstatus, programs.configPath);
    m_accounts = std::make_unique<LocalServerAccounts>(
        SambaAccountStore(programs.pdbedit, programs.wbinfo, programs.smbpasswd, programs.net));
    m_files = std::make_unique<LocalServerFiles>(programs.smbd);
}

LocalServer::~LocalServer() = default;

ConfigSession &LocalServer::config()
{
    return *m_config;
}

ServerServices &LocalServer::services()
{
    return *m_services;
}

ServerAccounts &LocalServer::accounts()
{
    return *m_accounts;
}

ServerFiles &LocalServer::files()
{
    return *m_files;
}
