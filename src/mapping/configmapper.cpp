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
    return SaveTransaction::registryHistoryFile(configPath);
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

SaveTransaction::Target ConfigMapper::saveTarget() const
{
    SaveTransaction::Target target;
    target.path = m_path;
    target.testparmProgram = m_testparmProgram;
    target.lockDirectory = m_lockDirectory;
    target.lockTimeoutMs = m_lockTimeoutMs;
    target.lockHeldByCaller = m_lockHeldByCaller;
    target.history = m_history;
    target.program = m_program;
    return target;
}

void ConfigMapper::begin(SaveTransaction &transaction, const QString &refusal)
{
    if (m_stale)
        throw std::logic_error("smb.conf must be loaded again after a save that did not read it back");
    transaction.lock(refusal);
    if (m_loaded)
        transaction.checkUnchanged(m_document.bytes());
    m_outcome = SaveTransaction::Outcome();
    m_lastChanges = ConfigChanges();
    m_replacedText.clear();
}

void ConfigMapper::setHistory(ConfigHistory *history, const QString &program)
{
    m_history = history;
    m_program = program;
}

void ConfigMapper::recordOutsideChange()
{
    m_outcome.historyError.clear();
    if (m_loaded)
        SaveTransaction(saveTarget(), m_outcome).recordOutsideChange(m_document.bytes());
}

ConfigMapper::Preview ConfigMapper::preview(const SambaSettings &settings, const QList<Share> &shares)
{
    SaveTransaction transaction(saveTarget(), m_outcome);
    if (m_loaded)
        transaction.checkUnchanged(m_document.bytes());
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
            ? transaction.judgeWithRegistry(
                RegistryConfig::effectiveText(m_registryUse, preview.proposed, registry), registry)
            : transaction.judge(preview.proposed);
    } catch (const Refusal &refusal) {
        preview.verdict = refusal.verdict;
    }
    return preview;
}

void ConfigMapper::save(const SambaSettings &settings, QList<Share> &shares)
{
    SaveTransaction transaction(saveTarget(), m_outcome);
    begin(transaction, Messages::tr("No data will be saved."));
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
        transaction.judgeWithRegistry(
            RegistryConfig::effectiveText(m_registryUse, fileChanged ? text : m_document.bytes(), registry),
            registry);
        listed = transaction.changeRegistry(*m_registry, registry, false);
        registrySummary = changes.summary();
        m_lastChanges = changes;
    }
    if (fileChanged) {
        m_lastChanges = ConfigChanges::between(m_document, m_records.tables(), text);
        transaction.install(text, m_lastChanges.summary(), m_loaded ? &m_document.bytes() : nullptr);
    }
    if (registryChanged)
        transaction.recordRegistry(registrySummary);
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

void ConfigMapper::restore(const std::string &bytes, const QString &summary)
{
    SaveTransaction transaction(saveTarget(), m_outcome);
    begin(transaction, Messages::tr("Nothing is restored."));
    m_lastChanges = ConfigChanges::between(m_document.bytes(), bytes);
    if (m_loaded && bytes == m_document.bytes()) {
        m_replacedText = bytes;
        return; // smb.conf is that version already
    }
    transaction.install(bytes, summary, m_loaded ? &m_document.bytes() : nullptr);
    m_replacedText = m_document.takeBytes();
    m_document.load(bytes);
    m_loaded = true;
    m_records.load();
    m_records.setLoadedSettings(ConfigReader(m_records.tables()).readSettings());
}

template<typename Plan>
ConfigMapper::Transfer ConfigMapper::planTransfer(const Plan &plan) const
{
    const ConfigTransfer::Loaded loaded{m_document,   m_records.tables(), m_path,           m_testparmProgram,
                                        m_netProgram, m_registryUse,      m_registry.get(), m_registryError};
    return plan(ConfigTransfer(loaded));
}

ConfigMapper::Transfer ConfigMapper::moveShare(const QString &name, Share::StoredIn to)
{
    if (m_registry) {
        m_document.discardEdits();
        m_registry->document().discardEdits();
    }
    return planTransfer([&](const ConfigTransfer &transfer) { return transfer.moveShare(name, to); });
}

ConfigMapper::Transfer ConfigMapper::storeAllInRegistry(UnusedRegistry unused)
{
    return planTransfer([&](const ConfigTransfer &transfer) { return transfer.storeAllInRegistry(unused); });
}

ConfigMapper::Transfer ConfigMapper::restoreRegistry(const std::string &registryText, const QString &summary)
{
    return planTransfer(
        [&](const ConfigTransfer &transfer) { return transfer.restoreRegistry(registryText, summary); });
}

SambaSettings ConfigMapper::applyTransfer(const Transfer &transfer)
{
    SaveTransaction transaction(saveTarget(), m_outcome);
    begin(transaction, Messages::tr("Nothing is changed."));
    if (transfer.fileBefore != m_document.bytes())
        throw ConfigChangedError::fileChanged();
    // A store of its own when the registry was not read with smb.conf.
    std::unique_ptr<RegistryStore> own;
    RegistryStore *store = m_registry.get();
    if (!store) {
        own = std::make_unique<RegistryStore>(m_netProgram, m_path);
        own->load();
        store = own.get();
    }
    if (store->text() != transfer.registryBefore)
        throw ConfigChangedError::registryChanged();
    // A store of its own was just listed.
    if (!own)
        store->checkUnchanged();

    const bool fileChanged = transfer.fileAfter != transfer.fileBefore;
    const bool registryChanged = transfer.registryAfter != transfer.registryBefore;
    // net conf import takes them, but an include makes the registry include itself, and the
    // others end the import half-way with the registry emptied.
    if (const std::string refused = RegistryConfig::refusedParameter(transfer.registryAfter);
        !refused.empty())
        fail(Messages::tr("The registry configuration cannot hold \"%1\": nothing is changed.")
                 .arg(ConfigValues::decode(refused)));
    if (registryChanged) {
        // Samba reads the registry as the new smb.conf leads it there.
        ConfigDocument file;
        file.load(transfer.fileAfter);
        ConfigTables tables;
        tables.build(file);
        RegistryConfig::Use use = RegistryConfig::useOf(file, tables);
        transaction.judgeWithRegistry(
            RegistryConfig::effectiveText(use == RegistryConfig::NotUsed ? RegistryConfig::Included : use,
                                          transfer.fileAfter, transfer.registryAfter),
            transfer.registryAfter);
        transaction.changeRegistry(*store, transfer.registryAfter, transfer.replaceRegistry);
        m_lastChanges = ConfigChanges::between(transfer.registryBefore, transfer.registryAfter);
    }
    if (fileChanged) {
        transaction.install(transfer.fileAfter, transfer.summary, m_loaded ? &transfer.fileBefore : nullptr);
        m_lastChanges = ConfigChanges::between(transfer.fileBefore, transfer.fileAfter);
        m_replacedText = transfer.fileBefore;
    }
    if (registryChanged)
        transaction.recordRegistry(transfer.summary);
    return loadGlobal();
}
