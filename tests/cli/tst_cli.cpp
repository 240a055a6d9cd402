// The command-line tool as administrators run it: the real binary in a process.
#include "processrun.h"
#include "testfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

ProcessRun runCli(const QStringList &arguments)
{
    return runProcess(QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli"), arguments);
}

// A file in a style of its own: CRLF, TAB indentation, capitalised booleans.
const char editedFile[] = "[global]\r\n\tworkgroup = W\r\n\r\n[data]\r\n\tpath = /srv/data\r\n"
                          "\tcomment = Team data\r\n\tread only = Yes\r\n";

const char threeShares[] =
    "[global]\n   workgroup = W\n\n[data]\n   path = /tmp\n\n[music]\n   path = /tmp\n\n"
    "[zeta]\n   path = /tmp\n";

// A share with every feature, written by hand: a module line in an order of its own, a key
// spelt otherwise.
const char featuredFile[] = "[global]\n   workgroup = W\n\n[data]\n   path = /srv/data\n"
                            "   vfs objects = shadow_copy2 recycle catia fruit streams_xattr\n"
                            "   recycle:repository = .trash\n   recycle:Keep Tree = Yes\n"
                            "   fruit:time machine = yes\n   fruit:time machine max size = 1T\n"
                            "   shadow:snapdir = .snaps\n   shadow:format = snap-%Y%m%d\n";

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

// Runs command on a file holding initial. Each edit changes exactly its line, in the line's
// own style; an edit that changes nothing and a refused one leave the file untouched,
// modification time included.
void checkEdit(const QByteArray &initial, const QStringList &command, int exitCode,
               const QByteArray &expected, const QByteArray &said = QByteArray())
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(initial) == initial.size());
    file.close();
    const QDateTime before = QDateTime::currentDateTime().addSecs(-3600);
    QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(before, QFileDevice::FileModificationTime));
    file.close();

    const ProcessRun result = runCli(QStringList{QStringLiteral("--config"), config} + command);
    QVERIFY2(result.exitCode == exitCode, result.err.constData());
    QCOMPARE(result.err.isEmpty(), exitCode == 0);
    QVERIFY2(result.err.contains(said), result.err.constData());
    // A refusal is one line that says what is wrong.
    QVERIFY2(result.err.count('\n') <= 1, result.err.constData());
    if (expected.isEmpty()) {
        QCOMPARE(readFile(config), initial);
        QCOMPARE(QFileInfo(config).lastModified(), before);
    } else {
        QCOMPARE(readFile(config), expected);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("smb.conf")});
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void printRoundTrip_data();
    void printRoundTrip();
    void edits_data();
    void edits();
    void valueEdits_data();
    void valueEdits();
    void nonUtf8ArgumentRefused();
    void printersStayPrintable();
    void editsAmongShares_data();
    void editsAmongShares();
    void featureEdits_data();
    void featureEdits();
    void showFeatures();
    void printFailures_data();
    void printFailures();
    void usageErrors_data();
    void usageErrors();
    void parallelEditsLoseNothing();
    void directoryPermissions();
    void dryRunAndExitCodes();
    void readingCommands();
    void manPageCoversOptions();
    void serviceCommands();
    void accountCommandsInSandbox();
    void accountListingInSandbox();
    void accountNamesLikeOptionsInSandbox();
    void bashCompletion_data();
    void bashCompletion();
    void historyDiffAndRestore();
    void missingModules();
    void status();
    void disconnect_data();
    void disconnect();
};

void TestCli::printRoundTrip_data()
{
    QTest::addColumn<QString>("input");
    for (const QString &file : smbConfCorpus())
        QTest::newRow(qPrintable(QFileInfo(file).fileName())) << file;
}

// print writes back every byte read.
void TestCli::printRoundTrip()
{
    QFETCH(QString, input);
    const ProcessRun result = runCli({QStringLiteral("print"), input});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.out, readFile(input));
}

