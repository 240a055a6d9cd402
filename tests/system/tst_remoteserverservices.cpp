// The services interface through the real backend, shareward-cli serve in a process of its
// own: for each method the remote implementation gives what the local one gives in the same
// situation, running the same programs with the same arguments; a request of the wrong shape
// is refused with the field named and runs nothing; a backend that is killed, before or
// during a request, gives the method's failure result at once. systemctl is a stand-in (no
// systemd here); smbcontrol and smbstatus are the real ones, told a smb.conf whose lock, pid
// and state directories are the test's own, so that they reach no daemon of the machine, and a
// stand-in smbstatus prints what the real one printed for a private smbd with sessions.
#include "backendconnection.h"
#include "localserverservices.h"
#include "remoteserverservices.h"

#include "childprocesses.h"
#include "fakeprogram.h"
#include "servicesresults.h"
#include "testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include <signal.h>
#include <unistd.h>

using ServicesResults::describe;

namespace {

const QString cli = QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli");
const QString thisComputer = QStringLiteral("this computer");

// One method called with its arguments; the result as ServicesResults describes it.
using Call = std::function<QString(ServerServices &)>;

Call stateOf(const QString &service)
{
    return [service](ServerServices &s) {
        return describe(s.state(service));
    };
}
Call control(SystemCtl::Command command, const QString &service)
{
    return [command, service](ServerServices &s) {
        return describe(s.control(command, service));
    };
}
Call takeUpConfig(bool restart)
{
    return [restart](ServerServices &s) {
        return describe(s.takeUpConfig(restart));
    };
}
Call restartAndCheck(bool nmbd)
{
    return [nmbd](ServerServices &s) {
        return describe(s.restartAndCheck(nmbd));
    };
}
Call liveStatus(const SmbStatus::SharePaths &shares)
{
    return [shares](ServerServices &s) {
        return describe(s.liveStatus(shares));
    };
}
Call endProcess(const QString &pid)
{
    return [pid](ServerServices &s) {
        return describe(s.endProcess(pid));
    };
}
Call closeShare(const QString &share)
{
    return [share](ServerServices &s) {
        return describe(s.closeShare(share));
    };
}

// The paths of the shares the capture's open files lie in.
SmbStatus::SharePaths capturedShares()
{
    const QString root = QStringLiteral("/tmp/shareward-capture.1vB1ml/srv");
    return {{QStringLiteral("projects"), root + QStringLiteral("/projects")},
            {QStringLiteral("team"), root + QStringLiteral("/team")}};
}

// The files of a situation, by their path in the test's directory: the answers of the
// stand-ins (fakeprogram.h), under "systemctl/", "smbstatus/" and "smbcontrol/".
using Files = QMap<QByteArray, QByteArray>;

const QByteArray noSystemd =
    "System has not been booted with systemd as init system (PID 1). Can't operate.\n"
    "Failed to connect to bus: Host is down\n";

} // namespace

Q_DECLARE_METATYPE(Call)

class TestRemoteServerServices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void sameAsLocal_data();
    void sameAsLocal();
    void threadsTakeTurns();
    void refusedArguments_data();
    void refusedArguments();
    void badRequests_data();
    void badRequests();
    void lostBackend_data();
    void lostBackend();
    void unusableAnswers_data();
    void unusableAnswers();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void writeFiles(const Files &files);
    // What the stand-ins were called with since the last time, and forgets it.
    QByteArray takeCalls();
    // The backend on this test's smb.conf and history, with the programs of the environment.
    void open(BackendConnection &connection);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_config;
    QString m_smbcontrol;
    QString m_smbstatus;
};

