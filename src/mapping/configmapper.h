#pragma once

#include "sambasettings.h"
#include "share.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ConfigDocument;
class ConfigElementData;
class ConfigElementSection;
class VFSModule;

// The bridge between the smb.conf document and the records the dialogs edit. Loading
// normalises every section into lookup tables (lower-cased section names, canonical
// keys, the writable family inverted into "read only") and fills the records from them;
// saving writes the records back into the document surgically, has testparm judge the
// result in a temporary file beside smb.conf and only then installs it.
class ConfigMapper
{
public:
    ConfigMapper(ConfigDocument &document, const QString &path = QStringLiteral("/etc/samba/smb.conf"),
                 const QString &testparmProgram = QStringLiteral("testparm"));

    // Reads the file into the document and the tables; returns the server settings.
    // Throws std::runtime_error when the file cannot be read.
    SambaSettings loadGlobal();
    // The shares of every section other than [global], in the order of their
    // lower-cased names. Uses only the tables of the last loadGlobal.
    QList<Share> loadShares(const GlobalShare &global) const;

    // Writes the records into the document, checks the result with testparm and
    // installs it. Updates the shares' originalName. Throws std::runtime_error.
    void save(const SambaSettings &settings, QList<Share> &shares);

    // The steps of save before anything is written to disk: removes deleted shares'
    // sections, renames, and writes every record into the document.
    void applyRecords(const SambaSettings &settings, QList<Share> &shares);

    QString path() const { return m_path; }
    // Where a save writes the text before testparm judges it.
    QString temporaryPath() const;

    static std::string canonicalKey(const std::string &lowerKey);
    static const std::vector<std::string> &synonymsOf(std::string_view canonicalKey);
    static std::string invertBool(const std::string &text);
    static bool parseBool(const std::string &text);
    static bool parseBool(std::string_view text);
    static bool parseBool(const QString &text);

    // Key operations on one section, by its name as written; keys are canonical.
    void removeKey(const std::string &section, const std::string &key);
    void setKey(const std::string &section, const std::string &key, const std::string &value);
    void setOrRemoveKey(const std::string &section, const std::string &key, const std::string &value);
    bool renameSection(const std::string &oldName, const std::string &newName);

    void writeGlobal(const SambaSettings &settings);
    void writeShare(const SambaSettings &settings, const Share &share);
    void writeModules(const std::string &section, const Share &record);
    void writeAclOptions(const std::string &section, const Share &record);

private:
    struct Entry
    {
        std::string key; // canonical
        std::string written; // as the file writes it
        std::string value; // without trailing whitespace; inverted for the writable family
    };
    struct Section
    {
        std::string key; // lower-cased name
        std::uint64_t prefix = 0; // its first bytes, for ordering
        std::string name; // as written
        std::vector<Entry> entries;
        // The document sections read under this name (one unless the file spells it
        // in several cases).
        std::shared_ptr<ConfigElementSection> header; // the first
        std::vector<std::shared_ptr<ConfigElementSection>> moreHeaders; // rare
        // Place of the section's share in the last list loadShares returned.
        mutable std::size_t shareIndex = SIZE_MAX;
        // Set while saving to the save's mark for sections that still belong to a record.
        mutable unsigned kept = 0;
        // Sections hold a handful of keys and are scanned; a large one gets an index.
        std::unique_ptr<std::unordered_map<std::string, std::size_t>> index;
        // One bit per canonical key present: most lookups are for keys that are not.
        std::uint64_t keys = 0;
        // The bits of the keys of the lines as read (see keyBit).
        std::uint64_t lineKeys = 0;
        const Entry *find(std::string_view key) const;
        void set(Entry entry);
    };
    struct WriteList
    {
        bool everybody = false;
        QStringList names;
    };

    // A section being written: its name, its loaded values and its place in the
    // document, looked up once for all the keys written into it.
    struct Target
    {
        std::string name; // as written
        const Section *table = nullptr;
        ConfigElementSection *section = nullptr; // the first of that name in the document
        bool several = false; // a rename left two sections of that name
        // One bit per lower-cased key of the section's parameters (see keyBit): a key
        // whose bit is clear is not there, so most removals need no look at the lines.
        std::uint64_t keys = 0;
    };

    Section *section(const std::string &lowerName) const;
    void sortTables() const;
    // The section of a record: its name as the file writes it.
    std::string sectionOf(const QString &recordName) const;
    std::string globalSection(const Share &global) const;

    void readRecord(Share &record, const Section &values, const Share &fallback) const;
    void readModules(Share &record, const Section &values) const;
    void readAclOptions(Share &record, const Section &values, const Share &fallback) const;
    static WriteList parseWriteList(const QString &value);

    Target target(const std::string &name) const;
    // A target for a section loaded as table; its header is trusted when nothing was
    // renamed since loading.
    Target target(const std::string &name, const Section *table, bool trustHeader) const;
    void refresh(Target &target) const;
    static void collectKeys(Target &target);
    ConfigElementData *findLine(const Target &target, std::string_view key) const;
    void removeKey(Target &target, std::string_view key);
    // Removes the keys in one pass over the section; bits, when known, are their keyBits.
    void removeKeys(Target &target, const std::vector<std::string> &keys, std::uint64_t bits = 0);
    void removeKeys(Target &target, const std::string *keys, std::size_t count, std::uint64_t bits = 0);
    void setValue(Target &target, std::string_view key, const std::string &value);
    // Gives an existing line a new value, leaving it byte for byte when it already
    // says the same.
    void setLineValue(Target &target, std::string_view key, const std::string &value);
    void setKey(Target &target, std::string_view key, const std::string &value);
    void setOrRemoveKey(Target &target, std::string_view key, const std::string &value);
    void writeModules(Target &target, const Share &record);
    void writeVfsObjects(Target &target, const QList<std::shared_ptr<VFSModule>> &modules);
    void writeAclOptions(Target &target, const Share &record);
    void writeShare(const SambaSettings &settings, const Share &share, Target &target);
    void writeGlobal(const SambaSettings &settings, Target &target);
    void writeWriteList(Target &target, const Share &share);
    void addBlankLine(Target &target);

    ConfigDocument &m_document;
    QString m_path;
    QString m_testparmProgram;

    // One table per lower-cased section name, in byte order of the names as loaded, and
    // their indexes in that order (kept up to date lazily after renames).
    mutable std::vector<Section> m_tables;
    mutable std::vector<std::uint32_t> m_byName;
    mutable bool m_byNameValid = true;
    QHash<QString, std::string> m_decodedNames; // section name decoded from UTF-8 -> as written
    std::size_t m_recordSections = 0; // sections with parameters, as loaded
    // The sections of the shares of the last loadShares, in its order.
    mutable std::vector<const Section *> m_shareSections;
    unsigned m_saveMark = 0;
    // The document is as loaded: nothing written into it yet, so the key bits of the
    // tables describe its lines.
    bool m_pristine = false;

    // What the last load derived, so a save only rewrites the consequences of the
    // authentication mode when the administrator changed it.
    SambaSettings::SecurityMode m_loadedSecurity = SambaSettings::SecurityUser;
    SambaSettings::KerberosMethod m_loadedKerberosMethod = SambaSettings::KerberosDefault;
    QString m_loadedRealm;

    // The installed file as loaded, to refuse overwriting changes made meanwhile.
    std::string m_loadedBytes;
    bool m_loaded = false;
};
