// One instance per user: real processes of a small program built on the class, and where
// the lock lives.
#include "instancelock.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const probe = SHAREWARD_BINARY_DIR "/tests/platform/singleinstanceprobe";

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void secondInstanceHandsOver();
    void crashedInstanceIsNoObstacle();
    void killedInstancesAreNoObstacle();
    void filesOfOthersAreNoObstacle();
    void silentFirstIsReported();
    void lockDirectory_data();
    void lockDirectory();

private:
    // Every test gets its own temporary directory: its runtime directory holds the lock and
    // the socket, its temporary directory whatever else.
    QProcessEnvironment environment() const;
    void startPrimary(QProcess &process);
    QByteArray runSecond(const QString &message, int *exitCode);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    for (const char *directory : {"runtime", "tmp"}) {
        QVERIFY(QDir(m_dir->path()).mkdir(QLatin1String(directory)));
        QVERIFY(::chmod(QFile::encodeName(m_dir->filePath(QLatin1String(directory))).constData(), 0700) == 0);
    }
}

QProcessEnvironment TestSingleInstance::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir->filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("TMPDIR"), m_dir->filePath(QStringLiteral("tmp")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

void TestSingleInstance::startPrimary(QProcess &process)
{
    process.setProcessEnvironment(environment());
    process.start(QString::fromLatin1(probe), QStringList());
    QVERIFY(process.waitForStarted(10000));
    QVERIFY(process.waitForReadyRead(10000));
    QCOMPARE(process.readLine().trimmed(), QByteArray("primary"));
}

QByteArray TestSingleInstance::runSecond(const QString &message, int *exitCode)
{
    QProcess second;
    second.setProcessEnvironment(environment());
    second.start(QString::fromLatin1(probe), {message});
    second.waitForFinished(20000);
    *exitCode = second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    return second.readAllStandardOutput().trimmed();
}

void TestSingleInstance::secondInstanceHandsOver()
{
    QProcess first;
    startPrimary(first);

    int exitCode = 0;
    QCOMPARE(runSecond(QStringLiteral("raise"), &exitCode), QByteArray("running sent"));
    QCOMPARE(exitCode, 1);
    QVERIFY(first.waitForReadyRead(10000));
    // The message arrives and the minimized window comes back.
    QCOMPARE(first.readLine().trimmed(), QByteArray("message raise raised"));

    QCOMPARE(runSecond(QStringLiteral("quit"), &exitCode), QByteArray("running sent"));
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitCode(), 0);

    // With the first gone, the next start is the first again.
    QProcess next;
    startPrimary(next);
    QCOMPARE(runSecond(QStringLiteral("quit"), &exitCode), QByteArray("running sent"));
    QVERIFY(next.waitForFinished(10000));
}

void TestSingleInstance::crashedInstanceIsNoObstacle()
{
    QProcess first;
    startPrimary(first);
    // A crash leaves the lock file and the socket behind.
    ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
    QVERIFY(first.waitForFinished(10000));

    QProcess next;
    startPrimary(next);
    int exitCode = 0;
    QCOMPARE(runSecond(QStringLiteral("quit"), &exitCode), QByteArray("running sent"));
    QCOMPARE(exitCode, 1);
    QVERIFY(next.waitForFinished(10000));
}

// Ended by SIGTERM (as at a logout) or SIGKILL at any moment of its start or later: the next
// start is the first again, every time.
void TestSingleInstance::killedInstancesAreNoObstacle()
{
    for (int round = 0; round < 50; ++round) {
        QProcess first;
        startPrimary(first);
        if (QTest::currentTestFailed())
            return;
        QProcess victim;
        victim.setProcessEnvironment(environment());
        victim.start(QString::fromLatin1(probe), QStringList());
        QVERIFY(victim.waitForStarted(10000));
        // The second start may be anywhere in its own start-up, the first is running.
        const int signal = round % 2 ? SIGKILL : SIGTERM;
        ::usleep(useconds_t(QRandomGenerator::global()->bounded(30000)));
        ::kill(pid_t(first.processId()), signal);
        ::kill(pid_t(victim.processId()), signal);
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(victim.waitForFinished(10000));
    }
    QProcess last;
    startPrimary(last);
    int exitCode = 0;
    QCOMPARE(runSecond(QStringLiteral("quit"), &exitCode), QByteArray("running sent"));
    QVERIFY(last.waitForFinished(10000));
}

// Another user's files where the lock once lived (the temporary directory) stop nothing.
void TestSingleInstance::filesOfOthersAreNoObstacle()
{
    const QString tmp = m_dir->filePath(QStringLiteral("tmp"));
    QVERIFY(::chmod(QFile::encodeName(tmp).constData(), 01777) == 0);
    for (const QString &name : {QStringLiteral("shareward-%1.lock").arg(::geteuid()),
                                QStringLiteral("shareward-%1").arg(::geteuid())}) {
        QFile planted(tmp + QLatin1Char('/') + name);
        QVERIFY(planted.open(QIODevice::WriteOnly));
        planted.write("1\nsystemd\nlocalhost\n");
        planted.close();
        if (::geteuid() == 0)
            QVERIFY(::chown(QFile::encodeName(planted.fileName()).constData(), 4243, 4243) == 0);
    }
    QProcess first;
    startPrimary(first);
    int exitCode = 0;
    QCOMPARE(runSecond(QStringLiteral("quit"), &exitCode), QByteArray("running sent"));
    QVERIFY(first.waitForFinished(10000));
}

