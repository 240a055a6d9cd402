#pragma once

#include "configfilelock.h"
#include "confighistory.h"
#include "sambaaccountstore.h"
#include "server.h"
#include "smbcontrol.h"
#include "smbstatus.h"
#include "systemctl.h"
#include "systemprograms.h"

#include <QString>

#include <memory>

class LocalConfigSession;
class LocalServerAccounts;
class LocalServerFiles;
class LocalServerServices;

// The server this process runs on, reached through its own programs and files: what the
// backend answers requests with (and what the window's tests drive directly).
class LocalServer : public Server
{
public:
    // Where smb.conf is and the programs that serve it; tests point them elsewhere.
    struct Programs
    {
        QString configPath = QStringLiteral("/etc/samba/smb.conf");
        QString testparm = SystemPrograms::testparm();
        QString systemctl = SystemCtl::defaultProgram();
        QString pdbedit = SambaAccountStore::defaultPdbeditProgram();
        QString wbinfo = SambaAccountStore::defaultWbinfoProgram();
        QString smbpasswd = SambaAccountStore::defaultSmbpasswdProgram();
        QString net = SambaAccountStore::defaultNetProgram();
        QString smbcontrol = SmbControl::defaultProgram();
        QString smbstatus = SmbStatus::defaultProgram();
        QString smbd = SystemPrograms::smbd();
        // Where saves of smb.conf take turns with other Shareward processes.
        QString lockDirectory = ConfigFileLock::defaultDirectory();
        // Where every installed version of smb.conf is kept.
        QString historyDirectory = ConfigHistory::defaultDirectory();
        // Who the history says made the versions.
        QString historyProgram = QStringLiteral("shareward");
    };

    explicit LocalServer(const Programs &programs);
    ~LocalServer() override;

    ConfigSession &config() override;
    ServerServices &services() override;
    ServerAccounts &accounts() override;
    ServerFiles &files() override;
    QString readableConfigPath() const override { return m_programs.configPath; }
    bool registryUsable() const override { return !m_programs.net.isEmpty(); }
    const Programs &programs() const { return m_programs; }

private:
    Programs m_programs;
    std::unique_ptr<LocalConfigSession> m_config;
    std::unique_ptr<LocalServerServices> m_services;
    std::unique_ptr<LocalServerAccounts> m_accounts;
    std::unique_ptr<LocalServerFiles> m_files;
};
