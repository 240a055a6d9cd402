#pragma once

#include <QString>

class ConfigSession;
class ServerAccounts;
class ServerFiles;
class ServerServices;

// One server the window administers, as the window reaches it: its configuration, services,
// accounts and files, each through its interface. A remote server answers them through its
// backend; the backend itself answers them over the server's own programs and files.
class Server
{
public:
    virtual ~Server();
    virtual ConfigSession &config() = 0;
    virtual ServerServices &services() = 0;
    virtual ServerAccounts &accounts() = 0;
    virtual ServerFiles &files() = 0;
    // smb.conf's path when this process can read it itself (this machine's server); empty
    // for a server reached through a backend.
    virtual QString readableConfigPath() const { return QString(); }
    // Whether the registry configuration can be read and changed.
    virtual bool registryUsable() const { return true; }
    // Whether the way to the server broke (its backend ended or stopped answering): nothing
    // reaches it any more.
    virtual bool connectionLost() const { return false; }
    // After a loss, opens the way to the server again as it was opened first; the interfaces
    // go on through it. Throws an exception whose what() says why when it cannot.
    virtual void reconnect() { }
};
