#pragma once

#include <cstddef>
#include <cstdint>

// One logical line of smb.conf as Samba reads it: a physical line, or several joined by a
// backslash at the end of a parameter or section header. It points into the bytes of its
// document; offsets of the name and value are relative to the start of the line.
struct ConfigLine
{
    enum Kind : std::uint8_t {
        Blank, // nothing but whitespace
        Comment, // '#' or ';' as the first character that is not whitespace
        Section, // "[name]" and whatever follows the ']' on that line, which Samba ignores
        Parameter, // "key = value"
        Other, // anything Samba ignores: no '=', "service x {", '}', "@include", text after a NUL byte
    };

    std::size_t begin = 0; // offset of the first byte in the document
    std::uint32_t size = 0; // bytes, the line ending(s) included
    // Section: the bytes between '[' and ']'. Parameter: the key, without the whitespace around it.
    std::uint32_t nameBegin = 0;
    std::uint32_t nameEnd = 0;
    // Parameter: the value, from its first character that is not whitespace to its last one.
    std::uint32_t valueBegin = 0;
    std::uint32_t valueEnd = 0;
    Kind kind = Blank;
    bool continued = false; // joined from several physical lines
    // The bytes of the line ending: 1 for "\n", 2 for "\r\n", 0 on an unterminated last line.
    std::uint8_t endingSize = 0;

    // Where the line ending starts. (A file holds tens of thousands of lines: 32 bytes each.)
    std::uint32_t endingBegin() const { return size - endingSize; }
};

static_assert(sizeof(ConfigLine) <= 32, "a line of a large smb.conf costs 32 bytes at most");
