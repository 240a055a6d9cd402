#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// What shareward-launch runs: shareward itself for root, or pkexec on shareward for anyone
// else, so that the desktop's own polkit agent asks for the administrator's password.
class LaunchDecision
{
public:
    // The command line to exec, the program first. program and pkexec are absolute paths. No
    // argument is passed on: shareward runs as root, and Qt would load the plugins and read the
    // files its options name (-platformpluginpath, -style...) with root's rights.
    static std::vector<std::string> command(uid_t effectiveUid, const std::string &program,
                                            const std::string &pkexec);
};
