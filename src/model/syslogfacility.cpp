#include "syslogfacility.h"

#include <QCoreApplication>
#include <QHash>

#include <iterator>

namespace {

struct FacilityEntry
{
    const char *name;
    const char *description;
};

// The facilities of syslog(3) that Samba's audit modules accept.
const FacilityEntry s_facilityTable[] = {
    {"AUTH", QT_TRANSLATE_NOOP("Operation", "security/authorization messages")},
    {"AUTHPRIV", QT_TRANSLATE_NOOP("Operation", "security/authorization messages (private)")},
    {"CRON", QT_TRANSLATE_NOOP("Operation", "clock daemon (cron and at)")},
    {"DAEMON", QT_TRANSLATE_NOOP("Operation", "system daemons without separate facility value")},
    {"FTP", QT_TRANSLATE_NOOP("Operation", "ftp daemon")},
    {"KERN",
     QT_TRANSLATE_NOOP("Operation", "kernel messages (these can't be generated from user processes)")},
    {"LOCAL0", QT_TRANSLATE_NOOP("Operation", "reserved for local use")},
    {"LOCAL1", QT_TRANSLATE_NOOP("Operation", "reserved for local use")},
    {"LOCAL2", QT_TRANSLATE_NOOP("Operation", "reserved for local use")},
    {"LOCAL3", QT_TRANSLATE_NOOP("Operation", "reserved for local use")},
    {"LOCAL4", QT_TRANSLATE_NOOP("Operation", "reserved for local use")},
    {"LOCAL5", QT_TRANSLATE_NOOP("Operation", "reserved for local use")},
    {"LOCAL6", QT_TRANSLATE_NOOP("Operation", "reserved for local use")},
    {"LOCAL7", QT_TRANSLATE_NOOP("Operation", "reserved for local use")},
    {"LPR", QT_TRANSLATE_NOOP("Operation", "line printer subsystem")},
    {"MAIL", QT_TRANSLATE_NOOP("Operation", "mail subsystem")},
    {"NEWS", QT_TRANSLATE_NOOP("Operation", "USENET news subsystem")},
    {"SYSLOG", QT_TRANSLATE_NOOP("Operation", "messages generated internally by syslogd")},
    {"USER", QT_TRANSLATE_NOOP("Operation", "generic user-level messages")},
    {"UUCP", QT_TRANSLATE_NOOP("Operation", "UUCP subsystem")},
};

// Filled once, on the first lookup; later translation changes do not reach it.
const QHash<QString, Syslog::Facility> &facilityMap()
{
    static QHash<QString, Syslog::Facility> map;
    if (map.isEmpty()) {
        const QSet<Syslog::Facility> all = allFacilities();
        for (const Syslog::Facility &facility : all) {
            map.insert(facility.name(), facility);
        }
    }
    return map;
}

// Lets QVariant and queued connections find the type by its name as well.
[[maybe_unused]] const int s_facilityTypeId = qRegisterMetaType<Syslog::Facility>("Syslog::Facility");

} // namespace

namespace Syslog {

Facility::Facility(const QString &name)
    : m_name(name.toUpper())
{
    const auto &map = facilityMap();
    const auto it = map.constFind(m_name);
    if (it != map.cend()) {
        m_description = it->description();
    }
}

Facility::Facility(const QString &name, const QString &description)
    : m_name(name)
    , m_description(description)
{
}

} // namespace Syslog

QSet<Syslog::Facility> allFacilities()
{
    QSet<Syslog::Facility> result;
    result.reserve(int(std::size(s_facilityTable)));
    for (const FacilityEntry &entry : s_facilityTable) {
        result.insert(Syslog::Facility(QString::fromLatin1(entry.name),
                                       QCoreApplication::translate("Operation", entry.description)));
    }
    return result;
}
