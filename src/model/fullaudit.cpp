#include "fullaudit.h"

FullAudit::FullAudit()
    : VFSModule(QStringLiteral("full_audit"))
    , m_prefix(QStringLiteral("%u|%I"))
    , m_facility(QStringLiteral("USER"))
    , m_priority(QStringLiteral("INFO"))
{
}

void FullAudit::setPrefix(const QString &prefix)
{
    m_prefix = prefix;
}

void FullAudit::setSuccessOperations(const VfsOperationSet &operations)
{
    m_successOperations = operations;
}

void FullAudit::setFailureOperations(const VfsOperationSet &operations)
{
    m_failureOperations = operations;
}

void FullAudit::setFacility(const Syslog::Facility &facility)
{
    m_facility = facility;
}

void FullAudit::setPriority(const Syslog::Priority &priority)
{
    m_priority = priority;
}

void FullAudit::setSyslog(bool syslog)
{
    m_syslog = syslog;
}

void FullAudit::setLogSecDesc(bool logSecDesc)
{
    m_logSecDesc = logSecDesc;
}
