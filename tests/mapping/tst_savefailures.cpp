// Saving smb.conf with the real command-line tool and the real testparm while things
// go wrong underneath: a read-only directory, a full disk, a missing or crashing or
// complaining checker, failing system calls. Whatever fails, the installed smb.conf
// keeps its bytes, mode and owner, and no half-written file is left behind.
#include "processrun.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <QtTest>

#include <algorithm>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const cliProgram = SHAREWARD_BINARY_DIR "/src/cli/shareward-cli";
// Temporary files are smb.conf.shareward- and six random characters.
const char *const temporaryInfix = ".shareward-";

// A group and a user that exist nowhere: root can still hand files to them.
const gid_t otherGroup = 4242;
const uid_t otherUser = 4243;

const QByteArray plainConfig = QByteArrayLiteral("# Test server\n"
                                                 "[global]\n"
                                                 "   workgroup = EXAMPLE\n"
                                                 "   server string = Test server\n"
                                                 "   security = user\n"
                                                 "   map to guest = bad user\n"
                                                 "\n"
                                                 "[data]\n"
                                                 "   path = /srv/data\n"
                                                 "   comment = Team data\n"
                                                 "   read only = no\n"
                                                 "   guest ok = no\n"
                                                 "\n"
                                                 "[public]\n"
                                                 "   path = /srv/public\n"
                                                 "   comment = Public files\n"
                                                 "   guest ok = yes\n");

// testparm refuses the security word and exits with 1. The tool keeps the line: the
// authentication mode was not changed, so the save does not rewrite it.
const QByteArray bogusSecurityConfig = QByteArrayLiteral("[global]\n"
                                                         "   workgroup = EXAMPLE\n"
                                                         "   security = bogus\n"
                                                         "\n"
                                                         "[data]\n"
                                                         "   path = /srv/data\n"
                                                         "   comment = Team data\n"
                                                         "   read only = no\n");

// Between 36 KiB and 40 KiB: ten pages of a 48 KiB tmpfs, leaving two pages, too
// little for the temporary copy.
QByteArray largeConfig()
{
    QByteArray text =
        QByteArrayLiteral("[global]\n   workgroup = EXAMPLE\n   server string = Big server\n\n");
    for (int i = 0; text.size() < 38000; ++i) {
        const QByteArray number = QByteArray::number(i);
        text += "[share" + number + "]\n   path = /srv/shares/share" + number + "\n   comment = Share number "
            + number + " of the big server\n   read only = no\n   browseable = yes\n\n";
    }
    return text;
}

// The one-field edit each save makes: a save with nothing to change writes nothing.
QStringList editCommand(const QString &config)
{
    return {QStringLiteral("--config"),        config,
            QStringLiteral("global"),          QStringLiteral("set"),
            QStringLiteral("--server-string"), QStringLiteral("Edited server")};
}

enum Injection {
    ReadOnlyDirectory,
    FullDisk,
    CheckerMissing,
    CheckerCrashing,
    CheckerErrors,
    RenameFails,
    FsyncFails,
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes, mode_t mode = 0644, uid_t owner = 0,
               gid_t group = 0)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    const QByteArray name = QFile::encodeName(path);
    return ::chown(name.constData(), owner, group) == 0 && ::chmod(name.constData(), mode) == 0;
}

bool writeScript(const QString &path, const QByteArray &body)
{
    return writeFile(path, "#!/bin/sh\n" + body, 0755);
}

bool makeSymlink(const QString &text, const QString &path)
{
    return ::symlink(QFile::encodeName(text).constData(), QFile::encodeName(path).constData()) == 0;
}

// What a directory entry is, without following a link.
struct FileState
{
    bool exists = false;
    bool isLink = false;
    QByteArray bytes;
    QByteArray linkText;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    ino_t inode = 0;
};

