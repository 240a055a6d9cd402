// The store of smb.conf versions: exact bytes back, no duplicates of the newest version, a
// private directory, the bound per file, and nothing half-written after a failure.
#include "confighistory.h"
#include "processrun.h"
#include "testfiles.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TestConfigHistory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void exactBytes_data();
    void exactBytes();
    void newestNotStoredTwice();
    void privateModes_data();
    void privateModes();
    void keepBound_data();
    void keepBound();
    void filesKeptApart();
    void outsideChange();
    void metadata_data();
    void metadata();
    void hashIsSha256_data();
    void hashIsSha256();
    void earlierVersionsStillRead();
    void garbledMetadataIgnored();
    void orphanBytes();
    void damagedBytesNotRead();
    void unusableStore_data();
    void unusableStore();
    void failedWriteLeavesNothing_data();
    void failedWriteLeavesNothing();
    void concurrentRecords();
    void refusedStores_data();
    void refusedStores();
    void plantedVersions_data();
    void plantedVersions();
    void oneHistoryPerFile();

private:
    QTemporaryDir m_temporary;
    QString m_store;
    int m_stores = 0;
};

namespace {

const QString smbConf = QStringLiteral("/etc/samba/smb.conf");
const QString program = QStringLiteral("shareward");

std::string configText(int index)
{
    return "[global]\n\tworkgroup = W" + std::to_string(index) + "\n";
}

QList<int> numbers(const QList<ConfigHistory::Version> &versions)
{
    QList<int> result;
    for (const ConfigHistory::Version &version : versions)
        result << version.number;
    return result;
}

QStringList entries(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
}

mode_t modeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

QString fileName(int number, const char *suffix)
{
    return QStringLiteral("%1.%2").arg(number, 6, 10, QLatin1Char('0')).arg(QLatin1String(suffix));
}

QJsonObject metadataOf(const QString &store, int number)
{
    return QJsonDocument::fromJson(readFile(QDir(store).filePath(fileName(number, "json")))).object();
}

} // namespace

void TestConfigHistory::init()
{
    QVERIFY(m_temporary.isValid());
    // A store of its own for each test and row.
    m_store = m_temporary.filePath(QStringLiteral("store-%1").arg(++m_stores));
    // Run through sudo, the tests would otherwise see the caller's SUDO_USER.
    qunsetenv("SUDO_USER");
    qunsetenv("PKEXEC_UID");
}

void TestConfigHistory::cleanup()
{
    qunsetenv("SUDO_USER");
    qunsetenv("PKEXEC_UID");
    QDir(m_store).removeRecursively();
}

void TestConfigHistory::exactBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain") << QByteArray("[global]\n\tworkgroup = WORKGROUP\n");
    QTest::newRow("CRLF") << QByteArray("[global]\r\n\tworkgroup = W\r\n\r\n[data]\r\n\tpath = /srv\r\n");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no final newline") << QByteArray("[homes]\n\tbrowseable = no");
    QTest::newRow("control and high bytes")
        << QByteArray("[d\x01\x7f]\n\tcomment = \xff\xfe\xe9t\xc3\xa9\t\x1b[0m\r\r\n");
}

void TestConfigHistory::exactBytes()
{
    QFETCH(QByteArray, bytes);
    ConfigHistory history(m_store);
    QVERIFY(history.versions(smbConf).isEmpty());
    const int number =
        history.record(smbConf, bytes.toStdString(), QStringLiteral("share data added"), program);
    QCOMPARE(number, 1);
    const QList<ConfigHistory::Version> versions = history.versions(smbConf);
    QCOMPARE(numbers(versions), QList<int>{1});
    QCOMPARE(versions.first().size, qint64(bytes.size()));
    std::string back = "stale";
    QVERIFY2(history.read(number, back), qPrintable(history.errorString()));
    QCOMPARE(QByteArray::fromStdString(back), bytes);
    QCOMPARE(readFile(QDir(m_store).filePath(fileName(1, "conf"))), bytes);
}

