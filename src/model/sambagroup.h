#ifndef SAMBAGROUP_H
#define SAMBAGROUP_H

#include <QMap>
#include <QString>

/// A Samba group. changed() marks it for writing to the account store at the next save.
class SambaGroup
{
public:
    SambaGroup() = default;
    explicit SambaGroup(const QString &name);

    QString name() const { return m_name; }
    /// Also marks the group as changed.
    void setName(const QString &name);

    bool changed() const { return m_changed; }
    void setChanged(bool changed);

    bool operator==(const SambaGroup &other) const;
    bool operator!=(const SambaGroup &other) const { return !(*this == other); }

private:
    QString m_name;
    bool m_changed = false;
};

/// Samba groups keyed by group name.
using SambaGroupMap = QMap<QString, SambaGroup>;

#endif // SAMBAGROUP_H
