#ifndef FULLAUDIT_H
#define FULLAUDIT_H

#include "syslogfacility.h"
#include "syslogpriority.h"
#include "vfsmodule.h"
#include "vfsoperation.h"

/// Samba's full_audit module: logs a chosen set of VFS calls, separately for successes and failures.
class FullAudit : public VFSModule
{
public:
    FullAudit();

    /// Prepended to every log line; Samba expands its variables ("%u" user, "%I" client address).
    QString prefix() const { return m_prefix; }
    void setPrefix(const QString &prefix);

    VfsOperationSet successOperations() const { return m_successOperations; }
    void setSuccessOperations(const VfsOperationSet &operations);

    VfsOperationSet failureOperations() const { return m_failureOperations; }
    void setFailureOperations(const VfsOperationSet &operations);

    Syslog::Facility facility() const { return m_facility; }
    void setFacility(const Syslog::Facility &facility);

    Syslog::Priority priority() const { return m_priority; }
    void setPriority(const Syslog::Priority &priority);

    bool syslog() const { return m_syslog; }
    void setSyslog(bool syslog);

    /// Whether security descriptors are logged as well ("full_audit:log_secdesc").
    bool logSecDesc() const { return m_logSecDesc; }
    void setLogSecDesc(bool logSecDesc);

private:
    QString m_prefix;
    VfsOperationSet m_successOperations;
    VfsOperationSet m_failureOperations;
    Syslog::Facility m_facility;
    Syslog::Priority m_priority;
    bool m_syslog = true;
    bool m_logSecDesc = false;
};

#endif // FULLAUDIT_H
