#pragma once

#include "processrun.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

// Samba's registry configuration held in a test's own directory: smb.conf there names its own
// state, lock, cache, private, pid and ncalrpc directories, so that the real net, testparm
// and smbd keep registry.tdb and everything else beside it and touch nothing of the machine's.
struct PrivateRegistry
{
    QString directory;

    QString config() const { return directory + QStringLiteral("/smb.conf"); }

    // The [global] lines that keep Samba inside the directory; the caller's lines follow them.
    QString globalLines() const
    {
        QString lines;
        for (const char *dir : {"state directory", "lock directory", "cache directory", "private dir",
                                "pid directory", "ncalrpc dir"}) {
            const QString name = QString::fromLatin1(dir);
            const QString path = directory + QLatin1Char('/') + QString(name).replace(QLatin1Char(' '), QLatin1Char('-'));
            QDir().mkpath(path);
            lines += QStringLiteral("\t%1 = %2\n").arg(name, path);
        }
        return lines + QStringLiteral("\tlog file = %1/log.%m\n").arg(directory);
    }

    // Writes smb.conf: "[global]", the private directories, then text (more [global] lines
    // and the sections).
    bool writeConfig(const QString &text) const
    {
        QFile file(config());
        const QByteArray bytes = (QStringLiteral("[global]\n") + globalLines() + text).toUtf8();
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    // "net -s smb.conf conf ARGUMENTS..."
    ProcessRun net(const QStringList &arguments) const
    {
        return runProcess(QStringLiteral("net"), QStringList{QStringLiteral("-s"), config(), QStringLiteral("conf")}
                                                     + arguments);
    }
    QByteArray list() const { return net({QStringLiteral("list")}).out; }
};
