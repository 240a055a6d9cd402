#include "commandlinetool.h"

#include "accountsoperations.h"
#include "argumentscan.h"
#include "backendserver.h"
#include "configdocument.h"
#include "configfileinstaller.h"
#include "configfilelock.h"
#include "configmapper.h"
#include "configoperations.h"
#include "configurationjsonwriter.h"
#include "errnotext.h"
#include "filesoperations.h"
#include "globalcommand.h"
#include "historycommand.h"
#include "localbackend.h"
#include "localserver.h"
#include "netconf.h"
#include "recordjson.h"
#include "remotecommand.h"
#include "savesteps.h"
#include "serveraccountcommand.h"
#include "servicesoperations.h"
#include "sharecommand.h"
#include "smbcontrol.h"
#include "statuscommand.h"
#include "systemprograms.h"
#include "testparm.h"
#include "unifieddiff.h"
#include "vfsmoduleinventory.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcessEnvironment>

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include <cerrno>
#include <csignal>

#include <unistd.h>

CommandLineTool::CommandLineTool(std::ostream &out, std::ostream &err, std::istream &in)
    : m_out(out)
    , m_err(err)
    , m_in(in)
{
}

bool CommandLineTool::inputIsTerminal() const
{
    return &m_in == &std::cin && ::isatty(STDIN_FILENO);
}

const std::vector<CommandLineTool::Command> &CommandLineTool::commands()
{
    static const std::vector<Command> table{
        {"print", "FILE", "load an smb.conf file and write it back to standard output",
         &CommandLineTool::print},
        {"show", "FILE", "print the settings and shares of an smb.conf file as JSON", &CommandLineTool::show},
        {"save", "FILE", "save an smb.conf file back with no edit (writes nothing)", &CommandLineTool::save},
        {"check", "", "testparm's verdict on the --config file, its warnings and errors",
         &CommandLineTool::check},
        {"share", "list|show|add|set|remove|rename ...", "list and edit the shares (share --help)",
         &CommandLineTool::share},
        {"global", "show|set ...", "show and edit the server-wide settings (global --help)",
         &CommandLineTool::global},
        {"user", "list|add|passwd|remove ...", "Samba's user accounts; passwords on standard input",
         &CommandLineTool::user},
        {"group", "list|add|remove ...", "Samba's groups (group mappings of Unix groups)",
         &CommandLineTool::group},
        {"service", "status|start|stop|restart", "the smbd and nmbd services", &CommandLineTool::service},
        {"status", "[--json]", "the services, sessions, shares in use and open files of the running smbd",
         &CommandLineTool::status},
        {"disconnect", "--pid PID | --share NAME",
         "end an smbd process's sessions or every connection to a share", &CommandLineTool::disconnect},
        {"history", "[--registry] [--json]",
         "the versions of the --config file (or of its registry) in the history, newest first",
         &CommandLineTool::historyList},
        {"diff", "VERSION [VERSION2]", "the unified diff of a version against another or the current file",
         &CommandLineTool::historyDiff},
        {"restore", "VERSION", "install a version again, checked by testparm like any save",
         &CommandLineTool::historyRestore},
        {"serve", "", "the backend of the window and of --host: answers requests on standard input",
         &CommandLineTool::serve},
        {"store-in-registry", "[--keep-registry|--replace-registry]",
         "move the globals and shares into Samba's registry configuration, leaving smb.conf with "
         "include = registry; what the registry held that Samba did not read is kept (and then "
         "read) or replaced",
         &CommandLineTool::storeInRegistry},
    };
    return table;
}

QStringList CommandLineTool::valueOptions()
{
    return QStringList{QStringLiteral("--config"),      QStringLiteral("--changed-exit-code"),
                       QStringLiteral("--history-dir"), QStringLiteral("--keep"),
                       QStringLiteral("--pid"),         QStringLiteral("--share"),
                       QStringLiteral("--host"),        QStringLiteral("--ssh-config")}
    + ShareCommand::valueOptions() + GlobalCommand::valueOptions();
}

