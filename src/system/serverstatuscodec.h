#pragma once

#include "serverstatus.h"
#include "smbstatus.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

class JsonFieldReader;

// Who is connected, as JSON for the window and its backend: a ServerStatus with its sessions,
// share connections and open files, and the share paths a reading is asked for. Times travel
// as ISO 8601 with milliseconds and their offset from UTC, so that a window in another time
// zone reads the same moment; an unknown time is null.
//
// Decoding takes what another process sent: a field missing, of the wrong type or unknown
// throws JsonFieldReader::Error (a std::runtime_error) with a sentence naming the field.
class ServerStatusCodec
{
public:
    static QJsonObject encode(const ServerStatus &status);
    static QJsonArray encode(const SmbStatus::SharePaths &shares);

    static ServerStatus decodeStatus(const QJsonValue &value,
                                     const QString &field = QStringLiteral("status"));
    // The status the fields hold, all of them.
    static ServerStatus readStatus(JsonFieldReader &fields);
    static SmbStatus::SharePaths decodeSharePaths(const QJsonValue &value,
                                                  const QString &field = QStringLiteral("shares"));
    // The share paths in the field key of fields.
    static SmbStatus::SharePaths readSharePaths(JsonFieldReader &fields, const QString &key);
};
