#pragma once

#include <QStringList>

#include <istream>

class CommandLineTool;

// shareward-cli user|group|service: Samba's accounts and group mappings, and the smbd and
// nmbd services, changed as the users, groups and service commands of the window change them.
class ServerAccountCommand
{
public:
    explicit ServerAccountCommand(CommandLineTool &tool);
    int user(const QStringList &arguments);
    int group(const QStringList &arguments);
    int service(const QStringList &arguments);

    // A new password: one line of in, or on a terminal asked twice without echo. False, with
    // the problem said (none when the input ended while asking), when there is none.
    static bool readPassword(std::istream &in, bool terminal, QString &password, QString &problem);

private:
    // One line of standard input; on a terminal asked twice without echo.
    bool readPassword(QString &password);
    // Reports an action: what would run with --dry-run, else what ran or why it failed.
    int done(const QString &action, const QString &error);
    bool dryRun() const;

    CommandLineTool &m_tool;
};
