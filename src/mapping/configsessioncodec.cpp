#include "configsessioncodec.h"

#include "jsonfieldreader.h"
#include "recordcodec.h"
#include "saveresultcodec.h"

#include <QByteArray>

#include <climits>

namespace {

QStringList useTexts()
{
    // Indexed by RegistryConfig::Use.
    return {QStringLiteral("not-used"), QStringLiteral("shares-only"), QStringLiteral("included"),
            QStringLiteral("backend")};
}

QStringList kindTexts()
{
    // Indexed by ConfigRepair::Kind.
    return {QStringLiteral("invalid-security"), QStringLiteral("default-idmap-range")};
}

QStringList storedInTexts()
{
    // Indexed by Share::StoredIn.
    return {QStringLiteral("file"), QStringLiteral("registry")};
}

QStringList unusedTexts()
{
    // Indexed by ConfigMapper::UnusedRegistry.
    return {QStringLiteral("keep"), QStringLiteral("replace")};
}

// The text of an enumeration's value; one outside it is a fault of this side, never sent.
QString choiceText(const QStringList &texts, int value)
{
    Q_ASSERT(value >= 0 && value < texts.size());
    return texts.value(value);
}

QJsonValue base64(const std::string &bytes)
{
    return QString::fromLatin1(QByteArray::fromStdString(bytes).toBase64());
}

} // namespace

QJsonObject ConfigSessionCodec::encode(const ConfigSession::LoadedState &state)
{
    return {
        {QStringLiteral("path"), state.path},
        {QStringLiteral("registryHistoryFile"), state.registryHistoryFile},
        {QStringLiteral("registryUse"), choiceText(useTexts(), state.registryUse)},
        {QStringLiteral("registryLoaded"), state.registryLoaded},
        {QStringLiteral("registryError"), state.registryError},
        {QStringLiteral("fingerprint"), state.fingerprint},
    };
}

ConfigSession::LoadedState ConfigSessionCodec::readLoadedState(JsonFieldReader &fields)
{
    ConfigSession::LoadedState state;
    state.path = fields.text(QStringLiteral("path"));
    state.registryHistoryFile = fields.text(QStringLiteral("registryHistoryFile"));
    state.registryUse = RegistryConfig::Use(fields.choice(QStringLiteral("registryUse"), useTexts()));
    state.registryLoaded = fields.flag(QStringLiteral("registryLoaded"));
    state.registryError = fields.text(QStringLiteral("registryError"));
    state.fingerprint = fields.text(QStringLiteral("fingerprint"));
    fields.finish();
    return state;
}

ConfigSession::LoadedState ConfigSessionCodec::decodeLoadedState(const QJsonValue &value,
                                                                 const QString &field)
{
    JsonFieldReader fields(value, field);
    return readLoadedState(fields);
}

QJsonObject ConfigSessionCodec::encode(const ConfigSession::Loaded &loaded)
{
    return {
        {QStringLiteral("settings"), RecordCodec::encode(loaded.settings)},
        {QStringLiteral("shares"), RecordCodec::encode(loaded.shares)},
        {QStringLiteral("state"), encode(loaded.state)},
    };
}

ConfigSession::Loaded ConfigSessionCodec::readLoaded(JsonFieldReader &fields)
{
    ConfigSession::Loaded loaded;
    const QString settings = QStringLiteral("settings"), shares = QStringLiteral("shares");
    loaded.settings = RecordCodec::decodeSettings(fields.value(settings), fields.fieldPath(settings));
    loaded.shares = RecordCodec::decodeShares(fields.value(shares), fields.fieldPath(shares));
    JsonFieldReader state = fields.object(QStringLiteral("state"));
    loaded.state = readLoadedState(state);
    fields.finish();
    return loaded;
}

ConfigSession::Loaded ConfigSessionCodec::decodeLoaded(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    return readLoaded(fields);
}

QJsonObject ConfigSessionCodec::encode(const ConfigSession::Outcome &outcome)
{
    return {
        {QStringLiteral("installed"), outcome.installed},
        {QStringLiteral("registryChanged"), outcome.registryChanged},
        {QStringLiteral("changes"), SaveResultCodec::encode(outcome.changes)},
        {QStringLiteral("replacedText64"), base64(outcome.replacedText)},
        {QStringLiteral("historyError"), outcome.historyError},
    };
}

