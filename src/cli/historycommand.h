#pragma once

#include <QStringList>

class CommandLineTool;
class ConfigHistory;

// shareward-cli history|diff|restore: the versions of smb.conf the history keeps, the
// differences between them, and restoring one through the same checks as a save.
class HistoryCommand
{
public:
    explicit HistoryCommand(CommandLineTool &tool);
    int list(const QStringList &arguments);
    int diff(const QStringList &arguments);
    int restore(const QStringList &arguments);

private:
    // The number of version argument ("12"); reports a bad number or a version the history
    // of the file lacks and returns the exit code for it, 0 when found.
    int findVersion(const ConfigHistory &history, const QString &argument, int &number);
    // The history's name of the --config file, or of its registry with --registry.
    QString file() const;
    QString registryFile() const;

    CommandLineTool &m_tool;
    bool m_registry = false;
};
