#include "serverpage.h"

#include "configdialog.h"
#include "connectionscontroller.h"
#include "failurebox.h"
#include "groupsdialog.h"
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
#include "ui_serverpage.h"
#include "usersdialog.h"
#include "whilebusy.h"
#include "windowload.h"

#include <QAction>
#include <QBoxLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <exception>
#include <stdexcept>
#include <utility>

ServerPage::ServerPage(std::unique_ptr<Server> server, const QString &name, QWidget *parent)
    : QWidget(parent)
    , m_server(std::move(server))
    , m_name(name)
    , m_session(&m_server->config())
    , m_services(new ServiceCommands(m_server->services(), this))
    , m_ui(std::make_unique<Ui::ServerPage>())
    , m_shares(new ShareModel(this))
    , m_sharesProxy(new ShareProxyModel([](const Share &share) { return !share.printable(); }, this))
    , m_printersProxy(new ShareProxyModel([](const Share &share) { return share.printable(); }, this))
    , m_statusFields(new QWidget(this))
    , m_serverLabel(new QLabel(m_statusFields))
    , m_connectionBar(new QFrame(this))
    , m_connectionLabel(new QLabel(m_connectionBar))
    , m_reconnectButton(new QPushButton(tr("Reconnect"), m_connectionBar))
    , m_reconnectAction(new QAction(tr("&Reconnect"), this))
    , m_load(std::make_unique<WindowLoad>(*m_session, m_server->accounts(), m_server->services(),
                                          m_server->files(), *m_shares, this))
{
    m_ui->setupUi(this);
    m_historyCommands = new HistoryCommands(
        *m_session, *m_load, [this] { return isModified(); }, this);
    connect(m_historyCommands, &HistoryCommands::restored, this, [this] { setModified(false); });
    connect(m_historyCommands, &HistoryCommands::keepChanged, this, &ServerPage::historyKeepChanged);
    connect(m_historyCommands, &HistoryCommands::unreadable, this, [this](const QString &sentence) {
        if (!noticeConnectionLoss(sentence))
            QMessageBox::critical(this, tr("Error"), tr("Failed to read the history: %1").arg(sentence));
    });
    connect(m_historyCommands, &HistoryCommands::versionInstalled, this,
            [this](const ConfigSession::Outcome &outcome) {
                updateServices(outcome.changes, outcome.replacedText);
            });
    m_registryCommands = new RegistryCommands(
        *m_session, *m_load, m_server->registryUsable(), [this] { return isModified(); },
        [this]() -> const Share * { return m_shares->share(selectedShare()); }, this);
    connect(m_registryCommands, &RegistryCommands::transferred, this, &ServerPage::takeUpTransfer);

    // Above the tables, shown when the connection was lost and after Reconnect.
    m_connectionBar->setObjectName(QStringLiteral("connectionBar"));
    m_connectionBar->setFrameStyle(QFrame::StyledPanel);
    m_connectionLabel->setObjectName(QStringLiteral("connectionMessage"));
    m_connectionLabel->setWordWrap(true);
    m_reconnectButton->setObjectName(QStringLiteral("reconnectButton"));
    auto *barLayout = new QHBoxLayout(m_connectionBar);
    barLayout->addWidget(m_connectionLabel, 1);
    barLayout->addWidget(m_reconnectButton);
    static_cast<QBoxLayout *>(layout())->insertWidget(0, m_connectionBar);
    m_reconnectAction->setObjectName(QStringLiteral("actionReconnect"));
    showConnectionMessage(QString(), false);
    connect(m_reconnectButton, &QPushButton::clicked, m_reconnectAction, &QAction::trigger);
    connect(m_reconnectAction, &QAction::triggered, this, &ServerPage::reconnect);

    m_sharesProxy->setSourceModel(m_shares);
    m_printersProxy->setSourceModel(m_shares);
    setUpView(m_ui->tableViewShares, m_sharesProxy);
    setUpView(m_ui->tableViewPrinters, m_printersProxy);

    // The server's name first, then the fields of the running server and smb.conf.
    auto *fieldsLayout = new QHBoxLayout(m_statusFields);
    fieldsLayout->setContentsMargins(0, 0, 0, 0);
    m_serverLabel->setObjectName(QStringLiteral("labelServer"));
    m_serverLabel->setText(m_name);
    m_serverLabel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_serverLabel->setMargin(1);
    fieldsLayout->addWidget(m_serverLabel);
    m_connections = new ConnectionsController(
        m_ui->connectionsView, m_server->services(), m_server->readableConfigPath(),
        [this] {
            SmbStatus::SharePaths paths;
            for (const Share &share : m_shares->shares())
                paths.append({share.name(), share.path()});
            return paths;
        },
        this, m_statusFields);
    connect(m_ui->tabWidget, &QTabWidget::currentChanged, this,
            [this] { m_connections->setShown(m_ui->tabWidget->currentWidget() == m_ui->tabConnections); });
    connect(m_connections, &ConnectionsController::message, this, &ServerPage::message);
    // A read answers a lost connection with its failure: the page says so at once.
    connect(m_connections, &ConnectionsController::refreshed, this, [this] { noticeConnectionLoss(); });
    connectLoad();

    connect(m_ui->tabWidget, &QTabWidget::currentChanged, this, &ServerPage::updateSelection);
    connect(m_services, &ServiceCommands::message, this, &ServerPage::message);
    connect(m_ui->tableViewShares, &QTableView::doubleClicked, this, &ServerPage::editShare);
    connect(m_ui->tableViewPrinters, &QTableView::doubleClicked, this, &ServerPage::editShare);
}

