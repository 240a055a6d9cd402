// The verdict on a run of net conf, from what net really prints, and names and values that look
// like options given to the real net. (The other command lines are run against the real net in the
// mapping and shareward-cli tests.)
#include "netconf.h"
#include "privateregistry.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

ProcessResult exited(int code, const QByteArray &out, const QByteArray &err)
{
    ProcessResult run;
    run.started = true;
    run.exitCode = code;
    run.standardOutput = out;
    run.standardError = err;
    return run;
}

ProcessResult unanswered(bool started, bool crashed, bool timedOut, const QString &why)
{
    ProcessResult run;
    run.started = started;
    run.crashed = crashed;
    run.timedOut = timedOut;
    run.errorText = why;
    return run;
}

} // namespace

class TestNetConf : public QObject
{
    Q_OBJECT

private slots:
    void classify_data();
    void classify();
    void realOperandsLikeOptions_data();
    void realOperandsLikeOptions();
};

void TestNetConf::classify_data()
{
    QTest::addColumn<ProcessResult>("run");
    QTest::addColumn<bool>("succeeded");
    QTest::addColumn<QString>("errorText");
    const QString setparm = QStringLiteral("net conf setparm");
    QTest::newRow("listed") << exited(0, "[global]\n\tworkgroup = W\n\n", QByteArray()) << true << QString();
    QTest::newRow("success with words on stderr")
        << exited(0, QByteArray(), "warning\n") << true << QString();
    QTest::newRow("not allowed in registry")
        << exited(255, QByteArray(), "Parameter 'lock directory' not allowed in registry.\n") << false
        << setparm + QStringLiteral(": Parameter 'lock directory' not allowed in registry.");
    QTest::newRow("unknown parameter, two lines")
        << exited(255, QByteArray(),
                  "Unknown parameter encountered: \"bogus thing\"\nInvalid parameter 'bogus thing' given.\n")
        << false
        << setparm
            + QStringLiteral(": Unknown parameter encountered: \"bogus thing\" Invalid parameter 'bogus "
                             "thing' given.");
    QTest::newRow("words on stdout") << exited(255, "Error: given parameter 'x' is not set.\n", QByteArray())
                                     << false
                                     << setparm + QStringLiteral(": Error: given parameter 'x' is not set.");
    QTest::newRow("no words") << exited(1, QByteArray(), " \n") << false
                              << setparm + QStringLiteral(" exited with code 1.");
    QTest::newRow("crashed") << unanswered(true, true, false, QStringLiteral("net crashed.")) << false
                             << QStringLiteral("net crashed.");
    QTest::newRow("timed out, exit code 0 kept") << [] {
        ProcessResult run = unanswered(true, false, true, QStringLiteral("net did not answer in 30 s."));
        run.exitCode = 0;
        return run;
    }() << false << QStringLiteral("net did not answer in 30 s.");
    QTest::newRow("not started") << unanswered(false, false, false, QStringLiteral("net is not installed."))
                                 << false << QStringLiteral("net is not installed.");
}

void TestNetConf::classify()
{
    QFETCH(ProcessResult, run);
    QFETCH(bool, succeeded);
    QFETCH(QString, errorText);
    const NetConf::Result result = NetConf::classify(run, QStringLiteral("net conf setparm"));
    QCOMPARE(result.succeeded, succeeded);
    QCOMPARE(result.errorText, errorText);
    QCOMPARE(result.output, run.standardOutput);
}

void TestNetConf::realOperandsLikeOptions_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("value of dashes") << QStringLiteral("regshare") << QStringLiteral("comment")
                                     << QStringLiteral("-- archive --");
    QTest::newRow("value like an option")
        << QStringLiteral("regshare") << QStringLiteral("comment") << QStringLiteral("-s");
    QTest::newRow("value like a long option")
        << QStringLiteral("regshare") << QStringLiteral("comment") << QStringLiteral("--help");
    QTest::newRow("share like an option")
        << QStringLiteral("-d") << QStringLiteral("comment") << QStringLiteral("x");
}

// net takes every name and value after "--" as an operand, in its private registry.
void TestNetConf::realOperandsLikeOptions()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QTemporaryDir dir;
    const PrivateRegistry registry{dir.path()};
    QVERIFY(registry.writeConfig(QString()));
    const NetConf net(registry.program(QStringLiteral("net")), registry.config());

    NetConf::Result result = net.setParameter(section, key, value);
    QVERIFY2(result.succeeded, qPrintable(result.errorText));
    result = net.setParameter(section, QStringLiteral("path"), QStringLiteral("/srv/data"));
    QVERIFY2(result.succeeded, qPrintable(result.errorText));
    result = net.list();
    QVERIFY2(result.succeeded, qPrintable(result.errorText));
    QCOMPARE(result.output,
             QStringLiteral("[%1]\n\t%2 = %3\n\tpath = /srv/data\n\n").arg(section, key, value).toUtf8());

    result = net.deleteParameter(section, key);
    QVERIFY2(result.succeeded, qPrintable(result.errorText));
    QCOMPARE(net.list().output, QStringLiteral("[%1]\n\tpath = /srv/data\n\n").arg(section).toUtf8());
    result = net.deleteShare(section);
    QVERIFY2(result.succeeded, qPrintable(result.errorText));
    QCOMPARE(net.list().output, QByteArray());
}

QTEST_GUILESS_MAIN(TestNetConf)
#include "tst_netconf.moc"