ConfigSession::Outcome ConfigSessionCodec::readOutcome(JsonFieldReader &fields)
{
    ConfigSession::Outcome outcome;
    outcome.installed = fields.flag(QStringLiteral("installed"));
    outcome.registryChanged = fields.flag(QStringLiteral("registryChanged"));
    const QString changes = QStringLiteral("changes");
    outcome.changes = SaveResultCodec::decodeChanges(fields.value(changes), fields.fieldPath(changes));
    outcome.replacedText = fields.bytes(QStringLiteral("replacedText64"));
    outcome.historyError = fields.text(QStringLiteral("historyError"));
    fields.finish();
    return outcome;
}

ConfigSession::Outcome ConfigSessionCodec::decodeOutcome(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    return readOutcome(fields);
}

QJsonObject ConfigSessionCodec::encode(const ConfigSession::Preview &preview)
{
    return {
        {QStringLiteral("file"), SaveResultCodec::encode(preview.file)},
        {QStringLiteral("registryCurrent64"), base64(preview.registryCurrent)},
        {QStringLiteral("registryProposed64"), base64(preview.registryProposed)},
    };
}

ConfigSession::Preview ConfigSessionCodec::decodePreview(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    return readPreview(fields);
}

ConfigSession::Preview ConfigSessionCodec::readPreview(JsonFieldReader &fields)
{
    ConfigSession::Preview preview;
    const QString file = QStringLiteral("file");
    preview.file = SaveResultCodec::decodePreview(fields.value(file), fields.fieldPath(file));
    preview.registryCurrent = fields.bytes(QStringLiteral("registryCurrent64"));
    preview.registryProposed = fields.bytes(QStringLiteral("registryProposed64"));
    fields.finish();
    return preview;
}

QJsonObject ConfigSessionCodec::encode(const ConfigSession::Saved &saved)
{
    return {
        {QStringLiteral("outcome"), encode(saved.outcome)},
        {QStringLiteral("shares"), RecordCodec::encode(saved.shares)},
        {QStringLiteral("fingerprint"), saved.fingerprint},
    };
}

ConfigSession::Saved ConfigSessionCodec::decodeSaved(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    return readSaved(fields);
}

ConfigSession::Saved ConfigSessionCodec::readSaved(JsonFieldReader &fields)
{
    ConfigSession::Saved saved;
    JsonFieldReader outcome = fields.object(QStringLiteral("outcome"));
    saved.outcome = readOutcome(outcome);
    const QString shares = QStringLiteral("shares");
    saved.shares = RecordCodec::decodeShares(fields.value(shares), fields.fieldPath(shares));
    saved.fingerprint = fields.text(QStringLiteral("fingerprint"));
    fields.finish();
    return saved;
}

QJsonObject ConfigSessionCodec::encode(const ConfigSession::Transferred &transferred)
{
    return {
        {QStringLiteral("outcome"), encode(transferred.outcome)},
        {QStringLiteral("loaded"), encode(transferred.loaded)},
    };
}

ConfigSession::Transferred ConfigSessionCodec::decodeTransferred(const QJsonValue &value,
                                                                 const QString &field)
{
    JsonFieldReader fields(value, field);
    return readTransferred(fields);
}

ConfigSession::Transferred ConfigSessionCodec::readTransferred(JsonFieldReader &fields)
{
    ConfigSession::Transferred transferred;
    JsonFieldReader outcome = fields.object(QStringLiteral("outcome"));
    transferred.outcome = readOutcome(outcome);
    JsonFieldReader loaded = fields.object(QStringLiteral("loaded"));
    transferred.loaded = readLoaded(loaded);
    fields.finish();
    return transferred;
}

QJsonArray ConfigSessionCodec::encode(const QList<ConfigHistory::Version> &versions)
{
    QJsonArray array;
    for (const ConfigHistory::Version &version : versions) {
        array.append(QJsonObject{
            {QStringLiteral("number"), version.number},
            {QStringLiteral("file"), version.file},
            {QStringLiteral("time"), JsonFieldReader::timeValue(version.time)},
            {QStringLiteral("user"), version.user},
            {QStringLiteral("program"), version.program},
            {QStringLiteral("summary"), version.summary},
            {QStringLiteral("size"), double(version.size)},
        });
    }
    return array;
}

