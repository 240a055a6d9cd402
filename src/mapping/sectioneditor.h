#pragma once

#include "configtables.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class ConfigDocument;

// Edits one section of smb.conf key by key as edits of its document, leaving every other
// byte alone. A key is changed where Samba takes its value from: its last line in the
// section, in whatever spelling; when an "include" follows that line, a new line after
// the last such include. A new key goes after the last line of the section's last run.
// New lines are indented and ended like the section's own.
class SectionEditor
{
public:
    // How new lines look: taken from the section, or from the file for a new section.
    struct Style
    {
        std::string indent;
        std::string separator = " = ";
        std::string ending = "\n";
    };

    SectionEditor(ConfigDocument &document, const ConfigTables::Section &section, const Style &fileStyle);
    // A section that is not in the file yet; its lines are collected in newText().
    SectionEditor(ConfigDocument &document, const std::string &name, const Style &fileStyle,
                  const std::string &headerIndent);
    // Writes the new lines still collected.
    ~SectionEditor();
    SectionEditor(const SectionEditor &) = delete;
    SectionEditor &operator=(const SectionEditor &) = delete;

    // Keys are canonical keys as written ("read only"); values are what Samba is to read.
    void set(std::string_view key, const std::string &value);
    // A new line says yes/no, or true/false when asked; an existing one keeps its spelling.
    void setBool(std::string_view key, bool value, bool trueFalse = false);
    // Removes every line of the key in this section, in every spelling.
    void remove(std::string_view key);
    void setOrRemove(std::string_view key, const std::string &value);
    void rename(const std::string &name);
    // Removes every run of the section with the comments directly above its header.
    void removeSection();

    // New lines are collected, so that a key set twice, or set and removed, in one edit gets
    // one line or none; this puts them into the document (or newText()).
    void finish();

    bool isNew() const { return m_section == nullptr; }
    // Only the keys this accepts (canonical, in lookup form) are set or removed; the others
    // are left as they are, for a section whose keys live in two places: smb.conf and the
    // registry. "include = registry" then overrides none of the keys written here.
    using KeyFilter = std::function<bool(std::string_view lookup)>;
    void setKeyFilter(KeyFilter keys) { m_keys = std::move(keys); }
    // The lines of a new section once something was written into it and finish() ran, else
    // empty.
    const std::string &newText() const { return m_newText; }

private:
    struct Found
    {
        std::size_t line;
        std::size_t include; // the last "include" after it, or npos
    };
    Found locate(std::string_view lookup) const;
    bool matches(std::size_t line, std::string_view lookup) const;
    std::string lookupOf(std::size_t line) const;
    struct NewLine
    {
        std::string lookup;
        std::string key;
        std::string value;
        std::size_t after; // the line it follows, or npos for the end of the section
    };
    // Collects a new line: after the line given, or at the end of the section.
    void insert(std::string_view key, const std::string &value, std::size_t after);
    NewLine *collected(const std::string &lookup);
    std::size_t appendPosition() const;
    // Takes the style of the section's last parameter line, once, when a line is added.
    void takeSectionStyle();

    ConfigDocument &m_document;
    const ConfigTables::Section *m_section = nullptr;
    Style m_style;
    bool m_styled = false;
    std::string m_header; // a new section's header line
    std::string m_newText;
    std::vector<NewLine> m_newLines;
    KeyFilter m_keys;
};
