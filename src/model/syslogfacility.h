#ifndef SYSLOGFACILITY_H
#define SYSLOGFACILITY_H

#include <QMetaType>
#include <QSet>
#include <QString>

namespace Syslog {

/**
 * A syslog facility as written in the "audit:facility" and "full_audit:facility"
 * options of smb.conf. Values are identified by their upper-case name only.
 */
class Facility
{
public:
    Facility() = default;
    /// The table entry of that name (case-insensitive), or a facility with the
    /// upper-cased name and no description when the name is not a known facility.
    explicit Facility(const QString &name);
    /// A value taken as given, without looking the name up.
    Facility(const QString &name, const QString &description);

    QString name() const { return m_name; }
    QString description() const { return m_description; }

    bool operator==(const Facility &other) const { return m_name == other.m_name; }
    bool operator!=(const Facility &other) const { return !(*this == other); }

private:
    QString m_name;
    QString m_description;
};

inline uint qHash(const Facility &facility, uint seed = 0)
{
    return qHash(facility.name(), seed);
}

} // namespace Syslog

Q_DECLARE_METATYPE(Syslog::Facility)
Q_DECLARE_TYPEINFO(Syslog::Facility, Q_MOVABLE_TYPE);

/// Every known facility, with descriptions in the current translation.
QSet<Syslog::Facility> allFacilities();

#endif // SYSLOGFACILITY_H
