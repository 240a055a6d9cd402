#pragma once

#include "jsonfieldreader.h"

#include <QHash>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <stdexcept>

class JsonFieldReader;

// The operations a backend answers besides "run", by name ("services.state"): each takes the
// request's fields and gives the fields of its ok reply. The objects that do the work (the
// configuration loaded, the services) live as long as the backend and are captured by the
// handlers, so that one request can build on what an earlier one loaded.
class BackendOperations
{
public:
    // A request the operation does not take: answered with the protocol's error code (e.g.
    // "bad-argument", "changed") and a sentence for people. Any other exception a handler
    // throws is answered as "failed" with its text.
    class Refusal : public std::runtime_error
    {
    public:
        // details: fields the error reply carries beside "error" and "message" (the verdict
        // that refused a configuration).
        Refusal(const QString &code, const QString &message, const QJsonObject &details = {});
        QString code() const { return m_code; }
        QJsonObject details() const { return m_details; }

    private:
        QString m_code;
        QJsonObject m_details;
    };

    using Handler = std::function<QJsonObject(const QJsonObject &request)>;

    void add(const QString &op, Handler handler);
    // Reads the request's own fields (all but "id" and "op") with read, then refuses those
    // read did not take. A field of the wrong shape throws Refusal "bad-argument" naming it.
    static void readRequest(const QJsonObject &request, const std::function<void(JsonFieldReader &)> &read);
    bool contains(const QString &op) const { return m_handlers.contains(op); }
    // The reply to request (an ok reply, or an error reply).
    QJsonObject answer(const QString &op, const QJsonValue &id, const QJsonObject &request) const;

private:
    QHash<QString, Handler> m_handlers;
};
