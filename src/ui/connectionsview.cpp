#include "connectionsview.h"

#include "connectionmodel.h"

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString person(const QString &user, const QString &machine, const QString &address)
{
    QString line = QCoreApplication::translate("ConnectionsView", "%1 on %2").arg(user, machine);
    if (!address.isEmpty() && address != machine)
        line += QStringLiteral(" (%1)").arg(address);
    return line;
}

} // namespace

ConnectionsView::ConnectionsView(QWidget *parent)
    : QWidget(parent)
    , m_filter(new QLineEdit(this))
    , m_refresh(new QToolButton(this))
    , m_pages(new QStackedWidget(this))
    , m_tablesPage(new QWidget(m_pages))
    , m_notRunning(new QLabel(m_pages))
    , m_disconnect(new QPushButton(tr("Disconnect client"), this))
    , m_closeShare(new QPushButton(tr("Close share for everyone"), this))
{
    m_filter->setObjectName(QStringLiteral("lineEditFilter"));
    m_filter->setPlaceholderText(tr("Filter by any column"));
    m_filter->setClearButtonEnabled(true);
    m_refresh->setObjectName(QStringLiteral("toolButtonRefresh"));
    m_refresh->setVisible(false);
    auto *top = new QHBoxLayout;
    top->addWidget(m_filter);
    top->addWidget(m_refresh);

    auto *splitter = new QSplitter(Qt::Vertical, m_tablesPage);
    const struct
    {
        Table *table;
        ConnectionModel::Table kind;
        const char *name;
        QString title;
    } tables[] = {
        {&m_sessions, ConnectionModel::Sessions, "tableSessions", tr("Sessions")},
        {&m_connections, ConnectionModel::Connections, "tableConnections", tr("Shares in use")},
        {&m_openFiles, ConnectionModel::OpenFiles, "tableOpenFiles", tr("Open files")},
    };
    for (const auto &entry : tables) {
        auto *box = new QGroupBox(entry.title, splitter);
        auto *layout = new QVBoxLayout(box);
        layout->addWidget(addTable(*entry.table, entry.kind, entry.name));
        splitter->addWidget(box);
    }
    auto *tablesLayout = new QVBoxLayout(m_tablesPage);
    tablesLayout->setContentsMargins(0, 0, 0, 0);
    tablesLayout->addWidget(splitter);

    m_notRunning->setObjectName(QStringLiteral("labelNotRunning"));
    m_notRunning->setAlignment(Qt::AlignCenter);
    m_notRunning->setWordWrap(true);
    m_notRunning->setText(tr("Asking smbd who is connected..."));
    m_pages->addWidget(m_tablesPage);
    m_pages->addWidget(m_notRunning);
    m_pages->setCurrentWidget(m_notRunning);

    m_disconnect->setObjectName(QStringLiteral("pushButtonDisconnect"));
    m_disconnect->setToolTip(tr("End the smbd process that serves the client of the selected row"));
    m_closeShare->setObjectName(QStringLiteral("pushButtonCloseShare"));
    m_closeShare->setToolTip(tr("Disconnect everyone from the share of the selected row"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_disconnect);
    buttons->addWidget(m_closeShare);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);

    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString &text) {
        for (Table *table : {&m_sessions, &m_connections, &m_openFiles})
            table->proxy->setFilterFixedString(text);
        updateButtons();
    });
    connect(m_disconnect, &QPushButton::clicked, this, &ConnectionsView::disconnectSelected);
    connect(m_closeShare, &QPushButton::clicked, this, &ConnectionsView::closeSelectedShare);
    updateButtons();
}

ConnectionsView::~ConnectionsView() = default;

QTableView *ConnectionsView::addTable(Table &table, int kind, const char *name)
{
    table.model = new ConnectionModel(ConnectionModel::Table(kind), this);
    table.proxy = new QSortFilterProxyModel(this);
    table.proxy->setSourceModel(table.model);
    table.proxy->setSortRole(ConnectionModel::SortRole);
    table.proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
    table.proxy->setFilterKeyColumn(-1);
    table.proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    table.view = new QTableView;
    table.view->setObjectName(QLatin1String(name));
    table.view->setModel(table.proxy);
    table.view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.view->setSelectionMode(QAbstractItemView::SingleSelection);
    table.view->setSelectionBehavior(QAbstractItemView::SelectRows);
    table.view->setSortingEnabled(true);
    table.view->sortByColumn(0, Qt::AscendingOrder);
    table.view->verticalHeader()->hide();
    table.view->horizontalHeader()->setStretchLastSection(true);
    table.view->horizontalHeader()->setHighlightSections(false);
    connect(table.view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, &table] { selectionChanged(table); });
    return table.view;
}

