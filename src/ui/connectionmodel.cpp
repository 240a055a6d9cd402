#include "connectionmodel.h"

#include <QLocale>

#include <limits>

namespace {

int columnsOf(ConnectionModel::Table table)
{
    switch (table) {
    case ConnectionModel::Sessions:
        return 8;
    case ConnectionModel::Connections:
        return 4;
    case ConnectionModel::OpenFiles:
        return 5;
    }
    return 0;
}

QString timeText(const QDateTime &time)
{
    return time.isValid() ? QLocale().toString(time.toLocalTime(), QLocale::ShortFormat) : QString();
}

// Times sort as times, the unknown ones first.
qint64 timeOrder(const QDateTime &time)
{
    return time.isValid() ? time.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

} // namespace

ConnectionModel::ConnectionModel(Table table, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{
}

int ConnectionModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    switch (m_table) {
    case Sessions:
        return m_status.sessions.size();
    case Connections:
        return m_status.connections.size();
    case OpenFiles:
        return m_status.openFiles.size();
    }
    return 0;
}

int ConnectionModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columnsOf(m_table);
}

QVariant ConnectionModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (m_table) {
    case Sessions: {
        const QString titles[] = {tr("User"),     tr("Group"),      tr("Machine"), tr("Address"),
                                  tr("Protocol"), tr("Encryption"), tr("Signing"), tr("Connected since")};
        return section >= 0 && section < 8 ? titles[section] : QVariant();
    }
    case Connections: {
        const QString titles[] = {tr("Share"), tr("User"), tr("Machine"), tr("Connected at")};
        return section >= 0 && section < 4 ? titles[section] : QVariant();
    }
    case OpenFiles: {
        const QString titles[] = {tr("Share"), tr("Path"), tr("User"), tr("Access"), tr("Oplock/lease")};
        return section >= 0 && section < 5 ? titles[section] : QVariant();
    }
    }
    return QVariant();
}

QVariant ConnectionModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return display(row, index.column());
    case SortRole:
        return sortValue(row, index.column());
    case KeyRole:
        switch (m_table) {
        case Sessions:
            return m_status.sessions.at(row).id;
        case Connections: {
            const ServerConnection &connection = m_status.connections.at(row);
            return QStringList{connection.pid, connection.sessionId, connection.share}.join(QLatin1Char('/'));
        }
        case OpenFiles:
            return QString(m_status.openFiles.at(row).pid + QLatin1Char('/')
                           + m_status.openFiles.at(row).path);
        }
        break;
    case PidRole:
        switch (m_table) {
        case Sessions:
            return m_status.sessions.at(row).pid;
        case Connections:
            return m_status.connections.at(row).pid;
        case OpenFiles:
            return m_status.openFiles.at(row).pid;
        }
        break;
    case ShareRole:
        switch (m_table) {
        case Sessions:
            return QString();
        case Connections:
            return m_status.connections.at(row).share;
        case OpenFiles:
            return shareOf(m_status.openFiles.at(row), m_status);
        }
        break;
    default:
        break;
    }
    return QVariant();
}

QVariant ConnectionModel::display(int row, int column) const
{
    switch (m_table) {
    case Sessions: {
        const ServerSession &session = m_status.sessions.at(row);
        const QString texts[] = {
            session.user,     session.group,      session.machine, session.address,
            session.protocol, session.encryption, session.signing, timeText(session.connectedSince)};
        return texts[column];
    }
    case Connections: {
        const ServerConnection &connection = m_status.connections.at(row);
        const QString texts[] = {connection.share, connection.user, connection.machine,
                                 timeText(connection.connectedAt)};
        return texts[column];
    }
    case OpenFiles: {
        const OpenFile &file = m_status.openFiles.at(row);
        const QString texts[] = {file.shares.join(QStringLiteral(", ")), file.path, file.user, file.access,
                                 file.lease};
        return texts[column];
    }
    }
    return QVariant();
}

QVariant ConnectionModel::sortValue(int row, int column) const
{
    if (m_table == Sessions && column == 7)
        return timeOrder(m_status.sessions.at(row).connectedSince);
    if (m_table == Connections && column == 3)
        return timeOrder(m_status.connections.at(row).connectedAt);
    return display(row, column);
}

void ConnectionModel::setStatus(const ServerStatus &status)
{
    beginResetModel();
    m_status = status;
    endResetModel();
}

QString ConnectionModel::shareOf(const OpenFile &file, const ServerStatus &status)
{
    QStringList used;
    for (const ServerConnection &connection : status.connections) {
        if (connection.pid == file.pid && file.shares.contains(connection.share, Qt::CaseInsensitive)
            && !used.contains(connection.share, Qt::CaseInsensitive))
            used << connection.share;
    }
    if (used.size() == 1)
        return used.first();
    // Without a connection of its process to tell, a file under one share is under that one.
    return used.isEmpty() && file.shares.size() == 1 ? file.shares.first() : QString();
}
