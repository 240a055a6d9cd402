#include "serverservicescodec.h"

#include "jsonfieldreader.h"
#include "serverstatuscodec.h"

#include <QJsonArray>

namespace {

QStringList stateTexts()
{
    // Indexed by SystemCtl::State.
    return {QStringLiteral("active"), QStringLiteral("inactive"), QStringLiteral("failed"),
            QStringLiteral("unknown")};
}

QStringList commandTexts()
{
    // Indexed by SystemCtl::Command.
    return {SystemCtl::commandText(SystemCtl::IsActive), SystemCtl::commandText(SystemCtl::Start),
            SystemCtl::commandText(SystemCtl::Stop), SystemCtl::commandText(SystemCtl::Restart)};
}

QString stateText(SystemCtl::State state)
{
    // A state outside the enumeration is none systemctl reports: it goes as unknown.
    return stateTexts().value(int(state), stateTexts().constLast());
}

SystemCtl::State readState(JsonFieldReader &fields, const QString &key)
{
    return SystemCtl::State(fields.choice(key, stateTexts()));
}

} // namespace

QJsonObject ServerServicesCodec::encode(const ServerServices::ServiceState &state)
{
    return {{QStringLiteral("state"), stateText(state.state)}, {QStringLiteral("why"), state.why}};
}

ServerServices::ServiceState ServerServicesCodec::decodeState(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    ServerServices::ServiceState state;
    state.state = readState(fields, QStringLiteral("state"));
    state.why = fields.text(QStringLiteral("why"));
    fields.finish();
    return state;
}

QJsonObject ServerServicesCodec::encode(const SystemCtl::Result &result)
{
    return {{QStringLiteral("succeeded"), result.succeeded}, {QStringLiteral("errorText"), result.errorText}};
}

SystemCtl::Result ServerServicesCodec::decodeSystemCtlResult(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    SystemCtl::Result result;
    result.succeeded = fields.flag(QStringLiteral("succeeded"));
    result.errorText = fields.text(QStringLiteral("errorText"));
    fields.finish();
    return result;
}

QJsonObject ServerServicesCodec::encode(const SmbControl::Result &result)
{
    return {{QStringLiteral("succeeded"), result.succeeded}, {QStringLiteral("errorText"), result.errorText}};
}

SmbControl::Result ServerServicesCodec::decodeSmbControlResult(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    SmbControl::Result result;
    result.succeeded = fields.flag(QStringLiteral("succeeded"));
    result.errorText = fields.text(QStringLiteral("errorText"));
    fields.finish();
    return result;
}

QJsonObject ServerServicesCodec::encode(const ServiceUpdate::Outcome &outcome)
{
    return {
        {QStringLiteral("services"), QJsonArray::fromStringList(outcome.services)},
        {QStringLiteral("restarted"), outcome.restarted},
        {QStringLiteral("down"), QJsonArray::fromStringList(outcome.down)},
        {QStringLiteral("status"), outcome.status},
        {QStringLiteral("failures"), QJsonArray::fromStringList(outcome.failures)},
        {QStringLiteral("unchecked"), outcome.unchecked},
    };
}

ServiceUpdate::Outcome ServerServicesCodec::decodeOutcome(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    ServiceUpdate::Outcome outcome;
    outcome.services = fields.texts(QStringLiteral("services"));
    outcome.restarted = fields.flag(QStringLiteral("restarted"));
    outcome.down = fields.texts(QStringLiteral("down"));
    outcome.status = fields.text(QStringLiteral("status"));
    outcome.failures = fields.texts(QStringLiteral("failures"));
    outcome.unchecked = fields.text(QStringLiteral("unchecked"));
    fields.finish();
    return outcome;
}

QJsonObject ServerServicesCodec::encode(const ServerServices::LiveStatus &reading)
{
    return {
        {QStringLiteral("status"), ServerStatusCodec::encode(reading.status)},
        {QStringLiteral("smbd"), stateText(reading.smbd)},
        {QStringLiteral("nmbd"), stateText(reading.nmbd)},
    };
}

ServerServices::LiveStatus ServerServicesCodec::decodeLiveStatus(const QJsonValue &value,
                                                                 const QString &field)
{
    JsonFieldReader fields(value, field);
    ServerServices::LiveStatus reading;
    JsonFieldReader status = fields.object(QStringLiteral("status"));
    reading.status = ServerStatusCodec::readStatus(status);
    reading.smbd = readState(fields, QStringLiteral("smbd"));
    reading.nmbd = readState(fields, QStringLiteral("nmbd"));
    fields.finish();
    return reading;
}

QString ServerServicesCodec::encode(SystemCtl::Command command)
{
    return SystemCtl::commandText(command);
}

SystemCtl::Command ServerServicesCodec::readCommand(JsonFieldReader &fields, const QString &key)
{
    return SystemCtl::Command(fields.choice(key, commandTexts()));
}
