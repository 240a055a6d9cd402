#include "backendconnection.h"

#include "programversion.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("BackendConnection", text);
}

// The end of what a program said on standard error, as one line: ssh's reason comes last.
QString lastWords(const QByteArray &errorOutput)
{
    QStringList lines;
    for (const QByteArray &line : errorOutput.split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (!text.isEmpty())
            lines << text;
    }
    return lines.mid(qMax(0, int(lines.size()) - 3)).join(QLatin1Char(' '));
}

// What is kept of standard error: enough for the program's last messages.
constexpr int ErrorOutputLimit = 65536;

} // namespace

BackendConnection::Failure::Failure(Kind kind, const QString &message, const QString &code,
                                    const QJsonObject &reply)
    : std::runtime_error(message.toStdString())
    , m_kind(kind)
    , m_code(code)
    , m_reply(reply)
{
}

BackendConnection::BackendConnection(const QString &serverName)
    : m_serverName(serverName)
{
}

BackendConnection::~BackendConnection()
{
    close();
}

void BackendConnection::open(const Launch &launch, int greetingTimeoutMs)
{
    const QMutexLocker turn(&m_turn);
    // A new conversation: what is left of an earlier one ends here.
    m_open = false;
    m_process = std::make_unique<ChildProcess>();
    m_reader = ProtocolLineReader();
    m_errorOutput.clear();
    if (!m_process->startConversation(launch.program, launch.arguments, launch.sharedTerminal))
        throw Failure(Failure::NotReached,
                      tr("Cannot start %1 to reach %2: %3.")
                          .arg(launch.program, m_serverName, m_process->errorString()));
    const std::optional<QByteArray> first = nextLine(greetingTimeoutMs);
    if (!first) {
        const QString reason = m_process->hasEnded()
            ? endedBeforeGreeting(launch.exitMeanings)
            : tr("%1 did not answer within %2 seconds.").arg(m_serverName).arg(greetingTimeoutMs / 1000);
        m_process->killAndReap(5000);
        throw Failure(Failure::NotReached, reason);
    }
    const std::optional<BackendProtocol::Greeting> greeting = BackendProtocol::parseGreeting(*first);
    if (!greeting) {
        m_process->killAndReap(5000);
        throw Failure(Failure::Incompatible,
                      tr("%1 did not answer as Shareward's backend does: %2")
                          .arg(m_serverName, QString::fromUtf8(first->left(200))));
    }
    const QString mismatch =
        BackendProtocol::mismatch(*greeting, m_serverName, QString::fromLatin1(sharewardVersion()));
    if (!mismatch.isEmpty()) {
        m_process->killAndReap(5000);
        throw Failure(Failure::Incompatible, mismatch);
    }
    m_greeting = *greeting;
    m_open = true;
}

QJsonObject BackendConnection::request(QJsonObject request, int timeoutMs)
{
    const QMutexLocker turn(&m_turn);
    if (!m_open)
        throw Failure(Failure::Lost, tr("The connection to %1 is closed.").arg(m_serverName));
    const int id = m_nextId++;
    request.insert(QStringLiteral("id"), id);
    m_process->send(BackendProtocol::line(request));
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const int left = timeoutMs - int(clock.elapsed());
        const std::optional<QByteArray> line = nextLine(qMax(left, 0));
        if (!line) {
            if (m_process->hasEnded() || m_process->outputFd() < 0)
                lose(tr("The connection to %1 was lost. %2")
                         .arg(m_serverName, lastWords(m_errorOutput))
                         .trimmed());
            lose(tr("%1 did not answer within %2 seconds.").arg(m_serverName).arg(timeoutMs / 1000));
        }
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(*line, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject())
            lose(tr("%1 sent an answer that is not Shareward's protocol.").arg(m_serverName));
        const QJsonObject reply = document.object();
        // An answer to an earlier request that was given up cannot come: that ends the
        // connection. Anything else with another id is not ours.
        if (reply.value(QStringLiteral("id")).toInt(-1) != id)
            lose(tr("%1 answered another request than the one asked.").arg(m_serverName));
        if (reply.value(QStringLiteral("ok")).toBool())
            return reply;
        throw Failure(Failure::Refused, reply.value(QStringLiteral("message")).toString(),
                      reply.value(QStringLiteral("error")).toString(), reply);
    }
}

std::optional<QByteArray> BackendConnection::nextLine(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (std::optional<ProtocolLineReader::Line> line = m_reader.next()) {
            if (line->tooLong)
                lose(tr("%1 sent an answer longer than the protocol allows.").arg(m_serverName));
            return std::move(line->bytes);
        }
        // The backend closed its output or ended: nothing more comes.
        if (m_process->outputFd() < 0 || m_process->hasEnded()) {
            m_process->waitAndFinish(5000);
            m_reader.feed(m_process->takeOutput());
            m_errorOutput.append(m_process->takeError());
            if (std::optional<ProtocolLineReader::Line> line = m_reader.next(); line && !line->tooLong)
                return std::move(line->bytes);
            return std::nullopt;
        }
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0)
            return std::nullopt;
        m_process->pump(left);
        m_reader.feed(m_process->takeOutput());
        m_errorOutput.append(m_process->takeError());
        if (m_errorOutput.size() > ErrorOutputLimit)
            m_errorOutput.remove(0, m_errorOutput.size() - ErrorOutputLimit);
    }
}

QString BackendConnection::endedBeforeGreeting(const QHash<int, QString> &exitMeanings)
{
    const bool exited = m_process->waitAndFinish(5000);
    m_errorOutput.append(m_process->takeError());
    const QString said = lastWords(m_errorOutput);
    if (exited && exitMeanings.contains(m_process->exitCode()))
        return exitMeanings.value(m_process->exitCode()).arg(m_serverName, said).trimmed();
    if (said.isEmpty())
        return tr("The backend on %1 ended before answering.").arg(m_serverName);
    return tr("The backend on %1 ended before answering: %2").arg(m_serverName, said);
}

void BackendConnection::lose(const QString &message)
{
    m_open = false;
    m_process->killAndReap(5000);
    throw Failure(Failure::Lost, message);
}

QString BackendConnection::errorOutput() const
{
    return QString::fromUtf8(m_errorOutput);
}

void BackendConnection::close()
{
    const QMutexLocker turn(&m_turn);
    if (!m_process || m_process->hasEnded() || !m_open) {
        m_open = false;
        return;
    }
    m_open = false;
    m_process->closeInput();
    // The backend exits at the end of its input; one finishing a save gets that long.
    QElapsedTimer clock;
    clock.start();
    while (!m_process->hasEnded() && clock.elapsed() < 10000)
        m_process->pump(int(10000 - clock.elapsed()));
    m_process->finish();
}
