#pragma once

#include "configsession.h"

#include <QCoreApplication>
#include <QJsonObject>

#include <functional>

class BackendConnection;
class JsonFieldReader;

// ConfigSession of the server a backend runs on: each call is one request "config.<method>"
// on the connection, which the other remote interfaces of that server share and whose
// requests take turns; the backend keeps the configuration loaded between them. The backend's
// refusals arrive as the local session's exceptions (ConfigChangedError,
// ConfigMapper::Refusal with testparm's verdict, RegistryNotRestoredError); a lost connection
// or an answer that cannot be read as BackendConnection::Failure, a std::runtime_error with the
// sentence that says why. A change whose answer never came is never taken for done: a save,
// restore, transfer or repair then also says that whether it was made is not known.
class RemoteConfigSession : public ConfigSession
{
    Q_DECLARE_TR_FUNCTIONS(RemoteConfigSession)

public:
    // connection must be open and live as long as this.
    explicit RemoteConfigSession(BackendConnection &connection);

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

private:
    // Whether a request changes the configuration on the server.
    enum Effect { Reads, Changes };
    // Asks op with fields and reads the answer with read (RemoteCall::ask); throws as the
    // class says.
    void ask(const QString &op, const QJsonObject &fields, Effect effect,
             const std::function<void(JsonFieldReader &)> &read);

    BackendConnection &m_connection;
};
