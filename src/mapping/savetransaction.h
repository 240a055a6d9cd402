#pragma once

#include "testparmresult.h"

#include <QString>

#include <memory>
#include <stdexcept>
#include <string>

class ConfigFileLock;
class ConfigHistory;
class RegistryStore;

// One change of Samba's configuration, smb.conf and the registry alike, made as every save,
// restore, repair and transfer makes it: under the save lock of smb.conf, with both stores
// checked to be as loaded, judged by testparm on the text Samba would read, the versions it
// replaces recorded in the history before anything changes, the registry changed before the
// file is installed and put back when the install fails, and the new versions recorded only
// once everything is made.
class SaveTransaction
{
public:
    // Where and how the configuration is saved.
    struct Target
    {
        QString path;
        QString testparmProgram;
        QString lockDirectory;
        int lockTimeoutMs = 10000;
        bool lockHeldByCaller = false;
        ConfigHistory *history = nullptr; // not owned; nullptr records nothing
        QString program;
    };
    // What the transaction did, kept by its caller also when it fails.
    struct Outcome
    {
        QString historyError; // why a version could not be recorded; a save goes on
        bool installed = false;
        bool registryChanged = false;
    };

    // testparm's refusal of a configuration: a std::runtime_error with the message a save
    // shows, and testparm's verdict for a window to show its own words.
    struct Refusal : std::runtime_error
    {
        explicit Refusal(const TestParmResult &result);
        static QString message(const TestParmResult &result);
        TestParmResult verdict;
    };

    SaveTransaction(const Target &target, Outcome &outcome);
    ~SaveTransaction();

    // Takes the lock (refusal ends the message when it cannot) and removes what killed saves
    // left beside the file.
    void lock(const QString &refusal);
    // Throws ConfigChangedError when smb.conf does not hold loaded any more.
    void checkUnchanged(const std::string &loaded) const;

    // testparm on text in a temporary file beside smb.conf; throws Refusal when it refuses.
    TestParmResult judge(const std::string &text) const;
    // judge on the whole configuration with registry as the registry's text; also refused
    // when the registry would hold a parameter testparm does not know, or a server-wide one
    // in a share, which net refuses.
    TestParmResult judgeWithRegistry(const std::string &effective, const std::string &registry) const;

    // Makes the registry hold after (the gate passed), the registry as store loaded it recorded
    // in the history first; returns the registry as net lists it then.
    std::string changeRegistry(RegistryStore &store, const std::string &after, bool replace);
    // Installs text as smb.conf once testparm accepts it, the file it replaces (loaded, which
    // smb.conf must still hold; none when it was not loaded) recorded first. When it fails
    // after changeRegistry, the registry is put back and the message says whether it was.
    void install(const std::string &text, const QString &summary, const std::string *loaded);
    // Records the registry as changeRegistry left it, once the whole change is made: a change
    // put back is never recorded as a version that was in effect.
    void recordRegistry(const QString &summary);

    // Records loaded as the file's version when another editor changed it since the newest.
    void recordOutsideChange(const std::string &loaded);

    // The names under which the history keeps smb.conf's versions and the registry's.
    static QString historyFile(const QString &configPath);
    static QString registryHistoryFile(const QString &configPath);

private:
    // Why a save refuses a file changed since loading, naming the Shareward that changed it.
    QString changedText() const;

    Target m_target;
    Outcome &m_outcome;
    std::unique_ptr<ConfigFileLock> m_lock;
    RegistryStore *m_registry = nullptr; // changed by this transaction
    std::string m_registryListed;
    // The history's version of the registry as the transaction found it, and whether net
    // listed what it made of it.
    int m_registryKept = 0;
    bool m_listed = false;
};
