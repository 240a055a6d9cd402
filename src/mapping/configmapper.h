#pragma once

#include "configchanges.h"
#include "configfailure.h"
#include "configtables.h"
#include "recordmapper.h"
#include "registryconfig.h"
#include "sambasettings.h"
#include "savetransaction.h"
#include "sectioneditor.h"
#include "share.h"
#include "systemprograms.h"
#include "testparmresult.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

class ConfigDocument;
class ConfigFileLock;
class ConfigHistory;
class RegistryStore;

// The bridge between smb.conf and the records the dialogs edit. Loading reads the file into
// the document and the records from what Samba reads in it, and remembers the records as
// loaded. Saving takes the lock of smb.conf, writes only what differs from the records as
// loaded, as edits of the document; has testparm judge the result in a temporary file beside
// smb.conf; and only then installs it, when smb.conf is still the file loaded. A save with
// nothing to write writes nothing at all.
class ConfigMapper
{
public:
    ConfigMapper(ConfigDocument &document, const QString &path = QStringLiteral("/etc/samba/smb.conf"),
                 const QString &testparmProgram = SystemPrograms::testparm());
    ~ConfigMapper();

    // Samba's registry configuration, where smb.conf leads Samba to it ("include = registry",
    // "config backend = registry", "registry shares = yes"), as clustered Samba keeps it:
    // loadGlobal reads it with net conf, its shares are records stored in the registry and
    // saves change it with net conf. With no program (the default) it is never read.
    void setNetProgram(const QString &program) { m_netProgram = program; }
    RegistryConfig::Use registryUse() const { return m_registryUse; }
    // Why the registry could not be read at the last load (its shares are then missing), or empty.
    QString registryError() const { return m_registryError; }
    // Whether the registry was read at the last load.
    bool registryLoaded() const { return m_registry != nullptr; }
    // The registry as loaded, in smb.conf's format; empty when it was not read.
    std::string registryText() const;
    // The name under which the history keeps the versions of the registry of this smb.conf.
    QString registryHistoryFile() const;
    static QString registryHistoryFile(const QString &configPath);

    // Reads the file into the document and the tables; returns the server settings.
    // Throws std::runtime_error when the file cannot be read.
    SambaSettings loadGlobal();
    // The shares of every section other than [global] that has parameters, in the order
    // of their lower-cased names; with the registry read, its shares too (StoredInRegistry),
    // after a file share of the same name, which is then shadowed. Uses only the tables of
    // the last loadGlobal.
    QList<Share> loadShares(const GlobalShare &global) const;
    // Instead of loadShares, for an edit of one share in a large file: the share Samba
    // would take for name (compared without regard to case), read alone; none when there
    // is none. A save then writes the records given as loadShares' would be, except that
    // the sections of shares not loaded stay as they are.
    std::optional<Share> loadShare(const GlobalShare &global, const QString &name) const;
    // The records loadShares gives, one at a time and none kept: for reading a large file once.
    void readShares(const GlobalShare &global, const std::function<void(const Share &)> &use) const;
    // The names of every share, as loadShares would name its records.
    QStringList shareNames() const;

    // Writes the records, checks the result with testparm and installs it; then the
    // records are the loaded ones and the shares' originalName their name. On failure
    // the document, the records and the file stay as they were. Throws std::runtime_error.
    void save(const SambaSettings &settings, QList<Share> &shares);

    // The edits of a save, kept in the document (text() shows them): returns whether there
    // is anything to write. Each call starts from the document as read.
    bool applyRecords(const SambaSettings &settings, const QList<Share> &shares);

    // What a save of these records would install, judged by testparm in a temporary file
    // beside smb.conf; nothing is installed and the document keeps no edits.
    struct Preview
    {
        std::string current;
        std::string proposed; // equal to current when the save writes nothing
        TestParmResult verdict; // Ok, unchecked, when nothing is written
        ConfigChanges changes;
    };
    Preview preview(const SambaSettings &settings, const QList<Share> &shares);
    // The registry's part of the last preview or applyRecords: as loaded and as proposed
    // (equal when the registry is not changed, empty when it is not read).
    const std::string &registryCurrent() const;
    std::string registryProposed() const;

