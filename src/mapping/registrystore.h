#pragma once

#include "configdocument.h"
#include "netconf.h"
#include "recordmapper.h"

#include <QString>

#include <memory>
#include <stdexcept>
#include <string>

// A change of the registry failed and putting it back as it was failed too: the registry is
// left changed, which the message says, with the history's version that holds it.
class RegistryNotRestoredError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Samba's registry configuration as Shareward edits it: the text "net conf list" gave, read
// into a document whose records are read and written like smb.conf's; and
// the changes, made with net conf and put back as they were when one step fails.
class RegistryStore
{
public:
    RegistryStore(const QString &netProgram, const QString &configPath);
    ~RegistryStore();

    // Runs net conf list; throws std::runtime_error with net's words when it fails.
    std::string list() const;
    // Reads the registry into the document; the mapper is then to be loaded from it.
    void load();
    // The same, from what list() gave.
    void load(std::string listed);
    const std::string &text() const { return m_text; }
    ConfigDocument &document() { return m_document; }
    RecordMapper &records() { return m_records; }
    const RecordMapper &records() const { return m_records; }

    // Throws ConfigChangedError when the registry is no longer what was loaded.
    void checkUnchanged() const;

    // Makes the registry hold after instead of the text loaded: the parameters that differ, one
    // net conf command each; or, with replace, net conf import of after whole. When a step
    // fails the registry is put back as loaded and std::runtime_error says what failed and
    // whether putting back worked. keptVersion is the history's version holding the registry
    // as loaded, named when it cannot be put back; 0 when there is none.
    void apply(const std::string &after, bool replace, int keptVersion);
    // Puts the registry back as loaded, after apply succeeded and something later failed, and
    // throws what went wrong followed by a sentence saying whether it could: std::runtime_error
    // when it was put back, RegistryNotRestoredError when not.
    [[noreturn]] void putBackAndFail(const QString &what, int keptVersion);

private:
    // net conf import of text, which replaces the whole registry configuration (an empty
    // text empties it), through a temporary file beside smb.conf.
    QString replaceWith(const std::string &text);

    NetConf m_net;
    QString m_configPath;
    std::string m_text;
    ConfigDocument m_document;
    RecordMapper m_records;
};
