#include "configvalues.h"

#include <algorithm>
#include <array>

namespace {

char lowerByte(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool equalsLowered(std::string_view text, std::string_view lower)
{
    if (text.size() != lower.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (lowerByte(text[i]) != lower[i])
            return false;
    }
    return true;
}

// Each canonical key with its other spellings ("writable" for "read only", "public" for
// "guest ok", ...), all in lookup form.
struct Spellings
{
    std::string_view lookup;
    std::vector<std::string_view> synonyms;
};

const std::vector<Spellings> &spellingTable()
{
    static const std::vector<Spellings> table{
        {"path", {"directory"}},
        {"readonly", {"writable", "writeok", "writeable"}},
        {"browseable", {"browsable"}},
        {"createmask", {"createmode"}},
        {"directorymask", {"directorymode"}},
        {"guestok", {"public"}},
        {"guestonly", {"onlyguest"}},
        {"printable", {"printok"}},
        {"vfsobjects", {"vfsobject"}},
    };
    return table;
}

// The spellings of Samba's booleans, true before false.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> boolPairs{{
    {"yes", "no"},
    {"true", "false"},
    {"on", "off"},
    {"1", "0"},
}};

// The same word in the letter case of a model: all capitals, a capital first, or lower case.
std::string inCaseOf(std::string_view word, std::string_view model)
{
    std::string out(word);
    const bool upperFirst = !model.empty() && model.front() >= 'A' && model.front() <= 'Z';
    const bool allUpper = upperFirst && model.size() > 1
        && std::all_of(model.begin(), model.end(), [](char c) { return !(c >= 'a' && c <= 'z'); });
    for (std::size_t i = 0; i < out.size(); ++i) {
        if ((allUpper || (upperFirst && i == 0)) && out[i] >= 'a' && out[i] <= 'z')
            out[i] = static_cast<char>(out[i] - 'a' + 'A');
    }
    return out;
}

} // namespace

std::string ConfigValues::lookupKey(std::string_view key)
{
    std::string out;
    out.reserve(key.size());
    for (char c : key) {
        if (!isSpace(c))
            out += lowerByte(c);
    }
    return out;
}

bool ConfigValues::sameKey(std::string_view key, std::string_view lookup)
{
    std::size_t j = 0;
    for (char c : key) {
        if (isSpace(c))
            continue;
        if (j == lookup.size() || lowerByte(c) != lookup[j])
            return false;
        ++j;
    }
    return j == lookup.size();
}

std::string_view ConfigValues::canonicalOf(std::string_view lookup)
{
    for (const Spellings &entry : spellingTable()) {
        for (const std::string_view synonym : entry.synonyms) {
            if (synonym == lookup)
                return entry.lookup;
        }
    }
    return lookup;
}

bool ConfigValues::isWritableFamily(std::string_view lookup)
{
    return lookup == "writable" || lookup == "writeok" || lookup == "writeable";
}

bool ConfigValues::hasSynonyms(std::string_view lookup)
{
    return std::any_of(spellingTable().begin(), spellingTable().end(),
                       [lookup](const Spellings &entry) { return entry.lookup == lookup; });
}

std::string ConfigValues::sectionKey(std::string_view name)
{
    // Compared in place: a file of ten thousand shares names ten thousand sections.
    if (sameKey(name, "global") || sameKey(name, "globals"))
        return "global";
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(), lowerByte);
    return key;
}

bool ConfigValues::isBool(std::string_view text)
{
    return std::any_of(boolPairs.begin(), boolPairs.end(), [text](const auto &pair) {
        return equalsLowered(text, pair.first) || equalsLowered(text, pair.second);
    });
}

bool ConfigValues::parseBool(std::string_view text)
{
    return std::any_of(boolPairs.begin(), boolPairs.end(),
                       [text](const auto &pair) { return equalsLowered(text, pair.first); });
}

bool ConfigValues::parseBool(const QString &text)
{
    return parseBool(encode(text));
}

std::string ConfigValues::invertBool(std::string_view text)
{
    for (const auto &[yes, no] : boolPairs) {
        if (equalsLowered(text, yes))
            return inCaseOf(no, text);
        if (equalsLowered(text, no))
            return inCaseOf(yes, text);
    }
    return std::string();
}

std::string ConfigValues::formatBool(bool value, std::string_view like)
{
    for (const auto &[yes, no] : boolPairs) {
        if (equalsLowered(like, yes) || equalsLowered(like, no))
            return inCaseOf(value ? yes : no, like);
    }
    return value ? "yes" : "no";
}

bool ConfigValues::isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

QString ConfigValues::decode(std::string_view bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes.data(), static_cast<int>(bytes.size()));
    return QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size()));
}

std::string ConfigValues::encode(const QString &text)
{
    std::string bytes(static_cast<std::size_t>(text.size()), '\0');
    const QChar *characters = text.constData();
    for (int i = 0; i < text.size(); ++i) {
        const ushort unit = characters[i].unicode();
        if (unit >= 0x80)
            return text.toStdString();
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(unit);
    }
    return bytes;
}
