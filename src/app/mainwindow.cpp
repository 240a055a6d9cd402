#include "mainwindow.h"

#include "connectdialog.h"
#include "helpmenu.h"
#include "historycommands.h"
#include "rememberedservers.h"
#include "serverfailureview.h"
#include "serverpage.h"
#include "sshconfighosts.h"
#include "startup.h"
#include "ui_mainwindow.h"
#include "whilebusy.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>

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
// How often the list looks for servers whose connection broke.
const int watchIntervalMs = 2000;

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
    , m_open(open)
    , m_ui(std::make_unique<Ui::MainWindow>())
    , m_watch(new QTimer(this))
{
    m_ui->setupUi(this);
    setUpActions();
    menuBar()->addMenu(new HelpMenu(QString::fromUtf8(Startup::aboutText()), this));
    m_ui->toolBar->toggleViewAction()->setText(tr("Hide/Show toolbar"));
    m_ui->splitter->setStretchFactor(1, 1);
    m_ui->splitter->setSizes({160, 480});

    connect(m_ui->serverList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < m_ui->serverPages->count())
            m_ui->serverPages->setCurrentIndex(row);
        takeUpCurrent();
    });
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString &message) {
        if (ServerPage *page = currentPage())
            page->statusMessageChanged(message);
    });
    m_watch->setInterval(watchIntervalMs);
    connect(m_watch, &QTimer::timeout, this, &MainWindow::updateEntries);
    m_watch->start();

    QSettings settings;
    settings.beginGroup(QLatin1String(sizeGroup));
    resize(settings.value(QLatin1String(sizeKey), QSize(640, 480)).toSize());
    takeUpCurrent();
}

MainWindow::~MainWindow()
{
    // The pages end their worker threads as they are deleted; their actions leave the menus.
    m_placed = nullptr;
    for (const Entry &entry : std::as_const(m_entries))
        delete entry.page;
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
    m_entries.append(Entry{address, nullptr, nullptr, false});
    const int row = m_entries.size() - 1;
    m_ui->serverList->addItem(address.displayName());
    ServerPage *page = showPage(row, std::move(server));
    rememberServers();
    if (m_ui->serverList->currentRow() < 0)
        m_ui->serverList->setCurrentRow(row);
    return page;
}

void MainWindow::openServer(const ServerAddress &address)
{
    for (int row = 0; row < m_entries.size(); ++row) {
        if (m_entries.at(row).address == address) {
            setCurrentServer(row);
            return;
        }
    }
    m_entries.append(Entry{address, nullptr, nullptr, true});
    const int row = m_entries.size() - 1;
    m_ui->serverList->addItem(address.displayName());
    rememberServers();
    // A placeholder until the server answers.
    m_ui->serverPages->addWidget(new QWidget(m_ui->serverPages));
    setCurrentServer(row);
    connectEntry(row);
}

void MainWindow::connectEntry(int row)
{
    const ServerAddress address = m_entries.at(row).address;
    m_entries[row].loading = true;
    updateEntry(row);
    std::unique_ptr<Server> server;
    QString sentence;
    try {
        if (!m_open)
            throw std::runtime_error(tr("This window cannot reach other servers.").toStdString());
        const Opener open = m_open;
        server = whileBusy(this, tr("Connecting to %1...").arg(address.displayName()),
                           [open, address] { return open(address); });
    } catch (const std::exception &error) {
        sentence = QString::fromUtf8(error.what());
    }
    // The list may have changed while the connection was made.
    row = -1;
    for (int index = 0; index < m_entries.size(); ++index) {
        if (m_entries.at(index).address == address)
            row = index;
    }
    if (row < 0)
        return;
    if (!server) {
        showFailure(row, sentence);
        return;
    }
    ServerPage *page = showPage(row, std::move(server));
    m_entries[row].loading = true;
    updateEntry(row);
    bool loaded = false;
    try {
        loaded = page->loadFirstScreen(ServerPage::startCheck(page->server()));
    } catch (const std::exception &error) {
        showFailure(rowOf(page), QString::fromUtf8(error.what()));
        return;
    }
    row = rowOf(page);
    if (row < 0)
        return;
    m_entries[row].loading = false;
    if (loaded)
        page->startBackgroundLoad();
    updateEntry(row);
}

