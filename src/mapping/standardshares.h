#pragma once

#include "share.h"

// Shares every editor makes the same way.
class StandardShares
{
public:
    // [printers]: the printers of the system's spooler, as "Share printers" adds it.
    static Share printers();
    static QString printersName() { return QStringLiteral("printers"); }
};