void TestRemoteServerServices::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_config = path(QStringLiteral("smb.conf"));
    QByteArray config = "[global]\n\tdisable netbios = yes\n\tlog file = DIR/log.%m\n";
    for (const char *directory : {"lock directory", "pid directory", "state directory", "cache directory",
                                  "private dir", "ncalrpc dir"}) {
        const QByteArray name = QByteArray(directory).replace(' ', '-');
        config += "\t" + QByteArray(directory) + " = DIR/" + name + "\n";
        QVERIFY(QDir(m_dir->path()).mkpath(QString::fromLatin1(name)));
    }
    QVERIFY(writeFile(m_config, config.replace("DIR", QFile::encodeName(m_dir->path()))));
    for (const char *program : {"systemctl", "smbstatus", "smbcontrol"}) {
        const QString name = QString::fromLatin1(program);
        QVERIFY(QDir(m_dir->path()).mkpath(name));
        QVERIFY(writeFakeProgram(path(name + QLatin1Char('/') + name)));
    }
    // The real smbcontrol and smbstatus unless a row asks for a stand-in.
    m_smbcontrol = QStandardPaths::findExecutable(QStringLiteral("smbcontrol"));
    m_smbstatus = QStandardPaths::findExecutable(QStringLiteral("smbstatus"));
    if (m_smbcontrol.isEmpty() || m_smbstatus.isEmpty())
        QSKIP("Samba's smbcontrol and smbstatus are not installed");
    qputenv("SHAREWARD_PROGRAM_SYSTEMCTL", QFile::encodeName(path(QStringLiteral("systemctl/systemctl"))));
}

void TestRemoteServerServices::cleanup()
{
    for (const char *variable :
         {"SHAREWARD_PROGRAM_SYSTEMCTL", "SHAREWARD_PROGRAM_SMBSTATUS", "SHAREWARD_PROGRAM_SMBCONTROL"})
        qunsetenv(variable);
}

void TestRemoteServerServices::writeFiles(const Files &files)
{
    for (auto it = files.begin(); it != files.end(); ++it) {
        QVERIFY(writeFile(path(QString::fromLatin1(it.key())), it.value()));
        // A stand-in named by a row replaces the real program, here and in the backend.
        if (it.key().startsWith("smbstatus/"))
            m_smbstatus = path(QStringLiteral("smbstatus/smbstatus"));
        if (it.key().startsWith("smbcontrol/"))
            m_smbcontrol = path(QStringLiteral("smbcontrol/smbcontrol"));
    }
    qputenv("SHAREWARD_PROGRAM_SMBSTATUS", QFile::encodeName(m_smbstatus));
    qputenv("SHAREWARD_PROGRAM_SMBCONTROL", QFile::encodeName(m_smbcontrol));
}

QByteArray TestRemoteServerServices::takeCalls()
{
    QByteArray calls;
    for (const char *program : {"systemctl", "smbstatus", "smbcontrol"}) {
        const QString file = path(QString::fromLatin1(program) + QStringLiteral("/calls"));
        if (QFile::exists(file))
            calls += program + QByteArray(": ") + readFile(file);
        QFile::remove(file);
    }
    return calls;
}

void TestRemoteServerServices::open(BackendConnection &connection)
{
    BackendConnection::Launch launch;
    launch.program = cli;
    launch.arguments = QStringList{QStringLiteral("--config"), m_config, QStringLiteral("--history-dir"),
                                   path(QStringLiteral("history")), QStringLiteral("serve")};
    connection.open(launch);
}

