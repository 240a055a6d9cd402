#include "backendoperations.h"

#include "backendprotocol.h"

BackendOperations::Refusal::Refusal(const QString &code, const QString &message)
    : std::runtime_error(message.toStdString())
    , m_code(code)
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
        return errorReply(id, refusal.code(), QString::fromStdString(refusal.what()));
    } catch (const std::exception &error) {
        return errorReply(id, Failed, QString::fromStdString(error.what()));
    }
}
