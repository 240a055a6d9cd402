#include "backendserver.h"

#include "argumentscan.h"
#include "backendprotocol.h"
#include "commandlinetool.h"
#include "programversion.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cerrno>
#include <sstream>

#include <unistd.h>

using namespace BackendProtocol;

BackendServer::BackendServer(int inputFd, int outputFd, const Files &files,
                             const BackendOperations &operations)
    : m_inputFd(inputFd)
    , m_outputFd(outputFd)
    , m_files(files)
    , m_operations(operations)
{
}

int BackendServer::run()
{
    if (!send(greeting(QString::fromLatin1(sharewardVersion()))))
        return CommandLineTool::Failure;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(m_inputFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0 ? CommandLineTool::Success : CommandLineTool::Failure;
        m_reader.feed(buffer, got);
        while (std::optional<ProtocolLineReader::Line> line = m_reader.next()) {
            // A client gone while a request ran gets no answer; the request itself is finished.
            if (!send(answer(*line)))
                return CommandLineTool::Failure;
        }
    }
}

QJsonObject BackendServer::answer(const ProtocolLineReader::Line &line)
{
    if (line.tooLong)
        return errorReply(QJsonValue::Null, TooLong,
                          QStringLiteral("A request was longer than the protocol's limit of %1 MiB.")
                              .arg(ProtocolLineReader::DefaultLimit / (1024 * 1024)));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line.bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return errorReply(QJsonValue::Null, Malformed, QStringLiteral("A request was not a JSON object."));
    const QJsonObject request = document.object();
    const QJsonValue id = request.value(QStringLiteral("id"));
    const QJsonValue op = request.value(QStringLiteral("op"));
    if (!id.isDouble() || !op.isString())
        return errorReply(id.isDouble() ? id : QJsonValue::Null, Malformed,
                          QStringLiteral("A request lacked its number (\"id\") or its operation (\"op\")."));
    if (op.toString() == QLatin1String("run"))
        return runCommand(id, request);
    if (m_operations.contains(op.toString()))
        return m_operations.answer(op.toString(), id, request);
    return errorReply(
        id, UnknownOp,
        QStringLiteral("The backend does not know the request \"%1\".").arg(op.toString().left(100)));
}

QJsonObject BackendServer::runCommand(const QJsonValue &id, const QJsonObject &request)
{
    const QJsonValue argsValue = request.value(QStringLiteral("args"));
    QStringList args;
    bool strings = argsValue.isArray();
    for (const QJsonValue &value : argsValue.toArray()) {
        strings = strings && value.isString();
        args << value.toString();
    }
    if (!strings)
        return errorReply(id, BadArgument, QStringLiteral("\"args\" must be a list of texts."));
    std::optional<QByteArray> input = request.contains(QStringLiteral("stdin64"))
        ? decodeBytes(request, QStringLiteral("stdin64"))
        : std::optional<QByteArray>(QByteArray());
    if (!input)
        return errorReply(id, BadArgument, QStringLiteral("\"stdin64\" must be base64."));
    if (const QString problem = refusal(args); !problem.isEmpty())
        return errorReply(id, BadArgument, problem);

    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in(input->toStdString());
    CommandLineTool tool(out, err, in);
    const int code = tool.run(QStringList{QStringLiteral("--config"), m_files.config,
                                          QStringLiteral("--history-dir"), m_files.historyDirectory}
                              + args);
    QJsonObject reply = okReply(id);
    reply.insert(QStringLiteral("exit"), code);
    reply.insert(QStringLiteral("stdout64"), encodeBytes(QByteArray::fromStdString(out.str())));
    reply.insert(QStringLiteral("stderr64"), encodeBytes(QByteArray::fromStdString(err.str())));
    return reply;
}

QString BackendServer::refusal(const QStringList &args) const
{
    QList<ArgumentScan::Item> items;
    if (const QString problem = ArgumentScan::scan(args, CommandLineTool::valueOptions(), items);
        !problem.isEmpty())
        return QString(); // the command says so itself
    for (const ArgumentScan::Item &item : items) {
        for (const char *own : {"--config", "--history-dir", "--host", "--ssh-config"}) {
            if (item.option == QLatin1String(own))
                return QStringLiteral("%1 is the backend's own choice; a request cannot set it.")
                    .arg(item.option);
        }
    }
    const QStringList operands = ArgumentScan::operands(items);
    const QString command = operands.value(0);
    if (command == QLatin1String("serve"))
        return QStringLiteral("The backend does not run another backend.");
    // The commands that read a file named on the command line read only the backend's smb.conf.
    if ((command == QLatin1String("print") || command == QLatin1String("show")
         || command == QLatin1String("save"))
        && operands.size() == 2 && operands.at(1) != m_files.config)
        return QStringLiteral("%1 reads only the server's %2 here.").arg(command, m_files.config);
    return QString();
}

bool BackendServer::send(const QJsonObject &message)
{
    const QByteArray bytes = line(message);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t wrote =
            ::write(m_outputFd, bytes.constData() + written, size_t(bytes.size() - written));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        written += wrote;
    }
    return true;
}
