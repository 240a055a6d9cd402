#pragma once

#include "configtables.h"
#include "sambasettings.h"
#include "share.h"

#include <QHash>
#include <QList>
#include <QString>

#include <stdexcept>
#include <string>
#include <vector>

class ConfigDocument;

// A save refused because smb.conf changed on disk after it was loaded: reloading helps.
class ConfigChangedError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The bridge between smb.conf and the records the dialogs edit. Loading reads the file into
// the document and the records from what Samba reads in it, and remembers the records as
// loaded. Saving takes the lock of smb.conf, writes only what differs from the records as
// loaded, as edits of the document; has testparm judge the result in a temporary file beside
// smb.conf; and only then installs it, when smb.conf is still the file loaded. A save with
// nothing to write writes nothing at all.
class ConfigMapper
{
public:
    ConfigMapper(ConfigDocument &document, const QString &path = QStringLiteral("/etc/samba/smb.conf"),
                 const QString &testparmProgram = QStringLiteral("testparm"));

    // Reads the file into the document and the tables; returns the server settings.
    // Throws std::runtime_error when the file cannot be read.
    SambaSettings loadGlobal();
    // The shares of every section other than [global] that has parameters, in the order
    // of their lower-cased names. Uses only the tables of the last loadGlobal.
    QList<Share> loadShares(const GlobalShare &global) const;

    // Writes the records, checks the result with testparm and installs it; then the
    // records are the loaded ones and the shares' originalName their name. On failure
    // the document, the records and the file stay as they were. Throws std::runtime_error.
    void save(const SambaSettings &settings, QList<Share> &shares);

    // The edits of a save, kept in the document (text() shows them): returns whether there
    // is anything to write. Each call starts from the document as read.
    bool applyRecords(const SambaSettings &settings, const QList<Share> &shares);

    QString path() const { return m_path; }
    // Where the saves of this and every other Shareward process take turns.
    void setLockDirectory(const QString &directory) { m_lockDirectory = directory; }
    // How long a save waits for another one to finish.
    void setLockTimeout(int milliseconds) { m_lockTimeoutMs = milliseconds; }

private:
    void readTables();
    // Throws ConfigChangedError when the file is not the one loaded any more.
    void checkUnchanged() const;
    // The section of a record: its name as the file writes it.
    std::string sectionOf(const QString &recordName) const;
    const ConfigTables::Section *sectionOfRecord(const QString &recordName) const;

    ConfigDocument &m_document;
    QString m_path;
    QString m_testparmProgram;
    QString m_lockDirectory;
    int m_lockTimeoutMs = 10000;
    ConfigTables m_tables;
    QHash<QString, std::string> m_decodedNames; // section name decoded from UTF-8 -> as written

    // The records as loaded (or last saved): a save writes what differs from them.
    SambaSettings m_loadedSettings;
    mutable QList<Share> m_loadedShares;
    mutable std::vector<int> m_loadedShareOf; // per section of the tables, -1 for none
    mutable std::vector<std::size_t> m_loadedSectionOf; // per loaded share, its section
    bool m_loaded = false;
};
