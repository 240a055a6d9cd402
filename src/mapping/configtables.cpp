#include "configtables.h"

#include "configdocument.h"
#include "configvalues.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::size_t scanLimit = 32;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// A bit for a key in any spelling of blanks and case, from its first and last letters in
// lookup form; keys that share it only cost a comparison.
std::uint64_t keyBit(std::string_view key)
{
    std::size_t first = 0;
    while (first < key.size() && isBlank(key[first]))
        ++first;
    std::size_t last = key.size();
    while (last > first && isBlank(key[last - 1]))
        --last;
    if (first == last)
        return 1;
    const unsigned a = static_cast<unsigned char>(key[first]) | 0x20u;
    const unsigned b = static_cast<unsigned char>(key[last - 1]) | 0x20u;
    return std::uint64_t(1) << ((a * 31u + b) % 64u);
}

// The first eight bytes of a name as one number: ordering by it, then by the whole name,
// is byte order, and the number settles most comparisons.
std::uint64_t prefixOf(std::string_view name)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0u);
    return prefix;
}

} // namespace

template<typename Visit>
void ConfigTables::Section::forEachParameter(Visit &&visit) const
{
    const std::vector<std::uint32_t> &keys = m_tables->m_lineKeys;
    for (const Occurrence &run : occurrences) {
        for (std::size_t i = run.header == noHeader ? 0 : run.header + 1; i < run.end; ++i) {
            if (keys[i] != 0)
                visit(i);
        }
    }
}

std::size_t ConfigTables::Section::lastLineOf(std::string_view key) const
{
    if (m_parameters > scanLimit) {
        if (!m_index) {
            m_index = std::make_unique<std::unordered_map<std::string, std::size_t>>();
            forEachParameter([this](std::size_t line) { (*m_index)[m_tables->keyOf(line)] = line; });
        }
        const auto found = m_index->find(ConfigValues::lookupKey(key));
        return found == m_index->end() ? noHeader : found->second;
    }
    // A later line wins over an earlier one with the same canonical key.
    std::size_t last = noHeader;
    forEachParameter([&](std::size_t line) {
        if (ConfigValues::sameKey(key, m_tables->keyOf(line)))
            last = line;
    });
    return last;
}

std::optional<ConfigTables::Entry> ConfigTables::Section::find(std::string_view key) const
{
    if ((m_keyBits & keyBit(key)) == 0)
        return std::nullopt;
    const std::size_t line = lastLineOf(key);
    if (line == noHeader)
        return std::nullopt;
    return m_tables->entryOf(line);
}

std::vector<ConfigTables::Entry> ConfigTables::Section::entries() const
{
    std::vector<Entry> entries;
    std::unordered_map<std::string_view, std::size_t> position;
    const bool indexed = m_parameters > scanLimit;
    forEachParameter([&](std::size_t line) {
        const std::string &key = m_tables->keyOf(line);
        std::size_t at = entries.size();
        if (indexed) {
            const auto found = position.find(key);
            if (found != position.end())
                at = found->second;
            else
                position.emplace(key, at);
        } else {
            for (std::size_t i = 0; i < entries.size(); ++i) {
                if (entries[i].key == key) {
                    at = i;
                    break;
                }
            }
        }
        Entry entry = m_tables->entryOf(line);
        if (at == entries.size())
            entries.push_back(std::move(entry));
        else
            entries[at].value = std::move(entry.value);
    });
    return entries;
}

ConfigTables::Entry ConfigTables::entryOf(std::size_t line) const
{
    std::string value = m_document->value(line);
    if (m_lineKeys[line] & inverted)
        value = ConfigValues::invertBool(value);
    return {keyOf(line), std::move(value)};
}

ConfigTables &ConfigTables::operator=(ConfigTables &&other) noexcept
{
    m_document = other.m_document;
    m_sections = std::move(other.m_sections);
    m_byName = std::move(other.m_byName);
    m_occurrences = std::move(other.m_occurrences);
    m_lineKeys = std::move(other.m_lineKeys);
    m_keys = std::move(other.m_keys);
    for (Section &section : m_sections)
        section.setTables(this);
    other.m_sections.clear();
    other.m_byName.clear();
    other.m_occurrences.clear();
    other.m_lineKeys.clear();
    other.m_keys.clear();
    return *this;
}

