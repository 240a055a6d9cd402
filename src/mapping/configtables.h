#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
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
        std::string_view key; // lookup form of the canonical key, held by the tables
        std::string value; // as Samba reads it; inverted for the "writable" spellings
    };
    // One run of lines of a section: its header and what follows up to the next header.
    struct Occurrence
    {
        std::size_t header; // noHeader for the parameters before the first header
        std::size_t end; // one past the last line
    };
    // A section's values are read from its lines when asked for: nothing per parameter is
    // kept but the key of each line, so tens of thousands of sections cost little.
    class Section
    {
    public:
        std::string key; // ConfigValues::sectionKey of the name
        std::string name; // as the last header writes it, whitespace runs as one blank
        // Its runs of lines in file order, held by the tables.
        class Occurrences
        {
        public:
            Occurrences() = default;
            Occurrences(const Occurrence *begin, const Occurrence *end)
                : m_begin(begin)
                , m_end(end)
            {
            }
            const Occurrence *begin() const { return m_begin; }
            const Occurrence *end() const { return m_end; }
            std::reverse_iterator<const Occurrence *> rbegin() const
            {
                return std::reverse_iterator<const Occurrence *>(m_end);
            }
            std::reverse_iterator<const Occurrence *> rend() const
            {
                return std::reverse_iterator<const Occurrence *>(m_begin);
            }
            const Occurrence &front() const { return *m_begin; }
            const Occurrence &back() const { return *(m_end - 1); }
            std::size_t size() const { return static_cast<std::size_t>(m_end - m_begin); }

        private:
            const Occurrence *m_begin = nullptr;
            const Occurrence *m_end = nullptr;
        };
        Occurrences occurrences;

        bool hasParameters() const { return m_keyBits != 0; }
        // A section that is a share to Samba: not [global], and not empty (Samba ignores those).
        bool isShare() const { return key != "global" && hasParameters(); }
        // The value in effect of a key given in any spelling ("read only", "Read Only").
        std::optional<Entry> find(std::string_view key) const;
        // Every key in effect and its value, in the order of the key's first line.
        std::vector<Entry> entries() const;

        // For the tables that build it (they hand out only const sections): the tables it
        // belongs to, a parameter line of the key of bit keyBit, and a later run of its name.
        void setTables(const ConfigTables *tables) { m_tables = tables; }
        void addParameter(std::uint64_t keyBit)
        {
            m_keyBits |= keyBit;
            ++m_parameters;
        }
        void absorb(const Section &later)
        {
            m_keyBits |= later.m_keyBits;
            m_parameters += later.m_parameters;
        }

    private:
        // The lines that hold parameters, in file order.
        template<typename Visit>
        void forEachParameter(Visit &&visit) const;
        std::size_t lastLineOf(std::string_view key) const;

        const ConfigTables *m_tables = nullptr;
        std::uint32_t m_parameters = 0;
        // One bit per key present (see keyBit): most lookups are for keys that are not.
        std::uint64_t m_keyBits = 0;
        // Large sections get an index on first use: key -> its last line.
        mutable std::unique_ptr<std::unordered_map<std::string, std::size_t>> m_index;
    };

    static constexpr std::size_t noHeader = static_cast<std::size_t>(-1);

    ConfigTables() = default;
    // Sections point back at their tables.
    ConfigTables(const ConfigTables &) = delete;
    ConfigTables &operator=(const ConfigTables &) = delete;
    // Takes the tables of other, which then must be built again before use.
    ConfigTables &operator=(ConfigTables &&other) noexcept;
    // For tables moved along with their text: document now holds the text they were built from.
    void rebind(const ConfigDocument &document) { m_document = &document; }

    // The document must outlive the tables and not be loaded again while they are used.
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
    static constexpr std::uint32_t inverted = 0x80000000u;

    Entry entryOf(std::size_t line) const;
    const std::string &keyOf(std::size_t line) const { return m_keys[(m_lineKeys[line] & ~inverted) - 1]; }

    const ConfigDocument *m_document = nullptr;
    std::vector<Section> m_sections;
    std::vector<Order> m_byName;
    // The runs of every section, those of one section together.
    std::vector<Occurrence> m_occurrences;
    // Per line: 0, or one more than the index in m_keys of its canonical key, with the bit
    // inverted set for the "writable" spellings.
    std::vector<std::uint32_t> m_lineKeys;
    std::vector<std::string> m_keys;
};
