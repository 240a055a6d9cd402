#include "mainwindow.h"

#include "connectdialog.h"
#include "helpmenu.h"
#include "historycommands.h"
#include "rememberedservers.h"
#include "serverlistcontroller.h"
#include "serverpage.h"
#include "sshconfighosts.h"
#include "startup.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
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

// The hosts the user's ssh configuration names, offered by the Connect dialog.
QStringList sshAliases()
{
    QFile config(QDir::home().filePath(QStringLiteral(".ssh/config")));
    return config.open(QIODevice::ReadOnly) ? SshConfigHosts::aliases(config.readAll()) : QStringList();
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(Environment(), parent)
{
}

MainWindow::MainWindow(const Environment &environment, QWidget *parent)
    : MainWindow(Opener([environment](const ServerAddress &address) -> std::unique_ptr<Server> {
                     if (!address.isLocal())
                         throw std::runtime_error(
                             tr("This window reaches only this computer.").toStdString());
                     return std::make_unique<LocalServer>(environment);
                 }),
                 parent)
{
    addServer(ServerAddress(), std::make_unique<LocalServer>(environment));
}

MainWindow::MainWindow(std::unique_ptr<Server> server, QWidget *parent, const ServerAddress &address)
    : MainWindow(Opener(), parent)
{
    addServer(address, std::move(server));
}

MainWindow::MainWindow(const Opener &open, QWidget *parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<Ui::MainWindow>())
{
    m_ui->setupUi(this);
    m_servers = new ServerListController(m_ui->serverList, m_ui->serverPages, open, this);
    setUpActions();
    menuBar()->addMenu(new HelpMenu(QString::fromUtf8(Startup::aboutText()), this));
    m_ui->toolBar->toggleViewAction()->setText(tr("Hide/Show toolbar"));
    m_ui->splitter->setStretchFactor(1, 1);
    m_ui->splitter->setSizes({160, 480});

    connect(m_servers, &ServerListController::currentChanged, this, &MainWindow::takeUpCurrent);
    connect(m_servers, &ServerListController::pageAdded, this, &MainWindow::takeUpPage);
    connect(m_servers, &ServerListController::pageRemoving, this, [this](ServerPage *page) {
        if (page == m_placed)
            placeActions(nullptr);
        if (QWidget *fields = page->statusFields())
            fields->setVisible(false);
        m_exitConfirmed.removeAll(page);
    });
    connect(m_servers, &ServerListController::serversChanged, this,
            [this] { RememberedServers::save(m_servers->servers()); });
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString &message) {
        if (ServerPage *page = currentPage())
            page->statusMessageChanged(message);
    });

    QSettings settings;
    settings.beginGroup(QLatin1String(sizeGroup));
    resize(settings.value(QLatin1String(sizeKey), QSize(640, 480)).toSize());
    takeUpCurrent();
}

MainWindow::~MainWindow()
{
    // The pages end their worker threads as they are deleted, while the status bar that shows
    // their fields is still there.
    delete m_servers;
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
    m_ui->actionConnect->setIcon(QIcon::fromTheme(QStringLiteral("network-connect")));
    m_ui->actionDisconnect->setIcon(QIcon::fromTheme(QStringLiteral("network-disconnect")));

    // The registry's commands of the current server follow the share commands; its history
    // follows Save, and its preferences those of the server.
    const QList<QAction *> entries = m_ui->menuFile->actions();
    m_ui->menuFile->insertSeparator(entries.value(entries.indexOf(m_ui->actionDeleteShare) + 1));
    m_ui->menuPreferencies->addSeparator();

    connect(m_ui->actionConnect, &QAction::triggered, this, &MainWindow::connectToServer);
    connect(m_ui->actionDisconnect, &QAction::triggered, this, &MainWindow::disconnectServer);
    connect(m_ui->actionQuit, &QAction::triggered, this, &MainWindow::quit);
    connect(m_ui->actionCheckConfig, &QAction::triggered, this, [this] {
        if (ServerPage *page = currentPage())
            page->checkConfig();
    });
    connect(m_ui->actionSave, &QAction::triggered, this, &MainWindow::saveAll);
    connect(m_ui->actionStart, &QAction::triggered, this, &MainWindow::startServices);
    connect(m_ui->actionStop, &QAction::triggered, this, &MainWindow::stopServices);
    connect(m_ui->actionAddShare, &QAction::triggered, this, &MainWindow::addShare);
    connect(m_ui->actionEditShare, &QAction::triggered, this, &MainWindow::editShare);
    connect(m_ui->actionDeleteShare, &QAction::triggered, this, &MainWindow::deleteShare);
    connect(m_ui->actionEditConfig, &QAction::triggered, this, &MainWindow::editConfig);
    connect(m_ui->actionSambaUsers, &QAction::triggered, this, &MainWindow::editSambaUsers);
    connect(m_ui->actionSambaGroups, &QAction::triggered, this, &MainWindow::editSambaGroups);
}

