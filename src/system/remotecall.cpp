#include "remotecall.h"

#include <QCoreApplication>

QJsonObject RemoteCall::replyTo(BackendConnection &connection, const QString &op, QJsonObject fields)
{
    fields.insert(QStringLiteral("op"), op);
    QJsonObject reply = connection.request(fields);
    reply.remove(QStringLiteral("id"));
    reply.remove(QStringLiteral("ok"));
    return reply;
}

void RemoteCall::unreadable(BackendConnection &connection, const JsonFieldReader::Error &error)
{
    throw BackendConnection::Failure(
        BackendConnection::Failure::Incompatible,
        QCoreApplication::translate("RemoteCall", "The backend on %1 gave an answer this window cannot read: %2")
            .arg(connection.serverName(), QString::fromStdString(error.what())));
}

void RemoteCall::ask(BackendConnection &connection, const QString &op, QJsonObject fields,
                     const std::function<void(JsonFieldReader &)> &read)
{
    answer(connection, op, std::move(fields), [&read](const QJsonValue &reply, const QString &field) {
        JsonFieldReader replyFields(reply, field);
        read(replyFields);
        replyFields.finish();
        return true;
    });
}