FileState fileState(const QString &path)
{
    FileState state;
    struct stat info;
    const QByteArray name = QFile::encodeName(path);
    if (::lstat(name.constData(), &info) != 0)
        return state;
    state.exists = true;
    state.isLink = S_ISLNK(info.st_mode);
    state.mode = info.st_mode & 07777;
    state.owner = info.st_uid;
    state.group = info.st_gid;
    state.inode = info.st_ino;
    if (state.isLink) {
        char buffer[4096];
        const ssize_t length = ::readlink(name.constData(), buffer, sizeof buffer);
        if (length > 0)
            state.linkText = QByteArray(buffer, static_cast<int>(length));
    } else {
        state.bytes = readAll(path);
    }
    return state;
}

QString octal(mode_t mode)
{
    return QString::number(mode, 8);
}

// Empty when the two states agree; otherwise what differs.
QString stateDifference(const FileState &before, const FileState &after, bool compareInode)
{
    QStringList differences;
    if (before.exists != after.exists)
        return after.exists ? QStringLiteral("the file appeared") : QStringLiteral("the file disappeared");
    if (before.isLink != after.isLink)
        differences << QStringLiteral("link became file or file became link");
    if (before.bytes != after.bytes) {
        differences << QStringLiteral("content changed (%1 bytes before, %2 after)")
                           .arg(before.bytes.size())
                           .arg(after.bytes.size());
    }
    if (before.linkText != after.linkText)
        differences << QStringLiteral("link text changed");
    if (before.mode != after.mode)
        differences << QStringLiteral("mode %1 became %2").arg(octal(before.mode), octal(after.mode));
    if (before.owner != after.owner || before.group != after.group) {
        differences << QStringLiteral("owner %1:%2 became %3:%4")
                           .arg(before.owner)
                           .arg(before.group)
                           .arg(after.owner)
                           .arg(after.group);
    }
    if (compareInode && before.inode != after.inode)
        differences << QStringLiteral("the file was replaced (another inode)");
    return differences.join(QStringLiteral("; "));
}

QStringList listing(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                     QDir::Name);
}

QString runText(const ProcessRun &result)
{
    return QStringLiteral("exit code %1, standard error:\n%2")
        .arg(result.exitCode)
        .arg(QString::fromUtf8(result.err));
}

// Whether a line of an strace log shows the named call on that path failing by injection.
bool traceShowsInjection(const QByteArray &trace, const QByteArray &call, const QByteArray &path)
{
    const QList<QByteArray> lines = trace.split('\n');
    return std::any_of(lines.cbegin(), lines.cend(), [&](const QByteArray &line) {
        return line.contains(call + '(') && line.contains(path) && line.contains("(INJECTED)");
    });
}

} // namespace

Q_DECLARE_METATYPE(Injection)

class TestSaveFailures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void failureKeepsInstalledFile_data();
    void failureKeepsInstalledFile();
    void plantedTemporaryIsNotFollowed_data();
    void plantedTemporaryIsNotFollowed();
    void symlinkedConfiguration_data();
    void symlinkedConfiguration();
    void keepsModeAndOwner_data();
    void keepsModeAndOwner();

private:
    QString path(const QString &relative) const { return m_base + QLatin1Char('/') + relative; }
    // With testparm, when given, as the stand-in for Debian's.
    QProcessEnvironment environment(const QString &testparm = QString()) const;
    QProcessEnvironment tracedEnvironment() const;
    // The bytes a successful save of this text installs, with a checker that accepts all.
    QByteArray savedText(const QByteArray &config);

    bool m_namespaces = false;
    bool m_strace = false;
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_base;
};

