// shareward-cli serve, the real binary in a process, as a window or shareward-cli --host talks
// to it: commands run with the backend's own smb.conf and history, requests that would choose
// a file are refused, and nothing a client sends — garbage, a line of 100 MB, an end in the
// middle of a save — harms it or the configuration.
#include "backendconnection.h"
#include "backendprotocol.h"
#include "childprocess.h"
#include "localbackend.h"
#include "processrun.h"
#include "protocollinereader.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>
#include <unistd.h>

namespace {

const QString cli = QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli");
const QByteArray original =
    "# kept\n[global]\n\tworkgroup = W\n\n[data]\n\tpath = /srv/data\n\tcomment = Old\n";

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

QJsonObject runRequest(const QStringList &args, const QByteArray &input = QByteArray())
{
    return QJsonObject{{QStringLiteral("op"), QStringLiteral("run")},
                       {QStringLiteral("args"), QJsonArray::fromStringList(args)},
                       {QStringLiteral("stdin64"), BackendProtocol::encodeBytes(input)}};
}

QByteArray field(const QJsonObject &reply, const char *name)
{
    return BackendProtocol::decodeBytes(reply, QString::fromLatin1(name)).value_or("(missing)");
}

} // namespace

class TestBackendServer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void commandsRunOnItsOwnFiles();
    void refusals_data();
    void refusals();
    void garbageLeavesItSound();
    void endOfInputFinishesTheSave_data();
    void endOfInputFinishesTheSave();
    void startedByPkexec_data();
    void startedByPkexec();
    void notRootGoesThroughSudo();

private:
    BackendConnection::Launch launch() const;
    QByteArray configBytes() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_config;
    QString m_history;
};

void TestBackendServer::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_config = m_dir->filePath(QStringLiteral("smb.conf"));
    m_history = m_dir->filePath(QStringLiteral("history"));
    QFile file(m_config);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(original) == original.size());
}

BackendConnection::Launch TestBackendServer::launch() const
{
    BackendConnection::Launch launch;
    launch.program = cli;
    launch.arguments = QStringList{QStringLiteral("--config"), m_config, QStringLiteral("--history-dir"),
                                   m_history, QStringLiteral("serve")};
    return launch;
}

QByteArray TestBackendServer::configBytes() const
{
    QFile file(m_config);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestBackendServer::commandsRunOnItsOwnFiles()
{
    BackendConnection connection(QStringLiteral("this computer"));
    connection.open(launch());
    const QJsonObject edit =
        connection.request(runRequest({QStringLiteral("share"), QStringLiteral("set"), QStringLiteral("data"),
                                       QStringLiteral("--comment"), QStringLiteral("New")}));
    QCOMPARE(edit.value(QStringLiteral("exit")).toInt(), 0);
    QVERIFY2(field(edit, "stdout64").contains("+\tcomment = New"), field(edit, "stdout64"));
    QCOMPARE(configBytes(), QByteArray(original).replace("comment = Old", "comment = New"));
    // The history of the backend's own directory has both versions; a command's failure is in
    // its exit code and standard error, not a refused request.
    const QJsonObject history =
        connection.request(runRequest({QStringLiteral("history"), QStringLiteral("--json")}));
    QCOMPARE(QJsonDocument::fromJson(field(history, "stdout64"))
                 .object()
                 .value(QStringLiteral("versions"))
                 .toArray()
                 .size(),
             2);
    const QJsonObject missing = connection.request(
        runRequest({QStringLiteral("share"), QStringLiteral("show"), QStringLiteral("nothere")}));
    QCOMPARE(missing.value(QStringLiteral("exit")).toInt(), 1);
    QVERIFY(!field(missing, "stderr64").isEmpty());
    // Standard input reaches the command: the password of a new account.
    const QStringList add = words("--dry-run user add bob --create-unix-account");
    const QJsonObject withPassword = connection.request(runRequest(add, "secret\n"));
    QCOMPARE(withPassword.value(QStringLiteral("exit")).toInt(), 0);
    QCOMPARE(field(withPassword, "stdout64"), QByteArray("would add Samba user bob\n"));
    const QJsonObject without = connection.request(runRequest(add));
    QCOMPARE(without.value(QStringLiteral("exit")).toInt(), 1);
    QVERIFY2(field(without, "stderr64").contains("no password on standard input"),
             field(without, "stderr64"));
    // Output passes byte for byte: print of its own smb.conf.
    const QJsonObject print = connection.request(runRequest({QStringLiteral("print"), m_config}));
    QCOMPARE(field(print, "stdout64"), configBytes());
    connection.close();
}

void TestBackendServer::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("config") << words("--config /etc/passwd check") << "--config is the backend's own choice";
    QTest::newRow("config joined") << words("--config=/etc/passwd check") << "--config is the backend's own";
    QTest::newRow("history") << words("history --history-dir /tmp") << "--history-dir is the backend's own";
    QTest::newRow("host") << words("--host other check") << "--host is the backend's own";
    QTest::newRow("ssh config") << words("--ssh-config /x check") << "--ssh-config is the backend's own";
    QTest::newRow("another backend") << words("serve") << "does not run another backend";
    QTest::newRow("print another file") << words("print /etc/shadow") << "print reads only the server's";
    QTest::newRow("show another file") << words("show /etc/shadow") << "show reads only the server's";
    QTest::newRow("save another file") << words("save /etc/shadow") << "save reads only the server's";
}