ServerPage *MainWindow::showPage(int row, std::unique_ptr<Server> server)
{
    Entry &entry = m_entries[row];
    auto *page = new ServerPage(std::move(server), entry.address.displayName());
    page->addShareActions(m_ui->actionEditShare, m_ui->actionDeleteShare);
    statusBar()->addPermanentWidget(page->statusFields());
    page->statusFields()->setVisible(false);
    const auto ifCurrent = [this, page](auto &&then) {
        return [this, page, then] {
            if (page == currentPage())
                then();
        };
    };
    connect(page, &ServerPage::changed, this, [this, page] {
        if (page == currentPage())
            updateActions();
        else
            updateEntry(rowOf(page));
    });
    connect(page, &ServerPage::backgroundLoaded, this, [this, page] { updateEntry(rowOf(page)); });
    connect(page, &ServerPage::shareSelected, this, ifCurrent([this] { emit shareSelected(); }));
    connect(page, &ServerPage::shareNotSelected, this, ifCurrent([this] { emit shareNotSelected(); }));
    connect(page, &ServerPage::backgroundLoaded, this, ifCurrent([this] { emit backgroundLoaded(); }));
    connect(page, &ServerPage::message, this, [this, page](const QString &text, int timeout) {
        if (page == currentPage())
            statusBar()->showMessage(text, timeout);
    });

    QWidget *previous = row < m_ui->serverPages->count() ? m_ui->serverPages->widget(row) : nullptr;
    m_ui->serverPages->insertWidget(row, page);
    if (previous) {
        m_ui->serverPages->removeWidget(previous);
        previous->deleteLater();
    }
    entry.page = page;
    entry.failure = nullptr;
    if (m_ui->serverList->currentRow() == row) {
        m_ui->serverPages->setCurrentIndex(row);
        takeUpCurrent();
    }
    updateEntry(row);
    return page;
}

void MainWindow::showFailure(int row, const QString &sentence)
{
    if (row < 0)
        return;
    Entry &entry = m_entries[row];
    auto *view = new ServerFailureView(m_ui->serverPages);
    view->setFailure(entry.address.displayName(), sentence);
    connect(view, &ServerFailureView::retryRequested, this, [this, view] {
        const int at = rowOf(view);
        if (at >= 0)
            connectEntry(at);
    });
    if (entry.page == m_placed)
        placeActions(nullptr);
    QWidget *previous = m_ui->serverPages->widget(row);
    m_ui->serverPages->insertWidget(row, view);
    if (previous) {
        m_ui->serverPages->removeWidget(previous);
        // A page ends its worker threads as it is deleted.
        delete previous;
    }
    entry.page = nullptr;
    entry.failure = view;
    entry.loading = false;
    if (m_ui->serverList->currentRow() == row) {
        m_ui->serverPages->setCurrentIndex(row);
        takeUpCurrent();
    }
    updateEntry(row);
}

int MainWindow::rowOf(const QObject *pageOrView) const
{
    for (int row = 0; row < m_entries.size(); ++row) {
        const Entry &entry = m_entries.at(row);
        if (pageOrView && (entry.page == pageOrView || entry.failure == pageOrView))
            return row;
    }
    return -1;
}

QList<ServerAddress> MainWindow::servers() const
{
    QList<ServerAddress> addresses;
    for (const Entry &entry : m_entries)
        addresses << entry.address;
    return addresses;
}

ServerPage *MainWindow::currentPage() const
{
    return page(m_ui->serverList->currentRow());
}

ServerPage *MainWindow::page(int row) const
{
    return row >= 0 && row < m_entries.size() ? m_entries.at(row).page : nullptr;
}

void MainWindow::setCurrentServer(int row)
{
    m_ui->serverList->setCurrentRow(row);
}

QString MainWindow::failureOf(int row) const
{
    const ServerFailureView *view = row >= 0 && row < m_entries.size() ? m_entries.at(row).failure : nullptr;
    return view ? view->sentence() : QString();
}

