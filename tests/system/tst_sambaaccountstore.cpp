#include "accountsandbox.h"
#include "contexttranslator.h"
#include "sambaaccountstore.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>
#include <stdexcept>

// Readable QCOMPARE output for failure lists.
char *toString(const SambaAccountFailure &failure)
{
    return qstrdup(qPrintable(QString::number(int(failure.operation())) + QLatin1Char(' ') + failure.text()));
}

namespace {

// Stand-in for pdbedit, and under its names for smbpasswd and net. Appends its arguments to "calls"
// (each followed by '|', one call a line) and its standard input to "input"; prints "listing" for
// -L and "groupmap" for groupmap list; answers by the first line of "answers" whose second
// tab-separated field is the call: the first field is the exit code, "kill-SIGNAL" or "hang", the third a
// message for the error output. Unlisted calls exit 0.
const char fakePdbedit[] = R"(#!/bin/bash
dir=${0%/*}
call=$(printf '%s|' "$@")
printf '%s\n' "$call" >>"$dir/calls"
cat >>"$dir/input"
code=0
message=
if [[ -f $dir/answers ]]; then
  while IFS=$'\t' read -r answerCode answerCall answerMessage; do
    if [[ $answerCall == "$call" ]]; then
      code=$answerCode
      message=$answerMessage
      break
    fi
  done <"$dir/answers"
fi
if [[ $call == "-L|" && -f $dir/listing ]]; then cat "$dir/listing"; fi
if [[ $call == "--|groupmap|list|" && -f $dir/groupmap ]]; then cat "$dir/groupmap"; fi
if [[ ${0##*/} == pdbedit ]]; then echo "Unix username:        ${!#}"; fi
if [[ -n $message ]]; then printf '%s\n' "$message" >&2; fi
case $code in
kill-*) kill -s "${code#kill-}" $$ ;;
hang) sleep 30 ;;
esac
exit "$code"
)";

// Ends a test that works on the real databases unless they are the sandbox's; a macro, because
// QSKIP only leaves the function it is written in.
#define REQUIRE_SANDBOX()                                                                                    \
    do {                                                                                                     \
        if (!m_sandboxed) {                                                                                  \
            QSKIP("needs the account sandbox (root, mount namespaces)");                                     \
        }                                                                                                    \
    } while (false)

// Starts a test on an empty Samba account database.
#define CLEAR_SAMBA_ACCOUNTS()                                                                               \
    do {                                                                                                     \
        clearSambaAccounts();                                                                                \
        if (QTest::currentTestFailed()) {                                                                    \
            return;                                                                                          \
        }                                                                                                    \
    } while (false)

enum ChangeOperation { AddUser, DeleteUser, AddGroup, DeleteGroup, SetPassword };

QStringList names(const char *spaceSeparated)
{
    return QString::fromUtf8(spaceSeparated).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

/// The NT hash Samba stores: MD4 of the password in UTF-16LE, as upper-case hex.
QByteArray ntHash(const QString &password)
{
    QByteArray utf16le;
    for (const QChar unit : password) {
        utf16le.append(char(unit.unicode() & 0xff));
        utf16le.append(char(unit.unicode() >> 8));
    }
    return QCryptographicHash::hash(utf16le, QCryptographicHash::Md4).toHex().toUpper();
}

struct ProgramRun
{
    int exitCode = -1;
    QByteArray output;
    QByteArray errorOutput;
};

ProgramRun runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.closeWriteChannel();
    ProgramRun run;
    if (process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.output = process.readAllStandardOutput();
    run.errorOutput = process.readAllStandardError();
    return run;
}

} // namespace

class TestSambaAccountStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    // Pure functions.
    void defaults();
    void idLimits_data();
    void idLimits();
    void guestAccounts_data();
    void guestAccounts();
    void accountNamesFromListing_data();
    void accountNamesFromListing();
    void mapsFromListing();
    void groupNamesFromMappingListing_data();
    void groupNamesFromMappingListing();
    void namesFromWbinfoOutput_data();
    void namesFromWbinfoOutput();
    void passwordInput_data();
    void passwordInput();
    void failureText_data();
    void failureText();

    // A fake pdbedit that records what it is given.
    void loadFromListing();
    void loadFailure_data();
    void loadFailure();
    void loadFailureTextIsTranslated();
    void change_data();
    void change();
    void changeWithoutPdbedit();
    void syncUsersCommandOrder();
    void syncUsersReportsFailures();
    void syncGroupsCommandOrder();
    void syncGroupsReportsFailures();
    void syncWithoutChangesRunsNothing();
    void domainListsFromFakeWbinfo();

    // The real programs, in the private mount namespace of sandbox.sh.
    void realUserLists_data();
    void realUserLists();
    void realGroupLists_data();
    void realGroupLists();
    void realListsDropDuplicates();
    void realDomainListsAreEmpty();
    void realListing();
    void realAddUser_data();
    void realAddUser();
    void realAddUserFailure();
    void realNamesLikeOptions();
    void realDeleteUser();
    void realSync();
    void realSyncReportsFailures();
    void realPasswordChangeKeepsAccount_data();
    void realPasswordChangeKeepsAccount();
    void realGroupCommands();

private:
    void writeFile(const QString &name, const QByteArray &content);
    QByteArray readFile(const QString &name) const;
    void answer(const QByteArray &code, const QByteArray &call, const QByteArray &message = QByteArray());
    QString fakeProgram(const char *name = "pdbedit") const
    {
        return m_fakeDir->filePath(QLatin1String(name));
    }
    // pdbedit, smbpasswd and net all the fake, logging into the same files.
    SambaAccountStore fakeStore() const
    {
        return SambaAccountStore(fakeProgram(), fakeProgram("wbinfo"), fakeProgram("smbpasswd"),
                                 fakeProgram("net"));
    }

    void runAsRoot(const QString &program, const QStringList &arguments);
    QMap<QString, QByteArray> sambaNtHashes();
    QStringList groupMappings();
    void clearSambaAccounts();

    std::unique_ptr<QTemporaryDir> m_fakeDir;
    bool m_sandboxed = false;
};

void TestSambaAccountStore::initTestCase()
{
    // Only change the account databases when /etc is provably the sandbox's tmpfs copy.
    const QByteArray root = qgetenv("SHAREWARD_SANDBOX");
    m_sandboxed = inAccountSandbox();
    if (!m_sandboxed) {
        qWarning("Not in the account sandbox (needs root and mount namespaces): the real* tests are skipped");
        return;
    }
    QFile smbConf(QStringLiteral("/etc/samba/smb.conf"));
    QVERIFY(smbConf.open(QIODevice::ReadOnly));
    QVERIFY(smbConf.readAll().contains(root));

    // Accounts at the limits of the system and regular ranges; 65534 is the nobody/nogroup id.
    runAsRoot(QStringLiteral("/usr/sbin/groupadd"), names("-g 2600 swstaff"));
    runAsRoot(QStringLiteral("/usr/sbin/groupadd"), names("-g 2499 swsysgroup"));
    runAsRoot(QStringLiteral("/usr/sbin/groupadd"), names("-g 2500 swreggroup"));
    runAsRoot(QStringLiteral("/usr/sbin/groupadd"), names("-o -g 65534 swnogroup"));
    const QList<QPair<const char *, const char *>> users = {
        {"swsystem", "2499"}, {"swregular", "2500"},    {"swnobody", "65534"}, {"swalice", "2501"},
        {"swbob", "2502"},    {"swcarol", "2503"},      {"swdave", "2504"},    {"swpass", "2505"},
        {"john.doe", "2506"}, {"EXAMPLE\\eve", "2507"}, {"pc01$", "2508"},
    };
    for (const auto &user : users) {
        runAsRoot(QStringLiteral("/usr/sbin/useradd"),
                  {QStringLiteral("-M"), QStringLiteral("-l"), QStringLiteral("-N"), QStringLiteral("-g"),
                   QStringLiteral("swstaff"), QStringLiteral("-o"), QStringLiteral("-u"),
                   QString::fromLatin1(user.second), QString::fromLatin1(user.first)});
    }
}

void TestSambaAccountStore::guestAccounts_data()
{
    QTest::addColumn<quint32>("uid");
    QTest::addColumn<QByteArray>("shell");
    QTest::addColumn<bool>("homeExists");
    QTest::addColumn<bool>("suits");
    QTest::newRow("nobody") << 65534u << QByteArray("/usr/sbin/nologin") << false << true;
    QTest::newRow("messagebus") << 100u << QByteArray("/usr/sbin/nologin") << false << true;
    QTest::newRow("false as shell") << 120u << QByteArray("/bin/false") << false << true;
    QTest::newRow("root") << 0u << QByteArray("/usr/sbin/nologin") << false << false;
    // People: a login shell, or a user uid even with nologin, as Samba users often have.
    QTest::newRow("a person") << 1000u << QByteArray("/bin/bash") << false << false;
    QTest::newRow("a samba user with nologin") << 2601u << QByteArray("/usr/sbin/nologin") << false << false;
    QTest::newRow("a system account that logs in") << 500u << QByteArray("/bin/sh") << false << false;
    QTest::newRow("no shell is /bin/sh") << 500u << QByteArray() << false << false;
    // A service owning a home of files, such as backup's /var/backups.
    QTest::newRow("a service with a home") << 34u << QByteArray("/usr/sbin/nologin") << true << false;
}

