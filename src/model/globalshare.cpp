#include "globalshare.h"

#include <QCoreApplication>

GlobalShare::GlobalShare()
    : Share(QStringLiteral("global"))
{
}

void GlobalShare::setWorkgroup(const QString &workgroup)
{
    m_workgroup = workgroup;
}

void GlobalShare::setServerString(const QString &serverString)
{
    m_serverString = serverString;
}

void GlobalShare::setRealm(const QString &realm)
{
    m_realm = realm;
}

void GlobalShare::setGuestAccount(const QString &guestAccount)
{
    m_guestAccount = guestAccount;
}

bool GlobalShare::hasGuestAccount() const
{
    return m_guestAccount != noGuestAccount();
}

void GlobalShare::setEncryptPasswords(bool encryptPasswords)
{
    m_encryptPasswords = encryptPasswords;
}

QString GlobalShare::noGuestAccount()
{
    return QCoreApplication::translate("Audit", "no guest account");
}
