// What ServerServices takes and gives, through JSON bytes and back as a window and its backend
// pass it: every field arrives as it left, and what a peer sends of the wrong shape is refused
// with a sentence naming the field, never a crash.
#include "jsonfieldreader.h"
#include "serverservicescodec.h"
#include "serverstatuscodec.h"

#include "servicesresults.h"
#include "testfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <functional>

#include <time.h>

using ServicesResults::describe;

namespace {

// The value as the other side reads it: encoded, written as bytes, parsed and decoded.
QJsonValue throughBytes(const QJsonValue &value)
{
    const QByteArray bytes = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QJsonDocument::fromJson(bytes).array().at(0);
}

// What the real smbstatus printed for two sessions, two shares in use and two open files.
ServerStatus capturedStatus()
{
    const QString root = QStringLiteral("/tmp/shareward-capture.1vB1ml/srv");
    return SmbStatus::parse(readFile(QStringLiteral(SHAREWARD_TEST_DATA "/smbstatus-sessions.json")),
                            {{QStringLiteral("projects"), root + QStringLiteral("/projects")},
                             {QStringLiteral("team"), root + QStringLiteral("/team")}},
                            [](uint uid) { return QStringLiteral("user%1").arg(uid); });
}

// A session at each kind of time: local, UTC, another zone's offset, none.
ServerStatus timedStatus()
{
    ServerStatus status;
    status.running = true;
    const QDate day(2026, 12, 8);
    const QList<QDateTime> times{
        QDateTime(day, QTime(9, 30, 1, 250), Qt::LocalTime), QDateTime(day, QTime(23, 59, 59, 999), Qt::UTC),
        QDateTime(day, QTime(0, 0), Qt::OffsetFromUTC, 5 * 3600 + 1800), QDateTime()};
    for (const QDateTime &time : times) {
        ServerSession session;
        session.id = QString::number(status.sessions.size() + 1);
        session.pid = QStringLiteral("4242");
        session.user = QStringLiteral("Jürgen");
        session.machine = QStringLiteral("PC-Büro");
        session.connectedSince = time;
        session.vnn = QStringLiteral("1");
        status.sessions << session;
        ServerConnection connection;
        connection.share = QStringLiteral("Team files");
        connection.sessionId = session.id;
        connection.connectedAt = time;
        status.connections << connection;
    }
    return status;
}

ServiceUpdate::Outcome fullOutcome()
{
    ServiceUpdate::Outcome outcome;
    outcome.services = QStringList{QStringLiteral("smbd"), QStringLiteral("nmbd")};
    outcome.restarted = true;
    outcome.down = QStringList{QStringLiteral("nmbd")};
    outcome.status =
        QStringLiteral("× nmbd.service - Samba NMB Daemon\n     Active: failed (Result: exit-code)");
    outcome.failures =
        QStringList{QStringLiteral("smbd reload-config: Can't find pid for destination 'smbd'"),
                    QStringLiteral("systemctl restart nmbd: Job for nmbd.service failed.")};
    return outcome;
}

// Sets the field at path (names, and numbers for the items of lists) in value; an undefined
// value removes the field.
void setField(QJsonValue &value, QStringList path, const QJsonValue &field)
{
    const QString step = path.takeFirst();
    bool isIndex = false;
    const int index = step.toInt(&isIndex);
    QJsonValue inner = isIndex ? value.toArray().at(index) : value.toObject().value(step);
    if (path.isEmpty())
        inner = field;
    else
        setField(inner, path, field);
    if (isIndex) {
        QJsonArray array = value.toArray();
        if (inner.isUndefined())
            array.removeAt(index);
        else
            array[index] = inner;
        value = array;
    } else {
        QJsonObject object = value.toObject();
        if (inner.isUndefined())
            object.remove(step);
        else
            object[step] = inner;
        value = object;
    }
}

// Each kind of value a peer sends: a valid one, and how this side reads it.
struct Kind
{
    QJsonValue valid;
    std::function<void(const QJsonValue &)> decode;
};

Kind kind(const QString &name)
{
    const QString field = QStringLiteral("reply");
    if (name == QLatin1String("state"))
        return {ServerServicesCodec::encode(ServerServices::ServiceState{SystemCtl::Active, QString()}),
                [field](const QJsonValue &v) {
                    ServerServicesCodec::decodeState(v, field);
                }};
    if (name == QLatin1String("systemctl"))
        return {ServerServicesCodec::encode(SystemCtl::Result{true, QString()}),
                [field](const QJsonValue &v) {
                    ServerServicesCodec::decodeSystemCtlResult(v, field);
                }};
    if (name == QLatin1String("smbcontrol"))
        return {ServerServicesCodec::encode(SmbControl::Result{true, QString()}),
                [field](const QJsonValue &v) {
                    ServerServicesCodec::decodeSmbControlResult(v, field);
                }};
    if (name == QLatin1String("outcome"))
        return {ServerServicesCodec::encode(fullOutcome()), [field](const QJsonValue &v) {
                    ServerServicesCodec::decodeOutcome(v, field);
                }};
    if (name == QLatin1String("live")) {
        ServerServices::LiveStatus reading;
        reading.status = capturedStatus();
        return {ServerServicesCodec::encode(reading), [field](const QJsonValue &v) {
                    ServerServicesCodec::decodeLiveStatus(v, field);
                }};
    }
    if (name == QLatin1String("shares"))
        return {ServerStatusCodec::encode(
                    SmbStatus::SharePaths{{QStringLiteral("data"), QStringLiteral("/srv")}}),
                [](const QJsonValue &v) {
                    ServerStatusCodec::decodeSharePaths(v, QStringLiteral("shares"));
                }};
    // The command of a "services.control" request.
    return {QJsonObject{{QStringLiteral("command"), QStringLiteral("start")}}, [](const QJsonValue &v) {
                JsonFieldReader fields(v, QStringLiteral("request"));
                ServerServicesCodec::readCommand(fields, QStringLiteral("command"));
                fields.finish();
            }};
}

const QJsonValue removed(QJsonValue::Undefined);

} // namespace

