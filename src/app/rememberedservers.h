#pragma once

#include "serveraddress.h"

#include <QList>

// The servers the window showed last, kept in the user's settings as the addresses' texts, so
// that the next start offers them again.
class RememberedServers
{
public:
    // The addresses kept, in order; texts that no longer name a server are left out.
    static QList<ServerAddress> load();
    static void save(const QList<ServerAddress> &servers);
};
