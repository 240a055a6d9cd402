#pragma once

#include "mainwindow.h"
#include "programversion.h"
#include "serveraddress.h"

#include <QCoreApplication>
#include <QLocale>

#include <functional>

// The program's start-up as the desktop user: the refusal when an instance already runs,
// the server opened through its backend (pkexec on this machine, ssh on another), then the
// window, loaded and shown, and the event loop.
//
//   shareward [--connect local|[ssh://][USER@]HOST[:PORT]]... [--ssh-config FILE]
class Startup
{
public:
    struct Options
    {
        // Opens a server in place of its backend, for the tests that drive the window over
        // this machine's programs; empty means the backend.
        std::function<std::unique_ptr<Server>(const ServerAddress &)> openServer;
        // Called once the window is shown, before the event loop runs.
        std::function<void(MainWindow &)> shown;
    };

    // The program's own options, after Qt took its.
    struct Arguments
    {
        QList<ServerAddress> servers;
        QString sshConfig;
    };
    // The problem with the arguments, or empty.
    static QString parseArguments(const QStringList &arguments, Arguments &parsed);
    // The server at address, through its backend. Throws BackendConnection::Failure.
    static std::unique_ptr<Server> openBackend(const ServerAddress &address, const QString &sshConfig);

    // Returns the process's exit code.
    static int run(int &argc, char **argv, const Options &options = Options());

    // Installs, on the application object, the translations of Shareward's texts (compiled
    // into the program) and of Qt's own, such as the standard buttons (qttranslations5-l10n),
    // for locale's languages. Returns whether Shareward's own were found; English needs none.
    static bool installTranslators(QCoreApplication &application, const QLocale &locale);

    // How many of the program's arguments Qt is handed: under pkexec (PKEXEC_UID set) only the
    // program's name, as the arguments come from the user who started it and Qt loads plugins
    // and reads files named by -platformpluginpath, -platform, -style, -stylesheet and others.
    static int qtArgumentCount(int argc, bool underPkexec);

    static const char *version() { return sharewardVersion(); }
    static const char *aboutText() { return "Shareward\nSAMBA server management application"; }
};