void TestSambaAccountStore::guestAccounts()
{
    QFETCH(quint32, uid);
    QFETCH(QByteArray, shell);
    QFETCH(bool, homeExists);
    QTEST(SambaAccountStore::suitsGuest(uid, shell, homeExists), "suits");
    // The machine's list: nobody always, root and the people never.
    const QStringList offered = SambaAccountStore::listGuestAccounts();
    QVERIFY(offered.contains(QStringLiteral("nobody")));
    QVERIFY(!offered.contains(QStringLiteral("root")));
    for (const QString &person : SambaAccountStore::listRegularUsers())
        QVERIFY2(!offered.contains(person), qPrintable(person));
}

void TestSambaAccountStore::init()
{
    m_fakeDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_fakeDir->isValid());
    for (const char *name : {"pdbedit", "smbpasswd", "net"}) {
        writeFile(QLatin1String(name), fakePdbedit);
        QVERIFY(
            QFile::setPermissions(fakeProgram(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
}

void TestSambaAccountStore::writeFile(const QString &name, const QByteArray &content)
{
    QFile file(m_fakeDir->filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), qint64(content.size()));
}

QByteArray TestSambaAccountStore::readFile(const QString &name) const
{
    QFile file(m_fakeDir->filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestSambaAccountStore::answer(const QByteArray &code, const QByteArray &call, const QByteArray &message)
{
    QFile file(m_fakeDir->filePath(QStringLiteral("answers")));
    QVERIFY(file.open(QIODevice::Append));
    file.write(code + '\t' + call + '\t' + message + '\n');
}

void TestSambaAccountStore::runAsRoot(const QString &program, const QStringList &arguments)
{
    QVERIFY2(m_sandboxed, "refusing to change the machine's accounts outside the sandbox");
    const ProgramRun run = runProgram(program, arguments);
    QVERIFY2(run.exitCode == 0,
             qPrintable(program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) + QStringLiteral(": ")
                        + QString::fromLocal8Bit(run.errorOutput)));
}

QMap<QString, QByteArray> TestSambaAccountStore::sambaNtHashes()
{
    // "NAME:UID:LMHASH:NTHASH:[FLAGS]:LCT-...:"
    QMap<QString, QByteArray> hashes;
    const ProgramRun run = runProgram(QStringLiteral("/usr/bin/pdbedit"), names("-L -w"));
    if (run.exitCode != 0) {
        return hashes;
    }
    const QList<QByteArray> lines = run.output.split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() >= 4) {
            hashes.insert(QString::fromUtf8(fields.at(0)), fields.at(3));
        }
    }
    return hashes;
}

QStringList TestSambaAccountStore::groupMappings()
{
    const ProgramRun run = runProgram(QStringLiteral("/usr/bin/net"), names("groupmap list"));
    return run.exitCode == 0 ? QString::fromUtf8(run.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                             : QStringList{QStringLiteral("net groupmap list failed")};
}

void TestSambaAccountStore::clearSambaAccounts()
{
    QVERIFY2(m_sandboxed, "refusing to change the machine's accounts outside the sandbox");
    const QStringList accounts = sambaNtHashes().keys();
    for (const QString &account : accounts) {
        runProgram(QStringLiteral("/usr/bin/pdbedit"), {QStringLiteral("-x"), QStringLiteral("-u"), account});
    }
    QVERIFY(sambaNtHashes().isEmpty());
    const QStringList groups =
        SambaAccountStore::groupNamesFromMappingListing(groupMappings().join(QLatin1Char('\n')).toUtf8());
    for (const QString &group : groups) {
        runProgram(
            QStringLiteral("/usr/bin/net"),
            {QStringLiteral("groupmap"), QStringLiteral("delete"), QStringLiteral("ntgroup=") + group});
    }
    QCOMPARE(groupMappings(), QStringList());
}

// ---------------------------------------------------------------------------------------------
// Pure functions

void TestSambaAccountStore::defaults()
{
    const SambaAccountStore store;
    QCOMPARE(store.pdbeditProgram(), QStringLiteral("/usr/bin/pdbedit"));
    QCOMPARE(store.wbinfoProgram(), QStringLiteral("/usr/bin/wbinfo"));
    QCOMPARE(store.smbpasswdProgram(), QStringLiteral("/usr/bin/smbpasswd"));
    QCOMPARE(store.netProgram(), QStringLiteral("/usr/bin/net"));

    const SambaAccountStore custom(QStringLiteral("/opt/pdbedit"), QStringLiteral("/opt/wbinfo"),
                                   QStringLiteral("/opt/smbpasswd"), QStringLiteral("/opt/net"));
    QCOMPARE(custom.pdbeditProgram(), QStringLiteral("/opt/pdbedit"));
    QCOMPARE(custom.wbinfoProgram(), QStringLiteral("/opt/wbinfo"));
    QCOMPARE(custom.smbpasswdProgram(), QStringLiteral("/opt/smbpasswd"));
    QCOMPARE(custom.netProgram(), QStringLiteral("/opt/net"));
}

void TestSambaAccountStore::idLimits_data()
{
    QTest::addColumn<quint32>("id");
    QTest::addColumn<bool>("system");
    QTest::addColumn<bool>("regular");

    QTest::newRow("root") << 0u << true << false;
    QTest::newRow("first login user") << 1000u << true << false;
    QTest::newRow("2499") << 2499u << true << false;
    QTest::newRow("2500") << 2500u << false << true;
    QTest::newRow("2501") << 2501u << false << true;
    QTest::newRow("65533") << 65533u << false << true;
    QTest::newRow("nobody 65534") << 65534u << false << false;
    QTest::newRow("65535") << 65535u << false << true;
    QTest::newRow("largest") << 4294967294u << false << true;
}

void TestSambaAccountStore::idLimits()
{
    QFETCH(quint32, id);
    QFETCH(bool, system);
    QFETCH(bool, regular);
    QCOMPARE(SambaAccountStore::isSystemId(id), system);
    QCOMPARE(SambaAccountStore::isRegularId(id), regular);
}

void TestSambaAccountStore::accountNamesFromListing_data()
{
    QTest::addColumn<QByteArray>("listing");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("empty") << QByteArray() << QStringList();
    // Captured from pdbedit 4.17 -L.
    QTest::newRow("captured") << QByteArray("swalice:2500:\nswnobody:65534:\nswcarol:2501:Carol: the admin\n"
                                            "EXAMPLE\\alice:2502:\njohn.doe:2506:\n")
                              << QStringList{QStringLiteral("swalice"), QStringLiteral("swnobody"),
                                             QStringLiteral("swcarol"), QStringLiteral("EXAMPLE\\alice"),
                                             QStringLiteral("john.doe")};
    // Captured from pdbedit 4.17 -L after "pdbedit -a -m -u pc01$" and useradd's longest names.
    QTest::newRow("captured machine and long names")
        << QByteArray("pc01$:2600:\nmary-ann:2601:\nu234567890123456789012345678901:2602:\n")
        << names("pc01$ mary-ann u234567890123456789012345678901");
    QTest::newRow("domain user") << QByteArray("EXAMPLE\\alice:1001:Alice\n")
                                 << QStringList{QStringLiteral("EXAMPLE\\alice")};
    QTest::newRow("space in name") << QByteArray("bob smith:1002:\n")
                                   << QStringList{QStringLiteral("bob smith")};
    QTest::newRow("no number") << QByteArray("carol::\n") << QStringList();
    QTest::newRow("letter in number") << QByteArray("dave:10x1:\n") << QStringList();
    QTest::newRow("no second colon") << QByteArray("erin:1005\n") << QStringList();
    QTest::newRow("full name with colons")
        << QByteArray("frank:1006:Frank: the: tank\n") << QStringList{QStringLiteral("frank")};
    QTest::newRow("duplicates kept in order")
        << QByteArray("bob:1:\nalice:2:\nbob:3:\n") << names("bob alice bob");
    QTest::newRow("blank lines") << QByteArray("\n\nalice:1:\n\n\n") << names("alice");
    QTest::newRow("no final line feed") << QByteArray("alice:1:\nbob:2:") << names("alice bob");
    QTest::newRow("carriage returns") << QByteArray("alice:1:\r\nbob:2:\r\n") << names("alice bob");
    QTest::newRow("leading space") << QByteArray(" alice:1:\n") << QStringList{QStringLiteral(" alice")};
    QTest::newRow("control character") << QByteArray("al\x01ice:1:\n") << QStringList();
    QTest::newRow("empty name") << QByteArray(":1:\n") << QStringList();
    QTest::newRow("machine account") << QByteArray("PC01$:1007:\n") << names("PC01$");
    QTest::newRow("dot and hyphen") << QByteArray("john.doe:1008:\nmary-jane:1009:\n")
                                    << names("john.doe mary-jane");
    QTest::newRow("leading hyphen") << QByteArray("-a:1012:\n") << names("-a");
    QTest::newRow("non-ASCII letter")
        << QByteArray("j\xc3\xb6rg:1010:\n") << QStringList{QStringLiteral("j\u00f6rg")};
    QTest::newRow("word characters") << QByteArray("Svc_Backup2:1011:\n") << names("Svc_Backup2");
    QTest::newRow("verbose listing") << QByteArray("Unix username:        alice\nNT username:          \n")
                                     << QStringList();
    QTest::newRow("smbpasswd style") << QByteArray(
        "alice:1001:XXXX:31D6CFE0D16AE931B73C59D7E0C089C0:[U   ]:\n")
                                     << names("alice");
}

void TestSambaAccountStore::accountNamesFromListing()
{
    QFETCH(QByteArray, listing);
    QFETCH(QStringList, expected);
    QCOMPARE(SambaAccountStore::accountNamesFromListing(listing), expected);
}

void TestSambaAccountStore::mapsFromListing()
{
    const QByteArray listing("bob:1002:Bob\nalice:1001:\nbob smith:1003:\nbob:1004:Bob again\nPC01$:1005:\n");

    const SambaUserMap users = SambaAccountStore::usersFromListing(listing);
    QCOMPARE(users.keys(),
             (QStringList{QStringLiteral("PC01$"), QStringLiteral("alice"), QStringLiteral("bob"),
                          QStringLiteral("bob smith")}));
    for (auto it = users.cbegin(); it != users.cend(); ++it) {
        QCOMPARE(it->name(), it.key());
        QCOMPARE(it->isMachineAccount(), it.key() == QLatin1String("PC01$"));
        QVERIFY(it->password().isEmpty());
        QVERIFY(!it->changed());
    }

    const SambaGroupMap groups = SambaAccountStore::groupsFromMappingListing(
        "staff (S-1-5-21-1-2-3-1000) -> staff\nweb (S-1-5-21-1-2-3-1001) -> www\nstaff (S-1-5-21-1-2-3-1002) "
        "-> x\n");
    QCOMPARE(groups.keys(), names("staff web"));
    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        QCOMPARE(it->name(), it.key());
        QVERIFY(!it->changed());
    }
}

void TestSambaAccountStore::groupNamesFromMappingListing_data()
{
    QTest::addColumn<QByteArray>("listing");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("empty") << QByteArray() << QStringList();
    // Captured from net 4.17 groupmap list.
    QTest::newRow("captured") << QByteArray(
        "swstaff (S-1-5-21-1397945597-3020817389-3448997311-1000) -> swstaff\n"
        "Domain Web (S-1-5-21-1397945597-3020817389-3448997311-1001) -> swweb\n")
                              << QStringList{QStringLiteral("swstaff"), QStringLiteral("Domain Web")};
    QTest::newRow("builtin, unmapped")
        << QByteArray("Administrators (S-1-5-32-544) -> -1\n") << names("Administrators");
    QTest::newRow("parentheses in name")
        << QByteArray("ops (old) (S-1-5-21-1-2-3-1000) -> ops\n") << QStringList{QStringLiteral("ops (old)")};
    QTest::newRow("UTF-8 and backslash")
        << QByteArray("EXAMPLE\\gr\xc3\xbcn (S-1-5-21-1-2-3-1000) -> gruen\n")
        << QStringList{QStringLiteral("EXAMPLE\\gr\u00fcn")};
    QTest::newRow("carriage returns")
        << QByteArray("a (S-1-5-21-1-1000) -> a\r\nb (S-1-5-32-545) -> b\r\n") << names("a b");
    QTest::newRow("duplicates kept") << QByteArray("a (S-1-1) -> a\nb (S-1-2) -> b\na (S-1-3) -> c\n")
                                     << names("a b a");
    QTest::newRow("verbose listing") << QByteArray("swstaff\n\tSID       : S-1-5-21-1-2-3-1000\n"
                                                   "\tUnix group: swstaff\n")
                                     << QStringList();
    QTest::newRow("no arrow") << QByteArray("a (S-1-5-21-1-1000)\n") << QStringList();
    QTest::newRow("not a SID") << QByteArray("a (1000) -> a\nb (S-1-x) -> b\n") << QStringList();
    QTest::newRow("no name") << QByteArray(" (S-1-5-21-1-1000) -> a\n") << QStringList();
    QTest::newRow("error text") << QByteArray("Unable to resolve group x to a SID\n") << QStringList();
}

void TestSambaAccountStore::groupNamesFromMappingListing()
{
    QFETCH(QByteArray, listing);
    QFETCH(QStringList, expected);
    QCOMPARE(SambaAccountStore::groupNamesFromMappingListing(listing), expected);
}

void TestSambaAccountStore::namesFromWbinfoOutput_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("users") << QByteArray("EXAMPLE\\alice\nEXAMPLE\\bob\n")
                           << QStringList{QStringLiteral("EXAMPLE\\alice"), QStringLiteral("EXAMPLE\\bob")};
    QTest::newRow("sorted without duplicates")
        << QByteArray("carol\nalice\ncarol\nbob\n") << names("alice bob carol");
    QTest::newRow("sorted case-sensitively") << QByteArray("b\nB\na\nA\n") << names("A B a b");
    QTest::newRow("blank lines") << QByteArray("\n\nalice\n\n") << names("alice");
    QTest::newRow("no final line feed") << QByteArray("alice\nbob") << names("alice bob");
    QTest::newRow("names with spaces")
        << QByteArray("EXAMPLE\\domain users\nEXAMPLE\\domain admins\n")
        << QStringList{QStringLiteral("EXAMPLE\\domain admins"), QStringLiteral("EXAMPLE\\domain users")};
    QTest::newRow("UTF-8") << QByteArray("EXAMPLE\\j\xc3\xb6rg\n")
                           << QStringList{QStringLiteral("EXAMPLE\\j\u00f6rg")};
}

