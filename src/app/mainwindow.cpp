#include "mainwindow.h"

#include "configdialog.h"
#include "connectionscontroller.h"
#include "failurebox.h"
#include "groupsdialog.h"
#include "helpmenu.h"
#include "historycommands.h"
#include "localconfigsession.h"
#include "localserveraccounts.h"
#include "localserverfiles.h"
#include "localserverservices.h"
#include "registrycommands.h"
#include "savesteps.h"
#include "servicecommands.h"
#include "share.h"
#include "sharedialog.h"
#include "sharemodel.h"
#include "shareproxymodel.h"
#include "standardshares.h"
#include "startup.h"
#include "ui_mainwindow.h"
#include "usersdialog.h"
#include "whilebusy.h"
#include "windowload.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>

#include <exception>
#include <stdexcept>
#include <utility>

namespace {

// A freedesktop icon name, and our own drawing for desktops whose theme lacks it.
QIcon themeIcon(const char *name, const char *fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), QIcon(QString::fromLatin1(fallback)));
}

const char *const sizeGroup = "MainWindow";
const char *const sizeKey = "size";

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(Environment(), parent)
{
}

MainWindow::MainWindow(const Environment &environment, QWidget *parent)
    : MainWindow(std::make_unique<LocalServer>(environment), parent)
{
}

