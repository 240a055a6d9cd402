#include "localconfigsession.h"

#include "configfailure.h"
#include "testparm.h"
#include "unifieddiff.h"
#include "versiondiff.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <algorithm>

LocalConfigSession::LocalConfigSession(const Environment &environment)
    : m_environment(environment)
    , m_history(environment.historyDirectory)
    , m_mapper(m_document, environment.configPath, environment.testparm)
{
    m_mapper.setLockDirectory(environment.lockDirectory);
    m_mapper.setNetProgram(environment.net);
    m_mapper.setHistory(&m_history, environment.program);
}

LocalConfigSession::~LocalConfigSession() = default;

QString LocalConfigSession::fingerprint(const std::string &file, const std::string &registry)
{
    // The file's length first: no other pair of texts runs together into the same bytes.
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArray::number(qulonglong(file.size())) + ':');
    hash.addData(file.data(), int(file.size()));
    hash.addData(registry.data(), int(registry.size()));
    return QString::fromLatin1(hash.result().toHex());
}

TestParmResult LocalConfigSession::check()
{
    // Reads nothing the other calls change: it may run beside load().
    return TestParm(m_environment.testparm, m_environment.configPath).checkConf(m_environment.configPath);
}

ConfigSession::LoadedState LocalConfigSession::state() const
{
    LoadedState state;
    state.path = m_mapper.path();
    state.registryHistoryFile = m_mapper.registryHistoryFile();
    state.registryUse = m_mapper.registryUse();
    state.registryLoaded = m_mapper.registryLoaded();
    state.registryError = m_mapper.registryError();
    if (m_loaded)
        state.fingerprint = fingerprint(m_document.bytes(), m_mapper.registryText());
    return state;
}

ConfigSession::Loaded LocalConfigSession::loaded(const SambaSettings &settings) const
{
    Loaded loaded;
    loaded.settings = settings;
    loaded.shares = m_mapper.loadShares(*settings.global());
    loaded.state = state();
    return loaded;
}

ConfigSession::Loaded LocalConfigSession::load()
{
    // A load that fails half-way holds nothing a save could be made against.
    m_loaded = false;
    const SambaSettings settings = m_mapper.loadGlobal();
    m_loaded = true;
    return loaded(settings);
}

void LocalConfigSession::recordOutsideChange()
{
    m_mapper.recordOutsideChange();
}

void LocalConfigSession::checkLoaded(const QString &fingerprint)
{
    // A backend started again holds nothing loaded: the records read again from the texts
    // the fingerprint names are those the window's came from.
    if (!m_loaded && !fingerprint.isEmpty())
        load();
    // The records were read from another load than the one kept here: what differs from
    // them is not what the administrator changed.
    if (!m_loaded || fingerprint != state().fingerprint)
        throw ConfigChangedError(
            tr("The configuration was loaded again since these settings were read. Reload it before saving.")
                .toStdString());
}

ConfigSession::Preview LocalConfigSession::preview(const SambaSettings &settings, const QList<Share> &shares,
                                                   const QString &fingerprint)
{
    checkLoaded(fingerprint);
    Preview preview;
    preview.file = m_mapper.preview(settings, shares);
    preview.registryCurrent = m_mapper.registryCurrent();
    preview.registryProposed = m_mapper.registryProposed();
    return preview;
}

ConfigSession::Outcome LocalConfigSession::outcome() const
{
    Outcome outcome;
    outcome.installed = m_mapper.installedLast();
    outcome.registryChanged = m_mapper.registryChangedLast();
    outcome.changes = m_mapper.lastChanges();
    outcome.replacedText = m_mapper.replacedText();
    outcome.historyError = m_mapper.historyError();
    return outcome;
}

ConfigSession::Saved LocalConfigSession::save(const SambaSettings &settings, const QList<Share> &shares,
                                              const QString &fingerprint)
{
    checkLoaded(fingerprint);
    Saved saved;
    saved.shares = shares;
    m_mapper.save(settings, saved.shares);
    saved.outcome = outcome();
    saved.fingerprint = state().fingerprint;
    return saved;
}

QStringList LocalConfigSession::modulesAdded(const SambaSettings &settings, const QList<Share> &shares)
{
    return m_mapper.modulesAdded(settings, shares);
}

