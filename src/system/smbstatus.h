#pragma once

#include "serverstatus.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

// Reads who is connected to the running smbd and what they hold open, with
// "smbstatus --json" (Samba 4.17 and later). smbstatus exits 0 even when smbd does not run:
// before smbd first ran on its lock directory it prints empty lists and says so on standard
// error ("locking.tdb not initialised"); after smbd stopped it prints empty lists and nothing
// else, which reads as a server nobody uses. Each run gets 10 s. smbstatus is told the
// smb.conf (-s), whose lock directory holds the status it reads. The program is Debian's
// unless given; tests pass a fake one.
class SmbStatus
{
public:
    // A share's name and path: open files are shown under every share whose path holds them.
    using SharePaths = QList<QPair<QString, QString>>;
    // The account name of a uid; the number when there is none.
    using UserNames = std::function<QString(uint uid)>;

    explicit SmbStatus(const QString &program = defaultProgram(),
                       const QString &configPath = QStringLiteral("/etc/samba/smb.conf"));

    static QString defaultProgram(); // SystemPrograms::smbstatus()
    void setTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }

    // Runs smbstatus; running is false when it did not answer or no smbd runs.
    ServerStatus read(const SharePaths &shares) const;

    // The status an output of "smbstatus --json" describes. Sessions by their session id,
    // connections (tcons) with their session's user, open files with each open of the file
    // (pid, user of its uid, access mask as read/write/delete, oplock or lease).
    static ServerStatus parse(const QByteArray &json, const SharePaths &shares, const UserNames &userNames);
    // The name of a uid in the system's account database.
    static QString systemUserName(uint uid);

private:
    QString m_program;
    QString m_configPath;
    int m_timeLimitMs = 10000;
};