void TestRemoteServerServices::sameAsLocal_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<Call>("call");
    // A part of what the local services give: the row's situation is the one it names.
    QTest::addColumn<QString>("expected");
    const QByteArray inactive = "3", failed = "3";

    QTest::newRow("state: smbd active") << Files() << stateOf(QStringLiteral("smbd")) << "state Active";
    QTest::newRow("state: nmbd inactive")
        << Files{{"systemctl/answer-is-active-nmbd", inactive}, {"systemctl/stdout", "inactive\n"}}
        << stateOf(QStringLiteral("nmbd")) << "state Inactive";
    QTest::newRow("state: smbd failed")
        << Files{{"systemctl/answer", failed}, {"systemctl/stdout", "failed\n"}}
        << stateOf(QStringLiteral("smbd")) << "state Failed";
    QTest::newRow("state: no systemd")
        << Files{{"systemctl/answer", "1"}, {"systemctl/stderr", noSystemd}}
        << stateOf(QStringLiteral("smbd")) << "state Unknown, why System has not been booted";
    QTest::newRow("state: systemctl killed") << Files{{"systemctl/answer", "kill-KILL"}}
                                             << stateOf(QStringLiteral("nmbd")) << "state Unknown, why ";

    QTest::newRow("start smbd") << Files() << control(SystemCtl::Start, QStringLiteral("smbd"))
                                << "succeeded 1";
    QTest::newRow("restart nmbd refused")
        << Files{{"systemctl/answer-restart-nmbd", "1"},
                 {"systemctl/stderr",
                  "Job for nmbd.service failed because the control process exited with "
                  "error code.\n"}}
        << control(SystemCtl::Restart, QStringLiteral("nmbd"))
        << "succeeded 0, errorText Job for nmbd.service";
    QTest::newRow("stop smbd, systemctl killed")
        << Files{{"systemctl/answer", "kill-TERM"}} << control(SystemCtl::Stop, QStringLiteral("smbd"))
        << "succeeded 0";
    QTest::newRow("is-active nmbd through control")
        << Files{{"systemctl/answer", inactive}} << control(SystemCtl::IsActive, QStringLiteral("nmbd"))
        << "succeeded 0";

    QTest::newRow("take up smb.conf: no smbd to reload, restarted")
        << Files{{"systemctl/answer-is-active-nmbd", inactive}} << takeUpConfig(false)
        << "failures [smbd reload-config: Can't find pid for destination 'smbd']";
    QTest::newRow("take up smb.conf: both restarted")
        << Files() << takeUpConfig(true) << "services [smbd|nmbd]\nrestarted 1\ndown []";
    QTest::newRow("take up smb.conf: smbd down afterwards")
        << Files{{"systemctl/answer-is-active-smbd", failed}, {"systemctl/stdout", "failed\n"}}
        << takeUpConfig(true) << "down [smbd]\nstatus failed";
    QTest::newRow("take up smb.conf: no systemd")
        << Files{{"systemctl/answer", "1"}, {"systemctl/stderr", noSystemd}} << takeUpConfig(false)
        << "unchecked System has not been booted";
    QTest::newRow("restart and check: nmbd refused")
        << Files{{"systemctl/answer-restart-nmbd", "1"},
                 {"systemctl/stderr", "Unit nmbd.service not found.\n"}}
        << restartAndCheck(true) << "failures [systemctl restart nmbd: Unit nmbd.service not found.]";
    QTest::newRow("restart and check: smbd alone")
        << Files() << restartAndCheck(false) << "services [smbd]\n";

    QTest::newRow("live status: smbd never ran")
        << Files() << liveStatus(capturedShares()) << "running 0, error smbd is not running";
    QTest::newRow("live status: sessions and open files")
        << Files{{"smbstatus/stdout",
                  readFile(QStringLiteral(SHAREWARD_TEST_DATA "/smbstatus-sessions.json"))},
                 {"systemctl/answer-is-active-nmbd", inactive},
                 {"systemctl/stdout", "inactive\n"}}
        << liveStatus(capturedShares())
        << "smbd Active, nmbd Inactive\nrunning 1, error \nsession / 2659801305";
    QTest::newRow("live status: smbstatus fails")
        << Files{{"smbstatus/answer", "1"}, {"smbstatus/stderr", "Can't load /etc/samba/smb.conf\n"}}
        << liveStatus({}) << "running 0, error Can't load";

    QTest::newRow("end a process that is not there")
        << Files() << endProcess(QStringLiteral("4242")) << "succeeded 0";
    QTest::newRow("close a share without smbd")
        << Files() << closeShare(QStringLiteral("team files"))
        << "succeeded 0, errorText Can't find pid for destination 'smbd'";
    QTest::newRow("close a share, delivered")
        << Files{{"smbcontrol/answer", "0"}} << closeShare(QStringLiteral("data")) << "succeeded 1";
}

void TestRemoteServerServices::sameAsLocal()
{
    QFETCH(Files, files);
    QFETCH(Call, call);
    QFETCH(QString, expected);
    writeFiles(files);

    LocalServerServices local(path(QStringLiteral("systemctl/systemctl")), m_smbcontrol, m_smbstatus,
                              m_config);
    const QString here = call(local);
    const QByteArray calledHere = takeCalls();
    QVERIFY2(here.contains(expected), qPrintable(here));

    BackendConnection connection(thisComputer);
    open(connection);
    RemoteServerServices remote(connection);
    const QString there = call(remote);
    QCOMPARE(there, here);
    QCOMPARE(takeCalls(), calledHere);
    connection.close();
}

