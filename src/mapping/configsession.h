#pragma once

#include "configchanges.h"
#include "confighistory.h"
#include "configmapper.h"
#include "configrepair.h"
#include "registryconfig.h"
#include "sambasettings.h"
#include "share.h"
#include "testparmresult.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <string>

// Everything the window does with the configuration of one server: smb.conf and Samba's
// registry configuration loaded, previewed and saved as records, moved between the two,
// its history, and the repairs the start-up offers. The server side keeps the configuration
// loaded between calls, so that a save writes only what differs from the records as loaded;
// the window holds copies of the records and sends them back with the fingerprint of the
// load they came from.
//
// Every method is one request a backend answers alone: values in and out, and failures as
// std::runtime_error with a sentence for people (ConfigChangedError when the configuration is
// no longer the one loaded, ConfigMapper::Refusal when testparm refuses it,
// RegistryNotRestoredError when a failed change could not put the registry back). The window
// calls from worker threads too: check() beside load(), and recordOutsideChange() while it
// waits; an implementation that answers one request at a time takes them in turn.
class ConfigSession
{
public:
    virtual ~ConfigSession();

    // What was loaded, beside the records.
    struct LoadedState
    {
        // smb.conf on the server, as the diffs name it.
        QString path;
        // The history's name for the versions of the registry.
        QString registryHistoryFile;
        RegistryConfig::Use registryUse = RegistryConfig::NotUsed;
        // Whether the registry was read; registryError says why not when Samba uses it.
        bool registryLoaded = false;
        QString registryError;
        // Tells this load from any other of a different smb.conf or registry; a save or
        // preview names the load its records come from with it. Empty before any load.
        QString fingerprint;
    };
    struct Loaded
    {
        // Without the Samba accounts, which are not part of the configuration.
        SambaSettings settings;
        QList<Share> shares;
        LoadedState state;
    };
    // What a save, restore or transfer did.
    struct Outcome
    {
        // A new smb.conf was installed.
        bool installed = false;
        // The registry changed: running Samba reads it again with reload-config.
        bool registryChanged = false;
        ConfigChanges changes;
        // smb.conf as the change found it: what going back installs.
        std::string replacedText;
        // Why the history could not record the change, which was made nonetheless; or empty.
        QString historyError;
    };

    // testparm's verdict on the configuration as installed; Failed, with the reason in
    // output, when testparm gave none.
    virtual TestParmResult check() = 0;
    // Reads smb.conf, and the registry where smb.conf leads Samba to it, and keeps them
    // loaded. Throws when smb.conf cannot be read; a registry that cannot be read is told in
    // the state, its shares missing.
    virtual Loaded load() = 0;
    // Records the configuration as loaded in the history when another editor changed it since
    // the newest version there.
    virtual void recordOutsideChange() = 0;

    // What a save of these records would change, judged by testparm; nothing is installed.
    struct Preview
    {
        // smb.conf as loaded and as the save writes it, the verdict and the changes.
        ConfigMapper::Preview file;
        // The registry as loaded and as the save leaves it, as net conf list prints it.
        std::string registryCurrent;
        std::string registryProposed;
    };
    virtual Preview preview(const SambaSettings &settings, const QList<Share> &shares,
                            const QString &fingerprint) = 0;
    struct Saved
    {
        Outcome outcome;
        // The records as saved, each share's originalName its name.
        QList<Share> shares;
        // Of the configuration loaded now, which the save left as saved.
        QString fingerprint;
    };
    // Writes what differs from the records as loaded, through testparm, the lock, the history
    // and the lost-update check.
    virtual Saved save(const SambaSettings &settings, const QList<Share> &shares,
                       const QString &fingerprint) = 0;
    // The VFS modules these records name that the records as loaded name nowhere.
    virtual QStringList modulesAdded(const SambaSettings &settings, const QList<Share> &shares) = 0;

    // The moves between smb.conf and the registry, planned on what is loaded for review, then
    // made by applyTransfer, after which everything is loaded again.
    virtual ConfigMapper::Transfer moveShare(const QString &name, Share::StoredIn to) = 0;
    virtual ConfigMapper::Transfer storeAllInRegistry(ConfigMapper::UnusedRegistry unused) = 0;
    struct Transferred
    {
        Outcome outcome;
        Loaded loaded;
    };
    virtual Transferred applyTransfer(const ConfigMapper::Transfer &transfer) = 0;

    // The versions of smb.conf and of the registry in the history, newest first.
    virtual QList<ConfigHistory::Version> versions() = 0;
    // The unified diff of a version against the configuration loaded, or against the version
    // before it.
    virtual QString versionDiff(int number, bool againstCurrent) = 0;
    // Installs a version of smb.conf, or makes a version of the registry Samba's registry
    // configuration, through the gate of a save; everything is to be loaded again afterwards.
    virtual Outcome restoreVersion(int number) = 0;
    // Installs bytes as smb.conf through the gate of a save; everything is to be loaded again.
    virtual Outcome restore(const std::string &bytes, const QString &summary) = 0;
    // How many versions of each file the history keeps.
    virtual void setHistoryKeep(int keep) = 0;

    // A start-up repair of smb.conf (see ConfigRepair), planned for review.
    struct RepairPlan
    {
        // False when the repair finds nothing to change in smb.conf itself.
        bool possible = false;
        QList<ConfigRepair::Change> changes;
        // The range the default idmap domain is given; empty when it keeps its own.
        QString defaultRange;
    };
    virtual RepairPlan planRepair(ConfigRepair::Kind kind) = 0;
    // Makes the repair when it still makes exactly the changes planned, which were shown;
    // returns why the history could not record it, or empty.
    virtual QString repair(ConfigRepair::Kind kind, const QList<ConfigRepair::Change> &planned) = 0;
};
