#include "serveraddress.h"

#include "localbackend.h"

#include <QCoreApplication>

ServerAddress::ServerAddress(const SshCommand::Destination &destination)
    : m_destination(destination)
{
}

std::optional<ServerAddress> ServerAddress::parse(const QString &text, QString *problem)
{
    if (text == QLatin1String("local"))
        return ServerAddress();
    const std::optional<SshCommand::Destination> destination = SshCommand::parse(text, problem);
    if (!destination)
        return std::nullopt;
    return ServerAddress(*destination);
}

QString ServerAddress::text() const
{
    if (!m_destination)
        return QStringLiteral("local");
    QString host = m_destination->host;
    if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    QString text = m_destination->user.isEmpty() ? host : m_destination->user + QLatin1Char('@') + host;
    if (m_destination->port > 0)
        text += QLatin1Char(':') + QString::number(m_destination->port);
    return text;
}

QString ServerAddress::displayName() const
{
    if (!m_destination)
        return QCoreApplication::translate("ServerAddress", "This computer");
    return m_destination->name();
}

BackendConnection::Launch ServerAddress::launch(unsigned uid, const QString &sshConfig) const
{
    if (!m_destination)
        return LocalBackend::launch(uid);
    // The window has no terminal: ssh asks through SSH_ASKPASS when it must.
    return SshCommand::backend(*m_destination, sshConfig, false);
}
