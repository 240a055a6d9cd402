#include "connectionscontroller.h"

#include "connectionsview.h"
#include "whilebusy.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QTimer>

#include <chrono>


namespace {

// The key of a connection from one read to the next: a client that connects again after
// its share was closed has a new one.
QString connectionKey(const ServerConnection &connection)
{
    return QStringList{connection.pid, connection.sessionId, connection.share,
                       connection.connectedAt.toString(Qt::ISODateWithMs)}
        .join(QLatin1Char('/'));
}

} // namespace

ConnectionsController::ConnectionsController(ConnectionsView *view, ServerServices &services,
                                             const QString &configPath, const SharePaths &sharePaths,
                                             QWidget *window, QWidget *fields)
    : QObject(window)
    , m_view(view)
    , m_window(window)
    , m_server(services)
    , m_configPath(configPath)
    , m_sharePaths(sharePaths)
    , m_refreshAction(new QAction(tr("&Refresh"), window))
    , m_timer(new QTimer(this))
    , m_poll(new QTimer(this))
    , m_smbdLabel(new QLabel(fields))
    , m_nmbdLabel(new QLabel(fields))
    , m_sessionsLabel(new QLabel(fields))
    , m_configLabel(new QLabel(fields))
{
    m_refreshAction->setObjectName(QStringLiteral("actionRefresh"));
    m_refreshAction->setShortcut(QKeySequence::Refresh);
    m_refreshAction->setToolTip(tr("Read again who is connected and the state of smbd and nmbd"));
    window->addAction(m_refreshAction);
    view->setRefreshAction(m_refreshAction);
    connect(m_refreshAction, &QAction::triggered, this, &ConnectionsController::refresh);

    m_timer->setObjectName(QStringLiteral("connectionsRefreshTimer"));
    m_timer->setInterval(RefreshIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &ConnectionsController::refresh);
    m_poll->setInterval(50);
    connect(m_poll, &QTimer::timeout, this, &ConnectionsController::poll);

    connect(view, &ConnectionsView::disconnectRequested, this, &ConnectionsController::disconnectClient);
    connect(view, &ConnectionsView::closeShareRequested, this, &ConnectionsController::closeShare);

    m_smbdLabel->setObjectName(QStringLiteral("labelSmbd"));
    m_nmbdLabel->setObjectName(QStringLiteral("labelNmbd"));
    m_sessionsLabel->setObjectName(QStringLiteral("labelSessions"));
    m_configLabel->setObjectName(QStringLiteral("labelConfig"));
    showState(m_smbdLabel, SystemCtl::smbdService(), SystemCtl::Unknown);
    m_nmbdLabel->setText(tr("nmbd not checked"));
    m_nmbdLabel->setToolTip(tr("Refresh (F5) reads the state of nmbd"));
    // Shown from the first read on.
    m_sessionsLabel->setVisible(false);
    // The path gives way to a narrow window, the messages keep the room left of the fields;
    // its tooltip has it whole.
    m_configLabel->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    m_configLabel->setMinimumWidth(
        m_configLabel->fontMetrics().horizontalAdvance(QStringLiteral("smb.conf (%1)").arg(tr("modified"))));
    updateConfigLabel();
    for (QLabel *label : {m_smbdLabel, m_nmbdLabel, m_sessionsLabel, m_configLabel}) {
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        label->setMargin(1);
        fields->layout()->addWidget(label);
    }
}

ConnectionsController::~ConnectionsController() = default;

void ConnectionsController::setShown(bool shown)
{
    if (!shown) {
        m_timer->stop();
        return;
    }
    if (!m_timer->isActive())
        m_timer->start();
    refresh();
}

void ConnectionsController::refresh()
{
    if (!isRefreshing())
        start();
}

void ConnectionsController::refreshSoon()
{
    // The checks wait for a read that starts from now on; one already running may have
    // started before the command, so one more follows it.
    for (Check &check : m_checks) {
        if (check.after < 0)
            check.after = m_started;
    }
    if (isRefreshing())
        m_again = true;
    else
        start();
}

void ConnectionsController::start()
{
    const SmbStatus::SharePaths shares = m_sharePaths ? m_sharePaths() : SmbStatus::SharePaths();
    ++m_started;
    ServerServices *server = &m_server;
    m_reading = std::async(std::launch::async, [server, shares] { return server->liveStatus(shares); });
    m_poll->start();
}