void TestCli::edits_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("exitCode");
    // The file after the command; empty when it must stay as it was, untouched.
    QTest::addColumn<QByteArray>("expected");

    const QStringList share{QStringLiteral("share"), QStringLiteral("set"), QStringLiteral("data")};
    QTest::newRow("share comment") << share
            + QStringList{QStringLiteral("--comment"), QStringLiteral("New text")}
                                   << 0 << QByteArray(editedFile).replace("Team data", "New text");
    QTest::newRow("share writable, name in another case")
        << QStringList{QStringLiteral("share"), QStringLiteral("set"), QStringLiteral("DATA"),
                       QStringLiteral("--writable")}
        << 0 << QByteArray(editedFile).replace("read only = Yes", "read only = No");
    QTest::newRow("share set to what it says")
        << share + QStringList{QStringLiteral("--comment"), QStringLiteral("Team data")} << 0 << QByteArray();
    QTest::newRow("global server string")
        << QStringList{QStringLiteral("global"), QStringLiteral("set"), QStringLiteral("--server-string"),
                       QStringLiteral("Files")}
        << 0
        << QByteArray(editedFile)
               .replace("\tworkgroup = W\r\n", "\tworkgroup = W\r\n\tserver string = Files\r\n");
    QTest::newRow("unknown share") << QStringList{
        QStringLiteral("share"), QStringLiteral("set"), QStringLiteral("nope"), QStringLiteral("--comment"),
        QStringLiteral("x")} << 1 << QByteArray();
    QTest::newRow("unknown option") << share + QStringList{QStringLiteral("--colour"), QStringLiteral("red")}
                                    << 2 << QByteArray();
    QTest::newRow("option without value")
        << share + QStringList{QStringLiteral("--comment")} << 2 << QByteArray();
    const QByteArray file(editedFile);
    QTest::newRow("share set guests only")
        << words("share set data --guest only") << 0 << file + "\tguest ok = yes\r\n\tguest only = yes\r\n";
    QTest::newRow("share set, a value that is no boolean")
        << words("share set data --browseable maybe") << 1 << QByteArray();
    QTest::newRow("share add, in the file's style")
        << words("share add pub --path /tmp --guest ok --create-mask 0644") << 0
        << file
            + "\r\n[pub]\r\n\tpath = /tmp\r\n\tread only = yes\r\n\tprintable = no\r\n\tbrowseable = "
              "yes\r\n\tcreate mask = 0644\r\n\tguest ok = yes\r\n\tguest only = no\r\n\r\n";
    // /srv/data does not exist here, like a disk not mounted: the share keeps it.
    QTest::newRow("share set, its missing directory kept")
        << words("share set data --path /srv/data --comment Kept") << 0
        << QByteArray(file).replace("Team data", "Kept");
    QTest::newRow("share set, another missing directory")
        << words("share set data --path /nonexistent/x") << 1 << QByteArray();
    QTest::newRow("share add without a path") << words("share add pub") << 1 << QByteArray();
    QTest::newRow("share add, missing directory")
        << words("share add pub --path /nonexistent/dir") << 1 << QByteArray();
    QTest::newRow("share add, a name in use") << words("share add DATA --path /tmp") << 1 << QByteArray();
    QTest::newRow("share add, the global name")
        << words("share add Globals --path /tmp") << 1 << QByteArray();
    QTest::newRow("share rename") << words("share rename data archive") << 0
                                  << QByteArray(file).replace("[data]", "[archive]");
    QTest::newRow("share remove") << words("share remove Data") << 0
                                  << QByteArray("[global]\r\n\tworkgroup = W\r\n\r\n");
    QTest::newRow("global security domain")
        << words("global set --security domain") << 0
        << QByteArray(file).replace("\tworkgroup = W\r\n",
                                    "\tworkgroup = W\r\n\tsecurity = domain\r\n\tidmap config * : backend = "
                                    "tdb\r\n\tidmap config * : range = 3000-7999\r\n");
    // Parameters the dialogs do not know, with the file's key rules: the last line of any
    // spelling is the one changed.
    QTest::newRow("share param") << words("share set data --param hide\tdot\tfiles=no --param Read\tOnly=no")
                                 << 0
                                 << QByteArray(file).replace("read only = Yes", "read only = no")
            + "\thide dot files = no\r\n";
    QTest::newRow("share unset in every spelling") << words("share set data --unset readonly") << 0
                                                   << QByteArray(file).replace("\tread only = Yes\r\n", "");
    QTest::newRow("global param") << words("global set --param log\tlevel=2") << 0
                                  << QByteArray(file).replace("\tworkgroup = W\r\n",
                                                              "\tworkgroup = W\r\n\tlog level = 2\r\n");
    QTest::newRow("share audit") << words("share set data --audit simple") << 0
                                 << file
            + "\taudit:facility = USER\r\n\taudit:priority = INFO\r\n\tvfs objects = audit\r\n";
    QTest::newRow("share acl setting makes all nine explicit")
        << words("share set data --acl inherit-acls=yes") << 0
        << file
            + "\tnt acl support = true\r\n\tinherit acls = true\r\n\tmap acl inherit = false\r\n\tdos "
              "filemode = "
              "false\r\n\tstore dos attributes = true\r\n\tacl allow execute always = false\r\n\tacl group "
              "control "
              "= false\r\n\tacl map full control = true\r\n\tforce unknown acl user = false\r\n";
    QTest::newRow("share full audit of two operations")
        << words("share set data --audit full --audit-operations open,unlinkat") << 0
        << file
            + "\tfull_audit:prefix = %u|%I\r\n\tfull_audit:success = open unlinkat\r\n\tfull_audit:failure = "
              "open "
              "unlinkat\r\n\tfull_audit:facility = USER\r\n\tfull_audit:priority = "
              "INFO\r\n\tfull_audit:syslog "
              "= "
              "true\r\n\tfull_audit:log_secdesc = false\r\n\tvfs objects = full_audit\r\n";
    QTest::newRow("audit operations without full audit")
        << words("share set data --audit-operations open") << 1 << QByteArray();
    QTest::newRow("share unknown acl setting")
        << words("share set data --acl sharing=yes") << 1 << QByteArray();
    QTest::newRow("global kerberos domain")
        << words("global set --security kerberos-domain --realm ex.com --kerberos-method system-keytab") << 0
        << QByteArray(file).replace("\tworkgroup = W\r\n",
                                    "\tworkgroup = W\r\n\tsecurity = user\r\n\trealm = "
                                    "EX.COM\r\n\tkerberos method = system keytab\r\n");
    QTest::newRow("share write list of users and groups")
        << words("share set data --write-list alice,@staff") << 0 << file + "\twrite list = alice @staff\r\n";
    QTest::newRow("global share printers") << words("global set --share-printers yes") << 0
                                           << file
            + "\r\n[printers]\r\n\tpath = /var/spool/samba\r\n\tcomment = All Printers\r\n\tread only = "
              "yes\r\n\tprintable = yes\r\n\tbrowseable = no\r\n\tcreate mask = 0700\r\n\tguest ok = "
              "no\r\n\tguest only = no\r\n\r\n";
    QTest::newRow("param without '='") << words("share set data --param oops") << 1 << QByteArray();
    // The features' switches act first: an option given before its switch is kept.
    QTest::newRow("recycle bin with an option before it")
        << words("share set data --recycle-param versions=yes --recycle-bin yes") << 0
        << file
            + "\trecycle:keeptree = yes\r\n\trecycle:repository = .recycle/%U\r\n\trecycle:versions = "
              "yes\r\n\tvfs objects = recycle\r\n";
    QTest::newRow("recycle option without a recycle bin")
        << words("share set data --recycle-param versions=yes") << 1 << QByteArray();
    QTest::newRow("time machine of 10 gigabytes")
        << words("share set data --time-machine-max-size 10g --time-machine yes") << 0
        << file
            + "\tfruit:time machine = yes\r\n\tfruit:time machine max size = 10g\r\n\tvfs objects = catia "
              "fruit streams_xattr\r\n";
    QTest::newRow("time machine size in a unit Samba does not read")
        << words("share set data --time-machine yes --time-machine-max-size 10GB") << 1 << QByteArray();
    QTest::newRow("time machine size without time machine")
        << words("share set data --time-machine-max-size 10G") << 1 << QByteArray();
    QTest::newRow("time machine without apple clients")
        << words("share set data --time-machine yes --apple-clients no") << 1 << QByteArray();
    QTest::newRow("apple clients") << words("share set data --apple-clients yes") << 0
                                   << file + "\tvfs objects = catia fruit streams_xattr\r\n";
    QTest::newRow("custom previous versions")
        << words("share add snaps --path /tmp --previous-versions custom --snapshot-param snapdir=.snaps "
                 "--snapshot-param format=snap-%Y%m%d")
        << 0
        << file
            + "\r\n[snaps]\r\n\tpath = /tmp\r\n\tread only = yes\r\n\tprintable = no\r\n\tbrowseable = "
              "yes\r\n\tguest ok = no\r\n\tguest only = no\r\n\tshadow:format = "
              "snap-%Y%m%d\r\n\tshadow:snapdir = "
              ".snaps\r\n\tvfs objects = shadow_copy2\r\n\r\n";
    QTest::newRow("custom previous versions without a format")
        << words("share set data --previous-versions custom --snapshot-param snapdir=.snaps") << 1
        << QByteArray();
    QTest::newRow("previous versions by snapper")
        << words("share set data --previous-versions snapper") << 0 << file + "\tvfs objects = snapper\r\n";
    QTest::newRow("previous versions by zfs, sorted otherwise")
        << words("share set data --previous-versions zfs --snapshot-param sort=asc") << 0
        << file
            + "\tshadow:delimiter = -20\r\n\tshadow:format = -%Y-%m-%d-%H%M\r\n\tshadow:localtime = "
              "yes\r\n\tshadow:snapdir = .zfs/snapshot\r\n\tshadow:snapprefix = "
              "^zfs-auto-snap_\\(frequent\\)\\{0,1\\}\\(hourly\\)\\{0,1\\}\\(daily\\)\\{0,1\\}\\(monthly\\)"
              "\\{0,1\\}"
              "\r\n\tshadow:sort = asc\r\n\tvfs objects = shadow_copy2\r\n";
    QTest::newRow("snapshot option without shadow_copy2")
        << words("share set data --snapshot-param snapdir=.snaps") << 1 << QByteArray();
    QTest::newRow("unknown previous versions")
        << words("share set data --previous-versions btrfs") << 1 << QByteArray();
    QTest::newRow("global ads without a realm") << words("global set --security ads") << 1 << QByteArray();
    QTest::newRow("global unknown mode") << words("global set --security share-level") << 1 << QByteArray();
}