void TestSaveFailures::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("Saving with the owner of smb.conf kept and mounting in a namespace need root");
    QVERIFY2(QFileInfo(QString::fromLatin1(cliProgram)).isExecutable(), cliProgram);
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("testparm")).isEmpty(),
             "testparm is not installed (scripts/install-deps.sh installs samba-common-bin)");

    // Containers may forbid both; then the rows that need them say so instead of failing.
    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    m_namespaces =
        runProcess(QStringLiteral("unshare"), {QStringLiteral("-m"), QStringLiteral("true")}, system).exitCode
        == 0;
    m_strace = runProcess(QStringLiteral("strace"),
                          {QStringLiteral("-qq"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                           QStringLiteral("true")},
                          system)
                   .exitCode
        == 0;
}

void TestSaveFailures::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    // The tool names the canonical paths in its messages.
    m_base = QFileInfo(m_root->path()).canonicalFilePath();
    for (const char *directory : {"conf", "bin", "empty-bin", "accepting", "reference"})
        QVERIFY(QDir(m_base).mkdir(QLatin1String(directory)));
    QVERIFY(writeScript(path(QStringLiteral("accepting/testparm")), "exit 0\n"));
}

void TestSaveFailures::cleanup()
{
    m_root.reset();
}

QProcessEnvironment TestSaveFailures::environment(const QString &testparm) const
{
    QProcessEnvironment result = testEnvironment();
    if (!testparm.isEmpty())
        result.insert(QStringLiteral("SHAREWARD_PROGRAM_TESTPARM"), testparm);
    return result;
}

// LeakSanitizer cannot work in a process that strace traces.
QProcessEnvironment TestSaveFailures::tracedEnvironment() const
{
    QProcessEnvironment result = environment();
    QString asan = result.value(QStringLiteral("ASAN_OPTIONS"));
    if (!asan.isEmpty())
        asan += QLatin1Char(':');
    result.insert(QStringLiteral("ASAN_OPTIONS"), asan + QStringLiteral("detect_leaks=0"));
    return result;
}

QByteArray TestSaveFailures::savedText(const QByteArray &config)
{
    const QString file = path(QStringLiteral("reference/smb.conf"));
    if (!writeFile(file, config))
        return QByteArray();
    const ProcessRun result = runProcess(QString::fromLatin1(cliProgram), editCommand(file),
                                         environment(path(QStringLiteral("accepting/testparm"))));
    return result.exitCode == 0 ? readAll(file) : QByteArray();
}

void TestSaveFailures::failureKeepsInstalledFile_data()
{
    QTest::addColumn<Injection>("injection");
    QTest::addColumn<QByteArray>("config");
    // %1 stands for the temporary file, %2 for smb.conf.
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("temporary file not creatable (read-only directory)")
        << ReadOnlyDirectory << plainConfig
        << QStringList{QStringLiteral(
               "Can't create a temporary file beside %2: Read-only file system. No data will be saved.")};
    QTest::newRow("disk full while writing")
        << FullDisk << largeConfig()
        << QStringList{
               QStringLiteral("Can't write a file %1: No space left on device. No data will be saved.")};
    QTest::newRow("checker missing") << CheckerMissing << plainConfig
                                     << QStringList{
                                            QStringLiteral("Failed to run testparm.\n"
                                                           "Samba configuration will not be saved.\n"),
                                            QStringLiteral("testparm")};
    QTest::newRow("checker crashing") << CheckerCrashing << plainConfig
                                      << QStringList{QStringLiteral("Failed to run testparm.\n"
                                                                    "Samba configuration will not be saved.\n"
                                                                    "Process crashed")};
    QTest::newRow("checker reporting errors")
        << CheckerErrors << bogusSecurityConfig
        << QStringList{QStringLiteral("Samba configuration file contains errors.\n"
                                      "Samba configuration will not be saved.\n"
                                      "testparm output is:\n"),
                       QStringLiteral("bogus")};
    QTest::newRow("rename failing") << RenameFails << plainConfig
                                    << QStringList{QStringLiteral(
                                           "Failed to rename file %1 to file %2: Permission denied.")};
    QTest::newRow("fsync failing")
        << FsyncFails << plainConfig
        << QStringList{QStringLiteral("Can't write a file %1: Input/output error. No data will be saved.")};
}

