#pragma once

#include "serverstatus.h"

#include <QStringList>

class CommandLineTool;

// shareward-cli status|disconnect: who uses the running smbd (smbstatus) and ending their
// connections (smbcontrol), as the window's Connections tab shows and ends them. smbstatus,
// smbcontrol and systemctl are found through PATH.
class StatusCommand
{
public:
    explicit StatusCommand(CommandLineTool &tool);
    int status(const QStringList &arguments);
    int disconnect(const QStringList &arguments);

private:
    // What smbstatus reports, open files under the shares of the --config file; an exit code
    // other than Success when the file cannot be read.
    // The status, and the names of the --config file's shares when shareNames is given.
    int readStatus(ServerStatus &status, QStringList *shareNames = nullptr);

    CommandLineTool &m_tool;
};
