#include "processrunner.h"
#include "smbstatus.h"

#include "fakeprogram.h"
#include "testfiles.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

// What the real smbstatus 4.17 printed with --json for a private smbd: carol in [projects]
// holding report.txt for reading and deleting with a batch oplock, dave in [team] writing
// held.txt, each on an smbd process of their own.
QByteArray capturedStatus()
{
    return readFile(QStringLiteral(SHAREWARD_TEST_DATA "/smbstatus-sessions.json"));
}

const QString root = QStringLiteral("/tmp/shareward-capture.1vB1ml/srv");

SmbStatus::SharePaths capturedShares()
{
    return {{QStringLiteral("projects"), root + QStringLiteral("/projects")},
            {QStringLiteral("team"), root + QStringLiteral("/team/")}};
}

// Names only the uids the test knows: the others come back as numbers, as on a system.
QString fakeUserName(uint uid)
{
    return uid == 3001 ? QStringLiteral("carol")
        : uid == 3002  ? QStringLiteral("dave")
                       : QString::number(uid);
}

const OpenFile *openFile(const ServerStatus &status, const QString &name)
{
    for (const OpenFile &file : status.openFiles) {
        if (file.path.endsWith(QLatin1Char('/') + name))
            return &file;
    }
    return nullptr;
}

// The capture with one open of report.txt changed by edit.
QByteArray withReportOpen(const std::function<void(QJsonObject &)> &edit)
{
    QJsonObject root = QJsonDocument::fromJson(capturedStatus()).object();
    QJsonObject files = root.value(QLatin1String("open_files")).toObject();
    for (auto file = files.begin(); file != files.end(); ++file) {
        if (!file.key().endsWith(QLatin1String("/report.txt")))
            continue;
        QJsonObject entry = file.value().toObject();
        QJsonObject opens = entry.value(QLatin1String("opens")).toObject();
        QJsonObject open = opens.begin().value().toObject();
        edit(open);
        opens[opens.begin().key()] = open;
        entry[QStringLiteral("opens")] = opens;
        file.value() = entry;
    }
    root[QStringLiteral("open_files")] = files;
    return QJsonDocument(root).toJson();
}

} // namespace

class TestSmbStatus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parsesCapturedSessions();
    void parsesCapturedOpenFiles_data();
    void parsesCapturedOpenFiles();
    void fileUnderTwoShares();
    void openDetails_data();
    void openDetails();
    void unreadableOutput_data();
    void unreadableOutput();
    void read_data();
    void read();
    void hangingProgramStops();
    void sessionOnClusterNode();
    void systemUserName();
};

// The capture with carol's session on node 1 of a cluster, as clustered smbstatus lists every
// node's sessions.
void TestSmbStatus::sessionOnClusterNode()
{
    QByteArray json = capturedStatus();
    const QByteArray carol = "\"server_id\": {\"pid\": \"74\", \"task_id\": \"0\", \"vnn\": \"4294967295\"";
    QVERIFY(json.contains(carol));
    json.replace(carol, QByteArray(carol).replace("4294967295", "1"));
    const ServerStatus status = SmbStatus::parse(json, capturedShares(), fakeUserName);
    QCOMPARE(status.sessions.size(), 2);
    QCOMPARE(status.sessions.at(0).vnn, QStringLiteral("1"));
    QVERIFY(status.sessions.at(0).onClusterNode());
    QVERIFY(!status.sessions.at(1).onClusterNode());
}

void TestSmbStatus::parsesCapturedSessions()
{
    const ServerStatus status = SmbStatus::parse(capturedStatus(), capturedShares(), fakeUserName);
    QVERIFY(status.running);
    QVERIFY(status.error.isEmpty());
    QCOMPARE(status.sessions.size(), 2);
    const ServerSession &carol = status.sessions.at(0);
    QCOMPARE(carol.user, QStringLiteral("carol"));
    QCOMPARE(carol.id, QStringLiteral("2659801305"));
    QCOMPARE(carol.pid, QStringLiteral("74"));
    // Outside a cluster smbstatus names no node: the vnn is 2^32 - 1.
    QCOMPARE(carol.vnn, QStringLiteral("4294967295"));
    QVERIFY(!carol.onClusterNode());
    QCOMPARE(carol.group, QStringLiteral("users"));
    QCOMPARE(carol.machine, QStringLiteral("127.0.0.1"));
    QCOMPARE(carol.address, QStringLiteral("127.0.0.1"));
    QCOMPARE(carol.protocol, QStringLiteral("SMB3_11"));
    QCOMPARE(carol.encryption, QStringLiteral("-"));
    QCOMPARE(carol.signing, QStringLiteral("AES-128-GMAC"));
    QCOMPARE(carol.connectedSince,
             QDateTime::fromString(QStringLiteral("2026-12-07T17:39:54.813939+00:00"), Qt::ISODateWithMs));
    QCOMPARE(status.sessions.at(1).user, QStringLiteral("dave"));
    QCOMPARE(status.sessions.at(1).pid, QStringLiteral("73"));

    QCOMPARE(status.connections.size(), 2);
    const ServerConnection &projects = status.connections.at(0);
    QCOMPARE(projects.share, QStringLiteral("projects"));
    QCOMPARE(projects.user, QStringLiteral("carol"));
    QCOMPARE(projects.pid, QStringLiteral("74"));
    QCOMPARE(projects.sessionId, carol.id);
    QCOMPARE(projects.machine, QStringLiteral("127.0.0.1"));
    QCOMPARE(projects.connectedAt, carol.connectedSince);
    QCOMPARE(status.connections.at(1).share, QStringLiteral("team"));
    QCOMPARE(status.connections.at(1).user, QStringLiteral("dave"));
}

