#include "remoteconfigsession.h"

#include "backendconnection.h"
#include "backendprotocol.h"
#include "configfailure.h"
#include "configsessioncodec.h"
#include "jsonfieldreader.h"
#include "recordcodec.h"
#include "registrystore.h"
#include "remotecall.h"
#include "saveresultcodec.h"

#include <QJsonArray>

namespace {

QJsonObject records(const SambaSettings &settings, const QList<Share> &shares)
{
    return {{QStringLiteral("settings"), RecordCodec::encode(settings)},
            {QStringLiteral("shares"), RecordCodec::encode(shares)}};
}

ConfigSession::Outcome readOutcome(JsonFieldReader &reply)
{
    JsonFieldReader outcome = reply.object(QStringLiteral("outcome"));
    return ConfigSessionCodec::readOutcome(outcome);
}

ConfigMapper::Transfer readTransfer(JsonFieldReader &reply)
{
    const QString key = QStringLiteral("transfer");
    return SaveResultCodec::decodeTransfer(reply.value(key), reply.fieldPath(key));
}

} // namespace

RemoteConfigSession::RemoteConfigSession(BackendConnection &connection)
    : m_connection(connection)
{
}

void RemoteConfigSession::ask(const QString &op, const QJsonObject &fields, Effect effect,
                              const std::function<void(JsonFieldReader &)> &read)
{
    using Failure = BackendConnection::Failure;
    try {
        RemoteCall::ask(m_connection, op, fields, read);
    } catch (const Failure &failure) {
        if (failure.kind() != Failure::Refused) {
            // The backend finishes a request whose connection dropped, and an answer it gave
            // that cannot be read may tell of a change made: it may have been made.
            if (effect == Changes)
                throw Failure(failure.kind(),
                              failure.message() + QLatin1Char(' ')
                                  + tr("Whether the change was made on %1 is not known: load the "
                                       "configuration again to see.")
                                        .arg(m_connection.serverName()));
            throw;
        }
        if (failure.code() == BackendProtocol::Changed)
            throw ConfigChangedError(failure.what());
        const QJsonObject reply = failure.reply();
        if (reply.value(QStringLiteral("registryNotRestored")).toBool())
            throw RegistryNotRestoredError(failure.what());
        if (reply.contains(QStringLiteral("verdict"))) {
            TestParmResult verdict;
            try {
                verdict = SaveResultCodec::decodeVerdict(reply.value(QStringLiteral("verdict")),
                                                         QStringLiteral("reply.verdict"));
            } catch (const JsonFieldReader::Error &) {
                // The backend's sentence says why, in its own language.
                throw failure;
            }
            // Said again in this window's language from testparm's verdict.
            throw ConfigMapper::Refusal(verdict);
        }
        throw;
    }
}

TestParmResult RemoteConfigSession::check()
{
    TestParmResult verdict;
    ask(QStringLiteral("config.check"), {}, Reads, [&](JsonFieldReader &reply) {
        const QString key = QStringLiteral("verdict");
        verdict = SaveResultCodec::decodeVerdict(reply.value(key), reply.fieldPath(key));
    });
    return verdict;
}

ConfigSession::Loaded RemoteConfigSession::load()
{
    Loaded loaded;
    ask(QStringLiteral("config.load"), {}, Reads,
        [&](JsonFieldReader &reply) { loaded = ConfigSessionCodec::readLoaded(reply); });
    return loaded;
}

void RemoteConfigSession::recordOutsideChange()
{
    ask(QStringLiteral("config.recordOutsideChange"), {}, Changes, [](JsonFieldReader &) {});
}

ConfigSession::Preview RemoteConfigSession::preview(const SambaSettings &settings, const QList<Share> &shares,
                                                    const QString &fingerprint)
{
    QJsonObject fields = records(settings, shares);
    fields.insert(QStringLiteral("fingerprint"), fingerprint);
    Preview preview;
    ask(QStringLiteral("config.preview"), fields, Reads,
        [&](JsonFieldReader &reply) { preview = ConfigSessionCodec::readPreview(reply); });
    return preview;
}

ConfigSession::Saved RemoteConfigSession::save(const SambaSettings &settings, const QList<Share> &shares,
                                               const QString &fingerprint)
{
    QJsonObject fields = records(settings, shares);
    fields.insert(QStringLiteral("fingerprint"), fingerprint);
    Saved saved;
    ask(QStringLiteral("config.save"), fields, Changes,
        [&](JsonFieldReader &reply) { saved = ConfigSessionCodec::readSaved(reply); });
    return saved;
}

