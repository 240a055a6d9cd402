#pragma once

#include "serverservices.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// Every field of what ServerServices gives, as text, so that a test compares two results
// field by field and shows the first difference; written here apart from the JSON codec, so
// that a field the codec drops shows as a difference. A time is shown with its offset.
namespace ServicesResults {

inline QString time(const QDateTime &when)
{
    return when.isValid()
        ? QStringLiteral("%1 ms, UTC%2 s").arg(when.toMSecsSinceEpoch()).arg(when.offsetFromUtc())
        : QStringLiteral("(none)");
}

inline QString list(const QStringList &texts)
{
    return QLatin1Char('[') + texts.join(QStringLiteral("|")) + QLatin1Char(']');
}

inline QString describe(SystemCtl::State state)
{
    static const char *const names[] = {"Active", "Inactive", "Failed", "Unknown"};
    return state >= SystemCtl::Active && state <= SystemCtl::Unknown ? QString::fromLatin1(names[state])
                                                                     : QStringLiteral("(no state)");
}

inline QString describe(const ServerServices::ServiceState &state)
{
    return QStringLiteral("state %1, why %2").arg(describe(state.state), state.why);
}

inline QString describe(const SystemCtl::Result &result)
{
    return QStringLiteral("succeeded %1, errorText %2").arg(result.succeeded).arg(result.errorText);
}

inline QString describe(const SmbControl::Result &result)
{
    return QStringLiteral("succeeded %1, errorText %2").arg(result.succeeded).arg(result.errorText);
}

inline QString describe(const ServiceUpdate::Outcome &outcome)
{
    return QStringList{QStringLiteral("services ") + list(outcome.services),
                       QStringLiteral("restarted %1").arg(outcome.restarted),
                       QStringLiteral("down ") + list(outcome.down),
                       QStringLiteral("status ") + outcome.status,
                       QStringLiteral("failures ") + list(outcome.failures),
                       QStringLiteral("unchecked ") + outcome.unchecked}
        .join(QLatin1Char('\n'));
}

inline QString describe(const ServerStatus &status)
{
    QStringList lines{QStringLiteral("running %1, error %2").arg(status.running).arg(status.error)};
    for (const ServerSession &session : status.sessions)
        lines << QStringList{QStringLiteral("session"),
                             session.id,
                             session.pid,
                             session.user,
                             session.group,
                             session.machine,
                             session.address,
                             session.protocol,
                             session.encryption,
                             session.signing,
                             time(session.connectedSince),
                             session.vnn}
                     .join(QStringLiteral(" / "));
    for (const ServerConnection &connection : status.connections)
        lines << QStringList{QStringLiteral("connection"), connection.share, connection.pid,
                             connection.sessionId,         connection.user,  connection.machine,
                             time(connection.connectedAt)}
                     .join(QStringLiteral(" / "));
    for (const OpenFile &file : status.openFiles)
        lines << QStringList{QStringLiteral("open file"),
                             list(file.shares),
                             file.path,
                             file.pid,
                             file.user,
                             file.access,
                             file.lease}
                     .join(QStringLiteral(" / "));
    return lines.join(QLatin1Char('\n'));
}

inline QString describe(const ServerServices::LiveStatus &reading)
{
    return QStringLiteral("smbd %1, nmbd %2\n").arg(describe(reading.smbd), describe(reading.nmbd))
        + describe(reading.status);
}

} // namespace ServicesResults
