#include "mainwindow.h"

#include "configdialog.h"
#include "configmapper.h"
#include "connectionscontroller.h"
#include "groupsdialog.h"
#include "historydialog.h"
#include "quill.h"
#include "repairoffer.h"
#include "reviewchangesdialog.h"
#include "saveplan.h"
#include "savesteps.h"
#include "servicecommands.h"
#include "share.h"
#include "sharedialog.h"
#include "sharemodel.h"
#include "shareproxymodel.h"
#include "standardshares.h"
#include "startuperror.h"
#include "testparm.h"
#include "ui_mainwindow.h"
#include "unifieddiff.h"
#include "usersdialog.h"
#include "versiondiff.h"
#include "whilebusy.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <exception>
#include <future>
#include <stdexcept>
#include <utility>

namespace {

QIcon themeIcon(const char *name, const char *fallback)
{
    const QString theme = QString::fromLatin1(name);
    return fallback ? QIcon::fromTheme(theme, QIcon(QString::fromLatin1(fallback))) : QIcon::fromTheme(theme);
}

const char *const sizeGroup = "MainWindow";
const char *const sizeKey = "size";
const char *const reviewKey = "Save/review";
const char *const keepKey = "History/keep";
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
struct MainWindow::Background
{
    std::future<SambaUserMap> sambaUsers;
    std::future<SambaGroupMap> sambaGroups;
    // The system's users and groups, one after the other: getpwent and getgrent share nothing,
    // but neither may run twice at once.
    std::future<std::pair<QStringList, QStringList>> systemAccounts;
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

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(Environment(), parent)
{
}

MainWindow::MainWindow(const Environment &environment, QWidget *parent)
    : QMainWindow(parent)
    , m_environment(environment)
    , m_checker(new TestParm(environment.testparm, environment.configPath, this))
    , m_mapper(std::make_unique<ConfigMapper>(m_document, environment.configPath, environment.testparm))
    , m_services(new ServiceCommands(environment.systemctl, environment.smbcontrol, this))
    , m_history(environment.historyDirectory)
    , m_accounts(environment.pdbedit, environment.wbinfo, environment.smbpasswd, environment.net)
    , m_ui(std::make_unique<Ui::MainWindow>())
    , m_shares(new ShareModel(this))
    , m_sharesProxy(new ShareProxyModel([](const Share &share) { return !share.printable(); }, this))
    , m_printersProxy(new ShareProxyModel([](const Share &share) { return share.printable(); }, this))
    , m_backgroundPoll(new QTimer(this))
{
    m_backgroundPoll->setInterval(backgroundPollMs);
    connect(m_backgroundPoll, &QTimer::timeout, this, &MainWindow::takeUpBackground);
    m_mapper->setLockDirectory(environment.lockDirectory);
    m_history.setKeep(QSettings().value(QLatin1String(keepKey), ConfigHistory::DefaultKeep).toInt());
    m_mapper->setHistory(&m_history, QStringLiteral("shareward"));
    m_ui->setupUi(this);
    setUpActions();
    menuBar()->addMenu(new QuillHelpMenu(this));
    m_ui->toolBar->toggleViewAction()->setText(tr("Hide/Show toolbar"));

    m_sharesProxy->setSourceModel(m_shares);
    m_printersProxy->setSourceModel(m_shares);
    setUpView(m_ui->tableViewShares, m_sharesProxy);
    setUpView(m_ui->tableViewPrinters, m_printersProxy);
    m_connections = new ConnectionsController(
        m_ui->connectionsView, {environment.smbstatus, environment.systemctl, environment.smbcontrol},
        environment.configPath,
        [this] {
            SmbStatus::SharePaths paths;
            for (const Share &share : m_shares->shares())
                paths.append({share.name(), share.path()});
            return paths;
        },
        this);
    connect(m_ui->tabWidget, &QTabWidget::currentChanged, this,
            [this] { m_connections->setShown(m_ui->tabWidget->currentWidget() == m_ui->tabConnections); });
    connect(m_connections, &ConnectionsController::message, statusBar(), &QStatusBar::showMessage);
    connect(m_ui->actionSave, &QAction::changed, this, [this] { m_connections->setModified(isModified()); });

    connect(this, &MainWindow::shareSelected, this, [this] {
        m_ui->actionEditShare->setEnabled(true);
        m_ui->actionDeleteShare->setEnabled(true);
    });
    connect(this, &MainWindow::shareNotSelected, this, [this] {
        m_ui->actionEditShare->setEnabled(false);
        m_ui->actionDeleteShare->setEnabled(false);
    });
    connect(m_ui->tabWidget, &QTabWidget::currentChanged, this, &MainWindow::updateSelection);

    connect(m_services, &ServiceCommands::message, statusBar(), &QStatusBar::showMessage);
    connect(m_ui->actionCheckConfig, &QAction::triggered, m_checker, &TestParm::requestCheckConf);
    connect(m_checker, &TestParm::confChecked, this, &MainWindow::showCheckResult);
    connect(m_checker, &TestParm::processError, this, &MainWindow::showProcessError);
    connect(m_ui->actionSave, &QAction::triggered, this, &MainWindow::saveAll);
    connect(m_ui->actionStart, &QAction::triggered, this, &MainWindow::startServices);
    connect(m_ui->actionStop, &QAction::triggered, this, &MainWindow::stopServices);
    connect(m_ui->actionQuit, &QAction::triggered, this, &MainWindow::quit);
    connect(m_ui->actionAddShare, &QAction::triggered, this, &MainWindow::addShare);
    connect(m_ui->actionEditShare, &QAction::triggered, this, &MainWindow::editShare);
    connect(m_ui->actionDeleteShare, &QAction::triggered, this, &MainWindow::deleteShare);
    connect(m_ui->actionEditConfig, &QAction::triggered, this, &MainWindow::editConfig);
    connect(m_ui->actionSambaUsers, &QAction::triggered, this, &MainWindow::editSambaUsers);
    connect(m_ui->actionSambaGroups, &QAction::triggered, this, &MainWindow::editSambaGroups);
    connect(m_ui->tableViewShares, &QTableView::doubleClicked, this, &MainWindow::editShare);
    connect(m_ui->tableViewPrinters, &QTableView::doubleClicked, this, &MainWindow::editShare);

    QSettings settings;
    settings.beginGroup(QLatin1String(sizeGroup));
    resize(settings.value(QLatin1String(sizeKey), QSize(640, 480)).toSize());
    m_ui->actionSave->setEnabled(false);
}

MainWindow::~MainWindow()
{
    // The worker threads use the mapper, the history and the account store: they end first.
    m_background.reset();
}

void MainWindow::setUpActions()
{
    m_ui->actionAddShare->setIcon(themeIcon("list-add", ":/images/plus.png"));
    m_ui->actionEditShare->setIcon(themeIcon("document-properties", ":/images/edit.png"));
    m_ui->actionDeleteShare->setIcon(themeIcon("list-remove", ":/images/minus.png"));
    m_ui->actionStart->setIcon(themeIcon("media-playback-start", ":/images/start.png"));
    m_ui->actionStop->setIcon(themeIcon("media-playback-stop", ":/images/stop.png"));
    m_ui->actionCheckConfig->setIcon(themeIcon("document-edit-verify", nullptr));
    m_ui->actionSave->setIcon(themeIcon("document-save", ":/images/filesave.png"));
    m_ui->actionQuit->setIcon(themeIcon("application-exit", ":/images/standardbutton-close-128.png"));
    m_ui->actionEditConfig->setIcon(themeIcon("configure", ":/images/configure.png"));
    m_ui->actionSambaUsers->setIcon(themeIcon("users", ":/images/users.png"));
    m_ui->actionSambaGroups->setIcon(themeIcon("group-users", nullptr));

    auto *history = new QAction(themeIcon("document-open-recent", nullptr), tr("&History..."), this);
    history->setObjectName(QStringLiteral("actionHistory"));
    // Beside Save, before the separator above Quit.
    const QList<QAction *> entries = m_ui->menuFile->actions();
    m_ui->menuFile->insertAction(entries.value(entries.indexOf(m_ui->actionQuit) - 1), history);
    connect(history, &QAction::triggered, this, &MainWindow::showHistory);

    m_ui->menuPreferencies->addSeparator();
    auto *review = new QAction(tr("&Review changes before saving"), this);
    review->setObjectName(QStringLiteral("actionReviewChanges"));
    review->setCheckable(true);
    review->setChecked(reviewsChanges());
    connect(review, &QAction::toggled, this, &MainWindow::setReviewsChanges);
    m_ui->menuPreferencies->addAction(review);
    auto *keep = new QAction(tr("Versions &kept in the history..."), this);
    keep->setObjectName(QStringLiteral("actionHistoryKeep"));
    connect(keep, &QAction::triggered, this, &MainWindow::editHistoryKeep);
    m_ui->menuPreferencies->addAction(keep);
}

bool MainWindow::reviewsChanges()
{
    return QSettings().value(QLatin1String(reviewKey), true).toBool();
}

void MainWindow::setReviewsChanges(bool review)
{
    QSettings().setValue(QLatin1String(reviewKey), review);
}

void MainWindow::editHistoryKeep()
{
    waitForBackgroundLoad();
    bool ok = false;
    const int keep =
        QInputDialog::getInt(this, tr("History"), tr("How many versions of smb.conf the history keeps:"),
                             m_history.keep(), 1, 100000, 1, &ok);
    if (!ok)
        return;
    m_history.setKeep(keep);
    QSettings().setValue(QLatin1String(keepKey), keep);
}

void MainWindow::setUpView(QTableView *view, ShareProxyModel *proxy)
{
    view->setModel(proxy);
    view->sortByColumn(ShareModel::NameColumn, Qt::AscendingOrder);
    view->horizontalHeader()->setHighlightSections(false);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::updateSelection);
}

QModelIndex MainWindow::selectedShare() const
{
    if (m_ui->tabWidget->currentWidget() == m_ui->tabConnections)
        return QModelIndex();
    const bool shares = m_ui->tabWidget->currentIndex() == 0;
    const QTableView *view = shares ? m_ui->tableViewShares : m_ui->tableViewPrinters;
    const ShareProxyModel *proxy = shares ? m_sharesProxy : m_printersProxy;
    const QModelIndexList selected = view->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : proxy->mapToSource(selected.first());
}

void MainWindow::updateSelection()
{
    if (selectedShare().isValid())
        emit shareSelected();
    else
        emit shareNotSelected();
}

void MainWindow::showCheckResult(const TestParmResult &result)
{
    QMessageBox box;
    switch (result.status) {
    case TestParmResult::Failed:
        box.setIcon(QMessageBox::Critical);
        box.setText(tr("Failed to run testparm."));
        break;
    case TestParmResult::Errors:
        box.setIcon(QMessageBox::Critical);
        box.setText(tr("Samba configuration file contains errors."));
        break;
    case TestParmResult::Warnings:
        box.setIcon(QMessageBox::Warning);
        box.setText(tr("Samba configuration file contains warnings."));
        break;
    default:
        box.setIcon(QMessageBox::Information);
        box.setText(tr("Samba configuration file is ok."));
        break;
    }
    box.setDetailedText(result.output);
    box.exec();
}

void MainWindow::showProcessError(const QString &error)
{
    QMessageBox::critical(this, tr("Testparm process error"), error, QMessageBox::Ok);
}

void MainWindow::saveSize()
{
    QSettings settings;
    settings.beginGroup(QLatin1String(sizeGroup));
    settings.setValue(QLatin1String(sizeKey), size());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_exitConfirmed && !confirmClose()) {
        event->ignore();
        return;
    }
    saveSize();
    event->accept();
}

