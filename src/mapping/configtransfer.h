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
    Transfer storeAllInRegistry();
    Transfer restoreRegistry(const std::string &registryText, const QString &summary);
    SambaSettings apply(const Transfer &transfer);

private:
    ConfigMapper &m_mapper;
};
