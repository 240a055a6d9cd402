#pragma once

#include <QString>

class BackendOperations;
class ConfigSession;

// The backend's side of ConfigSession: one operation "config.<method>" per method, each
// reading its arguments from the request strictly and answering with what the method gives
// (docs/backend-protocol.md lists them). The session keeps the configuration loaded from one
// request to the next. Its failures keep their kind: a configuration changed since it was
// loaded is refused as "changed", one testparm refuses as "failed" with testparm's verdict,
// a registry that could not be put back as "failed" with registryNotRestored.
class ConfigOperations
{
public:
    // session must live as long as operations; configPath is its smb.conf.
    static void addTo(BackendOperations &operations, ConfigSession &session, const QString &configPath);
};
