#pragma once

#include <QString>
#include <QStringList>

#include <istream>
#include <ostream>

// shareward-cli --host: one command run on another server by its backend, reached through
// ssh. The command's exit code and output are the server's; a failure to reach the backend
// (ssh's own, a backend missing or of another version) exits ConnectionFailure with its
// reason, never mistaken for the command's.
class RemoteCommand
{
public:
    RemoteCommand(std::ostream &out, std::ostream &err, std::istream &in, bool inputIsTerminal);
    // host as "[ssh://][USER@]HOST[:PORT]" or an alias of the ssh configuration; sshConfig the
    // file for ssh -F, or empty.
    int run(const QString &host, const QString &sshConfig, const QStringList &arguments);

private:
    // What the command reads on the server: a password asked here on a terminal, else all of
    // standard input when it is not a terminal.
    bool input(const QStringList &arguments, QByteArray &bytes);
    int fail(int code, const QString &message);

    std::ostream &m_out;
    std::ostream &m_err;
    std::istream &m_in;
    bool m_inputIsTerminal;
};
