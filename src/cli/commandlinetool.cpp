#include "commandlinetool.h"

#include "configdocument.h"
#include "configmapper.h"
#include "recordjson.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <algorithm>
#include <sstream>
#include <stdexcept>

CommandLineTool::CommandLineTool(std::ostream &out, std::ostream &err)
    : m_out(out)
    , m_err(err)
{
}

const std::vector<CommandLineTool::Command> &CommandLineTool::commands()
{
    static const std::vector<Command> table{
        {"print", "FILE", "load an smb.conf file and write it back to standard output",
         &CommandLineTool::print},
        {"show", "FILE", "print the settings and shares of an smb.conf file as JSON", &CommandLineTool::show},
        {"save", "FILE", "save an smb.conf file back unchanged, checked by testparm", &CommandLineTool::save},
    };
    return table;
}

int CommandLineTool::run(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usage(m_err, UsageError);
    const QString name = arguments.first();
    if (name == QLatin1String("help") || name == QLatin1String("--help") || name == QLatin1String("-h"))
        return usage(m_out, Success);
    for (const Command &command : commands()) {
        if (name == QLatin1String(command.name))
            return (this->*command.handler)(arguments.mid(1));
    }
    return fail(UsageError, QStringLiteral("unknown command '%1' (try 'shareward-cli help')").arg(name));
}

int CommandLineTool::usage(std::ostream &stream, int code)
{
    stream << "usage: shareward-cli COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const Command &command : commands()) {
        std::string head = std::string(command.name) + ' ' + command.arguments;
        head.resize(std::max<std::size_t>(head.size() + 2, 16), ' ');
        stream << "  " << head << command.summary << '\n';
    }
    return code;
}

int CommandLineTool::fail(int code, const QString &message)
{
    m_err << "shareward-cli: " << message.toStdString() << std::endl;
    return code;
}

bool CommandLineTool::readFile(const QString &path, std::string &bytes)
{
    QFile file(path);
    QString reason;
    if (QFileInfo(path).isDir())
        reason = QStringLiteral("Is a directory");
    else if (!file.open(QIODevice::ReadOnly))
        reason = file.errorString();
    if (reason.isEmpty()) {
        const QByteArray content = file.readAll();
        if (file.error() == QFileDevice::NoError) {
            bytes = content.toStdString();
            return true;
        }
        reason = file.errorString();
    }
    fail(UsageError, QStringLiteral("cannot read %1: %2").arg(path, reason));
    return false;
}

int CommandLineTool::print(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return fail(UsageError, QStringLiteral("usage: shareward-cli print FILE"));
    std::string bytes;
    if (!readFile(arguments.first(), bytes))
        return UsageError;
    ConfigDocument document;
    std::istringstream in(bytes);
    document.load(in);
    document.write(m_out);
    m_out.flush();
    return m_out.good() ? Success : fail(Failure, QStringLiteral("cannot write to standard output"));
}

int CommandLineTool::show(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return fail(UsageError, QStringLiteral("usage: shareward-cli show FILE"));
    // The same reading as the window's: a file the document cannot get is a usage error.
    std::string bytes;
    if (!readFile(arguments.first(), bytes))
        return UsageError;
    ConfigDocument document;
    ConfigMapper mapper(document, arguments.first());
    try {
        const SambaSettings settings = mapper.loadGlobal();
        const QList<Share> shares = mapper.loadShares(*settings.global());
        const QByteArray json = QJsonDocument(RecordJson::configuration(settings, shares)).toJson();
        m_out.write(json.constData(), json.size());
        m_out.flush();
    } catch (const std::exception &error) {
        return fail(Failure, QString::fromStdString(error.what()));
    }
    return m_out.good() ? Success : fail(Failure, QStringLiteral("cannot write to standard output"));
}

int CommandLineTool::save(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return fail(UsageError, QStringLiteral("usage: shareward-cli save FILE"));
    ConfigDocument document;
    ConfigMapper mapper(document, arguments.first());
    try {
        SambaSettings settings = mapper.loadGlobal();
        QList<Share> shares = mapper.loadShares(*settings.global());
        mapper.save(settings, shares);
    } catch (const std::exception &error) {
        return fail(Failure, QString::fromStdString(error.what()));
    }
    return Success;
}
