#pragma once

#include "testfiles.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>

#include <sys/types.h>
#include <unistd.h>

// The processes this one started whose command is name.
inline QList<pid_t> childrenNamed(const QByteArray &name)
{
    QList<pid_t> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number)
            continue;
        // "pid (comm) state ppid ...": comm may hold blanks and parentheses, the last ")" ends it.
        const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
        const int open = stat.indexOf('('), close = stat.lastIndexOf(')');
        if (open < 0 || close < open)
            continue;
        const QList<QByteArray> rest = stat.mid(close + 2).split(' ');
        if (stat.mid(open + 1, close - open - 1) == name && rest.value(1).toInt() == ::getpid())
            found << pid;
    }
    return found;
}
