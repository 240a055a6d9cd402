#pragma once

#include "backendconnection.h"

// How the window reaches the backend of this machine: through pkexec, which asks for an
// administrator's password once for the window's life, or directly when the window already
// runs as root. Nothing of the window's arguments or environment reaches the backend's choice
// of files or programs: pkexec clears the environment, and the backend started by it refuses
// the variables and options that would choose them.
class LocalBackend
{
public:
    // The backend as installed, the one program the polkit action lets pkexec run as root.
    static QString installedProgram();
    // uid is the window's effective user id.
    static BackendConnection::Launch launch(unsigned uid);
};
