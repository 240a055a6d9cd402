#include "audit.h"

Audit::Audit()
    : VFSModule(QStringLiteral("audit"))
    , m_facility(QStringLiteral("USER"))
    , m_priority(QStringLiteral("INFO"))
{
}

void Audit::setFacility(const Syslog::Facility &facility)
{
    m_facility = facility;
}

void Audit::setPriority(const Syslog::Priority &priority)
{
    m_priority = priority;
}
