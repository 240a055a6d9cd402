#pragma once

#include "serverstatus.h"

#include <QAbstractTableModel>

// One table of the Connections tab over the last status smbstatus reported: its sessions,
// its shares in use or its open files. The rows stay in smbstatus's order; a proxy sorts
// them by SortRole, which gives times as times.
class ConnectionModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Table {
        Sessions,
        Connections,
        OpenFiles,
    };

    enum Role {
        SortRole = Qt::UserRole,
        // What names the row from one status to the next, to keep it selected.
        KeyRole,
        // The smbd process serving the row.
        PidRole,
        // The share the row's client uses; empty when that is not known.
        ShareRole,
    };

    explicit ConnectionModel(Table table, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Replaces every row (a model reset).
    void setStatus(const ServerStatus &status);

    // The share an open file was opened through: of the shares whose path holds it, the one
    // its smbd process is connected to; empty when that leaves none or several.
    static QString shareOf(const OpenFile &file, const ServerStatus &status);

private:
    QVariant display(int row, int column) const;
    QVariant sortValue(int row, int column) const;

    Table m_table;
    ServerStatus m_status;
};