void TestConfigHistory::newestNotStoredTwice()
{
    ConfigHistory history(m_store);
    QCOMPARE(history.record(smbConf, configText(1), QString(), program), 1);
    const QStringList before = entries(m_store);
    QCOMPARE(history.record(smbConf, configText(1), QStringLiteral("again"), program), 1);
    QCOMPARE(entries(m_store), before);
    QCOMPARE(history.record(smbConf, configText(2), QString(), program), 2);
    // The first bytes again, after other ones: a restore, to be listed as a version of its own.
    QCOMPARE(history.record(smbConf, configText(1), QString(), program), 3);
    QCOMPARE(numbers(history.versions(smbConf)), (QList<int>{3, 2, 1}));
    QCOMPARE(history.record(smbConf, configText(1) + " ", QString(), program), 4);
}

void TestConfigHistory::privateModes_data()
{
    QTest::addColumn<int>("mask");
    QTest::addColumn<bool>("existing");
    QTest::newRow("umask 0") << 0 << false;
    QTest::newRow("umask 022") << 022 << false;
    QTest::newRow("umask 077") << 077 << false;
    QTest::newRow("existing 0700 directory") << 0 << true;
}

void TestConfigHistory::privateModes()
{
    QFETCH(int, mask);
    QFETCH(bool, existing);
    // Missing parents are made too, as /var/lib/shareward may be.
    const QString store = m_store + QStringLiteral("/lib/shareward/history");
    if (existing) {
        QVERIFY(QDir().mkpath(store));
        QVERIFY(::chmod(QFile::encodeName(store).constData(), 0700) == 0);
    }
    const mode_t old = ::umask(static_cast<mode_t>(mask));
    ConfigHistory history(store);
    const int number = history.record(smbConf, configText(1), QString(), program);
    ::umask(old);
    QVERIFY2(number == 1, qPrintable(history.errorString()));
    QCOMPARE(modeOf(store), mode_t(0700));
    QCOMPARE(modeOf(QDir(store).filePath(fileName(1, "conf"))), mode_t(0600));
    QCOMPARE(modeOf(QDir(store).filePath(fileName(1, "json"))), mode_t(0600));
}

void TestConfigHistory::keepBound_data()
{
    QTest::addColumn<int>("keep");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("kept");
    QTest::newRow("keep 3 of 5") << 3 << 5 << 3;
    QTest::newRow("keep 3 of 3") << 3 << 3 << 3;
    QTest::newRow("keep 1 of 4") << 1 << 4 << 1;
    QTest::newRow("keep 0 means 1") << 0 << 2 << 1;
    QTest::newRow("default of 101") << -1 << 101 << ConfigHistory::DefaultKeep;
}

void TestConfigHistory::keepBound()
{
    QFETCH(int, keep);
    QFETCH(int, records);
    QFETCH(int, kept);
    ConfigHistory history(m_store);
    if (keep >= 0)
        history.setKeep(keep);
    QCOMPARE(history.keep(), kept);
    for (int index = 1; index <= records; ++index)
        QCOMPARE(history.record(smbConf, configText(index), QString(), program), index);
    QList<int> expected;
    for (int number = records; number > records - kept; --number)
        expected << number;
    QCOMPARE(numbers(history.versions(smbConf)), expected);
    QCOMPARE(entries(m_store).size(), 2 * kept);
    for (int number = 1; number <= records - kept; ++number) {
        QVERIFY(!QFile::exists(QDir(m_store).filePath(fileName(number, "conf"))));
        QVERIFY(!QFile::exists(QDir(m_store).filePath(fileName(number, "json"))));
    }
}

void TestConfigHistory::filesKeptApart()
{
    const QString other = QStringLiteral("/etc/samba/other.conf");
    ConfigHistory history(m_store);
    history.setKeep(2);
    for (int index = 1; index <= 3; ++index)
        QCOMPARE(history.record(smbConf, configText(index), QString(), program), index);
    // The same bytes as smb.conf's newest are still new to the other file.
    QCOMPARE(history.record(other, configText(3), QString(), program), 4);
    QCOMPARE(numbers(history.versions(smbConf)), (QList<int>{3, 2}));
    QCOMPARE(numbers(history.versions(other)), QList<int>{4});
    QCOMPARE(history.record(other, configText(5), QString(), program), 5);
    QCOMPARE(history.record(other, configText(6), QString(), program), 6);
    QCOMPARE(numbers(history.versions(other)), (QList<int>{6, 5}));
    QCOMPARE(numbers(history.versions(smbConf)), (QList<int>{3, 2}));
    QCOMPARE(history.version(3).file, smbConf);
    QCOMPARE(history.version(6).file, other);
}

