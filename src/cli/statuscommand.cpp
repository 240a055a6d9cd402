#include "statuscommand.h"

#include "commandlinetool.h"
#include "smbcontrol.h"
#include "smbstatus.h"
#include "systemctl.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPair>

#include <algorithm>
#include <ostream>
#include <vector>

namespace {

using Services = QList<QPair<QString, QString>>; // name, state

QString stateText(SystemCtl::State state)
{
    switch (state) {
    case SystemCtl::Active:
        return QStringLiteral("active");
    case SystemCtl::Inactive:
        return QStringLiteral("inactive");
    case SystemCtl::Failed:
        return QStringLiteral("failed");
    case SystemCtl::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

Services readServices()
{
    const SystemCtl systemctl;
    Services services;
    for (const QString &service : {SystemCtl::smbdService(), SystemCtl::nmbdService()})
        services << qMakePair(service, stateText(systemctl.state(service)));
    return services;
}

// The session a connection or an open file belongs to, for its client's name and address.
const ServerSession *sessionOf(const ServerStatus &status, const QString &id, const QString &pid)
{
    for (const ServerSession &session : status.sessions) {
        if (id.isEmpty() ? session.pid == pid : session.id == id)
            return &session;
    }
    return nullptr;
}

QJsonValue timeJson(const QDateTime &time)
{
    return time.isValid() ? QJsonValue(time.toUTC().toString(Qt::ISODateWithMs)) : QJsonValue();
}

QString timeText(const QDateTime &time)
{
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}

// A heading and its rows in columns two spaces apart; "none" for no rows.
void printTable(std::ostream &out, const char *title, const QStringList &headings,
                const QList<QStringList> &rows)
{
    out << '\n' << title << ":\n";
    if (rows.isEmpty()) {
        out << "  none\n";
        return;
    }
    std::vector<int> widths(size_t(headings.size()), 0);
    for (const QStringList &row : QList<QStringList>{headings} + rows) {
        for (int column = 0; column < row.size(); ++column)
            widths[size_t(column)] = std::max(widths[size_t(column)], int(row.at(column).size()));
    }
    for (const QStringList &row : QList<QStringList>{headings} + rows) {
        QString line = QStringLiteral("  ");
        for (int column = 0; column < row.size(); ++column) {
            const QString cell = row.at(column).isEmpty() ? QStringLiteral("-") : row.at(column);
            line += column + 1 < row.size() ? cell.leftJustified(widths[size_t(column)] + 2) : cell;
        }
        out << line.toStdString() << '\n';
    }
}

void printText(std::ostream &out, const Services &services, const ServerStatus &status)
{
    for (const auto &service : services)
        out << service.first.toStdString() << ": " << service.second.toStdString() << '\n';
    if (!status.running)
        return;
    QList<QStringList> rows;
    for (const ServerSession &session : status.sessions)
        rows << QStringList{session.pid,        session.user,    session.group,
                            session.machine,    session.address, session.protocol,
                            session.encryption, session.signing, timeText(session.connectedSince)};
    printTable(out, "Sessions",
               {QStringLiteral("PID"), QStringLiteral("USER"), QStringLiteral("GROUP"),
                QStringLiteral("MACHINE"), QStringLiteral("ADDRESS"), QStringLiteral("PROTOCOL"),
                QStringLiteral("ENCRYPTION"), QStringLiteral("SIGNING"), QStringLiteral("SINCE")},
               rows);
    rows.clear();
    for (const ServerConnection &connection : status.connections)
        rows << QStringList{connection.share, connection.user, connection.machine, connection.pid,
                            timeText(connection.connectedAt)};
    printTable(out, "Shares in use",
               {QStringLiteral("SHARE"), QStringLiteral("USER"), QStringLiteral("MACHINE"),
                QStringLiteral("PID"), QStringLiteral("CONNECTED AT")},
               rows);
    rows.clear();
    for (const OpenFile &file : status.openFiles)
        rows << QStringList{file.path, file.shares.join(QLatin1Char(',')), file.user, file.pid, file.access,
                            file.lease};
    printTable(out, "Open files",
               {QStringLiteral("PATH"), QStringLiteral("SHARE"), QStringLiteral("USER"),
                QStringLiteral("PID"), QStringLiteral("ACCESS"), QStringLiteral("LEASE")},
               rows);
}

QJsonObject statusJson(const Services &services, const ServerStatus &status)
{
    QJsonObject states;
    for (const auto &service : services)
        states.insert(service.first, service.second);
    QJsonArray sessions;
    for (const ServerSession &session : status.sessions) {
        sessions.append(QJsonObject{
            {QStringLiteral("id"), session.id},
            {QStringLiteral("pid"), session.pid},
            {QStringLiteral("user"), session.user},
            {QStringLiteral("group"), session.group},
            {QStringLiteral("machine"), session.machine},
            {QStringLiteral("address"), session.address},
            {QStringLiteral("protocol"), session.protocol},
            {QStringLiteral("encryption"), session.encryption},
            {QStringLiteral("signing"), session.signing},
            {QStringLiteral("connectedSince"), timeJson(session.connectedSince)},
        });
    }
    QJsonArray connections;
    for (const ServerConnection &connection : status.connections) {
        const ServerSession *session = sessionOf(status, connection.sessionId, connection.pid);
        connections.append(QJsonObject{
            {QStringLiteral("share"), connection.share},
            {QStringLiteral("pid"), connection.pid},
            {QStringLiteral("sessionId"), connection.sessionId},
            {QStringLiteral("user"), connection.user},
            {QStringLiteral("machine"), connection.machine},
            {QStringLiteral("address"), session ? session->address : QString()},
            {QStringLiteral("connectedAt"), timeJson(connection.connectedAt)},
        });
    }
    QJsonArray openFiles;
    for (const OpenFile &file : status.openFiles) {
        const ServerSession *session = sessionOf(status, QString(), file.pid);
        openFiles.append(QJsonObject{
            {QStringLiteral("path"), file.path},
            // The most specific share; shares has every one whose path holds the file.
            {QStringLiteral("share"), file.shares.value(0)},
            {QStringLiteral("shares"), QJsonArray::fromStringList(file.shares)},
            {QStringLiteral("pid"), file.pid},
            {QStringLiteral("user"), file.user},
            {QStringLiteral("machine"), session ? session->machine : QString()},
            {QStringLiteral("address"), session ? session->address : QString()},
            {QStringLiteral("access"), file.access},
            {QStringLiteral("lease"), file.lease},
        });
    }
    QJsonObject json{
        {QStringLiteral("services"), states},     {QStringLiteral("running"), status.running},
        {QStringLiteral("sessions"), sessions},   {QStringLiteral("connections"), connections},
        {QStringLiteral("openFiles"), openFiles},
    };
    if (!status.error.isEmpty())
        json.insert(QStringLiteral("error"), status.error);
    return json;
}

} // namespace

StatusCommand::StatusCommand(CommandLineTool &tool)
    : m_tool(tool)
{
}

int StatusCommand::readStatus(ServerStatus &status, QStringList *shareNames)
{
    return m_tool.read([this, &status, shareNames](const SambaSettings &, const QList<Share> &shares) {
        SmbStatus::SharePaths paths;
        for (const Share &share : shares) {
            paths << qMakePair(share.name(), share.path());
            if (shareNames)
                shareNames->append(share.name());
        }
        status = SmbStatus(SmbStatus::defaultProgram(), m_tool.configPath()).read(paths);
        return int(CommandLineTool::Success);
    });
}

int StatusCommand::status(const QStringList &arguments)
{
    const QString first = arguments.value(0);
    if (first == QLatin1String("--help") || first == QLatin1String("help")) {
        m_tool.out()
            << "usage: shareward-cli [--config FILE] status [--json]\n\n"
               "The smbd and nmbd services, the sessions of the running smbd, the shares in use and\n"
               "the open files, with the shares of the --config file that hold them; exit 1 when\n"
               "smbstatus gives no status (smbd is not running).\n";
        return CommandLineTool::Success;
    }
    const bool json = first == QLatin1String("--json");
    if (arguments.size() > 1 || (!arguments.isEmpty() && !json))
        return m_tool.fail(CommandLineTool::UsageError, QStringLiteral("usage: status [--json]"));
    ServerStatus status;
    if (const int code = readStatus(status); code != CommandLineTool::Success)
        return code;
    const Services services = readServices();
    if (json)
        m_tool.out() << QJsonDocument(statusJson(services, status)).toJson().toStdString();
    else
        printText(m_tool.out(), services, status);
    m_tool.out().flush();
    if (!status.running)
        return m_tool.fail(CommandLineTool::Failure, status.error);
    return m_tool.out().good()
        ? int(CommandLineTool::Success)
        : m_tool.fail(CommandLineTool::Failure, QStringLiteral("cannot write to standard output"));
}

int StatusCommand::disconnect(const QStringList &arguments)
{
    const QString option = arguments.value(0);
    if (option == QLatin1String("--help") || option == QLatin1String("help")) {
        m_tool.out()
            << "usage: shareward-cli [--dry-run] disconnect --pid PID | --share NAME\n\n"
               "  --pid PID     end the smbd process that serves a session (status lists them),\n"
               "                with every session it serves (smbcontrol PID shutdown)\n"
               "  --share NAME  end every connection to a share (smbcontrol smbd close-share NAME)\n\n"
               "Clients may connect again at once; exit 1 when smbcontrol fails.\n";
        return CommandLineTool::Success;
    }
    const QString value = arguments.value(1);
    const bool byPid = option == QLatin1String("--pid");
    if (arguments.size() != 2 || (!byPid && option != QLatin1String("--share")) || value.isEmpty()
        || value.startsWith(QLatin1Char('-')))
        return m_tool.fail(CommandLineTool::UsageError,
                           QStringLiteral("usage: disconnect --pid PID | --share NAME"));
    const SmbControl smbcontrol(SmbControl::defaultProgram(), m_tool.configPath());
    QString action;
    if (byPid) {
        bool number = false;
        if (value.toUInt(&number) == 0 || !number)
            return m_tool.fail(CommandLineTool::UsageError, QStringLiteral("--pid needs a process id"));
        // Only a process serving a session: smbd's main process or nmbd would end the service.
        ServerStatus status;
        if (const int code = readStatus(status); code != CommandLineTool::Success)
            return code;
        if (!status.running)
            return m_tool.fail(CommandLineTool::Failure, status.error);
        QStringList users;
        for (const ServerSession &session : status.sessions) {
            if (session.pid != value)
                continue;
            // In a cluster smbstatus lists every node's sessions; smbcontrol would take the number
            // for a process of this node.
            if (session.onClusterNode())
                return m_tool.fail(CommandLineTool::Failure,
                                   QStringLiteral("process %1 is one of cluster node %2, whose processes "
                                                  "disconnect --pid does not end; run smbcontrol %2:%1 "
                                                  "shutdown to end it")
                                       .arg(value, session.vnn));
            users << QStringLiteral("%1 from %2").arg(session.user, session.machine);
        }
        if (users.isEmpty())
            return m_tool.fail(CommandLineTool::Failure,
                               QStringLiteral("no session is served by process %1").arg(value));
        action = QStringLiteral("end smbd process %1 and its sessions (%2)")
                     .arg(value, users.join(QStringLiteral(", ")));
    } else {
        // smbcontrol's close-share takes "*" for every share.
        if (value == QLatin1String("*"))
            return m_tool.fail(CommandLineTool::UsageError,
                               QStringLiteral("--share needs the name of one share, not '*'"));
        // A share of the --config file, or one in use (a user's [homes] share goes by the user's name).
        ServerStatus status;
        QStringList names;
        if (const int code = readStatus(status, &names); code != CommandLineTool::Success)
            return code;
        for (const ServerConnection &connection : qAsConst(status.connections))
            names << connection.share;
        if (!names.contains(value, Qt::CaseInsensitive))
            return m_tool.fail(CommandLineTool::Failure,
                               QStringLiteral("%1 has no share %2, and no client uses one of that name")
                                   .arg(m_tool.configPath(), value));
        action = QStringLiteral("close every connection to share %1").arg(value);
    }
    if (m_tool.isDryRun()) {
        m_tool.out() << "would " << action.toStdString() << '\n';
        return CommandLineTool::Success;
    }
    const SmbControl::Result result =
        byPid ? smbcontrol.shutdown(value) : smbcontrol.closeShare(QStringLiteral("smbd"), value);
    if (!result.succeeded)
        return m_tool.fail(CommandLineTool::Failure,
                           QStringLiteral("cannot %1: %2").arg(action, result.errorText));
    m_tool.out() << action.toStdString() << '\n';
    return CommandLineTool::Success;
}
