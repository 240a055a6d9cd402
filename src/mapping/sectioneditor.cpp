#include "sectioneditor.h"

#include "configdocument.h"
#include "configtextgate.h"
#include "configvalues.h"
#include "registryconfig.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr std::size_t npos = static_cast<std::size_t>(-1);

// Every key and value written passes the one gate: Samba must read back what was asked. A
// line left as it is is not judged again.
void refuseMisread(std::string_view key, std::string_view value)
{
    if (const QString refusal = ConfigTextGate::refusal(key, value); !refusal.isEmpty())
        throw std::runtime_error(refusal.toStdString());
}

std::size_t firstLine(const ConfigTables::Occurrence &occurrence)
{
    return occurrence.header == ConfigTables::noHeader ? 0 : occurrence.header + 1;
}

} // namespace

SectionEditor::SectionEditor(ConfigDocument &document, const ConfigTables::Section &section,
                             const Style &fileStyle)
    : m_document(document)
    , m_section(&section)
    , m_style(fileStyle)
{
}

void SectionEditor::takeSectionStyle()
{
    if (m_styled || !m_section)
        return;
    m_styled = true;
    for (auto run = m_section->occurrences.rbegin(); run != m_section->occurrences.rend(); ++run) {
        for (std::size_t i = run->end; i > firstLine(*run); --i) {
            if (m_document.line(i - 1).kind != ConfigLine::Parameter)
                continue;
            m_style.indent = std::string(m_document.indentation(i - 1));
            m_style.separator = m_document.separator(i - 1) == "=" ? "=" : " = ";
            if (const std::string_view ending = m_document.lineEnding(i - 1); !ending.empty())
                m_style.ending = std::string(ending);
            return;
        }
    }
}

SectionEditor::SectionEditor(ConfigDocument &document, const std::string &name, const Style &fileStyle,
                             const std::string &headerIndent)
    : m_document(document)
    , m_style(fileStyle)
    , m_header(headerIndent + '[' + name + ']' + fileStyle.ending)
{
}

std::string SectionEditor::lookupOf(std::size_t line) const
{
    return ConfigValues::lookupKey(m_document.line(line).continued ? std::string_view(m_document.name(line))
                                                                   : m_document.rawName(line));
}

bool SectionEditor::matches(std::size_t line, std::string_view lookup) const
{
    if (!m_document.line(line).continued && ConfigValues::sameKey(m_document.rawName(line), lookup))
        return true;
    if (!m_document.line(line).continued && !ConfigValues::hasSynonyms(lookup))
        return false;
    return ConfigValues::canonicalOf(lookupOf(line)) == lookup;
}

SectionEditor::Found SectionEditor::locate(std::string_view lookup) const
{
    Found found{npos, npos};
    for (const ConfigTables::Occurrence &run : m_section->occurrences) {
        for (std::size_t i = firstLine(run); i < run.end; ++i) {
            if (m_document.line(i).kind != ConfigLine::Parameter || m_document.isRemoved(i))
                continue;
            if (matches(i, lookup))
                found = {i, npos};
            else if (found.line != npos && ConfigValues::sameKey(m_document.rawName(i), "include")
                     && !(m_keys && RegistryConfig::isRegistryInclude(m_document, i)))
                found.include = i;
        }
    }
    return found;
}

std::size_t SectionEditor::appendPosition() const
{
    const ConfigTables::Occurrence &run = m_section->occurrences.back();
    // After the last line that says something: trailing blank lines and the comments
    // above the next header stay where they are.
    for (std::size_t i = run.end; i > firstLine(run); --i) {
        const ConfigLine::Kind kind = m_document.line(i - 1).kind;
        if (kind != ConfigLine::Blank && kind != ConfigLine::Comment)
            return i;
    }
    return firstLine(run);
}

void SectionEditor::insert(std::string_view key, const std::string &value, std::size_t after)
{
    refuseMisread(key, value);
    m_newLines.push_back({ConfigValues::lookupKey(key), std::string(key), value, after});
}

SectionEditor::NewLine *SectionEditor::collected(const std::string &lookup)
{
    for (NewLine &line : m_newLines) {
        if (line.lookup == lookup)
            return &line;
    }
    return nullptr;
}

