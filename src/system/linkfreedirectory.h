#pragma once

#include <QString>

// Opens a directory by an absolute path in which no component is a symbolic link, so that a
// user who owns a directory on the way cannot swap it for a link to /etc between a check
// and a change: what is checked (fstat) and changed (fchmod) is then the descriptor.
// openat2() with RESOLVE_NO_SYMLINKS where the kernel has it, else a walk from / that opens
// each component with O_NOFOLLOW (O_NOFOLLOW alone guards only the last one).
class LinkFreeDirectory
{
public:
    enum Method {
        Automatic,
        ComponentWalk,
    };
    // The descriptor (read-only, close-on-exec), or -1 with errno set: ELOOP or ENOTDIR for a
    // link on the way, EINVAL for a relative path or one with "..".
    static int open(const QString &path, Method method = Automatic);
};