// Values and keys as Samba must read them back: refused with a message that names what is
// wrong, exit 1, the file untouched; or written exactly.
void TestCli::valueEdits_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QByteArray>("said");
    const QByteArray file(editedFile);
    const QStringList share{QStringLiteral("share"), QStringLiteral("set"), QStringLiteral("data")};
    const QStringList global{QStringLiteral("global"), QStringLiteral("set")};
    const auto with = [](const QStringList &command, const char *option, const QString &value) {
        return command + QStringList{QLatin1String(option), value};
    };
    QTest::newRow("comment ending in a backslash")
        << with(share, "--comment", QStringLiteral("Backup of C:\\")) << 1 << QByteArray()
        << QByteArray(
               "The value of \"comment\" cannot be written to smb.conf: it ends with a backslash (\\)");
    QTest::newRow("comment with a backslash inside")
        << with(share, "--comment", QStringLiteral("C:\\data")) << 0
        << QByteArray(file).replace("Team data", "C:\\data") << QByteArray();
    QTest::newRow("server string with two blanks inside")
        << with(global, "--server-string", QStringLiteral("a  b")) << 1 << QByteArray()
        << QByteArray("two blanks in a row");
    QTest::newRow("value ending in a blank the option keeps")
        << with(share, "--comment", QStringLiteral("Team ")) << 1 << QByteArray()
        << QByteArray("ends with a space");
    QTest::newRow("parameter name opening a section")
        << with(share, "--param", QStringLiteral("[root]path=/")) << 1 << QByteArray()
        << QByteArray("'[root]path' is no parameter name: it contains \"[\"");
    QTest::newRow("parameter name with a semicolon") << with(share, "--param", QStringLiteral(";x=1")) << 1
                                                     << QByteArray() << QByteArray("contains \";\"");
    QTest::newRow("parameter testparm does not know")
        << with(share, "--param", QStringLiteral("no such thing=1")) << 1 << QByteArray()
        << QByteArray("testparm knows no parameter 'no such thing'");
    QTest::newRow("global parameter testparm does not know")
        << with(global, "--param", QStringLiteral("nosuch=1")) << 1 << QByteArray()
        << QByteArray("testparm knows no parameter 'nosuch'");
    QTest::newRow("parameter in another spelling")
        << with(share, "--param", QStringLiteral("Browsable=no")) << 0 << file + "\tBrowsable = no\r\n"
        << QByteArray();
    QTest::newRow("module option") << with(share, "--param", QStringLiteral("recycle:repository=.bin")) << 0
                                   << file + "\trecycle:repository = .bin\r\n"
                                   << QByteArray();
    QTest::newRow("module option without a key") << with(share, "--param", QStringLiteral("recycle:=x")) << 1
                                                 << QByteArray() << QByteArray("NAME:KEY");
    QTest::newRow("empty server string written empty")
        << with(global, "--server-string", QString()) << 0
        << QByteArray(file).replace("\tworkgroup = W\r\n", "\tworkgroup = W\r\n\tserver string = \r\n")
        << QByteArray();
    QTest::newRow("encrypt passwords no")
        << with(global, "--encrypt-passwords", QStringLiteral("no")) << 1 << QByteArray()
        << QByteArray("testparm says \"The \"encrypt passwords\" option is deprecated\"");
    QTest::newRow("encrypt passwords as a parameter")
        << with(global, "--param", QStringLiteral("encrypt passwords=yes")) << 1 << QByteArray()
        << QByteArray("option is deprecated");
    // An option that takes a value takes the next argument, whatever it looks like.
    QTest::newRow("value looking like a switch of every command")
        << words("share set data --comment --allow-missing-modules --writable") << 0
        << QByteArray(file)
               .replace("Team data", "--allow-missing-modules")
               .replace("read only = Yes", "read only = No")
        << QByteArray();
    QTest::newRow("value looking like --dry-run")
        << words("share set data --comment --dry-run --read-only") << 0
        << QByteArray(file).replace("Team data", "--dry-run") << QByteArray();
    QTest::newRow("value after equals")
        << words("share set data --comment=--writable") << 0
        << QByteArray(file).replace("Team data", "--writable") << QByteArray();
    QTest::newRow("global value looking like an option")
        << words("global set --server-string --share-printers") << 0
        << QByteArray(file).replace("\tworkgroup = W\r\n",
                                    "\tworkgroup = W\r\n\tserver string = --share-printers\r\n")
        << QByteArray();
    QTest::newRow("name after the end of the options")
        << words("share set --comment Moved -- data") << 0 << QByteArray(file).replace("Team data", "Moved")
        << QByteArray();
    QTest::newRow("switch given a value") << words("share set data --writable=yes") << 2 << QByteArray()
                                          << QByteArray("--writable takes no value");
    QTest::newRow("global switch given a value") << words("share set data --comment x --dry-run=no") << 2
                                                 << QByteArray() << QByteArray("--dry-run takes no value");
    QTest::newRow("switch after the end of the options")
        << words("share set data -- --writable") << 2 << QByteArray()
        << QByteArray("one share NAME, not 'data' '--writable'");
    QTest::newRow("global switch after the end of the options")
        << words("share set --comment x -- data --dry-run") << 2 << QByteArray()
        << QByteArray("one share NAME");
    QTest::newRow("relative path")
        << words("share set data --path srv/data") << 1 << QByteArray()
        << QByteArray("The path srv/data is relative: give the whole path, beginning with /.\n");
    QTest::newRow("missing directory named on one line")
        << words("share add pub --path /nonexistent/dir") << 1 << QByteArray()
        << QByteArray("shareward-cli: Directory /nonexistent/dir not found.\n");
    // smbcontrol reads "*" as every share.
    QTest::newRow("share named *") << words("share add * --path /tmp") << 1 << QByteArray()
                                   << QByteArray("The share name must not contain '*'");
    QTest::newRow("share name with *") << words("share add a*b --path /tmp") << 1 << QByteArray()
                                       << QByteArray("The share name must not contain '*'");
    QTest::newRow("share renamed to *") << words("share rename data *") << 1 << QByteArray()
                                        << QByteArray("The share name must not contain '*'");
    // testparm: "[printers] service MUST be printable!"
    QTest::newRow("printers added as Samba needs them") << words("share add printers --path /tmp") << 0
                                                        << file
            + "\r\n[printers]\r\n\tpath = /tmp\r\n\tcomment = All Printers\r\n\tread only = yes\r\n"
              "\tprintable = yes\r\n\tbrowseable = no\r\n\tcreate mask = 0700\r\n\tguest ok = no\r\n"
              "\tguest only = no\r\n\r\n" << QByteArray();
    QTest::newRow("printers not printable")
        << words("share add Printers --path /tmp --printable no") << 1 << QByteArray()
        << QByteArray(
               "[printers] must be printable: testparm says \"[printers] service MUST be printable!\"");
    QTest::newRow("encrypt passwords yes, Samba's own")
        << with(global, "--encrypt-passwords", QStringLiteral("yes")) << 0 << QByteArray() << QByteArray();
}

void TestCli::valueEdits()
{
    QFETCH(QStringList, command);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, expected);
    QFETCH(QByteArray, said);
    checkEdit(editedFile, command, exitCode, expected, said);
}

// testparm: "[printers] service MUST be printable!"; another field of it is still edited.
void TestCli::printersStayPrintable()
{
    const QByteArray printers =
        "[global]\n   workgroup = W\n[printers]\n   path = /tmp\n   printable = yes\n";
    checkEdit(printers, words("share set printers --printable no"), 1, QByteArray(),
              "[printers] must be printable");
    checkEdit(printers, words("share set PRINTERS --comment Spool"), 0,
              QByteArray(printers).replace("yes\n", "yes\n   comment = Spool\n"));
}

// A byte that is not UTF-8 would be written as U+FFFD: the argument is refused instead.
void TestCli::nonUtf8ArgumentRefused()
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(config, editedFile));
    // The Latin-1 "é" of "café", which no QString can carry to the program.
    const ProcessRun result =
        runProcess(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"),
                    QStringLiteral("exec \"$0\" --config \"$1\" share set data --comment "
                                   "\"$(printf 'caf\\351 x')\""),
                    QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli"), config});
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.startsWith("shareward-cli: argument 7 is not valid UTF-8: caf\xef\xbf\xbd x"),
             result.err.constData());
    QCOMPARE(readFile(config), QByteArray(editedFile));
}

// An edit of one share reads that share alone: the others still count where names must differ.
void TestCli::editsAmongShares_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray file(threeShares);
    QTest::newRow("rename onto another share") << words("share rename data Music") << 1 << QByteArray();
    QTest::newRow("add a name another share has")
        << words("share add MUSIC --path /tmp") << 1 << QByteArray();
    QTest::newRow("rename to its own name in capitals")
        << words("share rename data DATA") << 0 << QByteArray(file).replace("[data]", "[DATA]");
    QTest::newRow("set the last share")
        << words("share set Zeta --comment Z") << 0
        << QByteArray(file).replace("[zeta]\n   path = /tmp\n", "[zeta]\n   path = /tmp\n   comment = Z\n");
    QTest::newRow("remove the middle share")
        << words("share remove music") << 0 << QByteArray(file).replace("[music]\n   path = /tmp\n\n", "");
    QTest::newRow("remove, the name after the end of the options")
        << words("share remove -- music") << 0 << QByteArray(file).replace("[music]\n   path = /tmp\n\n", "");
    QTest::newRow("rename, the names after the end of the options")
        << words("share rename -- data DATA") << 0 << QByteArray(file).replace("[data]", "[DATA]");
    QTest::newRow("remove, a name that looks like an option")
        << words("share remove --zeta") << 2 << QByteArray();
    QTest::newRow("remove, a global switch after the end of the options")
        << words("share remove -- music --dry-run") << 2 << QByteArray();
}

void TestCli::editsAmongShares()
{
    QFETCH(QStringList, command);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, expected);
    checkEdit(threeShares, command, exitCode, expected);
}

void TestCli::edits()
{
    QFETCH(QStringList, command);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, expected);
    checkEdit(editedFile, command, exitCode, expected);
}