bool MainWindow::confirmClose()
{
    if (!isModified())
        return true;
    QMessageBox box(QMessageBox::Question, tr("Question"),
                    tr("Some data has changed.\nDo you want to save changed data?"));
    QPushButton *exitButton = box.addButton(tr("Exit"), QMessageBox::DestructiveRole);
    box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    QPushButton *saveButton = box.addButton(tr("Save and Exit"), QMessageBox::ApplyRole);
    box.setDefaultButton(saveButton);
    box.exec();
    if (box.clickedButton() == exitButton)
        return true;
    // Closing after a failed save would throw the changes away.
    return box.clickedButton() == saveButton && saveAll();
}

void MainWindow::quit()
{
    if (!isModified()) {
        close();
        return;
    }
    QMessageBox box(QMessageBox::Question, tr("Question"),
                    tr("Some data has changed.\nAre you sure to save new data?"));
    QPushButton *exitButton = box.addButton(tr("Exit"), QMessageBox::DestructiveRole);
    QPushButton *saveButton = box.addButton(tr("Save and Exit"), QMessageBox::ApplyRole);
    box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(saveButton);
    box.exec();
    if (box.clickedButton() == saveButton) {
        // When the save fails, the close event asks again: Save is still enabled.
        saveAll();
        close();
    } else if (box.clickedButton() == exitButton) {
        m_exitConfirmed = true;
        close();
    }
}

