#include "configmapper.h"

#include "configdocument.h"
#include "configfileinstaller.h"
#include "configfilelock.h"
#include "confighistory.h"
#include "configreader.h"
#include "configvalues.h"
#include "configwriter.h"
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

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

// A line break in a section name would end the header and start lines of its own.
void refuseSectionName(const QString &name)
{
    if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
        fail(Messages::tr("The share name \"%1\" contains a line break and cannot be written to smb.conf.")
                 .arg(QString(name)
                          .replace(QLatin1Char('\n'), QLatin1Char(' '))
                          .replace(QLatin1Char('\r'), QLatin1Char(' '))));
}

} // namespace

ConfigMapper::ConfigMapper(ConfigDocument &document, const QString &path, const QString &testparmProgram)
    : m_document(document)
    , m_path(path)
    , m_testparmProgram(testparmProgram)
    , m_lockDirectory(ConfigFileLock::defaultDirectory())
{
}

void ConfigMapper::readTables()
{
    m_tables.build(m_document);
    indexTables();
}

void ConfigMapper::indexTables()
{
    m_decodedNames.clear();
    for (const ConfigTables::Section &section : m_tables.sections()) {
        if (!ConfigValues::isAscii(section.name))
            m_decodedNames.insert(ConfigValues::decode(section.name), section.name);
    }
    m_loadedShares.clear();
    m_loadedShareOf.assign(m_tables.sections().size(), -1);
    m_loadedSectionOf.clear();
    m_someSharesLoaded = false;
}

std::string ConfigMapper::sectionOf(const QString &recordName) const
{
    // A section name that is not UTF-8 is found by the bytes the file holds.
    if (m_decodedNames.isEmpty())
        return ConfigValues::encode(recordName);
    const auto found = m_decodedNames.constFind(recordName);
    return found == m_decodedNames.constEnd() ? ConfigValues::encode(recordName) : *found;
}

const ConfigTables::Section *ConfigMapper::sectionOfRecord(const QString &recordName) const
{
    if (recordName.isEmpty())
        return nullptr;
    return m_tables.find(ConfigValues::sectionKey(sectionOf(recordName)));
}

SambaSettings ConfigMapper::loadGlobal()
{
    std::string bytes;
    QString error;
    if (!ConfigFileInstaller::readFile(m_path, bytes, error))
        fail(Messages::tr("Can't open %1: %2.").arg(m_path, error));
    m_document.load(std::move(bytes));
    m_loaded = true;
    m_stale = false;
    readTables();
    m_loadedSettings = ConfigReader(m_tables).readSettings();
    return m_loadedSettings;
}

QList<Share> ConfigMapper::loadShares(const GlobalShare &global) const
{
    // Shares come in the byte order of their lower-cased section names.
    const std::vector<ConfigTables::Section> &sections = m_tables.sections();
    std::vector<const ConfigTables::Section *> order = m_tables.byName();
    order.erase(std::remove_if(order.begin(), order.end(),
                               [](const ConfigTables::Section *section) { return !section->isShare(); }),
                order.end());

    const ConfigReader reader(m_tables);
    QList<Share> shares;
    shares.reserve(static_cast<int>(order.size()));
    m_loadedShareOf.assign(sections.size(), -1);
    m_loadedSectionOf.clear();
    m_loadedSectionOf.reserve(order.size());
    for (const ConfigTables::Section *section : order) {
        m_loadedShareOf[m_tables.indexOf(section)] = shares.size();
        m_loadedSectionOf.push_back(m_tables.indexOf(section));
        shares.append(reader.readShare(*section, global));
    }
    m_loadedShares = shares;
    m_someSharesLoaded = false;
    return shares;
}