void ConfigTables::build(const ConfigDocument &document)
{
    // One section per run of lines in file order first; then one sort by name groups the
    // runs of a name and gives the order of names that lookups and the share list use.
    m_document = &document;
    m_sections.clear();
    m_byName.clear();
    m_occurrences.clear();
    m_keys.clear();
    // The first run of each section as it is met, by section.
    std::vector<Occurrence> runs;
    const std::size_t read = document.readLines();
    m_lineKeys.assign(read, 0);
    std::size_t headers = 1;
    for (std::size_t i = 0; i < read; ++i)
        headers += document.line(i).kind == ConfigLine::Section;
    m_sections.reserve(headers);
    runs.reserve(headers);

    // Keys as written -> their canonical key: a file spells its keys in few ways.
    std::unordered_map<std::string_view, std::uint32_t> written;
    struct Recent
    {
        std::string_view key;
        std::uint32_t id = 0;
    };
    std::array<Recent, 64> recents{};
    std::unordered_map<std::string, std::uint32_t> canonicalIds;
    std::vector<std::uint64_t> bits;
    auto keyOf = [&](std::string_view key) {
        const std::string lookup = ConfigValues::lookupKey(key);
        std::string canonical(ConfigValues::canonicalOf(lookup));
        auto [at, added] = canonicalIds.try_emplace(canonical, static_cast<std::uint32_t>(m_keys.size() + 1));
        if (added) {
            bits.push_back(keyBit(canonical));
            m_keys.push_back(std::move(canonical));
        }
        return at->second | (ConfigValues::isWritableFamily(lookup) ? inverted : 0u);
    };

    Section *current = nullptr;
    for (std::size_t i = 0; i < read; ++i) {
        const ConfigLine &line = document.line(i);
        if (line.kind == ConfigLine::Section) {
            if (current)
                runs.back().end = i;
            m_sections.emplace_back();
            current = &m_sections.back();
            current->setTables(this);
            current->name = document.name(i);
            current->key = ConfigValues::sectionKey(current->name);
            runs.push_back({i, read});
        } else if (line.kind == ConfigLine::Parameter) {
            if (!current) {
                // Samba reads parameters before any header as global ones.
                m_sections.emplace_back();
                current = &m_sections.back();
                current->setTables(this);
                current->name = current->key = "global";
                runs.push_back({noHeader, read});
            }
            std::uint32_t id;
            if (line.continued) {
                id = keyOf(document.name(i));
            } else {
                // Sections repeat their keys in one order: the key of the line before last
                // so often comes again that it is tried first.
                const std::string_view raw = document.rawName(i);
                Recent &recent =
                    recents[(raw.size() * 31 + static_cast<unsigned char>(raw.back())) % recents.size()];
                if (recent.id != 0 && recent.key == raw) {
                    id = recent.id;
                } else {
                    const auto found = written.find(raw);
                    id = found != written.end() ? found->second
                                                : written.emplace(raw, keyOf(raw)).first->second;
                    recent = {raw, id};
                }
            }
            m_lineKeys[i] = id;
            current->addParameter(bits[(id & ~inverted) - 1]);
        }
    }
    if (current)
        runs.back().end = read;

    // Names compared by their first eight bytes as one number, then whole; equal names stay
    // in file order.
    std::vector<Order> order(m_sections.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = {prefixOf(m_sections[i].key), i};
    std::stable_sort(order.begin(), order.end(), [this](const Order &a, const Order &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        return m_sections[a.index].key < m_sections[b.index].key;
    });

    // A later run of a name joins the first: its lines follow, and its values win.
    std::vector<bool> merged(m_sections.size(), false);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> merges; // first, later: in file order
    bool anyMerged = false;
    m_byName.reserve(order.size());
    for (std::size_t i = 0; i < order.size();) {
        m_byName.push_back(order[i]);
        std::size_t j = i + 1;
        Section &first = m_sections[order[i].index];
        for (; j < order.size() && order[j].prefix == order[i].prefix
             && m_sections[order[j].index].key == first.key;
             ++j) {
            Section &later = m_sections[order[j].index];
            merges.emplace_back(order[i].index, order[j].index);
            first.absorb(later);
            first.name = std::move(later.name);
            merged[order[j].index] = true;
            anyMerged = true;
        }
        i = j;
    }
    // One array of runs, those of a section together: its own, then those of later runs of its
    // name in file order.
    std::stable_sort(merges.begin(), merges.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    m_occurrences.reserve(runs.size());
    std::vector<std::pair<std::size_t, std::size_t>> spans(m_sections.size());
    auto merge = merges.begin();
    for (std::uint32_t i = 0; i < m_sections.size(); ++i) {
        if (merged[i])
            continue;
        spans[i].first = m_occurrences.size();
        m_occurrences.push_back(runs[i]);
        for (; merge != merges.end() && merge->first == i; ++merge)
            m_occurrences.push_back(runs[merge->second]);
        spans[i].second = m_occurrences.size();
    }
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        m_sections[i].occurrences = Section::Occurrences(m_occurrences.data() + spans[i].first,
                                                         m_occurrences.data() + spans[i].second);
    }
    if (anyMerged) {
        std::vector<std::uint32_t> newIndex(m_sections.size());
        std::vector<Section> kept;
        kept.reserve(m_sections.size());
        for (std::size_t i = 0; i < m_sections.size(); ++i) {
            newIndex[i] = static_cast<std::uint32_t>(kept.size());
            if (!merged[i])
                kept.push_back(std::move(m_sections[i]));
        }
        m_sections = std::move(kept);
        for (Order &entry : m_byName)
            entry.index = newIndex[entry.index];
    }
}

const ConfigTables::Section *ConfigTables::find(std::string_view key) const
{
    const std::uint64_t prefix = prefixOf(key);
    const auto found = std::lower_bound(m_byName.begin(), m_byName.end(), key,
                                        [this, prefix](const Order &entry, std::string_view wanted) {
                                            if (entry.prefix != prefix)
                                                return entry.prefix < prefix;
                                            return std::string_view(m_sections[entry.index].key) < wanted;
                                        });
    if (found == m_byName.end() || m_sections[found->index].key != key)
        return nullptr;
    return &m_sections[found->index];
}

std::vector<const ConfigTables::Section *> ConfigTables::byName() const
{
    std::vector<const Section *> sections;
    sections.reserve(m_byName.size());
    for (const Order &entry : m_byName)
        sections.push_back(&m_sections[entry.index]);
    return sections;
}