void TestCli::featureEdits_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray file(featuredFile);
    const QByteArray modules("shadow_copy2 recycle catia fruit streams_xattr");
    QTest::newRow("recycle bin on already") << words("share set data --recycle-bin yes") << 0 << QByteArray();
    QTest::newRow("recycle option in the file's spelling")
        << words("share set data --recycle-param keeptree=no") << 0
        << QByteArray(file).replace("Keep Tree = Yes", "Keep Tree = no");
    QTest::newRow("recycle option unset in another spelling")
        << words("share set data --recycle-param KEEP\tTREE=") << 0
        << QByteArray(file).replace("   recycle:Keep Tree = Yes\n", "");
    QTest::newRow("recycle option without '='")
        << words("share set data --recycle-param keeptree") << 1 << QByteArray();
    QTest::newRow("recycle bin off")
        << words("share set data --recycle-bin no") << 0
        << QByteArray(file)
               .replace(" recycle catia", " catia")
               .replace("   recycle:repository = .trash\n   recycle:Keep Tree = Yes\n", "");
    QTest::newRow("time machine size") << words("share set data --time-machine-max-size 2t") << 0
                                       << QByteArray(file).replace("= 1T", "= 2t");
    QTest::newRow("time machine size removed")
        << QStringList{QStringLiteral("share"), QStringLiteral("set"), QStringLiteral("data"),
                       QStringLiteral("--time-machine-max-size"), QString()}
        << 0 << QByteArray(file).replace("   fruit:time machine max size = 1T\n", "");
    QTest::newRow("time machine on already, its size kept")
        << words("share set data --time-machine yes") << 0 << QByteArray();
    QTest::newRow("time machine off, apple clients kept")
        << words("share set data --time-machine no") << 0
        << QByteArray(file).replace("   fruit:time machine = yes\n   fruit:time machine max size = 1T\n", "");
    QTest::newRow("apple clients off")
        << words("share set data --apple-clients no") << 0
        << QByteArray(file)
               .replace(modules, "shadow_copy2 recycle")
               .replace("   fruit:time machine = yes\n   fruit:time machine max size = 1T\n", "");
    QTest::newRow("custom previous versions kept")
        << words("share set data --previous-versions custom") << 0 << QByteArray();
    QTest::newRow("custom snapshot format")
        << words("share set data --snapshot-param format=@GMT-%Y --previous-versions custom") << 0
        << QByteArray(file).replace("snap-%Y%m%d", "@GMT-%Y");
    QTest::newRow("previous versions off")
        << words("share set data --previous-versions none") << 0
        << QByteArray(file)
               .replace("shadow_copy2 recycle", "recycle")
               .replace("   shadow:snapdir = .snaps\n   shadow:format = snap-%Y%m%d\n", "");
}

void TestCli::featureEdits()
{
    QFETCH(QStringList, command);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, expected);
    checkEdit(featuredFile, command, exitCode, expected);
}

// share show tells the features as the dialog's Features tab does, with their options.
void TestCli::showFeatures()
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(config, featuredFile));
    const ProcessRun json =
        runCli({QStringLiteral("--config"), config, QStringLiteral("share"), QStringLiteral("show"),
                QStringLiteral("data"), QStringLiteral("--json")});
    QCOMPARE(json.exitCode, 0);
    const QJsonObject shown = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(shown.value(QLatin1String("recycleBin")), QJsonValue(true));
    QCOMPARE(shown.value(QLatin1String("recycleOptions")).toObject(),
             (QJsonObject{{QStringLiteral("repository"), QStringLiteral(".trash")},
                          {QStringLiteral("keeptree"), QStringLiteral("Yes")}}));
    QCOMPARE(shown.value(QLatin1String("appleClients")), QJsonValue(true));
    QCOMPARE(shown.value(QLatin1String("timeMachine")), QJsonValue(true));
    QCOMPARE(shown.value(QLatin1String("timeMachineMaxSize")), QJsonValue(QStringLiteral("1T")));
    QCOMPARE(shown.value(QLatin1String("previousVersions")), QJsonValue(QStringLiteral("custom")));
    QCOMPARE(shown.value(QLatin1String("snapshotOptions")).toObject().value(QLatin1String("format")),
             QJsonValue(QStringLiteral("snap-%Y%m%d")));
    const QByteArray text = runCli({QStringLiteral("--config"), config, QStringLiteral("share"),
                                    QStringLiteral("show"), QStringLiteral("data")})
                                .out;
    QVERIFY2(text.contains("\nrecycleOptions: keeptree=Yes; repository=.trash\n"), text.constData());
    QVERIFY(text.contains("\nsnapshotOptions: format=snap-%Y%m%d; snapdir=.snaps\n"));

    // Without shadow_copy2 nor snapper, and with snapper alone.
    for (const auto &[modules, expected] : {std::pair("recycle", "none"), std::pair("snapper", "snapper")}) {
        QVERIFY(writeFile(config, QByteArray("[data]\n   path = /srv\n   vfs objects = ") + modules + '\n'));
        const QJsonObject other =
            QJsonDocument::fromJson(
                runCli({QStringLiteral("--config"), config, QStringLiteral("share"), QStringLiteral("show"),
                        QStringLiteral("data"), QStringLiteral("--json")})
                    .out)
                .object();
        QCOMPARE(other.value(QLatin1String("previousVersions")).toString(), QLatin1String(expected));
        QCOMPARE(other.value(QLatin1String("appleClients")), QJsonValue(false));
        QCOMPARE(other.value(QLatin1String("snapshotOptions")).toObject(), QJsonObject());
    }
}

void TestCli::printFailures_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("reason");
    QTest::newRow("missing") << QStringLiteral("/nonexistent/smb.conf") << QByteArray("No such file");
    QTest::newRow("directory") << QStringLiteral("/etc") << QByteArray("Is a directory");
    QTest::newRow("through a file") << QStringLiteral("/etc/hostname/smb.conf")
                                    << QByteArray("Not a directory");
    // Opens, but every read fails with an I/O error.
    QTest::newRow("read error") << QStringLiteral("/proc/self/mem") << QByteArray("Input/output error");
    // Refused at once, neither waited on nor read without end.
    QTest::newRow("endless device") << QStringLiteral("/dev/zero") << QByteArray("Not a regular file");
    QTest::newRow("fifo without a writer") << QStringLiteral("{fifo}") << QByteArray("Not a regular file");
}

void TestCli::printFailures()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, reason);
    QTemporaryDir dir;
    if (path == QLatin1String("{fifo}")) {
        path = dir.filePath(QStringLiteral("smb.conf"));
        QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
    }
    // Every command that reads a file says the same.
    for (const char *command : {"print", "show", "save"}) {
        const ProcessRun result = runCli({QString::fromLatin1(command), path});
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.out, QByteArray());
        QCOMPARE(result.err.count('\n'), 1);
        QVERIFY2(result.err.startsWith("shareward-cli: cannot read " + path.toUtf8()),
                 result.err.constData());
        QVERIFY2(result.err.contains(reason), result.err.constData());
    }
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("no command") << QStringList() << 2;
    QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")} << 2;
    QTest::newRow("print without file") << QStringList{QStringLiteral("print")} << 2;
    QTest::newRow("print with two files")
        << QStringList{QStringLiteral("print"), QStringLiteral("a"), QStringLiteral("b")} << 2;
    QTest::newRow("disconnect without a target") << QStringList{QStringLiteral("disconnect")} << 2;
    QTest::newRow("disconnect a pid that is no number") << words("disconnect --pid 7x") << 2;
    QTest::newRow("disconnect two targets") << words("disconnect --pid 7 --share data") << 2;
    QTest::newRow("status with an unknown option") << words("status --verbose") << 2;
    QTest::newRow("help") << QStringList{QStringLiteral("help")} << 0;
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    const ProcessRun result = runCli(arguments);
    QCOMPARE(result.exitCode, exitCode);
    if (exitCode == 0)
        QVERIFY(result.out.contains("print FILE"));
    else
        QVERIFY(!result.err.isEmpty());
}

// Edits of different shares started together all land, one after another: each applies to
// the file as the one before left it. smb.conf is a complete text testparm accepts all the
// while.
void TestCli::parallelEditsLoseNothing()
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QByteArray text = "[global]\n   workgroup = W\n";
    const int count = 20;
    for (int i = 0; i < count; ++i)
        text += "\n[share" + QByteArray::number(i) + "]\n   path = /srv/" + QByteArray::number(i) + "\n";
    QVERIFY(writeFile(config, text));

    std::vector<std::unique_ptr<QProcess>> editors;
    for (int i = 0; i < count; ++i) {
        editors.push_back(std::make_unique<QProcess>());
        editors.back()->setProcessEnvironment(testEnvironment());
        editors.back()->start(QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli"),
                              {QStringLiteral("--config"), config, QStringLiteral("share"),
                               QStringLiteral("set"), QStringLiteral("share%1").arg(i),
                               QStringLiteral("--comment"), QStringLiteral("edit %1").arg(i)});
    }
    for (int i = 0; i < count; ++i) {
        QProcess &editor = *editors[static_cast<std::size_t>(i)];
        QVERIFY(editor.waitForFinished(90000));
        const QByteArray err = editor.readAllStandardError();
        QVERIFY2(editor.exitStatus() == QProcess::NormalExit && editor.exitCode() == 0, err.constData());
    }
    const QByteArray saved = readFile(config);
    for (int i = 0; i < count; ++i)
        QVERIFY2(saved.contains("comment = edit " + QByteArray::number(i) + '\n'),
                 qPrintable(QStringLiteral("edit %1 was lost").arg(i)));
    const ProcessRun check = runProcess(QStringLiteral("testparm"), {QStringLiteral("-s"), config});
    QVERIFY2(check.exitCode == 0, check.err.constData());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("smb.conf")});
}

