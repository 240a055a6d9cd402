#include "acl.h"

ACL::ACL(const QString &name)
    : VFSModule(name)
    , m_defaultAclStyle(QStringLiteral("posix"))
{
}

ACL::~ACL() = default;

void ACL::setIgnoreSystemAcls(bool ignore)
{
    m_ignoreSystemAcls = ignore;
}

void ACL::setDefaultAclStyle(const QString &style)
{
    m_defaultAclStyle = style;
}
