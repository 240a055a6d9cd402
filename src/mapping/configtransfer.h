#pragma once

#include "configmapper.h"

#include <QString>

#include <string>

// The changes that move configuration between smb.conf and Samba's registry: planned on what
// is loaded, as the texts before and after for review; then made through the save
// transaction by ConfigMapper::applyTransfer.
class ConfigTransfer
{
public:
    using Transfer = ConfigMapper::Transfer;

    // What is loaded, and where: the plans read it and change nothing of it.
    struct Loaded
    {
        const ConfigDocument &file;
        const ConfigTables &fileTables;
        QString path;
        QString testparmProgram;
        QString netProgram;
        RegistryConfig::Use registryUse = RegistryConfig::NotUsed;
        const RegistryStore *registry = nullptr; // nullptr when it was not read
        QString registryError; // why it was not read
    };

    explicit ConfigTransfer(const Loaded &loaded)
        : m_loaded(loaded)
    {
    }

    Transfer moveShare(const QString &name, Share::StoredIn to) const;
    Transfer storeAllInRegistry(ConfigMapper::UnusedRegistry unused) const;
    Transfer restoreRegistry(const std::string &registryText, const QString &summary) const;

private:
    // The registry as loaded, or as net lists it when it was not read with smb.conf.
    std::string loadedRegistryText() const;
    // Fills in what Samba serves before and after, and what of the registry it did not read.
    void describeEffect(Transfer &transfer) const;
    // testparm -s of the configuration Samba reads from these texts, in a temporary file
    // beside smb.conf so that relative includes resolve alike.
    std::string effectiveConfig(RegistryConfig::Use use, const std::string &file,
                                const std::string &registry) const;

    const Loaded &m_loaded;
};
