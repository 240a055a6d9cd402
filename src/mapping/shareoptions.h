#pragma once

#include "share.h"

#include <string>
#include <utility>
#include <vector>

class VFSModule;

// The smb.conf options behind a share's ACL settings and its VFS modules.
class ShareOptions
{
public:
    // One of the nine ACL options with its record field.
    struct AclOption
    {
        const char *key;
        bool (Share::*get)() const;
        void (Share::*set)(bool);
    };
    // In the order they are written.
    static const std::vector<AclOption> &aclOptions();

    // The options a module Shareward understands writes, with their smb.conf texts, in the
    // order they are written; none for other modules. An OptionModule gives every option it
    // holds, and only those: an option it does not hold is not in the file.
    static std::vector<std::pair<std::string, std::string>> moduleOptions(const VFSModule &module);
};