bool MainWindow::isModified() const
{
    return m_ui->actionSave->isEnabled();
}

void MainWindow::setModified()
{
    m_ui->actionSave->setEnabled(true);
}

void MainWindow::resizeColumns()
{
    for (int column = 0; column < m_shares->columnCount(); ++column) {
        m_ui->tableViewShares->resizeColumnToContents(column);
        m_ui->tableViewPrinters->resizeColumnToContents(column);
    }
}

void MainWindow::showTabOf(const Share &share)
{
    m_ui->tabWidget->setCurrentIndex(share.printable() ? 1 : 0);
}

ShareDialog::Accounts MainWindow::regularAccounts() const
{
    // Read when a share dialog opens: accounts made since start-up are offered too.
    return {SambaAccountStore::listRegularUsers(), SambaAccountStore::listRegularGroups()};
}

void MainWindow::addShare()
{
    // The dialog offers the installed modules.
    waitForBackgroundLoad();
    Share share;
    if (m_ui->tabWidget->currentIndex() == 1)
        share.setPrintable(true);
    ShareDialog dialog(share, m_currentSettings, m_shares->shareNames(), regularAccounts(), this);
    dialog.setInstalledModules(m_modules);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_shares->addShare(share);
    resizeColumns();
    setModified();
    showTabOf(share);
}

