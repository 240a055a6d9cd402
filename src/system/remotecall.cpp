#include "remotecall.h"

#include <QCoreApplication>

void RemoteCall::ask(BackendConnection &connection, const QString &op, QJsonObject fields,
                     const std::function<void(JsonFieldReader &)> &read)
{
    fields.insert(QStringLiteral("op"), op);
    QJsonObject reply = connection.request(fields);
    reply.remove(QStringLiteral("id"));
    reply.remove(QStringLiteral("ok"));
    try {
        JsonFieldReader replyFields(QJsonValue(reply), QStringLiteral("reply"));
        read(replyFields);
        replyFields.finish();
    } catch (const JsonFieldReader::Error &error) {
        throw BackendConnection::Failure(
            BackendConnection::Failure::Incompatible,
            QCoreApplication::translate("RemoteCall",
                                        "The backend on %1 gave an answer this window cannot read: %2")
                .arg(connection.serverName(), QString::fromStdString(error.what())));
    }
}
