#pragma once

#include <QString>

#include <sys/types.h>

// What tells a file apart from its next version without reading it: an install renames a new
// file over it (another inode), an edit in place moves its time or size. Two stamps of a file
// that is not there are equal.
struct FileStamp
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modified = 0; // nanoseconds

    static FileStamp of(const QString &path);
    bool operator==(const FileStamp &other) const;
    bool operator!=(const FileStamp &other) const { return !(*this == other); }
};
