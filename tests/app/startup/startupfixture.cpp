#include "startupfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace {

const int RunTimeoutMs = 15000;

QString unescape(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            result += c;
            continue;
        }
        const QChar next = text.at(++i);
        result += next == QLatin1Char('n') ? QChar(QLatin1Char('\n'))
            : next == QLatin1Char('t')     ? QChar(QLatin1Char('\t'))
                                           : next;
    }
    return result;
}

} // namespace

StartupFixture::StartupFixture(uid_t user)
    : m_user(user)
    , m_shareward(QStringLiteral(SHAREWARD_PROGRAM))
    , m_probe(QStringLiteral(SHAREWARD_PROBE_PROGRAM))
    , m_watcher(QStringLiteral(SHAREWARD_WATCHER_LIBRARY))
{
    if (!m_directory.isValid()) {
        m_error = QStringLiteral("no temporary directory: ") + m_directory.errorString();
        return;
    }
    // Readable by the user the programs run as, writable by root only; the directories
    // the programs write to are the user's.
    QFile::setPermissions(m_directory.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                              | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    makeDirectory(QStringLiteral("tmp"), true);
    makeDirectory(QStringLiteral("home"), true);
    makeDirectory(QStringLiteral("runtime"), true);
    makeDirectory(QStringLiteral("reports"), true);
    makeDirectory(QStringLiteral("programs"), false);
    makeDirectory(QStringLiteral("guard"), false);
    makeDirectory(QStringLiteral("log"), true);
    makeDirectory(QStringLiteral("bin"), false);
    makeDirectory(QStringLiteral("empty"), false);

    const QString configuration = QStringLiteral(SHAREWARD_TEST_DATA "/smb.conf");
    if (!QFile::copy(configuration, path(QStringLiteral("smb.conf"))))
        m_error = QStringLiteral("cannot copy ") + configuration;

    // The probe's window runs the real testparm on the fixture's smb.conf (it only reads it)
    // and stand-ins for the rest, which would read or change the machine's accounts.
    const QString testparm = QStandardPaths::findExecutable(QStringLiteral("testparm"));
    if (testparm.isEmpty())
        m_error = QStringLiteral("testparm is not installed");
    const QByteArray log = path(QStringLiteral("log")).toUtf8();
    writeScript(QStringLiteral("programs/testparm"), "exec '" + testparm.toUtf8() + "' \"$@\"\n");
    writeScript(QStringLiteral("programs/systemctl"),
                "echo \"$*\" >>'" + log + "/systemctl'\necho inactive\nexit 3\n");
    // Samba's account programs would write the machine's own databases.
    for (const char *name : {"pdbedit", "smbpasswd", "net"})
        writeScript(QStringLiteral("programs/") + QLatin1String(name), "exit 0\n");
    writeScript(QStringLiteral("programs/wbinfo"), "exit 1\n");
    // pkexec as when the administrator dismisses its dialog: it notes what it was asked to run.
    writeScript(QStringLiteral("programs/pkexec"), "echo \"$*\" >>'" + log + "/pkexec'\nexit 126\n");
    for (const char *name : {"testparm", "systemctl", "wbinfo", "shareward-cli"}) {
        writeScript(QStringLiteral("guard/") + QLatin1String(name),
                    "echo \"$0 $*\" >>'" + log
                        + "/guard'\necho 'ERROR: not for the start-up tests' >&2\nexit 1\n");
    }

    m_namespace = QProcess::execute(QStringLiteral("unshare"),
                                    {QStringLiteral("--mount"), QStringLiteral("--propagation"),
                                     QStringLiteral("private"), QStringLiteral("true")})
        == 0;
    writeScript(QStringLiteral("hide-samba"),
                "for dir in /etc/samba /var/lib/samba /var/cache/samba /run/samba; do\n"
                "  if [ -d \"$dir\" ]; then mount --bind '"
                    + path(QStringLiteral("empty")).toUtf8()
                    + "' \"$dir\" || exit 125; fi\n"
                      "done\n"
                      "exec \"$@\"\n");

    // The build tree need not be reachable by another user: that one runs copies.
    if (m_user != 0) {
        copyBinary(m_shareward, QStringLiteral("shareward"));
        copyBinary(m_probe, QStringLiteral("startupprobe"));
        copyBinary(m_watcher, QStringLiteral("libstartupwatcher.so"));
        m_shareward = path(QStringLiteral("bin/shareward"));
        m_probe = path(QStringLiteral("bin/startupprobe"));
        m_watcher = path(QStringLiteral("bin/libstartupwatcher.so"));
    }

    m_environment = QProcessEnvironment::systemEnvironment();
    m_environment.remove(QStringLiteral("LD_PRELOAD"));
    // A program not given to the window is the guard's, which refuses to run.
    for (const char *name : {"testparm", "systemctl", "wbinfo"})
        m_environment.insert(QStringLiteral("SHAREWARD_PROGRAM_") + QString::fromLatin1(name).toUpper(),
                             path(QStringLiteral("guard/") + QLatin1String(name)));
    // A window that goes on starts its backend: as root the guard's, for anyone else the
    // stand-in pkexec.
    m_environment.insert(QStringLiteral("SHAREWARD_PROGRAM_SHAREWARD_CLI"),
                         path(QStringLiteral("guard/shareward-cli")));
    m_environment.insert(QStringLiteral("SHAREWARD_PROGRAM_PKEXEC"), path(QStringLiteral("programs/pkexec")));
    m_environment.insert(QStringLiteral("TMPDIR"), path(QStringLiteral("tmp")));
    // The program records the smb.conf it loads: in the fixture, not the machine's store.
    m_environment.insert(QStringLiteral("SHAREWARD_HISTORY_DIRECTORY"), path(QStringLiteral("history")));
    if (!m_environment.contains(QStringLiteral("SHAREWARD_RUN_DIRECTORY")))
        m_environment.insert(QStringLiteral("SHAREWARD_RUN_DIRECTORY"), path(QStringLiteral("run")));
    m_environment.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
    m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("home/.config")));
    m_environment.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("home/.cache")));
    m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("runtime")));
    m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    // A preloaded library comes before a dynamically linked sanitizer runtime (gcc's);
    // clang's is part of the program and does not mind.
    QString sanitizer = m_environment.value(QStringLiteral("ASAN_OPTIONS"));
    if (!sanitizer.isEmpty())
        sanitizer += QLatin1Char(':');
    m_environment.insert(QStringLiteral("ASAN_OPTIONS"),
                         sanitizer + QStringLiteral("verify_asan_link_order=0"));
}

