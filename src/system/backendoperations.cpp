#include "backendoperations.h"

#include "backendprotocol.h"
#include "jsonfieldreader.h"

BackendOperations::Refusal::Refusal(const QString &code, const QString &message, const QJsonObject &details)
    : std::runtime_error(message.toStdString())
    , m_code(code)
    , m_details(details)
{
}

void BackendOperations::add(const QString &op, Handler handler)
{
    m_handlers.insert(op, std::move(handler));
}

void BackendOperations::readRequest(const QJsonObject &request,
                                    const std::function<void(JsonFieldReader &)> &read)
{
    QJsonObject own = request;
    own.remove(QStringLiteral("id"));
    own.remove(QStringLiteral("op"));
    try {
        JsonFieldReader fields(QJsonValue(own), QStringLiteral("request"));
        read(fields);
        fields.finish();
    } catch (const JsonFieldReader::Error &error) {
        throw Refusal(BackendProtocol::BadArgument, QString::fromStdString(error.what()));
    }
}

QJsonObject BackendOperations::answer(const QString &op, const QJsonValue &id,
                                      const QJsonObject &request) const
{
    using namespace BackendProtocol;
    try {
        QJsonObject reply = m_handlers.value(op)(request);
        reply.insert(QStringLiteral("id"), id);
        reply.insert(QStringLiteral("ok"), true);
        return reply;
    } catch (const Refusal &refusal) {
        QJsonObject reply = refusal.details();
        const QJsonObject error = errorReply(id, refusal.code(), QString::fromStdString(refusal.what()));
        for (auto it = error.begin(); it != error.end(); ++it)
            reply.insert(it.key(), it.value());
        return reply;
    } catch (const std::exception &error) {
        return errorReply(id, Failed, QString::fromStdString(error.what()));
    }
}
