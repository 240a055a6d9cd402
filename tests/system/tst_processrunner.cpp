#include "processrunner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Well above what a fake program needs, so that only the hanging one meets its limit.
constexpr int GenerousLimitMs = 10000;
// How long killing and reaping may add to the limit.
constexpr int KillSlackMs = 2000;

// A program that started a child (which the kill must reach too) and waits for it.
const char hangingScript[] = "sleep 30 &\necho $! >\"${0%/*}/child\"\nwait\n";

// True when the process is gone or only a zombie waiting for a parent that does not reap.
bool processGone(const QByteArray &pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(pid)));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const int end = line.lastIndexOf(')');
    return end > 0 && line.mid(end + 2, 1) == "Z";
}

} // namespace

class TestProcessRunner : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void run_data();
    void run();
    void descriptorsStayWithCaller_data();
    void descriptorsStayWithCaller();
    void errorTexts();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestProcessRunner::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestProcessRunner::run_data()
{
    QTest::addColumn<bool>("async");
    // Empty: a program that does not exist.
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    // "%1" stands for the program; a text ending in ": " is a prefix.
    QTest::addColumn<QString>("errorText");

    const QByteArray utf8("caf\xc3\xa9 \xe2\x82\xac\n\x00\x01 no final line feed", 30);
    for (const bool async : {false, true}) {
        const QByteArray mode = async ? "async: " : "sync: ";
        const auto row = [&](const char *name) -> QTestData & {
            return QTest::newRow(QByteArray(mode + name).constData()) << async;
        };
        row("exit 0") << QByteArray("exit 0") << QByteArray() << 0 << GenerousLimitMs << 0 << QByteArray()
                      << QByteArray() << QString();
        row("exit 3") << QByteArray("exit 3") << QByteArray() << 0 << GenerousLimitMs << 3 << QByteArray()
                      << QByteArray() << QString();
        row("both channels") << QByteArray("printf out; printf err >&2; exit 1") << QByteArray()
                             << int(ProcessRunner::SeparateChannels) << GenerousLimitMs << 1
                             << QByteArray("out") << QByteArray("err") << QString();
        row("merged channels") << QByteArray("echo out; echo err >&2") << QByteArray()
                               << int(ProcessRunner::MergedChannels) << GenerousLimitMs << 0
                               << QByteArray("out\nerr\n") << QByteArray() << QString();
        row("standard output discarded")
            << QByteArray("echo out; echo err >&2") << QByteArray() << int(ProcessRunner::ErrorChannelOnly)
            << GenerousLimitMs << 0 << QByteArray() << QByteArray("err\n") << QString();
        row("input byte for byte") << QByteArray("cat") << utf8 << 0 << GenerousLimitMs << 0 << utf8
                                   << QByteArray() << QString();
        // The rest of the input meets a closed pipe: the caller goes on (no SIGPIPE).
        row("input not read") << QByteArray("exit 4") << QByteArray(4 << 20, 'x') << 0 << GenerousLimitMs << 4
                              << QByteArray() << QByteArray() << QString();
        // A program asking for input must not wait for the limit.
        row("no input, end of file") << QByteArray("cat; echo done") << QByteArray() << 0 << GenerousLimitMs
                                     << 0 << QByteArray("done\n") << QByteArray() << QString();
        row("crash") << QByteArray("echo before >&2; ulimit -c 0; kill -SEGV $$") << QByteArray() << 0
                     << GenerousLimitMs << -1 << QByteArray() << QByteArray("before\n")
                     << QStringLiteral("%1 crashed");
        row("time limit") << QByteArray(hangingScript) << QByteArray() << 0 << 300 << -1 << QByteArray()
                          << QByteArray() << QStringLiteral("%1 did not finish within a second");
        row("missing program") << QByteArray() << QByteArray() << 0 << GenerousLimitMs << -1 << QByteArray()
                               << QByteArray() << QStringLiteral("Failed to start: %1: ");
    }
}

