#include "smbstatus.h"

#include "processrunner.h"
#include "systemprograms.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <cerrno>
#include <pwd.h>
#include <sys/types.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(SmbStatus)
};

QString text(const QJsonObject &object, const char *key)
{
    // smbstatus writes some numbers as strings (a server id's pid) and others as numbers.
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isDouble())
        return QString::number(qint64(value.toDouble()));
    return value.toString();
}

QString pidOf(const QJsonObject &entry)
{
    return text(entry.value(QLatin1String("server_id")).toObject(), "pid");
}

// "ipv4:192.0.2.7:50110" or "ipv6:fd00::7:50110": the address without the family and port.
QString addressOf(const QString &hostname)
{
    QString address = hostname;
    if (address.startsWith(QLatin1String("ipv4:")) || address.startsWith(QLatin1String("ipv6:"))) {
        address = address.mid(5);
        const int port = address.lastIndexOf(QLatin1Char(':'));
        if (port > 0)
            address.truncate(port);
    }
    if (address.startsWith(QLatin1Char('[')) && address.endsWith(QLatin1Char(']')))
        address = address.mid(1, address.size() - 2);
    return address;
}

// The algorithm of an "encryption" or "signing" object; "-" when there is none.
QString cipherOf(const QJsonObject &entry, const char *key)
{
    const QString cipher =
        entry.value(QLatin1String(key)).toObject().value(QLatin1String("cipher")).toString();
    return cipher.isEmpty() ? QStringLiteral("-") : cipher;
}

QDateTime timeOf(const QJsonObject &entry, const char *key)
{
    return QDateTime::fromString(entry.value(QLatin1String(key)).toString(), Qt::ISODateWithMs);
}

// The access mask's parts as smbstatus decodes them; the hex value where they are missing.
QString accessOf(const QJsonObject &open)
{
    const QJsonObject mask = open.value(QLatin1String("access_mask")).toObject();
    bool number = false;
    const uint hex = mask.value(QLatin1String("hex")).toString().toUInt(&number, 16);
    auto has = [&](const char *name, uint bit) {
        const QJsonValue flag = mask.value(QLatin1String(name));
        return flag.isBool() ? flag.toBool() : number && (hex & bit);
    };
    QStringList parts;
    if (has("READ_DATA", 0x1) || has("EXECUTE", 0x20))
        parts << QStringLiteral("read");
    if (has("WRITE_DATA", 0x2) || has("APPEND_DATA", 0x4))
        parts << QStringLiteral("write");
    if (has("DELETE", 0x10000))
        parts << QStringLiteral("delete");
    return parts.join(QLatin1Char('/'));
}

// smbstatus's own words for the oplock ("BATCH", "LEVEL_II", "LEASE(RWH)"), which it pads
// with spaces; a lease alone in its words too.
QString leaseOf(const QJsonObject &open)
{
    const QString oplock =
        open.value(QLatin1String("oplock")).toObject().value(QLatin1String("text")).toString().trimmed();
    if (!oplock.isEmpty())
        return oplock;
    const QString lease =
        open.value(QLatin1String("lease")).toObject().value(QLatin1String("text")).toString().trimmed();
    return lease.isEmpty() ? QString() : QStringLiteral("LEASE(%1)").arg(lease);
}

// The shares whose path holds path, the most specific first.
QStringList sharesHolding(const QString &path, const SmbStatus::SharePaths &shares)
{
    std::vector<std::pair<QString, int>> found;
    for (const auto &share : shares) {
        if (share.second.isEmpty())
            continue;
        QString directory = QDir::cleanPath(share.second);
        if (!directory.endsWith(QLatin1Char('/')))
            directory += QLatin1Char('/');
        if (path.startsWith(directory) || path + QLatin1Char('/') == directory)
            found.emplace_back(share.first, directory.size());
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto &a, const auto &b) { return a.second > b.second; });
    QStringList names;
    for (const auto &entry : found)
        names << entry.first;
    return names;
}

ServerStatus unreadable(const QString &error)
{
    ServerStatus status;
    status.error = error;
    return status;
}

} // namespace

SmbStatus::SmbStatus(const QString &program, const QString &configPath)
    : m_program(program)
    , m_configPath(configPath)
{
}

QString SmbStatus::defaultProgram()
{
    return SystemPrograms::smbstatus();
}