ServerPage::~ServerPage()
{
    // The worker threads use the session, the account store and the server: they end first.
    m_load.reset();
    delete m_connections;
    // Its fields leave the window's status bar with it.
    delete m_statusFields;
}

void ServerPage::connectLoad()
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
    connect(load, &WindowLoad::configLoaded, this, [this] {
        m_serverLabel->setToolTip(tr("smb.conf on %1: %2").arg(m_name, configPath()));
        m_connections->setShownPath(configPath());
    });
    // The registry's commands depend on what was loaded.
    connect(load, &WindowLoad::configLoaded, this, &ServerPage::updateSelection);
    connect(load, &WindowLoad::serviceStateUnknown, this, [this] { setServiceActions(false, false); });
    connect(load, &WindowLoad::smbdStateRead, this, &ServerPage::showServiceState);
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
    connect(load, &WindowLoad::backgroundLoaded, this, &ServerPage::backgroundLoaded);
}

bool ServerPage::noticeConnectionLoss(const QString &sentence)
{
    if (!m_server->connectionLost())
        return false;
    // Said once: every request that fails afterwards fails for the same reason.
    if (!m_reconnectAction->isEnabled()) {
        const QString why = sentence.isEmpty() ? tr("The connection to %1 was lost.").arg(m_name) : sentence;
        showConnectionMessage(
            tr("Connection lost: %1 The changes made here are kept; reconnect to go on.").arg(why), true);
        updateSelection();
    }
    return true;
}

QString ServerPage::connectionMessage() const
{
    return m_connectionBar->isHidden() ? QString() : m_connectionLabel->text();
}

void ServerPage::showConnectionMessage(const QString &text, bool offerReconnect)
{
    m_connectionLabel->setText(text);
    m_reconnectButton->setVisible(offerReconnect);
    m_reconnectAction->setEnabled(offerReconnect);
    m_connectionBar->setHidden(text.isEmpty());
}

void ServerPage::reconnect()
{
    try {
        whileBusy(this, tr("Connecting to %1...").arg(m_name), [this] { m_server->reconnect(); });
    } catch (const std::exception &error) {
        showConnectionMessage(tr("%1 cannot be reached: %2 The changes made here are kept.")
                                  .arg(m_name, QString::fromUtf8(error.what())),
                              true);
        return;
    }
    showConnectionMessage(QString(), false);
    try {
        if (m_droppedSave) {
            // Kept until judged: lost again meanwhile, it is judged after the next Reconnect.
            judgeDroppedSave(*m_droppedSave);
            m_droppedSave.reset();
        } else if (!m_load->isLoaded()) {
            initialLoad();
        }
        // What the page shows beside the edits, read again.
        updateServiceActions();
        m_connections->refresh();
        updateSelection();
    } catch (const std::exception &error) {
        if (!noticeConnectionLoss(QString::fromUtf8(error.what())))
            FailureBox::show(this, tr("Error"), tr("Failed to read the server again."), error);
    }
    emit changed();
}

