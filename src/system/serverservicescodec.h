#pragma once

#include "serverservices.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

class JsonFieldReader;

// What ServerServices takes and gives, as JSON for the window and its backend: a service's
// state, the results of systemctl and smbcontrol, the outcome of having the services take up
// smb.conf, and a reading of the Connections tab (its ServerStatus through ServerStatusCodec).
// Enumerations travel by name ("active", "restart"), as systemctl words them.
//
// Decoding takes what another process sent: a field missing, of the wrong type, unknown or
// out of range throws JsonFieldReader::Error (a std::runtime_error) with a sentence naming the
// field. field names the value in messages.
class ServerServicesCodec
{
public:
    static QJsonObject encode(const ServerServices::ServiceState &state);
    static QJsonObject encode(const SystemCtl::Result &result);
    static QJsonObject encode(const ServiceUpdate::Outcome &outcome);
    static QJsonObject encode(const ServerServices::LiveStatus &reading);
    static QJsonObject encode(const SmbControl::Result &result);
    // "is-active", "start", "stop" or "restart".
    static QString encode(SystemCtl::Command command);

    static ServerServices::ServiceState decodeState(const QJsonValue &value, const QString &field);
    static SystemCtl::Result decodeSystemCtlResult(const QJsonValue &value, const QString &field);
    static ServiceUpdate::Outcome decodeOutcome(const QJsonValue &value, const QString &field);
    static ServerServices::LiveStatus decodeLiveStatus(const QJsonValue &value, const QString &field);
    static SmbControl::Result decodeSmbControlResult(const QJsonValue &value, const QString &field);
    // The command in the field key of fields.
    static SystemCtl::Command readCommand(JsonFieldReader &fields, const QString &key);
};