void TestSambaAccountStore::namesFromWbinfoOutput()
{
    QFETCH(QByteArray, output);
    QFETCH(QStringList, expected);
    QCOMPARE(SambaAccountStore::namesFromWbinfoOutput(output), expected);
}

void TestSambaAccountStore::passwordInput_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("ASCII") << QStringLiteral("Secret1") << QByteArray("Secret1\nSecret1\n");
    QTest::newRow("empty") << QString() << QByteArray("\n\n");
    QTest::newRow("Latin-1") << QStringLiteral("\u00fc") << QByteArray("\xc3\xbc\n\xc3\xbc\n");
    QTest::newRow("outside Latin-1") << QStringLiteral("\u20ac")
                                     << QByteArray("\xe2\x82\xac\n\xe2\x82\xac\n");
    QTest::newRow("outside the BMP") << QStringLiteral("\U0001F511")
                                     << QByteArray("\xf0\x9f\x94\x91\n\xf0\x9f\x94\x91\n");
}

void TestSambaAccountStore::passwordInput()
{
    QFETCH(QString, password);
    QFETCH(QByteArray, expected);
    QCOMPARE(SambaAccountStore::passwordInput(password), expected);
}

void TestSambaAccountStore::failureText_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("expected");

    QTest::newRow("add user") << int(SambaAccountFailure::AddUser)
                              << QStringLiteral("Can't add Samba user alice: why");
    QTest::newRow("delete user") << int(SambaAccountFailure::DeleteUser)
                                 << QStringLiteral("Can't delete Samba user alice: why");
    QTest::newRow("add group") << int(SambaAccountFailure::AddGroup)
                               << QStringLiteral("Can't add Samba group alice: why");
    QTest::newRow("delete group") << int(SambaAccountFailure::DeleteGroup)
                                  << QStringLiteral("Can't delete Samba group alice: why");
    QTest::newRow("set password") << int(SambaAccountFailure::SetPassword)
                                  << QStringLiteral("Can't set the password of Samba user alice: why");
}

void TestSambaAccountStore::failureText()
{
    QFETCH(int, operation);
    QFETCH(QString, expected);

    SambaAccountFailure failure(QStringLiteral("alice"), SambaAccountFailure::Operation(operation),
                                QStringLiteral("why"));
    QCOMPARE(failure.text(), expected);

    ContextTranslator translator("Audit");
    QCoreApplication::installTranslator(&translator);
    const QString translated = failure.text();
    QCoreApplication::removeTranslator(&translator);
    QVERIFY2(translated.startsWith(QLatin1Char('[')), qPrintable(translated));

    SambaAccountFailure other = failure;
    QCOMPARE(other, failure);
    other.setMessage(QStringLiteral("other"));
    QVERIFY(other != failure);
    other.setMessage(failure.message());
    other.setAccount(QStringLiteral("bob"));
    QVERIFY(other != failure);
}

// ---------------------------------------------------------------------------------------------
// Fake pdbedit

void TestSambaAccountStore::loadFromListing()
{
    writeFile(QStringLiteral("listing"),
              "EXAMPLE\\alice:1001:Alice\nbob smith:1002:\ncarol::\n"
              "dave:1003:\ndave:1004:\n\n");
    writeFile(QStringLiteral("groupmap"), "Domain Web (S-1-5-21-1-2-3-1001) -> web\nbad line\n");
    const SambaAccountStore store = fakeStore();

    const SambaUserMap users = store.loadSambaUsers();
    QCOMPARE(
        users.keys(),
        QStringList({QStringLiteral("EXAMPLE\\alice"), QStringLiteral("bob smith"), QStringLiteral("dave")}));
    QCOMPARE(users.value(QStringLiteral("dave")), SambaUser(QStringLiteral("dave")));

    const SambaGroupMap groups = store.loadSambaGroups();
    QCOMPARE(groups.keys(), QStringList{QStringLiteral("Domain Web")});
    QCOMPARE(groups.value(QStringLiteral("Domain Web")), SambaGroup(QStringLiteral("Domain Web")));

    QCOMPARE(readFile(QStringLiteral("calls")), QByteArray("-L|\n--|groupmap|list|\n"));
}

