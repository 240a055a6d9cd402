#pragma once

// The version of Shareward's package: the window's About box, the command line and the
// backend's greeting report it, and the Debian package is built with it.
inline const char *sharewardVersion()
{
    return "1.5.15+ci5";
}
