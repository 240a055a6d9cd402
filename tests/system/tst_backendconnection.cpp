// The client's side of the backend protocol against programs that answer as a backend, a
// backend of another version, ssh and a shell do when things go wrong: each failure is said in
// a sentence of its kind, and no program is left running.
#include "backendconnection.h"
#include "backendprotocol.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

class TestBackendConnection : public QObject
{
    Q_OBJECT

private slots:
    void failures_data();
    void failures();
    void conversation();
    void mismatchSaysWhichSideToUpgrade();
    void bytesField_data();
    void bytesField();

private:
    QString script(const QString &name, const QByteArray &body);
    QTemporaryDir m_dir;
};

QString TestBackendConnection::script(const QString &name, const QByteArray &body)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n" + body) < 0)
        return QString();
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

namespace {
const QByteArray greeting = R"(echo '{"shareward":"backend","protocol":1,"version":"1.0"}')"
                            "\n";
}

void TestBackendConnection::failures_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message"); // a part of it
    QTest::addColumn<QString>("code");
    using F = BackendConnection::Failure;
    QTest::newRow("ssh cannot connect")
        << QByteArray("echo 'ssh: connect to host files port 22: Connection refused' >&2; exit 255")
        << int(F::NotReached)
        << "Cannot connect to files: ssh: connect to host files port 22: Connection refused"
        << "";
    QTest::newRow("host key changed")
        << QByteArray("echo '@@@ WARNING: REMOTE HOST IDENTIFICATION HAS CHANGED! @@@' >&2;"
                      "echo 'Host key verification failed.' >&2; exit 255")
        << int(F::NotReached) << "Host key verification failed."
        << "";
    QTest::newRow("no backend installed")
        << QByteArray("echo 'bash: line 1: shareward-cli: command not found' >&2; exit 127")
        << int(F::NotReached) << "files has no shareward-cli: install the shareward package there."
        << "";
    QTest::newRow("sudo wants a password")
        << QByteArray("echo 'sudo: a password is required' >&2; exit 1") << int(F::NotReached)
        << "The backend on files ended before answering: sudo: a password is required"
        << "";
    QTest::newRow("not a backend") << QByteArray("echo 'Welcome to files'; cat >/dev/null")
                                   << int(F::Incompatible)
                                   << "files did not answer as Shareward's backend does: Welcome to files"
                                   << "";
    QTest::newRow("newer backend") << QByteArray(
        R"(echo '{"shareward":"backend","protocol":2,"version":"9.0"}'; cat >/dev/null)")
                                   << int(F::Incompatible) << "upgrade the shareward package on this computer"
                                   << "";
    QTest::newRow("lost during a request")
        << greeting + "head -n 1 >/dev/null; exit 0" << int(F::Lost) << "The connection to files was lost."
        << "";
    QTest::newRow("lost with a message")
        << greeting + "head -n 1 >/dev/null; echo 'Connection reset by peer' >&2; exit 255" << int(F::Lost)
        << "Connection reset by peer"
        << "";
    QTest::newRow("another id") << greeting
            + R"(head -n 1 >/dev/null; echo '{"id":99,"ok":true}'; cat >/dev/null)"
                                << int(F::Lost) << "answered another request"
                                << "";
    QTest::newRow("not json") << greeting + "head -n 1 >/dev/null; echo 'oops'; cat >/dev/null"
                              << int(F::Lost) << "not Shareward's protocol"
                              << "";
    QTest::newRow("refused") << greeting
            + R"(head -n 1 >/dev/null; echo '{"id":1,"ok":false,"error":"changed","message":"smb.conf changed."}'; cat >/dev/null)"
                             << int(F::Refused) << "smb.conf changed."
                             << "changed";
    QTest::newRow("silent") << greeting + "sleep 30" << int(F::Lost) << "did not answer within"
                            << "";
}