void TestSaveFailures::failureKeepsInstalledFile()
{
    QFETCH(Injection, injection);
    QFETCH(QByteArray, config);
    QFETCH(QStringList, messages);

    if ((injection == ReadOnlyDirectory || injection == FullDisk) && !m_namespaces)
        QSKIP("This machine does not allow private mount namespaces (unshare -m)");
    if ((injection == RenameFails || injection == FsyncFails) && !m_strace)
        QSKIP("strace cannot trace here (not installed, or ptrace is forbidden)");

    const QString cli = QString::fromLatin1(cliProgram);
    const QString configDirectory = path(QStringLiteral("conf"));
    QVERIFY(writeFile(configDirectory + QStringLiteral("/smb.conf"), config, 0640, 0, otherGroup));
    const FileState before = fileState(configDirectory + QStringLiteral("/smb.conf"));
    const QStringList entriesBefore = listing(configDirectory);

    // Where the tool sees smb.conf and where its state is found afterwards: the same
    // directory, except for the full disk, whose tmpfs dies with its namespace and is
    // copied out first.
    QString toolDirectory = configDirectory;
    QString inspectedDirectory = configDirectory;
    const QString trace = path(QStringLiteral("trace"));
    ProcessRun result;
    switch (injection) {
    case ReadOnlyDirectory: {
        // Root writes through permissions, but not through a read-only mount.
        const QString script =
            QStringLiteral("dir=$1; shift\n"
                           "mount --bind \"$dir\" \"$dir\" && mount -o remount,bind,ro \"$dir\" || exit 97\n"
                           "exec \"$@\"\n");
        result = runProcess(QStringLiteral("unshare"),
                            QStringList{QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"),
                                        script, QStringLiteral("sh"), toolDirectory, cli}
                                + editCommand(toolDirectory + QStringLiteral("/smb.conf")),
                            environment());
        break;
    }
    case FullDisk: {
        QVERIFY(QDir(m_base).mkdir(QStringLiteral("disk")));
        QVERIFY(QDir(m_base).mkdir(QStringLiteral("after")));
        toolDirectory = path(QStringLiteral("disk"));
        inspectedDirectory = path(QStringLiteral("after"));
        QVERIFY2(config.size() > 36 * 1024 && config.size() <= 40 * 1024, "ten pages of the tmpfs");
        const QString script =
            QStringLiteral("seed=$1 disk=$2 after=$3; shift 3\n"
                           "mount -t tmpfs -o size=48k,mode=0755 shareward-test \"$disk\" || exit 97\n"
                           "cp -a \"$seed/.\" \"$disk/\" || exit 97\n"
                           "inode=$(stat -c %i \"$disk/smb.conf\")\n"
                           "\"$@\"\n"
                           "code=$?\n"
                           "cp -a \"$disk/.\" \"$after/\" || exit 97\n"
                           "if [ \"$(stat -c %i \"$disk/smb.conf\")\" != \"$inode\" ]; then\n"
                           "    echo 'smb.conf was replaced' >&2\n"
                           "    exit 98\n"
                           "fi\n"
                           "exit $code\n");
        result = runProcess(QStringLiteral("unshare"),
                            QStringList{QStringLiteral("-m"), QStringLiteral("sh"), QStringLiteral("-c"),
                                        script, QStringLiteral("sh"), configDirectory, toolDirectory,
                                        inspectedDirectory, cli}
                                + editCommand(toolDirectory + QStringLiteral("/smb.conf")),
                            environment());
        break;
    }
    case CheckerMissing:
        result = runProcess(cli, editCommand(toolDirectory + QStringLiteral("/smb.conf")),
                            environment(path(QStringLiteral("empty-bin/testparm"))));
        break;
    case CheckerCrashing:
        // No core file is left in the working directory.
        QVERIFY(writeScript(path(QStringLiteral("bin/testparm")), "ulimit -c 0\nkill -SEGV $$\n"));
        result = runProcess(cli, editCommand(toolDirectory + QStringLiteral("/smb.conf")),
                            environment(path(QStringLiteral("bin/testparm"))));
        break;
    case CheckerErrors:
        result = runProcess(cli, editCommand(toolDirectory + QStringLiteral("/smb.conf")), environment());
        break;
    case RenameFails:
    case FsyncFails: {
        // -y names the file behind each descriptor, so the log shows which fsync failed.
        // A leading ? accepts calls this architecture lacks (rename on arm64).
        const QString calls = injection == RenameFails ? QStringLiteral("?rename,?renameat,?renameat2")
                                                       : QStringLiteral("fsync");
        const QString error = injection == RenameFails ? QStringLiteral("EACCES") : QStringLiteral("EIO");
        result = runProcess(QStringLiteral("strace"),
                            QStringList{QStringLiteral("-f"), QStringLiteral("-y"), QStringLiteral("-qq"),
                                        QStringLiteral("-o"), trace, QStringLiteral("-e"),
                                        QStringLiteral("trace=") + calls, QStringLiteral("-e"),
                                        QStringLiteral("inject=%1:error=%2").arg(calls, error), cli}
                                + editCommand(toolDirectory + QStringLiteral("/smb.conf")),
                            tracedEnvironment());
        break;
    }
    }

    const QString toolConfig = toolDirectory + QStringLiteral("/smb.conf");
    const QString toolTemporary = toolConfig + QLatin1String(temporaryInfix);
    QVERIFY2(result.exitCode == 1, qPrintable(runText(result)));
    QVERIFY2(result.err.startsWith("shareward-cli: "), qPrintable(runText(result)));
    for (const QString &message : qAsConst(messages)) {
        // %1 is the temporary file, whose last six characters are random.
        const QString pattern =
            QRegularExpression::escape(message)
                .replace(QLatin1String("\\%1"),
                         QRegularExpression::escape(toolTemporary) + QStringLiteral("[A-Za-z0-9]{6}"))
                .replace(QLatin1String("\\%2"), QRegularExpression::escape(toolConfig));
        QVERIFY2(
            QString::fromUtf8(result.err).contains(QRegularExpression(pattern)),
            qPrintable(QStringLiteral("expected \"%1\" in the error; %2").arg(message, runText(result))));
    }
    QCOMPARE(result.out, QByteArray());

    if (injection == RenameFails)
        QVERIFY2(traceShowsInjection(readAll(trace), "rename", QFile::encodeName(toolTemporary)),
                 "no rename of the temporary file failed by injection");
    if (injection == FsyncFails)
        QVERIFY2(traceShowsInjection(readAll(trace), "fsync", QFile::encodeName(toolTemporary)),
                 "no fsync of the temporary file failed by injection");

    // The installed file: same bytes, mode, owner, and the very same file.
    const FileState after = fileState(inspectedDirectory + QStringLiteral("/smb.conf"));
    const QString difference = stateDifference(before, after, inspectedDirectory == configDirectory);
    QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("smb.conf: ") + difference));

    // Nothing else in the directory: no temporary file survives a failure.
    const QStringList entriesAfter = listing(inspectedDirectory);
    QCOMPARE(entriesAfter, entriesBefore);
}