void TestBackendServer::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    BackendConnection connection(QStringLiteral("this computer"));
    connection.open(launch());
    try {
        connection.request(runRequest(args));
        QFAIL("not refused");
    } catch (const BackendConnection::Failure &failure) {
        QCOMPARE(failure.kind(), BackendConnection::Failure::Refused);
        QCOMPARE(failure.code(), BackendProtocol::BadArgument);
        QVERIFY2(failure.message().contains(message), qPrintable(failure.message()));
    }
    // The backend goes on answering.
    const QJsonObject check =
        connection.request(runRequest({QStringLiteral("share"), QStringLiteral("list")}));
    QCOMPARE(check.value(QStringLiteral("exit")).toInt(), 0);
    QCOMPARE(configBytes(), original);
}

void TestBackendServer::garbageLeavesItSound()
{
    // Raw lines, as a broken or hostile client sends them; each gets its answer, in order.
    ChildProcess backend;
    QVERIFY(backend.startConversation(cli, launch().arguments, false));
    QByteArray input =
        "not json\n[1,2]\n{\"op\":\"run\"}\n{\"id\":\"x\",\"op\":\"run\"}\n"
        "{\"id\":1,\"op\":\"frobnicate\"}\n{\"id\":2,\"op\":\"run\",\"args\":\"check\"}\n"
        "{\"id\":3,\"op\":\"run\",\"args\":[1]}\n{\"id\":4,\"op\":\"run\",\"args\":[],\"stdin64\":\"%%\"}\n";
    input += QByteArray(100 * 1024 * 1024, 'x') + '\n';
    QJsonObject last = runRequest({QStringLiteral("share"), QStringLiteral("list")});
    last.insert(QStringLiteral("id"), 5);
    input += BackendProtocol::line(last);
    backend.send(input);
    backend.closeInput();
    ProtocolLineReader reader;
    QList<QJsonObject> replies;
    while (!backend.hasEnded()) {
        backend.pump(1000);
        reader.feed(backend.takeOutput());
    }
    QVERIFY(backend.finish());
    QCOMPARE(backend.exitCode(), 0);
    reader.feed(backend.takeOutput());
    while (std::optional<ProtocolLineReader::Line> line = reader.next())
        replies << QJsonDocument::fromJson(line->bytes).object();
    QCOMPARE(replies.size(), 11); // the greeting and ten answers
    const QByteArrayList expected{"malformed",    "malformed",    "malformed",    "malformed", "unknown-op",
                                  "bad-argument", "bad-argument", "bad-argument", "too-long",  ""};
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(replies.at(i + 1).value(QStringLiteral("error")).toString().toUtf8(), expected.at(i));
    QCOMPARE(replies.at(5).value(QStringLiteral("id")).toInt(), 1);
    QCOMPARE(replies.at(10).value(QStringLiteral("id")).toInt(), 5);
    QCOMPARE(replies.at(10).value(QStringLiteral("exit")).toInt(), 0);
    QCOMPARE(field(replies.at(10), "stdout64").left(5), QByteArray("data\t"));
}

void TestBackendServer::endOfInputFinishesTheSave_data()
{
    QTest::addColumn<bool>("hangUp");
    QTest::newRow("input ends") << false;
    QTest::newRow("input ends and the terminal hangs up") << true;
}