void TestSambaAccountStore::loadFailure_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<bool>("missing");

    QTest::newRow("exit 1") << QByteArray("1") << false;
    QTest::newRow("exit 255") << QByteArray("255") << false;
    QTest::newRow("killed") << QByteArray("kill-KILL") << false;
    QTest::newRow("terminated") << QByteArray("kill-TERM") << false;
    QTest::newRow("missing program") << QByteArray("0") << true;
}

void TestSambaAccountStore::loadFailure()
{
    QFETCH(QByteArray, code);
    QFETCH(bool, missing);

    writeFile(QStringLiteral("listing"), "alice:1001:\n");
    writeFile(QStringLiteral("groupmap"), "staff (S-1-5-21-1-2-3-1000) -> staff\n");
    answer(code, "-L|", "Unable to open passdb database");
    answer(code, "--|groupmap|list|", "Unable to open group mapping database");
    const QString absent = m_fakeDir->filePath(QStringLiteral("missing/program"));
    const SambaAccountStore store = missing ? SambaAccountStore(absent, absent, absent, absent) : fakeStore();
    const QString expected = QStringLiteral(
        "Error occur during samba user extraction.\nCheck samba installation or access rights.");
    const QString expectedForGroups = QStringLiteral(
        "Error occur during samba group extraction.\nCheck samba installation or access rights.");

    try {
        store.loadSambaUsers();
        QFAIL("loadSambaUsers did not throw");
    } catch (const std::runtime_error &error) {
        QCOMPARE(QString::fromUtf8(error.what()), expected);
    }
    try {
        store.loadSambaGroups();
        QFAIL("loadSambaGroups did not throw");
    } catch (const std::runtime_error &error) {
        QCOMPARE(QString::fromUtf8(error.what()), expectedForGroups);
    }
    QCOMPARE(SambaAccountStore::listingErrorText(), expected);
    QCOMPARE(SambaAccountStore::groupListingErrorText(), expectedForGroups);
}

void TestSambaAccountStore::loadFailureTextIsTranslated()
{
    answer("1", "-L|");
    ContextTranslator translator("Audit");
    QCoreApplication::installTranslator(&translator);
    QString message;
    try {
        SambaAccountStore(fakeProgram()).loadSambaUsers();
    } catch (const std::runtime_error &error) {
        message = QString::fromUtf8(error.what());
    }
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(message,
             QStringLiteral(
                 "[Error occur during samba user extraction.\nCheck samba installation or access rights.]"));
}

void TestSambaAccountStore::change_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("pdbeditMessage");
    QTest::addColumn<QByteArray>("expectedCall");
    QTest::addColumn<QByteArray>("expectedInput");
    QTest::addColumn<bool>("expected");
    // "%1" stands for the program.
    QTest::addColumn<QString>("expectedMessage");

    const QString alice = QStringLiteral("alice");
    QTest::newRow("add user") << int(AddUser) << alice << QStringLiteral("Secret1") << QByteArray("0")
                              << QByteArray() << QByteArray("-t|-a|--|alice|\n")
                              << QByteArray("Secret1\nSecret1\n") << true << QString();
    QTest::newRow("add user, password outside Latin-1")
        << int(AddUser) << alice << QStringLiteral("\u043f\u0430\u0440\u043e\u043b\u044c\u20ac")
        << QByteArray("0") << QByteArray() << QByteArray("-t|-a|--|alice|\n")
        << QByteArray("\xd0\xbf\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c\xe2\x82\xac\n"
                      "\xd0\xbf\xd0\xb0\xd1\x80\xd0\xbe\xd0\xbb\xd1\x8c\xe2\x82\xac\n")
        << true << QString();
    // smbpasswd and pdbedit cut longer passwords, and then say "Mismatch - password unchanged".
    const QString longest = QString(254, QLatin1Char('p'));
    const QString tooLong = QString(255, QLatin1Char('p'));
    const QString limit =
        QStringLiteral("Samba takes passwords of at most 254 bytes (in UTF-8); this one has %2.");
    QTest::newRow("add user, the longest password")
        << int(AddUser) << alice << longest << QByteArray("0") << QByteArray()
        << QByteArray("-t|-a|--|alice|\n")
        << (longest + QLatin1Char('\n') + longest + QLatin1Char('\n')).toUtf8() << true << QString();
    QTest::newRow("add user, password too long")
        << int(AddUser) << alice << tooLong << QByteArray("0") << QByteArray() << QByteArray() << QByteArray()
        << false << limit.arg(255);
    QTest::newRow("set password, too long in UTF-8")
        << int(SetPassword) << alice << QString(128, QChar(0xe4)) << QByteArray("0") << QByteArray()
        << QByteArray() << QByteArray() << false << limit.arg(256);
    QTest::newRow("set password, a line break")
        << int(SetPassword) << alice << QStringLiteral("a\nb") << QByteArray("0") << QByteArray()
        << QByteArray() << QByteArray() << false
        << QStringLiteral("A Samba password cannot contain a line break or a NUL character.");
    QTest::newRow("add user fails") << int(AddUser) << alice << QStringLiteral("x") << QByteArray("255")
                                    << QByteArray("Failed to add entry for user alice.")
                                    << QByteArray("-t|-a|--|alice|\n") << QByteArray("x\nx\n") << false
                                    << QStringLiteral("Failed to add entry for user alice.");
    QTest::newRow("add user fails silently")
        << int(AddUser) << alice << QStringLiteral("x") << QByteArray("1") << QByteArray()
        << QByteArray("-t|-a|--|alice|\n") << QByteArray("x\nx\n") << false
        << QStringLiteral("%1 exited with code 1.");
    QTest::newRow("add user crashes")
        << int(AddUser) << alice << QStringLiteral("x") << QByteArray("kill-KILL") << QByteArray()
        << QByteArray("-t|-a|--|alice|\n") << QByteArray("x\nx\n") << false << QStringLiteral("%1 crashed");
    QTest::newRow("delete user") << int(DeleteUser) << alice << QString() << QByteArray("0") << QByteArray()
                                 << QByteArray("-x|--|alice|\n") << QByteArray() << true << QString();
    QTest::newRow("delete user fails")
        << int(DeleteUser) << alice << QString() << QByteArray("255")
        << QByteArray("user alice does not exist in the passdb") << QByteArray("-x|--|alice|\n")
        << QByteArray() << false << QStringLiteral("user alice does not exist in the passdb");
    QTest::newRow("delete domain user")
        << int(DeleteUser) << QStringLiteral("EXAMPLE\\alice") << QString() << QByteArray("0") << QByteArray()
        << QByteArray("-x|--|EXAMPLE\\alice|\n") << QByteArray() << true << QString();
    QTest::newRow("delete user terminated")
        << int(DeleteUser) << alice << QString() << QByteArray("kill-TERM") << QByteArray()
        << QByteArray("-x|--|alice|\n") << QByteArray() << false << QStringLiteral("%1 crashed");
    QTest::newRow("set password") << int(SetPassword) << alice << QStringLiteral("N3w \u20ac")
                                  << QByteArray("0") << QByteArray() << QByteArray("-s|--|alice|\n")
                                  << QByteArray("N3w \xe2\x82\xac\nN3w \xe2\x82\xac\n") << true << QString();
    QTest::newRow("set password fails")
        << int(SetPassword) << alice << QStringLiteral("x") << QByteArray("1")
        << QByteArray("Failed to find entry for user alice.") << QByteArray("-s|--|alice|\n")
        << QByteArray("x\nx\n") << false << QStringLiteral("Failed to find entry for user alice.");
    QTest::newRow("set password crashes")
        << int(SetPassword) << alice << QStringLiteral("x") << QByteArray("kill-SEGV") << QByteArray()
        << QByteArray("-s|--|alice|\n") << QByteArray("x\nx\n") << false << QStringLiteral("%1 crashed");
    QTest::newRow("set password hangs")
        << int(SetPassword) << alice << QStringLiteral("x") << QByteArray("hang") << QByteArray()
        << QByteArray("-s|--|alice|\n") << QByteArray("x\nx\n") << false
        << QStringLiteral("%1 did not finish within a second");
    const QByteArray addStaff("--|groupmap|add|ntgroup=staff|unixgroup=staff|type=domain|\n");
    QTest::newRow("add group") << int(AddGroup) << QStringLiteral("staff") << QString() << QByteArray("0")
                               << QByteArray() << addStaff << QByteArray() << true << QString();
    QTest::newRow("add group fails") << int(AddGroup) << QStringLiteral("staff") << QString()
                                     << QByteArray("255") << QByteArray("Can't lookup UNIX group staff")
                                     << addStaff << QByteArray() << false
                                     << QStringLiteral("Can't lookup UNIX group staff");
    QTest::newRow("add group with space")
        << int(AddGroup) << QStringLiteral("domain users") << QString() << QByteArray("0") << QByteArray()
        << QByteArray("--|groupmap|add|ntgroup=domain users|unixgroup=domain users|type=domain|\n")
        << QByteArray() << true << QString();
    QTest::newRow("delete group") << int(DeleteGroup) << QStringLiteral("staff") << QString()
                                  << QByteArray("0") << QByteArray()
                                  << QByteArray("--|groupmap|delete|ntgroup=staff|\n") << QByteArray() << true
                                  << QString();
    QTest::newRow("delete group fails")
        << int(DeleteGroup) << QStringLiteral("staff") << QString() << QByteArray("3") << QByteArray()
        << QByteArray("--|groupmap|delete|ntgroup=staff|\n") << QByteArray() << false
        << QStringLiteral("%1 exited with code 3.");
    QTest::newRow("delete group killed")
        << int(DeleteGroup) << QStringLiteral("staff") << QString() << QByteArray("kill-KILL") << QByteArray()
        << QByteArray("--|groupmap|delete|ntgroup=staff|\n") << QByteArray() << false
        << QStringLiteral("%1 crashed");
    // A name like an option is refused before any program runs: pdbedit would take "-a" for one.
    const QString refused = QStringLiteral("An account name cannot begin with \u201c-\u201d: %1");
    QTest::newRow("add user -a") << int(AddUser) << QStringLiteral("-a") << QStringLiteral("pw")
                                 << QByteArray("0") << QByteArray() << QByteArray() << QByteArray() << false
                                 << refused.arg(QLatin1String("-a"));
    QTest::newRow("set password -a") << int(SetPassword) << QStringLiteral("-a") << QStringLiteral("pw")
                                     << QByteArray("0") << QByteArray() << QByteArray() << QByteArray()
                                     << false << refused.arg(QLatin1String("-a"));
    QTest::newRow("delete user -d") << int(DeleteUser) << QStringLiteral("-d") << QString() << QByteArray("0")
                                    << QByteArray() << QByteArray() << QByteArray() << false
                                    << refused.arg(QLatin1String("-d"));
    QTest::newRow("add group --help")
        << int(AddGroup) << QStringLiteral("--help") << QString() << QByteArray("0") << QByteArray()
        << QByteArray() << QByteArray() << false << refused.arg(QLatin1String("--help"));
    QTest::newRow("delete group -x") << int(DeleteGroup) << QStringLiteral("-x") << QString()
                                     << QByteArray("0") << QByteArray() << QByteArray() << QByteArray()
                                     << false << refused.arg(QLatin1String("-x"));
    QTest::newRow("empty name") << int(DeleteUser) << QString() << QString() << QByteArray("0")
                                << QByteArray() << QByteArray() << QByteArray() << false
                                << QStringLiteral("The account name is empty.");
    // A hyphen inside a name is no option.
    QTest::newRow("add user mary-ann")
        << int(AddUser) << QStringLiteral("mary-ann") << QStringLiteral("pw") << QByteArray("0")
        << QByteArray() << QByteArray("-t|-a|--|mary-ann|\n") << QByteArray("pw\npw\n") << true << QString();
}