void TestSaveFailures::plantedTemporaryIsNotFollowed_data()
{
    QTest::addColumn<QString>("planted");
    QTest::addColumn<bool>("removed");

    // Somebody with write access to the directory left this at a name like the temporary
    // files'. Following it would overwrite a file outside smb.conf; removing it would remove
    // what is not the save's. What a killed save left is removed.
    QTest::newRow("symbolic link to a file") << QStringLiteral("symlink") << false;
    QTest::newRow("dangling symbolic link") << QStringLiteral("dangling") << false;
    QTest::newRow("hard link to a file") << QStringLiteral("hardlink") << false;
    QTest::newRow("file of another user") << QStringLiteral("others") << false;
    QTest::newRow("stale file of an earlier save") << QStringLiteral("stale") << true;
}

void TestSaveFailures::plantedTemporaryIsNotFollowed()
{
    QFETCH(QString, planted);
    QFETCH(bool, removed);

    const QString config = path(QStringLiteral("conf/smb.conf"));
    const QString temporary = config + QLatin1String(temporaryInfix) + QStringLiteral("AAAAAA");
    const QString victim = path(QStringLiteral("victim"));
    const QString absent = path(QStringLiteral("absent"));
    QVERIFY(writeFile(config, plainConfig, 0640, 0, otherGroup));
    QVERIFY(writeFile(victim, "precious data\n", 0600));
    if (planted == QLatin1String("symlink"))
        QVERIFY(makeSymlink(victim, temporary));
    else if (planted == QLatin1String("dangling"))
        QVERIFY(makeSymlink(absent, temporary));
    else if (planted == QLatin1String("hardlink"))
        QVERIFY(::link(QFile::encodeName(victim).constData(), QFile::encodeName(temporary).constData()) == 0);
    else if (planted == QLatin1String("others"))
        QVERIFY(writeFile(temporary, "[half written", 0600, otherUser, otherGroup));
    else
        QVERIFY(writeFile(temporary, "[half written", 0600));
    const FileState victimBefore = fileState(victim);
    const QByteArray expected = savedText(plainConfig);
    QVERIFY(!expected.isEmpty());

    const ProcessRun result = runProcess(QString::fromLatin1(cliProgram), editCommand(config), environment());
    QVERIFY2(result.exitCode == 0, qPrintable(runText(result)));
    QCOMPARE(result.err, QByteArray());

    const QString difference = stateDifference(victimBefore, fileState(victim), true);
    QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("the victim: ") + difference));
    QVERIFY2(!fileState(absent).exists, "a file was created through the dangling link");
    const FileState saved = fileState(config);
    QVERIFY(!saved.isLink);
    QCOMPARE(saved.bytes, expected);
    QCOMPARE(octal(saved.mode), octal(0640));
    QCOMPARE(saved.group, otherGroup);
    QCOMPARE(listing(path(QStringLiteral("conf"))),
             removed ? QStringList{QStringLiteral("smb.conf")}
                     : (QStringList{QStringLiteral("smb.conf"), QFileInfo(temporary).fileName()}));
}