// --set-directory-permissions sets the mode the access asks for, after the save; never for a
// sticky directory such as /var/tmp.
void TestCli::directoryPermissions()
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(config, editedFile));
    const QString open = dir.filePath(QStringLiteral("open"));
    const QString spool = dir.filePath(QStringLiteral("spool"));
    QVERIFY(QDir().mkdir(open) && QDir().mkdir(spool));
    QVERIFY(::chmod(QFile::encodeName(open).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(spool).constData(), 01777) == 0);
    auto mode = [](const QString &path) {
        struct stat info = {};
        ::stat(QFile::encodeName(path).constData(), &info);
        return int(info.st_mode & 07777);
    };
    auto run = [&config](const QStringList &arguments) {
        return runCli(QStringList{QStringLiteral("--config"), config} + arguments);
    };
    QCOMPARE(
        run({QStringLiteral("share"), QStringLiteral("add"), QStringLiteral("open"), QStringLiteral("--path"),
             open, QStringLiteral("--set-directory-permissions"), QStringLiteral("--writable")})
            .exitCode,
        0);
    QCOMPARE(mode(open), 01777);
    // Without the option, nothing changes the mode.
    QCOMPARE(run({QStringLiteral("share"), QStringLiteral("set"), QStringLiteral("open"),
                  QStringLiteral("--read-only")})
                 .exitCode,
             0);
    QCOMPARE(mode(open), 01777);
    QCOMPARE(run({QStringLiteral("share"), QStringLiteral("set"), QStringLiteral("open"),
                  QStringLiteral("--set-directory-permissions")})
                 .exitCode,
             0);
    QCOMPARE(mode(open), 0555);
    QCOMPARE(run({QStringLiteral("share"), QStringLiteral("add"), QStringLiteral("spool"),
                  QStringLiteral("--path"), spool, QStringLiteral("--writable"),
                  QStringLiteral("--set-directory-permissions")})
                 .exitCode,
             0);
    QCOMPARE(mode(spool), 01777);
    QVERIFY(::chmod(QFile::encodeName(open).constData(), 0755) == 0);
}

// --dry-run prints the diff and changes nothing; the edit itself prints the same diff and
// exits with --changed-exit-code; repeated, it changes, prints and writes nothing.
void TestCli::dryRunAndExitCodes()
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(config, editedFile));
    const QStringList edit{QStringLiteral("--config"),
                           config,
                           QStringLiteral("share"),
                           QStringLiteral("set"),
                           QStringLiteral("data"),
                           QStringLiteral("--comment"),
                           QStringLiteral("Shared files"),
                           QStringLiteral("--changed-exit-code"),
                           QStringLiteral("5")};
    const QByteArray diff = "--- " + config.toUtf8() + "\n+++ " + config.toUtf8()
        + "\n@@ -3,5 +3,5 @@\n \r\n [data]\r\n \tpath = /srv/data\r\n-\tcomment = Team data\r\n+\tcomment = "
          "Shared "
          "files\r\n \tread only = Yes\r\n";

    const ProcessRun dry = runCli(QStringList{QStringLiteral("--dry-run")} + edit);
    QCOMPARE(dry.exitCode, 0);
    QCOMPARE(dry.out, diff);
    QCOMPARE(readFile(config), QByteArray(editedFile));

    const ProcessRun done = runCli(edit);
    QCOMPARE(done.exitCode, 5);
    QCOMPARE(done.out, diff);
    QVERIFY(readFile(config).contains("\tcomment = Shared files\r\n"));

    const ProcessRun again = runCli(edit);
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(again.out, QByteArray());
    QCOMPARE(again.err, QByteArray());
}

void TestCli::readingCommands()
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(config, editedFile));
    auto run = [&config](const char *command) {
        return runCli(QStringList{QStringLiteral("--config"), config}
                      + QString::fromLatin1(command).split(QLatin1Char(' ')));
    };
    QCOMPARE(run("share list").out, QByteArray("data\t/srv/data\tTeam data\tread-only\tno-guests\tshare\n"));
    const ProcessRun shown = run("share show DATA --json");
    QCOMPARE(shown.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(shown.out).object().value(QLatin1String("comment")).toString(),
             QStringLiteral("Team data"));
    QVERIFY(run("share show data").out.contains("path: /srv/data\n"));
    QCOMPARE(run("share show nope").exitCode, 1);
    const QJsonObject global = QJsonDocument::fromJson(run("global show --json").out).object();
    QCOMPARE(global.value(QLatin1String("workgroup")).toString(), QStringLiteral("W"));
    QCOMPARE(global.value(QLatin1String("security")).toString(), QStringLiteral("user"));
    QCOMPARE(global.value(QLatin1String("guestAccount")).toString(), QStringLiteral("none"));
    // testparm's verdict: accepted here, refused for a broken file.
    const ProcessRun accepted = run("check");
    QVERIFY2(accepted.exitCode == 0, accepted.out.constData());
    QVERIFY(accepted.out.contains("Loaded services file OK."));
    QVERIFY(writeFile(config, "[global]\n   security = bogus\n"));
    const ProcessRun refused = run("check");
    QCOMPARE(refused.exitCode, 1);
    QVERIFY(refused.out.contains("bogus"));
    QCOMPARE(run("share --help").exitCode, 0);
    for (const char *command :
         {"print --help", "check --help", "user --help", "group --help", "service --help"}) {
        const ProcessRun help = run(command);
        QVERIFY2(help.exitCode == 0 && help.out.startsWith("usage: shareward-cli"), command);
    }
}

// The manual page renders without warnings and names every command and option the tool's
// own help lists.
void TestCli::manPageCoversOptions()
{
    const QString page = QStringLiteral(SHAREWARD_SOURCE_DIR "/resources/man/shareward-cli.1");
    QProcessEnvironment environment = testEnvironment();
    environment.insert(QStringLiteral("MANWIDTH"), QStringLiteral("200"));
    const ProcessRun rendered = runProcess(
        QStringLiteral("man"), {QStringLiteral("--warnings"), QStringLiteral("-l"), page}, environment);
    QCOMPARE(rendered.exitCode, 0);
    QCOMPARE(rendered.err, QByteArray());
    const QString text = QString::fromUtf8(rendered.out).replace(QChar(0x2010), QLatin1Char('-'));
    QStringList missing;
    for (const QStringList &help :
         {QStringList{QStringLiteral("help")}, QStringList{QStringLiteral("share"), QStringLiteral("--help")},
          QStringList{QStringLiteral("global"), QStringLiteral("--help")},
          QStringList{QStringLiteral("disconnect"), QStringLiteral("--help")}}) {
        static const QRegularExpression option(QStringLiteral("(--[a-z-]+)"));
        auto matches = option.globalMatch(QString::fromUtf8(runCli(help).out));
        while (matches.hasNext()) {
            const QString name = matches.next().captured(1);
            if (!text.contains(name) && !missing.contains(name))
                missing << name;
        }
    }
    for (const char *command :
         {"print", "show", "save", "check", "share list", "share add", "share set", "share remove",
          "share rename", "global show", "global set", "status", "disconnect --pid", "disconnect --share"}) {
        if (!text.contains(QLatin1String(command)))
            missing << QLatin1String(command);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
}

void TestCli::bashCompletion_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("commands") << "sh"
                              << "show share";
    QTest::newRow("share commands") << "share re"
                                    << "remove rename";
    QTest::newRow("share names of --config") << "--config {config} share set ''"
                                             << "data";
    QTest::newRow("share options") << "share set data --writa"
                                   << "--writable";
    QTest::newRow("guest values") << "share set data --guest ''"
                                  << "ok only no";
    QTest::newRow("security modes") << "global set --security k"
                                    << "kerberos-domain";
    QTest::newRow("feature options") << "share set data --time-m"
                                     << "--time-machine --time-machine-max-size";
    QTest::newRow("time machine values") << "share add tm --time-machine ''"
                                         << "yes no";
    QTest::newRow("previous versions presets") << "share set data --previous-versions ''"
                                               << "none snapper zfs custom";
    QTest::newRow("disconnect targets") << "disconnect --"
                                        << "--pid --share --help";
    QTest::newRow("shares to disconnect") << "--config {config} disconnect --share ''"
                                          << "data";
}

