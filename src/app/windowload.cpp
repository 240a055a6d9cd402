#include "windowload.h"

#include "repairoffer.h"
#include "serveraccounts.h"
#include "serverfiles.h"
#include "serverservices.h"
#include "sharemodel.h"
#include "startuperror.h"
#include "whilebusy.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <exception>
#include <utility>

namespace {

// How often the window looks for results of the background load.
const int backgroundPollMs = 20;
// How long the background load waits for the window to be exposed at most.
const int exposeWaitMs = 1000;

template<class T>
bool arrived(const std::future<T> &result)
{
    return result.valid() && result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

template<class T>
void await(const std::future<T> &result)
{
    if (result.valid())
        result.wait();
}

} // namespace

// What the window reads on worker threads beside its first screen; each result is taken up
// on the GUI thread once it arrived.
struct WindowLoad::Background
{
    std::future<SambaUserMap> sambaUsers;
    std::future<SambaGroupMap> sambaGroups;
    std::future<ServerAccounts::SystemAccounts> systemAccounts;
    std::future<QStringList> domainUsers;
    std::future<QStringList> domainGroups;
    std::future<VfsModuleInventory> modules;
    std::future<bool> smbdActive;
    std::future<void> outsideChange;
    // Whether the results belong to the smb.conf loaded; otherwise they are dropped.
    bool adopted = false;
    // A listing failed: the window holds nothing loaded, the rest is dropped.
    bool failed = false;

    bool pending() const
    {
        return sambaUsers.valid() || sambaGroups.valid() || systemAccounts.valid() || domainUsers.valid()
            || domainGroups.valid() || modules.valid() || smbdActive.valid() || outsideChange.valid();
    }
    void wait() const
    {
        await(sambaUsers);
        await(sambaGroups);
        await(systemAccounts);
        await(domainUsers);
        await(domainGroups);
        await(modules);
        await(smbdActive);
        await(outsideChange);
    }
};

WindowLoad::WindowLoad(ConfigSession &session, ServerAccounts &accounts, ServerServices &services,
                       ServerFiles &files, const ShareModel &shown, QWidget *window)
    : m_session(session)
    , m_accounts(accounts)
    , m_services(services)
    , m_files(files)
    , m_shown(shown)
    , m_window(window)
    , m_poll(new QTimer(this))
{
    m_poll->setInterval(backgroundPollMs);
    connect(m_poll, &QTimer::timeout, this, &WindowLoad::takeUpBackground);
}

WindowLoad::~WindowLoad() = default;

std::future<TestParmResult> WindowLoad::startCheck(ConfigSession &session)
{
    return std::async(std::launch::async, [&session] { return session.check(); });
}

void WindowLoad::initialLoad()
{
    // testparm takes most of the load. The listings, which read nothing of the window, run
    // meanwhile and are taken up once testparm accepted the file.
    m_backgroundDue = false;
    finishBackground();
    auto check = startCheck(m_session);
    startListings();
    const QString failure = loadConfig(std::move(check));
    if (failure.isEmpty())
        adoptBackground();
    finishBackground();
    if (!failure.isEmpty())
        showStartupError(failure);
}

bool WindowLoad::loadFirstScreen(std::future<TestParmResult> check)
{
    finishBackground();
    const QString failure = loadConfig(std::move(check));
    if (failure.isEmpty())
        return true;
    showStartupError(failure);
    return false;
}

void WindowLoad::startBackgroundLoad()
{
    if (!m_loaded)
        return;
    emit serviceStateUnknown();
    QWindow *handle = m_window->window()->windowHandle();
    if (!handle || !m_window->isVisible() || handle->isExposed()) {
        beginBackgroundLoad();
        return;
    }
    // The programs it runs would take the CPUs from the window's first mapping and painting:
    // they start once the window is painted, after a while when it never is, or as soon as
    // a command needs what they read.
    m_backgroundDue = true;
    handle->installEventFilter(this);
    QTimer::singleShot(exposeWaitMs, this, [this] {
        if (m_backgroundDue)
            beginBackgroundLoad();
    });
}

bool WindowLoad::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == m_window->window()->windowHandle()
        && m_window->window()->windowHandle()->isExposed() && m_backgroundDue) {
        // Queued: the window paints while the expose event is delivered.
        QTimer::singleShot(0, this, [this] {
            if (m_backgroundDue)
                beginBackgroundLoad();
        });
    }
    return QObject::eventFilter(watched, event);
}

void WindowLoad::beginBackgroundLoad()
{
    m_backgroundDue = false;
    if (QWindow *handle = m_window->window()->windowHandle())
        handle->removeEventFilter(this);
    if (!m_loaded)
        return;
    startListings();
    adoptBackground();
    m_poll->start();
}

bool WindowLoad::waitForBackgroundLoad()
{
    if (m_backgroundDue)
        beginBackgroundLoad();
    finishBackground();
    return m_loaded;
}

QString WindowLoad::loadConfig(std::future<TestParmResult> check)
{
    m_loaded = false;
    ConfigSession::Loaded loaded;
    std::exception_ptr loadError;
    try {
        loaded = m_session.load();
    } catch (const std::exception &) {
        loadError = std::current_exception();
    }
    m_state = loaded.state;
    const QList<Share> &shares = loaded.shares;
    // Before the window is first shown nobody sees the table: it is filled while testparm
    // still runs, and emptied again when testparm refuses the file.
    const bool early = !loadError && !m_window->isVisible() && !arrived(check);
    const QList<Share> previous = m_shown.shares();
    if (early)
        emit sharesRead(shares);

    const QString failure = StartupError::checkFailure(check.get());
    if (!failure.isEmpty() || loadError) {
        if (early)
            emit sharesRead(previous);
        if (!failure.isEmpty())
            return failure;
        try {
            std::rethrow_exception(loadError);
        } catch (const std::exception &error) {
            return StartupError::loadFailure(error);
        }
    }
    // The accounts are added when the background load brings them.
    emit settingsRead(loaded.settings);
    if (!early)
        emit sharesRead(shares);
    m_loaded = true;
    emit configLoaded();
    warnOfRegistry();
    return QString();
}

