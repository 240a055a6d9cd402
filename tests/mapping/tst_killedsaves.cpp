// Saves of the real command-line tool killed at any moment, with the real testparm: while it
// starts testparm (held there by strace) and at random moments all through a save. After
// each, no process holds the save lock, nothing of the killed save is left beside smb.conf
// once the next save ran, and that next save succeeds at once.
#include "processrun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char *const cliProgram = SHAREWARD_BINARY_DIR "/src/cli/shareward-cli";

// How long random kills go on: many saves, within the time a test may take.
constexpr int RandomKillsMs = 8000;

const QByteArray config = QByteArrayLiteral("[global]\n"
                                            "   workgroup = EXAMPLE\n"
                                            "\n"
                                            "[data]\n"
                                            "   path = /srv/data\n"
                                            "   comment = Team data\n"
                                            "\n"
                                            "[public]\n"
                                            "   path = /srv/public\n"
                                            "   guest ok = yes\n");

// By their parent in /proc/PID/stat, which names the real parent also while strace traces.
QList<qint64> childrenOf(qint64 pid)
{
    QList<qint64> children;
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &process : processes) {
        QFile stat(QStringLiteral("/proc/") + process + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // PID (COMMAND) STATE PPID ...: the command may hold blanks and parentheses.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.value(1).toLongLong() == pid)
            children.append(process.toLongLong());
    }
    return children;
}

// Processes whose descriptors reach into a directory, with what they have open there.
QStringList processesUsing(const QString &directory)
{
    QStringList found;
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &process : processes) {
        bool numeric = false;
        process.toLongLong(&numeric);
        if (!numeric || process == QString::number(::getpid()))
            continue;
        const QDir fds(QStringLiteral("/proc/") + process + QStringLiteral("/fd"));
        for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            const QString target = QFile::symLinkTarget(fds.filePath(fd));
            if (target.startsWith(directory + QLatin1Char('/')))
                found.append(QStringLiteral("process %1 fd %2 -> %3").arg(process, fd, target));
        }
    }
    return found;
}

} // namespace

class TestKilledSaves : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void killedWhileStartingTestparm();
    void killedAtRandomMoments();

private:
    QString path(const QString &relative) const { return m_base + QLatin1Char('/') + relative; }
    QProcessEnvironment environment() const;
    QStringList edit(const QString &comment) const;
    // After a killed save: the lock is free at once, and the next save succeeds and leaves
    // only smb.conf in its directory.
    void checkAfterKill(const QString &what);
    // Ends whatever became this process's child through the subreaper setting.
    void endOrphans();

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_base;
    int m_edits = 0;
};

void TestKilledSaves::initTestCase()
{
    QVERIFY2(QFileInfo(QString::fromLatin1(cliProgram)).isExecutable(), cliProgram);
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("testparm")).isEmpty(),
             "testparm is not installed (scripts/install-deps.sh installs samba-common-bin)");
    // Orphans of killed savers come here, where they are seen and ended.
    QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
}

