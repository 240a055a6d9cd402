#include "remotecommand.h"

#include "argumentscan.h"
#include "backendconnection.h"
#include "backendprotocol.h"
#include "commandlinetool.h"
#include "serveraccountcommand.h"
#include "sshcommand.h"

#include <QJsonArray>

#include <iterator>

RemoteCommand::RemoteCommand(std::ostream &out, std::ostream &err, std::istream &in, bool inputIsTerminal)
    : m_out(out)
    , m_err(err)
    , m_in(in)
    , m_inputIsTerminal(inputIsTerminal)
{
}

int RemoteCommand::fail(int code, const QString &message)
{
    m_err << "shareward-cli: " << message.toStdString() << std::endl;
    return code;
}

bool RemoteCommand::input(const QStringList &arguments, QByteArray &bytes)
{
    if (!m_inputIsTerminal) {
        const std::string all{std::istreambuf_iterator<char>(m_in), std::istreambuf_iterator<char>()};
        bytes = QByteArray::fromStdString(all);
        return true;
    }
    // On a terminal only the commands that take a password read anything; they ask here.
    QList<ArgumentScan::Item> items;
    ArgumentScan::scan(arguments, CommandLineTool::valueOptions(), items);
    const QStringList operands = ArgumentScan::operands(items);
    if (operands.value(0) != QLatin1String("user")
        || !(operands.value(1) == QLatin1String("add") || operands.value(1) == QLatin1String("passwd"))
        || operands.size() != 3)
        return true;
    QString password;
    QString problem;
    if (!ServerAccountCommand::readPassword(m_in, true, password, problem)) {
        fail(CommandLineTool::Failure, problem.isEmpty() ? QStringLiteral("no password given") : problem);
        return false;
    }
    bytes = password.toUtf8() + '\n';
    return true;
}

int RemoteCommand::run(const QString &host, const QString &sshConfig, const QStringList &arguments)
{
    QString problem;
    const std::optional<SshCommand::Destination> destination = SshCommand::parse(host, &problem);
    if (!destination)
        return fail(CommandLineTool::UsageError, problem);
    QByteArray stdinBytes;
    if (!input(arguments, stdinBytes))
        return CommandLineTool::Failure;
    BackendConnection connection(destination->name());
    QJsonObject reply;
    try {
        connection.open(SshCommand::backend(*destination, sshConfig, m_inputIsTerminal));
        reply = connection.request(
            QJsonObject{{QStringLiteral("op"), QStringLiteral("run")},
                        {QStringLiteral("args"), QJsonArray::fromStringList(arguments)},
                        {QStringLiteral("stdin64"), BackendProtocol::encodeBytes(stdinBytes)}});
    } catch (const BackendConnection::Failure &failure) {
        // A refused request is a usage error of this command; anything else is the connection's.
        return fail(failure.kind() == BackendConnection::Failure::Refused
                        ? CommandLineTool::UsageError
                        : CommandLineTool::ConnectionFailure,
                    failure.message());
    }
    connection.close();
    const std::optional<QByteArray> out = BackendProtocol::decodeBytes(reply, QStringLiteral("stdout64"));
    const std::optional<QByteArray> err = BackendProtocol::decodeBytes(reply, QStringLiteral("stderr64"));
    const QJsonValue exit = reply.value(QStringLiteral("exit"));
    if (!out || !err || !exit.isDouble() || exit.toInt() < 0 || exit.toInt() > 255)
        return fail(CommandLineTool::ConnectionFailure,
                    QStringLiteral("the backend on %1 answered without the command's output")
                        .arg(destination->name()));
    m_out.write(out->constData(), out->size());
    m_out.flush();
    m_err.write(err->constData(), err->size());
    m_err.flush();
    return exit.toInt();
}
