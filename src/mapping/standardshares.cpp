#include "standardshares.h"

Share StandardShares::printers()
{
    Share printers;
    printers.setName(printersName());
    printers.setComment(QStringLiteral("All Printers"));
    printers.setPath(QStringLiteral("/var/spool/samba"));
    printers.setBrowseable(false);
    printers.setPrintable(true);
    printers.setGuestOk(false);
    printers.setReadOnly(true);
    printers.setCreateMask(QStringLiteral("0700"));
    return printers;
}
