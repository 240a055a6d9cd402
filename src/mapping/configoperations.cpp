#include "configoperations.h"

#include "backendoperations.h"
#include "backendprotocol.h"
#include "configfailure.h"
#include "configsession.h"
#include "configsessioncodec.h"
#include "jsonfieldreader.h"
#include "recordcodec.h"
#include "registrystore.h"
#include "saveresultcodec.h"

#include <QJsonArray>

#include <future>
#include <memory>
#include <optional>

#include <climits>

namespace {

// The records a preview, save or modulesAdded takes.
struct Records
{
    SambaSettings settings;
    QList<Share> shares;
};

Records readRecords(JsonFieldReader &fields)
{
    Records records;
    const QString settings = QStringLiteral("settings"), shares = QStringLiteral("shares");
    records.settings = RecordCodec::decodeSettings(fields.value(settings), fields.fieldPath(settings));
    records.shares = RecordCodec::decodeShares(fields.value(shares), fields.fieldPath(shares));
    return records;
}

// Answers with what handle gives; the session's failures that the window tells apart keep
// their kinds: a configuration changed since it was loaded is "changed", testparm's refusal
// "failed" with its verdict, a registry not put back "failed" with registryNotRestored.
BackendOperations::Handler keepingKinds(BackendOperations::Handler handle)
{
    return [handle = std::move(handle)](const QJsonObject &request) {
        using Refusal = BackendOperations::Refusal;
        try {
            return handle(request);
        } catch (const ConfigMapper::Refusal &refused) {
            throw Refusal(BackendProtocol::Failed, QString::fromStdString(refused.what()),
                          {{QStringLiteral("verdict"), SaveResultCodec::encode(refused.verdict)}});
        } catch (const ConfigChangedError &changed) {
            throw Refusal(BackendProtocol::Changed, QString::fromStdString(changed.what()));
        } catch (const RegistryNotRestoredError &notRestored) {
            throw Refusal(BackendProtocol::Failed, QString::fromStdString(notRestored.what()),
                          {{QStringLiteral("registryNotRestored"), true}});
        }
    };
}

// An operation that takes no fields.
void readNothing(const QJsonObject &request)
{
    BackendOperations::readRequest(request, [](JsonFieldReader &) {});
}

} // namespace

