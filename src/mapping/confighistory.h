#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <string>

// The versions of smb.conf as installed, kept so that any of them can be looked at again and
// restored. The store is a root-only directory (made 0700; an existing one that another user
// owns or may write, or a link, is refused) of numbered files (0600): the bytes of
// each version exactly as installed, and beside them when, by whom, from which program and
// what changed. Numbers only grow. Versions of several files may share one store; each file
// keeps at most keep() versions of its own, the oldest going first.
class ConfigHistory
{
public:
    struct Version
    {
        int number = 0;
        // The smb.conf this is a version of, as given to record().
        QString file;
        QDateTime time; // UTC
        QString user;
        // "shareward" (the window) or "shareward-cli".
        QString program;
        // One line: "share team added; workgroup changed" or "changed outside Shareward".
        QString summary;
        qint64 size = 0;
    };

    explicit ConfigHistory(const QString &directory = defaultDirectory());

    // $SHAREWARD_HISTORY_DIRECTORY when set, else /var/lib/shareward/history.
    static QString defaultDirectory();
    static constexpr int DefaultKeep = 100;
    // The summary of a version that another editor made.
    static QString outsideChangeSummary();
    // Who runs the tool: SUDO_USER when set, else the name of PKEXEC_UID when set, else the
    // name of the real user.
    static QString currentUser();

    QString directory() const { return m_directory; }
    // How many versions of each file are kept; at least 1.
    void setKeep(int count);
    int keep() const { return m_keep; }

    // The name a file's versions are kept under: its path with links resolved, so that one
    // file has one history however its path is spelt.
    static QString fileKey(const QString &file);

    // The versions of one file, newest first; empty when the store does not exist yet or is
    // refused (errorString() then says why).
    QList<Version> versions(const QString &file) const;
    // The version with this number, of any file; number 0 when there is none.
    Version version(int number) const;
    // The bytes of a version; false with errorString() set when it cannot be read.
    bool read(int number, std::string &bytes) const;

    // Stores bytes as the newest version of file unless they are the bytes of its newest
    // version already. Returns the number of the version holding them (new or existing),
    // or 0 with errorString() set on failure; nothing half-written stays behind. Versions
    // past keep() are then removed, oldest first.
    int record(const QString &file, const std::string &bytes, const QString &summary, const QString &program);
    // Records the bytes found on disk as a version "changed outside Shareward" when they
    // differ from the newest version of file, or when the store has none of it yet.
    int recordOutsideChange(const QString &file, const std::string &bytes, const QString &program);

    QString errorString() const { return m_error; }

private:
    QString m_directory;
    int m_keep = DefaultKeep;
    mutable QString m_error;
};
