#include "commandlinetool.h"

#include "configdocument.h"
#include "configfileinstaller.h"
#include "configmapper.h"
#include "recordjson.h"

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
        {"share", "set NAME [--comment TEXT] [--path DIR] [--read-only|--writable]",
         "change a share of the --config file", &CommandLineTool::share},
        {"global", "set [--workgroup NAME] [--server-string TEXT]", "change [global] of the --config file",
         &CommandLineTool::global},
    };
    return table;
}

int CommandLineTool::run(const QStringList &given)
{
    QStringList arguments = given;
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("--config")) {
        m_config = arguments.at(1);
        arguments = arguments.mid(2);
    }
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
    stream << "usage: shareward-cli [--config FILE] COMMAND [ARGUMENTS]\n\n"
              "--config FILE: the smb.conf that share and global change (default /etc/samba/smb.conf)\n\n"
              "commands:\n";
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
    // The same reading as a save's: a FIFO or a device is refused at once, not waited on.
    QString reason;
    if (ConfigFileInstaller::readFile(path, bytes, reason))
        return true;
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
    std::string bytes;
    if (!readFile(arguments.first(), bytes))
        return UsageError;
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

int CommandLineTool::edit(const std::function<QString(SambaSettings &, QList<Share> &)> &change)
{
    std::string bytes;
    if (!readFile(m_config, bytes))
        return UsageError;
    ConfigDocument document;
    ConfigMapper mapper(document, m_config);
    try {
        SambaSettings settings = mapper.loadGlobal();
        QList<Share> shares = mapper.loadShares(*settings.global());
        const QString refusal = change(settings, shares);
        if (!refusal.isEmpty())
            return fail(Failure, refusal);
        mapper.save(settings, shares);
    } catch (const std::exception &error) {
        return fail(Failure, QString::fromStdString(error.what()));
    }
    return Success;
}

int CommandLineTool::share(const QStringList &arguments)
{
    const QString usageText =
        QStringLiteral("usage: shareward-cli [--config FILE] share set NAME [--comment TEXT] [--path DIR] "
                       "[--read-only|--writable]");
    if (arguments.size() < 2 || arguments.first() != QLatin1String("set"))
        return fail(UsageError, usageText);
    const QString name = arguments.at(1);
    std::vector<std::function<void(Share &)>> changes;
    for (int i = 2; i < arguments.size(); ++i) {
        const QString option = arguments.at(i);
        if (option == QLatin1String("--read-only") || option == QLatin1String("--writable")) {
            const bool readOnly = option == QLatin1String("--read-only");
            changes.push_back([readOnly](Share &share) { share.setReadOnly(readOnly); });
            continue;
        }
        if (i + 1 >= arguments.size())
            return fail(UsageError, usageText);
        const QString value = arguments.at(++i);
        if (option == QLatin1String("--comment"))
            changes.push_back([value](Share &share) { share.setComment(value); });
        else if (option == QLatin1String("--path"))
            changes.push_back([value](Share &share) { share.setPath(value); });
        else
            return fail(UsageError, usageText);
    }
    return edit([&](SambaSettings &, QList<Share> &shares) {
        for (Share &share : shares) {
            if (share.name().compare(name, Qt::CaseInsensitive) != 0)
                continue;
            for (const auto &change : changes)
                change(share);
            return QString();
        }
        return QStringLiteral("unknown share '%1'").arg(name);
    });
}

int CommandLineTool::global(const QStringList &arguments)
{
    const QString usageText = QStringLiteral(
        "usage: shareward-cli [--config FILE] global set [--workgroup NAME] [--server-string TEXT]");
    if (arguments.isEmpty() || arguments.first() != QLatin1String("set") || arguments.size() % 2 == 0)
        return fail(UsageError, usageText);
    std::vector<std::function<void(GlobalShare &)>> changes;
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        const QString value = arguments.at(i + 1);
        if (arguments.at(i) == QLatin1String("--workgroup"))
            changes.push_back([value](GlobalShare &global) { global.setWorkgroup(value); });
        else if (arguments.at(i) == QLatin1String("--server-string"))
            changes.push_back([value](GlobalShare &global) { global.setServerString(value); });
        else
            return fail(UsageError, usageText);
    }
    return edit([&](SambaSettings &settings, QList<Share> &) {
        for (const auto &change : changes)
            change(*settings.global());
        return QString();
    });
}
