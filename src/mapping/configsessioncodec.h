#pragma once

#include "configsession.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

class JsonFieldReader;

// What ConfigSession takes and gives beyond the records and a save's results (RecordCodec,
// SaveResultCodec), as JSON for the window and its backend: what a load, save, preview,
// restore or transfer gives, the history's versions, a repair's plan and changes, and the
// enumerations, by name ("default-idmap-range", "registry"). Texts of smb.conf and of the
// registry are bytes, in base64 fields whose names end in "64"; times are ISO 8601 with their
// offset from UTC.
//
// Decoding takes what another process sent: a field missing, of the wrong type, unknown or
// out of range throws JsonFieldReader::Error (a std::runtime_error) with a sentence naming the
// field. field names the value in messages.
class ConfigSessionCodec
{
public:
    static QJsonObject encode(const ConfigSession::LoadedState &state);
    static QJsonObject encode(const ConfigSession::Loaded &loaded);
    static QJsonObject encode(const ConfigSession::Outcome &outcome);
    static QJsonObject encode(const ConfigSession::Preview &preview);
    static QJsonObject encode(const ConfigSession::Saved &saved);
    static QJsonObject encode(const ConfigSession::Transferred &transferred);
    static QJsonObject encode(const ConfigSession::RepairPlan &plan);
    static QJsonArray encode(const QList<ConfigHistory::Version> &versions);
    static QJsonArray encode(const QList<ConfigRepair::Change> &changes);
    static QString encode(ConfigRepair::Kind kind);
    static QString encode(Share::StoredIn storedIn);
    static QString encode(ConfigMapper::UnusedRegistry unused);

    static ConfigSession::LoadedState decodeLoadedState(const QJsonValue &value, const QString &field);
    static ConfigSession::Loaded decodeLoaded(const QJsonValue &value, const QString &field);
    static ConfigSession::Outcome decodeOutcome(const QJsonValue &value, const QString &field);
    static ConfigSession::Preview decodePreview(const QJsonValue &value, const QString &field);
    static ConfigSession::Saved decodeSaved(const QJsonValue &value, const QString &field);
    static ConfigSession::Transferred decodeTransferred(const QJsonValue &value, const QString &field);
    static ConfigSession::RepairPlan decodeRepairPlan(const QJsonValue &value, const QString &field);
    static QList<ConfigHistory::Version> decodeVersions(const QJsonValue &value, const QString &field);
    static QList<ConfigRepair::Change> decodeChanges(const QJsonValue &value, const QString &field);

    // The value of the field key of fields.
    static ConfigRepair::Kind readKind(JsonFieldReader &fields, const QString &key);
    static Share::StoredIn readStoredIn(JsonFieldReader &fields, const QString &key);
    static ConfigMapper::UnusedRegistry readUnusedRegistry(JsonFieldReader &fields, const QString &key);

    // Each reads the fields of its value from fields and refuses any other.
    static ConfigSession::LoadedState readLoadedState(JsonFieldReader &fields);
    static ConfigSession::Loaded readLoaded(JsonFieldReader &fields);
    static ConfigSession::Outcome readOutcome(JsonFieldReader &fields);
    static ConfigSession::Preview readPreview(JsonFieldReader &fields);
    static ConfigSession::Saved readSaved(JsonFieldReader &fields);
    static ConfigSession::Transferred readTransferred(JsonFieldReader &fields);
    static ConfigSession::RepairPlan readRepairPlan(JsonFieldReader &fields);

private:
    static ConfigRepair::Change readChange(JsonFieldReader &fields);
    static ConfigHistory::Version readVersion(JsonFieldReader &fields);
};
