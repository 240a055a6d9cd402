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
    static QJsonObject configuration(const SambaSettings &settings, const QList<Share> &shares);
    static QJsonObject share(const Share &share);
    static QJsonObject global(const GlobalShare &global);
    static QJsonArray modules(const Share &record);
    // A field as a line of text for people: yes/no, a list comma-separated (modules by name).
    static QString text(const QJsonValue &value);
};