MainWindow::MainWindow(std::unique_ptr<Server> server, QWidget *parent)
    : QMainWindow(parent)
    , m_server(std::move(server))
    , m_session(&m_server->config())
    , m_services(new ServiceCommands(m_server->services(), this))
    , m_ui(std::make_unique<Ui::MainWindow>())
    , m_shares(new ShareModel(this))
    , m_sharesProxy(new ShareProxyModel([](const Share &share) { return !share.printable(); }, this))
    , m_printersProxy(new ShareProxyModel([](const Share &share) { return share.printable(); }, this))
    , m_load(std::make_unique<WindowLoad>(*m_session, m_server->accounts(), m_server->services(),
                                          m_server->files(), *m_shares, this))
{
    m_ui->setupUi(this);
    m_historyCommands = new HistoryCommands(
        *m_session, *m_load, [this] { return isModified(); }, this);
    connect(m_historyCommands, &HistoryCommands::restored, this,
            [this] { m_ui->actionSave->setEnabled(false); });
    connect(m_historyCommands, &HistoryCommands::versionInstalled, this,
            [this](const ConfigSession::Outcome &outcome) {
                updateServices(outcome.changes, outcome.replacedText);
            });
    m_registryCommands = new RegistryCommands(
        *m_session, *m_load, m_server->registryUsable(), [this] { return isModified(); },
        [this]() -> const Share * { return m_shares->share(selectedShare()); }, this);
    connect(m_registryCommands, &RegistryCommands::transferred, this, &MainWindow::takeUpTransfer);
    setUpActions();
    menuBar()->addMenu(new HelpMenu(QString::fromUtf8(Startup::aboutText()), this));
    m_ui->toolBar->toggleViewAction()->setText(tr("Hide/Show toolbar"));

    m_sharesProxy->setSourceModel(m_shares);
    m_printersProxy->setSourceModel(m_shares);
    setUpView(m_ui->tableViewShares, m_sharesProxy);
    setUpView(m_ui->tableViewPrinters, m_printersProxy);
    m_connections = new ConnectionsController(
        m_ui->connectionsView, m_server->services(), m_server->readableConfigPath(),
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
    connectLoad();

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
    connect(m_ui->actionCheckConfig, &QAction::triggered, this, &MainWindow::checkConfig);
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
    // The worker threads use the session, the account store and the server: they end first.
    m_load.reset();
    delete m_connections;
}

void MainWindow::connectLoad()
{
    WindowLoad *load = m_load.get();
    connect(load, &WindowLoad::sharesRead, this, [this](const QList<Share> &shares) {
        m_shares->setRegistryUse(m_load->state().registryUse);
        m_shares->setShares(shares);
        resizeColumns();
        updateSelection();
    });
    connect(load, &WindowLoad::settingsRead, this, [this](const SambaSettings &settings) {
        m_currentSettings = settings;
        m_savedSettings = m_currentSettings;
    });
    connect(load, &WindowLoad::configLoaded, m_connections, &ConnectionsController::configLoaded);
    // The registry's commands depend on what was loaded.
    connect(load, &WindowLoad::configLoaded, this, &MainWindow::updateSelection);
    connect(load, &WindowLoad::serviceStateUnknown, this, [this] {
        m_ui->actionStart->setEnabled(false);
        m_ui->actionStop->setEnabled(false);
    });
    connect(load, &WindowLoad::smbdStateRead, this, &MainWindow::showServiceState);
    connect(load, &WindowLoad::modulesRead, this,
            [this](const VfsModuleInventory &modules) { m_modules = modules; });
    connect(load, &WindowLoad::systemAccountsRead, this,
            [this](const QStringList &users, const QStringList &groups) {
                m_serviceUsers = users;
                m_serviceGroups = groups;
            });
    connect(load, &WindowLoad::guestAccountsRead, this,
            [this](const QStringList &accounts) { m_guestAccounts = accounts; });
    connect(load, &WindowLoad::domainUsersRead, this,
            [this](const QStringList &users) { m_domainUsers = users; });
    connect(load, &WindowLoad::domainGroupsRead, this,
            [this](const QStringList &groups) { m_domainGroups = groups; });
    connect(load, &WindowLoad::sambaUsersRead, this, [this](const SambaUserMap &users) {
        m_currentSettings.setUsers(users);
        m_savedSettings.setUsers(users);
    });
    connect(load, &WindowLoad::sambaGroupsRead, this, [this](const SambaGroupMap &groups) {
        m_currentSettings.setGroups(groups);
        m_savedSettings.setGroups(groups);
    });
    connect(load, &WindowLoad::loadLost, this, [this] {
        m_shares->setShares({});
        updateSelection();
    });
    connect(load, &WindowLoad::backgroundLoaded, this, &MainWindow::backgroundLoaded);
}

void MainWindow::setUpActions()
{
    m_ui->actionAddShare->setIcon(themeIcon("list-add", ":/images/plus.png"));
    m_ui->actionEditShare->setIcon(themeIcon("document-properties", ":/images/edit.png"));
    m_ui->actionDeleteShare->setIcon(themeIcon("list-remove", ":/images/minus.png"));
    m_ui->actionStart->setIcon(themeIcon("media-playback-start", ":/images/start.png"));
    m_ui->actionStop->setIcon(themeIcon("media-playback-stop", ":/images/stop.png"));
    m_ui->actionCheckConfig->setIcon(themeIcon("document-edit-verify", ":/images/checkconfig.png"));
    m_ui->actionSave->setIcon(themeIcon("document-save", ":/images/filesave.png"));
    m_ui->actionQuit->setIcon(themeIcon("application-exit", ":/images/standardbutton-close-128.png"));
    m_ui->actionEditConfig->setIcon(themeIcon("configure", ":/images/configure.png"));
    m_ui->actionSambaUsers->setIcon(themeIcon("system-users", ":/images/users.png"));
    m_ui->actionSambaGroups->setIcon(themeIcon("group", ":/images/groups.png"));

    // Beside Save, before the separator above Quit.
    const QList<QAction *> entries = m_ui->menuFile->actions();
    m_ui->menuFile->insertAction(entries.value(entries.indexOf(m_ui->actionQuit) - 1),
                                 m_historyCommands->historyAction());

    // The registry's commands follow the share commands, in the menu and the tables' context menus.
    const QList<QAction *> registryActions{m_registryCommands->moveToRegistryAction(),
                                           m_registryCommands->moveToFileAction(),
                                           m_registryCommands->storeAllAction()};
    QAction *afterShares = entries.value(entries.indexOf(m_ui->actionDeleteShare) + 1);
    m_ui->menuFile->insertSeparator(afterShares);
    m_ui->menuFile->insertActions(afterShares, registryActions);
    for (QTableView *view : {m_ui->tableViewShares, m_ui->tableViewPrinters}) {
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
        auto *separator = new QAction(view);
        separator->setSeparator(true);
        view->addActions({m_ui->actionEditShare, m_ui->actionDeleteShare, separator});
        view->addActions(registryActions.mid(0, 2));
    }

    m_ui->menuPreferencies->addSeparator();
    m_ui->menuPreferencies->addAction(m_historyCommands->reviewAction());
    m_ui->menuPreferencies->addAction(m_historyCommands->keepAction());
}

bool MainWindow::reviewsChanges()
{
    return HistoryCommands::reviewsChanges();
}

void MainWindow::setReviewsChanges(bool review)
{
    HistoryCommands::setReviewsChanges(review);
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
    m_registryCommands->update();
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

void MainWindow::checkConfig()
{
    const TestParmResult result =
        whileBusy(this, tr("Checking smb.conf with testparm..."), [this] { return m_session->check(); });
    if (result.status == TestParmResult::Failed)
        showProcessError(result.output);
    else
        showCheckResult(result);
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
    const ServerAccounts::RegularAccounts accounts = m_server->accounts().regularAccounts();
    return {accounts.users, accounts.groups};
}

void MainWindow::addShare()
{
    // The dialog offers the installed modules.
    waitForBackgroundLoad();
    Share share;
    if (m_ui->tabWidget->currentIndex() == 1)
        share.setPrintable(true);
    // Samba reads nothing of smb.conf's shares then.
    if (m_load->state().registryUse == RegistryConfig::Backend)
        share.setStoredIn(Share::StoredInRegistry);
    ShareDialog dialog(share, m_currentSettings, m_shares->shareNames(), m_server->files(), regularAccounts(),
                       this);
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
    ShareDialog dialog(*share, m_currentSettings, m_shares->shareNames(), m_server->files(), regularAccounts(),
                       this);
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
    dialog.setGuestAccounts(m_guestAccounts);
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
    UsersDialog dialog(&users, candidates(m_serviceUsers, m_domainUsers), this, m_server->accounts());
    if (dialog.exec() == QDialog::Accepted && users != m_currentSettings.users()) {
        m_currentSettings.setUsers(users);
        setModified();
    }
}

void MainWindow::editSambaGroups()
{
    waitForBackgroundLoad();
    SambaGroupMap groups = m_currentSettings.groups();
    GroupsDialog dialog(&groups, candidates(m_serviceGroups, m_domainGroups), this, m_server->accounts());
    dialog.setWindowTitle(tr("Samba group's administration"));
    if (dialog.exec() == QDialog::Accepted && groups != m_currentSettings.groups()) {
        m_currentSettings.setGroups(groups);
        setModified();
    }
}

void MainWindow::initialLoad()
{
    m_load->initialLoad();
}

std::future<TestParmResult> MainWindow::startCheck(const Environment &environment)
{
    // A server of its own, which the check keeps as long as it runs: the window's is not
    // made yet.
    std::shared_ptr<LocalServer> server = std::make_shared<LocalServer>(environment);
    return std::async(std::launch::async, [server] { return server->config().check(); });
}

std::future<TestParmResult> MainWindow::startCheck(Server &server)
{
    // The window keeps the server as long as the check runs.
    return std::async(std::launch::async, [&server] { return server.config().check(); });
}

bool MainWindow::loadFirstScreen(std::future<TestParmResult> check)
{
    return m_load->loadFirstScreen(std::move(check));
}

void MainWindow::startBackgroundLoad()
{
    m_load->startBackgroundLoad();
}

bool MainWindow::waitForBackgroundLoad()
{
    return m_load->waitForBackgroundLoad();
}

bool MainWindow::isBackgroundLoading() const
{
    return m_load->isBackgroundLoading();
}

void MainWindow::showStartupError(const QString &text)
{
    m_load->showStartupError(text);
}

bool MainWindow::saveAll()
{
    // The accounts to sync, the modules to check and the history's record come first.
    waitForBackgroundLoad();
    try {
        if (!m_load->isLoaded())
            throw std::runtime_error(
                tr("smb.conf could not be loaded at start-up; nothing is written over it.").toStdString());
        QList<Share> shares = m_shares->shares();
        SaveSteps::dropOldGuestAccount(m_currentSettings.global()->guestAccount(),
                                       m_savedSettings.global()->guestAccount(), shares);
        if (!acceptMissingModules(shares)
            || !m_historyCommands->reviewSave(m_currentSettings, m_savedSettings, shares,
                                              m_ui->actionStop->isEnabled(), m_server->files()))
            return false;
        const QString fingerprint = m_load->state().fingerprint;
        const ConfigSession::Saved saved = whileBusy(
            this, tr("Checking smb.conf with testparm and saving it..."), [this, &shares, &fingerprint] {
                return m_session->save(m_currentSettings, shares, fingerprint);
            });
        m_load->setFingerprint(saved.fingerprint);
        m_historyCommands->showHistoryError(saved.outcome.historyError);
        shares = saved.shares;
        // Only the directory modes asked for since the last save; the requests are done then.
        const QStringList unchangedModes = m_server->files().setDirectoryModes(SaveSteps::modeRequests(shares));
        SaveSteps::clearModeRequests(shares);
        m_shares->setShares(shares);
        m_ui->actionEditShare->setEnabled(false);
        m_ui->actionDeleteShare->setEnabled(false);

        for (const QString &path : unchangedModes)
            QMessageBox::critical(this, tr("Info"), tr("Failed to set permissions for %1.").arg(path),
                                  QMessageBox::Ok);

        // The user sync also forgets the passwords typed: they are not kept past the save.
        const SambaAccountFailures failures = whileBusy(this, tr("Saving Samba users and groups..."), [this] {
            SambaAccountFailures found =
                m_server->accounts().saveSambaUsers(m_currentSettings.users(), m_savedSettings.users());
            found += m_server->accounts().saveSambaGroups(m_currentSettings.groups(), m_savedSettings.groups());
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
        if (saved.outcome.installed || saved.outcome.registryChanged) {
            m_connections->configLoaded();
            updateServices(saved.outcome.changes, saved.outcome.replacedText);
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
        FailureBox::show(this, tr("Error"), tr("Failed to save samba settings."), error);
        return false;
    }
}

bool MainWindow::acceptMissingModules(const QList<Share> &shares)
{
    const QStringList missing = m_modules.missing(m_session->modulesAdded(m_currentSettings, shares));
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

void MainWindow::takeUpTransfer(const ConfigSession::Transferred &transferred)
{
    // The accounts are not part of the configuration moved: they stay as read.
    SambaSettings loaded = transferred.loaded.settings;
    loaded.setUsers(m_savedSettings.users());
    loaded.setGroups(m_savedSettings.groups());
    m_currentSettings = loaded;
    m_savedSettings = loaded;
    m_load->setState(transferred.loaded.state);
    m_shares->setRegistryUse(transferred.loaded.state.registryUse);
    m_shares->setShares(transferred.loaded.shares);
    resizeColumns();
    updateSelection();
    m_historyCommands->showHistoryError(transferred.outcome.historyError);
    m_connections->configLoaded();
    updateServices(transferred.outcome.changes, transferred.outcome.replacedText);
}

void MainWindow::updateServices(ConfigChanges changes, std::string previous)
{
    if (m_ui->actionStop->isEnabled())
        m_services->takeUp(changes, previous, [this](const std::string &bytes, const QString &summary) {
            return m_historyCommands->restore(bytes, summary);
        });
}

void MainWindow::showHistory()
{
    m_historyCommands->showHistory();
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
    showServiceState(m_server->services().state(SystemCtl::smbdService()).state == SystemCtl::Active);
}

void MainWindow::showServiceState(bool running)
{
    m_ui->actionStart->setEnabled(!running);
    m_ui->actionStop->setEnabled(running);
    m_connections->showSmbd(running);
}