void TestKilledSaves::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    m_base = QFileInfo(m_root->path()).canonicalFilePath();
    for (const char *directory : {"conf", "history"})
        QVERIFY(QDir(m_base).mkdir(QLatin1String(directory)));
    QFile file(path(QStringLiteral("conf/smb.conf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(config), qint64(config.size()));
}

void TestKilledSaves::cleanup()
{
    endOrphans();
    m_root.reset();
}

void TestKilledSaves::endOrphans()
{
    for (const qint64 orphan : childrenOf(::getpid())) {
        ::kill(pid_t(orphan), SIGKILL);
        ::waitpid(pid_t(orphan), nullptr, 0);
    }
}

QProcessEnvironment TestKilledSaves::environment() const
{
    QProcessEnvironment result = testEnvironment();
    result.insert(QStringLiteral("SHAREWARD_RUN_DIRECTORY"), path(QStringLiteral("run")));
    result.insert(QStringLiteral("SHAREWARD_HISTORY_DIRECTORY"), path(QStringLiteral("history")));
    // LeakSanitizer cannot work in a process that strace traces, nor report on a killed one.
    QString asan = result.value(QStringLiteral("ASAN_OPTIONS"));
    if (!asan.isEmpty())
        asan += QLatin1Char(':');
    result.insert(QStringLiteral("ASAN_OPTIONS"), asan + QStringLiteral("detect_leaks=0"));
    return result;
}

QStringList TestKilledSaves::edit(const QString &comment) const
{
    return {QStringLiteral("--config"),
            path(QStringLiteral("conf/smb.conf")),
            QStringLiteral("share"),
            QStringLiteral("set"),
            QStringLiteral("data"),
            QStringLiteral("--comment"),
            comment};
}

void TestKilledSaves::checkAfterKill(const QString &what)
{
    // A program the killed save started may still run a moment, but without the lock.
    QStringList holders;
    for (int i = 0; i < 20; ++i) {
        holders = processesUsing(path(QStringLiteral("run")));
        if (holders.isEmpty())
            break;
        QTest::qWait(50);
    }
    QVERIFY2(holders.isEmpty(), qPrintable(what + QStringLiteral(": ") + holders.join(QStringLiteral("; "))));

    QElapsedTimer clock;
    clock.start();
    const QString comment = QStringLiteral("after kill %1").arg(++m_edits);
    const ProcessRun next = runProcess(QString::fromLatin1(cliProgram), edit(comment), environment());
    QVERIFY2(next.exitCode == 0,
             qPrintable(QStringLiteral("%1: the next save: %2").arg(what, QString::fromUtf8(next.err))));
    QVERIFY2(clock.elapsed() < 5000, qPrintable(what + QStringLiteral(": the next save waited")));
    QFile file(path(QStringLiteral("conf/smb.conf")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY2(file.readAll().contains("comment = " + comment.toUtf8()), qPrintable(what));
    // No copy of smb.conf that the killed save was writing is left beside it.
    QCOMPARE(QDir(path(QStringLiteral("conf")))
                 .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("smb.conf")});
}

// strace holds the saver inside the system call that starts testparm, and the saver is
// killed there: a child forked from the saver that waits for its parent before exec would
// wait for ever, holding the lock.
void TestKilledSaves::killedWhileStartingTestparm()
{
    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    if (runProcess(QStringLiteral("strace"),
                   {QStringLiteral("-qq"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                    QStringLiteral("true")},
                   system)
            .exitCode
        != 0)
        QSKIP("strace cannot trace here (not installed, or ptrace is forbidden)");

    QProcess strace;
    strace.setProcessChannelMode(QProcess::MergedChannels);
    strace.setProcessEnvironment(environment());
    strace.start(QStringLiteral("strace"),
                 QStringList{QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"),
                             QStringLiteral("/dev/null"), QStringLiteral("-e"),
                             QStringLiteral("inject=?clone,?clone3,?fork,?vfork:delay_exit=1500000"),
                             QString::fromLatin1(cliProgram)}
                     + edit(QStringLiteral("killed while starting testparm")));
    QVERIFY(strace.waitForStarted());
    // strace's child once it runs the tool: strace starts short-lived children of its own too.
    const QString cli = QFileInfo(QString::fromLatin1(cliProgram)).canonicalFilePath();
    const auto findSaver = [&strace, &cli] {
        for (const qint64 child : childrenOf(strace.processId()))
            if (QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(child)) == cli)
                return child;
        return qint64(0);
    };
    qint64 saver = 0;
    QTRY_VERIFY_WITH_TIMEOUT((saver = findSaver()) > 0, 10000);
    // The saver's first child process: the program it starts, before or after its exec.
    QTRY_VERIFY2_WITH_TIMEOUT(!childrenOf(saver).isEmpty(), strace.readAll().constData(), 10000);
    QCOMPARE(::kill(pid_t(saver), SIGKILL), 0);
    if (!strace.waitForFinished(3000)) {
        // Still tracing a child that never gets to exec.
        strace.kill();
        strace.waitForFinished();
    }
    checkAfterKill(QStringLiteral("killed while starting testparm"));
}

// SIGKILL at a random moment of a save, again and again, in every step from loading to
// installing and recording the history.
void TestKilledSaves::killedAtRandomMoments()
{
    QElapsedTimer measured;
    measured.start();
    const ProcessRun first =
        runProcess(QString::fromLatin1(cliProgram), edit(QStringLiteral("measured")), environment());
    QVERIFY2(first.exitCode == 0, first.err.constData());
    const int saveMs = int(qMax<qint64>(measured.elapsed(), 20));

    QElapsedTimer clock;
    clock.start();
    int kills = 0;
    while (clock.elapsed() < RandomKillsMs) {
        const int delayUs = int(QRandomGenerator::global()->bounded(saveMs * 1100));
        QProcess saver;
        saver.setProcessEnvironment(environment());
        saver.start(QString::fromLatin1(cliProgram), edit(QStringLiteral("killed %1").arg(kills)));
        QVERIFY(saver.waitForStarted());
        ::usleep(useconds_t(delayUs));
        ::kill(pid_t(saver.processId()), SIGKILL);
        saver.waitForFinished();
        ++kills;
        checkAfterKill(QStringLiteral("killed after %1 ms").arg(delayUs / 1000.0));
        if (QTest::currentTestFailed())
            return;
    }
    qInfo("%d saves killed at random moments within %d ms (a save takes about %d ms)", kills,
          saveMs * 11 / 10, saveMs);
}

QTEST_GUILESS_MAIN(TestKilledSaves)
#include "tst_killedsaves.moc"
