#include "testparm.h"

#include "processrunner.h"

#include <QStringList>

#include <algorithm>
#include <iterator>

TestParm::TestParm(const QString &program, const QString &configPath, QObject *parent)
    : QObject(parent)
    , m_program(program)
    , m_configPath(configPath)
    , m_runner(new ProcessRunner(program, arguments(configPath), this))
{
    qRegisterMetaType<TestParmResult>();
    // The dump of the configuration on standard output is never looked at.
    m_runner->setChannels(ProcessRunner::ErrorChannelOnly);
    m_runner->setTimeLimit(m_timeLimitMs);
    connect(m_runner, &ProcessRunner::finished, this, &TestParm::onCheckFinished);
}

// The runner, a child, kills a running check before its end could reach this object.
TestParm::~TestParm() = default;

void TestParm::setTimeLimit(int milliseconds)
{
    m_timeLimitMs = milliseconds;
    m_runner->setTimeLimit(milliseconds);
}

QStringList TestParm::arguments(const QString &path)
{
    return {QStringLiteral("-s"), QStringLiteral("-d"), QStringLiteral("3"), QStringLiteral("--"), path};
}

QString TestParm::problems(const QString &output)
{
    static const char *const routine[] = {"Load smb config files from ",
                                          "lp_load_ex: ",
                                          "Initialising global parameters",
                                          "Loaded services file OK.",
                                          "Weak crypto is allowed",
                                          "Server role: ",
                                          "Processing section ",
                                          "Press enter to see a dump"};
    QStringList lines;
    for (const QString &line : output.split(QLatin1Char('\n'))) {
        const QString text = line.trimmed();
        const bool skipped = text.isEmpty()
            || std::any_of(std::begin(routine), std::end(routine),
                           [&text](const char *start) { return text.startsWith(QLatin1String(start)); });
        if (!skipped)
            lines << text;
    }
    return lines.isEmpty() ? output.trimmed() : lines.join(QLatin1Char('\n'));
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

QStringList TestParm::parameterNameArguments(const QString &name)
{
    // The name in the option's own argument: one starting with "-" is still a name.
    return {QStringLiteral("-s"), QStringLiteral("--parameter-name=") + name, QStringLiteral("--"),
            QStringLiteral("/dev/null")};
}

TestParm::ParameterName TestParm::parameterName(int exitCode, const QByteArray &standardError)
{
    if (exitCode == 0)
        return ParameterName::Known;
    // "Unknown parameter encountered: "x"" and "Parameter x unknown for section global".
    if (standardError.contains("Unknown parameter encountered")
        || standardError.contains(" unknown for section "))
        return ParameterName::Unknown;
    return ParameterName::NoAnswer;
}

TestParm::ParameterName TestParm::knowsParameter(const QString &name, QString *errorText)
{
    ProcessRunner runner(m_program, parameterNameArguments(name));
    runner.setTimeLimit(m_timeLimitMs);
    const ProcessResult run = runner.run();
    const ParameterName answer =
        run.exitedNormally() ? parameterName(run.exitCode, run.standardError) : ParameterName::NoAnswer;
    if (answer == ParameterName::NoAnswer && errorText) {
        *errorText = run.exitedNormally()
            ? QString::fromUtf8(run.standardError).trimmed().section(QLatin1Char('\n'), -1)
            : failureText(run);
    }
    return answer;
}

QString TestParm::failureText(const ProcessResult &result)
{
    // The start-up and save boxes put "Failed to run testparm." above this line already.
    if (result.crashed)
        return tr("Process crashed");
    return result.errorText;
}

TestParmResult TestParm::checkConf(const QString &path)
{
    ProcessRunner runner(m_program, arguments(path));
    runner.setChannels(ProcessRunner::ErrorChannelOnly);
    runner.setTimeLimit(m_timeLimitMs);
    const ProcessResult run = runner.run();
    // A checker that gave no verdict has not accepted anything.
    if (!run.exitedNormally())
        return {TestParmResult::Failed, failureText(run)};
    return classify(run.exitCode, run.standardError);
}

bool TestParm::effectiveConfig(const QString &path, QString &text, QString *errorText)
{
    ProcessRunner runner(m_program, {QStringLiteral("-s"), QStringLiteral("--"), path});
    runner.setChannels(ProcessRunner::SeparateChannels);
    runner.setTimeLimit(m_timeLimitMs);
    const ProcessResult run = runner.run();
    if (!run.exitedNormally()) {
        if (errorText)
            *errorText = failureText(run);
        return false;
    }
    text = QString::fromUtf8(run.standardOutput);
    return true;
}

void TestParm::requestCheckConf()
{
    m_runner->start();
}

void TestParm::onCheckFinished(const ProcessResult &result)
{
    if (!result.started) {
        // The window's box is titled as a testparm error already.
        emit processError(tr("Failed to start"));
        return;
    }
    if (!result.exitedNormally()) {
        emit processError(failureText(result));
        return;
    }
    emit confChecked(classify(result.exitCode, result.standardError));
}