ConfigHistory::Version ConfigSessionCodec::readVersion(JsonFieldReader &fields)
{
    ConfigHistory::Version version;
    version.number = fields.integer(QStringLiteral("number"), 0, INT_MAX);
    version.file = fields.text(QStringLiteral("file"));
    // The history keeps times in UTC.
    version.time = fields.timeOrNull(QStringLiteral("time")).toUTC();
    version.user = fields.text(QStringLiteral("user"));
    version.program = fields.text(QStringLiteral("program"));
    version.summary = fields.text(QStringLiteral("summary"));
    // No smb.conf comes near 2 GiB; a protocol line holds at most 64 MiB of it.
    version.size = fields.integer(QStringLiteral("size"), 0, INT_MAX);
    fields.finish();
    return version;
}

QList<ConfigHistory::Version> ConfigSessionCodec::decodeVersions(const QJsonValue &value,
                                                                 const QString &field)
{
    QList<ConfigHistory::Version> versions;
    for (JsonFieldReader &fields : JsonFieldReader::objects(value, field))
        versions.append(readVersion(fields));
    return versions;
}

QJsonArray ConfigSessionCodec::encode(const QList<ConfigRepair::Change> &changes)
{
    QJsonArray array;
    for (const ConfigRepair::Change &change : changes) {
        // Null values (a line added or removed) stay null.
        array.append(QJsonObject{
            {QStringLiteral("line"), change.line},
            {QStringLiteral("section"), change.section},
            {QStringLiteral("key"), change.key},
            {QStringLiteral("oldValue"),
             change.oldValue.isNull() ? QJsonValue() : QJsonValue(change.oldValue)},
            {QStringLiteral("newValue"),
             change.newValue.isNull() ? QJsonValue() : QJsonValue(change.newValue)},
        });
    }
    return array;
}

ConfigRepair::Change ConfigSessionCodec::readChange(JsonFieldReader &fields)
{
    ConfigRepair::Change change;
    change.line = fields.integer(QStringLiteral("line"), 0, INT_MAX);
    change.section = fields.text(QStringLiteral("section"));
    change.key = fields.text(QStringLiteral("key"));
    change.oldValue = fields.textOrNull(QStringLiteral("oldValue"));
    change.newValue = fields.textOrNull(QStringLiteral("newValue"));
    fields.finish();
    return change;
}

QList<ConfigRepair::Change> ConfigSessionCodec::decodeChanges(const QJsonValue &value, const QString &field)
{
    QList<ConfigRepair::Change> changes;
    for (JsonFieldReader &fields : JsonFieldReader::objects(value, field))
        changes.append(readChange(fields));
    return changes;
}

QJsonObject ConfigSessionCodec::encode(const ConfigSession::RepairPlan &plan)
{
    return {
        {QStringLiteral("possible"), plan.possible},
        {QStringLiteral("changes"), encode(plan.changes)},
        {QStringLiteral("defaultRange"), plan.defaultRange},
    };
}

ConfigSession::RepairPlan ConfigSessionCodec::decodeRepairPlan(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    return readRepairPlan(fields);
}

ConfigSession::RepairPlan ConfigSessionCodec::readRepairPlan(JsonFieldReader &fields)
{
    ConfigSession::RepairPlan plan;
    plan.possible = fields.flag(QStringLiteral("possible"));
    const QString changes = QStringLiteral("changes");
    plan.changes = decodeChanges(fields.value(changes), fields.fieldPath(changes));
    plan.defaultRange = fields.text(QStringLiteral("defaultRange"));
    fields.finish();
    return plan;
}

QString ConfigSessionCodec::encode(ConfigRepair::Kind kind)
{
    return choiceText(kindTexts(), kind);
}

QString ConfigSessionCodec::encode(ConfigMapper::UnusedRegistry unused)
{
    return choiceText(unusedTexts(), int(unused));
}

ConfigRepair::Kind ConfigSessionCodec::readKind(JsonFieldReader &fields, const QString &key)
{
    return ConfigRepair::Kind(fields.choice(key, kindTexts()));
}

QString ConfigSessionCodec::encode(Share::StoredIn storedIn)
{
    return choiceText(storedInTexts(), storedIn);
}

Share::StoredIn ConfigSessionCodec::readStoredIn(JsonFieldReader &fields, const QString &key)
{
    return Share::StoredIn(fields.choice(key, storedInTexts()));
}

ConfigMapper::UnusedRegistry ConfigSessionCodec::readUnusedRegistry(JsonFieldReader &fields,
                                                                    const QString &key)
{
    return ConfigMapper::UnusedRegistry(fields.choice(key, unusedTexts()));
}