void ConfigOperations::addTo(BackendOperations &operations, ConfigSession &session)
{
    ConfigSession *const s = &session;
    // The window checks, then loads: the load is made while testparm runs, and answers the
    // load asked right after. Any other request of the configuration forgets it.
    const auto loadedEarly = std::make_shared<std::optional<QJsonObject>>();
    const auto add = [&operations, loadedEarly](const char *method, BackendOperations::Handler handler) {
        const bool keeps = qstrcmp(method, "load") == 0;
        operations.add(QStringLiteral("config.") + QLatin1String(method),
                       keepingKinds([loadedEarly, keeps, handler = std::move(handler)](const QJsonObject &request) {
                           if (!keeps)
                               loadedEarly->reset();
                           return handler(request);
                       }));
    };
    add("check", [s, loadedEarly](const QJsonObject &request) {
        readNothing(request);
        // check() reads nothing load() changes.
        std::future<QJsonObject> loading =
            std::async(std::launch::async, [s] { return ConfigSessionCodec::encode(s->load()); });
        const TestParmResult verdict = s->check();
        try {
            *loadedEarly = loading.get();
        } catch (const std::exception &) {
            // Said when the load itself is asked for.
        }
        return QJsonObject{{QStringLiteral("verdict"), SaveResultCodec::encode(verdict)}};
    });
    add("load", [s, loadedEarly](const QJsonObject &request) {
        readNothing(request);
        if (loadedEarly->has_value()) {
            QJsonObject loaded = std::move(**loadedEarly);
            loadedEarly->reset();
            return loaded;
        }
        return ConfigSessionCodec::encode(s->load());
    });
    add("recordOutsideChange", [s](const QJsonObject &request) {
        readNothing(request);
        s->recordOutsideChange();
        return QJsonObject();
    });
    add("preview", [s](const QJsonObject &request) {
        Records records;
        QString fingerprint;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            records = readRecords(fields);
            fingerprint = fields.text(QStringLiteral("fingerprint"));
        });
        return ConfigSessionCodec::encode(s->preview(records.settings, records.shares, fingerprint));
    });
    add("save", [s](const QJsonObject &request) {
        Records records;
        QString fingerprint;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            records = readRecords(fields);
            fingerprint = fields.text(QStringLiteral("fingerprint"));
        });
        return ConfigSessionCodec::encode(s->save(records.settings, records.shares, fingerprint));
    });
    add("modulesAdded", [s](const QJsonObject &request) {
        Records records;
        BackendOperations::readRequest(request,
                                       [&](JsonFieldReader &fields) { records = readRecords(fields); });
        return QJsonObject{{QStringLiteral("modules"),
                            QJsonArray::fromStringList(s->modulesAdded(records.settings, records.shares))}};
    });
    add("moveShare", [s](const QJsonObject &request) {
        QString name;
        Share::StoredIn to = Share::StoredInFile;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            name = fields.text(QStringLiteral("name"));
            to = ConfigSessionCodec::readStoredIn(fields, QStringLiteral("to"));
        });
        return QJsonObject{{QStringLiteral("transfer"), SaveResultCodec::encode(s->moveShare(name, to))}};
    });
    add("storeAllInRegistry", [s](const QJsonObject &request) {
        ConfigMapper::UnusedRegistry unused = ConfigMapper::UnusedRegistry::Keep;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            unused = ConfigSessionCodec::readUnusedRegistry(fields, QStringLiteral("unused"));
        });
        return QJsonObject{
            {QStringLiteral("transfer"), SaveResultCodec::encode(s->storeAllInRegistry(unused))}};
    });
    add("applyTransfer", [s](const QJsonObject &request) {
        ConfigMapper::Transfer transfer;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            const QString key = QStringLiteral("transfer");
            transfer = SaveResultCodec::decodeTransfer(fields.value(key), fields.fieldPath(key));
        });
        return ConfigSessionCodec::encode(s->applyTransfer(transfer));
    });
    add("versions", [s](const QJsonObject &request) {
        readNothing(request);
        return QJsonObject{{QStringLiteral("versions"), ConfigSessionCodec::encode(s->versions())}};
    });
    add("versionDiff", [s](const QJsonObject &request) {
        int number = 0;
        bool againstCurrent = false;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            number = fields.integer(QStringLiteral("number"), 0, INT_MAX);
            againstCurrent = fields.flag(QStringLiteral("againstCurrent"));
        });
        return QJsonObject{{QStringLiteral("diff"), s->versionDiff(number, againstCurrent)}};
    });
    add("restoreVersion", [s](const QJsonObject &request) {
        int number = 0;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            number = fields.integer(QStringLiteral("number"), 0, INT_MAX);
        });
        return QJsonObject{
            {QStringLiteral("outcome"), ConfigSessionCodec::encode(s->restoreVersion(number))}};
    });
    add("restore", [s](const QJsonObject &request) {
        std::string bytes;
        QString summary;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            bytes = fields.bytes(QStringLiteral("bytes64"));
            summary = fields.text(QStringLiteral("summary"));
        });
        return QJsonObject{
            {QStringLiteral("outcome"), ConfigSessionCodec::encode(s->restore(bytes, summary))}};
    });
    add("setHistoryKeep", [s](const QJsonObject &request) {
        int keep = 0;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            keep = fields.integer(QStringLiteral("keep"), 1, INT_MAX);
        });
        s->setHistoryKeep(keep);
        return QJsonObject();
    });
    add("planRepair", [s](const QJsonObject &request) {
        ConfigRepair::Kind kind = ConfigRepair::InvalidSecurity;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            kind = ConfigSessionCodec::readKind(fields, QStringLiteral("kind"));
        });
        return ConfigSessionCodec::encode(s->planRepair(kind));
    });
    add("repair", [s](const QJsonObject &request) {
        ConfigRepair::Kind kind = ConfigRepair::InvalidSecurity;
        QList<ConfigRepair::Change> planned;
        BackendOperations::readRequest(request, [&](JsonFieldReader &fields) {
            kind = ConfigSessionCodec::readKind(fields, QStringLiteral("kind"));
            const QString key = QStringLiteral("changes");
            planned = ConfigSessionCodec::decodeChanges(fields.value(key), fields.fieldPath(key));
        });
        return QJsonObject{{QStringLiteral("historyError"), s->repair(kind, planned)}};
    });
}
