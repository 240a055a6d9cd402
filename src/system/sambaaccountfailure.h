#ifndef SAMBAACCOUNTFAILURE_H
#define SAMBAACCOUNTFAILURE_H

#include <QList>
#include <QString>

/// A pdbedit, smbpasswd or net command that did not succeed while Samba accounts were written back.
class SambaAccountFailure
{
public:
    enum Operation {
        AddUser,
        DeleteUser,
        AddGroup,
        DeleteGroup,
        SetPassword,
    };

    SambaAccountFailure() = default;
    SambaAccountFailure(const QString &account, Operation operation, const QString &message);

    QString account() const { return m_account; }
    void setAccount(const QString &account);

    Operation operation() const { return m_operation; }
    void setOperation(Operation operation);

    /// What the program reported, or why it gave no answer.
    QString message() const { return m_message; }
    void setMessage(const QString &message);

    /// One translated line for the administrator, naming the account, the operation and the message.
    QString text() const;

    bool operator==(const SambaAccountFailure &other) const;
    bool operator!=(const SambaAccountFailure &other) const { return !(*this == other); }

private:
    QString m_account;
    Operation m_operation = AddUser;
    QString m_message;
};

using SambaAccountFailures = QList<SambaAccountFailure>;

#endif // SAMBAACCOUNTFAILURE_H
