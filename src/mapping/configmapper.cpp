#include "configmapper.h"

#include "configdocument.h"
#include "configfileinstaller.h"
#include "configfilelock.h"
#include "confighistory.h"
#include "configreader.h"
#include "configtransfer.h"
#include "configvalues.h"
#include "configwriter.h"
#include "registrystore.h"
#include "testparm.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <future>
#include <stdexcept>

namespace {

// The messages' translation context.
struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(Audit)
};

// A line break in a section name would end the header and start lines of its own.
void refuseSectionName(const QString &name)
{
    if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
        fail(Messages::tr("The share name \"%1\" contains a line break and cannot be written to smb.conf.")
                 .arg(QString(name)
                          .replace(QLatin1Char('\n'), QLatin1Char(' '))
                          .replace(QLatin1Char('\r'), QLatin1Char(' '))));
}

// The file's and the registry's items, each in the byte order of their lower-cased section
// names, in one such order; the file's first where both have a name.
template<typename Item, typename NameOf>
QList<Item> mergedByName(const QList<Item> &file, const QList<Item> &registry, NameOf nameOf)
{
    auto key = [&nameOf](const Item &item) {
        return ConfigValues::sectionKey(ConfigValues::encode(nameOf(item)));
    };
    QList<Item> all;
    all.reserve(file.size() + registry.size());
    int r = 0;
    for (const Item &item : file) {
        while (r < registry.size() && key(registry.at(r)) < key(item))
            all.append(registry.at(r++));
        all.append(item);
    }
    while (r < registry.size())
        all.append(registry.at(r++));
    return all;
}

} // namespace

ConfigMapper::ConfigMapper(ConfigDocument &document, const QString &path, const QString &testparmProgram)
    : m_document(document)
    , m_path(path)
    , m_testparmProgram(testparmProgram)
    , m_lockDirectory(ConfigFileLock::defaultDirectory())
    , m_records(document)
{
}

ConfigMapper::~ConfigMapper() = default;

SambaSettings ConfigMapper::loadGlobal()
{
    std::string bytes;
    QString error;
    if (!ConfigFileInstaller::readFile(m_path, bytes, error))
        fail(Messages::tr("Can't open %1: %2.").arg(m_path, error));
    m_document.load(std::move(bytes));
    m_loaded = true;
    m_stale = false;
    m_records.load();
    const ConfigTables &fileTables = m_records.tables();

    m_registry.reset();
    m_registryError.clear();
    m_registryUse =
        m_netProgram.isEmpty() ? RegistryConfig::NotUsed : RegistryConfig::useOf(m_document, fileTables);
    if (m_registryUse != RegistryConfig::NotUsed) {
        auto store = std::make_unique<RegistryStore>(m_netProgram, m_path);
        try {
            store->load();
            m_registry = std::move(store);
        } catch (const std::runtime_error &error) {
            m_registryError = QString::fromStdString(error.what());
        }
    }
    if (m_registry && m_registryUse != RegistryConfig::SharesOnly) {
        // The settings in effect: the registry's globals count where Samba reads them.
        ConfigDocument effective;
        effective.load(RegistryConfig::effectiveText(m_registryUse, m_document.bytes(), m_registry->text()));
        ConfigTables tables;
        tables.build(effective);
        m_records.setLoadedSettings(ConfigReader(tables).readSettings());
    } else {
        m_records.setLoadedSettings(ConfigReader(fileTables).readSettings());
    }
    m_records.setGlobalKeyFilter(nullptr);
    m_readAfterRegistry.clear();
    if (m_registry && m_registryUse == RegistryConfig::Included) {
        // Lines after "include = registry" win over the registry's globals.
        bool after = false;
        for (const ConfigTables::Occurrence &run : fileTables.global()->occurrences) {
            for (std::size_t line = run.header == ConfigTables::noHeader ? 0 : run.header + 1;
                 line < run.end && line < m_document.readLines(); ++line) {
                if (m_document.line(line).kind != ConfigLine::Parameter)
                    continue;
                if (RegistryConfig::isRegistryInclude(m_document, line))
                    after = true;
                else if (after)
                    m_readAfterRegistry.insert(RegistryConfig::parameterOf(m_document, line).lookup);
            }
        }
    }
    if (m_registry) {
        m_registry->records().load();
        m_registry->records().setLoadedSettings(m_records.loadedSettings());
        m_registry->records().setGlobalKeyFilter(
            [this](std::string_view lookup) { return registryOwns(lookup); });
        m_records.setGlobalKeyFilter([this](std::string_view lookup) { return !registryOwns(lookup); });
    }
    return m_records.loadedSettings();
}

