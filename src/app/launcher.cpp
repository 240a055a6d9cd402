// shareward-launch, what the desktop entry runs. shareward must run as root; for anyone else
// this runs it through pkexec. The polkit action org.shareward.Shareward names shareward's
// installed path, so pkexec asks with that action's message, and its allow_gui annotation keeps
// DISPLAY and XAUTHORITY, which pkexec otherwise clears, so the window reaches the X server.
// No argument is passed on: Qt would load the plugins its options name with root's rights.
#include "launchdecision.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// shareward is installed beside this program, whatever the prefix it was installed to.
std::string programBesideLauncher()
{
    std::vector<char> path(4096);
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return std::string(SHAREWARD_INSTALLED_PROGRAM);
    const std::string self(path.data(), size_t(length));
    return self.substr(0, self.rfind('/') + 1) + "shareward";
}

} // namespace

int main()
{
    // SHAREWARD_PKEXEC lets a test put a stand-in in pkexec's place; it grants nothing, since
    // this program runs with the rights of whoever started it.
    const char *pkexec = std::getenv("SHAREWARD_PKEXEC");
    const std::vector<std::string> line = LaunchDecision::command(
        geteuid(), programBesideLauncher(), pkexec && *pkexec ? pkexec : "/usr/bin/pkexec");
    std::vector<char *> execArguments;
    for (const std::string &argument : line)
        execArguments.push_back(const_cast<char *>(argument.c_str()));
    execArguments.push_back(nullptr);
    execv(execArguments[0], execArguments.data());
    std::fprintf(stderr, "shareward-launch: cannot run %s: %s\n", execArguments[0], std::strerror(errno));
    return 127;
}