using RoundTrip = std::function<QPair<QString, QString>()>;
Q_DECLARE_METATYPE(RoundTrip)

class TestServerServicesCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void commands();
    void timeReadInAnotherZone();
    void malformed_data();
    void malformed();
};

// Before and after the trip of a value through encode, bytes and decode.
template<typename Value, typename Decode>
RoundTrip trip(const Value &value, Decode decode)
{
    return [value, decode] {
        return qMakePair(
            describe(value),
            describe(decode(throughBytes(ServerServicesCodec::encode(value)), QStringLiteral("reply"))));
    };
}

void TestServerServicesCodec::roundTrip_data()
{
    QTest::addColumn<RoundTrip>("trip");
    for (SystemCtl::State state : {SystemCtl::Active, SystemCtl::Inactive, SystemCtl::Failed})
        QTest::addRow("state %d", int(state))
            << trip(ServerServices::ServiceState{state, QString()}, ServerServicesCodec::decodeState);
    QTest::newRow("state unknown, why") << trip(
        ServerServices::ServiceState{SystemCtl::Unknown,
                                     QStringLiteral("System has not been booted with systemd as init "
                                                    "system (PID 1). Can't operate.\nFailed: Host is down")},
        ServerServicesCodec::decodeState);
    QTest::newRow("systemctl succeeded")
        << trip(SystemCtl::Result{true, QString()}, ServerServicesCodec::decodeSystemCtlResult);
    QTest::newRow("systemctl refused") << trip(
        SystemCtl::Result{false, QStringLiteral("Job for smbd.service failed.\nSee “journalctl -xeu”.")},
        ServerServicesCodec::decodeSystemCtlResult);
    QTest::newRow("smbcontrol delivered")
        << trip(SmbControl::Result{true, QString()}, ServerServicesCodec::decodeSmbControlResult);
    QTest::newRow("smbcontrol not delivered")
        << trip(SmbControl::Result{false, QStringLiteral("Can't find pid for destination 'smbd'")},
                ServerServicesCodec::decodeSmbControlResult);
    QTest::newRow("outcome, every field") << trip(fullOutcome(), ServerServicesCodec::decodeOutcome);
    ServiceUpdate::Outcome unchecked;
    unchecked.services = QStringList{QStringLiteral("smbd")};
    unchecked.unchecked = QStringLiteral("/bin/systemctl gave no state for smbd.");
    QTest::newRow("outcome unchecked") << trip(unchecked, ServerServicesCodec::decodeOutcome);
    QTest::newRow("outcome empty") << trip(ServiceUpdate::Outcome(), ServerServicesCodec::decodeOutcome);

    ServerServices::LiveStatus captured;
    captured.status = capturedStatus();
    captured.smbd = SystemCtl::Active;
    captured.nmbd = SystemCtl::Failed;
    QTest::newRow("live status, captured") << trip(captured, ServerServicesCodec::decodeLiveStatus);
    ServerServices::LiveStatus timed;
    timed.status = timedStatus();
    timed.nmbd = SystemCtl::Inactive;
    QTest::newRow("live status, times of every kind") << trip(timed, ServerServicesCodec::decodeLiveStatus);
    ServerServices::LiveStatus down;
    down.status.error = QStringLiteral("smbd is not running (locking.tdb not initialised).");
    QTest::newRow("live status, smbd down") << trip(down, ServerServicesCodec::decodeLiveStatus);

    for (const SmbStatus::SharePaths &shares :
         {SmbStatus::SharePaths(),
          SmbStatus::SharePaths{{QStringLiteral("Team files"), QStringLiteral("/srv/Büro")},
                                {QStringLiteral("homes"), QString()}}}) {
        QTest::addRow("%d share paths", int(shares.size())) << RoundTrip([shares] {
            const auto text = [](const SmbStatus::SharePaths &paths) {
                QStringList lines{QStringLiteral("%1 shares").arg(paths.size())};
                for (const auto &[name, path] : paths)
                    lines << name + QStringLiteral(" = ") + path;
                return lines.join(QLatin1Char('\n'));
            };
            return qMakePair(
                text(shares),
                text(ServerStatusCodec::decodeSharePaths(throughBytes(ServerStatusCodec::encode(shares)))));
        });
    }
}

