// Installs the start-up watcher in whatever Qt program this is part of: linked into the probe,
// or loaded into the real Shareward with LD_PRELOAD.
#include "startupwatcher.h"

#include <QCoreApplication>

#include <cstdlib>

namespace {

// The programs Shareward runs (testparm, pdbedit, wbinfo, systemctl) must not load the
// watcher as well; a sanitized one could not even be loaded by them.
void forgetPreload()
{
    unsetenv("LD_PRELOAD");
}

void installWatcher()
{
    StartupWatcher::install();
}

} // namespace

Q_CONSTRUCTOR_FUNCTION(forgetPreload)
Q_COREAPP_STARTUP_FUNCTION(installWatcher)
