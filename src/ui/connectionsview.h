#pragma once

#include "serverstatus.h"

#include <QWidget>

class ConnectionModel;
class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QStackedWidget;
class QTableView;
class QToolButton;

// The Connections tab: who is connected to smbd (sessions), which shares they use and which
// files they hold open, in three sortable tables that one filter narrows; and the commands
// that end a client's smbd process or close a share for everyone, each confirmed first with
// the names of the people it disconnects. The view only asks: the window runs smbcontrol.
class ConnectionsView : public QWidget
{
    Q_OBJECT

public:
    explicit ConnectionsView(QWidget *parent = nullptr);
    ~ConnectionsView() override;

    // Shows a status; the selected row stays selected while it is still there. A status of
    // a smbd that is not running shows why instead of the tables.
    void setStatus(const ServerStatus &status);
    const ServerStatus &status() const { return m_status; }
    // The window's refresh command, shown as a button beside the filter.
    void setRefreshAction(QAction *action);

    // The smbd process and the share of the selected row; empty when there is none, or for
    // the share when the row does not name one.
    QString selectedPid() const;
    QString selectedShare() const;

    // Who is affected, one line each: "alice on PC1 (192.0.2.5)".
    static QStringList sessionsOf(const ServerStatus &status, const QString &pid);
    static QStringList usersOf(const ServerStatus &status, const QString &share);

public slots:
    // Asks, then emits the matching request.
    void disconnectSelected();
    void closeSelectedShare();

signals:
    void disconnectRequested(const QString &pid);
    void closeShareRequested(const QString &share);

private:
    struct Table
    {
        QTableView *view = nullptr;
        ConnectionModel *model = nullptr;
        QSortFilterProxyModel *proxy = nullptr;
    };

    QTableView *addTable(Table &table, int kind, const char *name);
    // The table whose row is selected; nullptr when none is.
    const Table *selectedTable() const;
    QVariant selectedData(int role) const;
    void selectionChanged(const Table &table);
    void updateButtons();
    bool confirm(const QString &title, const QString &text, const QString &action);

    ServerStatus m_status;
    Table m_sessions;
    Table m_connections;
    Table m_openFiles;
    QLineEdit *m_filter;
    QToolButton *m_refresh;
    QStackedWidget *m_pages;
    QWidget *m_tablesPage;
    QLabel *m_notRunning;
    QPushButton *m_disconnect;
    QPushButton *m_closeShare;
};