// A first instance that holds the lock but does not answer: the second start says so.
void TestSingleInstance::silentFirstIsReported()
{
    QProcess first;
    startPrimary(first);
    ::kill(pid_t(first.processId()), SIGSTOP);
    int exitCode = 0;
    const QByteArray said = runSecond(QStringLiteral("raise"), &exitCode);
    QCOMPARE(said, QByteArray(QByteArray("running failed ") + QByteArray::number(first.processId())));
    QCOMPARE(exitCode, 1);
    ::kill(pid_t(first.processId()), SIGKILL);
    ::kill(pid_t(first.processId()), SIGCONT);
    QVERIFY(first.waitForFinished(10000));
}

void TestSingleInstance::lockDirectory_data()
{
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<QString>("userRuntime");
    QTest::addColumn<QString>("own");
    // The directory chosen, "" when none is; "own" is made when it is chosen.
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("error");

    QTest::newRow("runtime directory") << "private"
                                       << "private2"
                                       << "own"
                                       << "private"
                                       << "";
    QTest::newRow("no runtime directory: the user's under /run/user") << ""
                                                                      << "private2"
                                                                      << "own"
                                                                      << "private2"
                                                                      << "";
    QTest::newRow("runtime directory missing") << "missing"
                                               << "private2"
                                               << "own"
                                               << "private2"
                                               << "";
    QTest::newRow("runtime directory others may write") << "shared"
                                                        << ""
                                                        << "own"
                                                        << "own"
                                                        << "";
    QTest::newRow("runtime directory of another user") << "others"
                                                       << ""
                                                       << "own"
                                                       << "own"
                                                       << "";
    QTest::newRow("runtime directory a link") << "link"
                                              << ""
                                              << "own"
                                              << "own"
                                              << "";
    QTest::newRow("nothing but the own directory, made 0700") << ""
                                                              << "missing"
                                                              << "own"
                                                              << "own"
                                                              << "";
    QTest::newRow("own directory others may write")
        << ""
        << ""
        << "shared"
        << ""
        << "shared is not a directory that only its owner can change.";
    QTest::newRow("own directory a link") << ""
                                          << ""
                                          << "link"
                                          << ""
                                          << "link is not a directory that only its owner can change.";
}

void TestSingleInstance::lockDirectory()
{
    QFETCH(QString, runtime);
    QFETCH(QString, userRuntime);
    QFETCH(QString, own);
    QFETCH(QString, chosen);
    QFETCH(QString, error);

    const QString base = m_dir->path() + QLatin1Char('/');
    for (const auto &[name, mode] : {std::pair<const char *, mode_t>{"private", 0700},
                                     {"private2", 0700},
                                     {"shared", 01777},
                                     {"others", 0700}}) {
        QVERIFY(QDir(base).mkdir(QLatin1String(name)));
        QVERIFY(::chmod(QFile::encodeName(base + QLatin1String(name)).constData(), mode) == 0);
    }
    if (::geteuid() == 0)
        QVERIFY(::chown(QFile::encodeName(base + QStringLiteral("others")).constData(), 4243, 4243) == 0);
    else if (runtime == QLatin1String("others"))
        QSKIP("handing a directory to another user needs root");
    QVERIFY(QFile::link(base + QStringLiteral("private"), base + QStringLiteral("link")));

    InstanceLock::Candidates candidates;
    candidates.runtimeDirectory = runtime.isEmpty() ? QString() : base + runtime;
    candidates.userRuntimeDirectory = userRuntime.isEmpty() ? QString() : base + userRuntime;
    candidates.ownDirectory = base + own;
    QString errorText;
    const QString directory = InstanceLock::chooseDirectory(candidates, &errorText);
    QCOMPARE(directory, chosen.isEmpty() ? QString() : base + chosen);
    QCOMPARE(errorText, error.isEmpty() ? QString() : base + error);
    if (chosen == QLatin1String("own")) {
        struct stat made;
        QCOMPARE(::lstat(QFile::encodeName(directory).constData(), &made), 0);
        QCOMPARE(made.st_mode & 07777, mode_t(0700));
    }
    if (!directory.isEmpty()) {
        InstanceLock lock(directory);
        QVERIFY2(lock.tryLock(), qPrintable(lock.errorString()));
        InstanceLock second(directory);
        QVERIFY(!second.tryLock());
        QCOMPARE(second.errorString(), QString());
        QCOMPARE(second.holder(), QCoreApplication::applicationPid());
    }
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
