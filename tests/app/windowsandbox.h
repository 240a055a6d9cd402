#pragma once

// The window's surroundings for its tests: a directory with smb.conf, the real testparm, and
// fake systemctl, smbcontrol, smbstatus, pdbedit, smbpasswd, net and wbinfo that log what they
// are asked into one file, so that the order of the steps can be checked.
#include "globalshare.h"
#include "mainwindow.h"
#include "share.h"
#include "sharemodel.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

#include <sys/stat.h>

const char *const baseConfig = "# Shareward test server\n"
                               "[global]\n"
                               "   workgroup = TESTGROUP\n"
                               "   guest account = oldguest\n"
                               "   ; a hand-written comment\n"
                               "[data]\n"
                               "   path = @DIR@/data\n"
                               "   valid users = alice oldguest bob\n"
                               "[printers]\n"
                               "   path = @DIR@/spool\n"
                               "   printable = yes\n";

// Drops the "--" that ends the options from a fake's arguments, so that the log holds the
// options and operands alone (the exact command lines are checked in the tests of src/system).
const QByteArray dropEndOfOptions =
    "for argument do shift; [ \"$argument\" = -- ] || set -- \"$@\" \"$argument\"; done\n";
// Drops the "-s SMB.CONF" that smbcontrol and smbstatus are given first.
const QByteArray dropConfiguration = "[ \"$1\" = -s ] && shift 2\n";

