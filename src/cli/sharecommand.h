#pragma once

#include <QJsonObject>
#include <QStringList>

class CommandLineTool;
class Share;

// shareward-cli share list|show|add|set|remove|rename: the shares of smb.conf, edited through
// the fields the share dialog edits and with its checks.
class ShareCommand
{
public:
    explicit ShareCommand(CommandLineTool &tool);
    int run(const QStringList &arguments);
    // The options of the share commands that take a value.
    static QStringList valueOptions();

private:
    int list(const QStringList &arguments);
    int show(const QStringList &arguments);
    int move(const QStringList &arguments);
    // A share's record as JSON, with where it is stored when the registry is in use.
    QJsonObject shareJson(const Share &share) const;
    int add(const QStringList &arguments);
    int set(const QStringList &arguments);
    int remove(const QStringList &arguments);
    int rename(const QStringList &arguments);
    int usage(int code);

    CommandLineTool &m_tool;
};