void TestSmbStatus::parsesCapturedOpenFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("share");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("pid");
    QTest::addColumn<QString>("access");
    QTest::addColumn<QString>("lease");
    QTest::newRow("read and delete, batch oplock") << "projects/report.txt"
                                                   << "projects"
                                                   << "carol"
                                                   << "74"
                                                   << "read/delete"
                                                   << "BATCH";
    QTest::newRow("written, no oplock") << "team/held.txt"
                                        << "team"
                                        << "dave"
                                        << "73"
                                        << "read/write" << QString();
}

void TestSmbStatus::parsesCapturedOpenFiles()
{
    QFETCH(QString, name);
    const ServerStatus status = SmbStatus::parse(capturedStatus(), capturedShares(), fakeUserName);
    QCOMPARE(status.openFiles.size(), 2);
    const OpenFile *file = openFile(status, name);
    QVERIFY(file);
    QCOMPARE(file->path, root + QLatin1Char('/') + name);
    QTEST(file->shares.join(QLatin1Char(',')), "share");
    QTEST(file->user, "user");
    QTEST(file->pid, "pid");
    QTEST(file->access, "access");
    QTEST(file->lease, "lease");
}

// Two shares of one directory tree both hold its files, the most specific first; a share
// whose path merely starts with the same letters does not.
void TestSmbStatus::fileUnderTwoShares()
{
    const SmbStatus::SharePaths shares{{QStringLiteral("everything"), root},
                                       {QStringLiteral("proj"), root + QStringLiteral("/proj")},
                                       {QStringLiteral("projects"), root + QStringLiteral("/projects")},
                                       {QStringLiteral("again"), root + QStringLiteral("/./projects")},
                                       {QStringLiteral("printers"), QString()}};
    const ServerStatus status = SmbStatus::parse(capturedStatus(), shares, fakeUserName);
    const OpenFile *report = openFile(status, QStringLiteral("report.txt"));
    QVERIFY(report);
    QCOMPARE(
        report->shares,
        (QStringList{QStringLiteral("projects"), QStringLiteral("again"), QStringLiteral("everything")}));
    const OpenFile *held = openFile(status, QStringLiteral("held.txt"));
    QVERIFY(held);
    QCOMPARE(held->shares, QStringList{QStringLiteral("everything")});
}

void TestSmbStatus::openDetails_data()
{
    // Members of the open replaced, in smbstatus's JSON.
    QTest::addColumn<QByteArray>("change");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("access");
    QTest::addColumn<QString>("lease");
    QTest::newRow("uid without a name") << QByteArray(R"({"uid": 4242})") << "4242"
                                        << "read/delete"
                                        << "BATCH";
    QTest::newRow("lease, as smbstatus pads it")
        << QByteArray(R"({"oplock": {"LEASE": true, "text": "LEASE(RH) "}, "lease": {"text": "RH"}})")
        << "carol"
        << "read/delete"
        << "LEASE(RH)";
    QTest::newRow("lease alone") << QByteArray(R"({"oplock": {}, "lease": {"text": "RWH"}})") << "carol"
                                 << "read/delete"
                                 << "LEASE(RWH)";
    QTest::newRow("appending counts as writing")
        << QByteArray(R"({"access_mask": {"hex": "0x00000004", "APPEND_DATA": true}})") << "carol"
        << "write"
        << "BATCH";
    QTest::newRow("mask as hex only") << QByteArray(R"({"access_mask": {"hex": "0x00010002"}})") << "carol"
                                      << "write/delete"
                                      << "BATCH";
    QTest::newRow("attributes only") << QByteArray(R"({"access_mask": {"hex": "0x00000080"}})") << "carol"
                                     << QString() << "BATCH";
}

