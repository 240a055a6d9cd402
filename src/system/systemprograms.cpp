#include "systemprograms.h"

#include <QByteArray>

#include <cstring>

QString SystemPrograms::debianPath(const char *name)
{
    // As "dpkg -S" names them on Debian 12 (systemd ships /bin/systemctl; /bin is /usr/bin).
    static const struct
    {
        const char *name;
        const char *path;
    } paths[] = {
        {"testparm", "/usr/bin/testparm"},
        {"smbd", "/usr/sbin/smbd"},
        {"smbstatus", "/usr/bin/smbstatus"},
        {"smbcontrol", "/usr/bin/smbcontrol"},
        {"net", "/usr/bin/net"},
        {"pdbedit", "/usr/bin/pdbedit"},
        {"smbpasswd", "/usr/bin/smbpasswd"},
        {"wbinfo", "/usr/bin/wbinfo"},
        {"systemctl", "/bin/systemctl"},
        {"useradd", "/usr/sbin/useradd"},
        {"groupadd", "/usr/sbin/groupadd"},
        {"ssh", "/usr/bin/ssh"},
        {"pkexec", "/usr/bin/pkexec"},
        {"sudo", "/usr/bin/sudo"},
    };
    for (const auto &entry : paths) {
        if (std::strcmp(entry.name, name) == 0)
            return QString::fromLatin1(entry.path);
    }
    return QString();
}

QString SystemPrograms::path(const char *name)
{
    const QString standIn = qEnvironmentVariable(variable(name).constData());
    // A bare name would be looked up through PATH again.
    if (standIn.startsWith(QLatin1Char('/')))
        return standIn;
    return debianPath(name);
}

QByteArray SystemPrograms::variable(const char *name)
{
    return "SHAREWARD_PROGRAM_" + QByteArray(name).toUpper();
}