ConfigMapper::Transfer LocalConfigSession::moveShare(const QString &name, Share::StoredIn to)
{
    return m_mapper.moveShare(name, to);
}

ConfigMapper::Transfer LocalConfigSession::storeAllInRegistry(ConfigMapper::UnusedRegistry unused)
{
    return m_mapper.storeAllInRegistry(unused);
}

ConfigSession::Transferred LocalConfigSession::applyTransfer(const ConfigMapper::Transfer &transfer)
{
    Transferred transferred;
    m_loaded = false;
    const SambaSettings settings = m_mapper.applyTransfer(transfer);
    m_loaded = true;
    transferred.outcome = outcome();
    transferred.loaded = loaded(settings);
    return transferred;
}

QString LocalConfigSession::historyFile() const
{
    return QFileInfo(m_mapper.path()).absoluteFilePath();
}

QList<ConfigHistory::Version> LocalConfigSession::versions()
{
    // The history numbers both in one sequence.
    QList<ConfigHistory::Version> all =
        m_history.versions(historyFile()) + m_history.versions(m_mapper.registryHistoryFile());
    std::sort(all.begin(), all.end(), [](const ConfigHistory::Version &a, const ConfigHistory::Version &b) {
        return a.number > b.number;
    });
    return all;
}

QString LocalConfigSession::versionDiff(int number, bool againstCurrent)
{
    const QString registryFile = m_mapper.registryHistoryFile();
    const bool registry = m_history.version(number).file == registryFile;
    if (registry && againstCurrent) {
        // The registry is no file VersionDiff could read: its text as loaded stands for it.
        std::string bytes;
        if (!m_history.read(number, bytes))
            fail(m_history.errorString());
        const std::string name = registryFile.toStdString();
        return QString::fromStdString(unifiedDiff(bytes, m_mapper.registryText(),
                                                  name + " (version " + std::to_string(number) + ")", name));
    }
    std::string diff;
    QString error;
    if (!VersionDiff::diff(m_history, registry ? registryFile : historyFile(), number,
                           againstCurrent ? VersionDiff::CurrentFile : VersionDiff::PreviousVersion, diff,
                           error))
        fail(error);
    return QString::fromStdString(diff);
}

ConfigSession::Outcome LocalConfigSession::restoreVersion(int number)
{
    const bool registry = m_history.version(number).file == m_mapper.registryHistoryFile();
    std::string bytes;
    if (!m_history.read(number, bytes))
        fail(m_history.errorString());
    // Recorded in the history like shareward-cli's summaries: not translated.
    const QString summary = QStringLiteral("version %1 restored").arg(number);
    if (registry) {
        // Everything is loaded again after it, as after a restore of smb.conf.
        m_loaded = false;
        m_mapper.applyTransfer(m_mapper.restoreRegistry(bytes, summary));
        m_loaded = true;
    } else {
        m_mapper.restore(bytes, summary);
    }
    return outcome();
}

ConfigSession::Outcome LocalConfigSession::restore(const std::string &bytes, const QString &summary)
{
    m_mapper.restore(bytes, summary);
    return outcome();
}

void LocalConfigSession::setHistoryKeep(int keep)
{
    m_history.setKeep(keep);
}

ConfigSession::RepairPlan LocalConfigSession::planRepair(ConfigRepair::Kind kind)
{
    ConfigRepair repair(m_environment.configPath, m_environment.testparm);
    RepairPlan plan;
    plan.possible = repair.plan(kind);
    plan.changes = repair.changes();
    plan.defaultRange = repair.defaultRange();
    return plan;
}

QString LocalConfigSession::repair(ConfigRepair::Kind kind, const QList<ConfigRepair::Change> &planned)
{
    // Planned again on smb.conf as it is now: the administrator agreed to the changes shown.
    ConfigRepair repair(m_environment.configPath, m_environment.testparm);
    if (!repair.plan(kind) || repair.changes() != planned)
        throw ConfigChangedError(tr("%1 was changed since the repair was shown; nothing was repaired.")
                                     .arg(m_environment.configPath)
                                     .toStdString());
    if (!repair.apply(&m_history, m_environment.program))
        fail(repair.errorString());
    return repair.historyError();
}
