#include "systemctl.h"

#include "fakeprogram.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

bool callOperation(const SystemCtl &systemCtl, SystemCtl::Command command, const QString &service)
{
    switch (command) {
    case SystemCtl::IsActive:
        return systemCtl.isActive(service);
    case SystemCtl::Start:
        return systemCtl.start(service);
    case SystemCtl::Stop:
        return systemCtl.stop(service);
    case SystemCtl::Restart:
        return systemCtl.restart(service);
    }
    return false;
}

} // namespace

class TestSystemCtl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void commandTexts();
    void defaults();
    void operation_data();
    void operation();
    void errorTextIsSystemctlsErrorOutput();
    void errorTextOfSilentFailure();
    void errorTextOfCrash();
    void standInFromEnvironment();
    void missingProgram();
    void waitsWithoutShortLimit();
    void hangingSystemctlTimesOut();

private:
    QString fakeDir() const { return m_dir->path(); }
    QString fakeProgram() const { return m_dir->filePath(QStringLiteral("systemctl")); }
    void writeFile(const QString &name, const QByteArray &content);
    QByteArray calls() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSystemCtl::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(writeFakeProgram(fakeProgram()));
}

void TestSystemCtl::writeFile(const QString &name, const QByteArray &content)
{
    QFile file(m_dir->filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), qint64(content.size()));
}