void TestSambaAccountStore::change()
{
    QFETCH(int, operation);
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, pdbeditMessage);
    QFETCH(QByteArray, expectedCall);
    QFETCH(QByteArray, expectedInput);
    QFETCH(bool, expected);
    QFETCH(QString, expectedMessage);

    if (!expectedCall.isEmpty())
        answer(code, expectedCall.chopped(1), pdbeditMessage);
    SambaAccountStore store = fakeStore();
    if (code == "hang")
        store.setTimeLimit(300);
    QString message = QStringLiteral("not set");
    bool result = false;
    switch (operation) {
    case AddUser:
        result = store.addSambaUser(name, password, &message);
        break;
    case SetPassword:
        result = store.setSambaPassword(name, password, &message);
        break;
    case DeleteUser:
        result = store.deleteSambaUser(name, &message);
        break;
    case AddGroup:
        result = store.addSambaGroup(name, &message);
        break;
    case DeleteGroup:
        result = store.deleteSambaGroup(name, &message);
        break;
    }
    QCOMPARE(result, expected);
    const char *program = operation == SetPassword          ? "smbpasswd"
        : operation == AddGroup || operation == DeleteGroup ? "net"
                                                            : "pdbedit";
    QCOMPARE(message,
             expectedMessage.contains(QLatin1String("%1")) ? expectedMessage.arg(fakeProgram(program))
                                                           : expectedMessage);
    QCOMPARE(readFile(QStringLiteral("calls")), expectedCall);
    QCOMPARE(readFile(QStringLiteral("input")), expectedInput);

    // The message is optional.
    switch (operation) {
    case AddUser:
        QCOMPARE(store.addSambaUser(name, password), expected);
        break;
    case SetPassword:
        QCOMPARE(store.setSambaPassword(name, password), expected);
        break;
    case DeleteUser:
        QCOMPARE(store.deleteSambaUser(name), expected);
        break;
    case AddGroup:
        QCOMPARE(store.addSambaGroup(name), expected);
        break;
    case DeleteGroup:
        QCOMPARE(store.deleteSambaGroup(name), expected);
        break;
    }
    QCOMPARE(readFile(QStringLiteral("calls")), expectedCall + expectedCall);
}

void TestSambaAccountStore::changeWithoutPdbedit()
{
    const QString missing = m_fakeDir->filePath(QStringLiteral("missing/program"));
    const SambaAccountStore store(missing, missing, missing, missing);
    const QString prefix = QStringLiteral("Failed to start: ") + missing + QStringLiteral(": ");
    QString message;
    QVERIFY(!store.addSambaUser(QStringLiteral("alice"), QStringLiteral("x"), &message));
    QVERIFY2(message.startsWith(prefix), qPrintable(message));
    message.clear();
    QVERIFY(!store.setSambaPassword(QStringLiteral("alice"), QStringLiteral("x"), &message));
    QVERIFY2(message.startsWith(prefix), qPrintable(message));
    message.clear();
    QVERIFY(!store.deleteSambaUser(QStringLiteral("alice"), &message));
    QVERIFY2(message.startsWith(prefix), qPrintable(message));
    message.clear();
    QVERIFY(!store.addSambaGroup(QStringLiteral("staff"), &message));
    QVERIFY2(message.startsWith(prefix), qPrintable(message));
    message.clear();
    QVERIFY(!store.deleteSambaGroup(QStringLiteral("staff"), &message));
    QVERIFY2(message.startsWith(prefix), qPrintable(message));

    SambaUserMap current;
    SambaUser dave(QStringLiteral("dave"));
    dave.setPassword(QStringLiteral("d"));
    current.insert(dave.name(), dave);
    SambaUser erin(QStringLiteral("erin"));
    erin.setPassword(QStringLiteral("e"));
    current.insert(erin.name(), erin);
    const SambaUserMap saved{{QStringLiteral("carol"), SambaUser(QStringLiteral("carol"))},
                             {QStringLiteral("erin"), SambaUser(QStringLiteral("erin"))}};
    const SambaAccountFailures failures = store.syncSambaUsers(current, saved);
    QCOMPARE(failures.size(), 3);
    QCOMPARE(failures.at(0).account(), QStringLiteral("dave"));
    QCOMPARE(failures.at(0).operation(), SambaAccountFailure::AddUser);
    QVERIFY(failures.at(0).message().startsWith(prefix));
    QCOMPARE(failures.at(1).account(), QStringLiteral("erin"));
    QCOMPARE(failures.at(1).operation(), SambaAccountFailure::SetPassword);
    QCOMPARE(failures.at(2).account(), QStringLiteral("carol"));
    QCOMPARE(failures.at(2).operation(), SambaAccountFailure::DeleteUser);
}

namespace {

SambaUser changedUser(const QString &name, const QString &password)
{
    SambaUser user(name);
    user.setPassword(password);
    return user;
}

SambaGroup changedGroup(const QString &name)
{
    SambaGroup group;
    group.setName(name);
    return group;
}

// Saved: alice, bob, carol, erin. Current: alice unchanged, bob with a new password, erin changed
// with an empty password (unchanged), dave new, carol deleted.
void usersScenario(SambaUserMap &current, SambaUserMap &saved)
{
    for (const QString &name : names("alice bob carol erin")) {
        saved.insert(name, SambaUser(name));
    }
    current = saved;
    current.remove(QStringLiteral("carol"));
    current[QStringLiteral("bob")] = changedUser(QStringLiteral("bob"), QStringLiteral("b2"));
    current[QStringLiteral("erin")].setChanged(true);
    current.insert(QStringLiteral("dave"), changedUser(QStringLiteral("dave"), QStringLiteral("d\u00e9")));
}

// "OPERATION:ACCOUNT" for each write, comparable in QCOMPARE.
QStringList writeTexts(const QList<SambaAccountStore::AccountWrite> &writes)
{
    QStringList texts;
    for (const SambaAccountStore::AccountWrite &write : writes)
        texts << QString::number(int(write.operation)) + QLatin1Char(':') + write.account;
    return texts;
}

void groupsScenario(SambaGroupMap &current, SambaGroupMap &saved)
{
    for (const QString &name : names("admins staff old web")) {
        saved.insert(name, SambaGroup(name));
    }
    current = saved;
    current.remove(QStringLiteral("old"));
    current[QStringLiteral("staff")] = changedGroup(QStringLiteral("staff"));
    current.insert(QStringLiteral("backup"), changedGroup(QStringLiteral("backup")));
}

} // namespace

