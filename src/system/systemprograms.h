#pragma once

#include <QString>

// The programs Shareward runs, at the absolute paths Debian 12 installs them to: the root
// process never looks one up through a PATH it inherited. A test or a benchmark puts a stand-in
// in place of one with SHAREWARD_PROGRAM_<NAME> in the environment (an absolute path, e.g.
// SHAREWARD_PROGRAM_SYSTEMCTL=/tmp/fakes/systemctl); pkexec clears such variables, as does sudo
// unless told to keep them.
class SystemPrograms
{
public:
    static QString testparm() { return path("testparm"); }
    static QString smbd() { return path("smbd"); }
    static QString smbstatus() { return path("smbstatus"); }
    static QString smbcontrol() { return path("smbcontrol"); }
    static QString net() { return path("net"); }
    static QString pdbedit() { return path("pdbedit"); }
    static QString smbpasswd() { return path("smbpasswd"); }
    static QString wbinfo() { return path("wbinfo"); }
    static QString systemctl() { return path("systemctl"); }
    static QString useradd() { return path("useradd"); }
    static QString groupadd() { return path("groupadd"); }
    static QString ssh() { return path("ssh"); }
    static QString pkexec() { return path("pkexec"); }
    static QString sudo() { return path("sudo"); }

    // Debian's path of one of the programs above, by name; empty for any other name.
    static QString debianPath(const char *name);
    // The stand-in the environment names for the program, when it is an absolute path; else
    // debianPath(name).
    static QString path(const char *name);
    // "SHAREWARD_PROGRAM_TESTPARM" for "testparm".
    static QByteArray variable(const char *name);
};