void MainWindow::editShare()
{
    waitForBackgroundLoad();
    const QModelIndex index = selectedShare();
    Share *share = m_shares->share(index);
    if (!share)
        return;
    // The dialog edits the model's record itself.
    ShareDialog dialog(*share, m_currentSettings, m_shares->shareNames(), regularAccounts(), this);
    dialog.setInstalledModules(m_modules);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_shares->updateShare(index, Share(*share));
    resizeColumns();
    setModified();
    showTabOf(*m_shares->share(index));
}

void MainWindow::deleteShare()
{
    const QModelIndex index = selectedShare();
    const Share *share = m_shares->share(index);
    if (!share)
        return;
    QString question = tr("Are you sure to delete share: \"%1\"?").arg(share->name());
    const QStringList users = m_connections->usersOf(share->name());
    if (!users.isEmpty())
        question += QLatin1Char('\n')
            + tr("It is in use by %1, who are disconnected from it once the deletion is saved.")
                  .arg(users.join(QStringLiteral(", ")));
    if (QMessageBox::warning(this, tr("Warning"), question, QMessageBox::Ok | QMessageBox::Cancel,
                             QMessageBox::Cancel)
        != QMessageBox::Ok)
        return;
    m_connections->shareDeleted(share->name());
    m_shares->removeShare(index);
    resizeColumns();
    setModified();
}

void MainWindow::editConfig()
{
    waitForBackgroundLoad();
    const bool sharing = m_shares->shareNames().contains(StandardShares::printersName());
    ConfigDialog dialog(&m_currentSettings, sharing, this);
    dialog.setInstalledModules(m_modules);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.sharePrinters() && !sharing) {
        m_shares->addShare(StandardShares::printers());
        resizeColumns();
    } else if (!dialog.sharePrinters() && sharing) {
        m_shares->removeSharesNamed(StandardShares::printersName());
        resizeColumns();
    }
    setModified();
}

namespace {

// The accounts offered for new Samba users or groups: system ones, then the domain's.
QStringList candidates(const QStringList &system, const QStringList &domain)
{
    QStringList names = system + domain;
    names.removeDuplicates();
    names.sort(Qt::CaseSensitive);
    return names;
}

} // namespace

void MainWindow::editSambaUsers()
{
    waitForBackgroundLoad();
    SambaUserMap users = m_currentSettings.users();
    UsersDialog dialog(&users, candidates(m_serviceUsers, m_domainUsers), this);
    if (dialog.exec() == QDialog::Accepted && users != m_currentSettings.users()) {
        m_currentSettings.setUsers(users);
        setModified();
    }
}

