#include "rememberedservers.h"

#include <QSettings>
#include <QStringList>

namespace {

const char *const serversKey = "Servers/shown";

} // namespace

QList<ServerAddress> RememberedServers::load()
{
    QList<ServerAddress> servers;
    const QStringList texts = QSettings().value(QLatin1String(serversKey)).toStringList();
    for (const QString &text : texts) {
        QString problem;
        if (const std::optional<ServerAddress> address = ServerAddress::parse(text, &problem))
            servers << *address;
    }
    return servers;
}

void RememberedServers::save(const QList<ServerAddress> &servers)
{
    QStringList texts;
    for (const ServerAddress &server : servers)
        texts << server.text();
    QSettings().setValue(QLatin1String(serversKey), texts);
}