std::optional<Share> ConfigMapper::loadShare(const GlobalShare &global, const QString &name) const
{
    m_someSharesLoaded = true;
    const QString wanted = name.trimmed();
    const ConfigTables::Section *section = nullptr;
    if (m_decodedNames.isEmpty() && ConfigValues::isAscii(ConfigValues::encode(wanted))) {
        section = m_tables.find(ConfigValues::sectionKey(ConfigValues::encode(wanted)));
    } else {
        // Names beyond ASCII compare as Qt compares them, in the order of the share list.
        for (const ConfigTables::Section *candidate : m_tables.byName()) {
            if (candidate->isShare()
                && ConfigValues::decode(candidate->name).compare(wanted, Qt::CaseInsensitive) == 0) {
                section = candidate;
                break;
            }
        }
    }
    if (!section || !section->isShare())
        return std::nullopt;
    const std::size_t index = m_tables.indexOf(section);
    if (m_loadedShareOf[index] >= 0)
        return m_loadedShares.at(m_loadedShareOf[index]);
    Share share = ConfigReader(m_tables).readShare(*section, global);
    m_loadedShareOf[index] = m_loadedShares.size();
    m_loadedSectionOf.push_back(index);
    m_loadedShares.append(share);
    return share;
}

void ConfigMapper::readShares(const GlobalShare &global, const std::function<void(const Share &)> &use) const
{
    const ConfigReader reader(m_tables);
    for (const ConfigTables::Section *section : m_tables.byName()) {
        if (section->isShare())
            use(reader.readShare(*section, global));
    }
}

QStringList ConfigMapper::shareNames() const
{
    QStringList names;
    for (const ConfigTables::Section *section : m_tables.byName()) {
        if (section->isShare())
            names << ConfigValues::decode(section->name);
    }
    return names;
}

bool ConfigMapper::applyRecords(const SambaSettings &settings, const QList<Share> &shares)
{
    m_document.discardEdits();
    // Refused before the document is touched; values are checked as they are written.
    for (const Share &share : shares)
        refuseSectionName(share.name());
    try {
        ConfigWriter writer(m_document, m_tables);
        writer.writeGlobal(settings, m_loadedSettings);
        std::vector<bool> kept(m_tables.sections().size(), false);
        // The list is usually the loaded one with a few shares added, deleted or renamed:
        // follow the loaded order and look a section up only where it differs.
        int next = 0;
        for (const Share &share : shares) {
            const ConfigTables::Section *section = nullptr;
            const Share *loaded = nullptr;
            if (next < m_loadedShares.size() && !share.originalName().isEmpty()
                && m_loadedShares.at(next).originalName() == share.originalName()) {
                loaded = &m_loadedShares.at(next);
                section = &m_tables.sections()[m_loadedSectionOf[static_cast<std::size_t>(next++)]];
            } else if ((section = sectionOfRecord(share.originalName()))) {
                const int index = m_loadedShareOf[m_tables.indexOf(section)];
                if (index >= 0) {
                    loaded = &m_loadedShares.at(index);
                    next = index + 1;
                }
            }
            if (section)
                kept[m_tables.indexOf(section)] = true;
            writer.writeShare(share, section, loaded, settings, m_loadedSettings);
        }
        // Sections of shares deleted in the tool go, with all they hold; sections that
        // were not loaded as records (no parameters) stay.
        for (std::size_t i = 0; i < kept.size(); ++i) {
            const ConfigTables::Section &section = m_tables.sections()[i];
            if (!kept[i] && section.isShare() && m_loadedShareOf[i] >= 0)
                writer.removeSection(section);
        }
        writer.finish();
    } catch (...) {
        m_document.discardEdits();
        throw;
    }
    return m_document.modified();
}

namespace {

void addModuleNames(const Share &share, QSet<QString> &names)
{
    for (const auto &module : share.vfsModuleList())
        names.insert(module->name());
}

} // namespace

