#include "processrun.h"

#include <QDir>
#include <QProcess>

QProcessEnvironment testEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    // ctest points saves' locks and history into the build tree; a suite run by hand must not
    // reach the machine's /run/shareward and /var/lib/shareward either.
    const QString scratch = QDir::tempPath() + QStringLiteral("/shareward-tests");
    if (!environment.contains(QStringLiteral("SHAREWARD_RUN_DIRECTORY")))
        environment.insert(QStringLiteral("SHAREWARD_RUN_DIRECTORY"), scratch + QStringLiteral("/run"));
    if (!environment.contains(QStringLiteral("SHAREWARD_HISTORY_DIRECTORY")))
        environment.insert(QStringLiteral("SHAREWARD_HISTORY_DIRECTORY"),
                           scratch + QStringLiteral("/history"));
    return environment;
}

ProcessRun runProcess(const QString &program, const QStringList &arguments,
                      const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProcessRun result;
    if (!process.waitForStarted(30000)) {
        result.err = process.errorString().toUtf8();
        return result;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(5000);
    }
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
