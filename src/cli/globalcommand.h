#pragma once

#include <QStringList>

class CommandLineTool;

// shareward-cli global show|set: the server-wide settings of smb.conf, edited through the
// fields of the server settings dialog.
class GlobalCommand
{
public:
    explicit GlobalCommand(CommandLineTool &tool);
    int run(const QStringList &arguments);
    // The options of global set that take a value.
    static QStringList valueOptions();

private:
    int show(const QStringList &arguments);
    int set(const QStringList &arguments);
    int usage(int code);

    CommandLineTool &m_tool;
};
