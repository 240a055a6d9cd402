#pragma once

#include <QSortFilterProxyModel>

#include <functional>

class Share;

// Shows the shares of a ShareModel that a predicate accepts: the window makes one for
// ordinary shares and one for printers.
class ShareProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    using Predicate = std::function<bool(const Share &)>;

    explicit ShareProxyModel(Predicate predicate, QObject *parent = nullptr);
    ~ShareProxyModel() override;

    // Rows are numbered as shown, not as in the model of all shares.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    Predicate m_predicate;
};
