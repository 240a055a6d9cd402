#pragma once

// The account sandbox of tests/system/accounts/sandbox.sh for Qt Test suites that change the
// system's and Samba's account databases: such a suite runs itself again inside it, and
// changes accounts only once inAccountSandbox() says /etc is the sandbox's copy.

#include <QByteArray>
#include <QtGlobal>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

// True when /etc is provably the sandbox's tmpfs copy.
inline bool inAccountSandbox()
{
    const QByteArray root = qgetenv("SHAREWARD_SANDBOX");
    struct stat etcStatus = {};
    struct stat rootStatus = {};
    return !root.isEmpty() && ::stat("/etc", &etcStatus) == 0 && ::stat(root.constData(), &rootStatus) == 0
        && etcStatus.st_dev == rootStatus.st_dev;
}

// Runs the test program again inside sandbox.sh when it can (as root, not inside yet); returns
// when it cannot, and the suite skips what needs the sandbox.
inline void enterAccountSandbox(int argc, char *argv[])
{
    if (::geteuid() != 0 || !qEnvironmentVariableIsEmpty("SHAREWARD_SANDBOX")
        || !qEnvironmentVariableIsEmpty("SHAREWARD_SANDBOX_UNAVAILABLE"))
        return;
    char executable[4096];
    const ssize_t length = ::readlink("/proc/self/exe", executable, sizeof executable - 1);
    if (length <= 0)
        return;
    executable[length] = '\0';
    static const char script[] = SHAREWARD_SOURCE_DIR "/tests/system/accounts/sandbox.sh";
    std::vector<char *> arguments{const_cast<char *>(script), executable};
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    ::execv(script, arguments.data());
    std::fprintf(stderr, "cannot run %s: %s\n", script, std::strerror(errno));
    std::_Exit(1);
}