void ServerPage::judgeDroppedSave(const DroppedSave &save)
{
    // The backend started again holds no load: this one reads the configuration as it is now.
    const ConfigSession::Loaded now =
        whileBusy(this, tr("Reading smb.conf..."), [this] { return m_session->load(); });
    if (now.state.fingerprint == save.fingerprint) {
        showConnectionMessage(tr("The connection was lost during the save, which was not installed. The "
                                 "changes made here are kept and not saved yet."),
                              false);
        return;
    }
    // Installed when the records sent would change nothing of the configuration now. Named as
    // a save leaves them: a share added or renamed is now in the section of its name.
    QList<Share> asSaved = save.shares;
    for (Share &share : asSaved)
        share.setOriginalName(share.name());
    const ConfigSession::Preview preview =
        whileBusy(this, tr("Reading smb.conf..."), [this, &save, &asSaved, &now] {
            return m_session->preview(save.settings, asSaved, now.state.fingerprint);
        });
    // What testparm says of the preview does not matter: a change at all means not this save.
    const bool installed =
        preview.file.proposed == preview.file.current && preview.registryProposed == preview.registryCurrent;
    if (!installed) {
        // Left on the load the edits came from: the next save is refused as changed, with the
        // offer to load it again.
        showConnectionMessage(tr("The connection was lost during the save, and smb.conf was changed by "
                                 "another program since it was loaded. The changes made here are kept and "
                                 "not saved."),
                              false);
        return;
    }
    // The accounts are not part of the configuration: those edited stay to be saved.
    SambaSettings saved = now.settings;
    saved.setUsers(m_savedSettings.users());
    saved.setGroups(m_savedSettings.groups());
    SambaSettings current = now.settings;
    current.setUsers(m_currentSettings.users());
    current.setGroups(m_currentSettings.groups());
    m_savedSettings = saved;
    m_currentSettings = current;
    m_load->setState(now.state);
    m_shares->setRegistryUse(now.state.registryUse);
    m_shares->setShares(now.shares);
    resizeColumns();
    updateSelection();
    setModified(current.users() != saved.users() || current.groups() != saved.groups());
    m_connections->configLoaded();
    showConnectionMessage(
        tr("The connection was lost during the save, which was installed: smb.conf is saved."), false);
}

QAction *ServerPage::historyAction() const
{
    return m_historyCommands->historyAction();
}

QAction *ServerPage::reviewAction() const
{
    return m_historyCommands->reviewAction();
}

QAction *ServerPage::keepAction() const
{
    return m_historyCommands->keepAction();
}

QList<QAction *> ServerPage::registryActions() const
{
    return {m_registryCommands->moveToRegistryAction(), m_registryCommands->moveToFileAction(),
            m_registryCommands->storeAllAction()};
}

void ServerPage::setHistoryKeep(int keep)
{
    m_historyCommands->setKeep(keep);
}

void ServerPage::addShareActions(QAction *edit, QAction *remove)
{
    // The registry's moves follow the share commands in the tables' context menus.
    for (QTableView *view : {m_ui->tableViewShares, m_ui->tableViewPrinters}) {
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
        auto *separator = new QAction(view);
        separator->setSeparator(true);
        view->addActions({edit, remove, separator});
        view->addActions(registryActions().mid(0, 2));
    }
}

void ServerPage::statusMessageChanged(const QString &message)
{
    m_connections->statusMessageChanged(message);
}

void ServerPage::setUpView(QTableView *view, ShareProxyModel *proxy)
{
    view->setModel(proxy);
    view->sortByColumn(ShareModel::NameColumn, Qt::AscendingOrder);
    view->horizontalHeader()->setHighlightSections(false);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ServerPage::updateSelection);
}

QModelIndex ServerPage::selectedShare() const
{
    if (m_ui->tabWidget->currentWidget() == m_ui->tabConnections)
        return QModelIndex();
    const bool shares = m_ui->tabWidget->currentIndex() == 0;
    const QTableView *view = shares ? m_ui->tableViewShares : m_ui->tableViewPrinters;
    const ShareProxyModel *proxy = shares ? m_sharesProxy : m_printersProxy;
    const QModelIndexList selected = view->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : proxy->mapToSource(selected.first());
}

void ServerPage::updateSelection()
{
    m_registryCommands->update();
    // The history and the moves ask the server.
    const bool connected = isConnected();
    m_historyCommands->historyAction()->setEnabled(connected);
    if (!connected) {
        for (QAction *action : registryActions())
            action->setEnabled(false);
    }
    if (selectedShare().isValid())
        emit shareSelected();
    else
        emit shareNotSelected();
    emit changed();
}

void ServerPage::showCheckResult(const TestParmResult &result)
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

void ServerPage::checkConfig()
{
    TestParmResult result;
    try {
        result =
            whileBusy(this, tr("Checking smb.conf with testparm..."), [this] { return m_session->check(); });
    } catch (const std::exception &error) {
        if (!noticeConnectionLoss(QString::fromUtf8(error.what())))
            showProcessError(QString::fromUtf8(error.what()));
        return;
    }
    if (result.status == TestParmResult::Failed)
        showProcessError(result.output);
    else
        showCheckResult(result);
}

