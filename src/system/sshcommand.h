#pragma once

#include "backendconnection.h"

#include <QString>

#include <optional>

// The system's ssh (OpenSSH), as it reaches the backend on another machine: the administrator's
// keys, agent, known_hosts, ProxyJump and ControlMaster work as set up, and ssh checks the host
// key itself. ssh joins its arguments into one shell command line on the server, so the only
// command it ever runs there is the fixed "shareward-cli serve": everything else travels in the
// protocol.
class SshCommand
{
public:
    struct Destination
    {
        QString user; // empty: ssh's choice (its configuration, or the local user)
        QString host; // a name, an address, or an alias of the ssh configuration
        int port = 0; // 0: ssh's choice
        // How messages name the server: "alice@files" or "files".
        QString name() const;
    };
    // Reads "[ssh://][USER@]HOST[:PORT]" (an IPv6 address in brackets); none, with the problem
    // in *problem, when it is not one.
    static std::optional<Destination> parse(const QString &text, QString *problem);

    // The ssh that runs the backend on destination; configFile, when given, replaces
    // ~/.ssh/config (ssh -F), which ssh reads from the home of the password database's entry,
    // not from $HOME.
    static BackendConnection::Launch backend(const Destination &destination, const QString &configFile,
                                             bool sharedTerminal);
    // The remote command, fixed.
    static QString backendCommand() { return QStringLiteral("shareward-cli serve"); }
};
