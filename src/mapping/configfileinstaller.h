#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

// Replaces a configuration file the way careful system-file editors do: the new text goes
// to a temporary file of its own beside the target (a random name, created exclusively,
// never through a link), flushed to disk with the target's mode, owner, ACLs and extended
// attributes, then renamed over the target in one step, provided it is still the very file
// that was written. When the path is a symbolic link, the file it points to is replaced.
// A target that is no regular file, or has other hard links, is refused. Every failure
// removes the temporary file; the next save removes those of a save that was killed.
class ConfigFileInstaller
{
public:
    explicit ConfigFileInstaller(const QString &path);
    ~ConfigFileInstaller();
    ConfigFileInstaller(const ConfigFileInstaller &) = delete;
    ConfigFileInstaller &operator=(const ConfigFileInstaller &) = delete;

    // The file that is replaced (the path with symbolic links resolved).
    QString targetPath() const { return m_target; }
    // The temporary file, once open() made it.
    QString temporaryPath() const { return m_temporary; }

    // Checks the target and creates the temporary file.
    bool open();
    // Writes the whole text, gives it the target's attributes, makes it durable and closes it.
    bool write(const std::string &bytes);
    // write() in two steps, so that the file can be read (by testparm) while it goes to disk:
    // writeData leaves it open, sync makes it durable and closes it. install() needs both.
    bool writeData(const std::string &bytes);
    bool sync();
    // Renames the temporary file over the target and makes the rename durable; the text must
    // be synced.
    bool install();
    // Removes the temporary file.
    void discard();
    // Writes bytes to a temporary file beside the target, hands its path to use and removes
    // it again, also when use throws: testparm reads a text there as it would read the file,
    // relative includes alike. False, with errorString() set, when it cannot be written.
    bool withTemporaryCopy(const std::string &bytes, const std::function<void(const QString &path)> &use);

    // The reason of the last failure, a whole sentence naming the file.
    QString errorString() const { return m_error; }

    // Removes the temporary files beside the target of path that no living installer owns:
    // those of saves that were killed. Call it holding the save lock. Returns how many.
    static int removeAbandoned(const QString &path);
    // Whether a name is one this class gives its temporary files for that target.
    static bool isTemporaryName(const QString &target, const QString &name);
    // Reads a whole regular file; refuses anything else (a FIFO, a device, a directory)
    // at once. On failure returns false and sets error to the system's reason.
    static bool readFile(const QString &path, std::string &bytes, QString &error);
    // Whether the file at path holds exactly bytes, read and compared piece by piece; refuses
    // what readFile refuses.
    static bool holds(const QString &path, std::string_view bytes, bool &same, QString &error);

private:
    // Reads a regular file in pieces; size, when given, gets its size as fstat says.
    static bool readChunks(const QString &path, const std::function<void(std::string_view chunk)> &use,
                           QString &error, std::size_t *size = nullptr);
    bool fail(const QString &message);
    bool failErrno(const QString &message, int error);
    bool copyExtendedAttributes(int from);
    void closeFile();
    void releaseOwnership();

    QString m_target;
    QString m_temporary;
    int m_fd = -1;
    // The temporary file once more, held locked while this installer owns it.
    int m_ownerFd = -1;
    bool m_written = false; // writeData succeeded
    dev_t m_device = 0;
    ino_t m_inode = 0;
    QString m_error;
};
