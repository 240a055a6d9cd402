#include "testparm.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// A stand-in for testparm, written into DIR. It appends its arguments to DIR/calls (each followed
// by '|', one call a line). When the file it is asked to check (its last argument) lies in DIR, it
// runs that file as a shell script, so each test's "configuration" decides what the checker writes
// and how it ends. Any other file is accepted silently.
const char fakeCheckerTemplate[] = R"(#!/bin/sh
dir='%1'
for argument in "$@"; do printf '%s|' "$argument"; done >>"$dir/calls"
echo >>"$dir/calls"
for last in "$@"; do :; done
case $last in
"$dir"/*) . "$last" ;;
esac
exit 0
)";

// Runs the real testparm with at most 1024 open files, the limit smbd wants raised.
const char lowFileLimitChecker[] = R"(#!/bin/sh
ulimit -n 1024
exec testparm "$@"
)";

// What the checker's stand-in does when it dies by a signal, without leaving a core file behind.
const char crashingCheck[] = "echo 'ERROR: about to crash' >&2\nulimit -c 0\nkill -s SEGV $$\n";

// Standard error of testparm 4.17 on a valid file, on a file with an invalid 'security' value
// (exit code 1), on one that enables a WINS server while naming another one (exit code 1), and on
// one whose lock directory is missing (exit code 0).
const char capturedValid[] = R"(Load smb config files from ok.conf
lp_load_ex: refreshing parameters
Initialising global parameters
Processing section "[global]"
Processing section "[data]"
Loaded services file OK.
Weak crypto is allowed by GnuTLS (e.g. NTLM as a compatibility fallback)

Server role: ROLE_STANDALONE

)";
const char capturedInvalidSecurity[] = R"(Load smb config files from w.conf
lp_load_ex: refreshing parameters
Initialising global parameters
Processing section "[global]"
WARNING: Ignoring invalid value 'bogus' for parameter 'security'
Error loading services.
)";
const char capturedWinsConflict[] = R"(Load smb config files from e1.conf
lp_load_ex: refreshing parameters
Initialising global parameters
Processing section "[global]"
Loaded services file OK.
Weak crypto is allowed by GnuTLS (e.g. NTLM as a compatibility fallback)

ERROR: both 'wins support = true' and 'wins server = <server list>' cannot be set in the smb.conf file. nmbd will abort with this setting.

Server role: ROLE_STANDALONE

)";
const char capturedMissingLockDirectory[] = R"(Load smb config files from e2.conf
lp_load_ex: refreshing parameters
Initialising global parameters
Processing section "[global]"
Loaded services file OK.
Weak crypto is allowed by GnuTLS (e.g. NTLM as a compatibility fallback)

WARNING: lock directory /nonexistent/lockdir does not exist

Server role: ROLE_STANDALONE

)";
const char capturedLowFileLimit[] = R"(Load smb config files from ok.conf
lp_load_ex: refreshing parameters
Initialising global parameters
rlimit_max: increasing rlimit_max (1024) to minimum Windows limit (16384)
Processing section "[global]"
Processing section "[data]"
Loaded services file OK.
Weak crypto is allowed by GnuTLS (e.g. NTLM as a compatibility fallback)

Server role: ROLE_STANDALONE

)";

constexpr int bigOutputSize = 8 * 1024 * 1024;

} // namespace

class TestTestParm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void classify_data();
    void classify();
    void commandLine();
    void parameterName_data();
    void parameterName();
    void realParameterNames_data();
    void realParameterNames();

    void realChecker_data();
    void realChecker();
    void realCheckerReportsFileLimit();

    void problems_data();
    void problems();
    void passesArgumentsInOrder();
    void programFromEnvironmentNotPath();
    void checkerCrashes();
    void checkerHangs();
    void checkerNotStartable_data();
    void checkerNotStartable();
    void standardInputIsClosed();
    void checkerOutput_data();
    void checkerOutput();
    void bigStandardOutputDoesNotBlock();
    void bigStandardErrorIsReadWhole();

    void asyncCheck_data();
    void asyncCheck();
    void asyncChecksDefaultConfiguration();
    void asyncCheckOfRealChecker();
    void asyncMissingProgram();
    void asyncCrash();
    void asyncNextCheckReportsOnlyItsOwnOutput();
    void syncCheckDuringAsyncCheck();
    void destroyedDuringAsyncCheck();

private:
    QString fakeChecker() const { return m_dir->filePath(QStringLiteral("testparm")); }
    QString writeFile(const QString &name, const QByteArray &content);
    QString writeScript(const QString &name, const QByteArray &content);
    QList<QByteArray> calls() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestTestParm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    writeScript(QStringLiteral("testparm"),
                QString::fromLatin1(fakeCheckerTemplate).arg(m_dir->path()).toUtf8());
}

QString TestTestParm::writeFile(const QString &name, const QByteArray &content)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString TestTestParm::writeScript(const QString &name, const QByteArray &content)
{
    const QString path = writeFile(name, content);
    if (!QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        qFatal("cannot make %s executable", qPrintable(path));
    return path;
}

QList<QByteArray> TestTestParm::calls() const
{
    QFile file(m_dir->filePath(QStringLiteral("calls")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = file.readAll().split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

void TestTestParm::classify_data()
{
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("standardError");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");

    QTest::newRow("silent success") << 0 << QByteArray() << int(TestParmResult::Ok) << QString();
    QTest::newRow("plain chatter") << 0 << QByteArray("Loaded services file OK.\n") << int(TestParmResult::Ok)
                                   << QStringLiteral("Loaded services file OK.\n");
    QTest::newRow("warning") << 0 << QByteArray("WARNING: something odd\n") << int(TestParmResult::Warnings)
                             << QStringLiteral("WARNING: something odd\n");
    QTest::newRow("error") << 0 << QByteArray("ERROR: something bad\n") << int(TestParmResult::Errors)
                           << QStringLiteral("ERROR: something bad\n");
    QTest::newRow("warning then error")
        << 0 << QByteArray("WARNING: odd\nERROR: bad\n") << int(TestParmResult::Errors)
        << QStringLiteral("WARNING: odd\nERROR: bad\n");
    QTest::newRow("error then warning")
        << 0 << QByteArray("ERROR: bad\nWARNING: odd\n") << int(TestParmResult::Errors)
        << QStringLiteral("ERROR: bad\nWARNING: odd\n");
    QTest::newRow("warning marker inside a line")
        << 0 << QByteArray("xxWARNING:yy") << int(TestParmResult::Warnings) << QStringLiteral("xxWARNING:yy");
    QTest::newRow("error marker inside a line")
        << 0 << QByteArray("prefixERROR:suffix") << int(TestParmResult::Errors)
        << QStringLiteral("prefixERROR:suffix");
    QTest::newRow("lower-case error") << 0 << QByteArray("error: lower case\n") << int(TestParmResult::Ok)
                                      << QStringLiteral("error: lower case\n");
    QTest::newRow("capitalised markers")
        << 0 << QByteArray("Error: one\nWarning: two\n") << int(TestParmResult::Ok)
        << QStringLiteral("Error: one\nWarning: two\n");
    QTest::newRow("lower-case warning") << 0 << QByteArray("warning: lower case\n") << int(TestParmResult::Ok)
                                        << QStringLiteral("warning: lower case\n");
    QTest::newRow("markers without colon")
        << 0 << QByteArray("ERROR WARNING ERROR : WARNING :\n") << int(TestParmResult::Ok)
        << QStringLiteral("ERROR WARNING ERROR : WARNING :\n");
    QTest::newRow("error loading services, exit 0")
        << 0 << QByteArray("Error loading services.\n") << int(TestParmResult::Ok)
        << QStringLiteral("Error loading services.\n");
    QTest::newRow("exit 1, silent") << 1 << QByteArray() << int(TestParmResult::Errors) << QString();
    QTest::newRow("exit 1, chatter") << 1 << QByteArray("Loaded services file OK.\n")
                                     << int(TestParmResult::Errors)
                                     << QStringLiteral("Loaded services file OK.\n");
    QTest::newRow("exit 1, warning") << 1 << QByteArray("WARNING: odd\n") << int(TestParmResult::Errors)
                                     << QStringLiteral("WARNING: odd\n");
    QTest::newRow("exit 255") << 255 << QByteArray() << int(TestParmResult::Errors) << QString();
    QTest::newRow("negative exit code") << -1 << QByteArray() << int(TestParmResult::Errors) << QString();
    QTest::newRow("marker after a NUL byte")
        << 0 << QByteArray("junk\0WARNING: odd", 17) << int(TestParmResult::Warnings)
        << QString::fromUtf8("junk\0WARNING: odd", 17);
    QTest::newRow("UTF-8 text") << 0 << QByteArray("WARNING: caf\xc3\xa9 \xe2\x82\xac\n")
                                << int(TestParmResult::Warnings)
                                << QStringLiteral("WARNING: caf\u00e9 \u20ac\n");
    QTest::newRow("invalid UTF-8 before marker")
        << 0 << QByteArray("caf\xe9 ERROR: x") << int(TestParmResult::Errors)
        << QStringLiteral("caf\ufffd ERROR: x");

    QTest::newRow("captured: valid") << 0 << QByteArray(capturedValid) << int(TestParmResult::Ok)
                                     << QString::fromUtf8(capturedValid);
    QTest::newRow("captured: invalid security")
        << 1 << QByteArray(capturedInvalidSecurity) << int(TestParmResult::Errors)
        << QString::fromUtf8(capturedInvalidSecurity);
    QTest::newRow("captured: wins conflict")
        << 1 << QByteArray(capturedWinsConflict) << int(TestParmResult::Errors)
        << QString::fromUtf8(capturedWinsConflict);
    QTest::newRow("captured: missing lock directory")
        << 0 << QByteArray(capturedMissingLockDirectory) << int(TestParmResult::Warnings)
        << QString::fromUtf8(capturedMissingLockDirectory);
    QTest::newRow("captured: low file limit")
        << 0 << QByteArray(capturedLowFileLimit) << int(TestParmResult::Ok)
        << QString::fromUtf8(capturedLowFileLimit);
}

void TestTestParm::classify()
{
    QFETCH(int, exitCode);
    QFETCH(QByteArray, standardError);
    QFETCH(int, status);
    QFETCH(QString, output);

    const TestParmResult result = TestParm::classify(exitCode, standardError);
    QCOMPARE(result.status, status);
    QCOMPARE(result.output, output);
}

// Captured from testparm 4.17 -s --parameter-name=NAME -- /dev/null.
const char capturedUnknownName[] =
    "Load smb config files from /dev/null\nLoaded services file OK.\n"
    "Weak crypto is allowed by GnuTLS (e.g. NTLM as a compatibility fallback)\n\n"
    "Unknown parameter encountered: \"[root]path\"\n"
    "Parameter [root]path unknown for section global\n";
const char capturedUnknownParametric[] = "Load smb config files from /dev/null\nLoaded services file OK.\n"
                                         "Weak crypto is allowed by GnuTLS (e.g. NTLM as a compatibility "
                                         "fallback)\n\nParameter foo:bar unknown for section global\n";
const char capturedKnownName[] =
    "Load smb config files from /dev/null\nLoaded services file OK.\n"
    "Weak crypto is allowed by GnuTLS (e.g. NTLM as a compatibility fallback)\n\n";

void TestTestParm::parameterName_data()
{
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("standardError");
    QTest::addColumn<int>("answer");
    using Name = TestParm::ParameterName;
    QTest::newRow("captured: known") << 0 << QByteArray(capturedKnownName) << int(Name::Known);
    QTest::newRow("captured: unknown") << 1 << QByteArray(capturedUnknownName) << int(Name::Unknown);
    QTest::newRow("captured: unknown parametric")
        << 1 << QByteArray(capturedUnknownParametric) << int(Name::Unknown);
    QTest::newRow("exit 1, no file") << 1 << QByteArray("Can't load /dev/null - run testparm to debug it\n")
                                     << int(Name::NoAnswer);
    QTest::newRow("exit 1, silent") << 1 << QByteArray() << int(Name::NoAnswer);
}

void TestTestParm::parameterName()
{
    QFETCH(int, exitCode);
    QFETCH(QByteArray, standardError);
    QFETCH(int, answer);
    QCOMPARE(int(TestParm::parameterName(exitCode, standardError)), answer);
}

void TestTestParm::realParameterNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("answer");
    using Name = TestParm::ParameterName;
    QTest::newRow("global") << QStringLiteral("server string") << int(Name::Known);
    QTest::newRow("share, other spelling") << QStringLiteral("Writable") << int(Name::Known);
    QTest::newRow("no blanks") << QStringLiteral("readonly") << int(Name::Known);
    QTest::newRow("unknown") << QStringLiteral("no such parameter") << int(Name::Unknown);
    QTest::newRow("a section in front") << QStringLiteral("[root]path") << int(Name::Unknown);
    QTest::newRow("an option's look") << QStringLiteral("-s") << int(Name::Unknown);
}

// The real testparm, asked by the arguments the class passes.
void TestTestParm::realParameterNames()
{
    QFETCH(QString, name);
    QFETCH(int, answer);
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("testparm")).isEmpty(),
             "testparm is not installed");
    QString error;
    QCOMPARE(int(TestParm().knowsParameter(name, &error)), answer);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestTestParm::commandLine()
{
    QCOMPARE(TestParm::arguments(QStringLiteral("/etc/samba/smb.conf")),
             QStringList({QStringLiteral("-s"), QStringLiteral("-d"), QStringLiteral("3"),
                          QStringLiteral("--"), QStringLiteral("/etc/samba/smb.conf")}));
    QCOMPARE(TestParm::arguments(QStringLiteral("/tmp/a dir/smb.conf.XXXX")),
             QStringList({QStringLiteral("-s"), QStringLiteral("-d"), QStringLiteral("3"),
                          QStringLiteral("--"), QStringLiteral("/tmp/a dir/smb.conf.XXXX")}));
}

void TestTestParm::realChecker_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QList<int>>("statuses");
    QTest::addColumn<QStringList>("markers");

    // Whether the checker warns about a valid file depends on the machine (state directories and
    // the like), so either verdict is an acceptance.
    QTest::newRow("valid") << QByteArray("[global]\n\tworkgroup = WORKGROUP\n\tsecurity = user\n\n"
                                         "[data]\n\tpath = /tmp\n\tread only = no\n")
                           << QList<int>{TestParmResult::Ok, TestParmResult::Warnings} << QStringList();
    QTest::newRow("missing lock directory")
        << QByteArray("[global]\n\tlock directory = /nonexistent/shareward-lock\n")
        << QList<int>{TestParmResult::Warnings} << QStringList{QStringLiteral("WARNING: lock directory")};
    QTest::newRow("WINS server and WINS support")
        << QByteArray("[global]\n\twins support = yes\n\twins server = 10.0.0.1\n")
        << QList<int>{TestParmResult::Errors}
        << QStringList{QStringLiteral("ERROR: both 'wins support = true'")};
    // What the start-up repair looks for: the warning marker on standard error and a failing exit.
    QTest::newRow("invalid security")
        << QByteArray("[global]\n\tsecurity = bogus\n") << QList<int>{TestParmResult::Errors}
        << QStringList{QStringLiteral("WARNING: Ignoring invalid value"),
                       QStringLiteral("for parameter 'security'")};
}

void TestTestParm::realChecker()
{
    QFETCH(QByteArray, config);
    QFETCH(QList<int>, statuses);
    QFETCH(QStringList, markers);

    const QString checker = QStandardPaths::findExecutable(QStringLiteral("testparm"));
    QVERIFY2(!checker.isEmpty(), "testparm (package samba-common-bin) is not installed");
    const QString path = writeFile(QStringLiteral("smb.conf"), config);

    TestParm testParm(QStringLiteral("testparm"));
    const TestParmResult result = testParm.checkConf(path);
    QVERIFY2(statuses.contains(result.status), qPrintable(result.output));
    // Standard error was read: testparm names the file it loads there.
    QVERIFY2(result.output.contains(path), qPrintable(result.output));
    for (const QString &marker : qAsConst(markers))
        QVERIFY2(result.output.contains(marker), qPrintable(result.output));
}

void TestTestParm::realCheckerReportsFileLimit()
{
    // The open-file-limit repair is offered on what testparm says about a low limit.
    const QString program = writeScript(QStringLiteral("low-limit-testparm"), lowFileLimitChecker);
    const QString path =
        writeFile(QStringLiteral("smb.conf"), "[global]\n\twins support = yes\n\twins server = 10.0.0.1\n");

    const TestParmResult result = TestParm(program).checkConf(path);
    QCOMPARE(result.status, int(TestParmResult::Errors));
    QVERIFY2(result.output.contains(QLatin1String("increasing rlimit_max")), qPrintable(result.output));
    QVERIFY2(result.output.contains(QLatin1String("to minimum Windows limit")), qPrintable(result.output));
}

// Captured from testparm 4.17 -s -d 3 on refused files: what is wrong, without the routine lines.
void TestTestParm::problems_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("problems");
    QTest::newRow("invalid value") << "Load smb config files from /tmp/bad.conf\n"
                                      "WARNING: Ignoring invalid value 'x' for parameter 'map to guest'\n"
                                      "Error loading services.\n"
                                   << "WARNING: Ignoring invalid value 'x' for parameter 'map to guest'\n"
                                      "Error loading services.";
    QTest::newRow("debug level 3")
        << "Load smb config files from r.conf\nlp_load_ex: refreshing parameters\n"
           "Initialising global parameters\nProcessing section \"[global]\"\n"
           "Unknown parameter encountered: \"foo bar\"\n"
           "Ignoring unknown parameter \"foo bar\"\n"
           "Can't find include file /nonexistent.conf\nProcessing section \"[s]\"\n"
           "Invalid octal number create mask\nError loading services.\n"
        << "Unknown parameter encountered: \"foo bar\"\n"
           "Ignoring unknown parameter \"foo bar\"\n"
           "Can't find include file /nonexistent.conf\n"
           "Invalid octal number create mask\nError loading services.";
    QTest::newRow("loaded with a warning")
        << "Load smb config files from p.conf\nWARNING: [printers] service MUST be printable!\n"
           "Loaded services file OK.\nWeak crypto is allowed by GnuTLS (e.g. NTLM as a compatibility "
           "fallback)\n"
           "\nServer role: ROLE_STANDALONE\n\n"
        << "WARNING: [printers] service MUST be printable!";
    QTest::newRow("only routine lines") << "Load smb config files from x.conf\n"
                                        << "Load smb config files from x.conf";
}

void TestTestParm::problems()
{
    QFETCH(QString, output);
    QTEST(TestParm::problems(output), "problems");
}

void TestTestParm::passesArgumentsInOrder()
{
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("a dir")));
    const QString path = writeFile(QStringLiteral("a dir/smb.conf"), "echo 'Loaded services file OK.' >&2\n");

    const TestParmResult result = TestParm(fakeChecker()).checkConf(path);
    QCOMPARE(result.status, int(TestParmResult::Ok));
    QCOMPARE(result.output, QStringLiteral("Loaded services file OK.\n"));
    QCOMPARE(calls(), QList<QByteArray>{"-s|-d|3|--|" + path.toUtf8() + '|'});
}

// The default checker is Debian's testparm, whatever PATH says; a stand-in is named in the
// environment.
void TestTestParm::programFromEnvironmentNotPath()
{
    const QString path = writeFile(QStringLiteral("smb.conf"), "echo 'WARNING: from the fake' >&2\n");
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_dir->path()) + ':' + savedPath);
    const TestParmResult real = TestParm().checkConf(path);
    qputenv("PATH", savedPath);
    QCOMPARE(calls().size(), 0);
    QVERIFY2(!real.output.contains(QLatin1String("from the fake")), qPrintable(real.output));

    qputenv("SHAREWARD_PROGRAM_TESTPARM", QFile::encodeName(fakeChecker()));
    const TestParmResult result = TestParm().checkConf(path);
    qunsetenv("SHAREWARD_PROGRAM_TESTPARM");
    QCOMPARE(result.status, int(TestParmResult::Warnings));
    QCOMPARE(result.output, QStringLiteral("WARNING: from the fake\n"));
    QCOMPARE(calls().size(), 1);
}

void TestTestParm::checkerCrashes()
{
    const QString path = writeFile(QStringLiteral("smb.conf"), crashingCheck);

    const TestParmResult result = TestParm(fakeChecker()).checkConf(path);
    QCOMPARE(result.status, int(TestParmResult::Failed));
    QCOMPARE(result.output, QStringLiteral("Process crashed"));
}

void TestTestParm::checkerHangs()
{
    TestParm testParm(fakeChecker(), writeFile(QStringLiteral("smb.conf"), "sleep 30\n"));
    testParm.setTimeLimit(300);
    const QString text = fakeChecker() + QStringLiteral(" did not finish within a second");
    const TestParmResult result = testParm.checkConf(m_dir->filePath(QStringLiteral("smb.conf")));
    QCOMPARE(result.status, int(TestParmResult::Failed));
    QCOMPARE(result.output, text);

    QSignalSpy checked(&testParm, &TestParm::confChecked);
    QSignalSpy errors(&testParm, &TestParm::processError);
    testParm.requestCheckConf();
    QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 3000);
    QCOMPARE(errors.at(0).at(0).toString(), text);
    QCOMPARE(checked.count(), 0);
}

void TestTestParm::checkerNotStartable_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("inTestDirectory");

    QTest::newRow("missing") << QStringLiteral("no-such-testparm") << true;
    QTest::newRow("not executable") << QStringLiteral("plain-file") << true;
    QTest::newRow("directory") << QStringLiteral("a-directory") << true;
    QTest::newRow("not on the search path") << QStringLiteral("shareward-no-such-checker") << false;
}

void TestTestParm::checkerNotStartable()
{
    QFETCH(QString, program);
    QFETCH(bool, inTestDirectory);

    writeFile(QStringLiteral("plain-file"), "#!/bin/sh\nexit 0\n");
    QVERIFY(QFile::setPermissions(m_dir->filePath(QStringLiteral("plain-file")),
                                  QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("a-directory")));
    const QString path = writeFile(QStringLiteral("smb.conf"), "[global]\n");

    // A checker that never ran has accepted nothing.
    const TestParmResult result =
        TestParm(inTestDirectory ? m_dir->filePath(program) : program).checkConf(path);
    QCOMPARE(result.status, int(TestParmResult::Failed));
    QVERIFY2(result.output.startsWith(QLatin1String("Failed to start")), qPrintable(result.output));
}

void TestTestParm::standardInputIsClosed()
{
    // testparm -s never reads its input; a checker that did must not wait for input forever.
    const QString path =
        writeFile(QStringLiteral("smb.conf"),
                  "if ! timeout 20 cat >/dev/null; then echo 'ERROR: input left open' >&2; fi\n"
                  "echo 'WARNING: read to the end' >&2\n");
    const TestParmResult result = TestParm(fakeChecker()).checkConf(path);
    QCOMPARE(result.output, QStringLiteral("WARNING: read to the end\n"));
    QCOMPARE(result.status, int(TestParmResult::Warnings));
}

void TestTestParm::checkerOutput_data()
{
    QTest::addColumn<QByteArray>("check");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");

    QTest::newRow("exit 0, silent") << QByteArray("exit 0\n") << int(TestParmResult::Ok) << QString();
    QTest::newRow("exit 1, silent") << QByteArray("exit 1\n") << int(TestParmResult::Errors) << QString();
    QTest::newRow("exit 1, chatter") << QByteArray("echo 'Error loading services.' >&2\nexit 1\n")
                                     << int(TestParmResult::Errors)
                                     << QStringLiteral("Error loading services.\n");
    QTest::newRow("warning") << QByteArray("echo 'WARNING: odd' >&2\n") << int(TestParmResult::Warnings)
                             << QStringLiteral("WARNING: odd\n");
    QTest::newRow("error with exit 0")
        << QByteArray("echo 'WARNING: odd' >&2\necho 'ERROR: bad' >&2\n") << int(TestParmResult::Errors)
        << QStringLiteral("WARNING: odd\nERROR: bad\n");
    QTest::newRow("markers on standard output only")
        << QByteArray("echo 'ERROR: dump' \necho 'WARNING: dump'\n") << int(TestParmResult::Ok) << QString();
}

void TestTestParm::checkerOutput()
{
    QFETCH(QByteArray, check);
    QFETCH(int, status);
    QFETCH(QString, output);

    const QString path = writeFile(QStringLiteral("smb.conf"), check);
    const TestParmResult result = TestParm(fakeChecker()).checkConf(path);
    QCOMPARE(result.status, status);
    QCOMPARE(result.output, output);
}

void TestTestParm::bigStandardOutputDoesNotBlock()
{
    // Should the dump on standard output ever fill a pipe nobody reads, the writer gives up after a
    // while and says so on standard error, instead of hanging the test.
    const QString path = writeFile(QStringLiteral("smb.conf"),
                                   QByteArray("if ! timeout 20 head -c ") + QByteArray::number(bigOutputSize)
                                       + " /dev/zero; then echo 'ERROR: standard output blocked' >&2; fi\n"
                                         "echo 'WARNING: done' >&2\n");
    const TestParmResult result = TestParm(fakeChecker()).checkConf(path);
    QCOMPARE(result.output, QStringLiteral("WARNING: done\n"));
    QCOMPARE(result.status, int(TestParmResult::Warnings));
}

void TestTestParm::bigStandardErrorIsReadWhole()
{
    const QString path = writeFile(QStringLiteral("smb.conf"),
                                   QByteArray("head -c ") + QByteArray::number(bigOutputSize)
                                       + " /dev/zero | tr '\\000' x >&2\necho 'WARNING: at the end' >&2\n");
    const TestParmResult result = TestParm(fakeChecker()).checkConf(path);
    QCOMPARE(result.status, int(TestParmResult::Warnings));
    QCOMPARE(result.output.size(), bigOutputSize + int(sizeof("WARNING: at the end\n")) - 1);
    QVERIFY(result.output.endsWith(QLatin1String("xWARNING: at the end\n")));
}

void TestTestParm::asyncCheck_data()
{
    checkerOutput_data();
}

void TestTestParm::asyncCheck()
{
    QFETCH(QByteArray, check);
    QFETCH(int, status);
    QFETCH(QString, output);

    const QString path = writeFile(QStringLiteral("smb.conf"), check);
    TestParm testParm(fakeChecker(), path);
    QSignalSpy checked(&testParm, &TestParm::confChecked);
    QSignalSpy errors(&testParm, &TestParm::processError);

    testParm.requestCheckConf();
    QVERIFY(checked.wait(10000));
    QCOMPARE(checked.count(), 1);
    const auto result = checked.at(0).at(0).value<TestParmResult>();
    QCOMPARE(result.status, status);
    QCOMPARE(result.output, output);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(calls(), QList<QByteArray>{"-s|-d|3|--|" + path.toUtf8() + '|'});
}

void TestTestParm::asyncChecksDefaultConfiguration()
{
    // The fake named in the environment only records what it was asked to check.
    qputenv("SHAREWARD_PROGRAM_TESTPARM", QFile::encodeName(fakeChecker()));
    TestParm testParm;
    qunsetenv("SHAREWARD_PROGRAM_TESTPARM");
    QSignalSpy checked(&testParm, &TestParm::confChecked);
    testParm.requestCheckConf();

    QVERIFY(checked.wait(10000));
    QCOMPARE(checked.at(0).at(0).value<TestParmResult>().status, int(TestParmResult::Ok));
    QCOMPARE(calls(), QList<QByteArray>{"-s|-d|3|--|/etc/samba/smb.conf|"});
}

void TestTestParm::asyncCheckOfRealChecker()
{
    const QString path =
        writeFile(QStringLiteral("smb.conf"), "[global]\n\twins support = yes\n\twins server = 10.0.0.1\n");
    TestParm testParm(QStringLiteral("testparm"), path);
    QSignalSpy checked(&testParm, &TestParm::confChecked);
    QSignalSpy errors(&testParm, &TestParm::processError);

    testParm.requestCheckConf();
    QVERIFY(checked.wait(10000));
    const auto result = checked.at(0).at(0).value<TestParmResult>();
    QCOMPARE(result.status, int(TestParmResult::Errors));
    QVERIFY2(result.output.contains(QLatin1String("ERROR:")), qPrintable(result.output));
    QCOMPARE(errors.count(), 0);
}

void TestTestParm::asyncMissingProgram()
{
    TestParm testParm(m_dir->filePath(QStringLiteral("no-such-testparm")),
                      writeFile(QStringLiteral("smb.conf"), "[global]\n"));
    QSignalSpy checked(&testParm, &TestParm::confChecked);
    QSignalSpy errors(&testParm, &TestParm::processError);

    testParm.requestCheckConf();
    QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 10000);
    QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("Failed to start"));
    // Nothing else follows.
    QTest::qWait(100);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(checked.count(), 0);
}

void TestTestParm::asyncCrash()
{
    TestParm testParm(fakeChecker(), writeFile(QStringLiteral("smb.conf"), crashingCheck));
    QSignalSpy checked(&testParm, &TestParm::confChecked);
    QSignalSpy errors(&testParm, &TestParm::processError);

    testParm.requestCheckConf();
    QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 10000);
    QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("Process crashed"));
    QTest::qWait(100);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(checked.count(), 0);
}

void TestTestParm::asyncNextCheckReportsOnlyItsOwnOutput()
{
    // The checked file changes between the checks, as it does when the administrator edits it.
    const QString path = writeFile(QStringLiteral("smb.conf"), crashingCheck);
    TestParm testParm(fakeChecker(), path);
    QSignalSpy checked(&testParm, &TestParm::confChecked);
    QSignalSpy errors(&testParm, &TestParm::processError);

    testParm.requestCheckConf();
    QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, 10000);

    writeFile(QStringLiteral("smb.conf"), "echo 'WARNING: second' >&2\n");
    testParm.requestCheckConf();
    QVERIFY(checked.wait(10000));
    auto result = checked.at(0).at(0).value<TestParmResult>();
    QCOMPARE(result.status, int(TestParmResult::Warnings));
    QCOMPARE(result.output, QStringLiteral("WARNING: second\n"));

    writeFile(QStringLiteral("smb.conf"), "echo 'third' >&2\n");
    testParm.requestCheckConf();
    QVERIFY(checked.wait(10000));
    result = checked.at(1).at(0).value<TestParmResult>();
    QCOMPARE(result.status, int(TestParmResult::Ok));
    QCOMPARE(result.output, QStringLiteral("third\n"));
    QCOMPARE(errors.count(), 1);
}

void TestTestParm::syncCheckDuringAsyncCheck()
{
    const QString slow = writeFile(QStringLiteral("slow.conf"), "sleep 0.3\necho 'WARNING: slow' >&2\n");
    const QString quick = writeFile(QStringLiteral("quick.conf"), "echo 'ERROR: quick' >&2\n");
    TestParm testParm(fakeChecker(), slow);
    QSignalSpy checked(&testParm, &TestParm::confChecked);
    QSignalSpy errors(&testParm, &TestParm::processError);

    testParm.requestCheckConf();
    const TestParmResult result = testParm.checkConf(quick);
    QCOMPARE(result.status, int(TestParmResult::Errors));
    QCOMPARE(result.output, QStringLiteral("ERROR: quick\n"));

    QVERIFY(checked.wait(10000));
    QCOMPARE(checked.count(), 1);
    const auto asyncResult = checked.at(0).at(0).value<TestParmResult>();
    QCOMPARE(asyncResult.status, int(TestParmResult::Warnings));
    QCOMPARE(asyncResult.output, QStringLiteral("WARNING: slow\n"));
    QCOMPARE(errors.count(), 0);
}

void TestTestParm::destroyedDuringAsyncCheck()
{
    const QString path = writeFile(QStringLiteral("smb.conf"), "echo $$ >\"$dir/pid\"\nexec sleep 30\n");
    auto testParm = std::make_unique<TestParm>(fakeChecker(), path);
    QSignalSpy checked(testParm.get(), &TestParm::confChecked);
    QSignalSpy errors(testParm.get(), &TestParm::processError);
    testParm->requestCheckConf();
    const QString pidFile = m_dir->filePath(QStringLiteral("pid"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(pidFile).size() > 0, 10000);

    QElapsedTimer timer;
    timer.start();
    testParm.reset();
    QVERIFY2(timer.elapsed() < 10000, "the running checker was not stopped");

    // The checker is gone, and its end reaches nobody.
    QFile file(pidFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pid = file.readAll().trimmed();
    QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/") + QString::fromLatin1(pid)));
    QCoreApplication::processEvents();
    QCOMPARE(checked.count(), 0);
    QCOMPARE(errors.count(), 0);
}

QTEST_GUILESS_MAIN(TestTestParm)

#include "tst_testparm.moc"