void TestSmbStatus::openDetails()
{
    QFETCH(QByteArray, change);
    const QJsonObject members = QJsonDocument::fromJson(change).object();
    QVERIFY(!members.isEmpty());
    const QByteArray json = withReportOpen([&](QJsonObject &open) {
        for (auto it = members.begin(); it != members.end(); ++it)
            open[it.key()] = it.value();
    });
    const ServerStatus status = SmbStatus::parse(json, capturedShares(), fakeUserName);
    const OpenFile *report = openFile(status, QStringLiteral("report.txt"));
    QVERIFY(report);
    QTEST(report->user, "user");
    QTEST(report->access, "access");
    QTEST(report->lease, "lease");
}

void TestSmbStatus::unreadableOutput_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("cut short") << capturedStatus().left(200);
    QTest::newRow("not JSON") << QByteArray("No locked files\n");
    QTest::newRow("no sessions") << QByteArray(R"({"tcons": {}, "open_files": {}})");
    QTest::newRow("an array") << QByteArray("[]");
}

void TestSmbStatus::unreadableOutput()
{
    QFETCH(QByteArray, json);
    const ServerStatus status = SmbStatus::parse(json, capturedShares(), fakeUserName);
    QVERIFY(!status.running);
    QVERIFY(!status.error.isEmpty());
    QVERIFY(status.sessions.isEmpty() && status.connections.isEmpty() && status.openFiles.isEmpty());
}

void TestSmbStatus::read_data()
{
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("sessions");
    QTest::newRow("sessions") << capturedStatus() << QByteArray() << QByteArray("0") << true << QString()
                              << 2;
    // The real smbstatus's words before smbd ever ran on the lock directory.
    QTest::newRow("smbd never ran")
        << QByteArray(R"({"timestamp": "2026-12-07T17:39:54.570071+0000", "version": "4.17.12-Debian", )"
                      R"("smb_conf": "/etc/samba/smb.conf", "sessions": {}, "tcons": {}})"
                      "\n")
        << QByteArray("/var/lib/samba/lock/locking.tdb not initialised\nThis is normal if an SMB client has "
                      "never connected to your server.\n")
        << QByteArray("0") << false << "smbd is not running: /var/lib/samba/lock/locking.tdb not initialised"
        << 0;
    QTest::newRow("idle smbd") << QByteArray(R"({"sessions": {}, "tcons": {}, "open_files": {}})")
                               << QByteArray() << QByteArray("0") << true << QString() << 0;
    QTest::newRow("only standard error") << QByteArray() << QByteArray("No locked files\n") << QByteArray("0")
                                         << false << "smbd is not running: No locked files" << 0;
    QTest::newRow("nothing at all") << QByteArray() << QByteArray() << QByteArray("0") << false
                                    << "%1 printed no status." << 0;
    QTest::newRow("failed") << QByteArray() << QByteArray("Could not initialize messaging, not root?\n")
                            << QByteArray("1") << false << "Could not initialize messaging, not root?" << 0;
    QTest::newRow("failed silently") << QByteArray() << QByteArray() << QByteArray("3") << false
                                     << "%1 exited with code 3." << 0;
    QTest::newRow("garbled") << QByteArray("{\"sessions\": {") << QByteArray() << QByteArray("0") << false
                             << "smbstatus printed no readable status: unterminated object" << 0;
}

// read() runs the program with --json and judges its exit, its output and its error output.
void TestSmbStatus::read()
{
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QFETCH(QByteArray, answer);
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("smbstatus"));
    QVERIFY(writeFakeProgram(program));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("stdout")), out));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("stderr")), err));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("answer")), answer));

    // -s: the status of the smbd of that smb.conf, in its lock directory.
    const ServerStatus status =
        SmbStatus(program, QStringLiteral("/srv/test/smb.conf")).read(capturedShares());
    QCOMPARE(readFile(dir.filePath(QStringLiteral("calls"))), QByteArray("-s|/srv/test/smb.conf|--json|\n"));
    QTEST(status.running, "running");
    QFETCH(QString, error);
    QCOMPARE(status.error, error.replace(QLatin1String("%1"), program));
    QTEST(int(status.sessions.size()), "sessions");
}

void TestSmbStatus::hangingProgramStops()
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("smbstatus"));
    QVERIFY(writeFakeProgram(program));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("answer")), "hang"));
    SmbStatus smbstatus(program);
    smbstatus.setTimeLimit(300);
    QElapsedTimer timer;
    timer.start();
    const ServerStatus status = smbstatus.read(capturedShares());
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!status.running);
    QCOMPARE(status.error, ProcessRunner::timeoutErrorText(program, 300));
}

void TestSmbStatus::systemUserName()
{
    QCOMPARE(SmbStatus::systemUserName(0), QStringLiteral("root"));
    // The largest uid is reserved as "no uid" and never names an account.
    QCOMPARE(SmbStatus::systemUserName(4294967294u), QStringLiteral("4294967294"));
}

QTEST_GUILESS_MAIN(TestSmbStatus)
#include "tst_smbstatus.moc"