void TestConfigHistory::outsideChange()
{
    ConfigHistory history(m_store);
    QCOMPARE(history.recordOutsideChange(smbConf, configText(1), program), 1);
    QCOMPARE(history.version(1).summary, QStringLiteral("changed outside Shareward"));
    QCOMPARE(history.recordOutsideChange(smbConf, configText(1), program), 1);
    QCOMPARE(history.record(smbConf, configText(2), QStringLiteral("share team added"), program), 2);
    QCOMPARE(history.recordOutsideChange(smbConf, configText(2), program), 2);
    QCOMPARE(history.version(2).summary, QStringLiteral("share team added"));
    QCOMPARE(history.recordOutsideChange(smbConf, configText(3), program), 3);
    QCOMPARE(history.version(3).summary, ConfigHistory::outsideChangeSummary());
    QCOMPARE(history.versions(smbConf).size(), 3);
}

void TestConfigHistory::metadata_data()
{
    QTest::addColumn<QByteArray>("sudoUser");
    QTest::addColumn<QByteArray>("pkexecUid");
    QTest::addColumn<QString>("user");
    QTest::newRow("SUDO_USER") << QByteArray("alice") << QByteArray("0") << "alice";
    QTest::newRow("PKEXEC_UID 0") << QByteArray() << QByteArray("0") << "root";
    QTest::newRow("empty SUDO_USER") << QByteArray("") << QByteArray("0") << "root";
    QTest::newRow("PKEXEC_UID of nobody known") << QByteArray() << QByteArray("3999999") << "3999999";
    const struct passwd *real = ::getpwuid(::getuid());
    QTest::newRow("real user") << QByteArray() << QByteArray()
                               << (real ? QString::fromLocal8Bit(real->pw_name)
                                        : QString::number(::getuid()));
}

void TestConfigHistory::metadata()
{
    QFETCH(QByteArray, sudoUser);
    QFETCH(QByteArray, pkexecUid);
    QFETCH(QString, user);
    // cleanup() unsets them again.
    if (!sudoUser.isNull())
        qputenv("SUDO_USER", sudoUser);
    if (!pkexecUid.isNull())
        qputenv("PKEXEC_UID", pkexecUid);
    QCOMPARE(ConfigHistory::currentUser(), user);

    ConfigHistory history(m_store);
    const std::string bytes = configText(7);
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const int number = history.record(smbConf, bytes, QStringLiteral("share team added; workgroup changed"),
                                      QStringLiteral("shareward-cli"));
    const QDateTime after = QDateTime::currentDateTimeUtc();
    QCOMPARE(number, 1);
    const ConfigHistory::Version version = history.version(number);
    QCOMPARE(version.number, 1);
    QCOMPARE(version.file, smbConf);
    QCOMPARE(version.user, user);
    QCOMPARE(version.program, QStringLiteral("shareward-cli"));
    QCOMPARE(version.summary, QStringLiteral("share team added; workgroup changed"));
    QCOMPARE(version.size, qint64(bytes.size()));
    QCOMPARE(version.time.timeSpec(), Qt::UTC);
    QVERIFY(version.time >= before && version.time <= after);
    QCOMPARE(history.versions(smbConf).value(0).time, version.time);

    const QJsonObject json = metadataOf(m_store, 1);
    QVERIFY(json.value(QLatin1String("time")).toString().endsWith(QLatin1Char('Z')));
    QCOMPARE(json.value(QLatin1String("sha256")).toString().toLatin1(),
             QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex());
}