void TestSaveFailures::symlinkedConfiguration_data()
{
    // Pairs of a link (relative to the test directory) and its text ({base} being the
    // test directory), the first one being conf/smb.conf; then the file they lead to.
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<QString>("target");

    QTest::newRow("relative link in the same directory")
        << QStringList{QStringLiteral("conf/smb.conf"), QStringLiteral("smb.conf.local")}
        << QStringLiteral("conf/smb.conf.local");
    QTest::newRow("relative link to another directory")
        << QStringList{QStringLiteral("conf/smb.conf"), QStringLiteral("../store/smb.conf")}
        << QStringLiteral("store/smb.conf");
    QTest::newRow("absolute link to another directory")
        << QStringList{QStringLiteral("conf/smb.conf"), QStringLiteral("{base}/store/smb.conf")}
        << QStringLiteral("store/smb.conf");
    QTest::newRow("chain of two links")
        << QStringList{QStringLiteral("conf/smb.conf"), QStringLiteral("../middle/smb.conf"),
                       QStringLiteral("middle/smb.conf"), QStringLiteral("../store/real.conf")}
        << QStringLiteral("store/real.conf");
}

void TestSaveFailures::symlinkedConfiguration()
{
    QFETCH(QStringList, links);
    QFETCH(QString, target);

    QVERIFY(QDir(m_base).mkdir(QStringLiteral("store")));
    QVERIFY(QDir(m_base).mkdir(QStringLiteral("middle")));
    QVERIFY(writeFile(path(target), plainConfig, 0640, 0, otherGroup));
    QVector<FileState> linksBefore;
    for (int i = 0; i + 1 < links.size(); i += 2) {
        QVERIFY(makeSymlink(QString(links.at(i + 1)).replace(QLatin1String("{base}"), m_base),
                            path(links.at(i))));
        linksBefore << fileState(path(links.at(i)));
    }
    const QStringList directories{QStringLiteral("conf"), QStringLiteral("middle"), QStringLiteral("store")};
    QVector<QStringList> entriesBefore;
    for (const QString &directory : directories)
        entriesBefore << listing(path(directory));
    const QByteArray expected = savedText(plainConfig);
    QVERIFY(!expected.isEmpty());

    const ProcessRun result = runProcess(QString::fromLatin1(cliProgram),
                                         editCommand(path(QStringLiteral("conf/smb.conf"))), environment());
    QVERIFY2(result.exitCode == 0, qPrintable(runText(result)));
    QCOMPARE(result.err, QByteArray());

    // Every link is still the same link; the file at the end has the new text and
    // its mode and owner.
    for (int i = 0; i + 1 < links.size(); i += 2) {
        const QString difference = stateDifference(linksBefore.at(i / 2), fileState(path(links.at(i))), true);
        QVERIFY2(difference.isEmpty(), qPrintable(links.at(i) + QStringLiteral(": ") + difference));
    }
    const FileState saved = fileState(path(target));
    QVERIFY(!saved.isLink);
    QCOMPARE(saved.bytes, expected);
    QCOMPARE(octal(saved.mode), octal(0640));
    QCOMPARE(saved.owner, uid_t(0));
    QCOMPARE(saved.group, otherGroup);
    for (int i = 0; i < directories.size(); ++i)
        QCOMPARE(listing(path(directories.at(i))), entriesBefore.at(i));
}

