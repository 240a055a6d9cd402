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
 * The program is Debian's /bin/systemctl unless given; tests pass a fake one.
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

    /// What "is-active" answers for a unit. Unknown: systemctl gave no state, as where
    /// systemd does not run (a container) or the program is missing.
    enum State {
        Active,
        Inactive,
        Failed,
        Unknown,
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

    /// Runs "program command -- service" and waits for it, at most timeLimit(command).
    Result run(Command command, const QString &service) const;

    /// The state of a unit; when Unknown, errorText (if given) says why.
    State state(const QString &service, QString *errorText = nullptr) const;
    /// What "status --no-pager --lines=20 service" prints, its error output included: the
    /// unit's recent log lines, for the box that says the service failed.
    QString status(const QString &service) const;
    /// The state "is-active" reports by its exit code and its first word of output.
    static State stateFromOutput(int exitCode, const QByteArray &standardOutput);

    /// SystemPrograms::systemctl()
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
