#include "vfsmodule.h"

#include "acltdb.h"
#include "aclxattr.h"
#include "audit.h"
#include "fruit.h"
#include "fullaudit.h"
#include "recyclebin.h"
#include "shadowcopy.h"

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
    if (name == QLatin1String("recycle")) {
        return std::make_shared<RecycleBin>();
    }
    if (name == QLatin1String("fruit")) {
        return std::make_shared<Fruit>();
    }
    if (name == QLatin1String("shadow_copy2")) {
        return std::make_shared<ShadowCopy>();
    }
    return std::make_shared<VFSModule>(name);
}