// The Connections tab reads in a worker thread while the window asks for states: each call
// gets its own answer.
void TestRemoteServerServices::threadsTakeTurns()
{
    writeFiles(
        {{"smbstatus/stdout", readFile(QStringLiteral(SHAREWARD_TEST_DATA "/smbstatus-sessions.json"))},
         {"systemctl/answer-is-active-nmbd", "3"},
         {"systemctl/stdout", "inactive\n"}});
    LocalServerServices local(path(QStringLiteral("systemctl/systemctl")), m_smbcontrol, m_smbstatus,
                              m_config);
    const QString reading = describe(local.liveStatus(capturedShares()));
    const QString nmbd = describe(local.state(QStringLiteral("nmbd")));
    BackendConnection connection(thisComputer);
    open(connection);
    RemoteServerServices remote(connection);
    const int rounds = 5;
    QStringList readings[3];
    std::vector<std::thread> workers;
    for (QStringList &found : readings) {
        workers.emplace_back([&remote, &found] {
            for (int i = 0; i < rounds; ++i)
                found << describe(remote.liveStatus(capturedShares()));
        });
    }
    QStringList states;
    for (int i = 0; i < rounds; ++i)
        states << describe(remote.state(QStringLiteral("nmbd")));
    for (std::thread &worker : workers)
        worker.join();
    for (const QStringList &found : readings)
        QCOMPARE(found, QStringList(QVector<QString>(rounds, reading).toList()));
    QCOMPARE(states, QStringList(QVector<QString>(rounds, nmbd).toList()));
    connection.close();
}

void TestRemoteServerServices::refusedArguments_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<QString>("expected");
    const QString notOurs =
        QStringLiteral("The field \"request.service\" must be one of \"smbd\", \"nmbd\", not \"%1\".");
    QTest::newRow("state of another service")
        << stateOf(QStringLiteral("ssh"))
        << QStringLiteral("state Unknown, why ") + notOurs.arg(QStringLiteral("ssh"));
    QTest::newRow("stop another service")
        << control(SystemCtl::Stop, QStringLiteral("ssh.service"))
        << QStringLiteral("succeeded 0, errorText ") + notOurs.arg(QStringLiteral("ssh.service"));
    QTest::newRow("restart an option")
        << control(SystemCtl::Restart, QStringLiteral("--all"))
        << QStringLiteral("succeeded 0, errorText ") + notOurs.arg(QStringLiteral("--all"));
    const QString notAProcess =
        QStringLiteral("succeeded 0, errorText The field \"request.pid\" must be the number of a process.");
    for (const char *pid : {"smbd", "nmbd", "0", "-1", "12 34", "", "007", "99999999999"})
        QTest::addRow("end process \"%s\"", pid) << endProcess(QString::fromLatin1(pid)) << notAProcess;
    QTest::newRow("close no share") << closeShare(
        QString()) << "succeeded 0, errorText The field \"request.share\" must name a share.";
}

// Refused by the backend before anything runs: the stand-ins are not called.
void TestRemoteServerServices::refusedArguments()
{
    QFETCH(Call, call);
    QFETCH(QString, expected);
    writeFiles({{"smbcontrol/answer", "0"}, {"smbstatus/answer", "0"}});
    BackendConnection connection(thisComputer);
    open(connection);
    RemoteServerServices remote(connection);
    QCOMPARE(call(remote), expected);
    QCOMPARE(takeCalls(), QByteArray());
    // The backend goes on answering.
    QCOMPARE(remote.state(QStringLiteral("smbd")).state, SystemCtl::Active);
    connection.close();
}