void TestServerServicesCodec::roundTrip()
{
    QFETCH(RoundTrip, trip);
    const auto [before, after] = trip();
    QVERIFY(!before.isEmpty());
    QCOMPARE(after, before);
}

// Each command systemctl is asked for travels by its own word.
void TestServerServicesCodec::commands()
{
    for (SystemCtl::Command command :
         {SystemCtl::IsActive, SystemCtl::Start, SystemCtl::Stop, SystemCtl::Restart}) {
        JsonFieldReader fields(
            throughBytes(QJsonObject{{QStringLiteral("command"), ServerServicesCodec::encode(command)}}),
            QStringLiteral("request"));
        QCOMPARE(ServerServicesCodec::readCommand(fields, QStringLiteral("command")), command);
        QCOMPARE(ServerServicesCodec::encode(command), SystemCtl::commandText(command));
    }
}

// A backend's local time names the same moment for a window in another time zone.
void TestServerServicesCodec::timeReadInAnotherZone()
{
    const QByteArray zone = qgetenv("TZ");
    const auto setZone = [](const QByteArray &name) {
        if (name.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", name);
        tzset();
    };
    setZone("Europe/Berlin");
    ServerStatus status;
    ServerConnection connection;
    connection.connectedAt = QDateTime(QDate(2026, 7, 1), QTime(9, 30, 1, 250), Qt::LocalTime);
    status.connections << connection;
    const qint64 moment = connection.connectedAt.toMSecsSinceEpoch();
    const QJsonValue sent = throughBytes(ServerStatusCodec::encode(status));
    setZone("Asia/Kolkata");
    const ServerStatus read = ServerStatusCodec::decodeStatus(sent);
    setZone(zone);
    QCOMPARE(read.connections.value(0).connectedAt.toMSecsSinceEpoch(), moment);
    QCOMPARE(read.connections.value(0).connectedAt.offsetFromUtc(), 2 * 3600);
}

void TestServerServicesCodec::malformed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("path"); // empty: the whole value
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("message");
    const auto at = [](const char *path) {
        return QString::fromLatin1(path).split(QLatin1Char('.'));
    };

    QTest::newRow("state not an object")
        << "state" << QStringList() << QJsonValue(QJsonArray()) << "The field \"reply\" must be an object.";
    QTest::newRow("state not one systemctl names")
        << "state" << at("state") << QJsonValue(QStringLiteral("running"))
        << "The field \"reply.state\" must be one of \"active\", \"inactive\", \"failed\", \"unknown\", not "
           "\"running\".";
    QTest::newRow("state as a number")
        << "state" << at("state") << QJsonValue(0)
        << "The field \"reply.state\" must be one of \"active\", \"inactive\", "
           "\"failed\", \"unknown\".";
    QTest::newRow("why missing") << "state" << at("why") << removed << "The field \"reply.why\" is missing.";
    QTest::newRow("a field this side does not know")
        << "state" << at("since") << QJsonValue(1)
        << "The field \"reply.since\" is not known to this version of Shareward.";
    QTest::newRow("succeeded as a text")
        << "systemctl" << at("succeeded") << QJsonValue(QStringLiteral("yes"))
        << "The field \"reply.succeeded\" must be true or false.";
    QTest::newRow("errorText null") << "smbcontrol" << at("errorText") << QJsonValue()
                                    << "The field \"reply.errorText\" must be a text.";
    QTest::newRow("services a text") << "outcome" << at("services") << QJsonValue(QStringLiteral("smbd"))
                                     << "The field \"reply.services\" must be a list of texts.";
    QTest::newRow("a failure a number") << "outcome" << at("failures.1") << QJsonValue(7)
                                        << "The field \"reply.failures[1]\" must be a text or null.";
    QTest::newRow("restarted missing")
        << "outcome" << at("restarted") << removed << "The field \"reply.restarted\" is missing.";
    QTest::newRow("status missing") << "live" << at("status") << removed
                                    << "The field \"reply.status\" is missing.";
    QTest::newRow("nmbd null")
        << "live" << at("nmbd") << QJsonValue()
        << "The field \"reply.nmbd\" must be one of \"active\", \"inactive\", \"failed\", "
           "\"unknown\".";
    QTest::newRow("sessions an object") << "live" << at("status.sessions") << QJsonValue(QJsonObject())
                                        << "The field \"reply.status.sessions\" must be a list of objects.";
    QTest::newRow("a session a text")
        << "live" << at("status.sessions.1") << QJsonValue(QStringLiteral("carol"))
        << "The field \"reply.status.sessions[1]\" must be an object.";
    QTest::newRow("a time in words") << "live" << at("status.sessions.0.connectedSince")
                                     << QJsonValue(QStringLiteral("yesterday"))
                                     << "The field \"reply.status.sessions[0].connectedSince\" must be a "
                                        "date and time in ISO 8601 or null.";
    QTest::newRow("a time as a number")
        << "live" << at("status.connections.1.connectedAt") << QJsonValue(1765130394)
        << "The field \"reply.status.connections[1].connectedAt\" must be a text "
           "or null.";
    QTest::newRow("a pid as a number") << "live" << at("status.connections.0.pid") << QJsonValue(74)
                                       << "The field \"reply.status.connections[0].pid\" must be a text.";
    QTest::newRow("an open file's shares a text")
        << "live" << at("status.openFiles.0.shares") << QJsonValue(QStringLiteral("team"))
        << "The field \"reply.status.openFiles[0].shares\" must be a list of texts.";
    QTest::newRow("an open file's unknown field")
        << "live" << at("status.openFiles.1.inode") << QJsonValue(1448)
        << "The field \"reply.status.openFiles[1].inode\" is not known to this version of Shareward.";
    QTest::newRow("running missing") << "live" << at("status.running") << removed
                                     << "The field \"reply.status.running\" is missing.";
    QTest::newRow("share paths an object") << "shares" << QStringList() << QJsonValue(QJsonObject())
                                           << "The field \"shares\" must be a list of objects.";
    QTest::newRow("share path missing")
        << "shares" << at("0.path") << removed << "The field \"shares[0].path\" is missing.";
    QTest::newRow("share name a list") << "shares" << at("0.name") << QJsonValue(QJsonArray())
                                       << "The field \"shares[0].name\" must be a text.";
    QTest::newRow("command not systemctl's")
        << "command" << at("command") << QJsonValue(QStringLiteral("mask"))
        << "The field \"request.command\" must be one of \"is-active\", \"start\", \"stop\", \"restart\", "
           "not "
           "\"mask\".";
}

void TestServerServicesCodec::malformed()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, path);
    QFETCH(QJsonValue, value);
    QFETCH(QString, message);
    const Kind decoder = ::kind(kind);
    QJsonValue sent = throughBytes(decoder.valid);
    // The valid value passes; the edited one is refused.
    decoder.decode(sent);
    if (path.isEmpty())
        sent = value;
    else
        setField(sent, path, value);
    try {
        decoder.decode(sent);
        QFAIL("accepted");
    } catch (const JsonFieldReader::Error &error) {
        QCOMPARE(QString::fromStdString(error.what()), message);
    }
}

QTEST_GUILESS_MAIN(TestServerServicesCodec)

#include "tst_serverservicescodec.moc"