ServerPage *MainWindow::addServer(const ServerAddress &address, std::unique_ptr<Server> server)
{
    return m_servers->add(address, std::move(server));
}

void MainWindow::openServer(const ServerAddress &address)
{
    m_servers->open(address);
}

void MainWindow::takeUpPage(ServerPage *page)
{
    page->addShareActions(m_ui->actionEditShare, m_ui->actionDeleteShare);
    statusBar()->addPermanentWidget(page->statusFields());
    page->statusFields()->setVisible(page == currentPage());
    const auto ifCurrent = [this, page](auto &&then) {
        return [this, page, then] {
            if (page == currentPage())
                then();
        };
    };
    connect(page, &ServerPage::changed, this, ifCurrent([this] { updateActions(); }));
    connect(page, &ServerPage::shareSelected, this, ifCurrent([this] { emit shareSelected(); }));
    connect(page, &ServerPage::shareNotSelected, this, ifCurrent([this] { emit shareNotSelected(); }));
    connect(page, &ServerPage::backgroundLoaded, this, ifCurrent([this] { emit backgroundLoaded(); }));
    connect(page, &ServerPage::historyKeepChanged, this, [this, page](int keep) {
        for (ServerPage *other : pages()) {
            if (other != page)
                other->setHistoryKeep(keep);
        }
    });
    connect(page, &ServerPage::message, this, [this, page](const QString &text, int timeout) {
        if (page == currentPage())
            statusBar()->showMessage(text, timeout);
    });
}

QList<ServerAddress> MainWindow::servers() const
{
    return m_servers->servers();
}

ServerPage *MainWindow::currentPage() const
{
    return m_servers->currentPage();
}

ServerPage *MainWindow::page(int row) const
{
    return m_servers->page(row);
}

void MainWindow::setCurrentServer(int row)
{
    m_servers->setCurrentRow(row);
}

QString MainWindow::failureOf(int row) const
{
    return m_servers->failureOf(row);
}

void MainWindow::placeActions(ServerPage *page)
{
    if (page == m_placed)
        return;
    if (m_placed) {
        m_ui->menuFile->removeAction(m_placed->historyAction());
        m_ui->menuFile->removeAction(m_placed->reconnectAction());
        for (QAction *action : m_placed->registryActions())
            m_ui->menuFile->removeAction(action);
        m_ui->menuPreferencies->removeAction(m_placed->reviewAction());
        m_ui->menuPreferencies->removeAction(m_placed->keepAction());
    }
    m_placed = page;
    if (!page)
        return;
    const QList<QAction *> entries = m_ui->menuFile->actions();
    // Before the separator above Start.
    m_ui->menuFile->insertActions(entries.value(entries.indexOf(m_ui->actionStart) - 1),
                                  page->registryActions());
    m_ui->menuFile->addAction(page->historyAction());
    m_ui->menuFile->addAction(page->reconnectAction());
    // Another server's page may have changed the setting.
    page->reviewAction()->setChecked(HistoryCommands::reviewsChanges());
    m_ui->menuPreferencies->addActions({page->reviewAction(), page->keepAction()});
}

