#include "sambaaccountfailure.h"

#include <QCoreApplication>

SambaAccountFailure::SambaAccountFailure(const QString &account, Operation operation, const QString &message)
    : m_account(account)
    , m_operation(operation)
    , m_message(message)
{
}

void SambaAccountFailure::setAccount(const QString &account)
{
    m_account = account;
}

void SambaAccountFailure::setOperation(Operation operation)
{
    m_operation = operation;
}

void SambaAccountFailure::setMessage(const QString &message)
{
    m_message = message;
}

QString SambaAccountFailure::text() const
{
    QString pattern;
    switch (m_operation) {
    case AddUser:
        pattern = QCoreApplication::translate("Audit", "Can't add Samba user %1: %2");
        break;
    case DeleteUser:
        pattern = QCoreApplication::translate("Audit", "Can't delete Samba user %1: %2");
        break;
    case AddGroup:
        pattern = QCoreApplication::translate("Audit", "Can't add Samba group %1: %2");
        break;
    case DeleteGroup:
        pattern = QCoreApplication::translate("Audit", "Can't delete Samba group %1: %2");
        break;
    case SetPassword:
        pattern = QCoreApplication::translate("Audit", "Can't set the password of Samba user %1: %2");
        break;
    }
    return pattern.arg(m_account, m_message);
}

bool SambaAccountFailure::operator==(const SambaAccountFailure &other) const
{
    return m_account == other.m_account && m_operation == other.m_operation && m_message == other.m_message;
}
