#pragma once

#include <QList>
#include <QString>

// Serialises the saves of one configuration file among all Shareward processes: the window,
// shareward-cli and scripts. The lock is a file of its own in a directory only its owner
// may enter (not the configuration file, whose inode a save replaces), opened without
// following links, and held with flock() so that it goes with the process that holds it.
// The holder writes its process ID and program name into it, for the message of a save
// that cannot wait longer.
class ConfigFileLock
{
public:
    // target: the file whose saves are serialised; directory: where the lock files live.
    explicit ConfigFileLock(const QString &target, const QString &directory = defaultDirectory());
    ~ConfigFileLock();
    ConfigFileLock(const ConfigFileLock &) = delete;
    ConfigFileLock &operator=(const ConfigFileLock &) = delete;

    // Waits up to timeoutMs for the lock. On failure errorString() says why, naming the
    // holder when another process has it.
    bool acquire(int timeoutMs);
    void release();
    QString errorString() const { return m_error; }
    QString lockPath() const { return m_path; }

    // /run/shareward, or $SHAREWARD_RUN_DIRECTORY when set (tests, containers).
    static QString defaultDirectory();

private:
    // The processes other than this one that have the file of a descriptor open.
    static QList<qint64> processesWithOpen(int fd);
    bool fail(const QString &message);
    // Who holds the lock, and what to do when the process that took it is gone.
    QString holderMessage() const;
    static QString processName(qint64 pid);
    bool openLockFile();

    QString m_directory;
    QString m_path;
    int m_fd = -1;
    QString m_error;
};