QStringList RemoteConfigSession::modulesAdded(const SambaSettings &settings, const QList<Share> &shares)
{
    QStringList modules;
    ask(QStringLiteral("config.modulesAdded"), records(settings, shares), Reads,
        [&](JsonFieldReader &reply) { modules = reply.texts(QStringLiteral("modules")); });
    return modules;
}

ConfigMapper::Transfer RemoteConfigSession::moveShare(const QString &name, Share::StoredIn to)
{
    ConfigMapper::Transfer transfer;
    ask(QStringLiteral("config.moveShare"),
        {{QStringLiteral("name"), name}, {QStringLiteral("to"), ConfigSessionCodec::encode(to)}}, Reads,
        [&](JsonFieldReader &reply) { transfer = readTransfer(reply); });
    return transfer;
}

ConfigMapper::Transfer RemoteConfigSession::storeAllInRegistry(ConfigMapper::UnusedRegistry unused)
{
    ConfigMapper::Transfer transfer;
    ask(QStringLiteral("config.storeAllInRegistry"),
        {{QStringLiteral("unused"), ConfigSessionCodec::encode(unused)}}, Reads,
        [&](JsonFieldReader &reply) { transfer = readTransfer(reply); });
    return transfer;
}

ConfigSession::Transferred RemoteConfigSession::applyTransfer(const ConfigMapper::Transfer &transfer)
{
    Transferred transferred;
    ask(QStringLiteral("config.applyTransfer"),
        {{QStringLiteral("transfer"), SaveResultCodec::encode(transfer)}}, Changes,
        [&](JsonFieldReader &reply) { transferred = ConfigSessionCodec::readTransferred(reply); });
    return transferred;
}

QList<ConfigHistory::Version> RemoteConfigSession::versions()
{
    QList<ConfigHistory::Version> versions;
    ask(QStringLiteral("config.versions"), {}, Reads, [&](JsonFieldReader &reply) {
        const QString key = QStringLiteral("versions");
        versions = ConfigSessionCodec::decodeVersions(reply.value(key), reply.fieldPath(key));
    });
    return versions;
}

QString RemoteConfigSession::versionDiff(int number, bool againstCurrent)
{
    QString diff;
    ask(QStringLiteral("config.versionDiff"),
        {{QStringLiteral("number"), number}, {QStringLiteral("againstCurrent"), againstCurrent}}, Reads,
        [&](JsonFieldReader &reply) { diff = reply.text(QStringLiteral("diff")); });
    return diff;
}

ConfigSession::Outcome RemoteConfigSession::restoreVersion(int number)
{
    Outcome outcome;
    ask(QStringLiteral("config.restoreVersion"), {{QStringLiteral("number"), number}}, Changes,
        [&](JsonFieldReader &reply) { outcome = readOutcome(reply); });
    return outcome;
}

ConfigSession::Outcome RemoteConfigSession::restore(const std::string &bytes, const QString &summary)
{
    Outcome outcome;
    ask(QStringLiteral("config.restore"),
        {{QStringLiteral("bytes64"), BackendProtocol::encodeBytes(QByteArray::fromStdString(bytes))},
         {QStringLiteral("summary"), summary}},
        Changes, [&](JsonFieldReader &reply) { outcome = readOutcome(reply); });
    return outcome;
}

void RemoteConfigSession::setHistoryKeep(int keep)
{
    // The history keeps at least one version, as the local one makes of less.
    ask(QStringLiteral("config.setHistoryKeep"), {{QStringLiteral("keep"), qMax(keep, 1)}}, Changes,
        [](JsonFieldReader &) {});
}

ConfigSession::RepairPlan RemoteConfigSession::planRepair(ConfigRepair::Kind kind)
{
    RepairPlan plan;
    ask(QStringLiteral("config.planRepair"), {{QStringLiteral("kind"), ConfigSessionCodec::encode(kind)}},
        Reads, [&](JsonFieldReader &reply) { plan = ConfigSessionCodec::readRepairPlan(reply); });
    return plan;
}

QString RemoteConfigSession::repair(ConfigRepair::Kind kind, const QList<ConfigRepair::Change> &planned)
{
    QString historyError;
    ask(QStringLiteral("config.repair"),
        {{QStringLiteral("kind"), ConfigSessionCodec::encode(kind)},
         {QStringLiteral("changes"), ConfigSessionCodec::encode(planned)}},
        Changes, [&](JsonFieldReader &reply) { historyError = reply.text(QStringLiteral("historyError")); });
    return historyError;
}
