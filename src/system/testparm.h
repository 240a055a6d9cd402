#pragma once

#include "testparmresult.h"

#include <QObject>
#include <QProcess>

#include <memory>

// Runs Samba's testparm on a configuration file, synchronously (start-up, save) or
// asynchronously (the Check config command), and classifies what it says.
class TestParm : public QObject
{
    Q_OBJECT

public:
    explicit TestParm(const QString &program = QStringLiteral("testparm"),
                      const QString &configPath = QStringLiteral("/etc/samba/smb.conf"),
                      QObject *parent = nullptr);
    ~TestParm() override;

    // Checks a file and waits for the checker however long it takes. Uses a process of
    // its own, so a running asynchronous check is not disturbed.
    TestParmResult checkConf(const QString &path);

    // The verdict on a run that finished normally: a non-zero exit or "ERROR:" on
    // standard error is an error, "WARNING:" a warning.
    static TestParmResult classify(int exitCode, const QByteArray &standardError);
    static QStringList arguments(const QString &path);
    static QString processErrorText(QProcess::ProcessError error);

signals:
    void confChecked(const TestParmResult &result);
    void processError(const QString &error);

public slots:
    // Starts an asynchronous check of the installed smb.conf and returns at once.
    void requestCheckConf();
    void onProcessFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void onErrorOccurred(QProcess::ProcessError error);

private:
    QString m_program;
    QString m_configPath;
    std::unique_ptr<QProcess> m_process;
};