void TestConfigHistory::hashIsSha256_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one line") << QByteArray("[global]\n");
    // 55 and 56 bytes: the last that fit one block with the length, and the first that don't.
    QTest::newRow("55 bytes") << QByteArray(55, 'a');
    QTest::newRow("56 bytes") << QByteArray(56, 'a');
    static const char binary[] = "[d\x01\x7f]\r\n\tcomment = \xff\xfe\xe9t\x00x\n";
    QTest::newRow("high, control and NUL bytes") << QByteArray(binary, sizeof binary - 1);
    QByteArray large = "[global]\n";
    for (int i = 0; large.size() <= (1 << 20); ++i)
        large +=
            "[share" + QByteArray::number(i) + "]\n   path = /srv/share" + QByteArray::number(i) + "\n\n";
    QTest::newRow("over a megabyte") << large;
}

// The hash in the metadata is what sha256sum says of the bytes.
void TestConfigHistory::hashIsSha256()
{
    QFETCH(QByteArray, bytes);
    const QString hashed = m_store + QStringLiteral("-hashed");
    QVERIFY(writeFile(hashed, bytes));
    const ProcessRun sum = runProcess(QStringLiteral("sha256sum"), {hashed});
    QCOMPARE(sum.exitCode, 0);
    ConfigHistory history(m_store);
    QCOMPARE(history.record(smbConf, bytes.toStdString(), QString(), program), 1);
    QCOMPARE(metadataOf(m_store, 1).value(QLatin1String("sha256")).toString().toLatin1(), sum.out.left(64));
    std::string back;
    QVERIFY2(history.read(1, back), qPrintable(history.errorString()));
    QCOMPARE(QByteArray::fromStdString(back), bytes);
}

// Versions stored by earlier releases, hashed by QCryptographicHash, are read, verified and
// compared as before.
void TestConfigHistory::earlierVersionsStillRead()
{
    const QByteArray bytes = "[global]\n\tworkgroup = OLD\n";
    const QJsonObject metadata{
        {QLatin1String("file"), smbConf},
        {QLatin1String("time"), QLatin1String("2024-05-01T10:00:00.000Z")},
        {QLatin1String("user"), QLatin1String("root")},
        {QLatin1String("program"), QLatin1String("shareward")},
        {QLatin1String("summary"), QLatin1String("share data added")},
        {QLatin1String("size"), static_cast<double>(bytes.size())},
        {QLatin1String("sha256"),
         QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex())},
        {QLatin1String("number"), 7}};
    QVERIFY(QDir().mkpath(m_store));
    QVERIFY(writeFile(QDir(m_store).filePath(fileName(7, "conf")), bytes));
    QVERIFY(writeFile(QDir(m_store).filePath(fileName(7, "json")), QJsonDocument(metadata).toJson()));

    ConfigHistory history(m_store);
    std::string back;
    QVERIFY2(history.read(7, back), qPrintable(history.errorString()));
    QCOMPARE(QByteArray::fromStdString(back), bytes);
    QCOMPARE(history.recordOutsideChange(smbConf, bytes.toStdString(), program), 7);
    // Bytes of the same size are told apart by the hash.
    QCOMPARE(
        history.recordOutsideChange(smbConf, QByteArray(bytes).replace("OLD", "NEW").toStdString(), program),
        8);
    QCOMPARE(numbers(history.versions(smbConf)), (QList<int>{8, 7}));
}

void TestConfigHistory::garbledMetadataIgnored()
{
    ConfigHistory history(m_store);
    QCOMPARE(history.record(smbConf, configText(1), QString(), program), 1);
    const QDir store(m_store);
    const QString file = QStringLiteral("\"file\": \"/etc/samba/smb.conf\"");
    QVERIFY(writeFile(store.filePath(fileName(2, "json")), "{\"number\": 2, " + file.toUtf8()));
    QVERIFY(writeFile(store.filePath(fileName(3, "json")), "[2, 3]"));
    QVERIFY(writeFile(store.filePath(fileName(4, "json")), "{\"number\": 4}"));
    QVERIFY(writeFile(store.filePath(fileName(5, "json")), "{\"number\": 9, " + file.toUtf8() + "}"));
    QVERIFY(writeFile(store.filePath(fileName(6, "json")), QByteArray()));
    QCOMPARE(numbers(history.versions(smbConf)), QList<int>{1});
    QCOMPARE(history.version(2).number, 0);
    std::string bytes;
    QVERIFY(!history.read(3, bytes));
    QVERIFY(history.errorString().contains(m_store));
    // The newest readable version is the one compared; numbers go past the garbled ones.
    QCOMPARE(history.record(smbConf, configText(1), QString(), program), 1);
    QCOMPARE(history.record(smbConf, configText(2), QString(), program), 7);
}

