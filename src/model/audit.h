#ifndef AUDIT_H
#define AUDIT_H

#include "syslogfacility.h"
#include "syslogpriority.h"
#include "vfsmodule.h"

/// Samba's simple audit module: logs connections and basic file operations to syslog.
class Audit : public VFSModule
{
public:
    Audit();

    Syslog::Facility facility() const { return m_facility; }
    void setFacility(const Syslog::Facility &facility);

    Syslog::Priority priority() const { return m_priority; }
    void setPriority(const Syslog::Priority &priority);

private:
    Syslog::Facility m_facility;
    Syslog::Priority m_priority;
};

#endif // AUDIT_H
