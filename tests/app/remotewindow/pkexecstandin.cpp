// pkexecstandin: pkexec for the window's tests, where polkit does not run. Installed setuid
// root by the test, it does what pkexec does once the administrator authenticated: it runs
// only the backend the polkit action names, with a cleared environment and PKEXEC_UID set to
// its caller's uid, as root. Anything else is refused with pkexec's 127, so that a window
// asking for another program fails its test. Plain C++: no Qt runs with root's rights.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <grp.h>
#include <unistd.h>

namespace {

const char *const backend = "/usr/bin/shareward-cli";

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || std::strcmp(argv[1], backend) != 0 || std::strcmp(argv[2], "serve") != 0) {
        std::fprintf(stderr, "pkexec stand-in: refused: only \"%s serve\" may run, not:", backend);
        for (int i = 1; i < argc; ++i)
            std::fprintf(stderr, " \"%s\"", argv[i]);
        std::fputc('\n', stderr);
        return 127;
    }
    const uid_t caller = getuid();
    // The sanitizers' options reach the backend as the test servers' ssh sessions get them.
    std::vector<std::string> kept;
    for (const char *name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (const char *value = std::getenv(name))
            kept.push_back(std::string(name) + '=' + value);
    }
    if (clearenv() != 0 || setgroups(0, nullptr) != 0 || setresgid(0, 0, 0) != 0 || setresuid(0, 0, 0) != 0) {
        std::perror("pkexec stand-in: cannot become root (is it setuid root?)");
        return 127;
    }
    setenv("PKEXEC_UID", std::to_string(caller).c_str(), 1);
    setenv("PATH", "/usr/sbin:/usr/bin:/sbin:/bin", 1);
    setenv("HOME", "/root", 1);
    setenv("USER", "root", 1);
    setenv("LOGNAME", "root", 1);
    setenv("SHELL", "/bin/sh", 1);
    for (std::string &variable : kept)
        putenv(variable.data());
    if (chdir("/") != 0) {
        std::perror("pkexec stand-in: chdir /");
        return 127;
    }
    char serve[] = "serve";
    char program[] = "/usr/bin/shareward-cli";
    char *arguments[] = {program, serve, nullptr};
    execv(program, arguments);
    std::perror("pkexec stand-in: cannot run the backend");
    return 127;
}
