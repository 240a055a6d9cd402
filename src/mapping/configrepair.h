#pragma once

#include <QProcessEnvironment>
#include <QString>

// The automatic repairs offered when the installed smb.conf fails its start-up check.
class ConfigRepair
{
public:
    enum LimitFixResult {
        LimitsUnreadable, // the limits file could not be opened or read: nothing done
        LimitAlreadySet, // the open-file limit is already there: nothing done
        LimitWritten, // the limit line was appended: a reboot makes it effective
        LimitWriteFailed, // appending failed
    };

    // Raises the open-file limit that smbd asks for ("increasing rlimit_max ... to
    // minimum Windows limit") by appending a limits.conf line for every domain.
    static LimitFixResult
    applyLimitFix(const QString &limitsPath = QStringLiteral("/etc/security/limits.conf"));

    // Removes every 'security = <word>' line, so Samba falls back to its default
    // user-level security. Returns false when the file could not be read or replaced;
    // a file that cannot be read is never written.
    static bool applySecurityFix(const QString &smbConfPath = QStringLiteral("/etc/samba/smb.conf"));

    // The environment the desktop's reboot helper needs when run through sudo.
    static QProcessEnvironment rebootEnvironment(const QProcessEnvironment &system);
    // Asks the desktop to reboot, waiting at most 30 seconds for the helper.
    static void reboot(const QString &program = QStringLiteral("/usr/bin/quill-wmfunc"));

    static const char *limitLine() { return "*\t\t-\tnofile\t\t16384"; }
};
