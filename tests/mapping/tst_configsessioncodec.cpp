// What the configuration session takes and gives, through JSON and back as it travels between
// the window and its backend: every field of every result survives, bytes that are no UTF-8
// and null values included, and malformed input is refused with a sentence naming the field.
#include "configmapper.h"
#include "configsessioncodec.h"
#include "configsessionresults.h"
#include "jsonfieldreader.h"
#include "recordcodec.h"
#include "saveresultcodec.h"
#include "testfiles.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace ConfigSessionResults;

namespace {

// The original's description and that of what came back through the bytes of the pipe.
using RoundTrip = std::function<QPair<QString, QString>()>;

QJsonValue throughPipe(const QJsonValue &value)
{
    const QJsonObject message{{QStringLiteral("value"), value}};
    return QJsonDocument::fromJson(QJsonDocument(message).toJson(QJsonDocument::Compact))
        .object()
        .value(QStringLiteral("value"));
}

template<typename Value, typename Decode>
RoundTrip roundTrip(Value value, Decode decode)
{
    return [value, decode] {
        return qMakePair(
            describe(value),
            describe(decode(throughPipe(ConfigSessionCodec::encode(value)), QStringLiteral("reply"))));
    };
}

// Bytes no UTF-8 decoder takes, a NUL among them.
const std::string binary("[global]\n\tcomment = caf\xe9\0\xff\n", 26);

ConfigChanges someChanges()
{
    ConfigChanges changes;
    changes.addedShares = QStringList{QStringLiteral("team"), QStringLiteral("Ünïcode")};
    changes.removedShares = QStringList{QStringLiteral("old")};
    changes.renamedShares = {{QStringLiteral("a"), QStringLiteral("b")},
                             {QStringLiteral("c"), QStringLiteral("d")}};
    changes.changedShares = QStringList{QStringLiteral("data")};
    changes.changedGlobals = QStringList{QStringLiteral("workgroup"), QStringLiteral("server string")};
    return changes;
}

ConfigSession::LoadedState someState()
{
    ConfigSession::LoadedState state;
    state.path = QStringLiteral("/etc/samba/smb.conf");
    state.registryHistoryFile = QStringLiteral("registry of /etc/samba/smb.conf");
    state.registryUse = RegistryConfig::Included;
    state.registryLoaded = true;
    state.registryError = QStringLiteral("net conf list failed");
    state.fingerprint = QStringLiteral("0123abcd");
    return state;
}

ConfigSession::Outcome someOutcome()
{
    ConfigSession::Outcome outcome;
    outcome.installed = true;
    outcome.registryChanged = true;
    outcome.changes = someChanges();
    outcome.replacedText = binary;
    outcome.historyError = QStringLiteral("No space left on device");
    return outcome;
}

// Records as a load of a real file gives them.
ConfigSession::Loaded someLoaded()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("smb.conf"));
    writeFile(file,
              "[global]\n   workgroup = TEAM\n   guest account = nobody\n[data]\n   path = /srv/data\n"
              "   vfs objects = recycle full_audit\n   full_audit:prefix = %u\n   valid users = @staff\n"
              "[projects]\n   path = /srv/projects\n   read only = no\n");
    ConfigDocument document;
    ConfigMapper mapper(document, file);
    ConfigSession::Loaded loaded;
    loaded.settings = mapper.loadGlobal();
    loaded.shares = mapper.loadShares(*loaded.settings.global());
    loaded.shares[1].setStoredIn(Share::StoredInRegistry);
    loaded.state = someState();
    return loaded;
}

ConfigMapper::Preview somePreview()
{
    ConfigMapper::Preview preview;
    preview.current = binary;
    preview.proposed = binary + "[new]\n";
    preview.verdict = {TestParmResult::Warnings,
                       QStringLiteral("WARNING: The \"syslog\" option is deprecated")};
    preview.changes = someChanges();
    return preview;
}

ConfigMapper::Transfer someTransfer()
{
    ConfigMapper::Transfer transfer;
    transfer.fileBefore = binary;
    transfer.fileAfter = "[global]\n\tinclude = registry\n";
    transfer.registryBefore = "";
    transfer.registryAfter = "[data]\n\tpath = /srv/data\n";
    transfer.summary = QStringLiteral("share data moved to the registry");
    transfer.replaceRegistry = true;
    transfer.effectiveBefore = "a";
    transfer.effectiveAfter = "b";
    transfer.registryNotInEffect = "[old]\n\tpath = /srv/old\n";
    return transfer;
}