void TestBackendServer::endOfInputFinishesTheSave()
{
    // The client sends a save and is gone at once, as when ssh's connection drops: the backend
    // still saves the whole new file, records it, and ends without leaving anything behind.
    QFETCH(bool, hangUp);
    ChildProcess backend;
    QVERIFY(backend.startConversation(cli, launch().arguments, false));
    // Signals are ignored once it greeted.
    while (!backend.hasEnded() && !backend.takeOutput().contains('\n'))
        backend.pump(1000);
    QJsonObject request = runRequest({QStringLiteral("share"), QStringLiteral("set"), QStringLiteral("data"),
                                      QStringLiteral("--comment"), QStringLiteral("New")});
    request.insert(QStringLiteral("id"), 1);
    backend.send(BackendProtocol::line(request));
    if (hangUp)
        ::kill(backend.pid(), SIGHUP);
    backend.closeInput();
    while (!backend.hasEnded())
        backend.pump(1000);
    QVERIFY(backend.finish());
    QCOMPARE(backend.exitCode(), 0);
    QCOMPARE(configBytes(), QByteArray(original).replace("comment = Old", "comment = New"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{QStringLiteral("history"), QStringLiteral("smb.conf")}));
    const ProcessRun history =
        runProcess(cli,
                   {QStringLiteral("--config"), m_config, QStringLiteral("--history-dir"), m_history,
                    QStringLiteral("history"), QStringLiteral("--json")});
    QCOMPARE(QJsonDocument::fromJson(history.out).object().value(QStringLiteral("versions")).toArray().size(),
             2);
}

void TestBackendServer::startedByPkexec_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("sharewardVariable");
    QTest::addColumn<QString>("message");
    QTest::newRow("config") << words("--config /tmp/x.conf serve") << false << "takes no --config";
    QTest::newRow("history") << words("--history-dir /tmp serve") << false
                             << "takes no --config or --history-dir";
    QTest::newRow("variable") << words("serve") << true << "refuses SHAREWARD_PROGRAM_TESTPARM";
}

void TestBackendServer::startedByPkexec()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, sharewardVariable);
    QFETCH(QString, message);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : environment.keys())
        if (name.startsWith(QLatin1String("SHAREWARD_")))
            environment.remove(name);
    environment.insert(QStringLiteral("PKEXEC_UID"), QStringLiteral("1000"));
    if (sharewardVariable)
        environment.insert(QStringLiteral("SHAREWARD_PROGRAM_TESTPARM"), QStringLiteral("/tmp/evil"));
    const ProcessRun run = runProcess(cli, arguments, environment);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(QString::fromUtf8(run.err).contains(message), run.err.constData());
    QVERIFY(run.out.isEmpty());
}

// Started by another user (an administrator's ssh login), the backend runs itself again
// through sudo, asking for exactly the command a sudoers rule names and no password.
void TestBackendServer::notRootGoesThroughSudo()
{
    if (::geteuid() != 0)
        QSKIP("Running the backend as another user needs root.");
    // A directory nobody can use, with a copy of the backend: the build tree need not be.
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                  | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther));
    const QString copy = dir.filePath(QStringLiteral("shareward-cli"));
    QVERIFY(QFile::copy(cli, copy));
    const QString sudo = dir.filePath(QStringLiteral("sudo"));
    QFile script(sudo);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\necho \"$*\" >\"$(dirname \"$0\")/calls\"\n"
                 "echo 'sudo: a password is required' >&2\nexit 1\n");
    script.close();
    for (const QString &file : {copy, sudo})
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                | QFile::ReadOther | QFile::ExeOther));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : environment.keys())
        if (name.startsWith(QLatin1String("SHAREWARD_")) || name.startsWith(QLatin1String("SUDO_")))
            environment.remove(name);
    environment.insert(QStringLiteral("SHAREWARD_PROGRAM_SUDO"), sudo);
    const ProcessRun run = runProcess(QStringLiteral("setpriv"),
                                      words("--reuid=65534 --regid=65534 --clear-groups --") + QStringList{copy}
                                          + words("serve"),
                                      environment);
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.isEmpty()); // no greeting: the client says sudo's words
    QVERIFY2(run.err.contains("a password is required"), run.err.constData());
    QFile calls(dir.filePath(QStringLiteral("calls")));
    QVERIFY(calls.open(QIODevice::ReadOnly));
    QCOMPARE(calls.readAll(), "-n -- " + QFile::encodeName(LocalBackend::installedProgram()) + " serve\n");
}

QTEST_GUILESS_MAIN(TestBackendServer)
#include "tst_backendserver.moc"
