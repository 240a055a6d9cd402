#pragma once

#include "configdocument.h"
#include "confighistory.h"
#include "configmapper.h"
#include "sambasettings.h"
#include "share.h"

#include <QList>
#include <QSet>
#include <QStringList>

#include <functional>
#include <iostream>
#include <memory>
#include <ostream>
#include <vector>

class ConfigFileLock;

// shareward-cli: the headless face of Shareward for administrators and scripts.
// Exit codes: 0 success, 1 the operation failed, 2 bad usage or unreadable input; an edit
// that changed the file exits with --changed-exit-code when one is given; with --host, 255
// when the server cannot be reached or its backend cannot serve this client.
class CommandLineTool
{
public:
    enum ExitCode {
        Success = 0,
        Failure = 1,
        UsageError = 2,
        // As ssh's own failures: never an exit code of a command run on the server.
        ConnectionFailure = 255,
    };

    // Commands read their input (passwords) from in.
    CommandLineTool(std::ostream &out, std::ostream &err, std::istream &in = std::cin);

    // Runs one command; the arguments exclude the program name.
    int run(const QStringList &arguments);
    // The options of every command that take a value.
    static QStringList valueOptions();

    // For the command classes.
    std::ostream &out() { return m_out; }
    std::istream &in() { return m_in; }
    // Whether the input is the terminal of a person, who is then asked.
    bool inputIsTerminal() const;
    int fail(int code, const QString &message);
    // Changes the records of the --config file: change returns a refusal, or nothing. The
    // unified diff of what the save writes goes to standard output; with --dry-run nothing is
    // written. An edit that changes nothing prints and writes nothing.
    using Change = std::function<QString(SambaSettings &, QList<Share> &)>;
    int edit(const Change &change);
    // As edit, for a change of the share called name alone: shares holds only its record
    // (none when there is no such share), so that the other shares of a large file are not
    // read; otherShareNames() then gives the names of the shares not in the list.
    int editShare(const QString &name, const Change &change);
    // The names of the shares an editShare did not load, trimmed and lower-cased.
    QSet<QString> otherShareNames() const;
    // Loads the --config file and hands its records to use.
    using Use = std::function<int(const SambaSettings &, const QList<Share> &)>;
    int read(const Use &use);
    QString configPath() const { return m_config; }
    bool isDryRun() const { return m_dryRun; }
    int changedExitCode() const { return m_changedExitCode; }
    // The history of --history-dir (default: the system's), keeping --keep versions.
    ConfigHistory history() const;
    // A mapper of the --config file that also reads Samba's registry configuration where
    // smb.conf leads Samba to it.
    void prepare(ConfigMapper &mapper) const;
    // Whether the last load found smb.conf leading Samba to its registry configuration.
    bool registryInUse() const { return m_registryUse != RegistryConfig::NotUsed; }
    RegistryConfig::Use registryUse() const { return m_registryUse; }
    // Moves configuration between smb.conf and the registry: the diffs of both go to standard
    // output; with --dry-run nothing changes.
    using Plan = std::function<ConfigMapper::Transfer(ConfigMapper &)>;
    int transfer(const Plan &plan);
    // After a change of the registry: running smbd reads its configuration again.
    void reloadSamba();

private:
    struct Command
    {
        const char *name;
        const char *arguments;
        const char *summary;
        int (CommandLineTool::*handler)(const QStringList &arguments);
    };
    static const std::vector<Command> &commands();

    int print(const QStringList &arguments);
    int show(const QStringList &arguments);
    int save(const QStringList &arguments);
    int check(const QStringList &arguments);
    int share(const QStringList &arguments);
    int global(const QStringList &arguments);
    int user(const QStringList &arguments);
    int group(const QStringList &arguments);
    int service(const QStringList &arguments);
    int status(const QStringList &arguments);
    int disconnect(const QStringList &arguments);
    int historyList(const QStringList &arguments);
    int historyDiff(const QStringList &arguments);
    int historyRestore(const QStringList &arguments);
    int storeInRegistry(const QStringList &arguments);
    int serve(const QStringList &arguments);

    int usage(std::ostream &stream, int code);
    // Reads a whole file; on failure reports it and returns false.
    bool readFile(const QString &path, std::string &bytes);
    // edit and editShare: the records to change, read by the mapper.
    using Load = std::function<QList<Share>(ConfigMapper &, const SambaSettings &)>;
    int editRecords(const Load &load, const Change &change);
    // The save lock of the --config file, held from before loading until the edit is saved;
    // null, with the failure said, when it cannot be had.
    std::unique_ptr<ConfigFileLock> lockForEdit();
    // Edits queue for the lock: twenty at once take a few seconds on a busy machine.
    static constexpr int EditLockTimeoutMs = 60000;
    // The --config file read by a mapper that also reads the registry, as the window reads it.
    struct OpenConfig
    {
        explicit OpenConfig(const QString &path)
            : mapper(document, path)
        {
        }
        ConfigDocument document;
        ConfigMapper mapper;
        SambaSettings settings;
    };
    // Null when the file cannot be loaded: the failure is said and its exit code kept in
    // m_loadFailure.
    std::unique_ptr<OpenConfig> openConfig();
    // Loads the --config file; on failure says why and keeps the exit code in m_loadFailure.
    bool loadGlobal(ConfigMapper &mapper, SambaSettings &settings);

    std::ostream &m_out;
    std::ostream &m_err;
    std::istream &m_in;
    QString m_config = QStringLiteral("/etc/samba/smb.conf");
    QString m_historyDirectory = ConfigHistory::defaultDirectory();
    int m_keep = ConfigHistory::DefaultKeep;
    bool m_dryRun = false;
    bool m_allowMissingModules = false;
    int m_changedExitCode = Success;
    // Which of --config and --history-dir were given: a backend started by pkexec refuses them.
    bool m_filesChosen = false;
    // While editShare's change runs: the mapper, and the name of the share it loaded.
    const ConfigMapper *m_partialMapper = nullptr;
    QString m_loadedShareName;
    int m_loadFailure = Failure;
    RegistryConfig::Use m_registryUse = RegistryConfig::NotUsed;
};
