#ifndef GLOBALSHARE_H
#define GLOBALSHARE_H

#include "share.h"

/**
 * The [global] section. Its inherited Share fields are the values shares fall
 * back to when their own section does not set them. Always held by a
 * std::shared_ptr, owned by SambaSettings.
 */
class GlobalShare : public Share
{
public:
    /// Read from the "global" section; the owning SambaSettings sets name().
    GlobalShare();

    QString workgroup() const { return m_workgroup; }
    void setWorkgroup(const QString &workgroup);

    /// Also the comment of every share that has none of its own.
    QString serverString() const { return m_serverString; }
    void setServerString(const QString &serverString);

    QString realm() const { return m_realm; }
    void setRealm(const QString &realm);

    /// Lower-case account name, or noGuestAccount() when smb.conf names none.
    QString guestAccount() const { return m_guestAccount; }
    void setGuestAccount(const QString &guestAccount);
    /// Whether guestAccount() names an account rather than holding the noGuestAccount() marker.
    bool hasGuestAccount() const;

    bool encryptPasswords() const { return m_encryptPasswords; }
    void setEncryptPasswords(bool encryptPasswords);

    /**
     * The translated marker that stands in guestAccount() when [global] names no
     * guest account; the server settings dialog lists it as the first choice.
     */
    static QString noGuestAccount();

private:
    QString m_workgroup;
    QString m_serverString;
    QString m_realm;
    QString m_guestAccount;
    bool m_encryptPasswords = true;
};

#endif // GLOBALSHARE_H