QList<ConfigRepair::Change> someChangeList()
{
    // A line removed, one added and one changed to an empty value.
    return {{12, QStringLiteral("global"), QStringLiteral("security"), QStringLiteral("share"), QString()},
            {0, QStringLiteral("global"), QStringLiteral("idmap config * : range"), QString(),
             QStringLiteral("3000-7999")},
            {4, QStringLiteral("Global"), QStringLiteral("idmap config * : backend"), QStringLiteral("tdb"),
             QStringLiteral("")}};
}

// A value with one field replaced, or removed when value is undefined.
QJsonObject with(QJsonObject object, const QString &key, const QJsonValue &value)
{
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    return object;
}

using Decode = std::function<void(const QJsonValue &)>;

template<typename Decoder>
Decode decoding(Decoder decoder)
{
    return [decoder](const QJsonValue &value) {
        decoder(value, QStringLiteral("reply"));
    };
}

} // namespace

Q_DECLARE_METATYPE(RoundTrip)
Q_DECLARE_METATYPE(Decode)

class TestConfigSessionCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valuesComeBack_data();
    void valuesComeBack();
    void choicesComeBack();
    void malformedInputIsRefused_data();
    void malformedInputIsRefused();
};

void TestConfigSessionCodec::valuesComeBack_data()
{
    QTest::addColumn<RoundTrip>("roundTrip");

    QTest::newRow("loaded state") << roundTrip(someState(), ConfigSessionCodec::decodeLoadedState);
    QTest::newRow("loaded state, nothing loaded")
        << roundTrip(ConfigSession::LoadedState(), ConfigSessionCodec::decodeLoadedState);
    for (int use = RegistryConfig::NotUsed; use <= RegistryConfig::Backend; ++use) {
        ConfigSession::LoadedState state = someState();
        state.registryUse = RegistryConfig::Use(use);
        QTest::addRow("registry use %d", use) << roundTrip(state, ConfigSessionCodec::decodeLoadedState);
    }
    QTest::newRow("loaded") << roundTrip(someLoaded(), ConfigSessionCodec::decodeLoaded);
    QTest::newRow("outcome") << roundTrip(someOutcome(), ConfigSessionCodec::decodeOutcome);
    QTest::newRow("outcome of nothing")
        << roundTrip(ConfigSession::Outcome(), ConfigSessionCodec::decodeOutcome);

    ConfigSession::Preview preview;
    preview.file = somePreview();
    preview.registryCurrent = "[data]\n\tcomment = \xff\n";
    preview.registryProposed = "[data]\n";
    QTest::newRow("preview") << roundTrip(preview, ConfigSessionCodec::decodePreview);
    for (int status = TestParmResult::Ok; status <= TestParmResult::Failed; ++status) {
        preview.file.verdict.status = status;
        QTest::addRow("preview, verdict %d", status) << roundTrip(preview, ConfigSessionCodec::decodePreview);
    }

    ConfigSession::Saved saved;
    saved.outcome = someOutcome();
    saved.shares = someLoaded().shares;
    saved.fingerprint = QStringLiteral("ffee");
    QTest::newRow("saved") << roundTrip(saved, ConfigSessionCodec::decodeSaved);

    ConfigSession::Transferred transferred;
    transferred.outcome = someOutcome();
    transferred.loaded = someLoaded();
    QTest::newRow("transferred") << roundTrip(transferred, ConfigSessionCodec::decodeTransferred);
    QTest::newRow("transfer") << RoundTrip([] {
        const ConfigMapper::Transfer transfer = someTransfer();
        return qMakePair(
            describe(transfer),
            describe(SaveResultCodec::decodeTransfer(throughPipe(SaveResultCodec::encode(transfer)))));
    });

    ConfigHistory::Version version;
    version.number = 42;
    version.file = QStringLiteral("/etc/samba/smb.conf");
    version.time = QDateTime(QDate(2026, 12, 7), QTime(18, 39, 54, 813), Qt::UTC);
    version.user = QStringLiteral("alice");
    version.program = QStringLiteral("shareward-cli");
    version.summary = QStringLiteral("share team added; workgroup changed");
    version.size = 2147483647;
    ConfigHistory::Version registry = version;
    registry.number = 41;
    registry.file = QStringLiteral("registry of /etc/samba/smb.conf");
    registry.time = QDateTime(QDate(2026, 1, 31), QTime(23, 59, 59, 1), Qt::OffsetFromUTC, 3600);
    registry.size = 0;
    QTest::newRow("versions") << roundTrip(QList<ConfigHistory::Version>{version, registry},
                                           ConfigSessionCodec::decodeVersions);
    QTest::newRow("no versions") << roundTrip(QList<ConfigHistory::Version>(),
                                              ConfigSessionCodec::decodeVersions);

    QTest::newRow("changes") << roundTrip(someChangeList(), ConfigSessionCodec::decodeChanges);
    ConfigSession::RepairPlan plan;
    plan.possible = true;
    plan.changes = someChangeList();
    plan.defaultRange = QStringLiteral("3000-7999");
    QTest::newRow("repair plan") << roundTrip(plan, ConfigSessionCodec::decodeRepairPlan);
    QTest::newRow("repair plan, none possible")
        << roundTrip(ConfigSession::RepairPlan(), ConfigSessionCodec::decodeRepairPlan);
}