void ServerPage::showProcessError(const QString &error)
{
    QMessageBox::critical(this, tr("Testparm process error"), error, QMessageBox::Ok);
}

void ServerPage::setModified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    m_connections->setModified(modified);
    emit changed();
}

void ServerPage::resizeColumns()
{
    for (int column = 0; column < m_shares->columnCount(); ++column) {
        m_ui->tableViewShares->resizeColumnToContents(column);
        m_ui->tableViewPrinters->resizeColumnToContents(column);
    }
}

void ServerPage::showTabOf(const Share &share)
{
    m_ui->tabWidget->setCurrentIndex(share.printable() ? 1 : 0);
}

std::optional<ShareDialog::Accounts> ServerPage::regularAccounts()
{
    // Read when a share dialog opens: accounts made since start-up are offered too.
    try {
        const ServerAccounts::RegularAccounts accounts = m_server->accounts().regularAccounts();
        return ShareDialog::Accounts{accounts.users, accounts.groups};
    } catch (const std::exception &error) {
        if (!noticeConnectionLoss(QString::fromUtf8(error.what())))
            FailureBox::show(this, tr("Error"), tr("Failed to read the accounts."), error);
        return std::nullopt;
    }
}

void ServerPage::addShare()
{
    // The dialog offers the installed modules.
    waitForBackgroundLoad();
    Share share;
    if (m_ui->tabWidget->currentIndex() == 1)
        share.setPrintable(true);
    // Samba reads nothing of smb.conf's shares then.
    if (m_load->state().registryUse == RegistryConfig::Backend)
        share.setStoredIn(Share::StoredInRegistry);
    const std::optional<ShareDialog::Accounts> accounts = regularAccounts();
    if (!accounts)
        return;
    ShareDialog dialog(share, m_currentSettings, m_shares->shareNames(), m_server->files(), *accounts, this);
    dialog.setInstalledModules(m_modules);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_shares->addShare(share);
    resizeColumns();
    setModified();
    showTabOf(share);
}

void ServerPage::editShare()
{
    waitForBackgroundLoad();
    const QModelIndex index = selectedShare();
    Share *share = m_shares->share(index);
    if (!share)
        return;
    const std::optional<ShareDialog::Accounts> accounts = regularAccounts();
    if (!accounts)
        return;
    // The dialog edits the model's record itself.
    ShareDialog dialog(*share, m_currentSettings, m_shares->shareNames(), m_server->files(), *accounts, this);
    dialog.setInstalledModules(m_modules);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_shares->updateShare(index, Share(*share));
    resizeColumns();
    setModified();
    showTabOf(*m_shares->share(index));
}

void ServerPage::deleteShare()
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

void ServerPage::editConfig()
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

void ServerPage::editSambaUsers()
{
    waitForBackgroundLoad();
    SambaUserMap users = m_currentSettings.users();
    UsersDialog dialog(&users, candidates(m_serviceUsers, m_domainUsers), this, m_server->accounts());
    if (dialog.exec() == QDialog::Accepted && users != m_currentSettings.users()) {
        m_currentSettings.setUsers(users);
        setModified();
    }
}

void ServerPage::editSambaGroups()
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

void ServerPage::initialLoad()
{
    m_load->initialLoad();
}

std::future<TestParmResult> ServerPage::startCheck(Server &server)
{
    // The window keeps the server as long as the check runs.
    return std::async(std::launch::async, [&server] { return server.config().check(); });
}

bool ServerPage::loadFirstScreen(std::future<TestParmResult> check)
{
    return m_load->loadFirstScreen(std::move(check));
}

void ServerPage::startBackgroundLoad()
{
    m_load->startBackgroundLoad();
}

bool ServerPage::waitForBackgroundLoad()
{
    return m_load->waitForBackgroundLoad();
}

bool ServerPage::isBackgroundLoading() const
{
    return m_load->isBackgroundLoading();
}

bool ServerPage::isLoaded() const
{
    return m_load->isLoaded();
}

QString ServerPage::configPath() const
{
    return m_load->state().path;
}

void ServerPage::showStartupError(const QString &text)
{
    m_load->showStartupError(text);
}

