#pragma once

#include "backendoperations.h"
#include "protocollinereader.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

// shareward-cli serve: answers the requests of one window or shareward-cli --host on standard
// input, one at a time (docs/backend-protocol.md). Where smb.conf and the history are is its
// own choice, given at its start; no request chooses a file, a path or a program.
class BackendServer
{
public:
    struct Files
    {
        QString config;
        QString historyDirectory;
    };
    // operations: what the backend answers besides "run".
    BackendServer(int inputFd, int outputFd, const Files &files, const BackendOperations &operations);

    // Greets, then answers until the end of the input. Returns the exit code.
    int run();

    // The answer to one request line; public for the tests of the protocol's edge cases.
    QJsonObject answer(const ProtocolLineReader::Line &line);

private:
    QJsonObject runCommand(const QJsonValue &id, const QJsonObject &request);
    // Why args may not run here, or nothing: options choosing the backend's files, commands
    // reading a file other than its smb.conf, the backend itself.
    QString refusal(const QStringList &args) const;
    bool send(const QJsonObject &message);

    int m_inputFd;
    int m_outputFd;
    Files m_files;
    const BackendOperations &m_operations;
    ProtocolLineReader m_reader;
};