bool ConfigMapper::registryOwns(std::string_view lookup) const
{
    if (!m_registry || RegistryConfig::staysInFile(lookup))
        return false;
    switch (m_registryUse) {
    case RegistryConfig::Backend:
        return true;
    case RegistryConfig::Included: {
        // A key stays where Samba reads it last; a new one goes where the globals are kept.
        if (m_readAfterRegistry.count(std::string(lookup)))
            return false;
        const ConfigTables::Section *registry = m_registry->records().tables().global();
        if (registry && registry->find(lookup))
            return true;
        const ConfigTables::Section *file = m_records.tables().global();
        if (file && file->find(lookup))
            return false;
        return registry && registry->hasParameters();
    }
    case RegistryConfig::SharesOnly:
    case RegistryConfig::NotUsed:
        break;
    }
    return false;
}

std::string ConfigMapper::registryText() const
{
    return m_registry ? m_registry->text() : std::string();
}

QString ConfigMapper::registryHistoryFile(const QString &configPath)
{
    return QStringLiteral("registry:") + ConfigHistory::fileKey(configPath);
}

QString ConfigMapper::registryHistoryFile() const
{
    return registryHistoryFile(m_path);
}

const std::string &ConfigMapper::registryCurrent() const
{
    static const std::string none;
    return m_registry ? m_registry->text() : none;
}

std::string ConfigMapper::registryProposed() const
{
    if (!m_registry)
        return std::string();
    return m_registry->document().modified() ? m_registry->document().text() : m_registry->text();
}

QList<Share> ConfigMapper::loadShares(const GlobalShare &global) const
{
    QList<Share> shares = m_records.loadShares(global);
    if (!m_registry)
        return shares;

    // The registry's shares beside the file's, in one order of names.
    QList<Share> registry = m_registry->records().loadShares(global);
    for (Share &share : registry)
        share.setStoredIn(Share::StoredInRegistry);
    for (int i = 0; i < shares.size(); ++i)
        shares[i].setShadowed(shadowed(m_records.loadedSection(i)));
    return mergedByName(shares, registry, [](const Share &share) { return share.name(); });
}

bool ConfigMapper::shadowed(const ConfigTables::Section &section) const
{
    // Samba merges a share the registry defines too, the registry's values winning; with
    // config backend = registry it reads none of the file's.
    if (!m_registry)
        return false;
    if (m_registryUse == RegistryConfig::Backend)
        return true;
    const ConfigTables::Section *there = m_registry->records().tables().find(section.key);
    return there && there->isShare();
}

std::optional<Share> ConfigMapper::loadShare(const GlobalShare &global, const QString &name) const
{
    m_records.markSingleLoads();
    if (m_registry) {
        // The definition Samba serves.
        if (std::optional<Share> share = m_registry->records().loadShare(global, name)) {
            share->setStoredIn(Share::StoredInRegistry);
            return share;
        }
    }
    return m_records.loadShare(global, name);
}

void ConfigMapper::readShares(const GlobalShare &global, const std::function<void(const Share &)> &use) const
{
    m_records.readShares(global, [this, &use](Share &share, const ConfigTables::Section &section) {
        share.setShadowed(shadowed(section));
        use(share);
    });
    if (m_registry) {
        m_registry->records().readShares(global, [&use](Share &share, const ConfigTables::Section &) {
            share.setStoredIn(Share::StoredInRegistry);
            use(share);
        });
    }
}

QStringList ConfigMapper::shareNames() const
{
    const QStringList names = m_records.shareNames();
    if (!m_registry)
        return names;
    return mergedByName(names, m_registry->records().shareNames(), [](const QString &name) { return name; });
}