void ConnectionsController::poll()
{
    if (!m_reading.valid() || m_reading.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    m_poll->stop();
    const Reading reading = m_reading.get();
    apply(reading);
    if (m_again) {
        m_again = false;
        start();
    }
}

void ConnectionsController::apply(const Reading &given)
{
    Reading reading = given;
    // smbstatus answers for a stopped smbd as for an idle one: where systemd knows, it decides.
    if (reading.status.running
        && (reading.smbd == SystemCtl::Inactive || reading.smbd == SystemCtl::Failed)) {
        reading.status = ServerStatus();
        reading.status.error = tr("smbd is not running: systemd reports it stopped");
    }
    m_status = reading.status;
    m_view->setStatus(reading.status);
    showState(m_smbdLabel, SystemCtl::smbdService(), reading.smbd);
    showState(m_nmbdLabel, SystemCtl::nmbdService(), reading.nmbd);
    const int sessions = reading.status.sessions.size();
    if (reading.status.running)
        m_sessionsLabel->setText(sessions == 1 ? tr("1 session") : tr("%1 sessions").arg(sessions));
    else
        m_sessionsLabel->setText(reading.smbd == SystemCtl::Active ? tr("sessions unknown")
                                                                   : tr("no sessions"));
    m_sessionsLabel->setToolTip(reading.status.error);
    m_sessionsLabel->setVisible(true);
    checkConfigOnDisk();

    // One read runs at a time: the one that finished is the last one started.
    for (int index = 0; index < m_checks.size();) {
        if (m_checks.at(index).after >= 0 && m_checks.at(index).after < m_started) {
            verify(m_checks.takeAt(index));
        } else {
            ++index;
        }
    }
    emit refreshed();
}

void ConnectionsController::verify(const Check &check)
{
    // Only what the command ended counts: a client may connect again at once.
    ServerStatus remaining;
    QStringList left;
    if (check.process) {
        for (const ServerSession &session : qAsConst(m_status.sessions)) {
            if (check.keys.contains(session.id))
                remaining.sessions << session;
        }
        left = ConnectionsView::sessionsOf(remaining, check.target);
        if (left.isEmpty())
            emit message(tr("The clients of smbd process %1 are disconnected.").arg(check.target), 10000);
        else
            emit message(
                tr("smbd process %1 still serves %2.").arg(check.target, left.join(QStringLiteral(", "))), 0);
        return;
    }
    for (const ServerConnection &connection : qAsConst(m_status.connections)) {
        if (check.keys.contains(connectionKey(connection)))
            remaining.connections << connection;
    }
    left = ConnectionsView::usersOf(remaining, check.target);
    if (left.isEmpty())
        emit message(tr("The share %1 is closed for everyone.").arg(check.target), 10000);
    else
        emit message(
            tr("Still connected to the share %1: %2.").arg(check.target, left.join(QStringLiteral(", "))), 0);
}

void ConnectionsController::disconnectClient(const QString &pid)
{
    // "smbcontrol smbd shutdown" would end the whole server: only a process number goes.
    bool number = false;
    if (pid.toUInt(&number) == 0 || !number)
        return;
    // In a cluster smbstatus lists every node's sessions; smbcontrol would take the number for a
    // process of this node.
    for (const ServerSession &session : qAsConst(m_status.sessions)) {
        if (session.pid == pid && session.onClusterNode()) {
            QMessageBox::critical(
                m_window, tr("Error"),
                tr("smbd process %1 runs on cluster node %2. End it on that node.").arg(pid, session.vnn),
                QMessageBox::Ok);
            return;
        }
    }
    const SmbControl::Result result = whileBusy(m_window, tr("Disconnecting the client..."),
                                                [this, pid] { return m_server.endProcess(pid); });
    if (!result.succeeded) {
        QMessageBox::critical(m_window, tr("Error"),
                              tr("smbd process %1 was not ended.\n%2").arg(pid, result.errorText),
                              QMessageBox::Ok);
        return;
    }
    Check check{true, pid, {}, -1};
    for (const ServerSession &session : m_status.sessions) {
        if (session.pid == pid)
            check.keys << session.id;
    }
    m_checks << check;
    QTimer::singleShot(SettleMs, this, &ConnectionsController::refreshSoon);
}

void ConnectionsController::closeShare(const QString &share)
{
    const SmbControl::Result result = whileBusy(m_window, tr("Closing the share %1...").arg(share),
                                                [this, share] { return m_server.closeShare(share); });
    if (!result.succeeded) {
        QMessageBox::critical(m_window, tr("Error"),
                              tr("The share %1 was not closed.\n%2").arg(share, result.errorText),
                              QMessageBox::Ok);
        return;
    }
    Check check{false, share, {}, -1};
    for (const ServerConnection &connection : m_status.connections) {
        if (connection.share.compare(share, Qt::CaseInsensitive) == 0)
            check.keys << connectionKey(connection);
    }
    m_checks << check;
    QTimer::singleShot(SettleMs, this, &ConnectionsController::refreshSoon);
}

QStringList ConnectionsController::usersOf(const QString &share) const
{
    QStringList users;
    for (const ServerConnection &connection : m_status.connections) {
        if (connection.share.compare(share, Qt::CaseInsensitive) == 0 && !users.contains(connection.user))
            users << connection.user;
    }
    return users;
}

void ConnectionsController::shareDeleted(const QString &share)
{
    if (!usersOf(share).isEmpty() && !m_deletedInUse.contains(share, Qt::CaseInsensitive))
        m_deletedInUse << share;
}

void ConnectionsController::closeDeletedShares(const QSet<QString> &names, bool smbdRunning)
{
    QStringList gone;
    for (const QString &share : qAsConst(m_deletedInUse)) {
        if (!names.contains(share.toLower()))
            gone << share;
    }
    m_deletedInUse.clear();
    if (!smbdRunning || gone.isEmpty())
        return;
    // The reload took the share away from new clients; these end the ones still in it.
    const QStringList failures =
        whileBusy(m_window, tr("Disconnecting the clients of deleted shares..."), [this, gone] {
            QStringList found;
            for (const QString &share : gone) {
                const SmbControl::Result result = m_server.closeShare(share);
                if (!result.succeeded)
                    found << share + QStringLiteral(": ") + result.errorText;
            }
            return found;
        });
    if (!failures.isEmpty())
        emit message(tr("Clients of deleted shares may still be connected: %1")
                         .arg(failures.join(QStringLiteral("; "))),
                     0);
}

void ConnectionsController::showSmbd(bool running)
{
    showState(m_smbdLabel, SystemCtl::smbdService(), running ? SystemCtl::Active : SystemCtl::Inactive);
}

void ConnectionsController::showNmbd(bool running)
{
    showState(m_nmbdLabel, SystemCtl::nmbdService(), running ? SystemCtl::Active : SystemCtl::Inactive);
}

void ConnectionsController::showState(QLabel *label, const QString &service, SystemCtl::State state)
{
    QString text;
    switch (state) {
    case SystemCtl::Active:
        text = tr("%1 running");
        break;
    case SystemCtl::Inactive:
        text = tr("%1 stopped");
        break;
    case SystemCtl::Failed:
        text = tr("%1 failed");
        break;
    case SystemCtl::Unknown:
        text = tr("%1 state unknown");
        break;
    }
    label->setText(text.arg(service));
}

void ConnectionsController::configLoaded()
{
    m_haveLoaded = true;
    // A server's smb.conf this process cannot read itself is not watched.
    if (!m_configPath.isEmpty()) {
        m_loadedStamp = FileStamp::of(m_configPath);
        m_loadedText = contentOf(m_configPath);
    }
    m_checkedStamp = m_loadedStamp;
    m_changedOnDisk = false;
    updateConfigLabel();
}

void ConnectionsController::setModified(bool modified)
{
    m_modified = modified;
    updateConfigLabel();
}

void ConnectionsController::checkConfigOnDisk()
{
    if (!m_haveLoaded || m_configPath.isEmpty())
        return;
    // The file is read only when its size, time or identity moved: a touch leaves it equal.
    const FileStamp stamp = FileStamp::of(m_configPath);
    if (stamp == m_checkedStamp)
        return;
    m_checkedStamp = stamp;
    m_changedOnDisk = !stamp.exists || contentOf(m_configPath) != m_loadedText;
    updateConfigLabel();
}

void ConnectionsController::updateConfigLabel()
{
    QStringList states;
    if (m_modified)
        states << tr("modified");
    if (m_changedOnDisk)
        states << tr("changed on disk");
    const QString suffix =
        states.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(states.join(QStringLiteral(", ")));
    // While the status bar shows a message the file's name stands for its path, to leave the
    // message room.
    const QString path = m_configPath.isEmpty() ? m_shownPath : m_configPath;
    m_configLabel->setText((m_messageShown ? QFileInfo(path).fileName() : path) + suffix);
    QString tip = path + suffix;
    if (m_changedOnDisk)
        tip += QLatin1Char('\n')
            + tr("Another program changed smb.conf since it was loaded here: a save is refused until it is "
                 "loaded again.");
    m_configLabel->setToolTip(tip);
}

void ConnectionsController::setShownPath(const QString &path)
{
    m_shownPath = path;
    updateConfigLabel();
}

void ConnectionsController::statusMessageChanged(const QString &message)
{
    m_messageShown = !message.isEmpty();
    updateConfigLabel();
}

QByteArray ConnectionsController::contentOf(const QString &path)
{
    // The whole text rather than a hash of it: reading it is all the start-up pays.
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