// The completion offers commands, options, their values and the shares of the file in use.
void TestCli::bashCompletion()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(config, editedFile));
    const QString script =
        QStringLiteral(
            "PATH=%1:$PATH; source %2; COMP_WORDS=(shareward-cli %3); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
            "_shareward_cli; echo \"${COMPREPLY[*]}\"")
            .arg(QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli"),
                 QStringLiteral(SHAREWARD_SOURCE_DIR "/resources/completion/shareward-cli"),
                 QString(line).replace(QLatin1String("{config}"), config));
    const ProcessRun result = runProcess(QStringLiteral("bash"), {QStringLiteral("-c"), script});
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(QString::fromUtf8(result.out).trimmed(), expected);
}

// smbd, then nmbd, as the window runs them; systemctl is the one program faked (no systemd here),
// logging its command and service without the "--" between them.
void TestCli::serviceCommands()
{
    QTemporaryDir dir;
    const QByteArray log = QFile::encodeName(dir.filePath(QStringLiteral("log")));
    QVERIFY(writeFile(
        dir.filePath(QStringLiteral("systemctl")),
        "#!/bin/sh\nfor argument do shift; [ \"$argument\" = -- ] || set -- \"$@\" \"$argument\"; done\n"
        "echo \"$*\" >> '"
            + log
            + "'\ncase \"$*\" in\n  'is-active smbd') exit 0 ;;\n  'is-active nmbd') exit 3 ;;\n"
              "  'start nmbd') echo 'Job for nmbd.service failed.' >&2; exit 1 ;;\nesac\nexit 0\n"));
    QVERIFY(
        QFile::setPermissions(dir.filePath(QStringLiteral("systemctl")), QFile::ReadOwner | QFile::ExeOwner));
    QProcessEnvironment environment = testEnvironment();
    environment.insert(QStringLiteral("SHAREWARD_PROGRAM_SYSTEMCTL"),
                       dir.filePath(QStringLiteral("systemctl")));
    auto run = [&](const QStringList &arguments) {
        QFile::remove(QFile::decodeName(log));
        return runProcess(QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli"), arguments,
                          environment);
    };

    ProcessRun result = run({QStringLiteral("service"), QStringLiteral("status")});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray("smbd: active\nnmbd: inactive\n"));
    result = run({QStringLiteral("service"), QStringLiteral("restart"), QStringLiteral("--changed-exit-code"),
                  QStringLiteral("4")});
    QCOMPARE(result.exitCode, 4);
    QCOMPARE(readFile(QFile::decodeName(log)), QByteArray("restart smbd\nrestart nmbd\n"));
    result = run({QStringLiteral("service"), QStringLiteral("start")});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains("start nmbd") && result.err.contains("Job for nmbd.service failed."),
             result.err.constData());
    QCOMPARE(readFile(QFile::decodeName(log)), QByteArray("start smbd\nstart nmbd\n"));
    result = run({QStringLiteral("--dry-run"), QStringLiteral("service"), QStringLiteral("stop")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray("would stop smbd\nwould stop nmbd\n"));
    QCOMPARE(readFile(QFile::decodeName(log)), QByteArray());
}

// The account commands with the real useradd, pdbedit, smbpasswd and net, in the account
// sandbox (a private mount namespace with a copy of /etc): the machine's accounts are never
// touched, and without the sandbox nothing runs.
void TestCli::accountCommandsInSandbox()
{
    if (::geteuid() != 0)
        QSKIP("the account sandbox needs root");
    const QByteArray cli = SHAREWARD_BINARY_DIR "/src/cli/shareward-cli";
    const QByteArray script = "[ -n \"${SHAREWARD_SANDBOX:-}\" ] || exit 77\n"
                              "set -e\n"
                              "cli="
        + cli
        + "\n"
          "printf 'p\\303\\244sswort\\n' | $cli user add carol && r=0 || r=$?; echo \"add without Unix "
          "account: $r\"\n"
          "printf 'p\\303\\244sswort\\n' | $cli user add carol --create-unix-account\n"
          "getent passwd carol >/dev/null && echo 'carol is a Unix user'\n"
          "$cli user list\n"
          "sid=$(pdbedit -Lv carol | grep 'User SID')\n"
          "printf 'neu\\n' | $cli user passwd carol\n"
          "[ \"$(pdbedit -Lv carol | grep 'User SID')\" = \"$sid\" ] && echo 'same SID'\n"
          "groupadd staffers\n"
          "$cli group add staffers\n"
          "$cli group list\n"
          "$cli --dry-run user remove carol\n"
          "$cli user list\n"
          "$cli user remove carol\n"
          "$cli group remove staffers\n"
          "echo \"left: $($cli user list)$($cli group list)\"\n";
    QProcessEnvironment environment = testEnvironment();
    const ProcessRun result =
        runProcess(QStringLiteral(SHAREWARD_SOURCE_DIR "/tests/system/accounts/sandbox.sh"),
                   {QStringLiteral("sh"), QStringLiteral("-c"), QString::fromUtf8(script)}, environment);
    if (result.exitCode == 77)
        QSKIP("no private mount namespace here");
    QVERIFY2(result.exitCode == 0, result.err.constData());
    QCOMPARE(QString::fromUtf8(result.out).split(QLatin1Char('\n')),
             (QStringList{
                 QStringLiteral("add without Unix account: 1"), QStringLiteral("add Samba user carol"),
                 QStringLiteral("carol is a Unix user"), QStringLiteral("carol"),
                 QStringLiteral("set the password of Samba user carol"), QStringLiteral("same SID"),
                 QStringLiteral("map Unix group staffers as a Samba group"), QStringLiteral("staffers"),
                 QStringLiteral("would remove Samba user carol"), QStringLiteral("carol"),
                 QStringLiteral("remove Samba user carol"), QStringLiteral("remove the Samba group staffers"),
                 QStringLiteral("left: "), QString()}));
}

// Runs script with sh in the account sandbox; skips where there is none.
#define RUN_IN_ACCOUNT_SANDBOX(script, result)                                                               \
    if (::geteuid() != 0)                                                                                    \
        QSKIP("the account sandbox needs root");                                                             \
    const ProcessRun result =                                                                                \
        runProcess(QStringLiteral(SHAREWARD_SOURCE_DIR "/tests/system/accounts/sandbox.sh"),                 \
                   {QStringLiteral("sh"), QStringLiteral("-c"),                                              \
                    QStringLiteral("[ -n \"${SHAREWARD_SANDBOX:-}\" ] || exit 77\ncli=" SHAREWARD_BINARY_DIR \
                                   "/src/cli/shareward-cli\n")                                               \
                        + QString::fromUtf8(script)},                                                        \
                   testEnvironment());                                                                       \
    if (result.exitCode == 77)                                                                               \
        QSKIP("no private mount namespace here");

// Every account pdbedit lists is listed, whatever its name holds; a machine account is marked.
void TestCli::accountListingInSandbox()
{
    RUN_IN_ACCOUNT_SANDBOX("set -e\n"
                           "for name in john.doe mary-ann 'pc01$' u234567890123456789012345678901; do\n"
                           "  useradd -M -N -- \"$name\"\n"
                           "done\n"
                           "for name in john.doe mary-ann u234567890123456789012345678901; do\n"
                           "  printf 'pw\\n' | $cli user add \"$name\" >/dev/null\n"
                           "done\n"
                           "pdbedit -a -m -u 'pc01$' >/dev/null\n"
                           "$cli user list\n"
                           "$cli user list --json\n",
                           result);
    QVERIFY2(result.exitCode == 0, result.err.constData());
    QCOMPARE(result.out,
             QByteArray("john.doe\nmary-ann\npc01$\tmachine account\nu234567890123456789012345678901\n"
                        "[\n"
                        "    {\n        \"machineAccount\": false,\n        \"name\": \"john.doe\"\n    },\n"
                        "    {\n        \"machineAccount\": false,\n        \"name\": \"mary-ann\"\n    },\n"
                        "    {\n        \"machineAccount\": true,\n        \"name\": \"pc01$\"\n    },\n"
                        "    {\n        \"machineAccount\": false,\n"
                        "        \"name\": \"u234567890123456789012345678901\"\n    }\n"
                        "]\n"));
}

