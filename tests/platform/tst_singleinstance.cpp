// One instance per user: real processes of a small program built on the class.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

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

private:
    // Every test gets its own temporary directory, where the lock and socket live.
    QProcessEnvironment environment() const;
    void startPrimary(QProcess &process);
    QByteArray runSecond(const QString &message, int *exitCode);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSingleInstance::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QProcessEnvironment TestSingleInstance::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), m_dir->path());
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

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