// A configuration directory with the fake programs beside it.
class Sandbox
{
public:
    Sandbox()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("data"));
        // A spool directory like Debian's /var/tmp: sticky and open to all.
        QDir(m_dir.path()).mkpath(QStringLiteral("spool"));
        ::chmod(QFile::encodeName(path(QStringLiteral("spool"))).constData(), 01777);
        writeConfig(baseConfig);
        write(QStringLiteral("passdb"), "alice:1001:Alice\nbob:1002:Bob\n");
        write(QStringLiteral("groupmap"), "admins (S-1-5-21-1-2-3-1000) -> admins\n");
        // States as systemctl prints them: a service listed in "down" has failed until it is
        // restarted; with "nosystemd" present systemctl cannot reach systemd at all.
        script(QStringLiteral("systemctl"),
               dropEndOfOptions
                   + "echo \"systemctl $*\" >> @DIR@/log\n"
                     "grep -qxF -- \"$*\" @DIR@/fail 2>/dev/null && exit 1\n"
                     "if [ -f @DIR@/nosystemd ]; then echo 'System has not been booted with systemd' >&2; "
                     "exit 1; fi\n"
                     "if [ \"$1\" = restart ]; then sed -i \"/^$2\\$/d\" @DIR@/down 2>/dev/null; fi\n"
                     "if [ \"$1\" = is-active ]; then\n"
                     "  grep -qxF -- \"$2\" @DIR@/down 2>/dev/null && { echo failed; exit 3; }\n"
                     "  [ -f @DIR@/active ] && { echo active; exit 0; }; echo inactive; exit 3\n"
                     "fi\n"
                     "[ \"$1\" = status ] && echo \"the status of $4\"\n"
                     "exit 0\n");
        // smbd -b as a Samba with the VFS modules whose .so files are in modules/vfs: audit
        // and the ACL modules; full_audit only when a test adds it.
        QDir(m_dir.path()).mkpath(QStringLiteral("modules/vfs"));
        for (const char *module : {"audit", "acl_xattr", "acl_tdb"})
            write(QStringLiteral("modules/vfs/%1.so").arg(QLatin1String(module)), QByteArray());
        script(QStringLiteral("smbd"),
               "[ \"$1\" = -b ] || exit 1\n"
               "echo 'Paths:'\necho '   MODULESDIR: @DIR@/modules'\n"
               "echo 'Builtin modules:'\necho '   vfs_default vfs_posixacl auth_sam'\n");
        script(
            QStringLiteral("smbcontrol"),
            dropConfiguration + dropEndOfOptions
                + "echo \"smbcontrol $*\" >> @DIR@/log\n"
                  "if grep -qxF -- \"$*\" @DIR@/fail 2>/dev/null; then echo \"Can't find pid for destination "
                  "'$1'\" >&2; exit 1; fi\n"
                  "exit 0\n");
        // smbstatus --json prints the status a test wrote; without one it answers as for a smbd
        // that never ran.
        script(QStringLiteral("smbstatus"),
               dropConfiguration
                   + "echo \"smbstatus $*\" >> @DIR@/log\n"
                     "if [ -f @DIR@/status.json ]; then cat @DIR@/status.json; exit 0; fi\n"
                     "echo '{\"sessions\": {}, \"tcons\": {}}'\n"
                     "echo '@DIR@/lock/locking.tdb not initialised' >&2\n"
                     "echo 'This is normal if an SMB client has never connected to your server.' >&2\n");
        // Log how many sections smb.conf has at each call: the file is written first.
        for (const char *name : {"pdbedit", "smbpasswd", "net"})
            script(QLatin1String(name),
                   dropEndOfOptions
                       + "line=\"${0##*/} $* [$(grep -c '^\\[' @DIR@/smb.conf)]\"\n"
                         "case $1 in -t|-s) read p1; read p2; line=\"$line $p1/$p2\" ;; esac\n"
                         "echo \"$line\" >> @DIR@/log\n"
                         "if grep -qxF -- \"$*\" @DIR@/fail 2>/dev/null; then echo \"refused $*\" >&2; exit "
                         "1; fi\n"
                         "[ \"$1\" = -L ] && cat @DIR@/passdb\n"
                         "[ \"$*\" = 'groupmap list' ] && cat @DIR@/groupmap\n"
                         "exit 0\n");
        // root is a system account as well: the users dialog offers it once.
        script(QStringLiteral("wbinfo"),
               "[ \"$1\" = -u ] && echo 'DOM\\u1' && echo root; [ \"$1\" = -g ] && echo 'DOM\\g1'\n");
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString configPath() const { return path(QStringLiteral("smb.conf")); }

    MainWindow::Environment environment() const
    {
        MainWindow::Environment environment;
        environment.configPath = configPath();
        environment.systemctl = path(QStringLiteral("systemctl"));
        environment.pdbedit = path(QStringLiteral("pdbedit"));
        environment.wbinfo = path(QStringLiteral("wbinfo"));
        environment.smbpasswd = path(QStringLiteral("smbpasswd"));
        environment.net = path(QStringLiteral("net"));
        environment.smbcontrol = path(QStringLiteral("smbcontrol"));
        environment.smbstatus = path(QStringLiteral("smbstatus"));
        environment.smbd = path(QStringLiteral("smbd"));
        environment.lockDirectory = path(QStringLiteral("run"));
        environment.historyDirectory = path(QStringLiteral("history"));
        return environment;
    }

    void write(const QString &name, const QByteArray &content)
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(content).replace("@DIR@", m_dir.path().toUtf8()));
    }
    void writeConfig(const QByteArray &content) { write(QStringLiteral("smb.conf"), content); }
    void append(const QString &name, const QByteArray &content)
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::Append));
        file.write(content);
    }
    QByteArray read(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QByteArray config() const { return read(QStringLiteral("smb.conf")); }

    // Fake programs fail for the argument lines listed here ("start nmbd", "-L", ...).
    void failFor(const QByteArray &arguments) { append(QStringLiteral("fail"), arguments + '\n'); }
    void setSmbdActive(bool active)
    {
        if (active)
            write(QStringLiteral("active"), QByteArray());
        else
            QFile::remove(path(QStringLiteral("active")));
    }
    // What smbstatus --json prints from now on; an empty one: smbd never ran.
    void setServerStatus(const QByteArray &json)
    {
        if (json.isEmpty())
            QFile::remove(path(QStringLiteral("status.json")));
        else {
            // Renamed into place: a refresh running meanwhile reads the old one or the new one.
            write(QStringLiteral("status.json.new"), json);
            ::rename(QFile::encodeName(path(QStringLiteral("status.json.new"))).constData(),
                     QFile::encodeName(path(QStringLiteral("status.json"))).constData());
        }
    }
    void useChecker(const QByteArray &body) { script(QStringLiteral("testparm"), body); }

    QStringList log() const
    {
        const QString text = QString::fromUtf8(read(QStringLiteral("log")));
        return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    void clearLog() { QFile::remove(path(QStringLiteral("log"))); }

private:
    void script(const QString &name, const QByteArray &body)
    {
        write(name, "#!/bin/sh\n" + body);
        QFile::setPermissions(path(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir m_dir;
};

QAction *action(MainWindow &window, const char *name)
{
    return window.findChild<QAction *>(QLatin1String(name));
}

mode_t modeOf(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// Edits that a save must write: a read-only share whose directory mode follows it, a
// new guest account, a new Samba user with a password, a new password for another, a
// removed one, a new group and a removed one.
void makeChanges(Sandbox &sandbox, MainWindow &window)
{
    QDir().mkpath(sandbox.path(QStringLiteral("ro")));
    QFile::setPermissions(sandbox.path(QStringLiteral("ro")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Share share;
    share.setName(QStringLiteral("newshare"));
    share.setPath(sandbox.path(QStringLiteral("ro")));
    share.setReadOnly(true);
    share.setSetDirectoryPermissions(true);
    share.setDirectoryModeChange(Share::MakeReadOnly);
    window.shareModel()->addShare(share);

    SambaSettings &settings = window.currentSettings();
    settings.global()->setGuestAccount(QStringLiteral("newguest"));
    SambaUser carol(QStringLiteral("carol"));
    carol.setPassword(QStringLiteral("pässwörd"));
    carol.setChanged(true);
    settings.users().insert(carol.name(), carol);
    settings.users().remove(QStringLiteral("alice"));
    settings.users()[QStringLiteral("bob")].setPassword(QStringLiteral("n\u00e9u"));
    SambaGroup staff(QStringLiteral("staff"));
    staff.setChanged(true);
    settings.groups().insert(staff.name(), staff);
    settings.groups().remove(QStringLiteral("admins"));
    window.setModified();
}
