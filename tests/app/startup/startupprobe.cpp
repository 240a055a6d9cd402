// Shareward's start-up with the parts a test must choose: the root check and where the
// window finds smb.conf and the programs it runs. The start-up watcher is built in.
//
//   startupprobe [--root] [--config FILE] [--programs DIR]
//
// --root makes the root check pass whoever runs it; without it the real check runs. DIR
// holds the testparm, systemctl, pdbedit, wbinfo, smbpasswd and net the window runs.
#include "startup.h"

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char **argv)
{
    Startup::Options options;
    std::vector<char *> arguments{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strcmp(argument, "--root") == 0) {
            options.isRoot = [] {
                return true;
            };
        } else if (std::strcmp(argument, "--config") == 0 && i + 1 < argc) {
            options.environment.configPath = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argument, "--programs") == 0 && i + 1 < argc) {
            const QString directory = QString::fromLocal8Bit(argv[++i]) + QLatin1Char('/');
            options.environment.testparm = directory + QStringLiteral("testparm");
            options.environment.systemctl = directory + QStringLiteral("systemctl");
            options.environment.pdbedit = directory + QStringLiteral("pdbedit");
            options.environment.wbinfo = directory + QStringLiteral("wbinfo");
            options.environment.smbpasswd = directory + QStringLiteral("smbpasswd");
            options.environment.net = directory + QStringLiteral("net");
        } else {
            std::fprintf(stderr, "startupprobe: unknown argument %s\n", argument);
            return 2;
        }
    }
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    return Startup::run(count, arguments.data(), options);
}