void ConnectionsView::setRefreshAction(QAction *action)
{
    m_refresh->setDefaultAction(action);
    m_refresh->setVisible(action != nullptr);
}

void ConnectionsView::setStatus(const ServerStatus &status)
{
    // A refresh every few seconds must not take the administrator's selection away.
    const Table *selected = selectedTable();
    const QVariant key = selectedData(ConnectionModel::KeyRole);
    m_status = status;
    for (Table *table : {&m_sessions, &m_connections, &m_openFiles}) {
        // Fitted to the first rows only: widths the administrator set stay.
        const bool first = table->model->rowCount() == 0;
        table->model->setStatus(status);
        if (first)
            table->view->resizeColumnsToContents();
        if (table != selected)
            continue;
        const QModelIndexList found = table->proxy->match(table->proxy->index(0, 0), ConnectionModel::KeyRole,
                                                          key, 1, Qt::MatchExactly);
        if (!found.isEmpty())
            table->view->selectRow(found.first().row());
    }
    if (status.running) {
        m_pages->setCurrentWidget(m_tablesPage);
    } else {
        m_notRunning->setText(status.error.isEmpty() ? tr("smbd is not running: no one is connected.")
                                                     : status.error);
        m_pages->setCurrentWidget(m_notRunning);
    }
    m_filter->setEnabled(status.running);
    updateButtons();
}

const ConnectionsView::Table *ConnectionsView::selectedTable() const
{
    for (const Table *table : {&m_sessions, &m_connections, &m_openFiles}) {
        if (table->view->selectionModel()->hasSelection())
            return table;
    }
    return nullptr;
}

QVariant ConnectionsView::selectedData(int role) const
{
    const Table *table = selectedTable();
    if (!table)
        return QVariant();
    const QModelIndexList rows = table->view->selectionModel()->selectedRows();
    return rows.isEmpty() ? QVariant() : rows.first().data(role);
}

QString ConnectionsView::selectedPid() const
{
    return m_status.running ? selectedData(ConnectionModel::PidRole).toString() : QString();
}

QString ConnectionsView::selectedShare() const
{
    return m_status.running ? selectedData(ConnectionModel::ShareRole).toString() : QString();
}

void ConnectionsView::selectionChanged(const Table &table)
{
    // One selected row in the whole tab: the commands act on it.
    if (table.view->selectionModel()->hasSelection()) {
        for (Table *other : {&m_sessions, &m_connections, &m_openFiles}) {
            if (other != &table)
                other->view->clearSelection();
        }
    }
    updateButtons();
}

void ConnectionsView::updateButtons()
{
    m_disconnect->setEnabled(!selectedPid().isEmpty());
    m_closeShare->setEnabled(!selectedShare().isEmpty());
}

QStringList ConnectionsView::sessionsOf(const ServerStatus &status, const QString &pid)
{
    QStringList lines;
    for (const ServerSession &session : status.sessions) {
        if (session.pid == pid)
            lines << person(session.user, session.machine, session.address);
    }
    return lines;
}

QStringList ConnectionsView::usersOf(const ServerStatus &status, const QString &share)
{
    QStringList lines;
    for (const ServerConnection &connection : status.connections) {
        if (connection.share.compare(share, Qt::CaseInsensitive) == 0)
            lines << person(connection.user, connection.machine, QString());
    }
    lines.removeDuplicates();
    return lines;
}

bool ConnectionsView::confirm(const QString &title, const QString &text, const QString &action)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, this);
    QPushButton *accept = box.addButton(action, QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == accept;
}

void ConnectionsView::disconnectSelected()
{
    const QString pid = selectedPid();
    if (pid.isEmpty())
        return;
    const QStringList sessions = sessionsOf(m_status, pid);
    QString text = tr("End the smbd process %1? Its clients are disconnected, and what they have not saved "
                      "in the files they hold open is lost; most clients connect again by themselves.")
                       .arg(pid);
    if (!sessions.isEmpty())
        text += QLatin1Char('\n') + tr("These sessions end:") + QLatin1Char('\n')
            + sessions.join(QLatin1Char('\n'));
    if (confirm(tr("Disconnect client"), text, tr("Disconnect")))
        emit disconnectRequested(pid);
}

void ConnectionsView::closeSelectedShare()
{
    const QString share = selectedShare();
    if (share.isEmpty())
        return;
    const QStringList users = usersOf(m_status, share);
    QString text = tr("Close the share \"%1\" for everyone?").arg(share) + QLatin1Char('\n');
    if (users.isEmpty())
        text += tr("No one is connected to it now.");
    else
        text +=
            tr("These users are disconnected from it:") + QLatin1Char('\n') + users.join(QLatin1Char('\n'));
    if (confirm(tr("Close share"), text, tr("Close share")))
        emit closeShareRequested(share);
}