bool ConfigMapper::applyRecords(const SambaSettings &settings, const QList<Share> &shares)
{
    m_document.discardEdits();
    if (m_registry)
        m_registry->document().discardEdits();
    // Refused before the document is touched; values are checked as they are written.
    for (const Share &share : shares)
        refuseSectionName(share.name());
    const bool someInRegistry = std::any_of(shares.begin(), shares.end(), [](const Share &share) {
        return share.storedIn() == Share::StoredInRegistry;
    });
    if (someInRegistry && !m_registry)
        fail(Messages::tr("Samba's registry configuration was not read, so its shares cannot be saved. %1")
                 .arg(m_registryError));
    if (!m_registry) {
        m_records.writeRecords(settings, shares);
        return m_document.modified();
    }
    QList<Share> inFile;
    QList<Share> inRegistry;
    for (const Share &share : shares)
        (share.storedIn() == Share::StoredInRegistry ? inRegistry : inFile).append(share);
    m_records.writeRecords(settings, inFile);
    try {
        m_registry->records().writeRecords(settings, inRegistry);
    } catch (...) {
        m_document.discardEdits();
        throw;
    }
    return m_document.modified() || m_registry->document().modified();
}

QStringList ConfigMapper::modulesAdded(const SambaSettings &settings, const QList<Share> &shares) const
{
    QSet<QString> loaded = m_records.loadedModules();
    if (m_registry)
        loaded.unite(m_registry->records().loadedShareModules());
    QStringList added = (RecordMapper::modulesOf(settings, shares) - loaded).values();
    added.sort();
    return added;
}

void ConfigMapper::checkUnchanged() const
{
    checkUnchanged(m_document.bytes());
}

void ConfigMapper::checkUnchanged(const std::string &loaded) const
{
    // Another editor may have changed smb.conf since it was loaded; writing our document
    // over it would silently undo that.
    bool same = false;
    QString error;
    if (!ConfigFileInstaller::holds(m_path, loaded, same, error))
        fail(Messages::tr("Can't read %1: %2.").arg(m_path, error));
    if (!same)
        throw ConfigChangedError(changedText().toStdString());
}

QString ConfigMapper::changedText() const
{
    // A Shareward that changed the file recorded what it installed: named, the administrator
    // knows whose edit to look at before reloading.
    if (m_history) {
        const ConfigHistory::Version newest = m_history->versions(historyFile()).value(0);
        std::string bytes;
        bool same = false;
        QString error;
        if (newest.number > 0 && newest.summary != ConfigHistory::outsideChangeSummary()
            && m_history->read(newest.number, bytes) && ConfigFileInstaller::holds(m_path, bytes, same, error)
            && same)
            return Messages::tr(
                       "smb.conf was changed by %1 (%2, at %3) after it was loaded. Reload it before "
                       "saving.")
                .arg(newest.program, newest.user,
                     newest.time.toLocalTime().toString(QStringLiteral("HH:mm:ss")));
    }
    return ConfigChangedError::fileChangedText();
}

void ConfigMapper::setHistory(ConfigHistory *history, const QString &program)
{
    m_history = history;
    m_program = program;
}

QString ConfigMapper::historyFile() const
{
    return QFileInfo(m_path).absoluteFilePath();
}

void ConfigMapper::recordOutsideChange()
{
    recordOutsideChange(m_document.bytes());
}

void ConfigMapper::recordOutsideChange(const std::string &loaded)
{
    m_historyError.clear();
    if (m_history && m_loaded && !m_history->recordOutsideChange(historyFile(), loaded, m_program))
        m_historyError = m_history->errorString();
}

ConfigMapper::Preview ConfigMapper::preview(const SambaSettings &settings, const QList<Share> &shares)
{
    if (m_loaded)
        checkUnchanged();
    Preview preview;
    preview.current = m_document.bytes();
    if (!applyRecords(settings, shares)) {
        preview.proposed = preview.current;
        return preview;
    }
    preview.proposed = m_document.modified() ? m_document.text() : preview.current;
    m_document.discardEdits();
    preview.changes = ConfigChanges::between(preview.current, preview.proposed);
    const std::string registry = registryProposed();
    // Judged where the save would judge it: beside smb.conf, so that relative includes
    // resolve alike; with the registry's change, the whole configuration Samba would read.
    try {
        preview.verdict = registry != registryCurrent()
            ? judgeWithRegistry(RegistryConfig::effectiveText(m_registryUse, preview.proposed, registry),
                                registry)
            : judge(preview.proposed);
    } catch (const Refusal &refusal) {
        preview.verdict = refusal.verdict;
    }
    return preview;
}