int CommandLineTool::run(const QStringList &given)
{
    // Options of every command, wherever they stand before "--"; an option's value is never
    // taken for one ("--comment --dry-run" is a comment).
    const QStringList values = valueOptions();
    QList<ArgumentScan::Item> items;
    if (const QString problem = ArgumentScan::scan(given, values, items); !problem.isEmpty())
        return fail(UsageError, problem);
    QList<ArgumentScan::Item> rest;
    // With --host every other argument goes to the server's backend as given.
    QList<ArgumentScan::Item> forwarded;
    QString host;
    QString sshConfig;
    for (const ArgumentScan::Item &item : items) {
        const QString &option = item.option;
        const QString &value = item.value;
        if (option == QLatin1String("--host")) {
            host = value;
            continue;
        }
        if (option == QLatin1String("--ssh-config")) {
            sshConfig = value;
            continue;
        }
        forwarded << item;
        if (option == QLatin1String("--config")) {
            m_config = value;
            m_filesChosen = true;
        } else if (option == QLatin1String("--history-dir")) {
            m_historyDirectory = value;
            m_filesChosen = true;
        } else if (option == QLatin1String("--keep")) {
            bool number = false;
            m_keep = value.toInt(&number);
            if (!number || m_keep < 1)
                return fail(UsageError, QStringLiteral("--keep needs a number of at least 1"));
        } else if (option == QLatin1String("--changed-exit-code")) {
            bool number = false;
            m_changedExitCode = value.toInt(&number);
            if (!number || m_changedExitCode < 0 || m_changedExitCode > 255)
                return fail(UsageError, QStringLiteral("--changed-exit-code needs a number from 0 to 255"));
        } else if (option == QLatin1String("--dry-run")) {
            m_dryRun = true;
        } else if (option == QLatin1String("--allow-missing-modules")) {
            m_allowMissingModules = true;
        } else {
            rest << item;
        }
    }
    if (!host.isEmpty() || !sshConfig.isEmpty()) {
        if (host.isEmpty())
            return fail(UsageError, QStringLiteral("--ssh-config goes with --host"));
        if (m_filesChosen)
            return fail(UsageError,
                        QStringLiteral("--config and --history-dir are the server's own with --host"));
        RemoteCommand remote(m_out, m_err, m_in, inputIsTerminal());
        return remote.run(host, sshConfig, ArgumentScan::join(forwarded, values));
    }
    const QStringList arguments = ArgumentScan::join(rest, values);
    if (arguments.isEmpty())
        return usage(m_err, UsageError);
    const QString name = arguments.first();
    if (name == QLatin1String("help") || name == QLatin1String("--help") || name == QLatin1String("-h"))
        return usage(m_out, Success);
    for (const Command &command : commands()) {
        if (name != QLatin1String(command.name))
            continue;
        // Every command answers --help; share, global and the account commands in detail.
        const QString first = arguments.value(1);
        const bool simple = QStringList{QStringLiteral("print"),   QStringLiteral("show"),
                                        QStringLiteral("save"),    QStringLiteral("check"),
                                        QStringLiteral("history"), QStringLiteral("diff"),
                                        QStringLiteral("restore"), QStringLiteral("store-in-registry"),
                                        QStringLiteral("serve")}
                                .contains(name);
        if (simple && (first == QLatin1String("--help") || first == QLatin1String("-h"))) {
            m_out << "usage: shareward-cli " << command.name << ' ' << command.arguments << "\n  "
                  << command.summary << '\n';
            return Success;
        }
        return (this->*command.handler)(arguments.mid(1));
    }
    return fail(UsageError, QStringLiteral("unknown command '%1' (try 'shareward-cli help')").arg(name));
}

