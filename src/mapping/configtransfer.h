#pragma once

#include "configmapper.h"

#include <QString>

#include <string>

// The changes that move configuration between smb.conf and Samba's registry: planned on what
// a mapper loaded, as the texts before and after for review; then made through the gate of a
// save by apply (ConfigMapper::applyTransfer).
class ConfigTransfer
{
public:
    using Transfer = ConfigMapper::Transfer;

    explicit ConfigTransfer(ConfigMapper &mapper)
        : m_mapper(mapper)
    {
    }

    Transfer moveShare(const QString &name, Share::StoredIn to);
    Transfer storeAllInRegistry(ConfigMapper::UnusedRegistry unused);
    Transfer restoreRegistry(const std::string &registryText, const QString &summary);
    SambaSettings apply(const Transfer &transfer);

private:
    // Fills in what Samba serves before and after, and what of the registry it did not read.
    void describeEffect(Transfer &transfer) const;
    // testparm -s of the configuration Samba reads from these texts, in a temporary file
    // beside smb.conf so that relative includes resolve alike.
    std::string effectiveConfig(RegistryConfig::Use use, const std::string &file,
                                const std::string &registry) const;

    ConfigMapper &m_mapper;
};
