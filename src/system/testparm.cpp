#include "testparm.h"

TestParm::TestParm(const QString &program, const QString &configPath, QObject *parent)
    : QObject(parent)
    , m_program(program)
    , m_configPath(configPath)
    , m_process(std::make_unique<QProcess>())
{
    qRegisterMetaType<TestParmResult>();
    // The dump of the configuration on standard output is never looked at.
    m_process->setStandardOutputFile(QProcess::nullDevice());
    connect(m_process.get(), qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &TestParm::onProcessFinished);
    connect(m_process.get(), &QProcess::errorOccurred, this, &TestParm::onErrorOccurred);
}

TestParm::~TestParm()
{
    // Don't let a running check outlive its receiver.
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

QStringList TestParm::arguments(const QString &path)
{
    return {QStringLiteral("-s"), QStringLiteral("-d"), QStringLiteral("3"), path};
}

TestParmResult TestParm::classify(int exitCode, const QByteArray &standardError)
{
    TestParmResult result;
    // All of it: the QByteArray overload would stop at a NUL byte.
    result.output = QString::fromUtf8(standardError.constData(), standardError.size());
    if (exitCode != 0 || result.output.contains(QLatin1String("ERROR:")))
        result.status = TestParmResult::Errors;
    else if (result.output.contains(QLatin1String("WARNING:")))
        result.status = TestParmResult::Warnings;
    else
        result.status = TestParmResult::Ok;
    return result;
}

TestParmResult TestParm::checkConf(const QString &path)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(m_program, arguments(path));
    if (!process.waitForStarted(-1)) {
        // A checker that never ran has not accepted anything.
        return {TestParmResult::Failed,
                tr("Failed to start") + QStringLiteral(": ") + m_program + QStringLiteral(": ")
                    + process.errorString()};
    }
    process.closeWriteChannel();
    process.waitForFinished(-1);
    if (process.exitStatus() == QProcess::CrashExit)
        return {TestParmResult::Failed, tr("Process crashed")};
    return classify(process.exitCode(), process.readAllStandardError());
}

void TestParm::requestCheckConf()
{
    m_process->start(m_program, arguments(m_configPath));
}

void TestParm::onProcessFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    if (exitStatus == QProcess::CrashExit) {
        emit processError(tr("Process crashed"));
        return;
    }
    emit confChecked(classify(exitCode, m_process->readAllStandardError()));
}

QString TestParm::processErrorText(QProcess::ProcessError error)
{
    switch (error) {
    case QProcess::FailedToStart:
        return tr("Failed to start");
    case QProcess::Crashed:
        return tr("Crashed");
    case QProcess::Timedout:
        return tr("Timedout");
    case QProcess::ReadError:
        return tr("Read error");
    case QProcess::WriteError:
        return tr("Write error");
    default:
        return tr("Unknown error");
    }
}

void TestParm::onErrorOccurred(QProcess::ProcessError error)
{
    emit processError(processErrorText(error));
}