void TestBackendConnection::failures()
{
    QFETCH(QByteArray, body);
    QFETCH(int, kind);
    QFETCH(QString, message);
    QFETCH(QString, code);
    const QString program = script(
        QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-')), body);
    BackendConnection::Launch launch;
    launch.program = program;
    launch.exitMeanings.insert(255, QStringLiteral("Cannot connect to %1: %2"));
    launch.exitMeanings.insert(
        127, QStringLiteral("%1 has no shareward-cli: install the shareward package there."));
    BackendConnection connection(QStringLiteral("files"));
    try {
        connection.open(launch, 5000);
        connection.request(QJsonObject{{QStringLiteral("op"), QStringLiteral("run")}}, 1000);
        QFAIL("no failure");
    } catch (const BackendConnection::Failure &failure) {
        QCOMPARE(int(failure.kind()), kind);
        QVERIFY2(failure.message().contains(message), qPrintable(failure.message()));
        QCOMPARE(failure.code(), code);
    }
    // Only a refused request leaves the conversation going.
    QCOMPARE(connection.isOpen(), kind == int(BackendConnection::Failure::Refused));
}

void TestBackendConnection::conversation()
{
    // Answers each request with its id and the size of the line it got, then ends at the end of
    // its input, as the backend does; a request of 3 MB passes whole.
    const QString program = script(QStringLiteral("echoing"), greeting + R"(
n=0
while IFS= read -r line; do
  n=$((n + 1))
  printf '{"id":%d,"ok":true,"size":%d}\n' "$n" "${#line}"
done
echo done >"$0.ended"
)");
    BackendConnection connection(QStringLiteral("files"));
    BackendConnection::Launch launch;
    launch.program = program;
    connection.open(launch, 5000);
    QCOMPARE(connection.greeting().protocol, 1);
    QCOMPARE(connection.greeting().version, QStringLiteral("1.0"));
    const QJsonObject small = connection.request(QJsonObject{{QStringLiteral("op"), QStringLiteral("run")}});
    QCOMPARE(small.value(QStringLiteral("id")).toInt(), 1);
    const QString big(3 * 1024 * 1024, QLatin1Char('a'));
    const QJsonObject large = connection.request(
        QJsonObject{{QStringLiteral("op"), QStringLiteral("run")}, {QStringLiteral("text"), big}});
    QCOMPARE(large.value(QStringLiteral("id")).toInt(), 2);
    QVERIFY(large.value(QStringLiteral("size")).toInt() > big.size());
    connection.close();
    QVERIFY(QFile::exists(program + QStringLiteral(".ended")));
}

void TestBackendConnection::mismatchSaysWhichSideToUpgrade()
{
    using namespace BackendProtocol;
    const QString files = QStringLiteral("files");
    const QString ours = QStringLiteral("1.0");
    QVERIFY(mismatch(Greeting{Version, QStringLiteral("2.0")}, files, ours).isEmpty());
    QCOMPARE(mismatch(Greeting{Version - 1, QStringLiteral("0.9")}, files, ours),
             QStringLiteral("Shareward 0.9 on files is too old for Shareward 1.0 here: upgrade the shareward "
                            "package on files."));
    QCOMPARE(mismatch(Greeting{Version + 1, QStringLiteral("2.0")}, files, ours),
             QStringLiteral("Shareward 2.0 on files is too new for Shareward 1.0 here: upgrade the shareward "
                            "package on this computer."));
    QVERIFY(!parseGreeting(R"({"shareward":"backend","protocol":"1"})"));
    QVERIFY(!parseGreeting(R"({"shareward":"backend","protocol":1.5})"));
    QVERIFY(!parseGreeting(R"({"shareward":"other","protocol":1})"));
    QVERIFY(!parseGreeting("bash: shareward-cli: command not found"));
}

void TestBackendConnection::bytesField_data()
{
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("latin-1 bytes") << QJsonValue(BackendProtocol::encodeBytes("caf\xe9\n")) << true
                                   << QByteArray("caf\xe9\n");
    QTest::newRow("empty") << QJsonValue(QString()) << true << QByteArray();
    QTest::newRow("not base64") << QJsonValue(QStringLiteral("%%%")) << false << QByteArray();
    QTest::newRow("not latin-1") << QJsonValue(QStringLiteral("Zm9v\u20ac")) << false << QByteArray();
    QTest::newRow("a number") << QJsonValue(5) << false << QByteArray();
}

void TestBackendConnection::bytesField()
{
    QFETCH(QJsonValue, value);
    QFETCH(bool, valid);
    QFETCH(QByteArray, bytes);
    const std::optional<QByteArray> got = BackendProtocol::decodeBytes(
        QJsonObject{{QStringLiteral("data64"), value}}, QStringLiteral("data64"));
    QCOMPARE(got.has_value(), valid);
    if (valid)
        QCOMPARE(*got, bytes);
}

QTEST_GUILESS_MAIN(TestBackendConnection)
#include "tst_backendconnection.moc"
