#pragma once

#include <QStringList>

#include <string>

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
    // The bytes of version argument ("12"); reports a bad number or a missing version and
    // returns the exit code for it, 0 when read.
    int readVersion(const ConfigHistory &history, const QString &argument, std::string &bytes, int &number);
    QString file() const;

    CommandLineTool &m_tool;
};
