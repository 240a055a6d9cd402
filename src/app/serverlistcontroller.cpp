#include "serverlistcontroller.h"

#include "serverfailureview.h"
#include "serverpage.h"
#include "whilebusy.h"

#include <QListWidget>
#include <QStackedWidget>
#include <QTimer>

#include <exception>
#include <stdexcept>
#include <utility>

namespace {

// How often the list looks for servers whose connection broke.
const int watchIntervalMs = 2000;

} // namespace

ServerListController::ServerListController(QListWidget *list, QStackedWidget *pages, const Opener &open,
                                           QWidget *window)
    : QObject(window)
    , m_list(list)
    , m_pages(pages)
    , m_open(open)
    , m_window(window)
    , m_watch(new QTimer(this))
{
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < m_pages->count())
            m_pages->setCurrentIndex(row);
        emit currentChanged();
    });
    m_watch->setInterval(watchIntervalMs);
    connect(m_watch, &QTimer::timeout, this, &ServerListController::updateEntries);
    m_watch->start();
}

ServerListController::~ServerListController()
{
    for (const Entry &entry : std::as_const(m_entries)) {
        if (entry.page) {
            emit pageRemoving(entry.page);
            delete entry.page;
        }
    }
}

ServerPage *ServerListController::add(const ServerAddress &address, std::unique_ptr<Server> server)
{
    m_entries.append(Entry{address, nullptr, nullptr, false});
    const int row = m_entries.size() - 1;
    m_list->addItem(address.displayName());
    m_pages->addWidget(new QWidget(m_pages));
    ServerPage *page = showPage(row, std::move(server));
    emit serversChanged();
    if (m_list->currentRow() < 0)
        m_list->setCurrentRow(row);
    return page;
}

void ServerListController::open(const ServerAddress &address)
{
    for (int row = 0; row < m_entries.size(); ++row) {
        if (m_entries.at(row).address == address) {
            setCurrentRow(row);
            return;
        }
    }
    m_entries.append(Entry{address, nullptr, nullptr, true});
    const int row = m_entries.size() - 1;
    m_list->addItem(address.displayName());
    // A placeholder until the server answers.
    m_pages->addWidget(new QWidget(m_pages));
    emit serversChanged();
    setCurrentRow(row);
    connectEntry(row);
}

void ServerListController::remove(int row)
{
    if (row < 0 || row >= m_entries.size())
        return;
    if (ServerPage *page = m_entries.at(row).page)
        emit pageRemoving(page);
    // The list moves on to the row below (or above) as it lets the item go: the entries and
    // pages are still in their rows then, as its row numbers count them.
    delete m_list->takeItem(row);
    m_entries.removeAt(row);
    QWidget *widget = m_pages->widget(row);
    m_pages->removeWidget(widget);
    // A page ends its worker threads as it is deleted.
    delete widget;
    emit serversChanged();
    emit currentChanged();
}

void ServerListController::connectEntry(int row)
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
        server = whileBusy(m_window, tr("Connecting to %1...").arg(address.displayName()),
                           [open, address] { return open(address); });
    } catch (const std::exception &error) {
        sentence = QString::fromUtf8(error.what());
    }
    // Where the server is in the list now.
    row = servers().indexOf(address);
    if (row < 0)
        return;
    if (!server) {
        showFailure(row, sentence);
        return;
    }
    ServerPage *page = nullptr;
    bool loaded = false;
    try {
        // The page asks the server already as it is made.
        page = showPage(row, std::move(server));
        m_entries[row].loading = true;
        updateEntry(row);
        loaded = page->loadFirstScreen(ServerPage::startCheck(page->server()));
    } catch (const std::exception &error) {
        showFailure(page ? rowOf(page) : row, QString::fromUtf8(error.what()));
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

ServerPage *ServerListController::showPage(int row, std::unique_ptr<Server> server)
{
    auto *page = new ServerPage(std::move(server), m_entries.at(row).address.displayName());
    connect(page, &ServerPage::changed, this, [this, page] { updateEntry(rowOf(page)); });
    connect(page, &ServerPage::backgroundLoaded, this, [this, page] { updateEntry(rowOf(page)); });
    replaceWidget(row, page);
    Entry &entry = m_entries[row];
    entry.page = page;
    entry.failure = nullptr;
    emit pageAdded(page);
    if (m_list->currentRow() == row)
        emit currentChanged();
    updateEntry(row);
    return page;
}

void ServerListController::showFailure(int row, const QString &sentence)
{
    if (row < 0)
        return;
    auto *view = new ServerFailureView(m_pages);
    view->setFailure(m_entries.at(row).address.displayName(), sentence);
    connect(view, &ServerFailureView::retryRequested, this, [this, view] {
        const int at = rowOf(view);
        if (at >= 0)
            connectEntry(at);
    });
    replaceWidget(row, view);
    Entry &entry = m_entries[row];
    entry.page = nullptr;
    entry.failure = view;
    entry.loading = false;
    if (m_list->currentRow() == row)
        emit currentChanged();
    updateEntry(row);
}

void ServerListController::replaceWidget(int row, QWidget *widget)
{
    QWidget *previous = m_pages->widget(row);
    if (ServerPage *page = m_entries.at(row).page) {
        emit pageRemoving(page);
        m_entries[row].page = nullptr;
    }
    m_pages->insertWidget(row, widget);
    if (m_list->currentRow() == row)
        m_pages->setCurrentIndex(row);
    if (previous) {
        m_pages->removeWidget(previous);
        // Later: it may be the failure view whose Try Again is being answered.
        previous->deleteLater();
    }
}

int ServerListController::rowOf(const QObject *pageOrView) const
{
    for (int row = 0; pageOrView && row < m_entries.size(); ++row) {
        const Entry &entry = m_entries.at(row);
        if (entry.page == pageOrView || entry.failure == pageOrView)
            return row;
    }
    return -1;
}

QList<ServerAddress> ServerListController::servers() const
{
    QList<ServerAddress> addresses;
    for (const Entry &entry : m_entries)
        addresses << entry.address;
    return addresses;
}

int ServerListController::currentRow() const
{
    return m_list->currentRow();
}

void ServerListController::setCurrentRow(int row)
{
    m_list->setCurrentRow(row);
}

ServerPage *ServerListController::page(int row) const
{
    return row >= 0 && row < m_entries.size() ? m_entries.at(row).page : nullptr;
}

QString ServerListController::failureOf(int row) const
{
    const ServerFailureView *view = row >= 0 && row < m_entries.size() ? m_entries.at(row).failure : nullptr;
    return view ? view->sentence() : QString();
}

void ServerListController::updateEntry(int row)
{
    QListWidgetItem *item = m_list->item(row);
    if (row < 0 || row >= m_entries.size() || !item)
        return;
    const Entry &entry = m_entries.at(row);
    // A loss found by the watch is shown on the page too.
    if (entry.page)
        entry.page->noticeConnectionLoss();
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
    // A lost connection's sentence, as its page says it.
    const QString lost =
        entry.page && !entry.page->isConnected() ? entry.page->connectionMessage() : QString();
    item->setToolTip(entry.failure         ? entry.failure->sentence()
                         : !lost.isEmpty() ? lost
                         : entry.page      ? entry.page->configPath()
                                           : QString());
}

void ServerListController::updateEntries()
{
    for (int row = 0; row < m_entries.size(); ++row)
        updateEntry(row);
}
