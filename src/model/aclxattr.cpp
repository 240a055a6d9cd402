#include "aclxattr.h"

ACLXAttr::ACLXAttr()
    : ACL(QStringLiteral("acl_xattr"))
{
}
