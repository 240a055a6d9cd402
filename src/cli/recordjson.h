#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>

class GlobalShare;
class SambaSettings;
class Share;

// The loaded configuration as JSON, for scripts: each record is an object keyed by its
// field names.
class RecordJson
{
public:
    // With places, each share also says where it is stored ("storedIn": "smb.conf" or
    // "registry") and whether Samba serves the registry's share of its name over it
    // ("shadowed"): for a configuration that uses Samba's registry.
    static QJsonObject configuration(const SambaSettings &settings, const QList<Share> &shares,
                                     bool places = false);
    static QJsonObject share(const Share &share, bool place = false);
    static QString storedInText(const Share &share);
    static QJsonObject global(const GlobalShare &global);
    static QJsonArray modules(const Share &record);
    // A field as a line of text for people: yes/no, a list comma-separated (modules by name).
    static QString text(const QJsonValue &value);
};