void MainWindow::editSambaGroups()
{
    waitForBackgroundLoad();
    SambaGroupMap groups = m_currentSettings.groups();
    GroupsDialog dialog(&groups, candidates(m_serviceGroups, m_domainGroups), this);
    dialog.setWindowTitle(tr("Samba group's administration"));
    if (dialog.exec() == QDialog::Accepted && groups != m_currentSettings.groups()) {
        m_currentSettings.setGroups(groups);
        setModified();
    }
}

void MainWindow::initialLoad()
{
    // testparm takes most of the load. The listings, which read nothing of the window, run
    // meanwhile and are taken up once testparm accepted the file.
    m_backgroundDue = false;
    finishBackground();
    auto check = startCheck(m_environment);
    startListings();
    const QString failure = loadConfig(std::move(check));
    if (failure.isEmpty())
        adoptBackground();
    finishBackground();
    if (!failure.isEmpty())
        showStartupError(failure);
}

std::future<TestParmResult> MainWindow::startCheck(const Environment &environment)
{
    const QString checker = environment.testparm;
    const QString path = environment.configPath;
    return std::async(std::launch::async,
                      [checker, path] { return TestParm(checker, path).checkConf(path); });
}

bool MainWindow::loadFirstScreen(std::future<TestParmResult> check)
{
    finishBackground();
    const QString failure = loadConfig(std::move(check));
    if (failure.isEmpty())
        return true;
    showStartupError(failure);
    return false;
}