void SectionEditor::finish()
{
    for (const NewLine &newLine : m_newLines) {
        takeSectionStyle();
        std::string line = m_style.indent;
        line += newLine.key;
        line += m_style.separator;
        line += newLine.value;
        line += m_style.ending;
        if (!m_section) {
            if (m_newText.empty())
                m_newText = m_header;
            m_newText += line;
        } else {
            m_document.insertBefore(newLine.after == npos ? appendPosition() : newLine.after + 1, line);
        }
    }
    m_newLines.clear();
}

SectionEditor::~SectionEditor()
{
    finish();
}

void SectionEditor::set(std::string_view key, const std::string &value)
{
    const std::string lookup = ConfigValues::lookupKey(key);
    if (m_keys && !m_keys(ConfigValues::canonicalOf(lookup)))
        return;
    // A key already given a new line in this edit keeps that one line.
    if (NewLine *line = collected(lookup)) {
        refuseMisread(key, value);
        line->value = value;
        return;
    }
    if (!m_section) {
        insert(key, value, npos);
        return;
    }
    const Found found = locate(lookup);
    if (found.line == npos) {
        insert(key, value, npos);
        return;
    }
    if (found.include != npos) {
        // An included file may set the key again: the new value goes after it.
        insert(key, value, found.include);
        return;
    }
    if (ConfigValues::isWritableFamily(lookupOf(found.line))) {
        setBool(key, ConfigValues::parseBool(value));
        return;
    }
    const std::string current = m_document.value(found.line);
    if (current == value
        || (!ConfigValues::isAscii(current) && ConfigValues::decode(current) == ConfigValues::decode(value)))
        return;
    refuseMisread(key, value);
    m_document.setValue(found.line, value);
}

void SectionEditor::setBool(std::string_view key, bool value, bool trueFalse)
{
    if (m_keys && !m_keys(ConfigValues::canonicalOf(ConfigValues::lookupKey(key))))
        return;
    if (NewLine *line = collected(ConfigValues::lookupKey(key))) {
        line->value = ConfigValues::formatBool(value, line->value);
        return;
    }
    if (m_section) {
        const Found found = locate(ConfigValues::lookupKey(key));
        if (found.line != npos && found.include == npos) {
            const std::string current = m_document.value(found.line);
            const bool inverted = ConfigValues::isWritableFamily(lookupOf(found.line));
            const bool written = inverted ? !value : value;
            // Values are compared as Samba reads them: "Yes", "true" and "on" are one value.
            if (ConfigValues::isBool(current) && ConfigValues::parseBool(current) == written)
                return;
            m_document.setValue(found.line, ConfigValues::formatBool(written, current));
            return;
        }
    }
    set(key, ConfigValues::formatBool(value, trueFalse ? "true" : "yes"));
}

void SectionEditor::remove(std::string_view key)
{
    const std::string lookup = ConfigValues::lookupKey(key);
    if (m_keys && !m_keys(ConfigValues::canonicalOf(lookup)))
        return;
    m_newLines.erase(std::remove_if(m_newLines.begin(), m_newLines.end(),
                                    [&lookup](const NewLine &line) { return line.lookup == lookup; }),
                     m_newLines.end());
    if (!m_section)
        return;
    for (const ConfigTables::Occurrence &run : m_section->occurrences) {
        for (std::size_t i = firstLine(run); i < run.end; ++i) {
            if (m_document.line(i).kind == ConfigLine::Parameter && matches(i, lookup))
                m_document.removeLine(i);
        }
    }
}

void SectionEditor::setOrRemove(std::string_view key, const std::string &value)
{
    if (value.empty())
        remove(key);
    else
        set(key, value);
}

void SectionEditor::rename(const std::string &name)
{
    if (!m_section)
        return;
    for (const ConfigTables::Occurrence &run : m_section->occurrences) {
        if (run.header != ConfigTables::noHeader)
            m_document.setSectionName(run.header, name);
    }
}

void SectionEditor::removeSection()
{
    if (!m_section)
        return;
    for (const ConfigTables::Occurrence &run : m_section->occurrences) {
        if (run.header == ConfigTables::noHeader)
            continue;
        std::size_t begin = run.header;
        while (begin > 0 && m_document.line(begin - 1).kind == ConfigLine::Comment)
            --begin;
        std::size_t end = run.end;
        if (end < m_document.readLines()) {
            while (end > run.header + 1 && m_document.line(end - 1).kind == ConfigLine::Comment)
                --end;
        }
        for (std::size_t i = begin; i < end; ++i)
            m_document.removeLine(i);
    }
}