QByteArray TestSystemCtl::calls() const
{
    QFile file(m_dir->filePath(QStringLiteral("calls")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestSystemCtl::commandTexts()
{
    QCOMPARE(SystemCtl::commandText(SystemCtl::IsActive), QStringLiteral("is-active"));
    QCOMPARE(SystemCtl::commandText(SystemCtl::Start), QStringLiteral("start"));
    QCOMPARE(SystemCtl::commandText(SystemCtl::Stop), QStringLiteral("stop"));
    QCOMPARE(SystemCtl::commandText(SystemCtl::Restart), QStringLiteral("restart"));
}

void TestSystemCtl::defaults()
{
    QCOMPARE(SystemCtl().program(), QStringLiteral("/bin/systemctl"));
    QCOMPARE(SystemCtl::defaultProgram(), QStringLiteral("/bin/systemctl"));
    QCOMPARE(SystemCtl::smbdService(), QStringLiteral("smbd"));
    QCOMPARE(SystemCtl::nmbdService(), QStringLiteral("nmbd"));
}

void TestSystemCtl::operation_data()
{
    QTest::addColumn<SystemCtl::Command>("command");
    QTest::addColumn<QString>("service");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("expectedCall");
    QTest::addColumn<bool>("expected");

    QTest::newRow("smbd active") << SystemCtl::IsActive << "smbd" << QByteArray("0")
                                 << QByteArray("is-active|--|smbd|\n") << true;
    QTest::newRow("smbd inactive (3)")
        << SystemCtl::IsActive << "smbd" << QByteArray("3") << QByteArray("is-active|--|smbd|\n") << false;
    QTest::newRow("nmbd unknown (4)")
        << SystemCtl::IsActive << "nmbd" << QByteArray("4") << QByteArray("is-active|--|nmbd|\n") << false;
    QTest::newRow("start smbd") << SystemCtl::Start << "smbd" << QByteArray("0")
                                << QByteArray("start|--|smbd|\n") << true;
    QTest::newRow("start nmbd fails")
        << SystemCtl::Start << "nmbd" << QByteArray("1") << QByteArray("start|--|nmbd|\n") << false;
    QTest::newRow("stop smbd") << SystemCtl::Stop << "smbd" << QByteArray("0")
                               << QByteArray("stop|--|smbd|\n") << true;
    QTest::newRow("stop smbd not loaded (5)")
        << SystemCtl::Stop << "smbd" << QByteArray("5") << QByteArray("stop|--|smbd|\n") << false;
    QTest::newRow("restart nmbd") << SystemCtl::Restart << "nmbd" << QByteArray("0")
                                  << QByteArray("restart|--|nmbd|\n") << true;
    QTest::newRow("restart smbd exit 255")
        << SystemCtl::Restart << "smbd" << QByteArray("255") << QByteArray("restart|--|smbd|\n") << false;
    QTest::newRow("is-active killed") << SystemCtl::IsActive << "smbd" << QByteArray("kill-KILL")
                                      << QByteArray("is-active|--|smbd|\n") << false;
    QTest::newRow("start terminated")
        << SystemCtl::Start << "smbd" << QByteArray("kill-TERM") << QByteArray("start|--|smbd|\n") << false;
    QTest::newRow("restart killed") << SystemCtl::Restart << "nmbd" << QByteArray("kill-KILL")
                                    << QByteArray("restart|--|nmbd|\n") << false;
    QTest::newRow("service name with space stays one argument")
        << SystemCtl::Stop << "smbd nmbd" << QByteArray("0") << QByteArray("stop|--|smbd nmbd|\n") << true;
    // After "--" a name like an option is a unit: systemctl would take "-H" for a host to reach.
    QTest::newRow("service like an option")
        << SystemCtl::Start << "-H" << QByteArray("0") << QByteArray("start|--|-H|\n") << true;
}

void TestSystemCtl::operation()
{
    QFETCH(SystemCtl::Command, command);
    QFETCH(QString, service);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, expectedCall);
    QFETCH(bool, expected);

    writeFile(QStringLiteral("answer-") + SystemCtl::commandText(command) + QLatin1Char('-') + service,
              answer);
    const SystemCtl systemCtl(fakeProgram());

    QCOMPARE(callOperation(systemCtl, command, service), expected);
    QCOMPARE(calls(), expectedCall);

    const SystemCtl::Result result = systemCtl.run(command, service);
    QCOMPARE(result.succeeded, expected);
    QCOMPARE(result.errorText.isEmpty(), expected);
    QCOMPARE(calls(), expectedCall + expectedCall);
}

void TestSystemCtl::errorTextIsSystemctlsErrorOutput()
{
    writeFile(QStringLiteral("answer-start-smbd"), "5");
    writeFile(QStringLiteral("stderr"), "Failed to start smbd.service: Unit smbd.service not found.\n");
    const SystemCtl::Result result = SystemCtl(fakeProgram()).run(SystemCtl::Start, QStringLiteral("smbd"));
    QVERIFY(!result.succeeded);
    QCOMPARE(result.errorText, QStringLiteral("Failed to start smbd.service: Unit smbd.service not found."));
}

void TestSystemCtl::errorTextOfSilentFailure()
{
    writeFile(QStringLiteral("answer-stop-nmbd"), "3");
    const SystemCtl::Result result = SystemCtl(fakeProgram()).run(SystemCtl::Stop, QStringLiteral("nmbd"));
    QVERIFY(!result.succeeded);
    QCOMPARE(result.errorText, fakeProgram() + QStringLiteral(" stop nmbd exited with code 3."));
}

void TestSystemCtl::errorTextOfCrash()
{
    writeFile(QStringLiteral("answer-restart-smbd"), "kill-KILL");
    const SystemCtl::Result result = SystemCtl(fakeProgram()).run(SystemCtl::Restart, QStringLiteral("smbd"));
    QVERIFY(!result.succeeded);
    QCOMPARE(result.errorText, fakeProgram() + QStringLiteral(" crashed"));
}

// Debian's systemctl unless the environment names a stand-in; never one found through PATH.
void TestSystemCtl::standInFromEnvironment()
{
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(fakeDir()) + ':' + path);
    QCOMPARE(SystemCtl().program(), QStringLiteral("/bin/systemctl"));
    qputenv("PATH", path);
    // Only an absolute path names a stand-in: a bare name would be looked up through PATH.
    qputenv("SHAREWARD_PROGRAM_SYSTEMCTL", "systemctl");
    QCOMPARE(SystemCtl().program(), QStringLiteral("/bin/systemctl"));

    qputenv("SHAREWARD_PROGRAM_SYSTEMCTL", QFile::encodeName(fakeProgram()));
    writeFile(QStringLiteral("answer-is-active-smbd"), "3");
    const SystemCtl systemCtl;
    qunsetenv("SHAREWARD_PROGRAM_SYSTEMCTL");
    const bool started = systemCtl.start(QStringLiteral("smbd"));
    const bool active = systemCtl.isActive(QStringLiteral("smbd"));

    QVERIFY(started);
    QVERIFY(!active);
    QCOMPARE(calls(), QByteArray("start|--|smbd|\nis-active|--|smbd|\n"));
}

void TestSystemCtl::missingProgram()
{
    const QString missing = fakeDir() + QStringLiteral("/missing/systemctl");
    const SystemCtl systemCtl(missing);
    QVERIFY(!systemCtl.isActive(QStringLiteral("smbd")));
    QVERIFY(!systemCtl.start(QStringLiteral("smbd")));
    QVERIFY(!systemCtl.stop(QStringLiteral("smbd")));
    QVERIFY(!systemCtl.restart(QStringLiteral("nmbd")));

    const SystemCtl::Result result = systemCtl.run(SystemCtl::Start, QStringLiteral("smbd"));
    QVERIFY(!result.succeeded);
    QVERIFY2(
        result.errorText.startsWith(QStringLiteral("Failed to start: ") + missing + QStringLiteral(": ")),
        qPrintable(result.errorText));

    // Nor when the environment names it.
    qputenv("SHAREWARD_PROGRAM_SYSTEMCTL", QFile::encodeName(missing));
    const bool started = SystemCtl().start(QStringLiteral("smbd"));
    qunsetenv("SHAREWARD_PROGRAM_SYSTEMCTL");
    QVERIFY(!started);
}

void TestSystemCtl::waitsWithoutShortLimit()
{
    writeFile(QStringLiteral("answer-restart-smbd"), "sleep");
    QVERIFY(SystemCtl(fakeProgram()).restart(QStringLiteral("smbd")));
    QCOMPARE(calls(), QByteArray("restart|--|smbd|\n"));
}

void TestSystemCtl::hangingSystemctlTimesOut()
{
    writeFile(QStringLiteral("answer-restart-smbd"), "hang");
    SystemCtl systemCtl(fakeProgram());
    QCOMPARE(systemCtl.timeLimit(SystemCtl::IsActive), 10000);
    QCOMPARE(systemCtl.timeLimit(SystemCtl::Restart), 30000);
    systemCtl.setTimeLimit(300);
    const SystemCtl::Result result = systemCtl.run(SystemCtl::Restart, QStringLiteral("smbd"));
    QVERIFY(!result.succeeded);
    QCOMPARE(result.errorText, fakeProgram() + QStringLiteral(" did not finish within a second"));
}

QTEST_GUILESS_MAIN(TestSystemCtl)

#include "tst_systemctl.moc"
