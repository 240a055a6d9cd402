#pragma once

#include "configtables.h"
#include "sambasettings.h"
#include "share.h"

#include <QList>
#include <QString>
#include <QStringList>

class OptionModule;

// The records the dialogs edit, read from what Samba reads in smb.conf.
class ConfigReader
{
public:
    explicit ConfigReader(const ConfigTables &tables);

    // The server settings of [global]; a file without one gives the defaults.
    SambaSettings readSettings() const;
    // One share of a section other than [global], falling back to global's values.
    Share readShare(const ConfigTables::Section &section, const GlobalShare &global) const;

    // "@everybody", or the names of a write list with one leading '@' of the whole text
    // dropped, as the share dialog shows them.
    struct WriteList
    {
        bool everybody = false;
        QStringList names;
    };
    static WriteList parseWriteList(const QString &value);

private:
    void readRecord(Share &record, const ConfigTables::Section &values, const Share &fallback) const;
    void readModules(Share &record, const ConfigTables::Section &values) const;
    // Every "PREFIX:KEY" line of the section into the module's options.
    static void readOptions(OptionModule &module, const ConfigTables::Section &values);
    void readAclOptions(Share &record, const ConfigTables::Section &values, const Share &fallback) const;

    const ConfigTables &m_tables;
};
