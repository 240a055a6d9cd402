#pragma once

// The real backend of the build, shareward-cli serve on a smb.conf and a history of a test's
// own directory, reached through a BackendConnection as the window reaches it; kill() ends it
// as a crash or a dropped connection would. Header-only: the suites link shareward-system.

#include "backendconnection.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

#include <signal.h>

#include <memory>

class TestBackend
{
public:
    // directory holds smb.conf (written when missing), the history and the backend's number.
    explicit TestBackend(const QString &directory)
        : m_directory(directory)
    {
        QFile config(path("smb.conf"));
        if (!config.exists() && config.open(QIODevice::WriteOnly))
            config.write("[global]\n\tworkgroup = TESTS\n");
    }

    // Starts it and waits for its greeting; throws BackendConnection::Failure.
    BackendConnection &open()
    {
        m_connection = std::make_unique<BackendConnection>(QStringLiteral("this computer"));
        m_connection->open(launch());
        return *m_connection;
    }

    // How it is started: through a shell that leaves its process number for kill() and becomes
    // the backend.
    BackendConnection::Launch launch() const
    {
        BackendConnection::Launch launch;
        launch.program = QStringLiteral("/bin/sh");
        launch.arguments = QStringList{QStringLiteral("-c"),
                                       QStringLiteral("echo $$ >\"$0\"; exec \"$@\""),
                                       path("backend.pid"),
                                       QStringLiteral(SHAREWARD_BINARY_DIR "/src/cli/shareward-cli"),
                                       QStringLiteral("--config"),
                                       path("smb.conf"),
                                       QStringLiteral("--history-dir"),
                                       path("history"),
                                       QStringLiteral("serve")};
        return launch;
    }

    BackendConnection &connection() { return *m_connection; }

    // Kills the backend at once; true when it was there to kill.
    bool kill() const
    {
        QFile file(path("backend.pid"));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const pid_t pid = file.readAll().trimmed().toInt();
        return pid > 1 && ::kill(pid, SIGKILL) == 0;
    }

    // Puts script (a sh script) in place of the program in this process's environment, which
    // a backend started afterwards inherits; returns the variable, for qunsetenv.
    QByteArray standIn(const char *program, const QByteArray &script) const
    {
        const QString file = path(program);
        QFile standIn(file);
        if (!standIn.open(QIODevice::WriteOnly))
            return {};
        standIn.write("#!/bin/sh\n" + script + "\n");
        standIn.close();
        standIn.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray variable = "SHAREWARD_PROGRAM_" + QByteArray(program).toUpper();
        qputenv(variable.constData(), QFile::encodeName(file));
        return variable;
    }

private:
    QString path(const char *name) const { return m_directory + QLatin1Char('/') + QLatin1String(name); }

    QString m_directory;
    std::unique_ptr<BackendConnection> m_connection;
};