void TestConfigHistory::orphanBytes()
{
    // What a crash between the bytes and the metadata leaves.
    QVERIFY(QDir().mkpath(m_store));
    QVERIFY(writeFile(QDir(m_store).filePath(fileName(1, "conf")), "[half]\n"));
    ConfigHistory history(m_store);
    QVERIFY(history.versions(smbConf).isEmpty());
    QCOMPARE(history.version(1).number, 0);
    std::string bytes;
    QVERIFY(!history.read(1, bytes));
    QCOMPARE(history.record(smbConf, std::string("[half]\n"), QString(), program), 2);
    QCOMPARE(numbers(history.versions(smbConf)), QList<int>{2});
}

void TestConfigHistory::damagedBytesNotRead()
{
    ConfigHistory history(m_store);
    QCOMPARE(history.record(smbConf, configText(1), QString(), program), 1);
    const QString path = QDir(m_store).filePath(fileName(1, "conf"));
    QByteArray bytes = readFile(path);
    bytes[1] = 'G';
    QVERIFY(writeFile(path, bytes));
    std::string back;
    QVERIFY(!history.read(1, back));
    QVERIFY2(history.errorString().contains(path), qPrintable(history.errorString()));
    QVERIFY(back.empty());
}

void TestConfigHistory::unusableStore_data()
{
    QTest::addColumn<QString>("below");
    // Permissions do not stop root: a regular file on the way stops everyone.
    QTest::newRow("store is a regular file") << QString();
    QTest::newRow("store below a regular file") << QStringLiteral("/history");
}

void TestConfigHistory::unusableStore()
{
    QFETCH(QString, below);
    const QString blocker = m_store + QStringLiteral("-blocker");
    QVERIFY(writeFile(blocker, "not a directory\n"));
    ConfigHistory history(blocker + below);
    QCOMPARE(history.record(smbConf, configText(1), QString(), program), 0);
    QVERIFY2(history.errorString().contains(blocker + below), qPrintable(history.errorString()));
    QVERIFY2(history.errorString().contains(QString::fromLocal8Bit(strerror(ENOTDIR))),
             qPrintable(history.errorString()));
    QCOMPARE(readFile(blocker), QByteArray("not a directory\n"));
    QVERIFY(history.versions(smbConf).isEmpty());
}

void TestConfigHistory::failedWriteLeavesNothing_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("failing");
    // A file size limit makes the writes fail, for root too: the bytes or the metadata.
    QTest::newRow("bytes") << 4096 << "000002.conf";
    QTest::newRow("metadata") << 16 << "000002.json";
}

void TestConfigHistory::failedWriteLeavesNothing()
{
    QFETCH(int, size);
    QFETCH(QString, failing);
    ConfigHistory history(m_store);
    QCOMPARE(history.record(smbConf, configText(1), QString(), program), 1);
    const QStringList before = entries(m_store);

    struct rlimit old;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
    struct rlimit limited = old;
    limited.rlim_cur = 100;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
    const int number =
        history.record(smbConf, std::string(static_cast<std::size_t>(size), 'x'), QString(), program);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(number, 0);
    QVERIFY2(history.errorString().contains(QDir(m_store).filePath(failing)),
             qPrintable(history.errorString()));
    QCOMPARE(entries(m_store), before);
    QCOMPARE(numbers(history.versions(smbConf)), QList<int>{1});
    // The failed number is not taken.
    QCOMPARE(history.record(smbConf, std::string(static_cast<std::size_t>(size), 'x'), QString(), program),
             2);
}

