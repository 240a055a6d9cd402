// Start-up benchmark: how long the program takes from its process start to the main window
// shown with a generated smb.conf of 10,000 shares, side by side with Samba's own
// `testparm -s -d 3` checking the same file. The window runs that very check once at
// start-up, so the check is the floor; the rest of the start-up may add at most half of it.
//
// The parent writes the file into a temporary directory, then for each run
//  - spawns this program again in its child mode, which starts the real program (Startup::run)
//    on that file and, once the window is shown, prints "shown <rows>" and quits; the figure
//    is the time from the spawn until the parent reads that line;
//  - runs `testparm -s -d 3 <file>` alone, as the window runs it, and times it.
// It prints the medians, their ratio and the limit, and exits 1 when the ratio is above it
// (2 when a run fails). The child's single-instance lock goes to a private TMPDIR, and it runs
// on the offscreen platform unless a display is set. Run as root, as the program itself.
//
//   shareward-startup-bench [--repeat N] [--shares N] [--testparm PROGRAM] [--timeout SECONDS]
#include "generatedconfig.h"
#include "sharemodel.h"
#include "startup.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const char childMode[] = "--startup-child";
const double limit = 1.5;

// The child: the real start-up on the given file, the other programs the real ones.
int runChild(char *program, const char *configPath, const char *testparm)
{
    Startup::Options options;
    options.environment.configPath = QString::fromLocal8Bit(configPath);
    options.environment.testparm = QString::fromLocal8Bit(testparm);
    options.shown = [](MainWindow &window) {
        std::printf("shown %d\n", window.shareModel()->rowCount());
        std::fflush(stdout);
        // exit() before exec() would be lost: the loop is not running yet.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    };
    int argc = 1;
    char *argv[] = {program, nullptr};
    return Startup::run(argc, argv, options);
}

double median(std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

double elapsedMs(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

struct Launch
{
    bool ok = false;
    QString error;
    int rows = -1;
    double shownMs = 0;
    double exitMs = 0;
};

QString logTail(const QString &path)
{
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray text = log.readAll();
    return QString::fromLocal8Bit(text.right(4000));
}

Launch launchChild(const QString &file, const QString &testparm, const QString &runDir, int timeoutMs)
{
    Launch launch;
    // A private temporary directory: the single-instance lock and socket live there, so a
    // running instance of the program neither blocks a run nor is raised by one.
    const QString tmp = runDir + QStringLiteral("/tmp");
    QDir().mkpath(tmp);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), tmp);
    // Its history is the run's too: the machine's /var/lib stays untouched.
    environment.insert(QStringLiteral("SHAREWARD_HISTORY_DIRECTORY"), runDir + QStringLiteral("/history"));
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM"))
        && environment.value(QStringLiteral("DISPLAY")).isEmpty())
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    const QString log = runDir + QStringLiteral("/stderr.log");
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.setStandardErrorFile(log);
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({QString::fromLatin1(childMode), file, testparm});

    QElapsedTimer timer;
    timer.start();
    child.start();
    QByteArray output;
    while (launch.rows < 0) {
        const int left = timeoutMs - static_cast<int>(timer.elapsed());
        if (left <= 0 || !child.waitForReadyRead(left))
            break;
        output += child.readAllStandardOutput();
        const int at = output.indexOf("shown ");
        if (at >= 0 && output.indexOf('\n', at) >= 0) {
            launch.shownMs = elapsedMs(timer);
            launch.rows = output.mid(at + 6, output.indexOf('\n', at) - at - 6).toInt();
        }
    }
    if (launch.rows < 0) {
        if (child.state() != QProcess::NotRunning) {
            child.kill();
            child.waitForFinished(5000);
            launch.error = QStringLiteral("the window was not shown within %1 s (a message box waiting?)")
                               .arg(timeoutMs / 1000);
        } else {
            launch.error = QStringLiteral("the child ended (exit code %1) before the window was shown")
                               .arg(child.exitCode());
        }
        launch.error += QStringLiteral("\n") + logTail(log);
        return launch;
    }
    const int left = std::max(1, timeoutMs - static_cast<int>(timer.elapsed()));
    if (!child.waitForFinished(left)) {
        child.kill();
        child.waitForFinished(5000);
        launch.error = QStringLiteral("the child did not quit after the window was shown");
        return launch;
    }
    launch.exitMs = elapsedMs(timer);
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        launch.error =
            QStringLiteral("the child ended with exit code %1\n").arg(child.exitCode()) + logTail(log);
        return launch;
    }
    launch.ok = true;
    return launch;
}