void TestProcessRunner::run()
{
    QFETCH(bool, async);
    QFETCH(QByteArray, script);
    QFETCH(QByteArray, input);
    QFETCH(int, channels);
    QFETCH(int, limit);
    QFETCH(int, exitCode);
    QFETCH(QString, errorText);

    const QString program = m_dir->filePath(QStringLiteral("program"));
    if (!script.isEmpty()) {
        QFile file(program);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + script + '\n');
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }
    ProcessRunner runner(program, {QStringLiteral("an argument")});
    runner.setStandardInput(input);
    runner.setChannels(ProcessRunner::Channels(channels));
    runner.setTimeLimit(limit);

    QElapsedTimer clock;
    clock.start();
    ProcessResult result;
    if (async) {
        QSignalSpy finished(&runner, &ProcessRunner::finished);
        QVERIFY(runner.start());
        if (runner.isRunning())
            QVERIFY(!runner.start());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, limit + KillSlackMs);
        result = finished.at(0).at(0).value<ProcessResult>();
        QTest::qWait(50);
        QCOMPARE(finished.count(), 1);
    } else {
        result = runner.run();
    }
    QVERIFY2(clock.elapsed() < limit + KillSlackMs, qPrintable(QString::number(clock.elapsed())));

    QCOMPARE(result.started, !script.isEmpty());
    QCOMPARE(result.crashed, errorText.endsWith(QLatin1String("crashed")));
    QCOMPARE(result.timedOut, limit < GenerousLimitMs);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.succeeded(), errorText.isEmpty() && exitCode == 0);
    QTEST(result.standardOutput, "out");
    QTEST(result.standardError, "err");
    errorText = errorText.arg(program);
    if (errorText.endsWith(QLatin1String(": ")))
        QVERIFY2(result.errorText.startsWith(errorText) && result.errorText.size() > errorText.size(),
                 qPrintable(result.errorText));
    else
        QCOMPARE(result.errorText, errorText);

    if (result.timedOut) {
        QFile child(m_dir->filePath(QStringLiteral("child")));
        QVERIFY(child.open(QIODevice::ReadOnly));
        const QByteArray pid = child.readAll().trimmed();
        QTRY_VERIFY_WITH_TIMEOUT(processGone(pid), KillSlackMs);
    }
}

void TestProcessRunner::descriptorsStayWithCaller_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("run") << QStringLiteral("run");
    QTest::newRow("start") << QStringLiteral("start");
    QTest::newRow("detached") << QStringLiteral("detached");
}

// A lock held through a descriptor reaches no program, close-on-exec or not: a program
// holding it would hold the lock as long as it runs. A detached one is reaped once it ends.
void TestProcessRunner::descriptorsStayWithCaller()
{
    QFETCH(QString, how);
    const QString lockPath = m_dir->filePath(QStringLiteral("held.lock"));
    const int lock = ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT, 0600);
    QVERIFY(lock >= 0);
    const auto closeLock = qScopeGuard([lock] { ::close(lock); });

    const QString program = m_dir->filePath(QStringLiteral("program"));
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n"
               "for fd in /proc/$$/fd/*; do readlink \"$fd\"; done >\"${0%/*}/descriptors.part\"\n"
               "echo $$ >>\"${0%/*}/descriptors.part\"\n"
               "mv \"${0%/*}/descriptors.part\" \"${0%/*}/descriptors\"\n");
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    ProcessRunner runner(program);
    if (how == QLatin1String("run")) {
        QVERIFY(runner.run().succeeded());
    } else if (how == QLatin1String("start")) {
        QSignalSpy finished(&runner, &ProcessRunner::finished);
        QVERIFY(runner.start());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, GenerousLimitMs);
    } else {
        QVERIFY(ProcessRunner::startDetached(program, {}));
    }
    const QString report = m_dir->filePath(QStringLiteral("descriptors"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(report), GenerousLimitMs);
    QFile descriptors(report);
    QVERIFY(descriptors.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = descriptors.readAll().trimmed().split('\n');
    const QByteArray pid = lines.takeLast();
    QVERIFY2(!lines.contains(QFile::encodeName(lockPath)), descriptors.fileName().toLocal8Bit());
    // Not even a zombie stays behind.
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(QStringLiteral("/proc/") + QString::fromLatin1(pid)),
                             KillSlackMs);
}

void TestProcessRunner::errorTexts()
{
    QCOMPARE(ProcessRunner::timeoutErrorText(QStringLiteral("testparm"), 60000),
             QStringLiteral("testparm did not finish within 60 seconds"));
    QCOMPARE(ProcessRunner::timeoutErrorText(QStringLiteral("wbinfo"), 1500),
             QStringLiteral("wbinfo did not finish within 2 seconds"));
    QString error;
    const QString missing = m_dir->filePath(QStringLiteral("missing"));
    QVERIFY(!ProcessRunner::startDetached(missing, {}, &error));
    QVERIFY2(error.startsWith(QStringLiteral("Failed to start: ") + missing + QStringLiteral(": ")),
             qPrintable(error));
}

QTEST_GUILESS_MAIN(TestProcessRunner)

#include "tst_processrunner.moc"