// Two processes recording at once take different numbers and lose nothing.
void TestConfigHistory::concurrentRecords()
{
    constexpr int perProcess = 25;
    const QStringList files{QStringLiteral("/etc/samba/a.conf"), QStringLiteral("/etc/samba/b.conf")};
    QList<pid_t> children;
    for (const QString &file : files) {
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ConfigHistory history(m_store);
            bool ok = true;
            for (int index = 0; index < perProcess; ++index)
                ok = history.record(file, file.toStdString() + configText(index), QString(), program) > 0
                    && ok;
            ::_exit(ok ? 0 : 1);
        }
        children << child;
    }
    for (const pid_t child : children) {
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ConfigHistory history(m_store);
    QSet<int> taken;
    for (const QString &file : files) {
        const QList<ConfigHistory::Version> versions = history.versions(file);
        QCOMPARE(versions.size(), perProcess);
        for (int index = 0; index < perProcess; ++index) {
            std::string bytes;
            QVERIFY2(history.read(versions.at(index).number, bytes), qPrintable(history.errorString()));
            QCOMPARE(bytes, file.toStdString() + configText(perProcess - 1 - index));
            taken.insert(versions.at(index).number);
        }
    }
    QCOMPARE(taken.size(), 2 * perProcess);
    QCOMPARE(entries(m_store).size(), 4 * perProcess);
}

void TestConfigHistory::refusedStores_data()
{
    QTest::addColumn<QString>("kind");
    // Anybody who could write there could plant a version that a restore installs.
    QTest::newRow("another user's directory") << QStringLiteral("others");
    QTest::newRow("world-writable directory (1777, as /tmp)") << QStringLiteral("shared");
    QTest::newRow("group-writable directory") << QStringLiteral("group");
    QTest::newRow("link to a private directory") << QStringLiteral("link");
}

// A store that is not the owner's alone is refused, and left as it is: its mode is not changed.
void TestConfigHistory::refusedStores()
{
    QFETCH(QString, kind);
    const QString target = m_store + QStringLiteral("-target");
    QVERIFY(QDir().mkpath(target));
    const QByteArray name = QFile::encodeName(target);
    mode_t mode = 0700;
    if (kind == QLatin1String("others")) {
        if (::geteuid() != 0)
            QSKIP("handing a directory to another user needs root");
        QVERIFY(::chown(name.constData(), 4243, 4243) == 0);
    } else if (kind == QLatin1String("shared")) {
        mode = 01777;
    } else if (kind == QLatin1String("group")) {
        mode = 0770;
    }
    QVERIFY(::chmod(name.constData(), mode) == 0);
    QString store = target;
    if (kind == QLatin1String("link")) {
        QVERIFY(QFile::link(target, m_store));
        store = m_store;
    }
    // A version planted there, with the right hash.
    ConfigHistory planter(m_temporary.filePath(QStringLiteral("planter-%1").arg(m_stores)));
    QCOMPARE(planter.record(smbConf, configText(9), QString(), program), 1);
    for (const char *suffix : {"conf", "json"})
        QVERIFY(QFile::copy(QDir(planter.directory()).filePath(fileName(1, suffix)),
                            QDir(target).filePath(fileName(1, suffix))));

    ConfigHistory history(store);
    const QString refusal =
        QStringLiteral("%1 is not a directory that only its owner can change.").arg(store);
    QCOMPARE(history.record(smbConf, configText(1), QString(), program), 0);
    QCOMPARE(history.errorString(), refusal);
    QVERIFY(history.versions(smbConf).isEmpty());
    std::string bytes;
    QVERIFY(!history.read(1, bytes));
    QCOMPARE(history.errorString(), refusal);
    QCOMPARE(modeOf(target), mode);
    QCOMPARE(entries(target), (QStringList{fileName(1, "conf"), fileName(1, "json")}));
}