void TestSambaAccountStore::syncUsersCommandOrder()
{
    SambaUserMap current;
    SambaUserMap saved;
    usersScenario(current, saved);
    // What a save that cannot reach the server reports: the commands the sync runs below.
    QCOMPARE(writeTexts(SambaAccountStore::userWrites(current, saved)), names("4:bob 0:dave 1:carol"));

    const SambaAccountFailures failures = fakeStore().syncSambaUsers(current, saved);
    QCOMPARE(failures, SambaAccountFailures());
    // bob keeps his account; only dave, new, is added.
    QCOMPARE(readFile(QStringLiteral("calls")),
             QByteArray("-s|--|bob|\n"
                        "-t|-a|--|dave|\n"
                        "-x|--|carol|\n"));
    QCOMPARE(readFile(QStringLiteral("input")), QByteArray("b2\nb2\nd\xc3\xa9\nd\xc3\xa9\n"));

    // Written, the passwords are gone from memory.
    QCOMPARE(current.keys(), names("alice bob dave erin"));
    for (const SambaUser &user : qAsConst(current)) {
        QCOMPARE(user, SambaUser(user.name()));
    }
}

void TestSambaAccountStore::syncUsersReportsFailures()
{
    SambaUserMap current;
    SambaUserMap saved;
    usersScenario(current, saved);
    answer("1", "-s|--|bob|", "Failed to find entry for user bob.");
    answer("kill-KILL", "-t|-a|--|dave|");
    answer("255", "-x|--|carol|", "user carol does not exist in the passdb");

    const SambaAccountFailures failures = fakeStore().syncSambaUsers(current, saved);
    const SambaAccountFailures expected{
        {QStringLiteral("bob"), SambaAccountFailure::SetPassword,
         QStringLiteral("Failed to find entry for user bob.")},
        {QStringLiteral("dave"), SambaAccountFailure::AddUser, fakeProgram() + QStringLiteral(" crashed")},
        {QStringLiteral("carol"), SambaAccountFailure::DeleteUser,
         QStringLiteral("user carol does not exist in the passdb")},
    };
    QCOMPARE(failures, expected);
    // The order of the commands does not depend on their results.
    QCOMPARE(readFile(QStringLiteral("calls")), QByteArray("-s|--|bob|\n-t|-a|--|dave|\n-x|--|carol|\n"));
    for (const SambaUser &user : qAsConst(current)) {
        QCOMPARE(user, SambaUser(user.name()));
    }
}

void TestSambaAccountStore::syncGroupsCommandOrder()
{
    SambaGroupMap current;
    SambaGroupMap saved;
    groupsScenario(current, saved);
    QCOMPARE(writeTexts(SambaAccountStore::groupWrites(current, saved)), names("2:backup 3:old"));

    const SambaAccountFailures failures = fakeStore().syncSambaGroups(current, saved);
    QCOMPARE(failures, SambaAccountFailures());
    // staff, removed and added again in the dialog, is still mapped.
    QCOMPARE(readFile(QStringLiteral("calls")),
             QByteArray("--|groupmap|add|ntgroup=backup|unixgroup=backup|type=domain|\n"
                        "--|groupmap|delete|ntgroup=old|\n"));
    QCOMPARE(readFile(QStringLiteral("input")), QByteArray());
    QCOMPARE(current.keys(), names("admins backup staff web"));
    for (const SambaGroup &group : qAsConst(current)) {
        QVERIFY(!group.changed());
    }
}

void TestSambaAccountStore::syncGroupsReportsFailures()
{
    SambaGroupMap current;
    SambaGroupMap saved;
    groupsScenario(current, saved);
    answer("255", "--|groupmap|add|ntgroup=backup|unixgroup=backup|type=domain|",
           "Can't lookup UNIX group backup");
    answer("kill-TERM", "--|groupmap|delete|ntgroup=old|");

    const SambaAccountFailures failures = fakeStore().syncSambaGroups(current, saved);
    const SambaAccountFailures expected{
        {QStringLiteral("backup"), SambaAccountFailure::AddGroup,
         QStringLiteral("Can't lookup UNIX group backup")},
        {QStringLiteral("old"), SambaAccountFailure::DeleteGroup,
         fakeProgram("net") + QStringLiteral(" crashed")},
    };
    QCOMPARE(failures, expected);
    for (const SambaGroup &group : qAsConst(current)) {
        QVERIFY(!group.changed());
    }
}

void TestSambaAccountStore::syncWithoutChangesRunsNothing()
{
    SambaUserMap users{{QStringLiteral("alice"), SambaUser(QStringLiteral("alice"))}};
    SambaGroupMap groups{{QStringLiteral("staff"), SambaGroup(QStringLiteral("staff"))}};
    const SambaAccountStore store = fakeStore();
    QVERIFY(store.syncSambaUsers(users, users).isEmpty());
    QVERIFY(store.syncSambaGroups(groups, groups).isEmpty());
    SambaUserMap noUsers;
    SambaGroupMap noGroups;
    QVERIFY(store.syncSambaUsers(noUsers, SambaUserMap()).isEmpty());
    QVERIFY(store.syncSambaGroups(noGroups, SambaGroupMap()).isEmpty());
    QCOMPARE(readFile(QStringLiteral("calls")), QByteArray());
}

void TestSambaAccountStore::domainListsFromFakeWbinfo()
{
    // wbinfo's exit code is not looked at: what it printed counts.
    writeFile(QStringLiteral("wbinfo"),
              "#!/bin/sh\n"
              "echo \"$@\" >>\"${0%/*}/wbinfo-calls\"\n"
              "case $1 in\n"
              "-u) printf 'EXAMPLE\\\\bob\\nEXAMPLE\\\\alice\\n\\nEXAMPLE\\\\bob\\n' ;;\n"
              "-g) printf 'EXAMPLE\\\\domain users\\n'; exit 1 ;;\n"
              "esac\n");
    const QString wbinfo = m_fakeDir->filePath(QStringLiteral("wbinfo"));
    QVERIFY(QFile::setPermissions(wbinfo, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    const SambaAccountStore store(fakeProgram(), wbinfo);
    QCOMPARE(store.listDomainUsers(),
             QStringList({QStringLiteral("EXAMPLE\\alice"), QStringLiteral("EXAMPLE\\bob")}));
    QCOMPARE(store.listDomainGroups(), QStringList({QStringLiteral("EXAMPLE\\domain users")}));
    QCOMPARE(readFile(QStringLiteral("wbinfo-calls")), QByteArray("-u\n-g\n"));

    const SambaAccountStore missing(fakeProgram(), m_fakeDir->filePath(QStringLiteral("missing/wbinfo")));
    QVERIFY(missing.listDomainUsers().isEmpty());
    QVERIFY(missing.listDomainGroups().isEmpty());
}

// ---------------------------------------------------------------------------------------------
// Real programs in the sandbox

void TestSambaAccountStore::realUserLists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("system");
    QTest::addColumn<bool>("regular");

    QTest::newRow("root") << QStringLiteral("root") << true << false;
    QTest::newRow("uid 2499") << QStringLiteral("swsystem") << true << false;
    QTest::newRow("uid 2500") << QStringLiteral("swregular") << false << true;
    QTest::newRow("uid 2501") << QStringLiteral("swalice") << false << true;
    QTest::newRow("uid 65534") << QStringLiteral("swnobody") << false << false;
    QTest::newRow("domain-style name") << QStringLiteral("EXAMPLE\\eve") << false << true;
    QTest::newRow("no such user") << QStringLiteral("swghost") << false << false;
}

void TestSambaAccountStore::realUserLists()
{
    REQUIRE_SANDBOX();
    QFETCH(QString, name);
    QFETCH(bool, system);
    QFETCH(bool, regular);

    const QStringList systemUsers = SambaAccountStore::listSystemUsers();
    const QStringList regularUsers = SambaAccountStore::listRegularUsers();
    QCOMPARE(systemUsers.contains(name), system);
    QCOMPARE(regularUsers.contains(name), regular);
}

void TestSambaAccountStore::realGroupLists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("system");
    QTest::addColumn<bool>("regular");

    QTest::newRow("root") << QStringLiteral("root") << true << false;
    QTest::newRow("gid 2499") << QStringLiteral("swsysgroup") << true << false;
    QTest::newRow("gid 2500") << QStringLiteral("swreggroup") << false << true;
    QTest::newRow("gid 2600") << QStringLiteral("swstaff") << false << true;
    QTest::newRow("gid 65534") << QStringLiteral("swnogroup") << false << false;
    QTest::newRow("no such group") << QStringLiteral("swghost") << false << false;
}

void TestSambaAccountStore::realGroupLists()
{
    REQUIRE_SANDBOX();
    QFETCH(QString, name);
    QFETCH(bool, system);
    QFETCH(bool, regular);

    const QStringList systemGroups = SambaAccountStore::listSystemGroups();
    const QStringList regularGroups = SambaAccountStore::listRegularGroups();
    QCOMPARE(systemGroups.contains(name), system);
    QCOMPARE(regularGroups.contains(name), regular);
}