    // A change that moves configuration between smb.conf and the registry: shown as the texts
    // before and after, then made by applyTransfer.
    struct Transfer
    {
        std::string fileBefore;
        std::string fileAfter;
        std::string registryBefore;
        std::string registryAfter;
        QString summary;
        // The registry is imported whole instead of changed parameter by parameter.
        bool replaceRegistry = false;
        // What Samba serves before and after, as testparm -s prints it: every change in effect,
        // also those the texts do not show (registry values merged over a file share).
        std::string effectiveBefore;
        std::string effectiveAfter;
        // The registry's content that Samba did not read before (smb.conf did not lead it
        // there), in smb.conf's format; empty when there is none.
        std::string registryNotInEffect;
    };
    // What a transfer does with registry content that was not in effect.
    enum class UnusedRegistry {
        Keep, // it stays, and is in effect afterwards
        Replace, // it goes: the registry holds only what was in effect
    };
    // The share's section moves with every parameter in effect in it, nothing else changing.
    // Throws std::runtime_error when it cannot (a share of that name there, includes).
    Transfer moveShare(const QString &name, Share::StoredIn to);
    // The globals and shares go into the registry; smb.conf keeps what the registry cannot
    // hold or Samba needs to find it, "include = registry" before the first file include
    // and every [global] line from that include on (read after the registry's, as before),
    // and the shares the registry cannot take or defines already (with Keep).
    Transfer storeAllInRegistry(UnusedRegistry unused = UnusedRegistry::Keep);
    // The registry as it was in a version of the history.
    Transfer restoreRegistry(const std::string &registryText, const QString &summary);
    // Through the gate of a save: the lock, the checks that smb.conf and the registry are as
    // loaded, testparm on the whole configuration, then net conf and the install of smb.conf
    // (the registry put back when that fails), and the history. Afterwards the mapper is
    // loaded again (loadGlobal), and the shares are to be read again.
    SambaSettings applyTransfer(const Transfer &transfer);
    // Whether the last save, restore or transfer changed the registry: running Samba reads it
    // again with reload-config.
    bool registryChangedLast() const { return m_outcome.registryChanged; }

    // The VFS modules these records name that the records as loaded name nowhere, in name
    // order: the modules a save would start to use.
    QStringList modulesAdded(const SambaSettings &settings, const QList<Share> &shares) const;

    // Installs bytes (an earlier version) through the same gate as a save: the lock, the
    // check that smb.conf is the file loaded, testparm, and the history. The records must be
    // loaded again afterwards. Throws std::runtime_error, ConfigChangedError.
    void restore(const std::string &bytes, const QString &summary);

    // Saves and restores record the versions they replace and install in history, as made by
    // program; nullptr records nothing. The history is not owned.
    void setHistory(ConfigHistory *history, const QString &program);
    ConfigHistory *history() const { return m_history; }
    QString historyProgram() const { return m_program; }
    // Records the file as loaded when another editor changed it since the newest version.
    void recordOutsideChange();
    // Why the last save, restore or recordOutsideChange could not record history; empty when
    // it could. A failure to record does not stop a save.
    QString historyError() const { return m_outcome.historyError; }
    // The file as the last save or restore found it, and what that save changed.
    const std::string &replacedText() const { return m_replacedText; }
    const ConfigChanges &lastChanges() const { return m_lastChanges; }
    // Whether the last save or restore installed a new smb.conf.
    bool installedLast() const { return m_outcome.installed; }

    QString path() const { return m_path; }
    // Where the saves of this and every other Shareward process take turns.
    void setLockDirectory(const QString &directory) { m_lockDirectory = directory; }
    // Whether a save reads the file it installed back as the file loaded (the default). A
    // process that saves once and ends can spare that; the mapper must then be loaded again.
    void setReadsBackAfterSave(bool readsBack) { m_readsBack = readsBack; }
    // How long a save waits for another one to finish.
    void setLockTimeout(int milliseconds) { m_lockTimeoutMs = milliseconds; }
    // The caller holds the save lock of the file (a ConfigFileLock of the same directory) from
    // before loading until after saving: saves go on without taking it again.
    void setLockHeldByCaller(bool held) { m_lockHeldByCaller = held; }

    // testparm's refusal of a configuration: a std::runtime_error with the message a save
    // shows, and testparm's verdict for a window to show its own words.
    using Refusal = SaveTransaction::Refusal;

private:
    // Whether Samba serves a file share's section merged with, or instead of, the registry's.
    bool shadowed(const ConfigTables::Section &section) const;
    // Whether a [global] key (canonical, lookup form) is written to the registry.
    bool registryOwns(std::string_view lookup) const;
    // A transfer planned by plan (a function of a ConfigTransfer) on what is loaded.
    template<typename Plan>
    Transfer planTransfer(const Plan &plan) const;
    // Where saves, restores and transfers of this file are made.
    SaveTransaction::Target saveTarget() const;
    // Takes the lock of the transaction (refusal ends the message when it cannot), checks that
    // smb.conf is the file loaded, and clears what the last save or restore did.
    void begin(SaveTransaction &transaction, const QString &refusal);

    ConfigDocument &m_document;
    QString m_path;
    QString m_testparmProgram;
    QString m_lockDirectory;
    int m_lockTimeoutMs = 10000;
    bool m_lockHeldByCaller = false;
    // smb.conf's records as loaded (or last saved): a save writes what differs from them.
    RecordMapper m_records;
    bool m_loaded = false;
    bool m_readsBack = true;
    bool m_stale = false; // saved without reading back

    QString m_netProgram;
    RegistryConfig::Use m_registryUse = RegistryConfig::NotUsed;
    QString m_registryError;
    std::unique_ptr<RegistryStore> m_registry;
    std::set<std::string> m_readAfterRegistry; // [global] keys (lookup form) after include = registry

    ConfigHistory *m_history = nullptr;
    QString m_program;
    SaveTransaction::Outcome m_outcome;
    std::string m_replacedText;
    ConfigChanges m_lastChanges;
};
