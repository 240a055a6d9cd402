#include "sambasettings.h"

SambaSettings::SambaSettings()
    : m_global(std::make_shared<GlobalShare>())
{
    m_global->setName(QStringLiteral("global"));
}

SambaSettings::SambaSettings(const SambaSettings &other)
    : m_security(other.m_security)
    , m_kerberosMethod(other.m_kerberosMethod)
    , m_global(std::make_shared<GlobalShare>(*other.m_global))
    , m_users(other.m_users)
    , m_groups(other.m_groups)
{
}

SambaSettings &SambaSettings::operator=(const SambaSettings &other)
{
    // Copy the record first: other may be *this.
    auto global = std::make_shared<GlobalShare>(*other.m_global);
    m_security = other.m_security;
    m_kerberosMethod = other.m_kerberosMethod;
    m_global = std::move(global);
    m_users = other.m_users;
    m_groups = other.m_groups;
    return *this;
}

SambaSettings::~SambaSettings() = default;

void SambaSettings::setSecurity(SecurityMode security)
{
    m_security = security;
}

void SambaSettings::setKerberosMethod(KerberosMethod kerberosMethod)
{
    m_kerberosMethod = kerberosMethod;
}

void SambaSettings::setGlobal(const GlobalShare &global)
{
    m_global = std::make_shared<GlobalShare>(global);
}

void SambaSettings::setUsers(const SambaUserMap &users)
{
    m_users = users;
}

void SambaSettings::setGroups(const SambaGroupMap &groups)
{
    m_groups = groups;
}

QString SambaSettings::securityModeText(SecurityMode mode)
{
    switch (mode) {
    case SecurityUser:
        return QStringLiteral("USER");
    case SecurityKerberosDomain:
        return QStringLiteral("KERBEROS DOMAIN");
    case SecurityShare:
        return QStringLiteral("SHARE");
    case SecurityDomain:
        return QStringLiteral("DOMAIN");
    case SecurityAds:
        return QStringLiteral("ADS");
    }
    return QString();
}

QStringList SambaSettings::securityModeTexts()
{
    return {securityModeText(SecurityUser), securityModeText(SecurityKerberosDomain),
            securityModeText(SecurityShare), securityModeText(SecurityDomain), securityModeText(SecurityAds)};
}

QString SambaSettings::kerberosMethodText(KerberosMethod method)
{
    switch (method) {
    case KerberosDefault:
        break;
    case KerberosSecretsOnly:
        return QStringLiteral("secrets only");
    case KerberosSystemKeytab:
        return QStringLiteral("system keytab");
    case KerberosDedicatedKeytab:
        return QStringLiteral("dedicated keytab");
    case KerberosSecretsAndKeytab:
        return QStringLiteral("secrets and keytab");
    }
    return QString();
}

SambaSettings::KerberosMethod SambaSettings::kerberosMethodFromText(const QString &text)
{
    // Exact comparison: smb.conf values in another case are not recognised.
    for (KerberosMethod method :
         {KerberosSecretsOnly, KerberosSystemKeytab, KerberosDedicatedKeytab, KerberosSecretsAndKeytab}) {
        if (text == kerberosMethodText(method)) {
            return method;
        }
    }
    return KerberosDefault;
}
