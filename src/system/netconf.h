#pragma once

#include "processresult.h"

#include <QString>
#include <QStringList>

// Samba's registry configuration through "net conf", as clustered Samba keeps it (CTDB
// replicates the registry to every node). Every run names smb.conf with -s, so that net finds
// the registry where the Samba of that smb.conf keeps it. Each run gets 30 s.
class NetConf
{
public:
    struct Result
    {
        bool succeeded = false;
        // What net printed: the configuration for list().
        QByteArray output;
        // net's own words, or why it did not run; empty on success.
        QString errorText;
    };

    explicit NetConf(const QString &program = defaultProgram(),
                     const QString &configPath = QStringLiteral("/etc/samba/smb.conf"));
    static QString defaultProgram(); // SystemPrograms::net()
    void setTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }
    QString program() const { return m_program; }

    // "net conf list": the whole registry configuration in smb.conf's format.
    Result list() const;
    // "net conf setparm SECTION KEY VALUE": creates the share when it is not there.
    Result setParameter(const QString &section, const QString &key, const QString &value) const;
    // "net conf delparm SECTION KEY"
    Result deleteParameter(const QString &section, const QString &key) const;
    // "net conf delshare NAME"
    Result deleteShare(const QString &name) const;
    // "net conf import FILE": the registry configuration becomes what FILE holds.
    Result import(const QString &file) const;

    // The verdict on a finished run; description names the command for a failure without words.
    static Result classify(const ProcessResult &run, const QString &description);

private:
    Result run(const QStringList &arguments) const;

    QString m_program;
    QString m_configPath;
    int m_timeLimitMs = 30000;
};
