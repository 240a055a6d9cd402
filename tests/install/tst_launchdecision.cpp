#include "fakeprogram.h"
#include "launchdecision.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

QStringList toQt(const std::vector<std::string> &line)
{
    QStringList list;
    for (const std::string &item : line)
        list.append(QString::fromStdString(item));
    return list;
}

QStringList strings(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list.append(QString::fromUtf8(item));
    return list;
}

} // namespace

class TestLaunchDecision : public QObject
{
    Q_OBJECT

private slots:
    void command_data();
    void command();
    void launcherRunsProgramOrPkexec_data();
    void launcherRunsProgramOrPkexec();
    void launcherReportsMissingPkexec();
};

void TestLaunchDecision::command_data()
{
    QTest::addColumn<uint>("uid");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("root runs shareward") << 0u << strings({"/usr/bin/shareward"});
    QTest::newRow("user goes through pkexec") << 1000u << strings({"/usr/bin/pkexec", "/usr/bin/shareward"});
    QTest::newRow("nobody") << 65534u << strings({"/usr/bin/pkexec", "/usr/bin/shareward"});
}

void TestLaunchDecision::command()
{
    QFETCH(uint, uid);
    QFETCH(QStringList, expected);
    QCOMPARE(toQt(LaunchDecision::command(uid, "/usr/bin/shareward", "/usr/bin/pkexec")), expected);
}

// The built launcher, copied beside a stand-in shareward, run as root and as nobody. Both
// stand-ins record their calls in the same file: pkexec's starts with shareward's path.
void TestLaunchDecision::launcherRunsProgramOrPkexec_data()
{
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<QString>("expectedCall");
    // No argument reaches shareward: Qt would load -platformpluginpath's plugins as root.
    QTest::newRow("root runs shareward") << false << QString();
    QTest::newRow("nobody runs pkexec") << true << QStringLiteral("@/shareward|");
}

void TestLaunchDecision::launcherRunsProgramOrPkexec()
{
    QFETCH(bool, asNobody);
    QFETCH(QString, expectedCall);
    if (geteuid() != 0)
        QSKIP("runs the launcher as root and as nobody: needs root");

    QTemporaryDir temporary;
    QVERIFY(temporary.isValid());
    const QFile::Permissions reachable =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    // nobody must reach the programs and write the calls.
    QVERIFY(QFile::setPermissions(temporary.path(), reachable));
    const QString launcher = temporary.filePath(QStringLiteral("shareward-launch"));
    QVERIFY(QFile::copy(QStringLiteral(SHAREWARD_LAUNCHER), launcher));
    QVERIFY(QFile::setPermissions(launcher, reachable));
    for (const QString &name : {QStringLiteral("shareward"), QStringLiteral("pkexec")}) {
        QVERIFY(writeFakeProgram(temporary.filePath(name)));
        QVERIFY(QFile::setPermissions(temporary.filePath(name), reachable));
    }
    const QString callsPath = temporary.filePath(QStringLiteral("calls"));
    QFile calls(callsPath);
    QVERIFY(calls.open(QIODevice::WriteOnly));
    calls.close();
    QVERIFY(QFile::setPermissions(callsPath, reachable | QFile::WriteOther));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SHAREWARD_PKEXEC"), temporary.filePath(QStringLiteral("pkexec")));
    QProcess process;
    process.setProcessEnvironment(environment);
    const QStringList arguments{QStringLiteral("-platformpluginpath"), temporary.path(),
                                QStringLiteral("-platform"), QStringLiteral("two words")};
    if (asNobody)
        process.start(QStringLiteral("setpriv"),
                      QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                  QStringLiteral("--clear-groups"), launcher}
                          + arguments);
    else
        process.start(launcher, arguments);
    QVERIFY2(process.waitForFinished(10000), qPrintable(process.errorString()));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(calls.open(QIODevice::ReadOnly));
    expectedCall.replace(QLatin1Char('@'), temporary.path());
    QCOMPARE(QString::fromUtf8(calls.readAll()), expectedCall + QLatin1Char('\n'));
}

void TestLaunchDecision::launcherReportsMissingPkexec()
{
    if (geteuid() != 0)
        QSKIP("runs the launcher as nobody: needs root");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SHAREWARD_PKEXEC"), QStringLiteral("/nonexistent/pkexec"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("setpriv"),
                  {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                   QStringLiteral("--clear-groups"), QStringLiteral(SHAREWARD_LAUNCHER)});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 127);
    QVERIFY(process.readAllStandardError().contains("/nonexistent/pkexec"));
}

QTEST_GUILESS_MAIN(TestLaunchDecision)
#include "tst_launchdecision.moc"
