#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <vector>

// How Samba reads keys, section names and values of smb.conf, and how Shareward writes them.
class ConfigValues
{
public:
    // A key as Samba compares keys: lower-cased, whitespace left out ("Read  Only" and
    // "readonly" are one key).
    static std::string lookupKey(std::string_view key);
    // Whether a key equals a key in lookup form.
    static bool sameKey(std::string_view key, std::string_view lookup);
    // The lookup form of the canonical key of a key in lookup form ("writable" gives
    // "readonly", "public" gives "guestok"); the key itself when it has no other spelling.
    static std::string_view canonicalOf(std::string_view lookup);
    // Whether a key in lookup form is one of the spellings that mean the opposite of
    // "read only" ("writable", "writeable", "write ok").
    static bool isWritableFamily(std::string_view lookup);
    // Whether a canonical key in lookup form has other spellings.
    static bool hasSynonyms(std::string_view lookup);

    // A section name as Samba compares names: lower-cased; every spelling of [global]
    // ("Global", "globals", "glo bal") gives "global".
    static std::string sectionKey(std::string_view name);

    // Samba's booleans: yes/no, true/false, on/off, 1/0 in any case.
    static bool isBool(std::string_view text);
    static bool parseBool(std::string_view text);
    static bool parseBool(const QString &text);
    // The opposite in the same spelling ("Yes" gives "No"); empty when text is no boolean.
    static std::string invertBool(std::string_view text);
    // A boolean spelt like an existing value ("True" gives "True"/"False"), "yes"/"no" when
    // the existing value is no boolean.
    static std::string formatBool(bool value, std::string_view like = {});

    // Texts of smb.conf are UTF-8 as a rule; bytes that are not decode to replacement characters.
    static QString decode(std::string_view bytes);
    static std::string encode(const QString &text);
    static bool isAscii(std::string_view text);
};
