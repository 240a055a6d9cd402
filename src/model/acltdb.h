#ifndef ACLTDB_H
#define ACLTDB_H

#include "acl.h"

/// ACLs stored in Samba's own TDB database (acl_tdb).
class ACLTDB : public ACL
{
public:
    ACLTDB();
};

#endif // ACLTDB_H