QString StartupFixture::path(const QString &name) const
{
    return m_directory.filePath(name);
}

QString StartupFixture::reportPath(const QString &report) const
{
    return path(QStringLiteral("reports/") + report);
}

void StartupFixture::makeDirectory(const QString &name, bool forUser)
{
    const QString directory = path(name);
    if (!QDir().mkpath(directory)) {
        m_error = QStringLiteral("cannot make ") + directory;
        return;
    }
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    if (!forUser)
        permissions |= QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(directory, permissions);
    if (forUser && m_user != 0 && ::chown(QFile::encodeName(directory).constData(), m_user, m_user) != 0)
        m_error = QStringLiteral("cannot hand over ") + directory;
}

void StartupFixture::writeScript(const QString &name, const QByteArray &body)
{
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n" + body) < 0) {
        m_error = QStringLiteral("cannot write ") + file.fileName();
        return;
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                        | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

void StartupFixture::copyBinary(const QString &source, const QString &name)
{
    const QString target = path(QStringLiteral("bin/") + name);
    if (!QFile::copy(source, target)) {
        m_error = QStringLiteral("cannot copy ") + source;
        return;
    }
    QFile::setPermissions(target,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                              | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
}

void StartupFixture::start(QProcess &process, Program program, const QString &report,
                           const QStringList &arguments, const QStringList &watcherOptions) const
{
    // env sets what only the final program may see: the preloaded watcher would otherwise be
    // loaded by setpriv as well.
    QStringList command{QStringLiteral("SHAREWARD_WATCH_REPORT=") + reportPath(report),
                        QStringLiteral("SHAREWARD_WATCH_STOP=") + reportPath(report)
                            + QStringLiteral(".stop")};
    command << watcherOptions;
    if (program == Shareward)
        command << QStringLiteral("LD_PRELOAD=") + m_watcher << m_shareward;
    else
        command << m_probe;
    command << arguments;

    command.prepend(QStringLiteral("env"));
    if (m_user != 0) {
        const QString id = QString::number(m_user);
        command = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=") + id,
                              QStringLiteral("--regid=") + id, QStringLiteral("--clear-groups"),
                              QStringLiteral("--")}
            + command;
    }
    if (program == Shareward && m_namespace) {
        command.prepend(path(QStringLiteral("hide-samba")));
        command = QStringList{QStringLiteral("unshare"), QStringLiteral("--mount"),
                              QStringLiteral("--propagation=private"), QStringLiteral("--")}
            + command;
    }

    process.setProcessEnvironment(m_environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(command.takeFirst(), command);
    process.closeWriteChannel();
}

int StartupFixture::run(Program program, const QString &report, const QStringList &arguments,
                        const QStringList &variables) const
{
    QProcess process;
    start(process, program, report, arguments, variables);
    if (!process.waitForFinished(RunTimeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QStringList StartupFixture::windowArguments() const
{
    return {QStringLiteral("--config"), path(QStringLiteral("smb.conf")), QStringLiteral("--programs"),
            path(QStringLiteral("programs"))};
}

bool StartupFixture::startFirst(QProcess &process, const QString &report, const QStringList &arguments,
                                const QStringList &watcherOptions) const
{
    start(process, Probe, report, arguments + windowArguments(), watcherOptions);
    return process.waitForStarted(RunTimeoutMs)
        && waitForEvent(report, QStringLiteral("shown"), RunTimeoutMs);
}

int StartupFixture::stopFirst(QProcess &process, const QString &report) const
{
    QFile stop(reportPath(report) + QStringLiteral(".stop"));
    stop.open(QIODevice::WriteOnly);
    stop.close();
    if (!process.waitForFinished(RunTimeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QList<QStringList> StartupFixture::events(const QString &report, const QString &kind) const
{
    QList<QStringList> result;
    QFile file(reportPath(report));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return result;
    while (!file.atEnd()) {
        const QByteArray bytes = file.readLine();
        // A line still being written is not there yet.
        if (!bytes.endsWith('\n'))
            break;
        const QString line = QString::fromUtf8(bytes.chopped(1));
        QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.value(0) != kind)
            continue;
        for (QString &field : fields)
            field = unescape(field);
        result << fields;
    }
    return result;
}

QString StartupFixture::reportText(const QString &report) const
{
    QFile file(reportPath(report));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

bool StartupFixture::waitForEvent(const QString &report, const QString &kind, int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    while (events(report, kind).isEmpty()) {
        if (timer.hasExpired(timeoutMs))
            return false;
        QThread::msleep(20);
    }
    return true;
}

QString StartupFixture::pkexecLog() const
{
    QFile file(path(QStringLiteral("log/pkexec")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString StartupFixture::guardLog() const
{
    QFile file(path(QStringLiteral("log/guard")));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}
