#include "acltdb.h"

ACLTDB::ACLTDB()
    : ACL(QStringLiteral("acl_tdb"))
{
}