void TestSambaAccountStore::realListsDropDuplicates()
{
    REQUIRE_SANDBOX();
    // A name twice in a database (as with several NSS sources) is listed once. The files are the
    // sandbox's copies; they are restored for the tests that follow.
    const QList<QPair<QString, QByteArray>> additions = {
        {QStringLiteral("/etc/passwd"),
         "swregular:x:2600:2600::/nonexistent:/usr/sbin/nologin\n"
         "swsystem:x:2498:2600::/nonexistent:/usr/sbin/nologin\n"},
        {QStringLiteral("/etc/group"), "swreggroup:x:2601:\nswsysgroup:x:2498:\n"},
    };
    QList<QByteArray> originals;
    for (const auto &addition : additions) {
        QFile file(addition.first);
        QVERIFY(file.open(QIODevice::ReadOnly));
        originals.append(file.readAll());
        file.close();
        QVERIFY(file.open(QIODevice::Append));
        file.write(addition.second);
    }

    const QStringList lists[] = {SambaAccountStore::listSystemUsers(), SambaAccountStore::listRegularUsers(),
                                 SambaAccountStore::listSystemGroups(),
                                 SambaAccountStore::listRegularGroups()};

    for (int i = 0; i < additions.size(); ++i) {
        QFile file(additions.at(i).first);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(originals.at(i));
    }

    QCOMPARE(lists[0].count(QStringLiteral("swsystem")), 1);
    QCOMPARE(lists[1].count(QStringLiteral("swregular")), 1);
    QCOMPARE(lists[2].count(QStringLiteral("swsysgroup")), 1);
    QCOMPARE(lists[3].count(QStringLiteral("swreggroup")), 1);
    for (const QStringList &list : lists) {
        QStringList sorted = list;
        sorted.removeDuplicates();
        sorted.sort(Qt::CaseSensitive);
        QCOMPARE(list, sorted);
    }
}

void TestSambaAccountStore::realDomainListsAreEmpty()
{
    REQUIRE_SANDBOX();
    // No winbindd answers in the sandbox: wbinfo fails and prints nothing on standard output.
    const SambaAccountStore store;
    QCOMPARE(store.listDomainUsers(), QStringList());
    QCOMPARE(store.listDomainGroups(), QStringList());
    const ProgramRun run = runProgram(QStringLiteral("wbinfo"), {QStringLiteral("-u")});
    QVERIFY2(run.exitCode != 0, "wbinfo answered without winbindd");
}

void TestSambaAccountStore::realListing()
{
    REQUIRE_SANDBOX();
    CLEAR_SAMBA_ACCOUNTS();
    const SambaAccountStore store;
    QCOMPARE(store.loadSambaUsers(), SambaUserMap());
    QCOMPARE(store.loadSambaGroups(), SambaGroupMap());

    for (const QString &name :
         {QStringLiteral("swalice"), QStringLiteral("swnobody"), QStringLiteral("john.doe"),
          QStringLiteral("EXAMPLE\\eve"), QStringLiteral("swcarol")}) {
        QVERIFY2(store.addSambaUser(name, QStringLiteral("Secret1")), qPrintable(name));
    }
    // A full name with a colon in it.
    runAsRoot(QStringLiteral("/usr/bin/pdbedit"),
              {QStringLiteral("-r"), QStringLiteral("-u"), QStringLiteral("swcarol"), QStringLiteral("-f"),
               QStringLiteral("Carol: the admin")});

    // A machine account: pdbedit -m adds the "$" to the name of the Unix account pc01$.
    runAsRoot(QStringLiteral("/usr/bin/pdbedit"),
              {QStringLiteral("-a"), QStringLiteral("-m"), QStringLiteral("-u"), QStringLiteral("pc01$")});

    const ProgramRun listing = runProgram(QStringLiteral("/usr/bin/pdbedit"), {QStringLiteral("-L")});
    QVERIFY(listing.output.contains("john.doe:2506:\n"));
    QVERIFY(listing.output.contains("swcarol:2503:Carol: the admin\n"));
    QVERIFY(listing.output.contains("EXAMPLE\\eve:2507:\n"));
    QVERIFY(listing.output.contains("pc01$:2508:\n"));

    const QStringList expected = {QStringLiteral("EXAMPLE\\eve"), QStringLiteral("john.doe"),
                                  QStringLiteral("pc01$"),        QStringLiteral("swalice"),
                                  QStringLiteral("swcarol"),      QStringLiteral("swnobody")};
    const SambaUserMap users = store.loadSambaUsers();
    QCOMPARE(users.keys(), expected);
    for (const SambaUser &user : users) {
        QVERIFY(user.password().isEmpty());
        QVERIFY(!user.changed());
        QCOMPARE(user.isMachineAccount(), user.name() == QLatin1String("pc01$"));
    }
    // Users are no groups.
    QCOMPARE(store.loadSambaGroups(), SambaGroupMap());
}

void TestSambaAccountStore::realAddUser_data()
{
    QTest::addColumn<QString>("password");

    QTest::newRow("ASCII") << QStringLiteral("Secret1");
    QTest::newRow("empty") << QString();
    QTest::newRow("spaces and shell characters") << QStringLiteral(" a b\t$HOME 'x' \"y\" \\n; ");
    QTest::newRow("Latin-1") << QStringLiteral("Gr\u00fc\u00dfe-Stra\u00dfe");
    QTest::newRow("Cyrillic") << QStringLiteral("\u043f\u0430\u0440\u043e\u043b\u044c");
    QTest::newRow("euro sign") << QStringLiteral("100\u20ac");
    QTest::newRow("CJK and emoji") << QStringLiteral("\u5bc6\u7801\U0001F511");
    QTest::newRow("long") << QString(120, QLatin1Char('x'));
}

void TestSambaAccountStore::realAddUser()
{
    REQUIRE_SANDBOX();
    CLEAR_SAMBA_ACCOUNTS();
    QFETCH(QString, password);
    const SambaAccountStore store;
    const QString name = QStringLiteral("swpass");

    QString message = QStringLiteral("not set");
    QVERIFY2(store.addSambaUser(name, password, &message), qPrintable(message));
    QCOMPARE(message, QString());
    QCOMPARE(sambaNtHashes().value(name), ntHash(password));

    // Latin-1 encoding would have turned every other character into '?'.
    const QString latin1Degraded = QString::fromLatin1(password.toLatin1());
    if (latin1Degraded != password) {
        QVERIFY(sambaNtHashes().value(name) != ntHash(latin1Degraded));
    }
    QVERIFY(store.loadSambaUsers().contains(name));
}

void TestSambaAccountStore::realAddUserFailure()
{
    REQUIRE_SANDBOX();
    CLEAR_SAMBA_ACCOUNTS();
    const SambaAccountStore store;
    QString message;
    QVERIFY(!store.addSambaUser(QStringLiteral("swghost"), QStringLiteral("Secret1"), &message));
    QVERIFY2(message.contains(QLatin1String("swghost")), qPrintable(message));
    QVERIFY(sambaNtHashes().isEmpty());
}

// smbpasswd -s -a, run by root, set root's own password; pdbedit -x -u -d disabled it.
void TestSambaAccountStore::realNamesLikeOptions()
{
    REQUIRE_SANDBOX();
    CLEAR_SAMBA_ACCOUNTS();
    const SambaAccountStore store;
    QVERIFY(store.addSambaUser(QStringLiteral("root"), QStringLiteral("Root1")));
    const QMap<QString, QByteArray> before = sambaNtHashes();
    QCOMPARE(before.value(QStringLiteral("root")), ntHash(QStringLiteral("Root1")));

    QString message;
    QVERIFY(!store.setSambaPassword(QStringLiteral("-a"), QStringLiteral("pw"), &message));
    QVERIFY(!store.setSambaPassword(QStringLiteral("-d"), QStringLiteral("pw"), &message));
    QVERIFY(!store.addSambaUser(QStringLiteral("-d"), QStringLiteral("pw"), &message));
    QVERIFY(!store.deleteSambaUser(QStringLiteral("-u"), &message));
    QVERIFY(!store.addSambaGroup(QStringLiteral("-d"), &message));
    QCOMPARE(message, QStringLiteral("An account name cannot begin with \u201c-\u201d: -d"));
    QCOMPARE(sambaNtHashes(), before);
    const ProgramRun flags = runProgram(QStringLiteral("/usr/bin/pdbedit"), names("-L -w root"));
    QVERIFY2(flags.output.contains(":[U "), flags.output.constData());
    QCOMPARE(groupMappings(), QStringList());
}

void TestSambaAccountStore::realDeleteUser()
{
    REQUIRE_SANDBOX();
    CLEAR_SAMBA_ACCOUNTS();
    const SambaAccountStore store;
    QVERIFY(store.addSambaUser(QStringLiteral("swalice"), QStringLiteral("a")));
    QVERIFY(store.addSambaUser(QStringLiteral("swbob"), QStringLiteral("b")));

    QString message = QStringLiteral("not set");
    QVERIFY(store.deleteSambaUser(QStringLiteral("swalice"), &message));
    QCOMPARE(message, QString());
    QCOMPARE(store.loadSambaUsers().keys(), names("swbob"));

    QVERIFY(!store.deleteSambaUser(QStringLiteral("swalice"), &message));
    QVERIFY2(message.contains(QLatin1String("swalice")), qPrintable(message));
    QCOMPARE(store.loadSambaUsers().keys(), names("swbob"));
}

