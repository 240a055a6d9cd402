#include "sshconfighosts.h"

#include <QFile>
#include <QRegularExpression>

#include <pwd.h>
#include <unistd.h>

QStringList SshConfigHosts::aliases(const QByteArray &configText)
{
    QStringList hosts;
    // "Host a b", "host=a", "Host \"a\"": the keyword is case-insensitive, "=" may separate it.
    static const QRegularExpression hostLine(QStringLiteral("^\\s*host(\\s*=\\s*|\\s+)(.*)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    for (const QByteArray &line : configText.split('\n')) {
        const QRegularExpressionMatch match = hostLine.match(QString::fromUtf8(line));
        if (!match.hasMatch())
            continue;
        QString patterns = match.captured(2);
        const int comment = patterns.indexOf(QLatin1Char('#'));
        if (comment >= 0)
            patterns.truncate(comment);
        for (QString name : patterns.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
            name.remove(QLatin1Char('"'));
            if (name.isEmpty() || name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'))
                || name.startsWith(QLatin1Char('!')) || hosts.contains(name))
                continue;
            hosts << name;
        }
    }
    return hosts;
}

QString SshConfigHosts::configPath(const QString &configFile)
{
    if (!configFile.isEmpty())
        return configFile;
    const passwd *entry = ::getpwuid(::getuid());
    if (!entry || !entry->pw_dir)
        return QString();
    return QFile::decodeName(entry->pw_dir) + QStringLiteral("/.ssh/config");
}
