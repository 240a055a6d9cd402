#pragma once

#include "configelementdata.h"
#include "configelementlist.h"
#include "configelementsection.h"

#include <istream>
#include <ostream>
#include <string>

// The lossless text model of smb.conf: one element per line, written back as read.
// Lookups of section names and keys are byte-exact.
class ConfigDocument
{
public:
    enum SyntaxMode {
        SmbConf = 0, // '#' and ';' start comments, '=' splits parameters
        HashOnly = 1, // only '#' starts a comment
        Tokens = 2, // only '#' starts a comment, '=' has no meaning
    };

    explicit ConfigDocument(int syntaxMode = SmbConf);

    void clear();
    // Replaces the content with the tree read from the stream. Never rejects input.
    std::istream &load(std::istream &in);
    // The same from the bytes of a whole file.
    void load(const std::string &bytes);
    // Writes every element and flushes the stream.
    std::ostream &write(std::ostream &out) const;
    // The text write() produces.
    std::string text() const;

    ConfigElementList &elements() { return m_elements; }
    const ConfigElementList &elements() const { return m_elements; }
    int syntaxMode() const { return m_syntaxMode; }
    const std::string &commentMarkers() const { return m_commentMarkers; }

    ConfigElementSectionPtr findSection(const std::string &name) const;
    // With an empty section name, looks among the parameters outside any section.
    ConfigElementDataPtr findValue(const std::string &section, const std::string &key) const;
    // Replaces the value of an existing parameter (nothing else about its line changes)
    // or adds the parameter, and its section when missing, before trailing blank lines.
    void setValue(const std::string &section, const std::string &key, const std::string &value,
                  const std::string &comment = {}, int kind = ConfigElementSection::Bracket);
    void addBlankLine(const std::string &section);
    // Adds a parameter at the end of a section of this document, before its trailing
    // blank lines, indented like the section's last parameter.
    ConfigElementData &appendValue(ConfigElementSection &section, std::string key, std::string value,
                                   const std::string &comment = {});

private:
    ConfigElementList m_elements;
    int m_syntaxMode;
    std::string m_commentMarkers;
    std::size_t m_sizeHint = 0; // bytes last read
};
