#ifndef SYSLOGPRIORITY_H
#define SYSLOGPRIORITY_H

#include <QMetaType>
#include <QSet>
#include <QString>

namespace Syslog {

/**
 * A syslog priority as written in the "audit:priority" and "full_audit:priority"
 * options of smb.conf. Values are identified by their upper-case name only.
 */
class Priority
{
public:
    Priority() = default;
    /// The table entry of that name (case-insensitive), or a priority with the
    /// upper-cased name and no description when the name is not a known priority.
    explicit Priority(const QString &name);
    /// A value taken as given, without looking the name up.
    Priority(const QString &name, const QString &description);

    QString name() const { return m_name; }
    QString description() const { return m_description; }

    bool operator==(const Priority &other) const { return m_name == other.m_name; }
    bool operator!=(const Priority &other) const { return !(*this == other); }

private:
    QString m_name;
    QString m_description;
};

inline uint qHash(const Priority &priority, uint seed = 0)
{
    return qHash(priority.name(), seed);
}

} // namespace Syslog

Q_DECLARE_METATYPE(Syslog::Priority)
Q_DECLARE_TYPEINFO(Syslog::Priority, Q_MOVABLE_TYPE);

/// Every known priority, with descriptions in the current translation.
QSet<Syslog::Priority> allPriorities();

#endif // SYSLOGPRIORITY_H