void TestSambaAccountStore::realSync()
{
    REQUIRE_SANDBOX();
    CLEAR_SAMBA_ACCOUNTS();
    const SambaAccountStore store;
    QVERIFY(store.addSambaUser(QStringLiteral("swalice"), QStringLiteral("alice-1")));
    QVERIFY(store.addSambaUser(QStringLiteral("swbob"), QStringLiteral("bob-1")));
    QVERIFY(store.addSambaUser(QStringLiteral("swcarol"), QStringLiteral("carol-1")));

    const SambaUserMap saved = store.loadSambaUsers();
    QCOMPARE(saved.keys(), names("swalice swbob swcarol"));
    SambaUserMap current = saved;
    current[QStringLiteral("swbob")].setPassword(QStringLiteral("b\u00f6b-2 \u20ac"));
    current.remove(QStringLiteral("swcarol"));
    current.insert(QStringLiteral("swdave"), changedUser(QStringLiteral("swdave"), QStringLiteral("dave-1")));

    QCOMPARE(store.syncSambaUsers(current, saved), SambaAccountFailures());

    const QMap<QString, QByteArray> hashes = sambaNtHashes();
    QCOMPARE(hashes.keys(), names("swalice swbob swdave"));
    QCOMPARE(hashes.value(QStringLiteral("swalice")), ntHash(QStringLiteral("alice-1")));
    QCOMPARE(hashes.value(QStringLiteral("swbob")), ntHash(QStringLiteral("b\u00f6b-2 \u20ac")));
    QCOMPARE(hashes.value(QStringLiteral("swdave")), ntHash(QStringLiteral("dave-1")));
    for (const SambaUser &user : qAsConst(current)) {
        QVERIFY(!user.changed());
    }

    // Saving again without changes leaves pdbedit alone.
    QCOMPARE(store.syncSambaUsers(current, current), SambaAccountFailures());
    QCOMPARE(sambaNtHashes(), hashes);
}

void TestSambaAccountStore::realSyncReportsFailures()
{
    REQUIRE_SANDBOX();
    CLEAR_SAMBA_ACCOUNTS();
    const SambaAccountStore store;
    QVERIFY(store.addSambaUser(QStringLiteral("swalice"), QStringLiteral("alice-1")));

    SambaUserMap saved = store.loadSambaUsers();
    saved.insert(QStringLiteral("swcarol"),
                 SambaUser(QStringLiteral("swcarol"))); // gone from pdbedit meanwhile
    SambaUserMap current;
    current.insert(QStringLiteral("swalice"),
                   changedUser(QStringLiteral("swalice"), QStringLiteral("alice-2")));
    current.insert(QStringLiteral("swghost"), changedUser(QStringLiteral("swghost"), QStringLiteral("x")));

    const SambaAccountFailures failures = store.syncSambaUsers(current, saved);
    QCOMPARE(failures.size(), 2);
    QCOMPARE(failures.at(0).account(), QStringLiteral("swghost"));
    QCOMPARE(failures.at(0).operation(), SambaAccountFailure::AddUser);
    QVERIFY2(failures.at(0).message().contains(QLatin1String("swghost")),
             qPrintable(failures.at(0).message()));
    QCOMPARE(failures.at(1).account(), QStringLiteral("swcarol"));
    QCOMPARE(failures.at(1).operation(), SambaAccountFailure::DeleteUser);
    QVERIFY2(failures.at(1).message().contains(QLatin1String("swcarol")),
             qPrintable(failures.at(1).message()));

    QCOMPARE(sambaNtHashes().keys(), names("swalice"));
    QCOMPARE(sambaNtHashes().value(QStringLiteral("swalice")), ntHash(QStringLiteral("alice-2")));
}

void TestSambaAccountStore::realPasswordChangeKeepsAccount_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("throughSync");

    QTest::newRow("ASCII") << QStringLiteral("Secret2") << false;
    QTest::newRow("outside Latin-1, by the save") << QStringLiteral("n\u00e9w \u20ac\U0001F511") << true;
    QTest::newRow("shell characters, by the save") << QStringLiteral(" $HOME 'x' \\n; ") << true;
    QTest::newRow("the longest, 254 bytes") << QString(254, QLatin1Char('k')) << false;
    QTest::newRow("the longest, 127 two-byte characters") << QString(127, QChar(0xe4)) << false;
}

void TestSambaAccountStore::realPasswordChangeKeepsAccount()
{
    REQUIRE_SANDBOX();
    CLEAR_SAMBA_ACCOUNTS();
    QFETCH(QString, password);
    QFETCH(bool, throughSync);
    const SambaAccountStore store;
    const QString name = QStringLiteral("swbob");
    QVERIFY(store.addSambaUser(name, QStringLiteral("old")));
    runAsRoot(QStringLiteral("/usr/bin/pdbedit"),
              {QStringLiteral("-r"), QStringLiteral("-u"), name, QStringLiteral("-f"),
               QStringLiteral("Bob Builder"), QStringLiteral("-c"), QStringLiteral("[X]")});
    // "pdbedit -Lv" without the password time stamps, which do change.
    const auto details = [&name] {
        QByteArrayList kept;
        const QByteArrayList lines =
            runProgram(QStringLiteral("/usr/bin/pdbedit"), {QStringLiteral("-Lv"), name}).output.split('\n');
        for (const QByteArray &line : lines) {
            if (!line.startsWith("Password ")) {
                kept << line;
            }
        }
        return kept.join('\n');
    };
    const QByteArray before = details();
    QVERIFY2(before.contains("Full Name:            Bob Builder\n") && before.contains("[UX")
                 && before.contains("User SID:"),
             before.constData());

    if (throughSync) {
        const SambaUserMap saved = store.loadSambaUsers();
        SambaUserMap current = saved;
        current[name].setPassword(password);
        QCOMPARE(store.syncSambaUsers(current, saved), SambaAccountFailures());
    } else {
        QString message = QStringLiteral("not set");
        QVERIFY2(store.setSambaPassword(name, password, &message), qPrintable(message));
        QCOMPARE(message, QString());
    }
    QCOMPARE(details(), before);
    QCOMPARE(sambaNtHashes().value(name), ntHash(password));

    // No account, no password: smbpasswd adds none.
    QString message;
    QVERIFY(!store.setSambaPassword(QStringLiteral("swcarol"), password, &message));
    QVERIFY2(message.contains(QLatin1String("swcarol")), qPrintable(message));
    QCOMPARE(sambaNtHashes().keys(), QStringList{name});
}

void TestSambaAccountStore::realGroupCommands()
{
    REQUIRE_SANDBOX();
    CLEAR_SAMBA_ACCOUNTS();
    const SambaAccountStore store;
    QString message = QStringLiteral("not set");
    QVERIFY2(store.addSambaGroup(QStringLiteral("swstaff"), &message), qPrintable(message));
    QCOMPARE(message, QString());
    QCOMPARE(store.loadSambaGroups().keys(), names("swstaff"));
    QVERIFY2(groupMappings().constFirst().endsWith(QLatin1String(") -> swstaff")),
             qPrintable(groupMappings().join(QLatin1Char('\n'))));

    // net reports these refusals on its standard output.
    QVERIFY(!store.addSambaGroup(QStringLiteral("swstaff"), &message));
    QVERIFY2(message.contains(QLatin1String("already mapped")), qPrintable(message));
    QVERIFY(!store.addSambaGroup(QStringLiteral("swghost"), &message));
    QVERIFY2(message.contains(QLatin1String("swghost")), qPrintable(message));

    // A Samba user is no group: neither listed nor deleted as one.
    QVERIFY(store.addSambaUser(QStringLiteral("swalice"), QStringLiteral("a")));
    QCOMPARE(store.loadSambaGroups().keys(), names("swstaff"));
    QVERIFY(!store.deleteSambaGroup(QStringLiteral("swalice"), &message));
    QVERIFY2(message.contains(QLatin1String("swalice")), qPrintable(message));
    QCOMPARE(store.loadSambaUsers().keys(), names("swalice"));

    QVERIFY(store.deleteSambaGroup(QStringLiteral("swstaff"), &message));
    QCOMPARE(message, QString());
    QCOMPARE(store.loadSambaGroups(), SambaGroupMap());

    // The save: a group the system lacks is reported, the others are mapped and unmapped.
    SambaGroupMap current{{QStringLiteral("swstaff"), changedGroup(QStringLiteral("swstaff"))},
                          {QStringLiteral("swghost"), changedGroup(QStringLiteral("swghost"))}};
    SambaAccountFailures failures = store.syncSambaGroups(current, SambaGroupMap());
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures.at(0).account(), QStringLiteral("swghost"));
    QCOMPARE(failures.at(0).operation(), SambaAccountFailure::AddGroup);
    QCOMPARE(store.loadSambaGroups().keys(), names("swstaff"));
    SambaGroupMap none;
    QCOMPARE(store.syncSambaGroups(none, store.loadSambaGroups()), SambaAccountFailures());
    QCOMPARE(store.loadSambaGroups(), SambaGroupMap());
    QCOMPARE(store.loadSambaUsers().keys(), names("swalice"));
}

// Runs itself again inside sandbox.sh when it can: there useradd, groupadd and pdbedit work on
// throwaway copies of the databases and Samba's state.
int main(int argc, char *argv[])
{
    enterAccountSandbox(argc, argv);
    QCoreApplication app(argc, argv);
    TestSambaAccountStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sambaaccountstore.moc"
