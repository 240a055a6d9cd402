#include "serverstatuscodec.h"

#include "jsonfieldreader.h"

namespace {

QJsonObject encodeSession(const ServerSession &session)
{
    return {
        {QStringLiteral("id"), session.id},
        {QStringLiteral("pid"), session.pid},
        {QStringLiteral("user"), session.user},
        {QStringLiteral("group"), session.group},
        {QStringLiteral("machine"), session.machine},
        {QStringLiteral("address"), session.address},
        {QStringLiteral("protocol"), session.protocol},
        {QStringLiteral("encryption"), session.encryption},
        {QStringLiteral("signing"), session.signing},
        {QStringLiteral("connectedSince"), JsonFieldReader::timeValue(session.connectedSince)},
        {QStringLiteral("vnn"), session.vnn},
    };
}

ServerSession readSession(JsonFieldReader &fields)
{
    ServerSession session;
    session.id = fields.text(QStringLiteral("id"));
    session.pid = fields.text(QStringLiteral("pid"));
    session.user = fields.text(QStringLiteral("user"));
    session.group = fields.text(QStringLiteral("group"));
    session.machine = fields.text(QStringLiteral("machine"));
    session.address = fields.text(QStringLiteral("address"));
    session.protocol = fields.text(QStringLiteral("protocol"));
    session.encryption = fields.text(QStringLiteral("encryption"));
    session.signing = fields.text(QStringLiteral("signing"));
    session.connectedSince = fields.timeOrNull(QStringLiteral("connectedSince"));
    session.vnn = fields.text(QStringLiteral("vnn"));
    fields.finish();
    return session;
}

QJsonObject encodeConnection(const ServerConnection &connection)
{
    return {
        {QStringLiteral("share"), connection.share},
        {QStringLiteral("pid"), connection.pid},
        {QStringLiteral("sessionId"), connection.sessionId},
        {QStringLiteral("user"), connection.user},
        {QStringLiteral("machine"), connection.machine},
        {QStringLiteral("connectedAt"), JsonFieldReader::timeValue(connection.connectedAt)},
    };
}

ServerConnection readConnection(JsonFieldReader &fields)
{
    ServerConnection connection;
    connection.share = fields.text(QStringLiteral("share"));
    connection.pid = fields.text(QStringLiteral("pid"));
    connection.sessionId = fields.text(QStringLiteral("sessionId"));
    connection.user = fields.text(QStringLiteral("user"));
    connection.machine = fields.text(QStringLiteral("machine"));
    connection.connectedAt = fields.timeOrNull(QStringLiteral("connectedAt"));
    fields.finish();
    return connection;
}

QJsonObject encodeOpenFile(const OpenFile &file)
{
    return {
        {QStringLiteral("shares"), QJsonArray::fromStringList(file.shares)},
        {QStringLiteral("path"), file.path},
        {QStringLiteral("pid"), file.pid},
        {QStringLiteral("user"), file.user},
        {QStringLiteral("access"), file.access},
        {QStringLiteral("lease"), file.lease},
    };
}

OpenFile readOpenFile(JsonFieldReader &fields)
{
    OpenFile file;
    file.shares = fields.texts(QStringLiteral("shares"));
    file.path = fields.text(QStringLiteral("path"));
    file.pid = fields.text(QStringLiteral("pid"));
    file.user = fields.text(QStringLiteral("user"));
    file.access = fields.text(QStringLiteral("access"));
    file.lease = fields.text(QStringLiteral("lease"));
    fields.finish();
    return file;
}

template<typename Item, typename Encode>
QJsonArray encodeList(const QList<Item> &items, Encode encode)
{
    QJsonArray array;
    for (const Item &item : items)
        array.append(encode(item));
    return array;
}

SmbStatus::SharePaths readShares(QList<JsonFieldReader> items)
{
    SmbStatus::SharePaths shares;
    for (JsonFieldReader &share : items) {
        const QString name = share.text(QStringLiteral("name"));
        shares.append({name, share.text(QStringLiteral("path"))});
        share.finish();
    }
    return shares;
}

} // namespace

QJsonObject ServerStatusCodec::encode(const ServerStatus &status)
{
    return {
        {QStringLiteral("running"), status.running},
        {QStringLiteral("error"), status.error},
        {QStringLiteral("sessions"), encodeList(status.sessions, encodeSession)},
        {QStringLiteral("connections"), encodeList(status.connections, encodeConnection)},
        {QStringLiteral("openFiles"), encodeList(status.openFiles, encodeOpenFile)},
    };
}

ServerStatus ServerStatusCodec::decodeStatus(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    return readStatus(fields);
}

ServerStatus ServerStatusCodec::readStatus(JsonFieldReader &fields)
{
    ServerStatus status;
    status.running = fields.flag(QStringLiteral("running"));
    status.error = fields.text(QStringLiteral("error"));
    for (JsonFieldReader &session : fields.objects(QStringLiteral("sessions")))
        status.sessions.append(readSession(session));
    for (JsonFieldReader &connection : fields.objects(QStringLiteral("connections")))
        status.connections.append(readConnection(connection));
    for (JsonFieldReader &file : fields.objects(QStringLiteral("openFiles")))
        status.openFiles.append(readOpenFile(file));
    fields.finish();
    return status;
}

QJsonArray ServerStatusCodec::encode(const SmbStatus::SharePaths &shares)
{
    QJsonArray array;
    for (const auto &[name, path] : shares)
        array.append(QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("path"), path}});
    return array;
}

SmbStatus::SharePaths ServerStatusCodec::decodeSharePaths(const QJsonValue &value, const QString &field)
{
    return readShares(JsonFieldReader::objects(value, field));
}

SmbStatus::SharePaths ServerStatusCodec::readSharePaths(JsonFieldReader &fields, const QString &key)
{
    return readShares(fields.objects(key));
}
