#pragma once

#include "backendconnection.h"
#include "sshcommand.h"

#include <QString>

#include <optional>

// A server the window administers: this machine, or another one reached through ssh. Written
// as "local" or "[ssh://][USER@]HOST[:PORT]", as --connect takes it and the settings keep it.
class ServerAddress
{
public:
    // This machine.
    ServerAddress() = default;
    explicit ServerAddress(const SshCommand::Destination &destination);

    // None, with the problem in *problem, when text is neither "local" nor a destination.
    static std::optional<ServerAddress> parse(const QString &text, QString *problem);

    bool isLocal() const { return !m_destination; }
    // "local", or the destination as given to parse(), "ssh://" left out.
    QString text() const;
    // How the window names it: "This computer", or "admin@files".
    QString displayName() const;

    // How its backend is reached: pkexec (or directly as root) here, ssh there with the
    // configuration file of --ssh-config when given.
    BackendConnection::Launch launch(unsigned uid, const QString &sshConfig) const;

    bool operator==(const ServerAddress &other) const { return text() == other.text(); }

private:
    std::optional<SshCommand::Destination> m_destination;
};
