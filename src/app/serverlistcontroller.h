#pragma once

#include "serveraddress.h"

#include <QList>
#include <QObject>

#include <functional>
#include <memory>

class QListWidget;
class QStackedWidget;
class QTimer;
class Server;
class ServerFailureView;
class ServerPage;

// The window's servers: one row of the list each, with the server's name, a marker for unsaved
// changes and its state (loading, connected, connection lost, not connected), and beside it
// the server's page, or why it could not be reached with Try Again. Opening a server is the
// opener's; a failure it throws is shown in its sentence.
class ServerListController : public QObject
{
    Q_OBJECT

public:
    // Opens the way to a server; throws an exception whose what() says why in a sentence when
    // it cannot.
    using Opener = std::function<std::unique_ptr<Server>(const ServerAddress &address)>;

    // list and pages: the window's, row for row; window: where the busy indicator opens.
    ServerListController(QListWidget *list, QStackedWidget *pages, const Opener &open, QWidget *window);
    // Deletes the pages first: they end their worker threads.
    ~ServerListController() override;

    bool canOpen() const { return bool(m_open); }
    // Opens the server and loads it (or shows why it could not be reached); a server already
    // in the list is only chosen.
    void open(const ServerAddress &address);
    // Adds a server already open; its page is loaded by whoever added it.
    ServerPage *add(const ServerAddress &address, std::unique_ptr<Server> server);
    // Removes the row and deletes its page.
    void remove(int row);

    QList<ServerAddress> servers() const;
    int currentRow() const;
    void setCurrentRow(int row);
    // The page of the row; null when the server could not be reached.
    ServerPage *page(int row) const;
    ServerPage *currentPage() const { return page(currentRow()); }
    int rowOf(const QObject *pageOrView) const;
    // Why the server of the row could not be reached; empty when it was.
    QString failureOf(int row) const;
    // Shows the row's state and modified marker as they are now.
    void updateEntry(int row);
    void updateEntries();

signals:
    // Another row was chosen, or the current row's page was replaced.
    void currentChanged();
    // A page was made for a server; the window connects and places what it needs of it.
    void pageAdded(ServerPage *page);
    // The page is about to be deleted.
    void pageRemoving(ServerPage *page);
    // Servers were added or removed.
    void serversChanged();

private:
    struct Entry
    {
        ServerAddress address;
        ServerPage *page = nullptr;
        ServerFailureView *failure = nullptr;
        // Being opened or loaded.
        bool loading = false;
    };

    // Opens the server of the row (again) and loads it.
    void connectEntry(int row);
    ServerPage *showPage(int row, std::unique_ptr<Server> server);
    void showFailure(int row, const QString &sentence);
    // Puts widget in the row's place of the stack; the one there before is deleted.
    void replaceWidget(int row, QWidget *widget);

    QListWidget *m_list;
    QStackedWidget *m_pages;
    Opener m_open;
    QWidget *m_window;
    QList<Entry> m_entries;
    // Watches for connections that broke.
    QTimer *m_watch;
};
