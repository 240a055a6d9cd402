#include "auditedoperation.h"

AuditedOperation::AuditedOperation(const VfsOperation &operation)
    : m_operation(operation)
{
}

AuditedOperation::AuditedOperation(const VfsOperation &operation, bool success, bool failure)
    : m_operation(operation)
    , m_success(success)
    , m_failure(failure)
{
}

void AuditedOperation::setOperation(const VfsOperation &operation)
{
    m_operation = operation;
}

void AuditedOperation::setSuccess(bool success)
{
    m_success = success;
}

void AuditedOperation::setFailure(bool failure)
{
    m_failure = failure;
}