ServerStatus SmbStatus::read(const SharePaths &shares) const
{
    ProcessRunner runner(m_program, {QStringLiteral("-s"), m_configPath, QStringLiteral("--json")});
    runner.setTimeLimit(m_timeLimitMs);
    const ProcessResult run = runner.run();
    if (!run.exitedNormally())
        return unreadable(run.errorText);
    // Its first line: smbstatus adds advice below it ("This is normal if...").
    const QString error =
        QString::fromLocal8Bit(run.standardError).trimmed().section(QLatin1Char('\n'), 0, 0);
    if (run.exitCode != 0) {
        return unreadable(error.isEmpty()
                              ? Messages::tr("%1 exited with code %2.").arg(m_program).arg(run.exitCode)
                              : error);
    }
    // With no smbd (one that never ran since the lock directory was made) smbstatus exits 0,
    // prints no or empty lists and says why on standard error; a running one says nothing there.
    // One that stopped cleanly leaves no trace: its status reads as a server nobody uses.
    const QString notRunning = Messages::tr("smbd is not running: %1").arg(error);
    if (run.standardOutput.trimmed().isEmpty())
        return unreadable(error.isEmpty() ? Messages::tr("%1 printed no status.").arg(m_program)
                                          : notRunning);
    ServerStatus status = parse(run.standardOutput, shares, systemUserName);
    if (!status.running && !error.isEmpty())
        status.error += QLatin1Char(' ') + error;
    else if (status.running && status.sessions.isEmpty() && status.connections.isEmpty() && !error.isEmpty())
        status = unreadable(notRunning);
    return status;
}

ServerStatus SmbStatus::parse(const QByteArray &json, const SharePaths &shares, const UserNames &userNames)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return unreadable(
            Messages::tr("smbstatus printed no readable status: %1").arg(parseError.errorString()));
    const QJsonObject root = document.object();
    if (!root.value(QLatin1String("sessions")).isObject())
        return unreadable(Messages::tr("smbstatus printed no sessions."));

    ServerStatus status;
    status.running = true;
    const QJsonObject sessions = root.value(QLatin1String("sessions")).toObject();
    for (auto it = sessions.begin(); it != sessions.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        ServerSession session;
        session.id = it.key();
        session.pid = pidOf(entry);
        session.vnn = text(entry.value(QLatin1String("server_id")).toObject(), "vnn");
        session.user = text(entry, "username");
        session.group = text(entry, "groupname");
        session.machine = text(entry, "remote_machine");
        session.address = addressOf(text(entry, "hostname"));
        session.protocol = text(entry, "session_dialect");
        session.encryption = cipherOf(entry, "encryption");
        session.signing = cipherOf(entry, "signing");
        status.sessions << session;
    }

    const QJsonObject tcons = root.value(QLatin1String("tcons")).toObject();
    for (const QJsonValue &value : tcons) {
        const QJsonObject entry = value.toObject();
        ServerConnection connection;
        connection.share = text(entry, "service");
        connection.pid = pidOf(entry);
        connection.sessionId = text(entry, "session_id");
        connection.machine = text(entry, "machine");
        connection.connectedAt = timeOf(entry, "connected_at");
        for (ServerSession &session : status.sessions) {
            if (session.id != connection.sessionId)
                continue;
            connection.user = session.user;
            if (connection.machine.isEmpty())
                connection.machine = session.machine;
            if (connection.connectedAt.isValid()
                && (!session.connectedSince.isValid() || connection.connectedAt < session.connectedSince))
                session.connectedSince = connection.connectedAt;
        }
        status.connections << connection;
    }

    const QJsonObject files = root.value(QLatin1String("open_files")).toObject();
    for (auto it = files.begin(); it != files.end(); ++it) {
        const QJsonObject file = it.value().toObject();
        QString path = it.key();
        if (!path.startsWith(QLatin1Char('/')))
            path = text(file, "service_path") + QLatin1Char('/') + text(file, "filename");
        path = QDir::cleanPath(path);
        const QStringList holders = sharesHolding(path, shares);
        for (const QJsonValue &value : file.value(QLatin1String("opens")).toObject()) {
            const QJsonObject open = value.toObject();
            OpenFile openFile;
            openFile.shares = holders;
            openFile.path = path;
            openFile.pid = pidOf(open);
            const QJsonValue uid = open.value(QLatin1String("uid"));
            openFile.user =
                uid.isDouble() && uid.toDouble() >= 0 ? userNames(uint(uid.toDouble())) : text(open, "uid");
            openFile.access = accessOf(open);
            openFile.lease = leaseOf(open);
            status.openFiles << openFile;
        }
    }

    // In a stable order for lists and scripts: the JSON's objects keep none.
    std::stable_sort(status.sessions.begin(), status.sessions.end(), [](const auto &a, const auto &b) {
        return std::tie(a.user, a.machine, a.pid) < std::tie(b.user, b.machine, b.pid);
    });
    std::stable_sort(status.connections.begin(), status.connections.end(), [](const auto &a, const auto &b) {
        return std::tie(a.share, a.user, a.pid) < std::tie(b.share, b.user, b.pid);
    });
    std::stable_sort(status.openFiles.begin(), status.openFiles.end(), [](const auto &a, const auto &b) {
        return std::tie(a.path, a.pid) < std::tie(b.path, b.pid);
    });
    return status;
}

QString SmbStatus::systemUserName(uint uid)
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    passwd entry;
    passwd *found = nullptr;
    while (::getpwuid_r(uid_t(uid), &entry, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    return found ? QString::fromLocal8Bit(found->pw_name) : QString::number(uid);
}