ConfigMapper::Refusal::Refusal(const TestParmResult &result)
    : std::runtime_error(message(result).toStdString())
    , verdict(result)
{
}

QString ConfigMapper::Refusal::message(const TestParmResult &result)
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

TestParmResult ConfigMapper::judge(const std::string &text) const
{
    ConfigFileInstaller installer(m_path);
    if (!installer.open() || !installer.write(text)) {
        TestParmResult failed;
        failed.status = TestParmResult::Failed;
        failed.output = installer.errorString();
        throw Refusal(failed);
    }
    TestParmResult result = TestParm(m_testparmProgram).checkConf(installer.temporaryPath());
    installer.discard();
    if (result.status == TestParmResult::Failed || result.status == TestParmResult::Errors)
        throw Refusal(result);
    return result;
}

TestParmResult ConfigMapper::judgeWithRegistry(const std::string &effective,
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

void ConfigMapper::install(const std::string &text, const QString &summary, const std::string &loaded)
{
    ConfigFileInstaller installer(m_path);
    if (!installer.open() || !installer.writeData(text))
        fail(installer.errorString() + QLatin1Char(' ') + Messages::tr("No data will be saved."));

    // testparm reads the file while it goes to disk and the history keeps the file it replaces
    // (first, so that the history has no gaps).
    auto synced = std::async(std::launch::async, [this, &installer, &loaded] {
        const bool done = installer.sync();
        recordOutsideChange(loaded);
        return done;
    });
    const TestParmResult result = TestParm(m_testparmProgram).checkConf(installer.temporaryPath());
    if (!synced.get()) {
        installer.discard();
        fail(installer.errorString() + QLatin1Char(' ') + Messages::tr("No data will be saved."));
    }
    if (result.status == TestParmResult::Failed || result.status == TestParmResult::Errors) {
        installer.discard();
        throw Refusal(result);
    }
    // A change made while testparm was checking must not be lost either.
    if (m_loaded) {
        try {
            checkUnchanged(loaded);
        } catch (...) {
            installer.discard();
            throw;
        }
    }
    if (!installer.install())
        fail(installer.errorString());
    m_installed = true;

    if (m_history && !m_history->record(historyFile(), text, summary, m_program) && m_historyError.isEmpty())
        m_historyError = m_history->errorString();
}

void ConfigMapper::beginInstall(ConfigFileLock &lock, const QString &refusal)
{
    if (m_stale)
        throw std::logic_error("smb.conf must be loaded again after a save that did not read it back");
    // Saves of one file wait for each other, whichever program makes them.
    if (!m_lockHeldByCaller && !lock.acquire(m_lockTimeoutMs))
        fail(lock.errorString() + QLatin1Char(' ') + refusal);
    // What killed saves left beside the file.
    ConfigFileInstaller::removeAbandoned(m_path);
    if (m_loaded)
        checkUnchanged();
    m_historyError.clear();
    m_lastChanges = ConfigChanges();
    m_replacedText.clear();
    m_installed = false;
    m_registryChanged = false;
}

void ConfigMapper::save(const SambaSettings &settings, QList<Share> &shares)
{
    ConfigFileLock lock(ConfigFileInstaller(m_path).targetPath(), m_lockDirectory);
    beginInstall(lock, Messages::tr("No data will be saved."));
    // Samba reads both: a change here could be undone there, unseen.
    if (m_registryUse != RegistryConfig::NotUsed && !m_registry)
        fail(Messages::tr("Samba also reads its registry configuration, which could not be read: %1 "
                          "Nothing is saved until it can be read.")
                 .arg(m_registryError));
    if (m_registry)
        m_registry->checkUnchanged();
    if (!applyRecords(settings, shares))
        return; // nothing changed: nothing is written, checked or renamed

    const bool fileChanged = m_document.modified();
    std::string text = fileChanged ? m_document.text() : std::string();
    m_document.discardEdits();
    const bool registryChanged = m_registry && m_registry->document().modified();
    std::string listed;
    QString registrySummary;
    if (registryChanged) {
        const std::string registry = m_registry->document().text();
        m_registry->document().discardEdits();
        const ConfigChanges changes = ConfigChanges::between(m_registry->text(), registry);
        judgeWithRegistry(
            RegistryConfig::effectiveText(m_registryUse, fileChanged ? text : m_document.bytes(), registry),
            registry);
        listed = changeRegistry(*m_registry, registry, false);
        registrySummary = changes.summary();
        m_lastChanges = changes;
    }
    if (fileChanged) {
        m_lastChanges = ConfigChanges::between(m_document, m_records.tables(), text);
        try {
            install(text, m_lastChanges.summary(), m_document.bytes());
        } catch (const std::runtime_error &error) {
            if (!registryChanged)
                throw;
            m_registry->putBackAndFail(QString::fromStdString(error.what()), m_registryKept);
        }
    }
    if (registryChanged)
        recordRegistry(listed, registrySummary);
    for (Share &share : shares)
        share.setOriginalName(share.name());
    if (!m_readsBack) {
        m_stale = true;
        return;
    }

    if (registryChanged) {
        // The registry as net lists it now is the one loaded, and its records the saved ones.
        m_registry->load(std::move(listed));
        m_registry->records().load();
        m_registry->records().setLoadedSettings(settings);
        m_registry->records().loadShares(*settings.global());
    }
    m_records.setLoadedSettings(settings);
    if (!fileChanged)
        return;
    // The file installed is now the file as loaded, and the records saved the loaded ones.
    m_replacedText = m_document.takeBytes();
    m_document.load(std::move(text));
    m_records.adoptSaved(shares, Share::StoredInFile);
}

std::string ConfigMapper::changeRegistry(RegistryStore &store, const std::string &after, bool replace)
{
    m_registryKept = 0;
    m_registryListed = false;
    if (m_history) {
        m_registryKept = m_history->recordOutsideChange(registryHistoryFile(), store.text(), m_program);
        if (!m_registryKept && m_historyError.isEmpty())
            m_historyError = m_history->errorString();
    }
    store.apply(after, replace, m_registryKept);
    m_registryChanged = true;
    // What net made of it, for the history and as the registry loaded after the save. The
    // change is made: when net cannot list it now, it holds what was asked for.
    try {
        std::string listed = store.list();
        m_registryListed = true;
        return listed;
    } catch (const std::runtime_error &error) {
        if (m_history)
            m_historyError = QString::fromStdString(error.what());
        return after;
    }
}

void ConfigMapper::recordRegistry(const std::string &listed, const QString &summary)
{
    if (m_history && m_registryListed && !m_history->record(registryHistoryFile(), listed, summary, m_program)
        && m_historyError.isEmpty())
        m_historyError = m_history->errorString();
}

void ConfigMapper::restore(const std::string &bytes, const QString &summary)
{
    ConfigFileLock lock(ConfigFileInstaller(m_path).targetPath(), m_lockDirectory);
    beginInstall(lock, Messages::tr("Nothing is restored."));
    m_lastChanges = ConfigChanges::between(m_document.bytes(), bytes);
    if (m_loaded && bytes == m_document.bytes()) {
        m_replacedText = bytes;
        return; // smb.conf is that version already
    }
    install(bytes, summary, m_document.bytes());
    m_replacedText = m_document.takeBytes();
    m_document.load(bytes);
    m_loaded = true;
    m_records.load();
    m_records.setLoadedSettings(ConfigReader(m_records.tables()).readSettings());
}

ConfigMapper::Transfer ConfigMapper::moveShare(const QString &name, Share::StoredIn to)
{
    return ConfigTransfer(*this).moveShare(name, to);
}

ConfigMapper::Transfer ConfigMapper::storeAllInRegistry(UnusedRegistry unused)
{
    return ConfigTransfer(*this).storeAllInRegistry(unused);
}

ConfigMapper::Transfer ConfigMapper::restoreRegistry(const std::string &registryText, const QString &summary)
{
    return ConfigTransfer(*this).restoreRegistry(registryText, summary);
}

SambaSettings ConfigMapper::applyTransfer(const Transfer &transfer)
{
    return ConfigTransfer(*this).apply(transfer);
}
