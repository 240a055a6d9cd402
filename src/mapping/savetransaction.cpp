#include "savetransaction.h"

#include "configfailure.h"
#include "configfileinstaller.h"
#include "configfilelock.h"
#include "confighistory.h"
#include "registryconfig.h"
#include "registrystore.h"
#include "testparm.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <future>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(Audit)
};

} // namespace

SaveTransaction::Refusal::Refusal(const TestParmResult &result)
    : std::runtime_error(message(result).toStdString())
    , verdict(result)
{
}

QString SaveTransaction::Refusal::message(const TestParmResult &result)
{
    if (result.status == TestParmResult::Failed) {
        return QStringList{Messages::tr("Failed to run testparm."),
                           Messages::tr("Samba configuration will not be saved."), result.output}
            .join(QLatin1Char('\n'));
    }
    return QStringList{Messages::tr("Samba configuration file contains errors."),
                       Messages::tr("Samba configuration will not be saved."),
                       Messages::tr("testparm output is:"), result.output}
        .join(QLatin1Char('\n'));
}

SaveTransaction::SaveTransaction(const Target &target, Outcome &outcome)
    : m_target(target)
    , m_outcome(outcome)
{
}

SaveTransaction::~SaveTransaction() = default;

QString SaveTransaction::historyFile(const QString &configPath)
{
    return QFileInfo(configPath).absoluteFilePath();
}

QString SaveTransaction::registryHistoryFile(const QString &configPath)
{
    return QStringLiteral("registry:") + ConfigHistory::fileKey(configPath);
}

void SaveTransaction::lock(const QString &refusal)
{
    // Saves of one file wait for each other, whichever program makes them.
    m_lock = std::make_unique<ConfigFileLock>(ConfigFileInstaller(m_target.path).targetPath(),
                                              m_target.lockDirectory);
    if (!m_target.lockHeldByCaller && !m_lock->acquire(m_target.lockTimeoutMs))
        fail(m_lock->errorString() + QLatin1Char(' ') + refusal);
    // What killed saves left beside the file.
    ConfigFileInstaller::removeAbandoned(m_target.path);
}

void SaveTransaction::checkUnchanged(const std::string &loaded) const
{
    // Another editor may have changed smb.conf since it was loaded; writing our document
    // over it would silently undo that.
    bool same = false;
    QString error;
    if (!ConfigFileInstaller::holds(m_target.path, loaded, same, error))
        fail(Messages::tr("Can't read %1: %2.").arg(m_target.path, error));
    if (!same)
        throw ConfigChangedError(changedText().toStdString());
}

QString SaveTransaction::changedText() const
{
    // A Shareward that changed the file recorded what it installed: named, the administrator
    // knows whose edit to look at before reloading.
    if (ConfigHistory *history = m_target.history) {
        const ConfigHistory::Version newest = history->versions(historyFile(m_target.path)).value(0);
        std::string bytes;
        bool same = false;
        QString error;
        if (newest.number > 0 && newest.summary != ConfigHistory::outsideChangeSummary()
            && history->read(newest.number, bytes)
            && ConfigFileInstaller::holds(m_target.path, bytes, same, error) && same)
            return Messages::tr(
                       "smb.conf was changed by %1 (%2, at %3) after it was loaded. Reload it before "
                       "saving.")
                .arg(newest.program, newest.user,
                     newest.time.toLocalTime().toString(QStringLiteral("HH:mm:ss")));
    }
    return ConfigChangedError::fileChangedText();
}

TestParmResult SaveTransaction::judge(const std::string &text) const
{
    ConfigFileInstaller installer(m_target.path);
    TestParmResult result;
    if (!installer.withTemporaryCopy(text, [&](const QString &path) {
            result = TestParm(m_target.testparmProgram).checkConf(path);
        })) {
        TestParmResult failed;
        failed.status = TestParmResult::Failed;
        failed.output = installer.errorString();
        throw Refusal(failed);
    }
    if (result.status == TestParmResult::Failed || result.status == TestParmResult::Errors)
        throw Refusal(result);
    return result;
}

