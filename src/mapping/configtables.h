#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ConfigDocument;

// What Samba reads in a document, section by section: the values in effect (the last line
// of a key wins, whatever its spelling) and where each section's lines are. Sections of one
// name in any letter case are one section, as they are to Samba; parameters before the
// first header belong to [global].
class ConfigTables
{
public:
    struct Entry
    {
        std::string key; // lookup form of the canonical key
        std::string value; // as Samba reads it; inverted for the "writable" spellings
    };
    // One run of lines of a section: its header and what follows up to the next header.
    struct Occurrence
    {
        std::size_t header; // noHeader for the parameters before the first header
        std::size_t end; // one past the last line
    };
    struct Section
    {
        std::string key; // ConfigValues::sectionKey of the name
        std::string name; // as the last header writes it, whitespace runs as one blank
        std::vector<Occurrence> occurrences;
        std::vector<Entry> entries;
        // The value in effect of a key given in any spelling ("read only", "Read Only").
        const Entry *find(std::string_view key) const;

    private:
        friend class ConfigTables;
        void set(std::string key, std::string value);
        // Large sections get an index; most hold a handful of keys and are scanned.
        std::unique_ptr<std::unordered_map<std::string, std::size_t>> m_index;
        // One bit per key present (see keyBit): most lookups are for keys that are not.
        std::uint64_t m_keyBits = 0;
    };

    static constexpr std::size_t noHeader = static_cast<std::size_t>(-1);

    void build(const ConfigDocument &document);

    const Section *find(std::string_view key) const;
    const Section *global() const { return find("global"); }
    // In file order of their first run.
    const std::vector<Section> &sections() const { return m_sections; }
    // In byte order of their keys.
    std::vector<const Section *> byName() const;
    std::size_t indexOf(const Section *section) const
    {
        return static_cast<std::size_t>(section - m_sections.data());
    }

private:
    struct Order
    {
        std::uint64_t prefix;
        std::uint32_t index;
    };

    std::vector<Section> m_sections;
    std::vector<Order> m_byName;
};
