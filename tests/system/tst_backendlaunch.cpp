// How the backend is reached: for another machine, a server given as a destination becomes
// ssh's command line, where nothing given reaches the server's shell and no option can be
// slipped in as a host or user; for this machine, pkexec runs exactly the installed backend.
#include "localbackend.h"
#include "serveraddress.h"
#include "sshcommand.h"
#include "sshconfighosts.h"

#include <QTest>

namespace {
QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}
} // namespace

class TestBackendLaunch : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void arguments_data();
    void arguments();
    void thisMachine();
    void addresses_data();
    void addresses();
    void sshConfigAliases();
};

void TestBackendLaunch::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("user"); // "!" when refused
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("alias") << "files"
                           << ""
                           << "files" << 0;
    QTest::newRow("user and host") << "admin@files.example.org"
                                   << "admin"
                                   << "files.example.org" << 0;
    QTest::newRow("port") << "files:2222"
                          << ""
                          << "files" << 2222;
    QTest::newRow("url") << "ssh://root@10.0.0.5:22"
                         << "root"
                         << "10.0.0.5" << 22;
    QTest::newRow("url with slash") << "ssh://files/"
                                    << ""
                                    << "files" << 0;
    QTest::newRow("ipv6") << "[fe80::1%eth0]:22"
                          << ""
                          << "fe80::1%eth0" << 22;
    QTest::newRow("ipv6 with user") << "alice@[::1]"
                                    << "alice"
                                    << "::1" << 0;
    QTest::newRow("option as host") << "-oProxyCommand=sh"
                                    << "!"
                                    << "" << 0;
    QTest::newRow("option as user") << "-lroot@files"
                                    << "!"
                                    << "" << 0;
    QTest::newRow("blank") << "files server"
                           << "!"
                           << "" << 0;
    QTest::newRow("shell") << "files;reboot"
                           << "!"
                           << "" << 0;
    QTest::newRow("empty") << ""
                           << "!"
                           << "" << 0;
    QTest::newRow("no host") << "root@"
                             << "!"
                             << "" << 0;
    QTest::newRow("port zero") << "files:0"
                               << "!"
                               << "" << 0;
    QTest::newRow("port too big") << "files:65536"
                                  << "!"
                                  << "" << 0;
    QTest::newRow("port empty") << "files:"
                                << "!"
                                << "" << 0;
    QTest::newRow("port word") << "files:ssh"
                               << "!"
                               << "" << 0;
    QTest::newRow("bracket open") << "[::1"
                                  << "!"
                                  << "" << 0;
    QTest::newRow("ipv6 not an address") << "[files]"
                                         << "!"
                                         << "" << 0;
    QTest::newRow("newline") << "files\nreboot"
                             << "!"
                             << "" << 0;
}

void TestBackendLaunch::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, user);
    QFETCH(QString, host);
    QFETCH(int, port);
    QString problem;
    const std::optional<SshCommand::Destination> destination = SshCommand::parse(text, &problem);
    if (user == QLatin1String("!")) {
        QVERIFY(!destination);
        QVERIFY(!problem.isEmpty());
        return;
    }
    QVERIFY2(destination, qPrintable(problem));
    QCOMPARE(destination->user, user);
    QCOMPARE(destination->host, host);
    QCOMPARE(destination->port, port);
}

void TestBackendLaunch::arguments_data()
{
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("config");
    QTest::addColumn<QStringList>("before"); // what comes before the common options
    const QStringList none;
    QTest::newRow("alias") << "files"
                           << "" << none;
    QTest::newRow("everything") << "admin@files:2222"
                                << "/home/a/ssh.conf" << words("-F /home/a/ssh.conf -p 2222 -l admin");
}

