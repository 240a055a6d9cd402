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

QJsonObject BackendOperations::answer(const QString &op, const QJsonValue &id, const QJsonObject &request) const
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
