#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

// A whole file, or nothing when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The real and tricky smb.conf files the round-trip and edit tests run on: Samba's own,
// the hand-made ones beside the parser tests, and the samples from public repositories
// (CRLF, TABs, repeated sections, includes, non-ASCII, AD members and DCs).
inline QStringList smbConfCorpus()
{
    QStringList files;
    for (const char *path :
         {"/usr/share/samba/smb.conf", "/usr/share/doc/samba-common/examples/smb.conf.default"}) {
        if (QFileInfo(QString::fromLatin1(path)).isFile())
            files << QString::fromLatin1(path);
    }
    for (const char *directory :
         {SHAREWARD_SOURCE_DIR "/tests/confdoc/data", SHAREWARD_SOURCE_DIR "/../shared/smbconf-samples"}) {
        const QDir dir(QString::fromLatin1(directory));
        for (const QString &name : dir.entryList({QStringLiteral("*.conf")}, QDir::Files, QDir::Name))
            files << dir.filePath(name);
    }
    return files;
}
