#pragma once

#include "backendprotocol.h"
#include "childprocess.h"
#include "protocollinereader.h"

#include <QHash>
#include <QJsonObject>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <stdexcept>

// The conversation with one backend, shareward-cli serve: started through the program that
// reaches it (ssh for another machine, pkexec here, or the backend itself), greeted, then
// asked one request at a time. Synchronous: each call waits for the backend's answer, as long
// as a save on the server may take, and no longer. Requests from several threads (the
// Connections tab refreshes in a worker) take turns.
class BackendConnection
{
public:
    class Failure : public std::runtime_error
    {
    public:
        enum Kind {
            NotReached, // the program could not reach a backend (ssh failed, none installed)
            Incompatible, // a backend of another protocol version, or something else answered
            Lost, // the backend ended or stopped answering during the conversation
            Refused, // the backend answered the request with an error
        };
        Failure(Kind kind, const QString &message, const QString &code = QString(),
                const QJsonObject &reply = {});
        Kind kind() const { return m_kind; }
        // The protocol's error code of a Refused request.
        QString code() const { return m_code; }
        // The whole error reply of a Refused request, with the fields some codes add.
        QJsonObject reply() const { return m_reply; }
        QString message() const { return QString::fromStdString(what()); }

    private:
        Kind m_kind;
        QString m_code;
        QJsonObject m_reply;
    };

    static constexpr int DefaultGreetingTimeoutMs = 60000;
    // A save or a service restart on a busy server takes long; a backend that answers
    // nothing for this long is taken for lost.
    static constexpr int DefaultRequestTimeoutMs = 600000;

    // serverName names the server in messages: a host name, or "this computer".
    explicit BackendConnection(const QString &serverName);
    // Ends the backend's input, lets it finish for a moment, then kills what is left.
    ~BackendConnection();
    BackendConnection(const BackendConnection &) = delete;
    BackendConnection &operator=(const BackendConnection &) = delete;

    // How a backend is reached.
    struct Launch
    {
        QString program;
        QStringList arguments;
        // The program may ask on the caller's terminal (ssh's passphrase prompt).
        bool sharedTerminal = false;
        // What the program's exit code means when it ends before the backend greets (ssh's
        // 255, a shell's 127 for a command it does not find, pkexec's 126): a sentence, where
        // %1 is the server's name and %2 what the program said on standard error.
        QHash<int, QString> exitMeanings;
    };
    // Starts the launch's program and waits for the backend's greeting. Throws Failure. After
    // a connection was lost or closed, starts a new backend: the interfaces that use this
    // connection go on through it.
    void open(const Launch &launch, int greetingTimeoutMs = DefaultGreetingTimeoutMs);
    bool isOpen() const { return m_open; }
    const BackendProtocol::Greeting &greeting() const { return m_greeting; }
    QString serverName() const { return m_serverName; }

    // Sends the request (its "id" is set here) and returns the backend's ok reply. Throws
    // Failure: Refused with the backend's code and message, Lost when it ended or took
    // longer than timeoutMs.
    QJsonObject request(QJsonObject request, int timeoutMs = DefaultRequestTimeoutMs);

    // What the program wrote to standard error (ssh's, sudo's or pkexec's messages), its end.
    QString errorOutput() const;

    // Ends the conversation: the backend finishes what it does and exits.
    void close();

private:
    // Waits for the next line; none when the backend ended or the time ran out.
    std::optional<QByteArray> nextLine(int timeoutMs);
    // Why the program ended before greeting, in a sentence.
    QString endedBeforeGreeting(const QHash<int, QString> &exitMeanings);
    [[noreturn]] void lose(const QString &message);

    QString m_serverName;
    std::unique_ptr<ChildProcess> m_process;
    ProtocolLineReader m_reader;
    QByteArray m_errorOutput;
    BackendProtocol::Greeting m_greeting;
    // Read without taking turns: the window asks whether the connection holds while a worker's
    // request may find it lost.
    std::atomic<bool> m_open{false};
    int m_nextId = 1;
    QMutex m_turn;
};
