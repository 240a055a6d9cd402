#include "sshcommand.h"

#include "systemprograms.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SshCommand", text);
}

// What ssh and a shell would take for something else than a name: options, blanks, quotes,
// control characters. Names of hosts, aliases and users hold none of these.
bool plainName(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_.%+][A-Za-z0-9_.%+\\-]*$"));
    return plain.match(text).hasMatch();
}

} // namespace

QString SshCommand::Destination::name() const
{
    return user.isEmpty() ? host : user + QLatin1Char('@') + host;
}

std::optional<SshCommand::Destination> SshCommand::parse(const QString &given, QString *problem)
{
    const auto refuse = [problem](const QString &text) -> std::optional<Destination> {
        if (problem)
            *problem = text;
        return std::nullopt;
    };
    QString text = given;
    if (text.startsWith(QLatin1String("ssh://")))
        text = text.mid(6);
    if (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    Destination destination;
    const int at = text.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        destination.user = text.left(at);
        text = text.mid(at + 1);
        if (!plainName(destination.user))
            return refuse(tr("\"%1\" is not a user name.").arg(destination.user));
    }
    QString portText;
    if (text.startsWith(QLatin1Char('['))) {
        const int close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return refuse(tr("\"%1\" lacks the \"]\" after the address.").arg(given));
        destination.host = text.mid(1, close - 1);
        const QString after = text.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(QLatin1Char(':')))
            return refuse(tr("\"%1\" is not a host.").arg(given));
        portText = after.mid(1);
        static const QRegularExpression address(QStringLiteral("^[0-9A-Fa-f:.]+(%[A-Za-z0-9]+)?$"));
        if (!address.match(destination.host).hasMatch())
            return refuse(tr("\"%1\" is not an IPv6 address.").arg(destination.host));
    } else {
        const int colon = text.indexOf(QLatin1Char(':'));
        destination.host = colon < 0 ? text : text.left(colon);
        if (colon >= 0)
            portText = text.mid(colon + 1);
        if (!plainName(destination.host))
            return refuse(tr("\"%1\" is not a host name.").arg(destination.host));
    }
    if (destination.host.isEmpty())
        return refuse(tr("No host is given."));
    if (!portText.isNull()) {
        bool number = false;
        destination.port = portText.toInt(&number);
        if (!number || destination.port < 1 || destination.port > 65535)
            return refuse(tr("\"%1\" is not a port: a number from 1 to 65535 is.").arg(portText));
    }
    return destination;
}

BackendConnection::Launch SshCommand::backend(const Destination &destination, const QString &configFile,
                                              bool sharedTerminal)
{
    BackendConnection::Launch launch;
    launch.program = SystemPrograms::ssh();
    if (!configFile.isEmpty())
        launch.arguments << QStringLiteral("-F") << configFile;
    if (destination.port > 0)
        launch.arguments << QStringLiteral("-p") << QString::number(destination.port);
    if (!destination.user.isEmpty())
        launch.arguments << QStringLiteral("-l") << destination.user;
    // No terminal on the server: the protocol's bytes pass untouched. A connection that died
    // without a word is noticed within a minute.
    launch.arguments << QStringLiteral("-T") << QStringLiteral("-o")
                     << QStringLiteral("ServerAliveInterval=15") << QStringLiteral("-o")
                     << QStringLiteral("ServerAliveCountMax=4") << QStringLiteral("--") << destination.host
                     << backendCommand();
    launch.sharedTerminal = sharedTerminal;
    launch.exitMeanings.insert(255, tr("Cannot connect to %1: %2"));
    // The shell's "command not found", or found and not executable.
    for (const int code : {126, 127})
        launch.exitMeanings.insert(code, tr("%1 has no shareward-cli: install the shareward package there."));
    return launch;
}