void TestBackendLaunch::arguments()
{
    QFETCH(QString, destination);
    QFETCH(QString, config);
    QFETCH(QStringList, before);
    const BackendConnection::Launch launch =
        SshCommand::backend(*SshCommand::parse(destination, nullptr), config, false);
    QCOMPARE(launch.program, QStringLiteral("/usr/bin/ssh"));
    const QString host = SshCommand::parse(destination, nullptr)->host;
    // The host after "--", then the one fixed remote command as a single argument.
    QCOMPARE(launch.arguments.mid(0, before.size()), before);
    QCOMPARE(launch.arguments.mid(launch.arguments.size() - 3),
             (QStringList{QStringLiteral("--"), host, QStringLiteral("shareward-cli serve")}));
    QVERIFY(launch.arguments.contains(QStringLiteral("-T")));
    QVERIFY(launch.exitMeanings.contains(255));
}

void TestBackendLaunch::thisMachine()
{
    qunsetenv("SHAREWARD_PROGRAM_PKEXEC");
    const BackendConnection::Launch user = LocalBackend::launch(1000);
    QCOMPARE(user.program, QStringLiteral("/usr/bin/pkexec"));
    QCOMPARE(user.arguments,
             (QStringList{QStringLiteral("/usr/bin/shareward-cli"), QStringLiteral("serve")}));
    QVERIFY(user.exitMeanings.contains(126));
    const BackendConnection::Launch root = LocalBackend::launch(0);
    QCOMPARE(root.program, LocalBackend::installedProgram());
    QCOMPARE(root.arguments, QStringList{QStringLiteral("serve")});
}

void TestBackendLaunch::addresses_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("text"); // as kept in the settings; "!" when refused
    QTest::addColumn<QString>("shown");
    QTest::newRow("this machine") << "local"
                                  << "local"
                                  << "This computer";
    QTest::newRow("alias") << "files"
                           << "files"
                           << "files";
    QTest::newRow("url") << "ssh://admin@files:2222"
                         << "admin@files:2222"
                         << "admin@files";
    QTest::newRow("ipv6") << "[::1]:22"
                          << "[::1]:22"
                          << "::1";
    QTest::newRow("an option") << "-oProxyCommand=x"
                               << "!"
                               << "";
}

void TestBackendLaunch::addresses()
{
    QFETCH(QString, given);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QString problem;
    const std::optional<ServerAddress> address = ServerAddress::parse(given, &problem);
    if (text == QLatin1String("!")) {
        QVERIFY(!address);
        QVERIFY(!problem.isEmpty());
        return;
    }
    QVERIFY2(address, qPrintable(problem));
    QCOMPARE(address->text(), text);
    QCOMPARE(address->displayName(), shown);
    // What the settings keep reads back as the same server.
    QVERIFY(ServerAddress::parse(address->text(), nullptr) == address);
    const BackendConnection::Launch launch = address->launch(1000, QStringLiteral("/c"));
    QCOMPARE(launch.program,
             address->isLocal() ? QStringLiteral("/usr/bin/pkexec") : QStringLiteral("/usr/bin/ssh"));
}

void TestBackendLaunch::sshConfigAliases()
{
    const QByteArray config = "# the office\n"
                              "Host files backup  # two servers\n"
                              "    HostName 10.0.0.5\n"
                              "host=printers\n"
                              "HOST \"nas\"\n"
                              "Host *.example.org !old\n"
                              "Host files\n"
                              "Match host x\n"
                              "  Hostname ignored\n"
                              "Host web?\n";
    QCOMPARE(SshConfigHosts::aliases(config),
             (QStringList{QStringLiteral("files"), QStringLiteral("backup"), QStringLiteral("printers"),
                          QStringLiteral("nas")}));
    QCOMPARE(SshConfigHosts::configPath(QStringLiteral("/c")), QStringLiteral("/c"));
    QVERIFY(SshConfigHosts::configPath(QString()).endsWith(QLatin1String("/.ssh/config")));
}

QTEST_APPLESS_MAIN(TestBackendLaunch)
#include "tst_backendlaunch.moc"
