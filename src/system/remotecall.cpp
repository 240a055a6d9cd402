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
                                        "%1 answered the request \"%2\" in a way this version of "
                                        "Shareward does not understand: %3")
                .arg(connection.serverName(), op, QString::fromStdString(error.what())));
    }
}