void TestRemoteServerServices::badRequests_data()
{
    QTest::addColumn<QJsonObject>("request");
    QTest::addColumn<QString>("message");
    const auto op = [](const char *name) {
        return QJsonObject{{QStringLiteral("op"), QString::fromLatin1(name)}};
    };
    QTest::newRow("state without a service")
        << op("services.state") << "The field \"request.service\" is missing.";
    QJsonObject request = op("services.state");
    request.insert(QStringLiteral("service"), QStringLiteral("smbd"));
    request.insert(QStringLiteral("force"), true);
    QTest::newRow("a field the backend does not know")
        << request << "The field \"request.force\" is not known to this version of Shareward.";
    request = op("services.control");
    request.insert(QStringLiteral("command"), QStringLiteral("mask"));
    request.insert(QStringLiteral("service"), QStringLiteral("smbd"));
    QTest::newRow("a command systemctl is not asked")
        << request
        << "The field \"request.command\" must be one of \"is-active\", \"start\", \"stop\", \"restart\", "
           "not "
           "\"mask\".";
    request = op("services.takeUpConfig");
    request.insert(QStringLiteral("restart"), QStringLiteral("yes"));
    QTest::newRow("restart as a text") << request << "The field \"request.restart\" must be true or false.";
    QTest::newRow("restart and check without nmbd")
        << op("services.restartAndCheck") << "The field \"request.nmbd\" is missing.";
    request = op("services.liveStatus");
    request.insert(QStringLiteral("shares"),
                   QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("x")}}});
    QTest::newRow("a share without its path")
        << request << "The field \"request.shares[0].path\" is missing.";
    request = op("services.endProcess");
    request.insert(QStringLiteral("pid"), 4242);
    QTest::newRow("pid as a number") << request << "The field \"request.pid\" must be a text.";
}

void TestRemoteServerServices::badRequests()
{
    QFETCH(QJsonObject, request);
    QFETCH(QString, message);
    BackendConnection connection(thisComputer);
    open(connection);
    try {
        connection.request(request);
        QFAIL("not refused");
    } catch (const BackendConnection::Failure &failure) {
        QCOMPARE(failure.kind(), BackendConnection::Failure::Refused);
        QCOMPARE(failure.code(), QStringLiteral("bad-argument"));
        QCOMPARE(failure.message(), message);
    }
    QCOMPARE(takeCalls(), QByteArray());
    connection.close();
}

void TestRemoteServerServices::lostBackend_data()
{
    QTest::addColumn<Call>("call");
    // The failure result the call gives.
    QTest::addColumn<QString>("failure");
    QTest::addColumn<bool>("during");
    // %1: the sentence. An outcome names the services asked about, as the window shows them.
    const QString unchecked = QStringLiteral("restarted 0\ndown []\nstatus \nfailures [%1]\nunchecked %1");
    const QString notSucceeded = QStringLiteral("succeeded 0, errorText %1");
    const QList<std::tuple<const char *, Call, QString>> calls{
        {"state", stateOf(QStringLiteral("smbd")), QStringLiteral("state Unknown, why %1")},
        {"control", control(SystemCtl::Restart, QStringLiteral("smbd")), notSucceeded},
        {"takeUpConfig", takeUpConfig(false), QStringLiteral("services [smbd]\n") + unchecked},
        {"restartAndCheck", restartAndCheck(true), QStringLiteral("services [smbd|nmbd]\n") + unchecked},
        {"liveStatus", liveStatus(capturedShares()),
         QStringLiteral("smbd Unknown, nmbd Unknown\nrunning 0, error %1")},
        {"endProcess", endProcess(QStringLiteral("4242")), notSucceeded},
        {"closeShare", closeShare(QStringLiteral("data")), notSucceeded},
    };
    for (bool during : {false, true}) {
        for (const auto &[name, call, failure] : calls)
            QTest::addRow("%s, killed %s", name, during ? "during the request" : "before")
                << call << failure << during;
    }
}