int CommandLineTool::serve(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return fail(UsageError, QStringLiteral("usage: shareward-cli serve"));
    // pkexec checks who asks, not what: a backend it started chooses its files itself.
    if (qEnvironmentVariableIsSet("PKEXEC_UID")) {
        if (m_filesChosen)
            return fail(UsageError,
                        QStringLiteral("serve started by pkexec takes no --config or --history-dir"));
        for (const QString &variable : QProcessEnvironment::systemEnvironment().keys()) {
            if (variable.startsWith(QLatin1String("SHAREWARD_")))
                return fail(
                    UsageError,
                    QStringLiteral("serve started by pkexec refuses %1 in its environment").arg(variable));
        }
    }
    if (::geteuid() != 0) {
        // An administrator who logs in to the server as another user: sudo runs exactly the
        // command a sudoers rule names, without a password (which would have to travel here).
        if (qEnvironmentVariableIsSet("SUDO_UID") || m_filesChosen)
            return fail(Failure, QStringLiteral("serve must run as root"));
        const QByteArray sudo = QFile::encodeName(SystemPrograms::sudo());
        const QByteArray backend = QFile::encodeName(LocalBackend::installedProgram());
        const char *const argv[] = {sudo.constData(), "-n", "--", backend.constData(), "serve", nullptr};
        ::execv(argv[0], const_cast<char *const *>(argv));
        return fail(Failure,
                    QStringLiteral("cannot run %1: %2").arg(SystemPrograms::sudo(), errnoText(errno)));
    }
    // A connection that drops while a request runs must not end it half done: the backend
    // finishes it and then finds the end of its input.
    ::signal(SIGHUP, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
    // This machine's server, its configuration loaded as long as the backend runs: a save
    // writes what differs from the records as loaded here.
    LocalServer::Programs programs;
    programs.configPath = m_config;
    programs.historyDirectory = m_historyDirectory;
    LocalServer local(programs);
    BackendOperations operations;
    ServicesOperations::addTo(operations, local.services());
    AccountsOperations::addTo(operations, local.accounts());
    FilesOperations::addTo(operations, local.files());
    ConfigOperations::addTo(operations, local.config(), m_config);
    BackendServer server(STDIN_FILENO, STDOUT_FILENO, {m_config, m_historyDirectory}, operations);
    return server.run();
}

int CommandLineTool::usage(std::ostream &stream, int code)
{
    stream << "usage: shareward-cli [--config FILE] [--dry-run] [--changed-exit-code N] [--history-dir DIR] "
              "[--keep N]\n"
              "                     COMMAND [ARGUMENTS]\n"
              "       shareward-cli [--ssh-config FILE] --host [USER@]HOST[:PORT] [OPTIONS] COMMAND "
              "[ARGUMENTS]\n\n"
              "  --config FILE           the smb.conf that check, share and global use (default "
              "/etc/samba/smb.conf)\n"
              "  --dry-run               print the diff an edit would make and change nothing\n"
              "  --changed-exit-code N   exit with N when an edit changed the file\n"
              "  --history-dir DIR       where the versions of smb.conf are kept (default "
           << ConfigHistory::defaultDirectory().toStdString()
           << ")\n"
              "  --keep N                how many versions of the file the history keeps (default 100)\n"
              "  --allow-missing-modules save shares that use VFS modules this Samba lacks\n"
              "  --host [USER@]HOST[:PORT]\n"
              "                          run the command on that server, through ssh and its backend\n"
              "  --ssh-config FILE       the ssh configuration to use instead of ~/.ssh/config\n\n"
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
    document.load(std::move(bytes));
    document.write(m_out);
    m_out.flush();
    return m_out.good() ? Success : fail(Failure, QStringLiteral("cannot write to standard output"));
}

int CommandLineTool::show(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return fail(UsageError, QStringLiteral("usage: shareward-cli show FILE"));
    m_config = arguments.first();
    const std::unique_ptr<OpenConfig> open = openConfig();
    if (!open)
        return m_loadFailure;
    ConfigMapper &mapper = open->mapper;
    SambaSettings &settings = open->settings;
    // Each share is written as it is read: a file of a million shares never sits in memory
    // as records or JSON.
    ConfigurationJsonWriter writer(m_out);
    writer.begin(settings, mapper.registryUse() != RegistryConfig::NotUsed);
    mapper.readShares(*settings.global(), [&writer](const Share &share) { writer.share(share); });
    writer.end();
    m_out.flush();
    return m_out.good() ? Success : fail(Failure, QStringLiteral("cannot write to standard output"));
}

int CommandLineTool::save(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return fail(UsageError, QStringLiteral("usage: shareward-cli save FILE"));
    // A save with no edit: checked and locked like any, and it writes nothing.
    m_config = arguments.first();
    return edit([](SambaSettings &, QList<Share> &) { return QString(); });
}

int CommandLineTool::read(const Use &use)
{
    // The same reading as the window's.
    const std::unique_ptr<OpenConfig> open = openConfig();
    if (!open)
        return m_loadFailure;
    ConfigMapper &mapper = open->mapper;
    SambaSettings &settings = open->settings;
    try {
        const int code = use(settings, mapper.loadShares(*settings.global()));
        // What was shown lacks the registry's part, which could not be read (said on loading).
        return code == Success && !mapper.registryError().isEmpty() ? int(Failure) : code;
    } catch (const std::exception &error) {
        return fail(Failure, QString::fromStdString(error.what()));
    }
}

std::unique_ptr<CommandLineTool::OpenConfig> CommandLineTool::openConfig()
{
    auto open = std::make_unique<OpenConfig>(m_config);
    prepare(open->mapper);
    if (!loadGlobal(open->mapper, open->settings))
        return nullptr;
    return open;
}

bool CommandLineTool::loadGlobal(ConfigMapper &mapper, SambaSettings &settings)
{
    try {
        settings = mapper.loadGlobal();
        m_registryUse = mapper.registryUse();
        // The file's shares are still there to work on; the registry's are missing.
        if (!mapper.registryError().isEmpty())
            fail(Success, mapper.registryError());
        return true;
    } catch (const std::exception &error) {
        // A file that cannot be read is a usage error, said as print says it.
        std::string bytes;
        m_loadFailure =
            readFile(m_config, bytes) ? fail(Failure, QString::fromStdString(error.what())) : UsageError;
        return false;
    }
}

int CommandLineTool::edit(const Change &change)
{
    return editRecords([](ConfigMapper &mapper,
                          const SambaSettings &settings) { return mapper.loadShares(*settings.global()); },
                       change);
}

int CommandLineTool::editShare(const QString &name, const Change &change)
{
    const int code = editRecords(
        [this, &name](ConfigMapper &mapper, const SambaSettings &settings) {
            QList<Share> shares;
            if (std::optional<Share> share = mapper.loadShare(*settings.global(), name))
                shares << *share;
            m_loadedShareName = shares.isEmpty() ? QString() : shares.first().name().trimmed().toLower();
            m_partialMapper = &mapper;
            return shares;
        },
        change);
    m_partialMapper = nullptr;
    return code;
}

QSet<QString> CommandLineTool::otherShareNames() const
{
    // Only adding and renaming need them: ten thousand names cost more than the edit.
    QSet<QString> names;
    if (!m_partialMapper)
        return names;
    for (const QString &other : m_partialMapper->shareNames()) {
        const QString key = other.trimmed().toLower();
        if (key != m_loadedShareName)
            names.insert(key);
    }
    return names;
}

void CommandLineTool::prepare(ConfigMapper &mapper) const
{
    mapper.setNetProgram(NetConf::defaultProgram());
}

void CommandLineTool::reloadSamba()
{
    // smbd also notices a changed registry by itself, at its next look.
    const SmbControl::Result reload =
        SmbControl(SmbControl::defaultProgram(), m_config).reloadConfig(QStringLiteral("smbd"));
    if (!reload.succeeded)
        fail(Success, QStringLiteral("smbd reload-config: %1").arg(reload.errorText));
}

int CommandLineTool::transfer(const Plan &plan)
{
    std::unique_ptr<ConfigFileLock> lock;
    if (!m_dryRun && !(lock = lockForEdit()))
        return Failure;
    const std::unique_ptr<OpenConfig> open = openConfig();
    if (!open)
        return m_loadFailure;
    open->mapper.setLockHeldByCaller(lock != nullptr);
    ConfigMapper &mapper = open->mapper;
    try {
        const ConfigMapper::Transfer transfer = plan(mapper);
        const std::string path = m_config.toStdString();
        const std::string diff = unifiedDiff(transfer.fileBefore, transfer.fileAfter, path, path)
            + unifiedDiff(transfer.registryBefore, transfer.registryAfter, "registry", "registry")
            + unifiedDiff(transfer.effectiveBefore, transfer.effectiveAfter, "served (testparm -s)",
                          "served (testparm -s)");
        if (!m_dryRun && !diff.empty()) {
            ConfigHistory versions = history();
            mapper.setHistory(&versions, QStringLiteral("shareward-cli"));
            mapper.applyTransfer(transfer);
            if (mapper.registryChangedLast())
                reloadSamba();
        }
        m_out << diff;
        m_out.flush();
        if (!mapper.historyError().isEmpty())
            fail(Success,
                 QStringLiteral("the change is made, but its history could not be recorded: %1")
                     .arg(mapper.historyError()));
        return diff.empty() || m_dryRun ? int(Success) : m_changedExitCode;
    } catch (const std::exception &error) {
        return fail(Failure, QString::fromStdString(error.what()));
    }
}

int CommandLineTool::storeInRegistry(const QStringList &arguments)
{
    const QString keep = QStringLiteral("--keep-registry");
    const QString replace = QStringLiteral("--replace-registry");
    if (arguments.size() > 1
        || (arguments.size() == 1 && arguments.first() != keep && arguments.first() != replace))
        return fail(UsageError,
                    QStringLiteral("usage: shareward-cli [--config FILE] store-in-registry [%1|%2]")
                        .arg(keep, replace));
    const bool chosen = !arguments.isEmpty();
    const auto unused = arguments.value(0) == replace ? ConfigMapper::UnusedRegistry::Replace
                                                      : ConfigMapper::UnusedRegistry::Keep;
    return transfer([=](ConfigMapper &mapper) {
        ConfigMapper::Transfer planned = mapper.storeAllInRegistry(unused);
        // Settings nobody saw in effect are not put in effect unasked.
        if (!chosen && !planned.registryNotInEffect.empty())
            throw std::runtime_error(
                QStringLiteral("Samba's registry configuration holds settings Samba does not read now; "
                               "storing the configuration there would put them in effect:\n%1"
                               "Choose %2 to put them in effect, or %3 to replace them.")
                    .arg(QString::fromStdString(planned.registryNotInEffect), keep, replace)
                    .toStdString());
        return planned;
    });
}

std::unique_ptr<ConfigFileLock> CommandLineTool::lockForEdit()
{
    // An edit of the command line applies to the file as it is when its turn comes: taken
    // before loading, the lock lets parallel edits land one after another, where each would
    // otherwise find the file changed by the one before.
    auto lock = std::make_unique<ConfigFileLock>(ConfigFileInstaller(m_config).targetPath());
    if (!lock->acquire(EditLockTimeoutMs)) {
        fail(Failure, lock->errorString() + QStringLiteral(" No data will be saved."));
        return nullptr;
    }
    return lock;
}

int CommandLineTool::editRecords(const Load &load, const Change &change)
{
    std::unique_ptr<ConfigFileLock> lock;
    if (!m_dryRun && !(lock = lockForEdit()))
        return Failure;
    const std::unique_ptr<OpenConfig> open = openConfig();
    if (!open)
        return m_loadFailure;
    open->mapper.setLockHeldByCaller(lock != nullptr);
    ConfigDocument &document = open->document;
    ConfigMapper &mapper = open->mapper;
    SambaSettings &settings = open->settings;
    try {
        QList<Share> shares = load(mapper, settings);
        const QString refusal = change(settings, shares);
        if (!refusal.isEmpty())
            return fail(Failure, refusal);
        if (!mapper.applyRecords(settings, shares)) {
            // smb.conf already says so; a directory mode asked for is still set.
            if (!m_dryRun && !SaveSteps::applyDirectoryPermissions(shares).isEmpty())
                return fail(Failure, QStringLiteral("the directory mode could not be set"));
            return Success;
        }
        // A share naming a module smbd cannot load refuses every connection.
        const QStringList added = mapper.modulesAdded(settings, shares);
        const QStringList missing =
            added.isEmpty() ? QStringList() : VfsModuleInventory::load().missing(added);
        if (!missing.isEmpty()) {
            const QString text = QStringLiteral("the Samba modules %1 are not installed (package %2): every "
                                                "connection to a share that uses them is refused")
                                     .arg(missing.join(QStringLiteral(", ")), VfsModuleInventory::package());
            if (!m_allowMissingModules && !m_dryRun)
                return fail(Failure, text + QStringLiteral("; --allow-missing-modules saves anyway"));
            fail(Success, text);
        }
        const std::string path = m_config.toStdString();
        const std::string diff = unifiedDiff(document.bytes(), document.text(), path, path)
            + unifiedDiff(mapper.registryCurrent(), mapper.registryProposed(), "registry", "registry");
        QStringList modesNotSet;
        if (!m_dryRun) {
            ConfigHistory versions = history();
            mapper.setHistory(&versions, QStringLiteral("shareward-cli"));
            // The process ends after this save: the file it installs need not be read again.
            mapper.setReadsBackAfterSave(false);
            mapper.save(settings, shares);
            if (mapper.registryChangedLast())
                reloadSamba();
            modesNotSet = SaveSteps::applyDirectoryPermissions(shares);
        }
        m_out << diff;
        m_out.flush();
        // The file is installed: a history that could not be written is said, not failed.
        if (!mapper.historyError().isEmpty())
            fail(Success,
                 QStringLiteral("smb.conf is saved, but its history could not be recorded: %1")
                     .arg(mapper.historyError()));
        if (!modesNotSet.isEmpty())
            return fail(Failure,
                        QStringLiteral("smb.conf is saved, but the mode of %1 could not be set")
                            .arg(modesNotSet.join(QStringLiteral(", "))));
    } catch (const std::exception &error) {
        return fail(Failure, QString::fromStdString(error.what()));
    }
    return m_dryRun ? Success : m_changedExitCode;
}

int CommandLineTool::check(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return fail(UsageError, QStringLiteral("usage: shareward-cli [--config FILE] check"));
    std::string bytes;
    if (!readFile(m_config, bytes))
        return UsageError;
    // Judged as the window judges it: by the markers testparm prints, not its exit code alone.
    const TestParmResult result = TestParm().checkConf(m_config);
    m_out << result.output.toStdString();
    if (!result.output.endsWith(QLatin1Char('\n')) && !result.output.isEmpty())
        m_out << '\n';
    m_out.flush();
    if (result.status == TestParmResult::Failed || result.status == TestParmResult::Errors)
        return Failure;
    return Success;
}

ConfigHistory CommandLineTool::history() const
{
    ConfigHistory versions(m_historyDirectory);
    versions.setKeep(m_keep);
    return versions;
}

int CommandLineTool::historyList(const QStringList &arguments)
{
    return HistoryCommand(*this).list(arguments);
}

int CommandLineTool::historyDiff(const QStringList &arguments)
{
    return HistoryCommand(*this).diff(arguments);
}

int CommandLineTool::historyRestore(const QStringList &arguments)
{
    return HistoryCommand(*this).restore(arguments);
}

int CommandLineTool::share(const QStringList &arguments)
{
    return ShareCommand(*this).run(arguments);
}

int CommandLineTool::global(const QStringList &arguments)
{
    return GlobalCommand(*this).run(arguments);
}

int CommandLineTool::user(const QStringList &arguments)
{
    return ServerAccountCommand(*this).user(arguments);
}

int CommandLineTool::group(const QStringList &arguments)
{
    return ServerAccountCommand(*this).group(arguments);
}

int CommandLineTool::service(const QStringList &arguments)
{
    return ServerAccountCommand(*this).service(arguments);
}

int CommandLineTool::status(const QStringList &arguments)
{
    return StatusCommand(*this).status(arguments);
}

int CommandLineTool::disconnect(const QStringList &arguments)
{
    return StatusCommand(*this).disconnect(arguments);
}
