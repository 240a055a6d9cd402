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

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    Predicate m_predicate;
};
