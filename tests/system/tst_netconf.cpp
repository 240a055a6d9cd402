// The verdict on a run of net conf, from what net really prints. (The command lines are run
// against the real net in the mapping and shareward-cli tests.)
#include "netconf.h"

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

QTEST_GUILESS_MAIN(TestNetConf)
#include "tst_netconf.moc"
