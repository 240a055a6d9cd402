#pragma once

#include "configdocument.h"
#include "configfilelock.h"
#include "confighistory.h"
#include "configmapper.h"
#include "configsession.h"
#include "systemprograms.h"

#include <QCoreApplication>
#include <QString>

#include <string>

// The configuration of this machine, reached in-process through today's classes: a
// ConfigMapper keeps smb.conf and the registry loaded between calls, and a ConfigHistory
// records the versions. The backend answers the window's requests with it.
class LocalConfigSession : public ConfigSession
{
    Q_DECLARE_TR_FUNCTIONS(LocalConfigSession)

public:
    // Where the configuration is and the programs that read and check it.
    struct Environment
    {
        QString configPath = QStringLiteral("/etc/samba/smb.conf");
        QString testparm = SystemPrograms::testparm();
        // How net is run for the registry; empty when the registry is never read.
        QString net;
        // Where saves take turns with other Shareward processes.
        QString lockDirectory = ConfigFileLock::defaultDirectory();
        QString historyDirectory = ConfigHistory::defaultDirectory();
        // Who the history says made the versions.
        QString program = QStringLiteral("shareward");
    };

    explicit LocalConfigSession(const Environment &environment);
    ~LocalConfigSession() override;

    TestParmResult check() override;
    Loaded load() override;
    void recordOutsideChange() override;
    Preview preview(const SambaSettings &settings, const QList<Share> &shares,
                    const QString &fingerprint) override;
    Saved save(const SambaSettings &settings, const QList<Share> &shares,
               const QString &fingerprint) override;
    QStringList modulesAdded(const SambaSettings &settings, const QList<Share> &shares) override;
    ConfigMapper::Transfer moveShare(const QString &name, Share::StoredIn to) override;
    ConfigMapper::Transfer storeAllInRegistry(ConfigMapper::UnusedRegistry unused) override;
    Transferred applyTransfer(const ConfigMapper::Transfer &transfer) override;
    QList<ConfigHistory::Version> versions() override;
    QString versionDiff(int number, bool againstCurrent) override;
    Outcome restoreVersion(int number) override;
    Outcome restore(const std::string &bytes, const QString &summary) override;
    void setHistoryKeep(int keep) override;
    RepairPlan planRepair(ConfigRepair::Kind kind) override;
    QString repair(ConfigRepair::Kind kind, const QList<ConfigRepair::Change> &planned) override;

    // The fingerprint of smb.conf's and the registry's texts as loaded.
    static QString fingerprint(const std::string &file, const std::string &registry);

private:
    LoadedState state() const;
    // The records read from what the mapper holds loaded.
    Loaded loaded(const SambaSettings &settings) const;
    // What the mapper's last save, restore or transfer did.
    Outcome outcome() const;
    // Throws ConfigChangedError unless fingerprint names the load the mapper holds. Holding
    // none (a backend started again after its connection was lost), it loads the
    // configuration and takes it when it is still the one fingerprint names.
    void checkLoaded(const QString &fingerprint);
    // The history's name for smb.conf's versions.
    QString historyFile() const;

    Environment m_environment;
    ConfigDocument m_document;
    ConfigHistory m_history;
    ConfigMapper m_mapper;
    bool m_loaded = false;
};
