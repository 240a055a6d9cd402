// The start-up repairs of smb.conf, applied with the real testparm judging the result.
#include "confighistory.h"
#include "configrepair.h"
#include "testfiles.h"
#include "testparm.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QByteArray adMember = "[global]\n   workgroup = X\n   realm = X.COM\n   security = ads\n";
const QByteArray tdbBackend = "   idmap config * : backend = tdb\n";

// A literal with its NUL bytes.
template<std::size_t size>
QByteArray bytes(const char (&text)[size])
{
    return QByteArray(text, size - 1);
}

QStringList describe(const QList<ConfigRepair::Change> &changes)
{
    QStringList lines;
    for (const ConfigRepair::Change &change : changes)
        lines << QStringLiteral("%1 [%2] %3: %4 -> %5")
                     .arg(change.line)
                     .arg(change.section, change.key,
                          change.oldValue.isNull() ? QStringLiteral("(new)") : change.oldValue,
                          change.newValue.isNull() ? QStringLiteral("(removed)") : change.newValue);
    return lines;
}

} // namespace

class TestConfigRepair : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void securityFix_data();
    void securityFix();
    void idmapFix_data();
    void idmapFix();
    void changesNameEveryLine();
    void nothingToPlan_data();
    void nothingToPlan();
    void applyFailures_data();
    void applyFailures();
    void keepsModeOwnerAndLink();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("smb.conf")); }
    void repairAndCheck(ConfigRepair::Kind kind, const QByteArray &before, const QByteArray &after);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestConfigRepair::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestConfigRepair::repairAndCheck(ConfigRepair::Kind kind, const QByteArray &before,
                                      const QByteArray &after)
{
    QVERIFY(writeFile(path(), before));
    const TestParmResult broken = TestParm().checkConf(path());
    QVERIFY2(ConfigRepair::complains(kind, broken.output), qPrintable(broken.output));

    ConfigRepair repair(path());
    QVERIFY2(repair.plan(kind), qPrintable(repair.errorString()));
    QTemporaryDir historyDir;
    ConfigHistory history(historyDir.filePath(QStringLiteral("history")));
    QVERIFY2(repair.apply(&history, QStringLiteral("shareward")), qPrintable(repair.errorString()));
    QCOMPARE(readFile(path()), after);
    // Like a save, the repair keeps the file it replaced, and itself, in the history.
    QVERIFY2(repair.historyError().isEmpty(), qPrintable(repair.historyError()));
    const QList<ConfigHistory::Version> versions = history.versions(QFileInfo(path()).absoluteFilePath());
    QCOMPARE(versions.size(), 2);
    std::string newer, older;
    QVERIFY(history.read(versions.at(0).number, newer) && history.read(versions.at(1).number, older));
    QCOMPARE(QByteArray::fromStdString(newer), after);
    QCOMPARE(QByteArray::fromStdString(older), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("smb.conf")});
    // The real testparm accepts the repaired file.
    const TestParmResult fixed = TestParm().checkConf(path());
    QVERIFY2(fixed.status == TestParmResult::Ok || fixed.status == TestParmResult::Warnings,
             qPrintable(fixed.output));
}

void TestConfigRepair::securityFix_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    const QByteArray end = "   workgroup = HOME\n[data]\n   path = /tmp\n";
    // Every spelling Samba reads as the security parameter, with a value it rejects.
    const char *spellings[][2] = {
        {"blanks around =", "   security = share\n"},
        {"no blanks", "security=share\n"},
        {"key and value capitalised", "Security = SHARE\n"},
        {"TABs around =", "security\t=\tshare\n"},
        {"blank inside the key", "   secu rity = share\n"},
        {"indented with TABs and blanks", " \t security  =  server\n"},
        {"continued value", "security = sha\\\nre\n"},
    };
    for (const auto &[name, line] : spellings)
        QTest::newRow(name) << "[global]\n" + QByteArray(line) + end << "[global]\n" + end;

    QTest::newRow("CRLF lines") << QByteArray("[global]\r\n\tsecurity = share\r\n\tworkgroup = HOME\r\n")
                                << QByteArray("[global]\r\n\tworkgroup = HOME\r\n");
    QTest::newRow("last line unterminated") << QByteArray("[global]\nworkgroup = HOME\nsecurity = share")
                                            << QByteArray("[global]\nworkgroup = HOME\n");
    QTest::newRow("before the first header, and in a share")
        << QByteArray("security = share\n[global]\nworkgroup = HOME\n[data]\npath = /tmp\nsecurity = share\n")
        << QByteArray("[global]\nworkgroup = HOME\n[data]\npath = /tmp\n");
    // Values Samba accepts stay, in any case and with blanks; so do comments and other values.
    QTest::newRow("accepted values, comments and other values stay")
        << QByteArray("# security = share\n[global]\nsecurity = US ER\ncomment = security = share\n"
                      "security = share\n;security = share\n")
        << QByteArray("# security = share\n[global]\nsecurity = US ER\ncomment = security = share\n"
                      ";security = share\n");
    // Samba stops reading at a NUL byte: the line after it is no parameter to it.
    QTest::newRow("bytes that are not UTF-8, NUL byte")
        << bytes("[global]\ncomment = caf\xe9 \xff\nsecurity = share\n[d\xfc]\npath = /tmp\n"
                 "comment = a\0b\nsecurity = share\n")
        << bytes(
               "[global]\ncomment = caf\xe9 \xff\n[d\xfc]\npath = /tmp\ncomment = a\0b\nsecurity = share\n");
}