void TestSaveFailures::keepsModeAndOwner_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<uint>("owner");
    QTest::addColumn<uint>("group");

    QTest::newRow("0640, group not root") << 0640 << uint(0) << uint(otherGroup);
    QTest::newRow("0600, owner and group not root") << 0600 << uint(otherUser) << uint(otherGroup);
    QTest::newRow("0644, root") << 0644 << uint(0) << uint(0);
    QTest::newRow("0444, read-only file") << 0444 << uint(0) << uint(0);
    QTest::newRow("0664, group-writable") << 0664 << uint(otherUser) << uint(otherGroup);
}

void TestSaveFailures::keepsModeAndOwner()
{
    QFETCH(int, mode);
    QFETCH(uint, owner);
    QFETCH(uint, group);

    const QString config = path(QStringLiteral("conf/smb.conf"));
    QVERIFY(writeFile(config, plainConfig, static_cast<mode_t>(mode), owner, group));
    const QByteArray expected = savedText(plainConfig);
    QVERIFY(!expected.isEmpty());
    QVERIFY(expected != plainConfig);

    const ProcessRun result = runProcess(QString::fromLatin1(cliProgram), editCommand(config), environment());
    QVERIFY2(result.exitCode == 0, qPrintable(runText(result)));
    QCOMPARE(result.err, QByteArray());

    const FileState saved = fileState(config);
    QCOMPARE(saved.bytes, expected);
    QCOMPARE(octal(saved.mode), octal(static_cast<mode_t>(mode)));
    QCOMPARE(uint(saved.owner), owner);
    QCOMPARE(uint(saved.group), group);
    QCOMPARE(listing(path(QStringLiteral("conf"))), QStringList{QStringLiteral("smb.conf")});
}

QTEST_GUILESS_MAIN(TestSaveFailures)
#include "tst_savefailures.moc"
