#pragma once

#include <QString>

#include <string_view>

// The one check every key and value passes before it is written into smb.conf or the
// registry: Samba must read back exactly what was asked. Samba's parser joins the next line
// to a line ending in a backslash (blanks after it do not stop that), drops blanks around a
// value and keeps only the first of blanks in a row, ends a line at a line break and the file at a NUL byte;
// none of these can be escaped, so such text is refused, naming the character.
class ConfigTextGate
{
public:
    // Why Samba would read the value otherwise, as "it ends with ..."; empty when it reads it
    // exactly.
    static QString valueProblem(std::string_view value);
    // Why the text would not be read as one parameter's name: empty when it is.
    static QString keyProblem(std::string_view key);
    // The refusal of writing key = value, naming the key and the character; empty when both
    // pass.
    static QString refusal(std::string_view key, std::string_view value);
    // The same for a field of a dialog, named by its label.
    static QString fieldRefusal(const QString &label, const QString &value);
};
