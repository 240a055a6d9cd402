#ifndef VFSOPERATION_H
#define VFSOPERATION_H

#include <QSet>
#include <QString>

/**
 * A VFS call that Samba's full_audit module can log ("full_audit:success" and
 * "full_audit:failure"). Values are identified by their lower-case name only.
 */
class VfsOperation
{
public:
    VfsOperation() = default;
    /// The table entry of that name (case-insensitive), or an operation with the
    /// lower-cased name and no description when the name is not a known operation.
    explicit VfsOperation(const QString &name);
    /// A value taken as given, without looking the name up.
    VfsOperation(const QString &name, const QString &description);

    QString name() const { return m_name; }
    QString description() const { return m_description; }

    bool operator==(const VfsOperation &other) const { return m_name == other.m_name; }
    bool operator!=(const VfsOperation &other) const { return !(*this == other); }

private:
    QString m_name;
    QString m_description;
};

Q_DECLARE_TYPEINFO(VfsOperation, Q_MOVABLE_TYPE);

inline uint qHash(const VfsOperation &operation, uint seed = 0)
{
    return qHash(operation.name(), seed);
}

using VfsOperationSet = QSet<VfsOperation>;

/// Every known operation, with descriptions in the current translation.
VfsOperationSet allOperations();

/**
 * Reads a full_audit operation list: names separated by white space, where "all"
 * adds every known operation, "none" removes them again and "!name" removes one.
 * Later words override earlier ones.
 */
VfsOperationSet parseOperationSet(const QString &text);

/// The smb.conf text of an operation set: "all", "none" or the names in ascending order.
QString formatOperationSet(const VfsOperationSet &operations);

#endif // VFSOPERATION_H
