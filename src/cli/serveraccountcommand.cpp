#include "serveraccountcommand.h"

#include "commandlinetool.h"
#include "sambaaccountstore.h"
#include "systemaccountcommand.h"
#include "systemctl.h"
#include "systemprograms.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

// A line of input without its line ending; false at its end.
bool readLine(std::istream &in, std::string &line)
{
    if (!std::getline(in, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

// Asks on the terminal with echo off.
bool askHidden(const char *prompt, std::string &line)
{
    std::cerr << prompt << std::flush;
    termios saved;
    const bool terminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    const bool read = readLine(std::cin, line);
    if (terminal)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::cerr << '\n';
    return read;
}

} // namespace

ServerAccountCommand::ServerAccountCommand(CommandLineTool &tool)
    : m_tool(tool)
{
}

bool ServerAccountCommand::dryRun() const
{
    return m_tool.isDryRun();
}

bool ServerAccountCommand::readPassword(QString &password)
{
    QString problem;
    if (readPassword(m_tool.in(), m_tool.inputIsTerminal(), password, problem))
        return true;
    if (!problem.isEmpty())
        m_tool.fail(CommandLineTool::Failure, problem);
    return false;
}

bool ServerAccountCommand::readPassword(std::istream &in, bool terminal, QString &password, QString &problem)
{
    std::string first;
    if (terminal) {
        std::string second;
        if (!askHidden("New Samba password: ", first) || !askHidden("Retype it: ", second))
            return false;
        if (first != second) {
            problem = QStringLiteral("the passwords differ");
            return false;
        }
    } else if (!readLine(in, first)) {
        problem = QStringLiteral("no password on standard input");
        return false;
    }
    password = QString::fromUtf8(first.data(), int(first.size()));
    if (password.isEmpty()) {
        problem = QStringLiteral("the password is empty");
        return false;
    }
    return true;
}

int ServerAccountCommand::done(const QString &action, const QString &error)
{
    if (!error.isEmpty())
        return m_tool.fail(CommandLineTool::Failure, action + QStringLiteral(": ") + error);
    m_tool.out() << (dryRun() ? "would " : "") << action.toStdString() << '\n';
    return dryRun() ? int(CommandLineTool::Success) : m_tool.changedExitCode();
}

int ServerAccountCommand::user(const QStringList &arguments)
{
    const QString command = arguments.value(0);
    if (command == QLatin1String("--help") || command == QLatin1String("help")) {
        m_tool.out() << "usage: shareward-cli [--dry-run] user COMMAND\n\n"
                        "  user list [--json]                          Samba's user accounts, machine "
                        "accounts marked\n"
                        "  user add NAME [--create-unix-account]       a Samba account; the option makes the "
                        "Unix account too\n"
                        "  user passwd NAME                            a new password, kept SID and flags\n"
                        "  user remove NAME\n\n"
                        "Passwords are read from standard input (one line; on a terminal asked twice without "
                        "echo).\n";
        return CommandLineTool::Success;
    }
    const QString name = arguments.value(1);
    const SambaAccountStore store;
    if (command == QLatin1String("list") && arguments.size() <= 2) {
        const bool json = arguments.value(1) == QLatin1String("--json");
        if (arguments.size() == 2 && !json)
            return m_tool.fail(CommandLineTool::UsageError, QStringLiteral("usage: user list [--json]"));
        SambaUserMap users;
        try {
            users = store.loadSambaUsers();
        } catch (const std::exception &error) {
            return m_tool.fail(CommandLineTool::Failure, QString::fromUtf8(error.what()));
        }
        // One account a line, a computer's trust account (PC01$) marked after a tab; in JSON an
        // object for each.
        QJsonArray entries;
        for (const SambaUser &user : qAsConst(users)) {
            if (json)
                entries.append(QJsonObject{{QStringLiteral("name"), user.name()},
                                           {QStringLiteral("machineAccount"), user.isMachineAccount()}});
            else
                m_tool.out() << user.name().toStdString()
                             << (user.isMachineAccount() ? "\tmachine account" : "") << '\n';
        }
        if (json)
            m_tool.out() << QJsonDocument(entries).toJson().toStdString();
        return CommandLineTool::Success;
    }
    const bool createUnix =
        arguments.size() == 3 && arguments.at(2) == QLatin1String("--create-unix-account");
    if (name.isEmpty() || (arguments.size() > 2 && !(command == QLatin1String("add") && createUnix)))
        return m_tool.fail(
            CommandLineTool::UsageError,
            QStringLiteral("usage: user list [--json] | add NAME [--create-unix-account] | passwd "
                           "NAME | remove NAME (passwords on standard input)"));
    if (const QString problem = SambaAccountStore::accountNameProblem(name); !problem.isEmpty())
        return m_tool.fail(CommandLineTool::Failure, problem);
    if (command == QLatin1String("add")) {
        // A Samba account needs a Unix account of the same name.
        const bool unix = SambaAccountStore::listSystemUsers().contains(name)
            || SambaAccountStore::listRegularUsers().contains(name);
        if (!unix && !createUnix)
            return m_tool.fail(
                CommandLineTool::Failure,
                QStringLiteral("%1 has no Unix account; --create-unix-account creates one").arg(name));
        QString password;
        if (!readPassword(password))
            return CommandLineTool::Failure;
        if (dryRun())
            return done(QStringLiteral("add Samba user %1").arg(name), QString());
        if (!unix) {
            const ProcessResult created = SystemAccountCommand::run(
                SystemPrograms::useradd(), {QStringLiteral("-M"), QStringLiteral("-N")}, name);
            if (!created.succeeded())
                return done(QStringLiteral("create Unix account %1").arg(name),
                            SystemAccountCommand::failureText(created));
        }
        QString error;
        store.addSambaUser(name, password, &error);
        return done(QStringLiteral("add Samba user %1").arg(name), error);
    }
    if (command == QLatin1String("passwd")) {
        QString password;
        if (!readPassword(password))
            return CommandLineTool::Failure;
        QString error;
        if (!dryRun())
            store.setSambaPassword(name, password, &error);
        return done(QStringLiteral("set the password of Samba user %1").arg(name), error);
    }
    if (command == QLatin1String("remove")) {
        QString error;
        if (!dryRun())
            store.deleteSambaUser(name, &error);
        return done(QStringLiteral("remove Samba user %1").arg(name), error);
    }
    return m_tool.fail(CommandLineTool::UsageError, QStringLiteral("unknown user command '%1'").arg(command));
}

int ServerAccountCommand::group(const QStringList &arguments)
{
    const QString command = arguments.value(0);
    if (command == QLatin1String("--help") || command == QLatin1String("help")) {
        m_tool.out() << "usage: shareward-cli [--dry-run] group list | add NAME | remove NAME\n\n"
                        "Samba's groups are mappings of Unix groups (net groupmap).\n";
        return CommandLineTool::Success;
    }
    const QString name = arguments.value(1);
    const SambaAccountStore store;
    if (command == QLatin1String("list") && arguments.size() == 1) {
        QStringList names;
        try {
            names = store.loadSambaGroups().keys();
        } catch (const std::exception &error) {
            return m_tool.fail(CommandLineTool::Failure, QString::fromUtf8(error.what()));
        }
        for (const QString &group : names)
            m_tool.out() << group.toStdString() << '\n';
        return CommandLineTool::Success;
    }
    if (arguments.size() != 2)
        return m_tool.fail(CommandLineTool::UsageError,
                           QStringLiteral("usage: group list | add NAME | remove NAME"));
    if (const QString problem = SambaAccountStore::accountNameProblem(name); !problem.isEmpty())
        return m_tool.fail(CommandLineTool::Failure, problem);
    QString error;
    if (command == QLatin1String("add")) {
        if (!dryRun())
            store.addSambaGroup(name, &error);
        return done(QStringLiteral("map Unix group %1 as a Samba group").arg(name), error);
    }
    if (command == QLatin1String("remove")) {
        if (!dryRun())
            store.deleteSambaGroup(name, &error);
        return done(QStringLiteral("remove the Samba group %1").arg(name), error);
    }
    return m_tool.fail(CommandLineTool::UsageError,
                       QStringLiteral("unknown group command '%1'").arg(command));
}

int ServerAccountCommand::service(const QStringList &arguments)
{
    const QString command = arguments.value(0);
    if (command == QLatin1String("--help") || command == QLatin1String("help")) {
        m_tool.out() << "usage: shareward-cli [--dry-run] service status|start|stop|restart\n\n"
                        "smbd, then nmbd, through systemctl; status exits 1 unless both run.\n";
        return CommandLineTool::Success;
    }
    const SystemCtl systemctl;
    const QStringList services{SystemCtl::smbdService(), SystemCtl::nmbdService()};
    if (arguments.size() != 1)
        return m_tool.fail(CommandLineTool::UsageError,
                           QStringLiteral("usage: service status|start|stop|restart"));
    if (command == QLatin1String("status")) {
        bool running = true;
        for (const QString &service : services) {
            const bool active = systemctl.isActive(service);
            running = running && active;
            m_tool.out() << service.toStdString() << ": " << (active ? "active" : "inactive") << '\n';
        }
        return running ? CommandLineTool::Success : CommandLineTool::Failure;
    }
    SystemCtl::Command action = SystemCtl::Start;
    if (command == QLatin1String("stop"))
        action = SystemCtl::Stop;
    else if (command == QLatin1String("restart"))
        action = SystemCtl::Restart;
    else if (command != QLatin1String("start"))
        return m_tool.fail(CommandLineTool::UsageError,
                           QStringLiteral("unknown service command '%1'").arg(command));
    // In the window's order: smbd, then nmbd; a failure stops there.
    for (const QString &service : services) {
        const QString what = SystemCtl::commandText(action) + QLatin1Char(' ') + service;
        const SystemCtl::Result result =
            dryRun() ? SystemCtl::Result{true, QString()} : systemctl.run(action, service);
        if (const int code = done(what, result.succeeded ? QString() : result.errorText);
            code == CommandLineTool::Failure)
            return code;
    }
    return dryRun() ? int(CommandLineTool::Success) : m_tool.changedExitCode();
}
