// Shareward's start-up with the parts a test must choose: where the window finds smb.conf and
// the programs it runs, reached in this process instead of through the backend. The start-up
// watcher is built in.
//
//   startupprobe [--config FILE] [--programs DIR]
//
// DIR holds the testparm, systemctl, pdbedit, wbinfo, smbpasswd and net the window runs.
#include "startup.h"

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char **argv)
{
    Startup::Options options;
    MainWindow::Environment environment;
    std::vector<char *> arguments{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (std::strcmp(argument, "--config") == 0 && i + 1 < argc) {
            environment.configPath = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argument, "--programs") == 0 && i + 1 < argc) {
            const QString directory = QString::fromLocal8Bit(argv[++i]) + QLatin1Char('/');
            environment.testparm = directory + QStringLiteral("testparm");
            environment.systemctl = directory + QStringLiteral("systemctl");
            environment.pdbedit = directory + QStringLiteral("pdbedit");
            environment.wbinfo = directory + QStringLiteral("wbinfo");
            environment.smbpasswd = directory + QStringLiteral("smbpasswd");
            environment.net = directory + QStringLiteral("net");
        } else {
            std::fprintf(stderr, "startupprobe: unknown argument %s\n", argument);
            return 2;
        }
    }
    options.openServer = [environment](const ServerAddress &) {
        return std::make_unique<LocalServer>(environment);
    };
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);
    return Startup::run(count, arguments.data(), options);
}