void MainWindow::takeUpCurrent()
{
    ServerPage *page = currentPage();
    placeActions(page);
    const QList<ServerAddress> servers = m_servers->servers();
    for (int row = 0; row < servers.size(); ++row) {
        if (ServerPage *shown = m_servers->page(row))
            shown->statusFields()->setVisible(shown == page);
    }
    const int row = m_servers->currentRow();
    if (row >= 0) {
        setWindowTitle(tr("%1[*] — Shareward").arg(servers.at(row).displayName()));
        if (page)
            page->statusMessageChanged(statusBar()->currentMessage());
    } else {
        setWindowTitle(tr("Shareward"));
    }
    updateActions();
}

void MainWindow::updateActions()
{
    ServerPage *page = currentPage();
    const bool open = page;
    // After a lost connection only what needs no server: the edits that ask it nothing.
    const bool connected = open && page->isConnected();
    const bool selected = open && page->selectedShare().isValid();
    for (QAction *action :
         {m_ui->actionAddShare, m_ui->actionCheckConfig, m_ui->actionSambaUsers, m_ui->actionSambaGroups})
        action->setEnabled(connected);
    m_ui->actionEditConfig->setEnabled(open);
    m_ui->actionEditShare->setEnabled(connected && selected);
    m_ui->actionDeleteShare->setEnabled(selected);
    m_ui->actionStart->setEnabled(connected && page->canStart());
    m_ui->actionStop->setEnabled(connected && page->canStop());
    m_ui->actionSave->setEnabled(connected && page->isModified());
    m_ui->actionConnect->setEnabled(m_servers->canOpen());
    m_ui->actionDisconnect->setEnabled(m_servers->currentRow() >= 0);
    setWindowModified(open && page->isModified());
    m_servers->updateEntry(m_servers->currentRow());
}

