#ifndef ACLXATTR_H
#define ACLXATTR_H

#include "acl.h"

/// ACLs stored in extended attributes of the files (acl_xattr).
class ACLXAttr : public ACL
{
public:
    ACLXAttr();
};

#endif // ACLXATTR_H