// A name like an option is refused before any program runs: "user passwd -a" used to set root's
// Samba password, "user passwd -d" to disable root's Samba account.
void TestCli::accountNamesLikeOptionsInSandbox()
{
    RUN_IN_ACCOUNT_SANDBOX(
        "printf 'rootpw\\nrootpw\\n' | pdbedit -t -a -u root >/dev/null || exit 3\n"
        "before=$(pdbedit -L -w root)\n"
        "for command in 'user passwd -a' 'user passwd -d' 'user add -D --create-unix-account' "
        "'user remove -x' 'group add -g' 'group remove -x'; do\n"
        "  printf 'pw\\n' | $cli $command; echo \"$command: $?\"\n"
        "done\n"
        "[ \"$(pdbedit -L -w root)\" = \"$before\" ] && echo 'root unchanged'\n"
        "getent passwd -- -D || echo 'no account -D'\n",
        result);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out,
             QByteArray("user passwd -a: 1\nuser passwd -d: 1\nuser add -D --create-unix-account: 1\n"
                        "user remove -x: 1\ngroup add -g: 1\ngroup remove -x: 1\n"
                        "root unchanged\nno account -D\n"));
    QCOMPARE(result.err,
             QByteArray("shareward-cli: An account name cannot begin with \u201c-\u201d: -a\n"
                        "shareward-cli: An account name cannot begin with \u201c-\u201d: -d\n"
                        "shareward-cli: An account name cannot begin with \u201c-\u201d: -D\n"
                        "shareward-cli: An account name cannot begin with \u201c-\u201d: -x\n"
                        "shareward-cli: An account name cannot begin with \u201c-\u201d: -g\n"
                        "shareward-cli: An account name cannot begin with \u201c-\u201d: -x\n"));
}

// Every save and restore is recorded, with the file as another editor left it before; a
// version can be compared and installed again, and a restore testparm refuses changes nothing.
void TestCli::historyDiffAndRestore()
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    const QString store = dir.filePath(QStringLiteral("history"));
    QVERIFY(writeFile(config, editedFile));
    QProcessEnvironment environment = testEnvironment();
    environment.insert(QStringLiteral("SUDO_USER"), QStringLiteral("alice"));
    auto run = [&](const QString &command, const QStringList &more = {}) {
        return runProcess(
            QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli"),
            QStringList{QStringLiteral("--config"), config, QStringLiteral("--history-dir"), store}
                + command.split(QLatin1Char(' ')) + more,
            environment);
    };
    auto summaries = [&] {
        QStringList result;
        const QJsonObject history =
            QJsonDocument::fromJson(run(QStringLiteral("history --json")).out).object();
        for (const QJsonValue &version : history.value(QLatin1String("versions")).toArray())
            result << QString::number(version[QLatin1String("number")].toInt()) + QLatin1Char(' ')
                    + version[QLatin1String("summary")].toString();
        return result;
    };

    QCOMPARE(run(QStringLiteral("share set data --comment One")).exitCode, 0);
    QCOMPARE(run(QStringLiteral("global set --server-string Files")).exitCode, 0);
    const QByteArray edited = readFile(config);
    QCOMPARE(summaries(),
             (QStringList{QStringLiteral("3 server string changed"), QStringLiteral("2 share data changed"),
                          QStringLiteral("1 changed outside Shareward")}));
    const QJsonObject newest = QJsonDocument::fromJson(run(QStringLiteral("history --json")).out)
                                   .object()
                                   .value(QLatin1String("versions"))
                                   .toArray()
                                   .first()
                                   .toObject();
    QCOMPARE(newest.value(QLatin1String("user")).toString(), QStringLiteral("alice"));
    QCOMPARE(newest.value(QLatin1String("program")).toString(), QStringLiteral("shareward-cli"));
    const ProcessRun listed = run(QStringLiteral("history"));
    QVERIFY2(listed.out.startsWith("# 3 versions of " + config.toUtf8()), listed.out.constData());
    QVERIFY(listed.out.contains("the newest 100 are kept"));
    QVERIFY(listed.out.contains("\talice\tshareward-cli\tshare data changed\n"));
    struct stat info;
    QVERIFY(::stat(QFile::encodeName(store).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0700));

    // Against the current file, and between two versions.
    const ProcessRun sinceFirst = run(QStringLiteral("diff 1"));
    QCOMPARE(sinceFirst.exitCode, 0);
    QVERIFY(sinceFirst.out.contains("-\tcomment = Team data\r\n+\tcomment = One\r\n"));
    QVERIFY(sinceFirst.out.contains("+\tserver string = Files\r\n"));
    const ProcessRun between = run(QStringLiteral("diff 1 2"));
    QVERIFY(between.out.contains("+\tcomment = One\r\n"));
    QVERIFY(!between.out.contains("server string"));
    QCOMPARE(run(QStringLiteral("diff 9")).exitCode, 1);
    QCOMPARE(run(QStringLiteral("diff x")).exitCode, 2);

    // A restore testparm refuses leaves the file and the history as they were.
    QVERIFY(writeFile(dir.filePath(QStringLiteral("testparm")),
                      "#!/bin/sh\necho 'ERROR: refused for the test' >&2\nexit 1\n"));
    QVERIFY(
        QFile::setPermissions(dir.filePath(QStringLiteral("testparm")), QFile::ReadOwner | QFile::ExeOwner));
    QProcessEnvironment refusing = environment;
    refusing.insert(QStringLiteral("SHAREWARD_PROGRAM_TESTPARM"), dir.filePath(QStringLiteral("testparm")));
    const ProcessRun refused =
        runProcess(QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli"),
                   {QStringLiteral("--config"), config, QStringLiteral("--history-dir"), store,
                    QStringLiteral("restore"), QStringLiteral("1")},
                   refusing);
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.err.contains("refused for the test"), refused.err.constData());
    QCOMPARE(readFile(config), edited);
    QCOMPARE(summaries().size(), 3);

    QCOMPARE(run(QStringLiteral("restore 1")).exitCode, 0);
    QCOMPARE(readFile(config), QByteArray(editedFile));
    QCOMPARE(summaries().first(), QStringLiteral("4 version 1 restored"));

    // Another editor's change is kept before the next save's version; --keep bounds the store.
    QVERIFY(writeFile(config, QByteArray(editedFile) + "; a note by hand\r\n"));
    QCOMPARE(run(QStringLiteral("--keep 3 share set data --comment Two")).exitCode, 0);
    QCOMPARE(
        summaries(),
        (QStringList{QStringLiteral("6 share data changed"), QStringLiteral("5 changed outside Shareward"),
                     QStringLiteral("4 version 1 restored")}));
    QVERIFY(run(QStringLiteral("--keep 3 history")).out.contains("the newest 3 are kept"));
    // Nothing but smb.conf and the store beside it: no temporary file is left.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("smb.conf"), QStringLiteral("testparm")}));
}

// An edit that starts to use a VFS module smbd cannot load is refused unless allowed; smbd
// is a stand-in named in the environment that reports a module directory without full_audit.
void TestCli::missingModules()
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("smb.conf"));
    QVERIFY(writeFile(config, editedFile));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("modules/vfs")));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("modules/vfs/audit.so")), QByteArray()));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("smbd")),
                      "#!/bin/sh\necho '   MODULESDIR: "
                          + QFile::encodeName(dir.filePath(QStringLiteral("modules")))
                          + "'\necho 'Builtin modules:'\necho '   vfs_default'\n"));
    QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("smbd")), QFile::ReadOwner | QFile::ExeOwner));
    QProcessEnvironment environment = testEnvironment();
    environment.insert(QStringLiteral("SHAREWARD_PROGRAM_SMBD"), dir.filePath(QStringLiteral("smbd")));
    auto run = [&](const QString &arguments) {
        return runProcess(QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli"),
                          QStringList{QStringLiteral("--config"), config} + arguments.split(QLatin1Char(' ')),
                          environment);
    };

    const ProcessRun refused = run(QStringLiteral("share set data --audit full"));
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(
        refused.err.contains("the Samba modules full_audit are not installed (package samba-vfs-modules)"),
        refused.err.constData());
    QCOMPARE(readFile(config), QByteArray(editedFile));
    // A module that is there, and a dry run, go on.
    QCOMPARE(run(QStringLiteral("--dry-run share set data --audit full")).exitCode, 0);
    QCOMPARE(run(QStringLiteral("share set data --audit simple")).exitCode, 0);
    QVERIFY(readFile(config).contains("vfs objects = audit"));
    const ProcessRun allowed = run(QStringLiteral("--allow-missing-modules share set data --audit full"));
    QCOMPARE(allowed.exitCode, 0);
    QVERIFY(readFile(config).contains("full_audit"));
}

namespace {

// A directory of stand-ins named in the environment: smbstatus prints the captured status of carol in
// [projects] and dave in [team], dave's process on node 1 of a cluster (or, with a file "down",
// only what it says without smbd), systemctl finds smbd active and nmbd not, smbcontrol logs its arguments to
// "calls" and fails when there is a file "refuse". smb.conf names the two shares at their captured paths.
struct FakeServer
{
    QTemporaryDir dir;
    QProcessEnvironment environment = testEnvironment();