void MainWindow::placeActions(ServerPage *page)
{
    if (page == m_placed)
        return;
    if (m_placed) {
        m_ui->menuFile->removeAction(m_placed->historyAction());
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
    // Another server's page may have changed the setting.
    page->reviewAction()->setChecked(HistoryCommands::reviewsChanges());
    m_ui->menuPreferencies->addActions({page->reviewAction(), page->keepAction()});
}

void MainWindow::takeUpCurrent()
{
    ServerPage *page = currentPage();
    placeActions(page);
    for (const Entry &entry : std::as_const(m_entries)) {
        if (entry.page)
            entry.page->statusFields()->setVisible(entry.page == page);
    }
    const int row = m_ui->serverList->currentRow();
    if (row >= 0) {
        setWindowTitle(tr("%1[*] — Shareward").arg(m_entries.at(row).address.displayName()));
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
    const bool selected = open && page->selectedShare().isValid();
    for (QAction *action : {m_ui->actionAddShare, m_ui->actionCheckConfig, m_ui->actionEditConfig,
                            m_ui->actionSambaUsers, m_ui->actionSambaGroups})
        action->setEnabled(open);
    m_ui->actionEditShare->setEnabled(selected);
    m_ui->actionDeleteShare->setEnabled(selected);
    m_ui->actionStart->setEnabled(open && page->canStart());
    m_ui->actionStop->setEnabled(open && page->canStop());
    m_ui->actionSave->setEnabled(open && page->isModified());
    m_ui->actionConnect->setEnabled(bool(m_open));
    m_ui->actionDisconnect->setEnabled(m_ui->serverList->currentRow() >= 0);
    setWindowModified(open && page->isModified());
    updateEntry(m_ui->serverList->currentRow());
}

void MainWindow::updateEntry(int row)
{
    QListWidgetItem *item = m_ui->serverList->item(row);
    if (row < 0 || row >= m_entries.size() || !item)
        return;
    const Entry &entry = m_entries.at(row);
    QString state;
    if (entry.failure)
        state = tr("Not connected");
    else if (entry.page && entry.page->server().connectionLost())
        state = tr("Connection lost");
    else if (entry.loading || (entry.page && entry.page->isBackgroundLoading()))
        state = tr("Loading");
    else
        state = tr("Connected");
    const bool modified = entry.page && entry.page->isModified();
    // The name, marked like a modified document's title, and the state below it.
    item->setText(entry.address.displayName() + (modified ? QStringLiteral(" *") : QString())
                  + QLatin1Char('\n') + state);
    item->setToolTip(entry.failure    ? entry.failure->sentence()
                         : entry.page ? entry.page->configPath()
                                      : QString());
}

void MainWindow::updateEntries()
{
    for (int row = 0; row < m_entries.size(); ++row)
        updateEntry(row);
}

void MainWindow::rememberServers()
{
    RememberedServers::save(servers());
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
    const int row = m_ui->serverList->currentRow();
    if (row < 0)
        return false;
    ServerPage *page = m_entries.at(row).page;
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
    if (page == m_placed)
        placeActions(nullptr);
    QWidget *widget = m_ui->serverPages->widget(row);
    m_entries.removeAt(row);
    m_ui->serverPages->removeWidget(widget);
    m_exitConfirmed.removeAll(page);
    // Deleted before the list moves on: a page ends its worker threads as it goes.
    delete widget;
    delete m_ui->serverList->takeItem(row);
    rememberServers();
    takeUpCurrent();
    return true;
}

bool MainWindow::confirmDiscard(ServerPage *page, bool quitting)
{
    setCurrentServer(rowOf(page));
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

bool MainWindow::isExitConfirmed(ServerPage *page) const
{
    return m_exitConfirmed.contains(page);
}

void MainWindow::quit()
{
    m_exitConfirmed.clear();
    for (const Entry &entry : std::as_const(m_entries)) {
        if (entry.page && entry.page->isModified() && !confirmDiscard(entry.page, true)) {
            m_exitConfirmed.clear();
            return;
        }
    }
    close();
    m_exitConfirmed.clear();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    for (const Entry &entry : std::as_const(m_entries)) {
        if (entry.page && entry.page->isModified() && !isExitConfirmed(entry.page)
            && !confirmDiscard(entry.page, false)) {
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
    updateEntries();
    return loaded;
}

void MainWindow::startBackgroundLoad()
{
    current().startBackgroundLoad();
    updateEntries();
}

void MainWindow::initialLoad()
{
    current().initialLoad();
    updateEntries();
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