TestParmResult SaveTransaction::judgeWithRegistry(const std::string &effective,
                                                  const std::string &registry) const
{
    TestParmResult verdict = judge(effective);
    const std::string said = verdict.output.toStdString();
    if (!RegistryConfig::unknownParameter(said, registry).empty()
        || !RegistryConfig::globalInShare(said, registry).empty()) {
        verdict.status = TestParmResult::Errors;
        throw Refusal(verdict);
    }
    return verdict;
}

std::string SaveTransaction::changeRegistry(RegistryStore &store, const std::string &after, bool replace)
{
    m_registryKept = 0;
    m_listed = false;
    if (ConfigHistory *history = m_target.history) {
        m_registryKept =
            history->recordOutsideChange(registryHistoryFile(m_target.path), store.text(), m_target.program);
        if (!m_registryKept && m_outcome.historyError.isEmpty())
            m_outcome.historyError = history->errorString();
    }
    store.apply(after, replace, m_registryKept);
    m_registry = &store;
    m_outcome.registryChanged = true;
    // What net made of it, for the history and as the registry loaded after the save. The
    // change is made: when net cannot list it now, it holds what was asked for.
    try {
        m_registryListed = store.list();
        m_listed = true;
    } catch (const std::runtime_error &error) {
        if (m_target.history)
            m_outcome.historyError = QString::fromStdString(error.what());
        m_registryListed = after;
    }
    return m_registryListed;
}

void SaveTransaction::install(const std::string &text, const QString &summary, const std::string *loaded)
{
    try {
        ConfigFileInstaller installer(m_target.path);
        if (!installer.open() || !installer.writeData(text))
            fail(installer.errorString() + QLatin1Char(' ') + Messages::tr("No data will be saved."));

        // testparm reads the file while it goes to disk and the history keeps the file it
        // replaces (first, so that the history has no gaps).
        auto synced = std::async(std::launch::async, [this, &installer, loaded] {
            const bool done = installer.sync();
            m_outcome.historyError.clear();
            if (loaded)
                recordOutsideChange(*loaded);
            return done;
        });
        const TestParmResult result = TestParm(m_target.testparmProgram).checkConf(installer.temporaryPath());
        if (!synced.get()) {
            installer.discard();
            fail(installer.errorString() + QLatin1Char(' ') + Messages::tr("No data will be saved."));
        }
        if (result.status == TestParmResult::Failed || result.status == TestParmResult::Errors) {
            installer.discard();
            throw Refusal(result);
        }
        // A change made while testparm was checking must not be lost either.
        if (loaded) {
            try {
                checkUnchanged(*loaded);
            } catch (...) {
                installer.discard();
                throw;
            }
        }
        if (!installer.install())
            fail(installer.errorString());
    } catch (const std::runtime_error &error) {
        if (!m_registry)
            throw;
        m_registry->putBackAndFail(QString::fromStdString(error.what()), m_registryKept);
    }
    m_outcome.installed = true;

    if (ConfigHistory *history = m_target.history; history
        && !history->record(historyFile(m_target.path), text, summary, m_target.program)
        && m_outcome.historyError.isEmpty())
        m_outcome.historyError = history->errorString();
}

void SaveTransaction::recordRegistry(const QString &summary)
{
    ConfigHistory *history = m_target.history;
    if (history && m_listed
        && !history->record(registryHistoryFile(m_target.path), m_registryListed, summary, m_target.program)
        && m_outcome.historyError.isEmpty())
        m_outcome.historyError = history->errorString();
}

void SaveTransaction::recordOutsideChange(const std::string &loaded)
{
    m_outcome.historyError.clear();
    if (ConfigHistory *history = m_target.history;
        history && !history->recordOutsideChange(historyFile(m_target.path), loaded, m_target.program))
        m_outcome.historyError = history->errorString();
}
