#include "configparser.h"

#include <algorithm>
#include <cstring>

namespace {

bool isBlank(char c)
{
    return ConfigParser::isSpace(c) && c != '\n';
}

// The position after the line feed that ends the physical line holding pos.
std::size_t physicalEnd(std::string_view bytes, std::size_t pos)
{
    const void *found =
        pos < bytes.size() ? std::memchr(bytes.data() + pos, '\n', bytes.size() - pos) : nullptr;
    return found ? static_cast<std::size_t>(static_cast<const char *>(found) - bytes.data()) + 1
                 : bytes.size();
}

// Whether the physical line segment [from, to) ends, whitespace aside, in a backslash:
// Samba then joins the next line to it.
bool continues(std::string_view bytes, std::size_t from, std::size_t to)
{
    while (to > from && ConfigParser::isSpace(bytes[to - 1]))
        --to;
    return to > from && bytes[to - 1] == '\\';
}

// One past the last byte in [from, to) that is not whitespace, or from.
std::size_t trimmedEnd(std::string_view bytes, std::size_t from, std::size_t to)
{
    while (to > from && ConfigParser::isSpace(bytes[to - 1]))
        --to;
    return to;
}

std::uint32_t relative(std::size_t position, std::size_t begin)
{
    return static_cast<std::uint32_t>(position - begin);
}

void finish(ConfigLine &line, std::string_view bytes, std::size_t end)
{
    line.size = relative(end, line.begin);
    std::size_t ending = end;
    if (ending > line.begin && bytes[ending - 1] == '\n') {
        --ending;
        if (ending > line.begin && bytes[ending - 1] == '\r')
            --ending;
    }
    line.endingSize = static_cast<std::uint8_t>(end - ending);
    // An empty value before a CRLF ending: the blanks skipped after '=' took the CR.
    if (line.valueEnd > line.endingBegin())
        line.valueBegin = line.valueEnd = line.endingBegin();
}

} // namespace

void ConfigParser::parse(std::string_view bytes, std::vector<ConfigLine> &out)
{
    out.clear();
    const std::size_t nul = bytes.find('\0');
    const std::string_view read = bytes.substr(0, nul);
    // At most one line per line feed, and one more: a single allocation of the right size.
    out.reserve(static_cast<std::size_t>(std::count(read.begin(), read.end(), '\n')) + 1);
    std::size_t pos = 0;
    while (pos < read.size())
        pos = readLine(read, pos, out);
    if (nul == std::string_view::npos)
        return;

    // Samba stops reading at a NUL byte: the line holding it and the rest of the file are
    // kept and mean nothing.
    pos = nul;
    if (!out.empty() && nul > 0 && bytes[nul - 1] != '\n') {
        ConfigLine &last = out.back();
        const std::size_t end = physicalEnd(bytes, nul);
        last.kind = ConfigLine::Other;
        last.nameBegin = last.nameEnd = last.valueBegin = last.valueEnd = 0;
        finish(last, bytes, end);
        pos = end;
    }
    while (pos < bytes.size()) {
        ConfigLine line;
        line.begin = pos;
        line.kind = ConfigLine::Other;
        pos = physicalEnd(bytes, pos);
        finish(line, bytes, pos);
        out.push_back(line);
    }
}

std::size_t ConfigParser::readLine(std::string_view bytes, std::size_t pos, std::vector<ConfigLine> &out)
{
    ConfigLine line;
    line.begin = pos;
    const std::size_t size = bytes.size();
    std::size_t p = pos;
    while (p < size && isBlank(bytes[p]))
        ++p;
    // Samba skips a stray backslash at the start of a line and the whitespace after it.
    while (p < size && bytes[p] == '\\') {
        ++p;
        while (p < size && isBlank(bytes[p]))
            ++p;
    }

    std::size_t end = 0;
    if (p == size || bytes[p] == '\n') {
        line.kind = ConfigLine::Blank;
        end = physicalEnd(bytes, p);
    } else if (bytes[p] == '#' || bytes[p] == ';') {
        line.kind = ConfigLine::Comment;
        end = physicalEnd(bytes, p);
    } else if (bytes[p] == '[') {
        line.kind = ConfigLine::Other;
        std::size_t segment = p + 1;
        std::size_t q = p + 1;
        for (; q < size; ++q) {
            if (bytes[q] == ']')
                break;
            if (bytes[q] != '\n')
                continue;
            if (!continues(bytes, segment, q))
                break; // a header broken off: Samba refuses the file
            line.continued = true;
            segment = q + 1;
        }
        if (q < size && bytes[q] == ']') {
            bool named = false;
            for (std::size_t i = p + 1; i < q && !named; ++i)
                named = !isSpace(bytes[i]) && !(bytes[i] == '\\' && line.continued);
            if (named) {
                line.kind = ConfigLine::Section;
                line.nameBegin = relative(p + 1, pos);
                line.nameEnd = relative(q, pos);
            }
        } else {
            line.continued = false;
        }
        end = physicalEnd(bytes, q < size && bytes[q] == ']' ? q : p);
    } else {
        // A parameter: the key runs to '='; a line feed before it ends an ignored line
        // unless a backslash continues the key.
        std::size_t segment = p;
        std::size_t q = p;
        bool broken = false;
        for (; q < size && bytes[q] != '='; ++q) {
            if (bytes[q] != '\n')
                continue;
            if (!continues(bytes, segment, q)) {
                broken = true;
                break;
            }
            line.continued = true;
            segment = q + 1;
        }
        const std::size_t keyEnd = q < size ? trimmedEnd(bytes, p, q) : p;
        if (broken || q == size || keyEnd == p) {
            line.kind = ConfigLine::Other;
            line.continued = false;
            end = physicalEnd(bytes, p);
        } else {
            line.kind = ConfigLine::Parameter;
            line.nameBegin = relative(p, pos);
            line.nameEnd = relative(keyEnd, pos);
            std::size_t v = q + 1;
            while (v < size && isBlank(bytes[v]))
                ++v;
            segment = v;
            std::size_t r = v;
            for (;;) {
                const void *found = r < size ? std::memchr(bytes.data() + r, '\n', size - r) : nullptr;
                r = found ? static_cast<std::size_t>(static_cast<const char *>(found) - bytes.data()) : size;
                if (r == size || !continues(bytes, segment, r))
                    break;
                line.continued = true;
                segment = ++r;
            }
            line.valueBegin = relative(v, pos);
            line.valueEnd = relative(trimmedEnd(bytes, v, r), pos);
            end = r < size ? r + 1 : size;
        }
    }
    finish(line, bytes, end);
    out.push_back(line);
    return end;
}
