#include "configoperations.h"

#include "backendoperations.h"
#include "backendprotocol.h"
#include "configfailure.h"
#include "configsession.h"
#include "configsessioncodec.h"
#include "filestamp.h"
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
// Whether smb.conf is there and still the file stamped.
bool unchanged(const QString &path, const FileStamp &stamp)
{
    const FileStamp now = FileStamp::of(path);
    return now.exists && now == stamp;
}

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

void ConfigOperations::addTo(BackendOperations &operations, ConfigSession &session, const QString &configPath)
{
    ConfigSession *const s = &session;
    // A window's start asks for the load and testparm's verdict one after the other, and each
    // answers the other's question too, while it runs: testparm is started with the load and
    // the load made while testparm checks (check() reads nothing load() changes, so both may
    // run at once). An answer made early serves only the request right after, and only while
    // smb.conf is as it was when the work began; any other request of the configuration
    // forgets it. A configuration that uses the registry, which has no such stamp, is answered
    // as asked.
    struct Early
    {
        std::optional<QJsonObject> loaded;
        std::future<TestParmResult> verdict;
        FileStamp stamp;
    };
    const auto early = std::make_shared<Early>();
    const auto add = [&operations, early](const char *method, BackendOperations::Handler handler) {
        const bool load = qstrcmp(method, "load") == 0;
        const bool check = qstrcmp(method, "check") == 0;
        operations.add(QStringLiteral("config.") + QLatin1String(method),
                       keepingKinds([early, load, check, handler = std::move(handler)](const QJsonObject &request) {
                           if (!load)
                               early->loaded.reset();
                           // A verdict not asked for next is waited for and dropped: no testparm
                           // outlives the request after the load.
                           if (!check && early->verdict.valid())
                               early->verdict = std::future<TestParmResult>();
                           return handler(request);
                       }));
    };
    add("check", [s, configPath, early](const QJsonObject &request) {
        readNothing(request);
        if (early->verdict.valid()) {
            std::future<TestParmResult> verdict = std::move(early->verdict);
            const TestParmResult result = verdict.get();
            if (unchanged(configPath, early->stamp))
                return QJsonObject{{QStringLiteral("verdict"), SaveResultCodec::encode(result)}};
        }
        early->stamp = FileStamp::of(configPath);
        std::future<ConfigSession::Loaded> loading = std::async(std::launch::async, [s] { return s->load(); });
        const TestParmResult verdict = s->check();
        try {
            const ConfigSession::Loaded loaded = loading.get();
            if (loaded.state.registryUse == RegistryConfig::NotUsed)
                early->loaded = ConfigSessionCodec::encode(loaded);
        } catch (const std::exception &) {
            // Said when the load itself is asked for.
        }
        return QJsonObject{{QStringLiteral("verdict"), SaveResultCodec::encode(verdict)}};
    });
    add("load", [s, configPath, early](const QJsonObject &request) {
        readNothing(request);
        if (early->loaded.has_value()) {
            QJsonObject loaded = std::move(*early->loaded);
            early->loaded.reset();
            if (unchanged(configPath, early->stamp))
                return loaded;
        }
        early->stamp = FileStamp::of(configPath);
        early->verdict = std::async(std::launch::async, [s] { return s->check(); });
        const ConfigSession::Loaded loaded = s->load();
        if (loaded.state.registryUse != RegistryConfig::NotUsed)
            early->verdict = std::future<TestParmResult>();
        return ConfigSessionCodec::encode(loaded);
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