// testparm as the window runs it: standard output dropped, standard error read.
bool runTestparm(const QString &program, const QString &file, double &ms, QString &error)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, {QStringLiteral("-s"), QStringLiteral("-d"), QStringLiteral("3"), file});
    if (!process.waitForFinished(-1)) {
        error = process.errorString();
        return false;
    }
    const QByteArray messages = process.readAllStandardError();
    ms = elapsedMs(timer);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0
        || messages.contains("ERROR:")) {
        error = QString::fromLocal8Bit(messages.right(4000));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 4 && std::strcmp(argv[1], childMode) == 0)
        return runChild(argv[0], argv[2], argv[3]);

    QCoreApplication app(argc, argv);
    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Start-up time of the window on a generated smb.conf, against testparm -s -d 3."));
    options.addHelpOption();
    options.addOption({QStringLiteral("repeat"), QStringLiteral("Runs of each."), QStringLiteral("n"),
                       QStringLiteral("5")});
    options.addOption({QStringLiteral("shares"), QStringLiteral("Shares in the generated file."),
                       QStringLiteral("n"), QStringLiteral("10000")});
    options.addOption({QStringLiteral("testparm"), QStringLiteral("The checker, in the window and alone."),
                       QStringLiteral("program"), QStringLiteral("testparm")});
    options.addOption({QStringLiteral("timeout"), QStringLiteral("Seconds a start-up may take at most."),
                       QStringLiteral("seconds"), QStringLiteral("60")});
    options.process(app);

    const int repeat = std::max(1, options.value(QStringLiteral("repeat")).toInt());
    const int shares = std::max(1, options.value(QStringLiteral("shares")).toInt());
    const QString testparm = options.value(QStringLiteral("testparm"));
    const int timeoutMs = std::max(1, options.value(QStringLiteral("timeout")).toInt()) * 1000;
    if (geteuid() != 0) {
        // The program refuses to start without root rights, and pdbedit -L needs them.
        std::fprintf(stderr, "run this as root: the program starts only as root\n");
        return 2;
    }

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot create a temporary directory\n");
        return 2;
    }
    const QString file = dir.filePath(QStringLiteral("smb.conf"));
    const std::string text = generateConfig(shares);
    {
        std::ofstream out(QFile::encodeName(file).toStdString(), std::ios::binary);
        out << text;
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 2;
        }
    }

    // Once untimed first: a file or checker that fails would leave the child's window
    // waiting on an error box until the time-out.
    {
        double ms = 0;
        QString error;
        if (!runTestparm(testparm, file, ms, error)) {
            std::fprintf(stderr, "%s -s -d 3 failed: %s\n", qPrintable(testparm), qPrintable(error));
            return 2;
        }
    }

    std::printf("%d shares, %zu bytes, %d runs\n", shares, text.size(), repeat);
    std::printf("%4s %14s %14s %14s\n", "run", "shown ms", "exit ms", "testparm ms");
    std::vector<double> shown;
    std::vector<double> exited;
    std::vector<double> checker;
    for (int run = 0; run < repeat; ++run) {
        const Launch launch =
            launchChild(file, testparm, dir.filePath(QStringLiteral("run-%1").arg(run)), timeoutMs);
        if (!launch.ok) {
            std::fprintf(stderr, "run %d: %s\n", run + 1, qPrintable(launch.error));
            return 2;
        }
        if (launch.rows != shares) {
            std::fprintf(stderr, "run %d: the window showed %d shares instead of %d\n", run + 1, launch.rows,
                         shares);
            return 2;
        }
        double ms = 0;
        QString error;
        if (!runTestparm(testparm, file, ms, error)) {
            std::fprintf(stderr, "%s -s -d 3 failed: %s\n", qPrintable(testparm), qPrintable(error));
            return 2;
        }
        shown.push_back(launch.shownMs);
        exited.push_back(launch.exitMs);
        checker.push_back(ms);
        std::printf("%4d %14.1f %14.1f %14.1f\n", run + 1, launch.shownMs, launch.exitMs, ms);
    }

    const double ratio = median(shown) / median(checker);
    std::printf("\nmedians of %d runs:\n", repeat);
    std::printf(
        "  start-up to window shown  %8.1f ms  spawn until the parent reads the line the child prints\n"
        "                                         right after show(), before its event loop\n",
        median(shown));
    std::printf("  start-up to exit          %8.1f ms  the same runs until the child has quit (teardown\n"
                "                                         included; not checked)\n",
                median(exited));
    std::printf("  testparm -s -d 3 alone    %8.1f ms\n", median(checker));
    // The limit is set for 10,000 shares; other sizes are only shown.
    if (shares != 10000) {
        std::printf("start-up / testparm = %.3f (the limit %.3f is for 10,000 shares)\n", ratio, limit);
        return 0;
    }
    std::printf("start-up / testparm = %.3f (limit %.3f) %s\n", ratio, limit, ratio <= limit ? "ok" : "FAIL");
    return ratio <= limit ? 0 : 1;
}
