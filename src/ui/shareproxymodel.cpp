#include "shareproxymodel.h"

#include "sharemodel.h"

#include <utility>

ShareProxyModel::ShareProxyModel(Predicate predicate, QObject *parent)
    : QSortFilterProxyModel(parent)
    , m_predicate(std::move(predicate))
{
    // A share whose printable flag changes moves to the other tab.
    setDynamicSortFilter(true);
}

ShareProxyModel::~ShareProxyModel() = default;

bool ShareProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const auto *shares = qobject_cast<const ShareModel *>(sourceModel());
    if (!shares)
        return false;
    const QModelIndex index = shares->index(sourceRow, ShareModel::NameColumn, sourceParent);
    if (!index.isValid())
        return false;
    const Share *record = shares->share(index);
    return record && m_predicate && m_predicate(*record);
}

QVariant ShareProxyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return QSortFilterProxyModel::headerData(section, orientation, role);
}
