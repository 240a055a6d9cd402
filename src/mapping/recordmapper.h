#pragma once

#include "configtables.h"
#include "sambasettings.h"
#include "sectioneditor.h"
#include "share.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class ConfigDocument;

// The records of one configuration document, smb.conf's or the registry's: reads the shares of
// its sections and writes records back as edits of the document, only where they differ from
// the records as loaded. Keeps the tables of the document, the decoded section names and which
// section each loaded share came from.
class RecordMapper
{
public:
    explicit RecordMapper(ConfigDocument &document);

    ConfigDocument &document() { return m_document; }
    const ConfigDocument &document() const { return m_document; }
    const ConfigTables &tables() const { return m_tables; }

    // Reads the tables of the document as it is now. No share is loaded yet.
    void load();
    // The server settings as loaded (for the registry's records, those in effect): a save
    // writes what differs from them.
    const SambaSettings &loadedSettings() const { return m_loadedSettings; }
    void setLoadedSettings(const SambaSettings &settings) { m_loadedSettings = settings; }
    // Which [global] keys (canonical, lookup form) this document's records write; all by default.
    void setGlobalKeyFilter(SectionEditor::KeyFilter filter) { m_globalKeys = std::move(filter); }

    // The shares of every section other than [global] that has parameters, in the order of
    // their lower-cased names; they are then the loaded ones.
    QList<Share> loadShares(const GlobalShare &global) const;
    // The section of the share Samba would take for name (compared without regard to case);
    // none when there is none.
    const ConfigTables::Section *findShare(const QString &name) const;
    // That share's record, loaded alone.
    std::optional<Share> loadShare(const GlobalShare &global, const QString &name) const;
    // Says that shares are loaded one at a time: the others are not records then.
    void markSingleLoads() const { m_someSharesLoaded = true; }
    // The section the i-th share of the last loadShares came from.
    const ConfigTables::Section &loadedSection(int i) const;
    // Each share's record with its section, one at a time and none kept.
    void readShares(const GlobalShare &global,
                    const std::function<void(Share &, const ConfigTables::Section &)> &use) const;
    QStringList shareNames() const;

    // Writes what differs from the records as loaded as edits of the document; on failure the
    // document keeps no edits. Throws std::runtime_error.
    void writeRecords(const SambaSettings &settings, const QList<Share> &shares);

    // After the document was loaded with what a save installed: its tables read again and the
    // records saved (those stored in where) the loaded ones.
    void adoptSaved(const QList<Share> &shares, Share::StoredIn where);

    // The VFS modules the loaded shares name; with loaded settings, also those of the global
    // section and, when single shares were loaded, those of the sections not loaded.
    QSet<QString> loadedShareModules() const;
    QSet<QString> loadedModules() const;
    // The VFS modules settings' global section and shares name.
    static QSet<QString> modulesOf(const SambaSettings &settings, const QList<Share> &shares);

    // The section of a record: its name as the document writes it.
    std::string sectionOf(const QString &recordName) const;
    const ConfigTables::Section *sectionOfRecord(const QString &recordName) const;

private:
    // What is kept beside the tables: the decoded names; no share loaded yet.
    void indexTables();

    ConfigDocument &m_document;
    ConfigTables m_tables;
    QHash<QString, std::string> m_decodedNames; // section name decoded from UTF-8 -> as written
    SectionEditor::KeyFilter m_globalKeys;

    // The records as loaded (or last saved): a save writes what differs from them.
    SambaSettings m_loadedSettings;
    mutable QList<Share> m_loadedShares;
    mutable std::vector<int> m_loadedShareOf; // per section of the tables, -1 for none
    mutable std::vector<std::size_t> m_loadedSectionOf; // per loaded share, its section
    mutable bool m_someSharesLoaded = false; // by loadShare: the others are not records
};
