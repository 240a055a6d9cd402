#include "sharemodel.h"

#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QPalette>

ShareModel::ShareModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

ShareModel::~ShareModel() = default;

int ShareModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shares.size());
}

int ShareModel::columnCount(const QModelIndex &) const
{
    return m_registryUse == RegistryConfig::NotUsed ? StoredInColumn : StoredInColumn + 1;
}

void ShareModel::setRegistryUse(RegistryConfig::Use use)
{
    if (use == m_registryUse)
        return;
    beginResetModel();
    m_registryUse = use;
    endResetModel();
}

QString ShareModel::shadowedText(const Share &share) const
{
    if (share.storedIn() == Share::StoredInFile && m_registryUse == RegistryConfig::Backend)
        return tr("Samba reads only the registry (config backend = registry): this definition in smb.conf "
                  "is not used.");
    // As smbd serves it: the two definitions merged, parameter by parameter.
    return tr("The registry defines this share too. Samba merges the two: where both set a parameter, the "
              "registry's value is used.");
}

QVariant ShareModel::data(const QModelIndex &index, int role) const
{
    const Share *record = share(index);
    if (!record)
        return QVariant();
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case NameColumn:
            return record->name();
        case DescriptionColumn:
            return record->comment();
        case PathColumn:
            return record->path();
        case StoredInColumn:
            return record->storedIn() == Share::StoredInRegistry ? tr("registry")
                                                                 : QStringLiteral("smb.conf");
        default:
            return QVariant();
        }
    }
    // A definition Samba does not serve stays editable, but looks set aside.
    if (record->shadowed()) {
        if (role == Qt::FontRole) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        if (role == Qt::ForegroundRole)
            return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
        if (role == Qt::ToolTipRole)
            return shadowedText(*record);
    }
    if (role == Qt::DecorationRole && index.column() == NameColumn) {
        static const QIcon icon(QStringLiteral(":/share"));
        return icon;
    }
    return QVariant();
}

QVariant ShareModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        switch (section) {
        case NameColumn:
            return tr("Name");
        case DescriptionColumn:
            return tr("Description");
        case PathColumn:
            return tr("Path");
        case StoredInColumn:
            return tr("Stored in");
        default:
            break;
        }
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void ShareModel::setShares(const QList<Share> &shares)
{
    beginResetModel();
    m_shares.clear();
    m_shares.reserve(static_cast<std::size_t>(shares.size()));
    for (const Share &share : shares)
        m_shares.push_back(std::make_unique<Share>(share));
    endResetModel();
}

QList<Share> ShareModel::shares() const
{
    QList<Share> list;
    list.reserve(static_cast<int>(m_shares.size()));
    for (const auto &share : m_shares)
        list.append(*share);
    return list;
}

void ShareModel::addShare(const Share &share)
{
    const int row = static_cast<int>(m_shares.size());
    beginInsertRows(QModelIndex(), row, row);
    m_shares.push_back(std::make_unique<Share>(share));
    endInsertRows();
}

void ShareModel::removeShare(const QModelIndex &index)
{
    const int row = index.row();
    if (!index.isValid() || index.model() != this || row < 0 || row >= rowCount())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_shares.erase(m_shares.begin() + row);
    endRemoveRows();
}

void ShareModel::removeSharesNamed(const QString &name)
{
    for (int row = 0; row < rowCount();) {
        if (m_shares[static_cast<std::size_t>(row)]->name() == name)
            removeShare(this->index(row, NameColumn));
        else
            ++row;
    }
}

Share *ShareModel::share(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this || index.row() < 0 || index.row() >= rowCount())
        return nullptr;
    return m_shares[static_cast<std::size_t>(index.row())].get();
}

void ShareModel::updateShare(const QModelIndex &index, const Share &share)
{
    Share *record = this->share(index);
    if (!record)
        return;
    *record = share;
    // The whole row: an edit changes comment and path as well, and views showing
    // them must repaint.
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), columnCount() - 1));
}

QSet<QString> ShareModel::shareNames() const
{
    QSet<QString> names;
    names.reserve(static_cast<int>(m_shares.size()));
    for (const auto &share : m_shares)
        names.insert(share->name().toLower());
    return names;
}
