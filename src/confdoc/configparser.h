#pragma once

#include "configline.h"

#include <string_view>
#include <vector>

// Splits smb.conf bytes into logical lines the way Samba's own parser reads them: a
// backslash before the line feed continues a parameter or a section header on the next
// line, only a line starting with '#' or ';' is a comment, whatever follows a header's ']'
// is ignored, a line without '=' is ignored, and Samba stops reading at a NUL byte.
// The lines tile the input exactly: every byte belongs to one line.
class ConfigParser
{
public:
    static void parse(std::string_view bytes, std::vector<ConfigLine> &out);

    // Whitespace as the C library's isspace() sees it in the "C" locale, which Samba uses.
    static bool isSpace(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    }

private:
    // Reads the line starting at pos; returns where the next one starts.
    static std::size_t readLine(std::string_view bytes, std::size_t pos, std::vector<ConfigLine> &out);
};
