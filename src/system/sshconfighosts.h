#pragma once

#include <QByteArray>
#include <QStringList>

// The host aliases an ssh configuration names ("Host files backup"), for the window to offer
// as servers; patterns ("*.example.org", "!old") are not hosts one can connect to. Include
// directives are not followed: ssh resolves an alias typed by hand in any case.
class SshConfigHosts
{
public:
    static QStringList aliases(const QByteArray &configText);
    // The file ssh reads for the window's user: configFile when given, else ~/.ssh/config of
    // the home the password database names (ssh does not read $HOME).
    static QString configPath(const QString &configFile);
};
