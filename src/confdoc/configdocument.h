#pragma once

#include "configline.h"

#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// smb.conf as it was read: its bytes, held once, and the logical lines Samba sees in them.
// Edits are kept beside the bytes, line by line, so that the text written back is the
// text read except for the lines an edit replaced, removed or inserted; discardEdits()
// returns to the text as read.
class ConfigDocument
{
public:
    ConfigDocument() = default;

    void clear();
    // Replaces the content with these bytes. Never rejects input.
    void load(std::string bytes);
    std::istream &load(std::istream &in);

    const std::string &bytes() const { return m_bytes; }
    // Hands the bytes over and leaves the document empty.
    std::string takeBytes();
    const std::vector<ConfigLine> &lines() const { return m_lines; }
    std::size_t lineCount() const { return m_lines.size(); }
    const ConfigLine &line(std::size_t index) const { return m_lines[index]; }
    // The lines Samba reads: those before the first line holding a NUL byte.
    std::size_t readLines() const { return m_readLines; }

    // The bytes of a line as read, its line ending included.
    std::string_view text(std::size_t index) const;
    // The whitespace before its first character.
    std::string_view indentation(std::size_t index) const;
    // "\n", "\r\n", or nothing for an unterminated last line.
    std::string_view lineEnding(std::size_t index) const;
    // The line ending of the file: that of its first terminated line, "\n" when it has none.
    std::string_view fileLineEnding() const;
    // The key of a parameter or the name of a section as written, continuations included.
    std::string_view rawName(std::size_t index) const;
    // A section's name or a parameter's key as Samba reads it: continuations joined, every
    // run of blanks and TABs as one blank.
    std::string name(std::size_t index) const;
    // A parameter's value as Samba reads it: continuations joined, every run of blanks and
    // TABs as one blank, no whitespace at either end.
    std::string value(std::size_t index) const;
    // Between the key and the value: " = ", "=" or whatever the line has.
    std::string_view separator(std::size_t index) const;

    // Edits. A replacement or an inserted text is whole lines with their line endings;
    // a line without one is given the file's line ending when anything follows it.
    bool modified() const { return !m_edits.empty(); }
    void replaceLine(std::size_t index, std::string text);
    void removeLine(std::size_t index);
    bool isRemoved(std::size_t index) const;
    // Inserts before the line at position; position lineCount() is the end of the file.
    void insertBefore(std::size_t position, std::string_view text);
    // Gives a parameter a new value, keeping every other byte of its line.
    void setValue(std::size_t index, std::string_view value);
    // Gives a section a new name, keeping every other byte of its header line.
    void setSectionName(std::size_t index, std::string_view name);
    void discardEdits() { m_edits.clear(); }

    // The text with the edits applied.
    std::string text() const;
    // Writes text() and flushes the stream.
    std::ostream &write(std::ostream &out) const;

private:
    // The bytes of a parameter's value on its first line.
    std::string_view rawValue(std::size_t index) const;

    struct Edit
    {
        std::string before; // whole lines inserted before the line
        bool replaced = false;
        std::string replacement; // empty when removed
    };

    std::string m_bytes;
    std::vector<ConfigLine> m_lines;
    std::size_t m_readLines = 0;
    std::map<std::size_t, Edit> m_edits;
};