void MainWindow::connectToServer()
{
    ConnectDialog dialog(sshAliases(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (const std::optional<ServerAddress> address = dialog.address())
        openServer(*address);
}

bool MainWindow::disconnectServer()
{
    const int row = m_servers->currentRow();
    if (row < 0)
        return false;
    ServerPage *page = m_servers->page(row);
    if (page && page->isModified()) {
        QMessageBox box(QMessageBox::Question, tr("Disconnect"),
                        tr("The configuration of %1 has changes that are not saved.").arg(page->name()),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        box.setInformativeText(tr("Save them before disconnecting?"));
        box.setDefaultButton(QMessageBox::Save);
        const int answer = box.exec();
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !page->saveAll()))
            return false;
    }
    m_servers->remove(row);
    return true;
}

bool MainWindow::confirmDiscard(ServerPage *page, bool quitting)
{
    setCurrentServer(m_servers->rowOf(page));
    QMessageBox box(QMessageBox::Question, tr("Question"),
                    quitting ? tr("Some data has changed.\nAre you sure to save new data?")
                             : tr("Some data has changed.\nDo you want to save changed data?"));
    box.setInformativeText(tr("The changes are those of %1.").arg(page->name()));
    QPushButton *exitButton = box.addButton(tr("Exit"), QMessageBox::DestructiveRole);
    QPushButton *saveButton = nullptr;
    if (quitting) {
        saveButton = box.addButton(tr("Save and Exit"), QMessageBox::ApplyRole);
        box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    } else {
        box.addButton(tr("Cancel"), QMessageBox::RejectRole);
        saveButton = box.addButton(tr("Save and Exit"), QMessageBox::ApplyRole);
    }
    box.setDefaultButton(saveButton);
    box.exec();
    if (box.clickedButton() == exitButton) {
        m_exitConfirmed << page;
        return true;
    }
    if (box.clickedButton() != saveButton)
        return false;
    // After Quit, a failed save is asked about again as the window closes; closing after a
    // failed save would throw the changes away.
    return page->saveAll() || quitting;
}

QList<ServerPage *> MainWindow::pages() const
{
    QList<ServerPage *> open;
    for (int row = 0; row < m_servers->servers().size(); ++row) {
        if (ServerPage *page = m_servers->page(row))
            open << page;
    }
    return open;
}

void MainWindow::quit()
{
    m_exitConfirmed.clear();
    for (ServerPage *page : pages()) {
        if (page->isModified() && !confirmDiscard(page, true)) {
            m_exitConfirmed.clear();
            return;
        }
    }
    close();
    m_exitConfirmed.clear();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    for (ServerPage *page : pages()) {
        if (page->isModified() && !m_exitConfirmed.contains(page) && !confirmDiscard(page, false)) {
            event->ignore();
            return;
        }
    }
    saveSize();
    event->accept();
}

void MainWindow::saveSize()
{
    QSettings settings;
    settings.beginGroup(QLatin1String(sizeGroup));
    settings.setValue(QLatin1String(sizeKey), size());
}

ServerPage &MainWindow::current() const
{
    ServerPage *page = currentPage();
    Q_ASSERT(page);
    return *page;
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
    return ServerPage::startCheck(server);
}

bool MainWindow::loadFirstScreen(std::future<TestParmResult> check)
{
    const bool loaded = current().loadFirstScreen(std::move(check));
    m_servers->updateEntries();
    return loaded;
}

void MainWindow::startBackgroundLoad()
{
    current().startBackgroundLoad();
    m_servers->updateEntries();
}

void MainWindow::initialLoad()
{
    current().initialLoad();
    m_servers->updateEntries();
}

bool MainWindow::waitForBackgroundLoad()
{
    return current().waitForBackgroundLoad();
}

bool MainWindow::isBackgroundLoading() const
{
    return current().isBackgroundLoading();
}

ShareModel *MainWindow::shareModel() const
{
    return current().shareModel();
}

SambaSettings &MainWindow::currentSettings()
{
    return current().currentSettings();
}

const SambaSettings &MainWindow::savedSettings() const
{
    return current().savedSettings();
}

QStringList MainWindow::serviceUsers() const
{
    return current().serviceUsers();
}

QStringList MainWindow::serviceGroups() const
{
    return current().serviceGroups();
}

QStringList MainWindow::domainUsers() const
{
    return current().domainUsers();
}

QStringList MainWindow::domainGroups() const
{
    return current().domainGroups();
}

bool MainWindow::isModified() const
{
    const ServerPage *page = currentPage();
    return page && page->isModified();
}

void MainWindow::setModified()
{
    current().setModified();
}

QModelIndex MainWindow::selectedShare() const
{
    return current().selectedShare();
}

bool MainWindow::reviewsChanges()
{
    return HistoryCommands::reviewsChanges();
}

void MainWindow::setReviewsChanges(bool review)
{
    HistoryCommands::setReviewsChanges(review);
}

void MainWindow::showCheckResult(const TestParmResult &result)
{
    current().showCheckResult(result);
}

void MainWindow::showProcessError(const QString &error)
{
    current().showProcessError(error);
}

void MainWindow::showStartupError(const QString &text)
{
    current().showStartupError(text);
}

bool MainWindow::saveAll()
{
    ServerPage *page = currentPage();
    return page && page->saveAll();
}

void MainWindow::showHistory()
{
    if (ServerPage *page = currentPage())
        page->showHistory();
}

void MainWindow::startServices()
{
    if (ServerPage *page = currentPage())
        page->startServices();
}

void MainWindow::stopServices()
{
    if (ServerPage *page = currentPage())
        page->stopServices();
}

bool MainWindow::restartServices()
{
    ServerPage *page = currentPage();
    return page && page->restartServices();
}

void MainWindow::updateServiceActions()
{
    if (ServerPage *page = currentPage())
        page->updateServiceActions();
}

void MainWindow::addShare()
{
    if (ServerPage *page = currentPage())
        page->addShare();
}

void MainWindow::editShare()
{
    if (ServerPage *page = currentPage())
        page->editShare();
}

void MainWindow::deleteShare()
{
    if (ServerPage *page = currentPage())
        page->deleteShare();
}

void MainWindow::editConfig()
{
    if (ServerPage *page = currentPage())
        page->editConfig();
}

void MainWindow::editSambaUsers()
{
    if (ServerPage *page = currentPage())
        page->editSambaUsers();
}

void MainWindow::editSambaGroups()
{
    if (ServerPage *page = currentPage())
        page->editSambaGroups();
}
