#pragma once

#include "configtables.h"
#include "sambasettings.h"
#include "sectioneditor.h"
#include "share.h"

#include <string>

class ConfigDocument;

// Writes records into smb.conf as edits of its document, field by field: a field that
// reads as it did when loaded is not written at all, so its lines stay byte for byte.
// A share without a loaded record is new and written whole.
class ConfigWriter
{
public:
    ConfigWriter(ConfigDocument &document, const ConfigTables &tables);

    void writeGlobal(const SambaSettings &settings, const SambaSettings &loaded);
    // section is null for a share that is not in the file; loaded is null when the share
    // has no loaded record.
    void writeShare(const Share &share, const ConfigTables::Section *section, const Share *loaded,
                    const SambaSettings &settings);
    void removeSection(const ConfigTables::Section &section);
    // A new section at the end holding these parameters (key, value) as given.
    void addSection(const std::string &name,
                    const std::vector<std::pair<std::string, std::string>> &parameters);
    // writeGlobal sets and removes only the keys this accepts.
    void setGlobalKeyFilter(SectionEditor::KeyFilter keys) { m_globalKeys = std::move(keys); }
    // Puts the new sections at the end of the file.
    void finish();

private:
    void writeModules(SectionEditor &editor, const ConfigTables::Section *section, const Share &record,
                      const Share *loaded);
    void writeAclOptions(SectionEditor &editor, const Share &record, const Share *loaded);
    void writeWriteList(SectionEditor &editor, const ConfigTables::Section *section, const Share &share,
                        const Share *loaded);
    // Parameters the records do not know, as given: set, or removed in every spelling.
    void writeOtherParameters(SectionEditor &editor, const Share &record);
    void added(SectionEditor &editor);

    ConfigDocument &m_document;
    const ConfigTables &m_tables;
    SectionEditor::Style m_style;
    std::string m_headerIndent;
    std::string m_newSections;
    SectionEditor::KeyFilter m_globalKeys;
};