void TestConfigSessionCodec::valuesComeBack()
{
    QFETCH(RoundTrip, roundTrip);
    const auto [original, back] = roundTrip();
    QCOMPARE(back, original);
}

// The enumerations a request takes, by name and back.
void TestConfigSessionCodec::choicesComeBack()
{
    for (const ConfigRepair::Kind kind : {ConfigRepair::InvalidSecurity, ConfigRepair::DefaultIdmapRange}) {
        JsonFieldReader fields(
            QJsonValue(QJsonObject{{QStringLiteral("kind"), ConfigSessionCodec::encode(kind)}}),
            QStringLiteral("request"));
        QCOMPARE(ConfigSessionCodec::readKind(fields, QStringLiteral("kind")), kind);
    }
    for (const auto unused : {ConfigMapper::UnusedRegistry::Keep, ConfigMapper::UnusedRegistry::Replace}) {
        JsonFieldReader fields(
            QJsonValue(QJsonObject{{QStringLiteral("unused"), ConfigSessionCodec::encode(unused)}}),
            QStringLiteral("request"));
        QVERIFY(ConfigSessionCodec::readUnusedRegistry(fields, QStringLiteral("unused")) == unused);
    }
    for (const Share::StoredIn to : {Share::StoredInFile, Share::StoredInRegistry}) {
        JsonFieldReader fields(
            QJsonValue(QJsonObject{{QStringLiteral("to"), ConfigSessionCodec::encode(to)}}),
            QStringLiteral("request"));
        QCOMPARE(ConfigSessionCodec::readStoredIn(fields, QStringLiteral("to")), to);
    }
    QCOMPARE(ConfigSessionCodec::encode(ConfigRepair::DefaultIdmapRange),
             QStringLiteral("default-idmap-range"));
    QCOMPARE(ConfigSessionCodec::encode(Share::StoredInFile), QStringLiteral("file"));
}

