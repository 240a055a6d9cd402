#include "recordmapper.h"

#include "configdocument.h"
#include "configreader.h"
#include "configvalues.h"
#include "configwriter.h"

#include <algorithm>

namespace {

void addModuleNames(const Share &share, QSet<QString> &names)
{
    for (const auto &module : share.vfsModuleList())
        names.insert(module->name());
}

} // namespace

RecordMapper::RecordMapper(ConfigDocument &document)
    : m_document(document)
{
}

void RecordMapper::load()
{
    m_tables.build(m_document);
    indexTables();
}

void RecordMapper::indexTables()
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

std::string RecordMapper::sectionOf(const QString &recordName) const
{
    // A section name that is not UTF-8 is found by the bytes the document holds.
    if (m_decodedNames.isEmpty())
        return ConfigValues::encode(recordName);
    const auto found = m_decodedNames.constFind(recordName);
    return found == m_decodedNames.constEnd() ? ConfigValues::encode(recordName) : *found;
}

const ConfigTables::Section *RecordMapper::sectionOfRecord(const QString &recordName) const
{
    if (recordName.isEmpty())
        return nullptr;
    return m_tables.find(ConfigValues::sectionKey(sectionOf(recordName)));
}

QList<Share> RecordMapper::loadShares(const GlobalShare &global) const
{
    // Shares come in the byte order of their lower-cased section names.
    std::vector<const ConfigTables::Section *> order = m_tables.byName();
    order.erase(std::remove_if(order.begin(), order.end(),
                               [](const ConfigTables::Section *section) { return !section->isShare(); }),
                order.end());

    const ConfigReader reader(m_tables);
    QList<Share> shares;
    shares.reserve(static_cast<int>(order.size()));
    m_loadedShareOf.assign(m_tables.sections().size(), -1);
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

const ConfigTables::Section &RecordMapper::loadedSection(int i) const
{
    return m_tables.sections()[m_loadedSectionOf[static_cast<std::size_t>(i)]];
}

const ConfigTables::Section *RecordMapper::findShare(const QString &name) const
{
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
    return section && section->isShare() ? section : nullptr;
}

std::optional<Share> RecordMapper::loadShare(const GlobalShare &global, const QString &name) const
{
    m_someSharesLoaded = true;
    const ConfigTables::Section *section = findShare(name);
    if (!section)
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

void RecordMapper::readShares(const GlobalShare &global,
                              const std::function<void(Share &, const ConfigTables::Section &)> &use) const
{
    const ConfigReader reader(m_tables);
    for (const ConfigTables::Section *section : m_tables.byName()) {
        if (!section->isShare())
            continue;
        Share share = reader.readShare(*section, global);
        use(share, *section);
    }
}

QStringList RecordMapper::shareNames() const
{
    QStringList names;
    for (const ConfigTables::Section *section : m_tables.byName()) {
        if (section->isShare())
            names << ConfigValues::decode(section->name);
    }
    return names;
}

void RecordMapper::writeRecords(const SambaSettings &settings, const QList<Share> &shares)
{
    try {
        ConfigWriter writer(m_document, m_tables);
        writer.setGlobalKeyFilter(m_globalKeys);
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
            writer.writeShare(share, section, loaded, settings);
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
}

void RecordMapper::adoptSaved(const QList<Share> &shares, Share::StoredIn where)
{
    m_tables.build(m_document);
    const bool someSharesLoaded = m_someSharesLoaded;
    indexTables();
    m_someSharesLoaded = someSharesLoaded;
    // Shares whose section is not found (none should be) are dropped from the loaded ones.
    m_loadedShares.reserve(shares.size());
    for (const Share &share : shares) {
        if (share.storedIn() != where)
            continue;
        if (const ConfigTables::Section *section = sectionOfRecord(share.name())) {
            m_loadedShareOf[m_tables.indexOf(section)] = m_loadedShares.size();
            m_loadedSectionOf.push_back(m_tables.indexOf(section));
            m_loadedShares.append(share);
        }
    }
}

QSet<QString> RecordMapper::loadedShareModules() const
{
    QSet<QString> names;
    for (const Share &share : m_loadedShares)
        addModuleNames(share, names);
    return names;
}

QSet<QString> RecordMapper::loadedModules() const
{
    QSet<QString> names = loadedShareModules();
    if (m_loadedSettings.global())
        addModuleNames(*m_loadedSettings.global(), names);
    if (m_someSharesLoaded) {
        const ConfigReader reader(m_tables);
        for (const ConfigTables::Section &section : m_tables.sections()) {
            if (section.isShare() && m_loadedShareOf[m_tables.indexOf(&section)] < 0
                && section.find("vfs objects"))
                addModuleNames(reader.readShare(section, *m_loadedSettings.global()), names);
        }
    }
    return names;
}

QSet<QString> RecordMapper::modulesOf(const SambaSettings &settings, const QList<Share> &shares)
{
    QSet<QString> names;
    if (settings.global())
        addModuleNames(*settings.global(), names);
    for (const Share &share : shares)
        addModuleNames(share, names);
    return names;
}
