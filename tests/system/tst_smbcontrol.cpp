#include "processrunner.h"
#include "smbcontrol.h"

#include "fakeprogram.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Runs the real smbcontrol with every directory it writes to (its messaging sockets and
// locks, names.tdb) inside the temporary directory and pid files looked up there, so that it
// reaches no daemon of the machine. The options also hold when smb.conf does not load.
const char isolatedSmbcontrol[] = R"(#!/bin/sh
dir=$(dirname "$0")
exec "$SHAREWARD_SMBCONTROL" -s "$dir/smb.conf" \
  --option="lock directory=$dir/lock" --option="pid directory=$dir/pid" \
  --option="state directory=$dir/state" --option="cache directory=$dir/cache" \
  --option="private dir=$dir/private" --option="ncalrpc dir=$dir/ncalrpc" "$@"
)";

enum class Message { ReloadConfig, CloseShare, Shutdown };

SmbControl::Result send(const SmbControl &control, Message message, const QString &destination,
                        const QString &share = QString())
{
    switch (message) {
    case Message::ReloadConfig:
        return control.reloadConfig(destination);
    case Message::CloseShare:
        return control.closeShare(destination, share);
    case Message::Shutdown:
        return control.shutdown(destination);
    }
    return {};
}

ProcessResult exited(int code, const QByteArray &out, const QByteArray &err)
{
    ProcessResult run;
    run.started = true;
    run.exitCode = code;
    run.standardOutput = out;
    run.standardError = err;
    return run;
}

} // namespace

Q_DECLARE_METATYPE(Message)

class TestSmbControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void classify_data();
    void classify();
    void message_data();
    void message();
    void standInFromEnvironment();
    void configurationNamed();
    void hangingProgramStopsAtTimeLimit();
    void realSmbcontrolWithoutDaemon();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void writeFile(const QString &name, const QByteArray &content, bool executable = false);
    QByteArray calls() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSmbControl::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(writeFakeProgram(path(QStringLiteral("smbcontrol"))));
}

void TestSmbControl::writeFile(const QString &name, const QByteArray &content, bool executable)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), qint64(content.size()));
    file.close();
    if (executable)
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