void WindowLoad::warnOfRegistry()
{
    const QString error = m_state.registryError;
    if (error == m_registryWarning)
        return;
    m_registryWarning = error;
    if (error.isEmpty())
        return;
    QMessageBox::warning(
        m_window, QCoreApplication::translate("MainWindow", "Warning"),
        QCoreApplication::translate("MainWindow",
                                    "Samba's registry configuration could not be read: its shares "
                                    "are missing here, and nothing is changed in it.\n%1")
            .arg(error),
        QMessageBox::Ok);
}

void WindowLoad::startListings()
{
    finishBackground();
    auto background = std::make_unique<Background>();
    const auto async = [](auto work) {
        return std::async(std::launch::async, std::move(work));
    };
    background->sambaUsers = async([this] { return m_accounts.sambaUsers(); });
    background->sambaGroups = async([this] { return m_accounts.sambaGroups(); });
    background->domainUsers = async([this] { return m_accounts.domainUsers(); });
    background->domainGroups = async([this] { return m_accounts.domainGroups(); });
    background->systemAccounts = async([this] { return m_accounts.systemAccounts(); });
    background->modules = async([this] { return m_files.vfsModules(); });
    background->smbdActive =
        async([this] { return m_services.state(SystemCtl::smbdService()).state == SystemCtl::Active; });
    m_background = std::move(background);
}

void WindowLoad::adoptBackground()
{
    m_background->adopted = true;
    // Another editor's change since the newest version is kept, so the history has no gaps;
    // a store that cannot be written is reported by the next save. Nothing else uses the
    // session until the background load is over: the commands wait for it.
    m_background->outsideChange = std::async(std::launch::async, [this] { m_session.recordOutsideChange(); });
    emit serviceStateUnknown();
}

void WindowLoad::finishBackground()
{
    if (!m_background)
        return;
    m_poll->stop();
    if (m_background->pending()) {
        const Background *background = m_background.get();
        whileBusy(m_window, QCoreApplication::translate("MainWindow", "Reading the Samba accounts..."),
                  [background] { background->wait(); });
    }
    takeUpBackground();
}

void WindowLoad::takeUpBackground()
{
    if (!m_background)
        return;
    Background &background = *m_background;
    const bool take = background.adopted && !background.failed;
    QString failure;
    const auto fail = [&failure, take](const std::exception &error) {
        if (take && failure.isEmpty())
            failure = StartupError::loadFailure(error);
    };
    if (arrived(background.smbdActive)) {
        const bool running = background.smbdActive.get();
        if (background.adopted)
            emit smbdStateRead(running);
    }
    // A server reached through its backend answers nothing once the connection is lost: the
    // load is lost then, as when the Samba accounts cannot be listed.
    if (arrived(background.modules)) {
        try {
            const VfsModuleInventory modules = background.modules.get();
            if (take)
                emit modulesRead(modules);
        } catch (const std::exception &error) {
            fail(error);
        }
    }
    if (arrived(background.systemAccounts)) {
        try {
            const auto accounts = background.systemAccounts.get();
            if (take) {
                emit systemAccountsRead(accounts.users, accounts.groups);
                emit guestAccountsRead(accounts.guests);
            }
        } catch (const std::exception &error) {
            fail(error);
        }
    }
    if (arrived(background.domainUsers)) {
        try {
            const QStringList users = background.domainUsers.get();
            if (take)
                emit domainUsersRead(users);
        } catch (const std::exception &error) {
            fail(error);
        }
    }
    if (arrived(background.domainGroups)) {
        try {
            const QStringList groups = background.domainGroups.get();
            if (take)
                emit domainGroupsRead(groups);
        } catch (const std::exception &error) {
            fail(error);
        }
    }
    // Nothing edits the accounts before they arrived: the account dialogs wait for them.
    if (arrived(background.sambaUsers)) {
        try {
            const SambaUserMap users = background.sambaUsers.get();
            if (take)
                emit sambaUsersRead(users);
        } catch (const std::exception &error) {
            fail(error);
        }
    }
    if (arrived(background.sambaGroups)) {
        try {
            const SambaGroupMap groups = background.sambaGroups.get();
            if (take)
                emit sambaGroupsRead(groups);
        } catch (const std::exception &error) {
            fail(error);
        }
    }
    if (arrived(background.outsideChange)) {
        try {
            background.outsideChange.get();
        } catch (const std::exception &error) {
            fail(error);
        }
    }

    if (!failure.isEmpty()) {
        // As when smb.conf could not be loaded: nothing is shown, and a save writes nothing.
        background.failed = true;
        m_loaded = false;
        emit loadLost();
    }
    const bool done = !background.pending();
    if (done) {
        m_poll->stop();
        m_background.reset();
    }
    // The box runs an event loop, in which the poll may take up the rest.
    if (!failure.isEmpty())
        showStartupError(failure);
    if (done)
        emit backgroundLoaded();
}

void WindowLoad::showStartupError(const QString &text)
{
    if (RepairOffer::run(m_window, text, m_session))
        initialLoad();
}
