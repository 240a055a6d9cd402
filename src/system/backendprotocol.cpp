#include "backendprotocol.h"

#include <QCoreApplication>
#include <QJsonDocument>

namespace BackendProtocol {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("BackendProtocol", text);
}

} // namespace

QByteArray line(const QJsonObject &message)
{
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

QJsonObject greeting(const QString &version)
{
    return QJsonObject{{QStringLiteral("shareward"), QStringLiteral("backend")},
                       {QStringLiteral("protocol"), Version},
                       {QStringLiteral("version"), version}};
}

std::optional<Greeting> parseGreeting(const QByteArray &line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue protocol = object.value(QStringLiteral("protocol"));
    if (object.value(QStringLiteral("shareward")).toString() != QLatin1String("backend")
        || !protocol.isDouble() || protocol.toDouble() != double(protocol.toInt()) || protocol.toInt() < 1)
        return std::nullopt;
    return Greeting{protocol.toInt(), object.value(QStringLiteral("version")).toString()};
}

QString mismatch(const Greeting &backend, const QString &host, const QString &ourVersion)
{
    if (backend.protocol < Version)
        return tr("Shareward %1 on %2 is too old for Shareward %3 here: upgrade the shareward package on %2.")
            .arg(backend.version, host, ourVersion);
    if (backend.protocol > Version)
        return tr("Shareward %1 on %2 is too new for Shareward %3 here: upgrade the shareward package on "
                  "this "
                  "computer.")
            .arg(backend.version, host, ourVersion);
    return QString();
}

QJsonObject errorReply(const QJsonValue &id, const QString &code, const QString &message)
{
    return QJsonObject{{QStringLiteral("id"), id},
                       {QStringLiteral("ok"), false},
                       {QStringLiteral("error"), code},
                       {QStringLiteral("message"), message}};
}

QJsonObject okReply(const QJsonValue &id)
{
    return QJsonObject{{QStringLiteral("id"), id}, {QStringLiteral("ok"), true}};
}

QString encodeBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toBase64());
}

std::optional<QByteArray> decodeBytes(const QJsonObject &message, const QString &field)
{
    const QJsonValue value = message.value(field);
    if (!value.isString())
        return std::nullopt;
    const auto result =
        QByteArray::fromBase64Encoding(value.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return std::nullopt;
    return *result;
}

} // namespace BackendProtocol
