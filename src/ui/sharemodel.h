#pragma once

#include "registryconfig.h"
#include "share.h"

#include <QAbstractTableModel>
#include <QSet>

#include <memory>
#include <vector>

// The shares and printers of the configuration, in load order, as a table of name,
// description and path, and where the share is stored once Samba's registry configuration is
// in use (the column is left out otherwise). Every record lives in its own allocation, so a pointer to a
// row's record stays valid while other rows come and go. Changes come from the window.
class ShareModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        NameColumn = 0,
        DescriptionColumn = 1,
        PathColumn = 2,
        StoredInColumn = 3,
    };

    explicit ShareModel(QObject *parent = nullptr);
    ~ShareModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // How smb.conf leads Samba to its registry: the Stored in column shows unless NotUsed,
    // and the tooltip of a definition Samba does not serve says why.
    void setRegistryUse(RegistryConfig::Use use);
    RegistryConfig::Use registryUse() const { return m_registryUse; }

    // Replaces every record (a model reset).
    void setShares(const QList<Share> &shares);
    QList<Share> shares() const;
    void addShare(const Share &share);
    void removeShare(const QModelIndex &index);
    // Removes every row whose name is exactly this one (case-sensitive).
    void removeSharesNamed(const QString &name);
    // The record of the index's row, for reading or editing in place; null for an index
    // outside the table.
    Share *share(const QModelIndex &index) const;
    void updateShare(const QModelIndex &index, const Share &share);
    // The lower-cased names of all shares: share names are unique without regard to case.
    QSet<QString> shareNames() const;

private:
    QString shadowedText(const Share &share) const;

    std::vector<std::unique_ptr<Share>> m_shares;
    RegistryConfig::Use m_registryUse = RegistryConfig::NotUsed;
};
