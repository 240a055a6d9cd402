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
    Kind kind = Blank;
    bool continued = false; // joined from several physical lines
    // Section: the bytes between '[' and ']'. Parameter: the key, without the whitespace around it.
    std::uint32_t nameBegin = 0;
    std::uint32_t nameEnd = 0;
    // Parameter: the value, from its first character that is not whitespace to its last one.
    std::uint32_t valueBegin = 0;
    std::uint32_t valueEnd = 0;
    // Where the line ending starts ("\n", "\r\n" or nothing on an unterminated last line).
    std::uint32_t endingBegin = 0;
};
