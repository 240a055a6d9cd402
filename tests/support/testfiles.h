#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtGlobal>

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

// Whether the samples from public repositories are beside the repository; a plain clone
// has only the project's own files, and the corpus tests say so once.
inline bool sharedSamplesPresent()
{
    static const bool present = [] {
        const bool found = QFileInfo(QStringLiteral(SHAREWARD_SAMPLES_DIR)).isDir();
        if (!found)
            qInfo("smb.conf samples not found at %s: testing the project's own files only",
                  SHAREWARD_SAMPLES_DIR);
        return found;
    }();
    return present;
}

// The real and tricky smb.conf files the round-trip and edit tests run on: Samba's own,
// the hand-made ones beside the parser tests, and the samples from public repositories
// (CRLF, TABs, repeated sections, includes, non-ASCII, AD members and DCs) when present.
inline QStringList smbConfCorpus()
{
    QStringList files;
    for (const char *path :
         {"/usr/share/samba/smb.conf", "/usr/share/doc/samba-common/examples/smb.conf.default"}) {
        if (QFileInfo(QString::fromLatin1(path)).isFile())
            files << QString::fromLatin1(path);
    }
    QStringList directories{QStringLiteral(SHAREWARD_SOURCE_DIR "/tests/confdoc/data")};
    if (sharedSamplesPresent())
        directories << QStringLiteral(SHAREWARD_SAMPLES_DIR);
    for (const QString &directory : directories) {
        const QDir dir(directory);
        for (const QString &name : dir.entryList({QStringLiteral("*.conf")}, QDir::Files, QDir::Name))
            files << dir.filePath(name);
    }
    return files;
}

// How many files smbConfCorpus() must find at least: Samba's two, the eight hand-made ones
// and, when present, the thirty samples; fewer means files went missing.
inline int smbConfCorpusMinimum()
{
    return 10 + (sharedSamplesPresent() ? 30 : 0);
}