QByteArray TestSmbControl::calls() const
{
    QFile file(path(QStringLiteral("calls")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestSmbControl::classify_data()
{
    QTest::addColumn<ProcessResult>("run");
    QTest::addColumn<bool>("succeeded");
    QTest::addColumn<QString>("errorText");

    const QString description = QStringLiteral("smbcontrol smbd reload-config");
    // Captured from smbcontrol 4.17.12 without daemons, and from a private smbd for the successes.
    QTest::newRow("reload-config, no smbd")
        << exited(1, {}, "Can't find pid for destination 'smbd'\n") << false
        << QStringLiteral("Can't find pid for destination 'smbd'");
    QTest::newRow("ping, no nmbd") << exited(1, {}, "Can't find pid for destination 'nmbd'\n") << false
                                   << QStringLiteral("Can't find pid for destination 'nmbd'");
    QTest::newRow("close-share to a pid without daemon, silent")
        << exited(1, {}, {}) << false << description + QStringLiteral(" exited with code 1.");
    QTest::newRow("close-share without a name")
        << exited(1, {}, "Usage: smbcontrol <dest> close-share <sharename>\n") << false
        << QStringLiteral("Usage: smbcontrol <dest> close-share <sharename>");
    QTest::newRow("smb.conf not loaded, no smbd")
        << exited(1, {},
                  "Can't load /tmp/x/nosuch.conf - run testparm to debug it\n"
                  "Can't find pid for destination 'smbd'\n")
        << false
        << QStringLiteral("Can't load /tmp/x/nosuch.conf - run testparm to debug it\n"
                          "Can't find pid for destination 'smbd'");
    QTest::newRow("reload-config delivered") << exited(0, {}, {}) << true << QString();
    QTest::newRow("ping answered") << exited(0, "PONG from pid 10\n", {}) << true << QString();
    QTest::newRow("smb.conf not loaded, delivered")
        << exited(0, {}, "Can't load /etc/samba/smb.conf - run testparm to debug it\n") << true << QString();
    // Failures named with exit code 0.
    QTest::newRow("no replies") << exited(0, {}, "No replies received\n") << false
                                << QStringLiteral("No replies received");
    QTest::newRow("pid not found on stdout")
        << exited(0, "Can't find pid for destination 'smbd'\n", {}) << false
        << QStringLiteral("Can't find pid for destination 'smbd'");
    QTest::newRow("failed to send") << exited(0, {}, "Failed to send message to 4242\n") << false
                                    << QStringLiteral("Failed to send message to 4242");
    QTest::newRow("cannot send") << exited(0, "ERROR: cannot send to 4242\n", {}) << false
                                 << QStringLiteral("ERROR: cannot send to 4242");
    QTest::newRow("exit code with output only on stdout")
        << exited(2, "bad destination\n", {}) << false << QStringLiteral("bad destination");

    ProcessResult timedOut = exited(-1, {}, {});
    timedOut.timedOut = true;
    timedOut.errorText = ProcessRunner::timeoutErrorText(QStringLiteral("smbcontrol"), 15000);
    QTest::newRow("timed out") << timedOut << false
                               << QStringLiteral("smbcontrol did not finish within 15 seconds");
    ProcessResult crashed = exited(-1, {}, "Can't find pid");
    crashed.crashed = true;
    crashed.errorText = ProcessRunner::crashErrorText(QStringLiteral("smbcontrol"));
    QTest::newRow("crashed") << crashed << false << QStringLiteral("smbcontrol crashed");
    ProcessResult notStarted;
    notStarted.errorText = QStringLiteral("Failed to start: smbcontrol: No such file or directory");
    QTest::newRow("not started") << notStarted << false << notStarted.errorText;
}

void TestSmbControl::classify()
{
    QFETCH(ProcessResult, run);
    QFETCH(bool, succeeded);
    QFETCH(QString, errorText);

    const SmbControl::Result result =
        SmbControl::classify(run, QStringLiteral("smbcontrol smbd reload-config"));
    QCOMPARE(result.succeeded, succeeded);
    QCOMPARE(result.errorText, errorText);
}

void TestSmbControl::message_data()
{
    QTest::addColumn<Message>("message");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("share");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("errorOutput");
    QTest::addColumn<QByteArray>("expectedCall");
    QTest::addColumn<QString>("errorText"); // SMBCONTROL stands for the fake's path

    QTest::newRow("reload smbd") << Message::ReloadConfig << "smbd" << QString() << QByteArray("0")
                                 << QByteArray()
                                 << QByteArray("-s|/etc/samba/smb.conf|--|smbd|reload-config|\n")
                                 << QString();
    QTest::newRow("reload nmbd, not running")
        << Message::ReloadConfig << "nmbd" << QString() << QByteArray("1")
        << QByteArray("Can't find pid for destination 'nmbd'\n")
        << QByteArray("-s|/etc/samba/smb.conf|--|nmbd|reload-config|\n")
        << "Can't find pid for destination 'nmbd'";
    QTest::newRow("close share with blank")
        << Message::CloseShare << "smbd"
        << "team files" << QByteArray("0") << QByteArray()
        << QByteArray("-s|/etc/samba/smb.conf|--|smbd|close-share|team files|\n") << QString();
    QTest::newRow("close share, silent failure")
        << Message::CloseShare << "99999"
        << "x" << QByteArray("1") << QByteArray()
        << QByteArray("-s|/etc/samba/smb.conf|--|99999|close-share|x|\n")
        << "SMBCONTROL 99999 close-share x exited with code 1.";
    QTest::newRow("shutdown a pid") << Message::Shutdown << "4242" << QString() << QByteArray("0")
                                    << QByteArray()
                                    << QByteArray("-s|/etc/samba/smb.conf|--|4242|shutdown|\n") << QString();
    QTest::newRow("shutdown, no replies with exit 0")
        << Message::Shutdown << "4242" << QString() << QByteArray("0") << QByteArray("No replies received\n")
        << QByteArray("-s|/etc/samba/smb.conf|--|4242|shutdown|\n") << "No replies received";
}

void TestSmbControl::message()
{
    QFETCH(Message, message);
    QFETCH(QString, destination);
    QFETCH(QString, share);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, errorOutput);
    QFETCH(QByteArray, expectedCall);
    QFETCH(QString, errorText);

    writeFile(QStringLiteral("answer"), answer);
    if (!errorOutput.isEmpty())
        writeFile(QStringLiteral("stderr"), errorOutput);
    const QString program = path(QStringLiteral("smbcontrol"));
    const SmbControl::Result result = send(SmbControl(program), message, destination, share);

    QCOMPARE(calls(), expectedCall);
    QCOMPARE(result.succeeded, errorText.isEmpty());
    QCOMPARE(result.errorText, QString(errorText).replace(QStringLiteral("SMBCONTROL"), program));
}

// Debian's smbcontrol unless the environment names a stand-in; never one found through PATH.
void TestSmbControl::standInFromEnvironment()
{
    const QByteArray searchPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_dir->path()) + ':' + searchPath);
    QCOMPARE(SmbControl::defaultProgram(), QStringLiteral("/usr/bin/smbcontrol"));
    qputenv("PATH", searchPath);
    qputenv("SHAREWARD_PROGRAM_SMBCONTROL", QFile::encodeName(path(QStringLiteral("smbcontrol"))));
    const SmbControl control;
    qunsetenv("SHAREWARD_PROGRAM_SMBCONTROL");
    const SmbControl::Result reload = control.reloadConfig(QStringLiteral("smbd"));
    const SmbControl::Result closing = control.closeShare(QStringLiteral("smbd"), QStringLiteral("data"));

    QVERIFY(reload.succeeded);
    QVERIFY(closing.succeeded);
    QCOMPARE(calls(),
             QByteArray("-s|/etc/samba/smb.conf|--|smbd|reload-config|\n-s|/etc/samba/"
                        "smb.conf|--|smbd|close-share|data|\n"));
}