void TestConfigSessionCodec::malformedInputIsRefused_data()
{
    QTest::addColumn<Decode>("decode");
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("message");

    const QJsonObject state = ConfigSessionCodec::encode(someState());
    const QJsonObject outcome = ConfigSessionCodec::encode(someOutcome());
    const QJsonObject loaded = ConfigSessionCodec::encode(someLoaded());
    const QJsonObject change = ConfigSessionCodec::encode(someChangeList()).first().toObject();
    ConfigHistory::Version one;
    one.number = 3;
    one.time = QDateTime::currentDateTimeUtc();
    const QJsonObject version =
        ConfigSessionCodec::encode(QList<ConfigHistory::Version>{one}).first().toObject();
    const QJsonValue undefined(QJsonValue::Undefined);
    const auto versions = [](const QJsonObject &item) {
        return QJsonArray{item};
    };
    const auto plan = [](const QJsonValue &changes) {
        return QJsonObject{{QStringLiteral("possible"), true},
                           {QStringLiteral("changes"), changes},
                           {QStringLiteral("defaultRange"), QString()}};
    };

    QTest::newRow("state, not an object")
        << decoding(ConfigSessionCodec::decodeLoadedState) << QJsonValue(QStringLiteral("loaded"))
        << "The field \"reply\" must be an object.";
    QTest::newRow("state, no fingerprint")
        << decoding(ConfigSessionCodec::decodeLoadedState)
        << QJsonValue(with(state, QStringLiteral("fingerprint"), undefined))
        << "The field \"reply.fingerprint\" is missing.";
    QTest::newRow("state, an unknown registry use")
        << decoding(ConfigSessionCodec::decodeLoadedState)
        << QJsonValue(with(state, QStringLiteral("registryUse"), QStringLiteral("sometimes")))
        << "The field \"reply.registryUse\" must be one of \"not-used\", \"shares-only\", \"included\", "
           "\"backend\", not \"sometimes\".";
    QTest::newRow("state, a field this side does not know")
        << decoding(ConfigSessionCodec::decodeLoadedState)
        << QJsonValue(with(state, QStringLiteral("registryPath"), QStringLiteral("/x")))
        << "The field \"reply.registryPath\" is not known to this version of Shareward.";
    QTest::newRow("loaded, a share of the wrong shape")
        << decoding(ConfigSessionCodec::decodeLoaded)
        << QJsonValue(with(loaded, QStringLiteral("shares"), QJsonArray{QStringLiteral("data")}))
        << "The field \"reply.shares[0]\" must be an object.";
    QTest::newRow("loaded, state missing") << decoding(ConfigSessionCodec::decodeLoaded)
                                           << QJsonValue(with(loaded, QStringLiteral("state"), undefined))
                                           << "The field \"reply.state\" is missing.";
    QTest::newRow("loaded, state malformed")
        << decoding(ConfigSessionCodec::decodeLoaded)
        << QJsonValue(with(loaded, QStringLiteral("state"), with(state, QStringLiteral("registryLoaded"), 1)))
        << "The field \"reply.state.registryLoaded\" must be true or false.";
    QTest::newRow("outcome, replaced text not base64")
        << decoding(ConfigSessionCodec::decodeOutcome)
        << QJsonValue(with(outcome, QStringLiteral("replacedText64"), QStringLiteral("[global]")))
        << "The field \"reply.replacedText64\" must be base64 text.";
    QTest::newRow("outcome, changes malformed")
        << decoding(ConfigSessionCodec::decodeOutcome)
        << QJsonValue(with(outcome, QStringLiteral("changes"), QJsonArray()))
        << "The field \"reply.changes\" must be an object.";
    QTest::newRow("saved, outcome missing")
        << decoding(ConfigSessionCodec::decodeSaved)
        << QJsonValue(QJsonObject{{QStringLiteral("shares"), QJsonArray()},
                                  {QStringLiteral("fingerprint"), QStringLiteral("ab")}})
        << "The field \"reply.outcome\" is missing.";
    QTest::newRow("transferred, loaded malformed")
        << decoding(ConfigSessionCodec::decodeTransferred)
        << QJsonValue(
               QJsonObject{{QStringLiteral("outcome"), outcome},
                           {QStringLiteral("loaded"), with(loaded, QStringLiteral("settings"), undefined)}})
        << "The field \"reply.loaded.settings\" is missing.";
    QTest::newRow("preview, registry text not base64")
        << decoding(ConfigSessionCodec::decodePreview)
        << QJsonValue(QJsonObject{{QStringLiteral("file"), SaveResultCodec::encode(somePreview())},
                                  {QStringLiteral("registryCurrent64"), QString()},
                                  {QStringLiteral("registryProposed64"), QStringLiteral("%%")}})
        << "The field \"reply.registryProposed64\" must be base64 text.";

    QTest::newRow("versions, not a list")
        << decoding(ConfigSessionCodec::decodeVersions) << QJsonValue(version)
        << "The field \"reply\" must be a list of objects.";
    QTest::newRow("version, negative number")
        << decoding(ConfigSessionCodec::decodeVersions)
        << QJsonValue(versions(with(version, QStringLiteral("number"), -1)))
        << "The field \"reply[0].number\" must be a whole number from 0 to 2147483647.";
    QTest::newRow("version, a fraction")
        << decoding(ConfigSessionCodec::decodeVersions)
        << QJsonValue(versions(with(version, QStringLiteral("number"), 1.5)))
        << "The field \"reply[0].number\" must be a whole number from 0 to 2147483647.";
    QTest::newRow("version, number beyond an int")
        << decoding(ConfigSessionCodec::decodeVersions)
        << QJsonValue(versions(with(version, QStringLiteral("number"), 4294967296.0)))
        << "The field \"reply[0].number\" must be a whole number from 0 to 2147483647.";
    QTest::newRow("version, size as a text")
        << decoding(ConfigSessionCodec::decodeVersions)
        << QJsonValue(versions(with(version, QStringLiteral("size"), QStringLiteral("12"))))
        << "The field \"reply[0].size\" must be a whole number from 0 to 2147483647.";
    QTest::newRow("version, a time that is none")
        << decoding(ConfigSessionCodec::decodeVersions)
        << QJsonValue(versions(with(version, QStringLiteral("time"), QStringLiteral("yesterday"))))
        << "The field \"reply[0].time\" must be a date and time in ISO 8601 or null.";
    QTest::newRow("version, no user")
        << decoding(ConfigSessionCodec::decodeVersions)
        << QJsonValue(versions(with(version, QStringLiteral("user"), undefined)))
        << "The field \"reply[0].user\" is missing.";

    QTest::newRow("change, old value a number")
        << decoding(ConfigSessionCodec::decodeChanges)
        << QJsonValue(QJsonArray{with(change, QStringLiteral("oldValue"), 5)})
        << "The field \"reply[0].oldValue\" must be a text or null.";
    QTest::newRow("change, section null")
        << decoding(ConfigSessionCodec::decodeChanges)
        << QJsonValue(QJsonArray{change, with(change, QStringLiteral("section"), QJsonValue::Null)})
        << "The field \"reply[1].section\" must be a text.";
    QTest::newRow("plan, a change without its line")
        << decoding(ConfigSessionCodec::decodeRepairPlan)
        << QJsonValue(plan(QJsonArray{with(change, QStringLiteral("line"), undefined)}))
        << "The field \"reply.changes[0].line\" is missing.";
    QTest::newRow("plan, changes not a list")
        << decoding(ConfigSessionCodec::decodeRepairPlan) << QJsonValue(plan(change))
        << "The field \"reply.changes\" must be a list of objects.";
    QTest::newRow("plan, possible missing")
        << decoding(ConfigSessionCodec::decodeRepairPlan)
        << QJsonValue(with(plan(QJsonArray()), QStringLiteral("possible"), undefined))
        << "The field \"reply.possible\" is missing.";
    QTest::newRow("an unknown repair")
        << Decode([](const QJsonValue &value) {
               JsonFieldReader fields(value, QStringLiteral("request"));
               ConfigSessionCodec::readKind(fields, QStringLiteral("kind"));
           })
        << QJsonValue(QJsonObject{{QStringLiteral("kind"), QStringLiteral("everything")}})
        << "The field \"request.kind\" must be one of \"invalid-security\", \"default-idmap-range\", not "
           "\"everything\".";
    QTest::newRow("unused registry as a flag")
        << Decode([](const QJsonValue &value) {
               JsonFieldReader fields(value, QStringLiteral("request"));
               ConfigSessionCodec::readUnusedRegistry(fields, QStringLiteral("unused"));
           })
        << QJsonValue(QJsonObject{{QStringLiteral("unused"), true}})
        << "The field \"request.unused\" must be one of \"keep\", \"replace\".";
}

void TestConfigSessionCodec::malformedInputIsRefused()
{
    QFETCH(Decode, decode);
    QFETCH(QJsonValue, value);
    QFETCH(QString, message);
    try {
        decode(value);
        QFAIL("accepted");
    } catch (const JsonFieldReader::Error &error) {
        QCOMPARE(QString::fromStdString(error.what()), message);
    }
}

QTEST_GUILESS_MAIN(TestConfigSessionCodec)

#include "tst_configsessioncodec.moc"
