#ifndef SAMBAUSER_H
#define SAMBAUSER_H

#include <QMap>
#include <QString>

/// A Samba account. changed() marks it for writing to the account store at the next save.
class SambaUser
{
public:
    SambaUser() = default;
    explicit SambaUser(const QString &name);

    QString name() const { return m_name; }
    /// Also marks the account as changed.
    void setName(const QString &name);

    /// Empty unless a password was entered in Shareward.
    QString password() const { return m_password; }
    /// Also marks the account as changed, even when the password is the same.
    void setPassword(const QString &password);

    /// A computer's trust account: its name ends with "$" (PC01$), as Samba names them.
    bool isMachineAccount() const { return isMachineAccountName(m_name); }
    static bool isMachineAccountName(const QString &name) { return name.endsWith(QLatin1Char('$')); }

    bool changed() const { return m_changed; }
    void setChanged(bool changed);

    bool operator==(const SambaUser &other) const;
    bool operator!=(const SambaUser &other) const { return !(*this == other); }

private:
    QString m_name;
    QString m_password;
    bool m_changed = false;
};

/// Samba accounts keyed by account name.
using SambaUserMap = QMap<QString, SambaUser>;

#endif // SAMBAUSER_H
