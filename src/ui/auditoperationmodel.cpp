#include "auditoperationmodel.h"

#include <QBrush>

namespace {

// The table of known operations does not change while the program runs; building it on
// every paint of every row would.
bool isKnownOperation(const VfsOperation &operation)
{
    static const VfsOperationSet known = allOperations();
    return known.contains(operation);
}

QVariant checkState(bool checked)
{
    return checked ? Qt::Checked : Qt::Unchecked;
}

} // namespace

AuditOperationModel::AuditOperationModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

AuditOperationModel::~AuditOperationModel() = default;

int AuditOperationModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_entries.size();
}

int AuditOperationModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant AuditOperationModel::data(const QModelIndex &index, int role) const
{
    if (!isRow(index))
        return QVariant();
    const AuditedOperation &entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() == NameColumn)
            return entry.operation().name();
        break;
    case Qt::CheckStateRole:
        if (index.column() == SuccessColumn)
            return checkState(entry.success());
        if (index.column() == FailureColumn)
            return checkState(entry.failure());
        break;
    case Qt::BackgroundRole:
        // A name Samba does not know, kept from smb.conf: full_audit would reject it.
        if (!isKnownOperation(entry.operation()))
            return QBrush(Qt::darkRed);
        break;
    default:
        break;
    }
    return QVariant();
}

QVariant AuditOperationModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        switch (section) {
        case NameColumn:
            return tr("Name");
        case SuccessColumn:
            return tr("Success");
        case FailureColumn:
            return tr("Failure");
        default:
            break;
        }
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags AuditOperationModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags base = QAbstractTableModel::flags(index);
    if (index.column() == SuccessColumn || index.column() == FailureColumn)
        return base | Qt::ItemIsUserCheckable;
    return base;
}

bool AuditOperationModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !isRow(index))
        return false;
    AuditedOperation &entry = m_entries[index.row()];
    const bool checked = value.toInt() == Qt::Checked;
    switch (index.column()) {
    case SuccessColumn:
        if (!checked && !entry.failure())
            return false;
        entry.setSuccess(checked);
        break;
    case FailureColumn:
        if (!checked && !entry.success())
            return false;
        entry.setFailure(checked);
        break;
    default:
        return false;
    }
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

QList<AuditedOperation> AuditOperationModel::entries() const
{
    return m_entries;
}

void AuditOperationModel::addEntry(const AuditedOperation &entry)
{
    const int row = m_entries.size();
    beginInsertRows(QModelIndex(), row, row);
    m_entries.append(entry);
    endInsertRows();
}

void AuditOperationModel::removeEntry(const QModelIndex &index)
{
    // Announcing a row that does not exist would corrupt every attached view.
    if (!isRow(index))
        return;
    const int row = index.row();
    beginRemoveRows(QModelIndex(), row, row);
    m_entries.removeAt(row);
    endRemoveRows();
}

VfsOperationSet AuditOperationModel::operations() const
{
    VfsOperationSet result;
    result.reserve(m_entries.size());
    for (const AuditedOperation &entry : m_entries)
        result.insert(entry.operation());
    return result;
}

bool AuditOperationModel::isRow(const QModelIndex &index) const
{
    return index.isValid() && index.model() == this && index.row() >= 0 && index.row() < m_entries.size()
        && index.column() >= 0 && index.column() < columnCount();
}
