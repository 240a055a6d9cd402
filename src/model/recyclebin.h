#pragma once

#include "optionmodule.h"

// Samba's recycle module: deleted files are moved to a repository folder instead of being
// removed (vfs_recycle(8)).
class RecycleBin : public OptionModule
{
public:
    RecycleBin();

    // The keys of its options, as vfs_recycle(8) names them.
    static const QString Repository; // "repository": the folder, Samba's default ".recycle"
    static const QString KeepTree; // "keeptree": keep the directory structure
    static const QString Versions; // "versions": keep each deleted version of a name
    static const QString Touch; // "touch": set the access time when moved
    static const QString MaxSize; // "maxsize": larger files are deleted, in bytes
    static const QString Exclude; // "exclude": patterns of files deleted at once
    static const QString ExcludeDir; // "exclude_dir": directories whose files are deleted at once

    // What the dialogs propose for a new recycle bin: every user's files apart.
    static QString suggestedRepository() { return QStringLiteral(".recycle/%U"); }
};
