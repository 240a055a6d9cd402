#pragma once

#include <QString>

// Says which Shareward of a user runs first: a file in a directory only that user can change,
// held with flock() so that the kernel gives it up however the holder ends (SIGTERM at a
// logout, SIGKILL, a crash). The holder writes its process ID into it for the others.
class InstanceLock
{
public:
    // Where the lock and the first instance's socket live, in this order: $XDG_RUNTIME_DIR,
    // /run/user/UID when it exists, then a directory of the user's own: for root
    // $SHAREWARD_RUN_DIRECTORY or /run/shareward, for others ~/.cache/shareward. A runtime
    // directory that somebody else could change is passed over.
    struct Candidates
    {
        QString runtimeDirectory; // $XDG_RUNTIME_DIR
        QString userRuntimeDirectory; // /run/user/UID
        QString ownDirectory;
    };
    static Candidates defaultCandidates();
    // The first usable candidate; empty with errorText set when none is.
    static QString chooseDirectory(const Candidates &candidates, QString *errorText);

    explicit InstanceLock(const QString &directory);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // True when this process holds the lock now. False when another holds it (holder() names
    // it) or when the lock cannot be used (errorString() says why).
    bool tryLock();
    QString errorString() const { return m_error; }
    // The process ID the holder wrote, 0 when unknown.
    qint64 holder() const;
    QString directory() const { return m_directory; }

private:
    QString m_directory;
    int m_fd = -1;
    bool m_held = false;
    QString m_error;
};
