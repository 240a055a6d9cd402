#pragma once

#include <QByteArray>
#include <QString>

#include <string>

// Replaces a configuration file the way careful system-file editors do: the new text
// goes to a temporary file beside the target, never opened through a symbolic link,
// flushed to disk and given the target's mode and owner, then renamed over the target
// in one step. When the path is a symbolic link, the file it points to is replaced.
class ConfigFileInstaller
{
public:
    explicit ConfigFileInstaller(const QString &path);
    ~ConfigFileInstaller();
    ConfigFileInstaller(const ConfigFileInstaller &) = delete;
    ConfigFileInstaller &operator=(const ConfigFileInstaller &) = delete;

    // The file that is replaced (the path with symbolic links resolved).
    QString targetPath() const { return m_target; }
    QString temporaryPath() const { return m_temporary; }

    // Creates the temporary file, replacing whatever stale file or link is there.
    bool open();
    // Writes the whole text, makes it durable and closes the file.
    bool write(const std::string &bytes);
    // Renames the temporary file over the target and makes the rename durable.
    bool install();
    // Removes the temporary file.
    void discard();

    // The reason of the last failure.
    QString errorString() const { return m_error; }

    // The temporary path for a configuration path.
    static QString temporaryPathFor(const QString &target);
    // Reads a whole file; on failure returns false and sets error.
    static bool readFile(const QString &path, std::string &bytes, QString &error);

private:
    bool fail(int error);
    void closeFile();

    QString m_target;
    QString m_temporary;
    int m_fd = -1;
    QString m_error;
};
