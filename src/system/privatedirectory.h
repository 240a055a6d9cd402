#pragma once

#include <QString>

// A directory whose entries nobody but its owner can add, replace or remove: where locks,
// sockets and recorded versions of smb.conf may live. A path naming a link is refused, not
// followed; a directory that is not there is made with mode 0700, and an existing one is
// never changed.
class PrivateDirectory
{
public:
    // Makes the directory when it is missing (its parent must exist), then checks it. On
    // refusal, errorText (if given) says why, naming the path.
    static bool prepare(const QString &path, QString *errorText = nullptr);
    // Whether the directory is there, not a link, owned by this process's user and writable
    // by nobody else.
    static bool check(const QString &path, QString *errorText = nullptr);
    // Opens the directory (O_DIRECTORY, not through a link in its last component) and checks
    // what was opened: the descriptor, or -1 with errorText set.
    static int open(const QString &path, QString *errorText = nullptr);
};
