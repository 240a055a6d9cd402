#pragma once

#include "systemprograms.h"
#include "testparmresult.h"

#include <QObject>

class ProcessRunner;
struct ProcessResult;

// Runs Samba's testparm on a configuration file, synchronously (start-up, save) or
// asynchronously (the Check config command), and classifies what it says. Either way it gets
// at most a minute, which a large file with many shares still stays well within.
class TestParm : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultTimeLimitMs = 60000;

    explicit TestParm(const QString &program = SystemPrograms::testparm(),
                      const QString &configPath = QStringLiteral("/etc/samba/smb.conf"),
                      QObject *parent = nullptr);
    ~TestParm() override;

    void setTimeLimit(int milliseconds);

    // Checks a file and waits for the checker, at most the time limit. Uses a process of
    // its own, so a running asynchronous check is not disturbed.
    TestParmResult checkConf(const QString &path);

    // Whether testparm knows a parameter by that name (in any spelling Samba accepts), asked
    // with --parameter-name on an empty configuration. NoAnswer when testparm gave none:
    // errorText then says why.
    enum class ParameterName { Known, Unknown, NoAnswer };
    ParameterName knowsParameter(const QString &name, QString *errorText = nullptr);
    static QStringList parameterNameArguments(const QString &name);
    // The answer of such a run that finished normally: exit 0 is a known name, Samba's
    // "Parameter NAME unknown" an unknown one, anything else no answer.
    static ParameterName parameterName(int exitCode, const QByteArray &standardError);

    // What Samba reads in a file, as testparm -s prints it: every section with the parameters
    // in effect, normalised. False, with errorText set, when testparm gave no answer.
    bool effectiveConfig(const QString &path, QString &text, QString *errorText = nullptr);

    // The verdict on a run that finished normally: a non-zero exit or "ERROR:" on
    // standard error is an error, "WARNING:" a warning.
    static TestParmResult classify(int exitCode, const QByteArray &standardError);
    // What a run's standard error says is wrong: its lines without testparm's routine ones
    // (the file loaded, "Loaded services file OK.", the server role...); all of it when
    // nothing else is left.
    static QString problems(const QString &output);
    static QStringList arguments(const QString &path);

signals:
    void confChecked(const TestParmResult &result);
    // The checker gave no verdict: it did not start, crashed or ran out of time.
    void processError(const QString &error);

public slots:
    // Starts an asynchronous check of the installed smb.conf and returns at once; ignored
    // while one is running.
    void requestCheckConf();

private:
    void onCheckFinished(const ProcessResult &result);
    // The text of a run that gave no verdict.
    static QString failureText(const ProcessResult &result);

    QString m_program;
    QString m_configPath;
    int m_timeLimitMs = DefaultTimeLimitMs;
    ProcessRunner *m_runner;
};