void TestConfigHistory::plantedVersions_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("bytes a link to another file") << QStringLiteral("link");
    QTest::newRow("metadata without the hash") << QStringLiteral("no hash");
    QTest::newRow("bytes a FIFO") << QStringLiteral("fifo");
    QTest::newRow("number at the top of int") << QStringLiteral("huge");
}

// What else may lie in the store: neither listed nor read (and nothing waits for a FIFO), and
// the numbers of later versions stay as they were.
void TestConfigHistory::plantedVersions()
{
    QFETCH(QString, kind);
    ConfigHistory history(m_store);
    QCOMPARE(history.record(smbConf, configText(1), QString(), program), 1);
    const QDir store(m_store);
    const QString secret = m_temporary.filePath(QStringLiteral("secret-%1").arg(m_stores));
    const QByteArray secretBytes = "[secret]\n\tpath = /root\n";
    QVERIFY(writeFile(secret, secretBytes));
    const int number = kind == QLatin1String("huge") ? 2147483647 : 99;
    const QString bytesName = QStringLiteral("%1.conf").arg(number, 6, 10, QLatin1Char('0'));
    QJsonObject metadata{{QLatin1String("file"), smbConf},
                         {QLatin1String("time"), QLatin1String("2024-05-01T10:00:00.000Z")},
                         {QLatin1String("user"), QLatin1String("root")},
                         {QLatin1String("program"), QLatin1String("shareward")},
                         {QLatin1String("summary"), QLatin1String("planted")},
                         {QLatin1String("size"), static_cast<double>(secretBytes.size())},
                         {QLatin1String("number"), number}};
    if (kind != QLatin1String("no hash"))
        metadata.insert(
            QLatin1String("sha256"),
            QString::fromLatin1(QCryptographicHash::hash(secretBytes, QCryptographicHash::Sha256).toHex()));
    QVERIFY(writeFile(store.filePath(QStringLiteral("%1.json").arg(number, 6, 10, QLatin1Char('0'))),
                      QJsonDocument(metadata).toJson()));
    if (kind == QLatin1String("link"))
        QVERIFY(QFile::link(secret, store.filePath(bytesName)));
    else if (kind == QLatin1String("fifo"))
        QVERIFY(::mkfifo(QFile::encodeName(store.filePath(bytesName)).constData(), 0600) == 0);
    else
        QVERIFY(writeFile(store.filePath(bytesName), secretBytes));

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(numbers(history.versions(smbConf)), QList<int>{1});
    std::string bytes;
    QVERIFY(!history.read(number, bytes));
    QVERIFY(bytes.empty());
    QVERIFY(clock.elapsed() < 5000);
    // The next version takes the next number after the store's own.
    const int next = history.record(smbConf, configText(2), QString(), program);
    QCOMPARE(next, kind == QLatin1String("huge") ? 2 : 100);
    QCOMPARE(numbers(history.versions(smbConf)), (QList<int>{next, 1}));
    QVERIFY2(history.read(next, bytes), qPrintable(history.errorString()));
}

// Saves through a linked path and through the real one are versions of one file.
void TestConfigHistory::oneHistoryPerFile()
{
    const QString directory = m_temporary.filePath(QStringLiteral("samba-%1").arg(m_stores));
    QVERIFY(QDir().mkpath(directory));
    const QString real = directory + QStringLiteral("/smb.conf");
    const QString linked = directory + QStringLiteral("/linked.conf");
    QVERIFY(writeFile(real, "[global]\n"));
    QVERIFY(QFile::link(real, linked));
    ConfigHistory history(m_store);
    QCOMPARE(history.record(real, configText(1), QString(), program), 1);
    QCOMPARE(history.record(linked, configText(2), QString(), program), 2);
    QCOMPARE(history.recordOutsideChange(linked, configText(2), program), 2);
    QCOMPARE(numbers(history.versions(real)), (QList<int>{2, 1}));
    QCOMPARE(numbers(history.versions(linked)), (QList<int>{2, 1}));
    QCOMPARE(history.version(2).file, QFileInfo(real).canonicalFilePath());
}

QTEST_GUILESS_MAIN(TestConfigHistory)
#include "tst_confighistory.moc"
