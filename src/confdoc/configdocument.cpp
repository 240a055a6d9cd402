#include "configdocument.h"

#include "configparser.h"

#include <algorithm>
#include <utility>

namespace {

// The text of a continued region with each continuation backslash, and what follows it
// on its physical line, taken out: how Samba joins the lines.
std::string joined(std::string_view region)
{
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t feed = region.find('\n', start);
        if (feed == std::string_view::npos) {
            out.append(region.substr(start));
            return out;
        }
        std::size_t end = feed;
        while (end > start && ConfigParser::isSpace(region[end - 1]))
            --end;
        // The segment ends in the backslash that continued it.
        out.append(region.substr(start, end > start ? end - 1 - start : 0));
        start = feed + 1;
    }
}

// Samba reads every run of blanks and TABs in a line as its first one: "a \tb" as "a b",
// "a\t b" as "a\tb".
std::string collapsed(std::string text)
{
    const auto blank = [](char c) {
        return c == ' ' || c == '\t';
    };
    const auto run = std::adjacent_find(text.begin(), text.end(),
                                        [&blank](char a, char b) { return blank(a) && blank(b); });
    if (run == text.end())
        return text;
    std::string out;
    out.reserve(text.size());
    bool previousBlank = false;
    for (char c : text) {
        if (blank(c) && previousBlank)
            continue;
        out += c;
        previousBlank = blank(c);
    }
    return out;
}

} // namespace

void ConfigDocument::clear()
{
    m_bytes.clear();
    m_lines.clear();
    m_readLines = 0;
    m_edits.clear();
}

std::string ConfigDocument::takeBytes()
{
    std::string bytes = std::move(m_bytes);
    clear();
    return bytes;
}

void ConfigDocument::load(std::string bytes)
{
    m_edits.clear();
    m_bytes = std::move(bytes);
    ConfigParser::parse(m_bytes, m_lines);
    m_readLines = m_lines.size();
    const std::size_t nul = m_bytes.find('\0');
    if (nul != std::string::npos) {
        m_readLines = static_cast<std::size_t>(
            std::upper_bound(m_lines.begin(), m_lines.end(), nul,
                             [](std::size_t offset, const ConfigLine &line) { return offset < line.begin; })
            - m_lines.begin() - 1);
    }
}

std::istream &ConfigDocument::load(std::istream &in)
{
    std::string bytes;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    load(std::move(bytes));
    return in;
}

std::string_view ConfigDocument::text(std::size_t index) const
{
    const ConfigLine &line = m_lines[index];
    return std::string_view(m_bytes).substr(line.begin, line.size);
}

std::string_view ConfigDocument::indentation(std::size_t index) const
{
    const std::string_view line = text(index);
    std::size_t end = 0;
    while (end < line.size() && line[end] != '\n' && ConfigParser::isSpace(line[end]))
        ++end;
    return line.substr(0, end);
}

std::string_view ConfigDocument::lineEnding(std::size_t index) const
{
    return text(index).substr(m_lines[index].endingBegin());
}

std::string_view ConfigDocument::fileLineEnding() const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const std::string_view ending = lineEnding(i);
        if (!ending.empty())
            return ending;
    }
    return "\n";
}

std::string_view ConfigDocument::rawName(std::size_t index) const
{
    const ConfigLine &line = m_lines[index];
    return text(index).substr(line.nameBegin, line.nameEnd - line.nameBegin);
}

std::string ConfigDocument::name(std::size_t index) const
{
    const std::string_view raw = rawName(index);
    return collapsed(m_lines[index].continued ? joined(raw) : std::string(raw));
}

std::string_view ConfigDocument::rawValue(std::size_t index) const
{
    const ConfigLine &line = m_lines[index];
    return text(index).substr(line.valueBegin, line.valueEnd - line.valueBegin);
}

std::string ConfigDocument::value(std::size_t index) const
{
    const ConfigLine &line = m_lines[index];
    if (!line.continued)
        return collapsed(std::string(rawValue(index)));
    std::string value =
        collapsed(joined(text(index).substr(line.valueBegin, line.endingBegin() - line.valueBegin)));
    std::size_t end = value.size();
    while (end > 0 && ConfigParser::isSpace(value[end - 1]))
        --end;
    value.resize(end);
    return value;
}

std::string_view ConfigDocument::separator(std::size_t index) const
{
    const ConfigLine &line = m_lines[index];
    return text(index).substr(line.nameEnd, line.valueBegin - line.nameEnd);
}

void ConfigDocument::replaceLine(std::size_t index, std::string text)
{
    Edit &edit = m_edits[index];
    edit.replaced = true;
    edit.replacement = std::move(text);
}

void ConfigDocument::removeLine(std::size_t index)
{
    replaceLine(index, std::string());
}

bool ConfigDocument::isRemoved(std::size_t index) const
{
    const auto found = m_edits.find(index);
    return found != m_edits.end() && found->second.replaced && found->second.replacement.empty();
}

void ConfigDocument::insertBefore(std::size_t position, std::string_view text)
{
    m_edits[position].before.append(text);
}

void ConfigDocument::setValue(std::size_t index, std::string_view value)
{
    const ConfigLine &line = m_lines[index];
    const std::string_view old = this->text(index);
    std::string text;
    text.reserve(old.size() + value.size());
    text.append(old.substr(0, line.valueBegin));
    // "key =" gets "key = value", as "key = x" would have had; "key=" gets "key=value".
    const std::string_view separator = this->separator(index);
    if (line.valueBegin == line.valueEnd && !value.empty() && separator.size() > 1 && separator.back() == '=')
        text += ' ';
    text.append(value);
    // A continued value is written on one line: what followed its last continuation
    // belongs to the old value.
    text.append(old.substr(line.continued ? line.endingBegin() : line.valueEnd));
    replaceLine(index, std::move(text));
}

void ConfigDocument::setSectionName(std::size_t index, std::string_view name)
{
    const ConfigLine &line = m_lines[index];
    const std::string_view old = this->text(index);
    std::string text;
    text.reserve(old.size() + name.size());
    text.append(old.substr(0, line.nameBegin));
    text.append(name);
    text.append(old.substr(line.nameEnd));
    replaceLine(index, std::move(text));
}

std::string ConfigDocument::text() const
{
    if (m_edits.empty())
        return m_bytes;
    const std::string_view ending = fileLineEnding();
    std::string out;
    out.reserve(m_bytes.size() + m_bytes.size() / 8);
    auto append = [&out, ending](std::string_view lines) {
        if (lines.empty())
            return;
        if (!out.empty() && out.back() != '\n')
            out.append(ending);
        out.append(lines);
    };
    std::size_t cursor = 0;
    for (const auto &[position, edit] : m_edits) {
        const std::size_t start = position < m_lines.size() ? m_lines[position].begin : m_bytes.size();
        out.append(m_bytes, cursor, start - cursor);
        cursor = start;
        append(edit.before);
        if (edit.replaced && position < m_lines.size()) {
            append(edit.replacement);
            cursor += m_lines[position].size;
        }
    }
    if (cursor < m_bytes.size())
        append(std::string_view(m_bytes).substr(cursor));
    return out;
}

std::ostream &ConfigDocument::write(std::ostream &out) const
{
    if (m_edits.empty()) {
        out.write(m_bytes.data(), static_cast<std::streamsize>(m_bytes.size()));
    } else {
        const std::string text = this->text();
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    // Everything written is in the file when this returns, while the file stays open.
    return out.flush();
}