// smbcontrol reaches the daemons of the smb.conf it is told, as -s names it.
void TestSmbControl::configurationNamed()
{
    const SmbControl control(path(QStringLiteral("smbcontrol")), QStringLiteral("/srv/test/smb.conf"));
    QCOMPARE(control.configPath(), QStringLiteral("/srv/test/smb.conf"));
    QVERIFY(control.shutdown(QStringLiteral("4242")).succeeded);
    QCOMPARE(calls(), QByteArray("-s|/srv/test/smb.conf|--|4242|shutdown|\n"));
}

void TestSmbControl::hangingProgramStopsAtTimeLimit()
{
    writeFile(QStringLiteral("answer"), "hang");
    const QString program = path(QStringLiteral("smbcontrol"));
    SmbControl control(program);
    control.setTimeLimit(200);

    QElapsedTimer timer;
    timer.start();
    const SmbControl::Result result = control.shutdown(QStringLiteral("4242"));
    QVERIFY(!result.succeeded);
    QCOMPARE(result.errorText, ProcessRunner::timeoutErrorText(program, 200));
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
}

void TestSmbControl::realSmbcontrolWithoutDaemon()
{
    const QString real = QStandardPaths::findExecutable(QStringLiteral("smbcontrol"));
    if (real.isEmpty())
        QSKIP("smbcontrol is not installed");
    writeFile(QStringLiteral("isolated"), isolatedSmbcontrol, true);
    writeFile(QStringLiteral("smb.conf"), "[global]\n\tdisable netbios = yes\n");
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("pid")));
    qputenv("SHAREWARD_SMBCONTROL", QFile::encodeName(real));
    const SmbControl control(path(QStringLiteral("isolated")));
    const SmbControl::Result reload = control.reloadConfig(QStringLiteral("smbd"));
    const SmbControl::Result closing = control.closeShare(QStringLiteral("nmbd"), QStringLiteral("x"));
    qunsetenv("SHAREWARD_SMBCONTROL");

    QVERIFY(!reload.succeeded);
    QCOMPARE(reload.errorText, QStringLiteral("Can't find pid for destination 'smbd'"));
    QVERIFY(!closing.succeeded);
    QCOMPARE(closing.errorText, QStringLiteral("Can't find pid for destination 'nmbd'"));
    // Its messaging directory is the private one: nothing reached the machine's.
    QVERIFY(QFileInfo(path(QStringLiteral("lock/msg.sock"))).isDir());
}

QTEST_GUILESS_MAIN(TestSmbControl)

#include "tst_smbcontrol.moc"
