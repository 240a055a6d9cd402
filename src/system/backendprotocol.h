#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// The messages of the protocol between a window or shareward-cli --host and the backend,
// shareward-cli serve (docs/backend-protocol.md): JSON objects, one a line.
namespace BackendProtocol {

// Raised with every change a peer of the previous version would misread.
constexpr int Version = 1;

// The error codes of a reply that is not ok.
inline const QString Malformed = QStringLiteral("malformed");
inline const QString TooLong = QStringLiteral("too-long");
inline const QString UnknownOp = QStringLiteral("unknown-op");
inline const QString BadArgument = QStringLiteral("bad-argument");
inline const QString Failed = QStringLiteral("failed");
inline const QString Changed = QStringLiteral("changed");

// A message as a line: compact JSON, which never holds a raw line break, and '\n'.
QByteArray line(const QJsonObject &message);

// The backend's first line.
QJsonObject greeting(const QString &version);
struct Greeting
{
    int protocol = 0;
    QString version;
};
// The greeting in a line, or none when the line is not a Shareward backend's greeting.
std::optional<Greeting> parseGreeting(const QByteArray &line);
// Why a client of this protocol cannot work with a backend that greeted so, in one sentence
// saying which side to upgrade; empty when it can. host names the backend's machine.
QString mismatch(const Greeting &backend, const QString &host, const QString &ourVersion);

QJsonObject errorReply(const QJsonValue &id, const QString &code, const QString &message);
QJsonObject okReply(const QJsonValue &id);

// Bytes that need not be UTF-8 travel as base64.
QString encodeBytes(const QByteArray &bytes);
// The bytes of a base64 field of message; none when it is missing or not base64.
std::optional<QByteArray> decodeBytes(const QJsonObject &message, const QString &field);

} // namespace BackendProtocol
