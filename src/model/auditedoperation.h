#ifndef AUDITEDOPERATION_H
#define AUDITEDOPERATION_H

#include "vfsoperation.h"

/// One operation of a full_audit module with whether its successful and its failed calls are logged.
class AuditedOperation
{
public:
    AuditedOperation() = default;
    explicit AuditedOperation(const VfsOperation &operation);
    AuditedOperation(const VfsOperation &operation, bool success, bool failure);

    VfsOperation operation() const { return m_operation; }
    void setOperation(const VfsOperation &operation);

    bool success() const { return m_success; }
    void setSuccess(bool success);

    bool failure() const { return m_failure; }
    void setFailure(bool failure);

private:
    VfsOperation m_operation;
    bool m_success = false;
    bool m_failure = false;
};

Q_DECLARE_TYPEINFO(AuditedOperation, Q_MOVABLE_TYPE);

#endif // AUDITEDOPERATION_H