void TestConfigRepair::securityFix()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    repairAndCheck(ConfigRepair::InvalidSecurity, before, after);
}

void TestConfigRepair::idmapFix_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("no backend, no range")
        << adMember << adMember + tdbBackend + "   idmap config * : range = 3000-7999\n";
    const QByteArray otherDomain =
        adMember + "   idmap config X : backend = rid\n   idmap config X : range = 5000-9999\n";
    QTest::newRow("another domain overlaps 3000-7999")
        << otherDomain << otherDomain + tdbBackend + "   idmap config * : range = 10000-14999\n";
    const QByteArray twoDomains = adMember
        + "   idmap config Y : backend = rid\n   idmap config Y : range = 7000-20000\n"
          "   idmap config X : backend = rid\n   idmap config X : range = 1000-3500\n";
    QTest::newRow("one domain's range after another's")
        << twoDomains << twoDomains + tdbBackend + "   idmap config * : range = 20001-25000\n";
    // A malformed range is replaced in its line; the backend set stays.
    QTest::newRow("malformed range") << adMember
            + "   idmap config * : range = 3000\n   idmap config * : backend = tdb\n# end\n"
                                     << adMember
            + "   idmap config * : range = 3000-7999\n   idmap config * : backend = tdb\n# end\n";
    QTest::newRow("CRLF, TAB-indented [global] before a share")
        << QByteArray("[global]\r\n\tworkgroup = X\r\n\trealm = X.COM\r\n\tsecurity = ads\r\n\r\n[data]\r\n"
                      "\tpath = /tmp\r\n")
        << QByteArray("[global]\r\n\tworkgroup = X\r\n\trealm = X.COM\r\n\tsecurity = ads\r\n"
                      "\tidmap config * : backend = tdb\r\n\tidmap config * : range = 3000-7999\r\n\r\n"
                      "[data]\r\n\tpath = /tmp\r\n");
    QTest::newRow("no blanks around =, last line unterminated")
        << QByteArray("[Global]\nworkgroup=X\nrealm=X.COM\nsecurity=ads")
        << QByteArray("[Global]\nworkgroup=X\nrealm=X.COM\nsecurity=ads\nidmap config * : backend=tdb\n"
                      "idmap config * : range=3000-7999\n");
}

void TestConfigRepair::idmapFix()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    repairAndCheck(ConfigRepair::DefaultIdmapRange, before, after);
}

void TestConfigRepair::changesNameEveryLine()
{
    QVERIFY(
        writeFile(path(), "security = share\n[global]\n# x\nSecurity=User\n[data]\nsecu rity = server\n"));
    ConfigRepair security(path());
    QVERIFY(security.plan(ConfigRepair::InvalidSecurity));
    QCOMPARE(describe(security.changes()),
             (QStringList{QStringLiteral("1 [global] security: share -> (removed)"),
                          QStringLiteral("6 [data] secu rity: server -> (removed)")}));

    QVERIFY(writeFile(path(), "[global]\r\nsecurity = ads\r\n\tIdmap Config * : Range = 1 -\r\n"));
    ConfigRepair idmap(path());
    QVERIFY(idmap.plan(ConfigRepair::DefaultIdmapRange));
    QCOMPARE(describe(idmap.changes()),
             (QStringList{QStringLiteral("0 [global] idmap config * : backend: (new) -> tdb"),
                          QStringLiteral("3 [global] Idmap Config * : Range: 1 - -> 3000-7999")}));
    QCOMPARE(idmap.defaultRange(), QStringLiteral("3000-7999"));
}

