#include "configrepair.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <iterator>
#include <memory>

#include <unistd.h>

namespace {

// The line the limit fix appends, raising the open-file limit for every domain.
const QByteArray limitLine = QByteArrayLiteral("*\t\t-\tnofile\t\t16384");

// A stand-in for the desktop's reboot helper: writes its argument count, its arguments and the
// runtime directory it was given to the file "call" beside it.
const char fakeRebootHelper[] = R"(#!/bin/sh
{
printf '%s|' "$#" "$@"
printf 'XDG_RUNTIME_DIR=%s\n' "${XDG_RUNTIME_DIR-unset}"
} >"$(dirname "$0")/call"
)";

// Restores an environment variable when it goes out of scope.
class EnvironmentGuard
{
public:
    explicit EnvironmentGuard(const char *name)
        : m_name(name)
        , m_wasSet(qEnvironmentVariableIsSet(name))
        , m_value(qgetenv(name))
    {
    }
    ~EnvironmentGuard()
    {
        if (m_wasSet)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }
    EnvironmentGuard(const EnvironmentGuard &) = delete;
    EnvironmentGuard &operator=(const EnvironmentGuard &) = delete;

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_value;
};

} // namespace

class TestConfigRepair : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void limitFix_data();
    void limitFix();
    void limitFixTwice();
    void limitFixMissingFile();
    void limitFixOnDirectory();

    void securityFix_data();
    void securityFix();
    void securityFixMissingFile();
    void securityFixOnDirectory();
    void securityFixKeepsModeAndOwner();
    void securityFixThroughSymbolicLink();

    void rebootEnvironment_data();
    void rebootEnvironment();
    void reboot_data();
    void reboot();
    void rebootWithoutHelper();

private:
    QString writeFile(const QString &name, const QByteArray &content);
    QByteArray readFile(const QString &path) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestConfigRepair::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestConfigRepair::writeFile(const QString &name, const QByteArray &content)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray TestConfigRepair::readFile(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<unreadable>");
    return file.readAll();
}

void TestConfigRepair::limitFix_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("result");

    const int written = ConfigRepair::LimitWritten;
    const int alreadySet = ConfigRepair::LimitAlreadySet;
    const QByteArray debianStart =
        "# /etc/security/limits.conf\n#\n#<domain>      <type>  <item>         <value>\n";

    QTest::newRow("empty file") << QByteArray() << limitLine + '\n' << written;
    QTest::newRow("ends with a line feed") << debianStart << debianStart + limitLine + '\n' << written;
    QTest::newRow("last line unterminated")
        << QByteArray("@staff hard nproc 50") << "@staff hard nproc 50\n" + limitLine + '\n'
        << written;
    QTest::newRow("only a line feed") << QByteArray("\n") << "\n" + limitLine + '\n' << written;
    QTest::newRow("CRLF lines") << QByteArray("# limits\r\n") << "# limits\r\n" + limitLine + '\n' << written;
    QTest::newRow("bytes that are not UTF-8")
        << QByteArray("# caf\xe9 \xff\xfe\n") << "# caf\xe9 \xff\xfe\n" + limitLine + '\n'
        << written;
    QTest::newRow("limit with blanks instead of TABs")
        << QByteArray("*   -   nofile   16384\n") << "*   -   nofile   16384\n" + limitLine + '\n'
        << written;
    QTest::newRow("other nofile value")
        << QByteArray("*\t\t-\tnofile\t\t4096\n") << "*\t\t-\tnofile\t\t4096\n" + limitLine + '\n'
        << written;

    const QByteArray ownLine = debianStart + limitLine + '\n';
    QTest::newRow("already set by the fix") << ownLine << ownLine << alreadySet;
    const QByteArray otherDomain = "@samba\t\thard\tnofile\t\t16384\n# end\n";
    QTest::newRow("already set for another domain, first line") << otherDomain << otherDomain << alreadySet;
    const QByteArray unterminated = debianStart + "root soft nofile\t\t16384";
    QTest::newRow("already set, last line unterminated") << unterminated << unterminated << alreadySet;
    const QByteArray commented = "#*\t\t-\tnofile\t\t16384\n";
    QTest::newRow("already set in a comment") << commented << commented << alreadySet;
}

void TestConfigRepair::limitFix()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(int, result);

    const QString path = writeFile(QStringLiteral("limits.conf"), before);
    QCOMPARE(int(ConfigRepair::applyLimitFix(path)), result);
    QCOMPARE(readFile(path), after);
}

void TestConfigRepair::limitFixTwice()
{
    const QString path = writeFile(QStringLiteral("limits.conf"), "@staff hard nproc 50");
    QCOMPARE(ConfigRepair::applyLimitFix(path), ConfigRepair::LimitWritten);
    QCOMPARE(ConfigRepair::applyLimitFix(path), ConfigRepair::LimitAlreadySet);
    QCOMPARE(readFile(path), "@staff hard nproc 50\n" + limitLine + '\n');
}

void TestConfigRepair::limitFixMissingFile()
{
    const QString path = m_dir->filePath(QStringLiteral("limits.conf"));
    QCOMPARE(ConfigRepair::applyLimitFix(path), ConfigRepair::LimitsUnreadable);
    QVERIFY(!QFileInfo::exists(path));
}

