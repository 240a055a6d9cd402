#include "historycommand.h"

#include "commandlinetool.h"
#include "configdocument.h"
#include "confighistory.h"
#include "configmapper.h"
#include "unifieddiff.h"
#include "versiondiff.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

HistoryCommand::HistoryCommand(CommandLineTool &tool)
    : m_tool(tool)
{
}

QString HistoryCommand::file() const
{
    return m_registry ? registryFile() : QFileInfo(m_tool.configPath()).absoluteFilePath();
}

QString HistoryCommand::registryFile() const
{
    return ConfigMapper::registryHistoryFile(m_tool.configPath());
}

int HistoryCommand::findVersion(const ConfigHistory &history, const QString &argument, int &number)
{
    bool ok = false;
    number = argument.toInt(&ok);
    if (!ok || number <= 0)
        return m_tool.fail(CommandLineTool::UsageError,
                           QStringLiteral("'%1' is no version number").arg(argument));
    const ConfigHistory::Version version = history.version(number);
    if (version.number == 0 || (version.file != file() && version.file != registryFile()))
        return m_tool.fail(CommandLineTool::Failure,
                           QStringLiteral("the history of %1 has no version %2").arg(file()).arg(number));
    return CommandLineTool::Success;
}

int HistoryCommand::list(const QStringList &arguments)
{
    QStringList rest = arguments;
    m_registry = rest.removeAll(QStringLiteral("--registry")) == 1;
    const bool json = rest == QStringList{QStringLiteral("--json")};
    if (!rest.isEmpty() && !json)
        return m_tool.fail(CommandLineTool::UsageError,
                           QStringLiteral("usage: shareward-cli history [--registry] [--json]"));
    const ConfigHistory history = m_tool.history();
    const QList<ConfigHistory::Version> versions = history.versions(file());
    std::ostream &out = m_tool.out();
    if (json) {
        QJsonArray array;
        for (const ConfigHistory::Version &version : versions) {
            array.append(QJsonObject{{QStringLiteral("number"), version.number},
                                     {QStringLiteral("time"), version.time.toString(Qt::ISODate)},
                                     {QStringLiteral("user"), version.user},
                                     {QStringLiteral("program"), version.program},
                                     {QStringLiteral("summary"), version.summary},
                                     {QStringLiteral("size"), version.size}});
        }
        const QJsonObject object{{QStringLiteral("file"), file()},
                                 {QStringLiteral("directory"), history.directory()},
                                 {QStringLiteral("keep"), history.keep()},
                                 {QStringLiteral("versions"), array}};
        out << QJsonDocument(object).toJson(QJsonDocument::Indented).toStdString();
    } else {
        out << "# " << versions.size() << " versions of " << file().toStdString() << " in "
            << history.directory().toStdString() << "; the newest " << history.keep() << " are kept\n";
        for (const ConfigHistory::Version &version : versions) {
            out << version.number << '\t' << version.time.toLocalTime().toString(Qt::ISODate).toStdString()
                << '\t' << version.user.toStdString() << '\t' << version.program.toStdString() << '\t'
                << version.summary.toStdString() << '\n';
        }
    }
    out.flush();
    return out.good()
        ? int(CommandLineTool::Success)
        : m_tool.fail(CommandLineTool::Failure, QStringLiteral("cannot write to standard output"));
}

int HistoryCommand::diff(const QStringList &arguments)
{
    if (arguments.isEmpty() || arguments.size() > 2)
        return m_tool.fail(CommandLineTool::UsageError,
                           QStringLiteral("usage: shareward-cli diff VERSION [VERSION2]"));
    const ConfigHistory history = m_tool.history();
    int number = 0;
    int other = VersionDiff::CurrentFile;
    if (const int code = findVersion(history, arguments.first(), number))
        return code;
    if (arguments.size() == 2) {
        if (const int code = findVersion(history, arguments.at(1), other))
            return code;
    }
    std::string diff;
    QString error;
    if (history.version(number).file == registryFile()) {
        // The registry now, as net conf lists it, or another version.
        std::string before;
        std::string after;
        if (!history.read(number, before))
            return m_tool.fail(CommandLineTool::Failure, history.errorString());
        if (other != VersionDiff::CurrentFile) {
            if (!history.read(other, after))
                return m_tool.fail(CommandLineTool::Failure, history.errorString());
        } else {
            ConfigDocument document;
            ConfigMapper mapper(document, m_tool.configPath());
            m_tool.prepare(mapper);
            try {
                mapper.loadGlobal();
            } catch (const std::exception &failure) {
                return m_tool.fail(CommandLineTool::Failure, QString::fromUtf8(failure.what()));
            }
            if (!mapper.registryLoaded())
                return m_tool.fail(CommandLineTool::Failure,
                                   mapper.registryError().isEmpty()
                                       ? QStringLiteral("smb.conf does not lead Samba to its registry")
                                       : mapper.registryError());
            after = mapper.registryText();
        }
        diff = unifiedDiff(before, after, "registry", "registry");
    } else if (!VersionDiff::diff(history, file(), number, other, diff, error)) {
        return m_tool.fail(CommandLineTool::Failure, error);
    }
    m_tool.out() << diff;
    m_tool.out().flush();
    return CommandLineTool::Success;
}

int HistoryCommand::restore(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return m_tool.fail(CommandLineTool::UsageError,
                           QStringLiteral("usage: shareward-cli restore VERSION"));
    ConfigHistory history = m_tool.history();
    int number = 0;
    if (const int code = findVersion(history, arguments.first(), number))
        return code;
    std::string bytes;
    if (!history.read(number, bytes))
        return m_tool.fail(CommandLineTool::Failure, history.errorString());
    if (history.version(number).file == registryFile()) {
        const QString summary = QStringLiteral("registry version %1 restored").arg(number);
        return m_tool.transfer(
            [&bytes, &summary](ConfigMapper &mapper) { return mapper.restoreRegistry(bytes, summary); });
    }
    ConfigDocument document;
    ConfigMapper mapper(document, m_tool.configPath());
    try {
        mapper.loadGlobal();
        const std::string path = m_tool.configPath().toStdString();
        const std::string diff = unifiedDiff(document.bytes(), bytes, path, path);
        if (!m_tool.isDryRun()) {
            mapper.setHistory(&history, QStringLiteral("shareward-cli"));
            mapper.restore(bytes, QStringLiteral("version %1 restored").arg(number));
        }
        m_tool.out() << diff;
        m_tool.out().flush();
        if (!mapper.historyError().isEmpty())
            m_tool.fail(CommandLineTool::Success,
                        QStringLiteral("smb.conf is restored, but its history could not be recorded: %1")
                            .arg(mapper.historyError()));
        return diff.empty() || m_tool.isDryRun() ? int(CommandLineTool::Success) : m_tool.changedExitCode();
    } catch (const std::exception &error) {
        return m_tool.fail(CommandLineTool::Failure, QString::fromUtf8(error.what()));
    }
}
