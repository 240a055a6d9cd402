#include "sambauser.h"

SambaUser::SambaUser(const QString &name)
    : m_name(name)
{
}

void SambaUser::setName(const QString &name)
{
    m_name = name;
    m_changed = true;
}

void SambaUser::setPassword(const QString &password)
{
    m_password = password;
    m_changed = true;
}

void SambaUser::setChanged(bool changed)
{
    m_changed = changed;
}

bool SambaUser::operator==(const SambaUser &other) const
{
    return m_name == other.m_name && m_password == other.m_password && m_changed == other.m_changed;
}
