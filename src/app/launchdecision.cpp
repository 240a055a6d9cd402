#include "launchdecision.h"

std::vector<std::string> LaunchDecision::command(uid_t effectiveUid, const std::string &program,
                                                 const std::string &pkexec)
{
    std::vector<std::string> line;
    if (effectiveUid != 0)
        line.push_back(pkexec);
    // pkexec takes the first argument that is not one of its options as the program; an
    // absolute path never starts with '-'.
    line.push_back(program);
    return line;
}
