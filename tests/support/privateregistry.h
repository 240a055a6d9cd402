#pragma once

#include "processrun.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Samba's registry configuration held in a test's own directory: smb.conf there names its own
// state, lock, cache, private, pid and ncalrpc directories, and the real net and testparm run
// through program(), which names them on the command line too. So registry.tdb and everything
// else stays beside smb.conf and nothing of the machine's is touched.
struct PrivateRegistry
{
    QString directory;

    QString config() const { return directory + QStringLiteral("/smb.conf"); }

    // Samba's directories, each a directory of the test's: (parameter, path).
    QList<QPair<QString, QString>> directories() const
    {
        QList<QPair<QString, QString>> all;
        for (const char *dir : {"state directory", "lock directory", "cache directory", "private dir",
                                "pid directory", "ncalrpc dir"}) {
            const QString name = QString::fromLatin1(dir);
            const QString path =
                directory + QLatin1Char('/') + QString(name).replace(QLatin1Char(' '), QLatin1Char('-'));
            QDir().mkpath(path);
            all.append({name, path});
        }
        return all;
    }

    // The [global] lines that keep Samba inside the directory; the caller's lines follow them.
    QString globalLines() const
    {
        QString lines;
        for (const auto &[name, path] : directories())
            lines += QStringLiteral("\t%1 = %2\n").arg(name, path);
        return lines + QStringLiteral("\tlog file = %1/log.%m\n").arg(directory);
    }

    // A stand-in for the real net or testparm that names the directories with --option: under
    // "config backend = registry" Samba takes its settings from the registry alone, and without
    // them would open the machine's registry.tdb.
    QString program(const QString &name) const
    {
        const QString path = directory + QStringLiteral("/private-") + name;
        QString script = QStringLiteral("#!/bin/sh\nexec ") + name;
        for (const auto &[parameter, value] : directories())
            script += QStringLiteral(" '--option=%1=%2'").arg(parameter, value);
        QFile file(path);
        const QByteArray bytes = (script + QStringLiteral(" \"$@\"\n")).toUtf8();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
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
        return runProcess(program(QStringLiteral("net")),
                          QStringList{QStringLiteral("-s"), config(), QStringLiteral("conf")} + arguments);
    }
    QByteArray list() const { return net({QStringLiteral("list")}).out; }
};

// A wrapper around the real program that fails its call number nth naming word (any word:
// "*"), every such call when nth is 0, none when it is negative; it logs every call's
// arguments, a line each.
inline bool writeFailingCall(const QString &path, const QString &program, const QString &word, int nth = 2)
{
    const QString script =
        QStringLiteral(R"(#!/bin/sh
dir=$(dirname "$0")
echo "$*" >>"$dir/calls.log"
case " $* " in *" %2 "*|%3)
  n=$(($(cat "$dir/calls" 2>/dev/null || echo 0) + 1)); echo $n >"$dir/calls"
  if [ %4 -eq 0 ] || [ $n -eq %4 ]; then echo "ERROR: refused on purpose" >&2; exit 255; fi ;;
esac
exec %1 "$@"
)")
            .arg(program, word, word == QLatin1String("*") ? QStringLiteral("*") : QStringLiteral("-"))
            .arg(nth);
    return writeFile(path, script.toUtf8())
        && QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
}
