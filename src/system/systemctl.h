#ifndef SYSTEMCTL_H
#define SYSTEMCTL_H

#include <QObject>
#include <QString>

/**
 * Queries, starts, stops and restarts systemd services such as smbd and nmbd by running
 * systemctl synchronously. Only the exit is judged: success is a normal exit with code 0
 * ("is-active" answers 0 exactly for an active unit). A query gets 10 s, a start, stop or restart
 * 30 s, as a service may take a while to stop serving its clients; a systemctl still running then
 * is killed and the run failed.
 *
 * The program is found through PATH unless given with a path; tests pass a fake one.
 */
class SystemCtl : public QObject
{
    Q_OBJECT

public:
    enum Command {
        IsActive,
        Start,
        Stop,
        Restart,
    };
    Q_ENUM(Command)

    /// How one systemctl run ended. The main window's error boxes show their own fixed texts when
    /// succeeded is false; errorText is the detail they may add.
    struct Result
    {
        bool succeeded = false;
        /// systemctl's error output, or why it did not run or exited abnormally; empty on success.
        QString errorText;
    };

    explicit SystemCtl(const QString &program = defaultProgram(), QObject *parent = nullptr);
    ~SystemCtl() override;

    QString program() const { return m_program; }
    /// One limit for every command instead of the defaults; tests shorten it.
    void setTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }
    /// The limit a command gets.
    int timeLimit(Command command) const;

    bool isActive(const QString &service) const;
    bool start(const QString &service) const;
    bool stop(const QString &service) const;
    bool restart(const QString &service) const;

    /// Runs "program command service" and waits for it, at most timeLimit(command).
    Result run(Command command, const QString &service) const;

    /// "systemctl"
    static QString defaultProgram();
    /// "is-active", "start", "stop" or "restart".
    static QString commandText(Command command);
    static QString smbdService();
    static QString nmbdService();

private:
    QString m_program;
    // 0: the default of each command.
    int m_timeLimitMs = 0;
};

#endif // SYSTEMCTL_H
