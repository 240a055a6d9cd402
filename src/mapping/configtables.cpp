#include "configtables.h"

#include "configdocument.h"
#include "configvalues.h"

namespace {

constexpr std::size_t scanLimit = 32;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A bit for a key in any spelling of blanks and case, from its length and last letter
// in lookup form; keys that share it only cost a comparison.
std::uint64_t keyBit(std::string_view key)
{
    unsigned length = 0;
    unsigned last = 0;
    for (char c : key) {
        if (isBlank(c))
            continue;
        ++length;
        last = static_cast<unsigned char>(c) | 0x20u;
    }
    return std::uint64_t(1) << ((length * 131u + last) % 64u);
}

} // namespace

const ConfigTables::Entry *ConfigTables::Section::find(std::string_view key) const
{
    if ((m_keyBits & keyBit(key)) == 0)
        return nullptr;
    if (m_index) {
        const auto found = m_index->find(ConfigValues::lookupKey(key));
        return found == m_index->end() ? nullptr : &entries[found->second];
    }
    for (const Entry &entry : entries) {
        if (ConfigValues::sameKey(key, entry.key))
            return &entry;
    }
    return nullptr;
}

void ConfigTables::Section::set(std::string key, std::string value)
{
    m_keyBits |= keyBit(key);
    // A later line wins over an earlier one with the same canonical key.
    if (m_index) {
        const auto found = m_index->find(key);
        if (found != m_index->end()) {
            entries[found->second].value = std::move(value);
            return;
        }
        m_index->emplace(key, entries.size());
        entries.push_back({std::move(key), std::move(value)});
        return;
    }
    for (Entry &entry : entries) {
        if (entry.key == key) {
            entry.value = std::move(value);
            return;
        }
    }
    entries.push_back({std::move(key), std::move(value)});
    if (entries.size() > scanLimit) {
        m_index = std::make_unique<std::unordered_map<std::string, std::size_t>>();
        for (std::size_t i = 0; i < entries.size(); ++i)
            m_index->emplace(entries[i].key, i);
    }
}

void ConfigTables::build(const ConfigDocument &document)
{
    m_sections.clear();
    m_byKey.clear();
    Section *current = nullptr;
    auto sectionFor = [this](std::string key) -> Section & {
        const auto [found, added] = m_byKey.emplace(key, m_sections.size());
        if (added) {
            m_sections.emplace_back();
            m_sections.back().key = std::move(key);
        }
        return m_sections[found->second];
    };
    auto close = [&current](std::size_t end) {
        if (current)
            current->occurrences.back().end = end;
    };

    const std::size_t read = document.readLines();
    // Sized once: growing a table of 100,000 names rehashes it again and again.
    std::size_t headers = 1;
    for (std::size_t i = 0; i < read; ++i)
        headers += document.line(i).kind == ConfigLine::Section;
    m_sections.reserve(headers);
    m_byKey.reserve(headers);
    for (std::size_t i = 0; i < read; ++i) {
        const ConfigLine &line = document.line(i);
        if (line.kind == ConfigLine::Section) {
            close(i);
            std::string name = document.name(i);
            current = &sectionFor(ConfigValues::sectionKey(name));
            current->name = std::move(name);
            current->occurrences.push_back({i, read});
        } else if (line.kind == ConfigLine::Parameter) {
            if (!current) {
                // Samba reads parameters before any header as global ones.
                current = &sectionFor("global");
                if (current->name.empty())
                    current->name = "global";
                current->occurrences.push_back({noHeader, read});
            }
            std::string key = line.continued ? ConfigValues::lookupKey(document.name(i))
                                             : ConfigValues::lookupKey(document.rawName(i));
            std::string value = document.value(i);
            if (ConfigValues::isWritableFamily(key))
                value = ConfigValues::invertBool(value);
            const std::string_view canonical = ConfigValues::canonicalOf(key);
            if (canonical.size() != key.size() || canonical != key)
                key = std::string(canonical);
            current->set(std::move(key), std::move(value));
        }
    }
    close(read);
}

const ConfigTables::Section *ConfigTables::find(std::string_view key) const
{
    const auto found = m_byKey.find(std::string(key));
    return found == m_byKey.end() ? nullptr : &m_sections[found->second];
}
