#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The desktop's own program for user accounts, where a password is given to a service user
// made by Shareward: KDE Plasma's System Settings or GNOME's Settings, whichever is
// installed (Plasma first), else none.
class UserSettingsProgram
{
public:
    // Returns a program's absolute path, empty when it is not installed.
    using Finder = std::function<QString(const QString &name)>;

    // The absolute path of the settings program, empty when no known one is installed.
    static QString find(const Finder &finder = findInPath);
    // The arguments that open program's user accounts page, chosen by its file name.
    static QStringList arguments(const QString &program);
    // QStandardPaths::findExecutable: the program found through PATH.
    static QString findInPath(const QString &name);
};