void MainWindow::startBackgroundLoad()
{
    if (!m_loaded)
        return;
    // Neither Start nor Stop until smbd's state is known.
    m_ui->actionStart->setEnabled(false);
    m_ui->actionStop->setEnabled(false);
    QWindow *handle = windowHandle();
    if (!handle || !isVisible() || handle->isExposed()) {
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

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed()
        && m_backgroundDue) {
        // Queued: the window paints while the expose event is delivered.
        QTimer::singleShot(0, this, [this] {
            if (m_backgroundDue)
                beginBackgroundLoad();
        });
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::beginBackgroundLoad()
{
    m_backgroundDue = false;
    if (QWindow *handle = windowHandle())
        handle->removeEventFilter(this);
    if (!m_loaded)
        return;
    startListings();
    adoptBackground();
    m_backgroundPoll->start();
}

bool MainWindow::waitForBackgroundLoad()
{
    if (m_backgroundDue)
        beginBackgroundLoad();
    finishBackground();
    return m_loaded;
}

QString MainWindow::loadConfig(std::future<TestParmResult> check)
{
    m_loaded = false;
    SambaSettings settings;
    QList<Share> shares;
    std::exception_ptr loadError;
    try {
        settings = m_mapper->loadGlobal();
        shares = m_mapper->loadShares(*settings.global());
    } catch (const std::exception &) {
        loadError = std::current_exception();
    }
    // Before the window is first shown nobody sees the table: it is filled while testparm
    // still runs, and emptied again when testparm refuses the file.
    const bool early = !loadError && !isVisible() && !arrived(check);
    const QList<Share> previous = m_shares->shares();
    if (early) {
        m_shares->setShares(shares);
        resizeColumns();
    }

    const QString failure = StartupError::checkFailure(check.get());
    if (!failure.isEmpty() || loadError) {
        if (early) {
            m_shares->setShares(previous);
            resizeColumns();
        }
        if (!failure.isEmpty())
            return failure;
        try {
            std::rethrow_exception(loadError);
        } catch (const std::exception &error) {
            return StartupError::loadFailure(error);
        }
    }
    // The accounts are added when the background load brings them.
    m_currentSettings = settings;
    m_savedSettings = m_currentSettings;
    if (!early) {
        m_shares->setShares(shares);
        resizeColumns();
    }
    m_loaded = true;
    m_connections->configLoaded();
    return QString();
}

void MainWindow::startListings()
{
    finishBackground();
    auto background = std::make_unique<Background>();
    const auto async = [](auto work) {
        return std::async(std::launch::async, std::move(work));
    };
    background->sambaUsers = async([this] { return m_accounts.loadSambaUsers(); });
    background->sambaGroups = async([this] { return m_accounts.loadSambaGroups(); });
    background->domainUsers = async([this] { return m_accounts.listDomainUsers(); });
    background->domainGroups = async([this] { return m_accounts.listDomainGroups(); });
    background->systemAccounts = async([] {
        return std::make_pair(SambaAccountStore::listSystemUsers(), SambaAccountStore::listSystemGroups());
    });
    const QString smbd = m_environment.smbd;
    background->modules = async([smbd] { return VfsModuleInventory::load(smbd); });
    background->smbdActive =
        async([this] { return m_services->systemctl().isActive(SystemCtl::smbdService()); });
    m_background = std::move(background);
}

void MainWindow::adoptBackground()
{
    m_background->adopted = true;
    // Another editor's change since the newest version is kept, so the history has no gaps;
    // a store that cannot be written is reported by the next save. Nothing else uses the
    // mapper until the background load is over: the commands wait for it.
    m_background->outsideChange = std::async(std::launch::async, [this] { m_mapper->recordOutsideChange(); });
    // Neither Start nor Stop until smbd's state is known.
    m_ui->actionStart->setEnabled(false);
    m_ui->actionStop->setEnabled(false);
}

void MainWindow::finishBackground()
{
    if (!m_background)
        return;
    m_backgroundPoll->stop();
    if (m_background->pending()) {
        const Background *background = m_background.get();
        whileBusy(this, tr("Reading the Samba accounts..."), [background] { background->wait(); });
    }
    takeUpBackground();
}

void MainWindow::takeUpBackground()
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
            showServiceState(running);
    }
    if (arrived(background.modules)) {
        VfsModuleInventory modules = background.modules.get();
        if (take)
            m_modules = std::move(modules);
    }
    if (arrived(background.systemAccounts)) {
        const auto accounts = background.systemAccounts.get();
        if (take) {
            m_serviceUsers = accounts.first;
            m_serviceGroups = accounts.second;
        }
    }
    if (arrived(background.domainUsers)) {
        const QStringList users = background.domainUsers.get();
        if (take)
            m_domainUsers = users;
    }
    if (arrived(background.domainGroups)) {
        const QStringList groups = background.domainGroups.get();
        if (take)
            m_domainGroups = groups;
    }
    // Nothing edits the accounts before they arrived: the account dialogs wait for them.
    if (arrived(background.sambaUsers)) {
        try {
            const SambaUserMap users = background.sambaUsers.get();
            if (take) {
                m_currentSettings.setUsers(users);
                m_savedSettings.setUsers(users);
            }
        } catch (const std::exception &error) {
            fail(error);
        }
    }
    if (arrived(background.sambaGroups)) {
        try {
            const SambaGroupMap groups = background.sambaGroups.get();
            if (take) {
                m_currentSettings.setGroups(groups);
                m_savedSettings.setGroups(groups);
            }
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
        m_shares->setShares({});
        updateSelection();
    }
    const bool done = !background.pending();
    if (done) {
        m_backgroundPoll->stop();
        m_background.reset();
    }
    // The box runs an event loop, in which the poll may take up the rest.
    if (!failure.isEmpty())
        showStartupError(failure);
    if (done)
        emit backgroundLoaded();
}

void MainWindow::showStartupError(const QString &text)
{
    if (RepairOffer::run(this, text, m_environment.configPath, m_environment.testparm))
        initialLoad();
}

bool MainWindow::saveAll()
{
    // The accounts to sync, the modules to check and the history's record come first.
    waitForBackgroundLoad();
    try {
        if (!m_loaded)
            throw std::runtime_error(
                tr("smb.conf could not be loaded at start-up; nothing is written over it.").toStdString());
        QList<Share> shares = m_shares->shares();
        SaveSteps::dropOldGuestAccount(m_currentSettings.global()->guestAccount(),
                                       m_savedSettings.global()->guestAccount(), shares);
        if (!acceptMissingModules(shares) || !reviewSave(shares))
            return false;
        whileBusy(this, tr("Checking smb.conf with testparm and saving it..."),
                  [this, &shares] { m_mapper->save(m_currentSettings, shares); });
        showHistoryError();
        // Only the directory modes asked for since the last save; the requests are done then.
        const QStringList unchangedModes = SaveSteps::applyDirectoryPermissions(shares);
        m_shares->setShares(shares);
        m_ui->actionEditShare->setEnabled(false);
        m_ui->actionDeleteShare->setEnabled(false);

        for (const QString &path : unchangedModes)
            QMessageBox::critical(this, tr("Info"), tr("Failed to set permissions for %1.").arg(path),
                                  QMessageBox::Ok);

        // The user sync also forgets the passwords typed: they are not kept past the save.
        const SambaAccountFailures failures = whileBusy(this, tr("Saving Samba users and groups..."), [this] {
            SambaAccountFailures found =
                m_accounts.syncSambaUsers(m_currentSettings.users(), m_savedSettings.users());
            found += m_accounts.syncSambaGroups(m_currentSettings.groups(), m_savedSettings.groups());
            return found;
        });
        if (!failures.isEmpty()) {
            QStringList lines{tr("smb.conf is saved, but these Samba account changes failed:")};
            for (const SambaAccountFailure &failure : failures)
                lines << failure.text();
            QMessageBox::warning(this, tr("Warning"), lines.join(QLatin1Char('\n')), QMessageBox::Ok);
        }

        m_ui->actionSave->setEnabled(false);
        m_savedSettings = m_currentSettings;
        if (m_mapper->installedLast()) {
            m_connections->configLoaded();
            updateServices(m_mapper->lastChanges(), m_mapper->replacedText());
            m_connections->closeDeletedShares(m_shares->shareNames(), m_ui->actionStop->isEnabled());
        }
        return true;
    } catch (const ConfigChangedError &error) {
        // A save can never succeed over a file changed since it was loaded: offer to load it
        // again, which gives up the edits made here.
        QMessageBox box(this);
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(tr("Warning"));
        box.setText(tr("Failed to save samba settings."));
        box.setInformativeText(
            tr("smb.conf was changed by another program after it was loaded. Reload it now? "
               "The changes made here since the last save are lost."));
        box.setDetailedText(QString::fromUtf8(error.what()));
        QPushButton *reload = box.addButton(tr("Reload"), QMessageBox::AcceptRole);
        box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        box.exec();
        if (box.clickedButton() == reload) {
            initialLoad();
            m_ui->actionSave->setEnabled(false);
        }
        return false;
    } catch (const std::exception &error) {
        QMessageBox box;
        box.setIcon(QMessageBox::Critical);
        box.setText(tr("Failed to save samba settings."));
        box.setDetailedText(QString::fromUtf8(error.what()));
        box.exec();
        return false;
    }
}

bool MainWindow::acceptMissingModules(const QList<Share> &shares)
{
    const QStringList missing = m_modules.missing(m_mapper->modulesAdded(m_currentSettings, shares));
    if (missing.isEmpty())
        return true;
    QMessageBox box(QMessageBox::Warning, tr("Warning"),
                    tr("The Samba modules %1 are not installed: every connection to a share that uses them "
                       "is refused.")
                        .arg(missing.join(QStringLiteral(", "))),
                    QMessageBox::NoButton, this);
    box.setInformativeText(tr("Install the package %1 first, or save anyway when the modules are provided "
                              "another way.")
                               .arg(VfsModuleInventory::package()));
    QPushButton *save = box.addButton(tr("Save anyway"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == save;
}

bool MainWindow::reviewSave(const QList<Share> &shares)
{
    if (!reviewsChanges())
        return true;
    const ConfigMapper::Preview preview =
        whileBusy(this, tr("Checking the new smb.conf with testparm..."),
                  [this, &shares] { return m_mapper->preview(m_currentSettings, shares); });
    ReviewChangesDialog::Review review;
    const std::string name = m_environment.configPath.toStdString();
    review.diff = QString::fromStdString(unifiedDiff(preview.current, preview.proposed, name, name));
    review.verdict = preview.verdict;
    SavePlan::ServiceStep services = SavePlan::NoServiceStep;
    if (!review.diff.isEmpty() && m_ui->actionStop->isEnabled())
        services = preview.changes.needsRestart() ? SavePlan::RestartServices : SavePlan::ReloadServices;
    review.actions = SavePlan::describe(SaveSteps::plannedDirectoryModes(shares), m_currentSettings,
                                        m_savedSettings, services, preview.changes.restartParameters());
    ReviewChangesDialog dialog(review, this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (dialog.dontShowAgain()) {
        setReviewsChanges(false);
        if (auto *action = findChild<QAction *>(QStringLiteral("actionReviewChanges")))
            action->setChecked(false);
    }
    return accepted;
}

void MainWindow::showHistoryError()
{
    const QString error = m_mapper->historyError();
    if (!error.isEmpty())
        QMessageBox::warning(
            this, tr("Warning"),
            tr("smb.conf is installed, but its history could not be recorded.\n%1").arg(error),
            QMessageBox::Ok);
}

void MainWindow::updateServices(ConfigChanges changes, std::string previous)
{
    if (m_ui->actionStop->isEnabled())
        m_services->takeUp(changes, previous, [this](const std::string &bytes, const QString &summary) {
            return restoreText(bytes, summary);
        });
}

bool MainWindow::restoreText(const std::string &bytes, const QString &summary)
{
    waitForBackgroundLoad();
    try {
        whileBusy(this, tr("Checking smb.conf with testparm and installing it..."),
                  [this, &bytes, &summary] { m_mapper->restore(bytes, summary); });
    } catch (const std::exception &error) {
        QMessageBox box(QMessageBox::Critical, tr("Error"), tr("smb.conf was not restored."), QMessageBox::Ok,
                        this);
        box.setDetailedText(QString::fromUtf8(error.what()));
        box.exec();
        return false;
    }
    showHistoryError();
    // The window shows the restored file; edits not saved are given up with it.
    initialLoad();
    m_ui->actionSave->setEnabled(false);
    return true;
}

void MainWindow::showHistory()
{
    // The record of another editor's change may still be written.
    waitForBackgroundLoad();
    const QString file = QFileInfo(m_environment.configPath).absoluteFilePath();
    const HistoryDialog::DiffSource diffOf = [this, file](int number, bool againstCurrent) {
        std::string diff;
        QString error;
        if (!VersionDiff::diff(m_history, file, number,
                               againstCurrent ? VersionDiff::CurrentFile : VersionDiff::PreviousVersion, diff,
                               error))
            return error;
        return QString::fromStdString(diff);
    };
    HistoryDialog dialog(m_history.versions(file), m_history.keep(), diffOf, this);
    connect(&dialog, &HistoryDialog::restoreRequested, this, [this, &dialog, file](int number) {
        const ConfigHistory::Version version = m_history.version(number);
        QString question =
            tr("Restore version %1 of smb.conf (%2, %3)? It is checked with testparm and "
               "installed like a save.")
                .arg(number)
                .arg(QLocale().toString(version.time.toLocalTime(), QLocale::ShortFormat), version.summary);
        if (isModified())
            question += QLatin1Char(' ') + tr("The changes made here since the last save are lost.");
        if (QMessageBox::question(&dialog, tr("History"), question, QMessageBox::Yes | QMessageBox::No,
                                  QMessageBox::No)
            != QMessageBox::Yes)
            return;
        std::string bytes;
        if (!m_history.read(number, bytes)) {
            QMessageBox::critical(&dialog, tr("Error"), m_history.errorString(), QMessageBox::Ok);
            return;
        }
        if (restoreText(bytes, tr("version %1 restored").arg(number)) && m_mapper->installedLast())
            updateServices(m_mapper->lastChanges(), m_mapper->replacedText());
        dialog.setVersions(m_history.versions(file));
    });
    dialog.exec();
}

void MainWindow::startServices()
{
    if (isModified()
        && QMessageBox::warning(this, tr("Warning"), tr("There are changes in configuration. Save them?"),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes)
        saveAll();
    if (!m_services->start())
        return;
    showServiceState(true);
    m_connections->showNmbd(true);
}

void MainWindow::stopServices()
{
    if (!m_services->stop())
        return;
    showServiceState(false);
    m_connections->showNmbd(false);
}

bool MainWindow::restartServices()
{
    waitForBackgroundLoad();
    if (!m_ui->actionStop->isEnabled())
        return false;
    return m_services->restart();
}

void MainWindow::updateServiceActions()
{
    showServiceState(m_services->systemctl().isActive(SystemCtl::smbdService()));
}

void MainWindow::showServiceState(bool running)
{
    m_ui->actionStart->setEnabled(!running);
    m_ui->actionStop->setEnabled(running);
    m_connections->showSmbd(running);
}