void TestConfigRepair::nothingToPlan_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("content"); // null: no file; "/": a directory

    QTest::newRow("no smb.conf") << int(ConfigRepair::InvalidSecurity) << QByteArray();
    QTest::newRow("a directory") << int(ConfigRepair::DefaultIdmapRange) << QByteArray("/");
    QTest::newRow("valid security values")
        << int(ConfigRepair::InvalidSecurity) << QByteArray("[global]\nsecurity = ads\nsecurity = auto\n");
    QTest::newRow("range and backend set")
        << int(ConfigRepair::DefaultIdmapRange) << adMember + tdbBackend + "idmap config * : range = 1-2 x\n";
    QTest::newRow("no [global]") << int(ConfigRepair::DefaultIdmapRange)
                                 << QByteArray("[data]\npath = /tmp\n");
}

void TestConfigRepair::nothingToPlan()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, content);
    if (content == "/")
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("smb.conf")));
    else if (!content.isNull())
        QVERIFY(writeFile(path(), content));

    ConfigRepair repair(path());
    QVERIFY(!repair.plan(ConfigRepair::Kind(kind)));
    QVERIFY(!repair.errorString().isEmpty());
    QVERIFY(!repair.apply());
    QCOMPARE(readFile(path()), content == "/" ? QByteArray() : content);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(),
             content.isNull() ? 0 : 1);
}

void TestConfigRepair::applyFailures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("changed after the plan") << QStringLiteral("changed");
    QTest::newRow("disk full") << QStringLiteral("full");
    QTest::newRow("testparm missing") << QStringLiteral("testparm");
}

void TestConfigRepair::applyFailures()
{
    QFETCH(QString, failure);
    QByteArray content = adMember;
    QVERIFY(writeFile(path(), content));
    ConfigRepair repair(path(),
                        failure == QLatin1String("testparm") ? m_dir->filePath(QStringLiteral("none"))
                                                             : QStringLiteral("testparm"));
    QVERIFY(repair.plan(ConfigRepair::DefaultIdmapRange));

    bool applied = true;
    if (failure == QLatin1String("changed")) {
        content += "   comment = another editor\n";
        QVERIFY(writeFile(path(), content));
        applied = repair.apply();
    } else if (failure == QLatin1String("full")) {
        // Writes beyond the size limit fail as on a full disk, for root too.
        rlimit limit{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit small{16, limit.rlim_max};
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        applied = repair.apply();
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, previous);
    } else {
        applied = repair.apply();
    }
    QVERIFY(!applied);
    QVERIFY(!repair.errorString().isEmpty());
    QCOMPARE(readFile(path()), content);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("smb.conf")});
}

void TestConfigRepair::keepsModeOwnerAndLink()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("real")));
    const QString target = m_dir->filePath(QStringLiteral("real/smb.conf"));
    QVERIFY(writeFile(target, "[global]\nsecurity = share\n"));
    QVERIFY(QFile::link(target, path()));
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    // Another owner and group, as only root can give; the tool runs as root.
    const bool root = ::geteuid() == 0;
    const uid_t owner = root ? 65534 : ::geteuid();
    const gid_t group = root ? 65534 : ::getegid();
    QCOMPARE(::chown(QFile::encodeName(target).constData(), owner, group), 0);

    ConfigRepair repair(path());
    QVERIFY(repair.plan(ConfigRepair::InvalidSecurity));
    QVERIFY2(repair.apply(), qPrintable(repair.errorString()));
    QVERIFY(QFileInfo(path()).isSymLink());
    QCOMPARE(readFile(target), QByteArray("[global]\n"));
    QCOMPARE(QFileInfo(target).permissions() & QFile::Permissions(QFlag(0x7077)),
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QCOMPARE(QFileInfo(target).ownerId(), uint(owner));
    QCOMPARE(QFileInfo(target).groupId(), uint(group));
}

QTEST_GUILESS_MAIN(TestConfigRepair)

#include "tst_configrepair.moc"
