#pragma once

#include <QList>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>

class QProcess;

// The private world of one start-up test, in a directory that the user the programs run as
// can reach: TMPDIR (where the single-instance lock and socket live, so no test meets another
// or a real Shareward), a home and runtime directory, the watcher's reports, a small smb.conf
// and the programs a probe's window runs.
//
// The real Shareward is expected to stop before its window. Should it wrongly go on and load,
// it must not reach the machine's Samba: it runs in a private mount namespace where empty
// directories cover Samba's configuration and state (where such a namespace can be made), and
// a guard directory first on PATH has a testparm, systemctl and wbinfo that only note that
// they ran and fail.
class StartupFixture
{
public:
    enum Program {
        Shareward, // the real program, with the watcher preloaded
        Probe, // the probe, the watcher built in
    };

    explicit StartupFixture(uid_t user = 0);

    bool isValid() const { return m_error.isEmpty(); }
    QString errorString() const { return m_error; }

    // Starts a program as the fixture's user, its watcher reporting to the report `report`.
    void start(QProcess &process, Program program, const QString &report, const QStringList &arguments,
               const QStringList &watcherOptions = QStringList()) const;
    // Runs a program to its end, at most 15 s; its exit code, -1 when it did not exit normally.
    int run(Program program, const QString &report, const QStringList &arguments,
            const QStringList &variables = QStringList()) const;

    // The arguments that let a probe's window load the fixture's smb.conf with its programs.
    QStringList windowArguments() const;
    // Starts a probe as the first instance and waits until its window is shown.
    bool startFirst(QProcess &process, const QString &report, const QStringList &arguments,
                    const QStringList &watcherOptions = QStringList()) const;
    // Asks the first instance to close its window; its exit code as for run().
    int stopFirst(QProcess &process, const QString &report) const;

    // The lines of a report whose first field is `kind`, split into their fields.
    QList<QStringList> events(const QString &report, const QString &kind) const;
    // The whole report; empty when nothing was reported.
    QString reportText(const QString &report) const;
    // Waits at most timeoutMs for a line of `kind` in a report.
    bool waitForEvent(const QString &report, const QString &kind, int timeoutMs = 10000) const;
    // What the guard programs were asked to do; empty when nothing ran them.
    QString guardLog() const;
    // What the stand-in pkexec was asked to run, one line a call.
    QString pkexecLog() const;

private:
    QString path(const QString &name) const;
    QString reportPath(const QString &report) const;
    void makeDirectory(const QString &name, bool forUser);
    void writeScript(const QString &name, const QByteArray &body);
    void copyBinary(const QString &source, const QString &name);

    uid_t m_user;
    bool m_namespace = false;
    QTemporaryDir m_directory;
    QString m_error;
    QString m_shareward;
    QString m_probe;
    QString m_watcher;
    QProcessEnvironment m_environment;
};
