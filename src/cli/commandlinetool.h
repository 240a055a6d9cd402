#pragma once

#include "sambasettings.h"
#include "share.h"

#include <QList>
#include <QStringList>

#include <functional>

#include <ostream>
#include <vector>

// shareward-cli: the headless face of Shareward for administrators and scripts.
// Exit codes: 0 success, 1 the operation failed, 2 bad usage or unreadable input.
class CommandLineTool
{
public:
    enum ExitCode {
        Success = 0,
        Failure = 1,
        UsageError = 2,
    };

    CommandLineTool(std::ostream &out, std::ostream &err);

    // Runs one command; the arguments exclude the program name.
    int run(const QStringList &arguments);

private:
    struct Command
    {
        const char *name;
        const char *arguments;
        const char *summary;
        int (CommandLineTool::*handler)(const QStringList &arguments);
    };
    static const std::vector<Command> &commands();

    int print(const QStringList &arguments);
    int show(const QStringList &arguments);
    int save(const QStringList &arguments);
    int share(const QStringList &arguments);
    int global(const QStringList &arguments);
    // Loads the file, lets edit change the records and saves them: nothing is written
    // when the edit changes nothing.
    int edit(const std::function<QString(SambaSettings &, QList<Share> &)> &change);

    int usage(std::ostream &stream, int code);
    int fail(int code, const QString &message);
    // Reads a whole file; on failure reports it and returns false.
    bool readFile(const QString &path, std::string &bytes);

    std::ostream &m_out;
    std::ostream &m_err;
    QString m_config = QStringLiteral("/etc/samba/smb.conf");
};