void TestConfigRepair::limitFixOnDirectory()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("limits.conf")));
    QCOMPARE(ConfigRepair::applyLimitFix(m_dir->filePath(QStringLiteral("limits.conf"))),
             ConfigRepair::LimitsUnreadable);
    QVERIFY(QDir(m_dir->filePath(QStringLiteral("limits.conf"))).isEmpty());
}

void TestConfigRepair::securityFix_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("line removed") << QByteArray("[global]\nsecurity = user\nworkgroup = HOME\n")
                                  << QByteArray("[global]\nworkgroup = HOME\n");
    QTest::newRow("invalid value removed")
        << QByteArray("[global]\n   security = domainx\n") << QByteArray("[global]\n   ");
    QTest::newRow("indentation joins the next line")
        << QByteArray("[global]\n\tsecurity = ads\n\tworkgroup = HOME\n")
        << QByteArray("[global]\n\t\tworkgroup = HOME\n");
    QTest::newRow("value with punctuation")
        << QByteArray("[global]\nsecurity = ads-old\n[data]\n") << QByteArray("[global]\n[data]\n");
    QTest::newRow("several matches") << QByteArray(
        "[global]\nsecurity = user\nworkgroup = HOME\n[data]\nsecurity = share\npath = /srv\n")
                                     << QByteArray("[global]\nworkgroup = HOME\n[data]\npath = /srv\n");
    QTest::newRow("two matches in a row")
        << QByteArray("security = user\nsecurity = ads\n[data]\n") << QByteArray("[data]\n");

    const QByteArray untouched[] = {
        "[global]\nsecurity=user\n",        "[global]\nsecurity = X\n",
        "[global]\nsecurity  = user\n",     "[global]\nsecurity =  user\n",
        "[global]\nSecurity = user\n",      "[global]\nsecurity = user",
        "[global]\nsecurity = two words\n", "[global]\nsecurity = user \n",
        "[global]\nworkgroup = HOME\n",     "",
    };
    const char *untouchedNames[] = {
        "no blanks around =", "one-character value", "two blanks before =", "two blanks after =",
        "capitalised key",    "no line feed at end", "value of two words",  "trailing blank",
        "no security line",   "empty file",
    };
    static_assert(std::size(untouched) == std::size(untouchedNames));
    for (size_t i = 0; i < std::size(untouched); ++i)
        QTest::newRow(untouchedNames[i]) << untouched[i] << untouched[i];

    // A CRLF line goes with its carriage return.
    QTest::newRow("CRLF line removed") << QByteArray("[global]\r\nsecurity = user\r\nworkgroup = HOME\r\n")
                                       << QByteArray("[global]\r\nworkgroup = HOME\r\n");
    // The words inside a comment or another value are no security line: removing them
    // there would pull the next line into the comment.
    QTest::newRow("inside a comment") << QByteArray("# security = user\n[data]\npath = /srv\n")
                                      << QByteArray("# security = user\n[data]\npath = /srv\n");
    QTest::newRow("inside a value") << QByteArray("[global]\ncomment = security = user\nworkgroup = HOME\n")
                                    << QByteArray("[global]\ncomment = security = user\nworkgroup = HOME\n");
    QTest::newRow("LF line in CRLF file") << QByteArray("[global]\r\nsecurity = user\nworkgroup = HOME\r\n")
                                          << QByteArray("[global]\r\nworkgroup = HOME\r\n");

    QTest::newRow("bytes that are not UTF-8 elsewhere")
        << QByteArray("[global]\ncomment = caf\xe9 \xff\xfe\x80\nsecurity = user\n[d\xfcsseldorf]\npath = "
                      "/srv/\xc3\xa9\n")
        << QByteArray("[global]\ncomment = caf\xe9 \xff\xfe\x80\n[d\xfcsseldorf]\npath = /srv/\xc3\xa9\n");
    QTest::newRow("bytes that are not UTF-8 in the value")
        << QByteArray("[global]\nsecurity = us\xe9r\n[d\xfc]\n") << QByteArray("[global]\n[d\xfc]\n");
    QTest::newRow("NUL byte kept") << QByteArray("[global]\ncomment = a\0b\nsecurity = user\n", 39)
                                   << QByteArray("[global]\ncomment = a\0b\n", 23);
}

void TestConfigRepair::securityFix()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    const QString path = writeFile(QStringLiteral("smb.conf"), before);
    QVERIFY(ConfigRepair::applySecurityFix(path));
    QCOMPARE(readFile(path), after);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("smb.conf")});
}

void TestConfigRepair::securityFixMissingFile()
{
    const QString path = m_dir->filePath(QStringLiteral("smb.conf"));
    QVERIFY(!ConfigRepair::applySecurityFix(path));
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(QDir(m_dir->path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void TestConfigRepair::securityFixOnDirectory()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("smb.conf")));
    const QString path = m_dir->filePath(QStringLiteral("smb.conf"));
    QVERIFY(!ConfigRepair::applySecurityFix(path));
    QVERIFY(QFileInfo(path).isDir());
    QVERIFY(QDir(path).isEmpty());
}

