#include "sambagroup.h"

SambaGroup::SambaGroup(const QString &name)
    : m_name(name)
{
}

void SambaGroup::setName(const QString &name)
{
    m_name = name;
    m_changed = true;
}

void SambaGroup::setChanged(bool changed)
{
    m_changed = changed;
}

bool SambaGroup::operator==(const SambaGroup &other) const
{
    return m_name == other.m_name && m_changed == other.m_changed;
}
