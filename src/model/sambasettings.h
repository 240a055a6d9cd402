#ifndef SAMBASETTINGS_H
#define SAMBASETTINGS_H

#include "globalshare.h"
#include "sambagroup.h"
#include "sambauser.h"

#include <QStringList>

#include <memory>

/**
 * The server-wide configuration: authentication mode, the [global] record and
 * the Samba accounts and groups. A copy owns its own copy of the GlobalShare, so
 * the saved state kept beside the edited one is not touched by later edits.
 */
class SambaSettings
{
public:
    /// The values are the item indexes of the server settings dialog's mode list.
    enum SecurityMode : qint32 {
        SecurityUser = 0,
        SecurityKerberosDomain = 1, ///< user-level security plus a Kerberos realm
        SecurityShare = 2, ///< user-level security, unknown users mapped to the guest account
        SecurityDomain = 3,
        SecurityAds = 4,
    };

    /// The "kerberos method" setting; KerberosDefault means smb.conf names none.
    enum KerberosMethod : qint32 {
        KerberosDefault = 0,
        KerberosSecretsOnly = 1,
        KerberosSystemKeytab = 2,
        KerberosDedicatedKeytab = 3,
        KerberosSecretsAndKeytab = 4,
    };

    SambaSettings();
    SambaSettings(const SambaSettings &other);
    SambaSettings &operator=(const SambaSettings &other);
    // No move operations: a moved-from object would be left without its GlobalShare.
    ~SambaSettings();

    SecurityMode security() const { return m_security; }
    void setSecurity(SecurityMode security);

    KerberosMethod kerberosMethod() const { return m_kerberosMethod; }
    void setKerberosMethod(KerberosMethod kerberosMethod);

    /// The [global] record, for editing in place; never null.
    std::shared_ptr<GlobalShare> global() { return m_global; }
    std::shared_ptr<const GlobalShare> global() const { return m_global; }
    /// Replaces the [global] record by a copy of the one given.
    void setGlobal(const GlobalShare &global);

    SambaUserMap &users() { return m_users; }
    const SambaUserMap &users() const { return m_users; }
    void setUsers(const SambaUserMap &users);

    SambaGroupMap &groups() { return m_groups; }
    const SambaGroupMap &groups() const { return m_groups; }
    void setGroups(const SambaGroupMap &groups);

    /// "USER", "KERBEROS DOMAIN", "SHARE", "DOMAIN" or "ADS".
    static QString securityModeText(SecurityMode mode);
    /// The texts of all modes, indexed by SecurityMode.
    static QStringList securityModeTexts();

    /// The smb.conf value of a method ("secrets only", ...); empty for KerberosDefault.
    static QString kerberosMethodText(KerberosMethod method);
    /// The method whose smb.conf value is exactly the text; KerberosDefault for any other text.
    static KerberosMethod kerberosMethodFromText(const QString &text);

private:
    SecurityMode m_security = SecurityUser;
    KerberosMethod m_kerberosMethod = KerberosDefault;
    std::shared_ptr<GlobalShare> m_global;
    SambaUserMap m_users;
    SambaGroupMap m_groups;
};

#endif // SAMBASETTINGS_H