void TestConfigRepair::securityFixKeepsModeAndOwner()
{
    const QString path = writeFile(QStringLiteral("smb.conf"), "[global]\nsecurity = user\n");
    const QFile::Permissions mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QVERIFY(QFile::setPermissions(path, mode));
    // A file of another owner and group, as only root can make it; the tool runs as root.
    const bool root = ::geteuid() == 0;
    const uid_t owner = root ? 65534 : ::geteuid();
    const gid_t group = root ? 65534 : ::getegid();
    QCOMPARE(::chown(QFile::encodeName(path).constData(), owner, group), 0);

    QVERIFY(ConfigRepair::applySecurityFix(path));
    QCOMPARE(readFile(path), QByteArray("[global]\n"));
    // QFile reports the owner's rights twice (as owner and as user); only the mode bits matter here.
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther
        | QFile::ExeOther;
    QCOMPARE(QFileInfo(path).permissions() & modeBits, mode);
    QCOMPARE(QFileInfo(path).ownerId(), uint(owner));
    QCOMPARE(QFileInfo(path).groupId(), uint(group));
}

void TestConfigRepair::securityFixThroughSymbolicLink()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("real")));
    const QString target = writeFile(QStringLiteral("real/smb.conf"), "[global]\nsecurity = user\n[data]\n");
    const QString link = m_dir->filePath(QStringLiteral("smb.conf"));
    QVERIFY(QFile::link(target, link));

    QVERIFY(ConfigRepair::applySecurityFix(link));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFile(target), QByteArray("[global]\n[data]\n"));
}

void TestConfigRepair::rebootEnvironment_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QString>("runtimeDir");

    QTest::newRow("run through sudo")
        << QStringList{QStringLiteral("SUDO_UID=1000")} << QStringLiteral("/run/user/1000");
    QTest::newRow("run through sudo, runtime dir of root")
        << QStringList{QStringLiteral("SUDO_UID=1001"), QStringLiteral("XDG_RUNTIME_DIR=/run/user/0")}
        << QStringLiteral("/run/user/1001");
    QTest::newRow("without sudo") << QStringList() << QStringLiteral("/run/user/");
    QTest::newRow("without sudo, runtime dir set")
        << QStringList{QStringLiteral("XDG_RUNTIME_DIR=/run/user/0")} << QStringLiteral("/run/user/");
}

void TestConfigRepair::rebootEnvironment()
{
    QFETCH(QStringList, variables);
    QFETCH(QString, runtimeDir);

    QProcessEnvironment system;
    system.insert(QStringLiteral("PATH"), QStringLiteral("/usr/sbin:/usr/bin"));
    system.insert(QStringLiteral("DISPLAY"), QStringLiteral(":0"));
    for (const QString &variable : qAsConst(variables)) {
        const int equals = variable.indexOf(QLatin1Char('='));
        system.insert(variable.left(equals), variable.mid(equals + 1));
    }

    const QProcessEnvironment environment = ConfigRepair::rebootEnvironment(system);
    QCOMPARE(environment.value(QStringLiteral("XDG_RUNTIME_DIR")), runtimeDir);
    // Everything else is passed on as it is.
    QProcessEnvironment rest = environment;
    rest.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    QProcessEnvironment expectedRest = system;
    expectedRest.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    QCOMPARE(rest.toStringList(), expectedRest.toStringList());
}

void TestConfigRepair::reboot_data()
{
    QTest::addColumn<bool>("sudo");
    QTest::addColumn<QByteArray>("call");

    QTest::newRow("run through sudo")
        << true << QByteArray("1|QUILLWM_REBOOT|XDG_RUNTIME_DIR=/run/user/1000\n");
    QTest::newRow("without sudo") << false << QByteArray("1|QUILLWM_REBOOT|XDG_RUNTIME_DIR=/run/user/\n");
}

void TestConfigRepair::reboot()
{
    QFETCH(bool, sudo);
    QFETCH(QByteArray, call);

    const QString helper = writeFile(QStringLiteral("quill-wmfunc"), fakeRebootHelper);
    QVERIFY(QFile::setPermissions(helper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EnvironmentGuard sudoUid("SUDO_UID");
    EnvironmentGuard runtimeDir("XDG_RUNTIME_DIR");
    if (sudo)
        qputenv("SUDO_UID", "1000");
    else
        qunsetenv("SUDO_UID");
    qputenv("XDG_RUNTIME_DIR", "/run/user/0");

    ConfigRepair::reboot(helper);
    QCOMPARE(readFile(m_dir->filePath(QStringLiteral("call"))), call);
}

void TestConfigRepair::rebootWithoutHelper()
{
    // On a desktop without the helper nothing happens, and nothing waits.
    QElapsedTimer timer;
    timer.start();
    ConfigRepair::reboot(m_dir->filePath(QStringLiteral("quill-wmfunc")));
    QVERIFY(timer.elapsed() < 10000);
}

QTEST_GUILESS_MAIN(TestConfigRepair)

#include "tst_configrepair.moc"