    FakeServer()
    {
        const QByteArray path = QFile::encodeName(dir.path());
        // dave's process is put on node 1 of a cluster, whose smbstatus lists every node's.
        install("smbstatus",
                "echo \"$*\" >" + path + "/smbstatus-arguments\n[ -f " + path
                    + "/down ] && { echo 'No locked files' >&2; exit 0; }\n"
                      "sed 's/\"pid\": \"73\", \"task_id\": \"0\", \"vnn\": \"4294967295\"/\"pid\": \"73\", "
                      "\"task_id\": \"0\", \"vnn\": \"1\"/g' '" SHAREWARD_SOURCE_DIR
                      "/tests/system/data/smbstatus-sessions.json'\n");
        install("systemctl", "[ \"$*\" = 'is-active -- smbd' ] && exit 0\necho inactive\nexit 3\n");
        install("smbcontrol",
                "echo \"$*\" >>" + path + "/calls\n[ -f " + path
                    + "/refuse ] && { echo \"Can't find pid for destination 'smbd'\" >&2; exit 1; "
                      "}\nexit 0\n");
        writeFile(
            dir.filePath(QStringLiteral("smb.conf")),
            "[global]\n   workgroup = W\n[projects]\n   path = /tmp/shareward-capture.1vB1ml/srv/projects\n"
            "[team]\n   path = /tmp/shareward-capture.1vB1ml/srv/team\n");
        for (const char *name : {"smbstatus", "systemctl", "smbcontrol"})
            environment.insert(QStringLiteral("SHAREWARD_PROGRAM_") + QString::fromLatin1(name).toUpper(),
                               dir.filePath(QLatin1String(name)));
    }
    void install(const char *name, const QByteArray &body)
    {
        const QString program = dir.filePath(QLatin1String(name));
        writeFile(program, "#!/bin/sh\n" + body);
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
    }
    ProcessRun run(const QStringList &arguments)
    {
        return runProcess(QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli"),
                          QStringList{QStringLiteral("--config"), dir.filePath(QStringLiteral("smb.conf"))}
                              + arguments,
                          environment);
    }
};

QStringList fieldsOf(const QJsonArray &entries, const QStringList &keys)
{
    QStringList found;
    for (const QJsonValue &entry : entries) {
        QStringList values;
        for (const QString &key : keys)
            values << entry[key].toString();
        found << values.join(QLatin1Char(' '));
    }
    return found;
}

} // namespace

// shareward-cli status reads smbstatus and systemctl and names the share of each
// open file from --config.
void TestCli::status()
{
    FakeServer server;
    const ProcessRun json = server.run({QStringLiteral("status"), QStringLiteral("--json")});
    QVERIFY2(json.exitCode == 0, json.err.constData());
    const QJsonObject status = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(status[QLatin1String("services")].toObject(),
             (QJsonObject{{QStringLiteral("smbd"), QStringLiteral("active")},
                          {QStringLiteral("nmbd"), QStringLiteral("inactive")}}));
    const QStringList who{QStringLiteral("user"), QStringLiteral("machine"), QStringLiteral("address"),
                          QStringLiteral("pid")};
    QCOMPARE(fieldsOf(status[QLatin1String("sessions")].toArray(), who),
             (QStringList{QStringLiteral("carol 127.0.0.1 127.0.0.1 74"),
                          QStringLiteral("dave 127.0.0.1 127.0.0.1 73")}));
    QCOMPARE(
        fieldsOf(status[QLatin1String("connections")].toArray(), QStringList{QStringLiteral("share")} + who),
        (QStringList{QStringLiteral("projects carol 127.0.0.1 127.0.0.1 74"),
                     QStringLiteral("team dave 127.0.0.1 127.0.0.1 73")}));
    // The uids of the capture name no account here.
    QCOMPARE(
        fieldsOf(status[QLatin1String("openFiles")].toArray(),
                 {QStringLiteral("path"), QStringLiteral("share"), QStringLiteral("access"),
                  QStringLiteral("pid")}),
        (QStringList{
            QStringLiteral("/tmp/shareward-capture.1vB1ml/srv/projects/report.txt projects read/delete 74"),
            QStringLiteral("/tmp/shareward-capture.1vB1ml/srv/team/held.txt team read/write 73")}));

    // smbstatus reads the status of the --config file's smbd.
    QCOMPARE(readFile(server.dir.filePath(QStringLiteral("smbstatus-arguments"))),
             "-s " + QFile::encodeName(server.dir.filePath(QStringLiteral("smb.conf"))) + " --json\n");

    const ProcessRun text = server.run({QStringLiteral("status")});
    QCOMPARE(text.exitCode, 0);
    QVERIFY2(text.out.startsWith("smbd: active\nnmbd: inactive\n\nSessions:\n")
                 && text.out.contains("  team      dave"),
             text.out.constData());

    QVERIFY(writeFile(server.dir.filePath(QStringLiteral("down")), QByteArray()));
    const ProcessRun down = server.run({QStringLiteral("status"), QStringLiteral("--json")});
    QCOMPARE(down.exitCode, 1);
    QCOMPARE(down.err, QByteArray("shareward-cli: smbd is not running: No locked files\n"));
    QCOMPARE(QJsonDocument::fromJson(down.out)[QLatin1String("running")], QJsonValue(false));
}

void TestCli::disconnect_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("calls");
    QTest::addColumn<QByteArray>("said");
    QTest::newRow("a session's process")
        << "disconnect --pid 74" << false << 0 << QByteArray("-s @CONFIG@ -- 74 shutdown\n")
        << QByteArray("end smbd process 74 and its sessions (carol from 127.0.0.1)\n");
    QTest::newRow("a process serving no session")
        << "disconnect --pid 48" << false << 1 << QByteArray()
        << QByteArray("shareward-cli: no session is served by process 48\n");
    QTest::newRow("a share") << "disconnect --share team" << false << 0
                             << QByteArray("-s @CONFIG@ -- smbd close-share team\n")
                             << QByteArray("close every connection to share team\n");
    QTest::newRow("a dry run") << "--dry-run disconnect --share team" << false << 0 << QByteArray()
                               << QByteArray("would close every connection to share team\n");
    QTest::newRow("smbcontrol fails")
        << "disconnect --share team" << true << 1 << QByteArray("-s @CONFIG@ -- smbd close-share team\n")
        << QByteArray(
               "shareward-cli: cannot close every connection to share team: Can't find pid for destination "
               "'smbd'\n");
    // smbcontrol's "*" is every share.
    QTest::newRow("every share") << "disconnect --share *" << false << 2 << QByteArray()
                                 << QByteArray(
                                        "shareward-cli: --share needs the name of one share, not '*'\n");
    QTest::newRow("an unknown share")
        << "disconnect --share nosuchshare" << false << 1 << QByteArray()
        << QByteArray(
               "shareward-cli: @CONFIG@ has no share nosuchshare, and no client uses one of that name\n");
    // Names are case-insensitive, as Samba's.
    QTest::newRow("a share in other case")
        << "disconnect --share TEAM" << false << 0 << QByteArray("-s @CONFIG@ -- smbd close-share TEAM\n")
        << QByteArray("close every connection to share TEAM\n");
    QTest::newRow("a process of another cluster node")
        << "disconnect --pid 73" << false << 1 << QByteArray()
        << QByteArray("shareward-cli: process 73 is one of cluster node 1, whose processes disconnect --pid "
                      "does not end; run smbcontrol 1:73 shutdown to end it\n");
}

// disconnect sends smbcontrol's messages; a pid smbstatus lists for no session is refused, so
// that smbd's main process is not ended by mistake.
void TestCli::disconnect()
{
    QFETCH(QString, arguments);
    QFETCH(bool, refuse);
    QFETCH(int, exitCode);
    FakeServer server;
    if (refuse)
        QVERIFY(writeFile(server.dir.filePath(QStringLiteral("refuse")), QByteArray()));
    const ProcessRun result = server.run(arguments.split(QLatin1Char(' ')));
    QCOMPARE(result.exitCode, exitCode);
    QFETCH(QByteArray, said);
    QCOMPARE(exitCode == 0 ? result.out : result.err,
             said.replace("@CONFIG@", QFile::encodeName(server.dir.filePath(QStringLiteral("smb.conf")))));
    QFETCH(QByteArray, calls);
    // smbcontrol is told the --config file.
    QCOMPARE(readFile(server.dir.filePath(QStringLiteral("calls"))),
             calls.replace("@CONFIG@", QFile::encodeName(server.dir.filePath(QStringLiteral("smb.conf")))));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
