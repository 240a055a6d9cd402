#pragma once

#include "mainwindow.h"
#include "programversion.h"

#include <QCoreApplication>
#include <QLocale>

#include <functional>

// The program's start-up: the refusals (no root rights, an instance already running), then
// the window, loaded and shown, and the event loop.
class Startup
{
public:
    struct Options
    {
        MainWindow::Environment environment;
        // The root check; empty means the real one (geteuid).
        std::function<bool()> isRoot;
        // Called once the window is shown, before the event loop runs.
        std::function<void(MainWindow &)> shown;
    };

    // Returns the process's exit code.
    static int run(int &argc, char **argv, const Options &options = Options());

    // Installs, on the application object, the translations of Shareward's texts (compiled
    // into the program) and of Qt's own, such as the standard buttons (qttranslations5-l10n),
    // for locale's languages. Returns whether Shareward's own were found; English needs none.
    static bool installTranslators(QCoreApplication &application, const QLocale &locale);

    static bool defaultIsRoot();
    // How many of the program's arguments Qt is handed: under pkexec (PKEXEC_UID set) only the
    // program's name, as the arguments come from the user who started it and Qt loads plugins
    // and reads files named by -platformpluginpath, -platform, -style, -stylesheet and others.
    static int qtArgumentCount(int argc, bool underPkexec);

    static const char *version() { return sharewardVersion(); }
    static const char *aboutText() { return "Shareward\nSAMBA server management application"; }
};