QStringList ConfigMapper::modulesAdded(const SambaSettings &settings, const QList<Share> &shares) const
{
    QSet<QString> loaded;
    if (m_loadedSettings.global())
        addModuleNames(*m_loadedSettings.global(), loaded);
    for (const Share &share : m_loadedShares)
        addModuleNames(share, loaded);
    if (m_someSharesLoaded) {
        const ConfigReader reader(m_tables);
        for (const ConfigTables::Section &section : m_tables.sections()) {
            if (section.isShare() && m_loadedShareOf[m_tables.indexOf(&section)] < 0
                && section.find("vfs objects"))
                addModuleNames(reader.readShare(section, *m_loadedSettings.global()), loaded);
        }
    }
    QSet<QString> named;
    if (settings.global())
        addModuleNames(*settings.global(), named);
    for (const Share &share : shares)
        addModuleNames(share, named);
    QStringList added = (named - loaded).values();
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
        throw ConfigChangedError(
            Messages::tr(
                "smb.conf was changed by another program after it was loaded. Reload it before saving.")
                .toStdString());
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
    preview.proposed = m_document.text();
    m_document.discardEdits();
    preview.changes = ConfigChanges::between(preview.current, preview.proposed);
    // Judged where the save would judge it: beside smb.conf, so that relative includes
    // resolve alike.
    ConfigFileInstaller installer(m_path);
    if (!installer.open() || !installer.write(preview.proposed)) {
        preview.verdict.status = TestParmResult::Failed;
        preview.verdict.output = installer.errorString();
        return preview;
    }
    preview.verdict = TestParm(m_testparmProgram).checkConf(installer.temporaryPath());
    installer.discard();
    return preview;
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
    if (result.status == TestParmResult::Failed || result.status == TestParmResult::Errors)
        installer.discard();
    if (result.status == TestParmResult::Failed) {
        fail(QStringList{Messages::tr("Failed to run testparm."),
                         Messages::tr("Samba configuration will not be saved."), result.output}
                 .join(QLatin1Char('\n')));
    }
    if (result.status == TestParmResult::Errors) {
        fail(QStringList{Messages::tr("Samba configuration file contains errors."),
                         Messages::tr("Samba configuration will not be saved."),
                         Messages::tr("testparm output is:"), result.output}
                 .join(QLatin1Char('\n')));
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
    if (!lock.acquire(m_lockTimeoutMs))
        fail(lock.errorString() + QLatin1Char(' ') + refusal);
    if (m_loaded)
        checkUnchanged();
    m_historyError.clear();
    m_lastChanges = ConfigChanges();
    m_replacedText.clear();
    m_installed = false;
}

void ConfigMapper::save(const SambaSettings &settings, QList<Share> &shares)
{
    ConfigFileLock lock(ConfigFileInstaller(m_path).targetPath(), m_lockDirectory);
    beginInstall(lock, Messages::tr("No data will be saved."));
    if (!applyRecords(settings, shares))
        return; // nothing changed: nothing is written, checked or renamed

    std::string text = m_document.text();
    m_document.discardEdits();
    m_lastChanges = ConfigChanges::between(m_document, m_tables, text);
    install(text, m_lastChanges.summary(), m_document.bytes());
    for (Share &share : shares)
        share.setOriginalName(share.name());
    if (!m_readsBack) {
        m_stale = true;
        return;
    }

    // The file installed is now the file as loaded, and the records saved the loaded ones.
    m_replacedText = m_document.takeBytes();
    m_document.load(std::move(text));
    m_tables.build(m_document);
    const bool someSharesLoaded = m_someSharesLoaded;
    indexTables();
    m_someSharesLoaded = someSharesLoaded;
    m_loadedSettings = settings;
    // Shares whose section is not found (none should be) are dropped from the loaded ones.
    m_loadedShares.clear();
    m_loadedShares.reserve(shares.size());
    for (const Share &share : qAsConst(shares)) {
        if (const ConfigTables::Section *section = sectionOfRecord(share.name())) {
            m_loadedShareOf[m_tables.indexOf(section)] = m_loadedShares.size();
            m_loadedSectionOf.push_back(m_tables.indexOf(section));
            m_loadedShares.append(share);
        }
    }
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
    readTables();
    m_loadedSettings = ConfigReader(m_tables).readSettings();
}