bool ServerPage::saveAll()
{
    // The accounts to sync, the modules to check and the history's record come first.
    waitForBackgroundLoad();
    if (noticeConnectionLoss())
        return false;
    try {
        if (!m_load->isLoaded())
            throw std::runtime_error(
                tr("smb.conf could not be loaded at start-up; nothing is written over it.").toStdString());
        QList<Share> shares = m_shares->shares();
        SaveSteps::dropOldGuestAccount(m_currentSettings.global()->guestAccount(),
                                       m_savedSettings.global()->guestAccount(), shares);
        if (!acceptMissingModules(shares)
            || !m_historyCommands->reviewSave(m_currentSettings, m_savedSettings, shares, m_canStop,
                                              m_server->files()))
            return false;
        const QString fingerprint = m_load->state().fingerprint;
        ConfigSession::Saved saved;
        try {
            saved = whileBusy(this, tr("Checking smb.conf with testparm and saving it..."),
                              [this, &shares, &fingerprint] {
                                  return m_session->save(m_currentSettings, shares, fingerprint);
                              });
        } catch (const std::exception &) {
            // Its answer never came: whether it was installed is found out after reconnecting.
            if (m_server->connectionLost())
                m_droppedSave = DroppedSave{fingerprint, m_currentSettings, shares};
            throw;
        }
        m_load->setFingerprint(saved.fingerprint);
        m_historyCommands->showHistoryError(saved.outcome.historyError);
        shares = saved.shares;
        // Only the directory modes asked for since the last save; the requests are done then.
        const QStringList unchangedModes =
            m_server->files().setDirectoryModes(SaveSteps::modeRequests(shares));
        SaveSteps::clearModeRequests(shares);
        m_shares->setShares(shares);
        updateSelection();

        for (const QString &path : unchangedModes)
            QMessageBox::critical(this, tr("Info"), tr("Failed to set permissions for %1.").arg(path),
                                  QMessageBox::Ok);

        // The user sync also forgets the passwords typed: they are not kept past the save.
        const SambaAccountFailures failures = whileBusy(this, tr("Saving Samba users and groups..."), [this] {
            SambaAccountFailures found =
                m_server->accounts().saveSambaUsers(m_currentSettings.users(), m_savedSettings.users());
            found +=
                m_server->accounts().saveSambaGroups(m_currentSettings.groups(), m_savedSettings.groups());
            return found;
        });
        if (!failures.isEmpty()) {
            QStringList lines{tr("smb.conf is saved, but these Samba account changes failed:")};
            for (const SambaAccountFailure &failure : failures)
                lines << failure.text();
            QMessageBox::warning(this, tr("Warning"), lines.join(QLatin1Char('\n')), QMessageBox::Ok);
        }

        setModified(false);
        m_savedSettings = m_currentSettings;
        // What became of an earlier save is of no interest any more.
        showConnectionMessage(QString(), false);
        if (saved.outcome.installed || saved.outcome.registryChanged) {
            m_connections->configLoaded();
            updateServices(saved.outcome.changes, saved.outcome.replacedText);
            m_connections->closeDeletedShares(m_shares->shareNames(), m_canStop);
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
            setModified(false);
        }
        return false;
    } catch (const std::exception &error) {
        if (!noticeConnectionLoss(QString::fromUtf8(error.what())))
            FailureBox::show(this, tr("Error"), tr("Failed to save samba settings."), error);
        return false;
    }
}

bool ServerPage::acceptMissingModules(const QList<Share> &shares)
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

void ServerPage::takeUpTransfer(const ConfigSession::Transferred &transferred)
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

void ServerPage::updateServices(ConfigChanges changes, std::string previous)
{
    if (m_canStop)
        m_services->takeUp(changes, previous, [this](const std::string &bytes, const QString &summary) {
            return m_historyCommands->restore(bytes, summary);
        });
}

void ServerPage::showHistory()
{
    m_historyCommands->showHistory();
}

void ServerPage::startServices()
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

void ServerPage::stopServices()
{
    if (!m_services->stop())
        return;
    showServiceState(false);
    m_connections->showNmbd(false);
}

bool ServerPage::restartServices()
{
    waitForBackgroundLoad();
    if (!m_canStop)
        return false;
    return m_services->restart();
}

void ServerPage::updateServiceActions()
{
    showServiceState(m_server->services().state(SystemCtl::smbdService()).state == SystemCtl::Active);
}

void ServerPage::showServiceState(bool running)
{
    setServiceActions(!running, running);
    m_connections->showSmbd(running);
}

void ServerPage::setServiceActions(bool start, bool stop)
{
    m_canStart = start;
    m_canStop = stop;
    emit changed();
}
