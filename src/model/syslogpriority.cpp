#include "syslogpriority.h"

#include <QCoreApplication>
#include <QHash>

#include <iterator>

namespace {

struct PriorityEntry
{
    const char *name;
    const char *description;
};

// The levels of syslog(3), most severe first.
const PriorityEntry s_priorityTable[] = {
    {"EMERG", QT_TRANSLATE_NOOP("Operation", "system is unusable")},
    {"ALERT", QT_TRANSLATE_NOOP("Operation", "action must be taken immediately")},
    {"CRIT", QT_TRANSLATE_NOOP("Operation", "critical conditions")},
    {"ERR", QT_TRANSLATE_NOOP("Operation", "error conditions")},
    {"WARNING", QT_TRANSLATE_NOOP("Operation", "warning conditions")},
    {"NOTICE", QT_TRANSLATE_NOOP("Operation", "normal, but significant, condition")},
    {"INFO", QT_TRANSLATE_NOOP("Operation", "informational message")},
    {"DEBUG", QT_TRANSLATE_NOOP("Operation", "debug-level message")},
};

// Filled once, on the first lookup; later translation changes do not reach it.
const QHash<QString, Syslog::Priority> &priorityMap()
{
    static QHash<QString, Syslog::Priority> map;
    if (map.isEmpty()) {
        const QSet<Syslog::Priority> all = allPriorities();
        for (const Syslog::Priority &priority : all) {
            map.insert(priority.name(), priority);
        }
    }
    return map;
}

// Lets QVariant and queued connections find the type by its name as well.
[[maybe_unused]] const int s_priorityTypeId = qRegisterMetaType<Syslog::Priority>("Syslog::Priority");

} // namespace

namespace Syslog {

Priority::Priority(const QString &name)
    : m_name(name.toUpper())
{
    const auto &map = priorityMap();
    const auto it = map.constFind(m_name);
    if (it != map.cend()) {
        m_description = it->description();
    }
}

Priority::Priority(const QString &name, const QString &description)
    : m_name(name)
    , m_description(description)
{
}

} // namespace Syslog

QSet<Syslog::Priority> allPriorities()
{
    QSet<Syslog::Priority> result;
    result.reserve(int(std::size(s_priorityTable)));
    for (const PriorityEntry &entry : s_priorityTable) {
        result.insert(Syslog::Priority(QString::fromLatin1(entry.name),
                                       QCoreApplication::translate("Operation", entry.description)));
    }
    return result;
}
