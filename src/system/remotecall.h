#pragma once

#include "backendconnection.h"
#include "jsonfieldreader.h"

#include <QJsonObject>
#include <QString>

#include <functional>

// One request of a remote interface to its backend: the operation with its fields, and the
// reply read strictly, so that a backend of another version that answers with other fields
// is noticed rather than misread.
class RemoteCall
{
public:
    // Sends op with fields and reads the ok reply's own fields (all but "id" and "ok") with
    // read, then refuses those read did not take. Throws BackendConnection::Failure: as
    // BackendConnection::request() does, and Incompatible when the reply has other fields.
    static void ask(BackendConnection &connection, const QString &op, QJsonObject fields,
                    const std::function<void(JsonFieldReader &)> &read);
    // As ask, for a codec that reads the reply's fields as one value: decode(reply, "reply").
    template<typename Decode>
    static auto answer(BackendConnection &connection, const QString &op, QJsonObject fields, Decode decode)
    {
        const QJsonObject reply = replyTo(connection, op, std::move(fields));
        try {
            return decode(QJsonValue(reply), QStringLiteral("reply"));
        } catch (const JsonFieldReader::Error &error) {
            unreadable(connection, error);
        }
    }

private:
    // The ok reply's own fields.
    static QJsonObject replyTo(BackendConnection &connection, const QString &op, QJsonObject fields);
    // Throws the Incompatible failure of an answer a codec refused.
    [[noreturn]] static void unreadable(BackendConnection &connection, const JsonFieldReader::Error &error);
};
