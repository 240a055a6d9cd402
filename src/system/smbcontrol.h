#pragma once

#include "processresult.h"

#include <QString>

// Sends messages to running Samba daemons through smbcontrol: reload-config, which makes them
// read smb.conf again with every client staying connected, and the messages that end
// connections. Each run gets 15 s. smbcontrol is told the smb.conf (-s), whose lock and pid
// directories lead it to the daemons of that configuration. The program is Debian's unless
// given; tests pass a fake one.
class SmbControl
{
public:
    struct Result
    {
        bool succeeded = false;
        // smbcontrol's own words, or why it did not run; empty on success.
        QString errorText;
    };

    explicit SmbControl(const QString &program = defaultProgram(),
                        const QString &configPath = QStringLiteral("/etc/samba/smb.conf"));

    static QString defaultProgram(); // SystemPrograms::smbcontrol()
    QString configPath() const { return m_configPath; }
    void setTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }

    // "smbcontrol DESTINATION reload-config"; destination "smbd", "nmbd" or a process id.
    Result reloadConfig(const QString &destination) const;
    // "smbcontrol DESTINATION close-share NAME": every connection to a share ends.
    Result closeShare(const QString &destination, const QString &share) const;
    // "smbcontrol PID shutdown": one smbd process ends, with every session it serves.
    Result shutdown(const QString &destination) const;

    // The verdict on a finished run: smbcontrol exits non-zero or names a failure ("Can't
    // find pid", "No replies received", "cannot send") when the message was not delivered.
    static Result classify(const ProcessResult &run, const QString &description);

private:
    Result run(const QStringList &arguments) const;

    QString m_program;
    QString m_configPath;
    int m_timeLimitMs = 15000;
};
