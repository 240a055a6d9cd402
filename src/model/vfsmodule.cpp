#include "vfsmodule.h"

#include "acltdb.h"
#include "aclxattr.h"
#include "audit.h"
#include "fullaudit.h"

VFSModule::VFSModule(const QString &name)
    : m_name(name)
{
}

VFSModule::~VFSModule() = default;

std::shared_ptr<VFSModule> VFSModule::create(const QString &word)
{
    const QString name = word.toLower();
    if (name == QLatin1String("audit")) {
        return std::make_shared<Audit>();
    }
    if (name == QLatin1String("full_audit")) {
        return std::make_shared<FullAudit>();
    }
    if (name == QLatin1String("acl_tdb")) {
        return std::make_shared<ACLTDB>();
    }
    if (name == QLatin1String("acl_xattr")) {
        return std::make_shared<ACLXAttr>();
    }
    return std::make_shared<VFSModule>(name);
}
