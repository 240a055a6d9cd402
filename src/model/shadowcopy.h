#pragma once

#include "optionmodule.h"

// Samba's shadow_copy2 module: snapshots of the share's file system offered to Windows
// clients as "Previous Versions" (vfs_shadow_copy2(8)).
class ShadowCopy : public OptionModule
{
public:
    ShadowCopy();

    static const QString SnapDir; // "snapdir": where the snapshots are, relative to the share
    static const QString Format; // "format": the strftime format of a snapshot's name
    static const QString Sort; // "sort": "asc" or "desc"
    static const QString LocalTime; // "localtime": names in local time, not UTC
    static const QString SnapDirsEverywhere; // "snapdirseverywhere"
    static const QString SnapPrefix; // "snapprefix": a regular expression before the time
    static const QString DelimiterPrefix; // "delimiter"
};
