#pragma once

#include "auditedoperation.h"
#include "vfsoperation.h"

#include <QAbstractTableModel>
#include <QList>

// The operations a full_audit module logs, one row each, with a tick box for logging
// successful calls and one for logging failed calls. A row always keeps at least one tick:
// an operation logged for neither would not be written to smb.conf at all.
class AuditOperationModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column {
        NameColumn = 0,
        SuccessColumn = 1,
        FailureColumn = 2,
    };

    explicit AuditOperationModel(QObject *parent = nullptr);
    ~AuditOperationModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    QList<AuditedOperation> entries() const;
    void addEntry(const AuditedOperation &entry);
    // Does nothing for an index that is not a row of this model.
    void removeEntry(const QModelIndex &index);
    // The operations of all rows, whatever their ticks.
    VfsOperationSet operations() const;

private:
    bool isRow(const QModelIndex &index) const;

    QList<AuditedOperation> m_entries;
};