// Every program hangs; the backend is killed before the request or while it waits for one.
void TestRemoteServerServices::lostBackend()
{
    QFETCH(Call, call);
    QFETCH(QString, failure);
    QFETCH(bool, during);
    // A stand-in that says it started and never answers.
    const QByteArray hanging = "#!/bin/sh\necho $$ >>\"$(dirname \"$0\")/../hanging\"\nexec sleep 60\n";
    for (const char *program : {"systemctl/systemctl", "smbstatus/smbstatus", "smbcontrol/smbcontrol"})
        QVERIFY(writeFile(path(QString::fromLatin1(program)), hanging));
    writeFiles({{"smbstatus/stdout", ""}, {"smbcontrol/stdout", ""}});

    BackendConnection connection(thisComputer);
    open(connection);
    const QList<pid_t> backend = childrenNamed("shareward-cli");
    QCOMPARE(backend.size(), 1);
    const pid_t backendPid = backend.first();
    const QString started = path(QStringLiteral("hanging"));
    std::thread killer;
    if (during) {
        killer = std::thread([started, backendPid] {
            for (int i = 0; i < 1000 && !QFile::exists(started); ++i)
                QThread::msleep(10);
            ::kill(backendPid, SIGKILL);
        });
    } else {
        ::kill(backendPid, SIGKILL);
    }
    RemoteServerServices remote(connection);
    QElapsedTimer clock;
    clock.start();
    const QString result = call(remote);
    const qint64 took = clock.elapsed();
    if (killer.joinable())
        killer.join();
    // The stand-ins left behind by the backend end with the test.
    for (const QByteArray &pid : readFile(started).split('\n')) {
        if (!pid.isEmpty())
            ::kill(pid.toInt(), SIGKILL);
    }
    QCOMPARE(QFile::exists(started), during);
    QCOMPARE(result, failure.arg(QStringLiteral("The connection to this computer was lost.")));
    QVERIFY2(took < 15000, qPrintable(QString::number(took)));
    // What comes after is refused at once, not waited for.
    clock.restart();
    QCOMPARE(remote.state(QStringLiteral("smbd")).state, SystemCtl::Unknown);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
}

void TestRemoteServerServices::unusableAnswers_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Call>("call");
    QTest::addColumn<QString>("expected");
    const QString unreadable =
        QStringLiteral("The backend on this computer gave an answer this window cannot read: ");
    QTest::newRow("a state systemctl does not name")
        << QByteArray(R"({"id":1,"ok":true,"state":"running","why":""})") << stateOf(QStringLiteral("smbd"))
        << QStringLiteral("state Unknown, why ") + unreadable
            + QStringLiteral("The field \"reply.state\" must be one of \"active\", \"inactive\", \"failed\", "
                             "\"unknown\", not \"running\".");
    QTest::newRow("a status without sessions")
        << QByteArray(
               R"({"id":1,"ok":true,"smbd":"active","nmbd":"active","status":{"running":true,"error":"",)"
               R"("connections":[],"openFiles":[]}})")
        << liveStatus({})
        << QStringLiteral("smbd Unknown, nmbd Unknown\nrunning 0, error ") + unreadable
            + QStringLiteral("The field \"reply.status.sessions\" is missing.");
    QTest::newRow("an outcome with a field of a later version")
        << QByteArray(R"({"id":1,"ok":true,"services":["smbd"],"restarted":false,"down":[],"status":"",)"
                      R"("failures":[],"unchecked":"","reloaded":["smbd"]})")
        << takeUpConfig(false)
        << QStringLiteral("services [smbd]\nrestarted 0\ndown []\nstatus \nfailures [%1]\nunchecked %1")
               .arg(unreadable
                    + QStringLiteral(
                        "The field \"reply.reloaded\" is not known to this version of Shareward."));
    QTest::newRow("a request the backend does not know")
        << QByteArray(R"({"id":1,"ok":false,"error":"unknown-op",)"
                      R"("message":"The backend does not know the request \"services.closeShare\"."})")
        << closeShare(QStringLiteral("data"))
        << QStringLiteral(
               "succeeded 0, errorText The backend does not know the request \"services.closeShare\".");
    QTest::newRow("a request that failed")
        << QByteArray(R"({"id":1,"ok":false,"error":"failed","message":"No memory."})")
        << control(SystemCtl::Start, QStringLiteral("smbd"))
        << QStringLiteral("succeeded 0, errorText No memory.");
}

// A backend of another version, or one that cannot do what is asked: its answer is the call's
// failure, with the sentence.
void TestRemoteServerServices::unusableAnswers()
{
    QFETCH(QByteArray, reply);
    QFETCH(Call, call);
    QFETCH(QString, expected);
    const QString program = path(QStringLiteral("backend"));
    QVERIFY(writeFile(program,
                      "#!/bin/sh\necho '{\"shareward\":\"backend\",\"protocol\":1,\"version\":\"1.0\"}'\n"
                      "head -n 1 >/dev/null\necho '"
                          + reply + "'\ncat >/dev/null\n"));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    BackendConnection connection(thisComputer);
    connection.open({program, {}, false, {}});
    RemoteServerServices remote(connection);
    QCOMPARE(call(remote), expected);
}

QTEST_GUILESS_MAIN(TestRemoteServerServices)

#include "tst_remoteserverservices.moc"
