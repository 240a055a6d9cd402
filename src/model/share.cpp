#include "share.h"

Share::Share(const QString &originalName)
    : m_originalName(originalName)
{
}

void Share::setOriginalName(const QString &originalName)
{
    m_originalName = originalName;
}

void Share::setPath(const QString &path)
{
    m_path = path;
}

void Share::setName(const QString &name)
{
    m_name = name;
}

void Share::setComment(const QString &comment)
{
    m_comment = comment;
}

void Share::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
}

void Share::setReadWrite(bool readWrite)
{
    m_readWrite = readWrite;
}

void Share::setOtherParameter(const QString &key, const QString &value)
{
    m_otherParameters.insert(key, value.isNull() ? QStringLiteral("") : value);
}

void Share::unsetOtherParameter(const QString &key)
{
    m_otherParameters.insert(key, QString());
}

void Share::setDirectoryModeChange(DirectoryModeChange change)
{
    m_directoryModeChange = change;
}

void Share::setSetDirectoryPermissions(bool setDirectoryPermissions)
{
    m_setDirectoryPermissions = setDirectoryPermissions;
}

void Share::setGuestOk(bool guestOk)
{
    m_guestOk = guestOk;
}

void Share::setGuestOnly(bool guestOnly)
{
    m_guestOnly = guestOnly;
}

void Share::setPrintable(bool printable)
{
    m_printable = printable;
}

void Share::setBrowseable(bool browseable)
{
    m_browseable = browseable;
}

void Share::setWriteListEverybody(bool writeListEverybody)
{
    m_writeListEverybody = writeListEverybody;
}

void Share::setCreateMask(const QString &createMask)
{
    m_createMask = createMask;
}

void Share::setValidUsers(const QStringList &validUsers)
{
    m_validUsers = validUsers;
}

void Share::setWriteList(const QStringList &writeList)
{
    m_writeList = writeList;
}

void Share::setAclByDefault(bool aclByDefault)
{
    m_aclByDefault = aclByDefault;
}

void Share::setNtAclSupport(bool ntAclSupport)
{
    m_ntAclSupport = ntAclSupport;
}

void Share::setInheritAcls(bool inheritAcls)
{
    m_inheritAcls = inheritAcls;
}

void Share::setMapAclInherit(bool mapAclInherit)
{
    m_mapAclInherit = mapAclInherit;
}

void Share::setDosFilemode(bool dosFilemode)
{
    m_dosFilemode = dosFilemode;
}

void Share::setStoreDosAttributes(bool storeDosAttributes)
{
    m_storeDosAttributes = storeDosAttributes;
}

void Share::setAclAllowExecuteAlways(bool aclAllowExecuteAlways)
{
    m_aclAllowExecuteAlways = aclAllowExecuteAlways;
}

void Share::setAclGroupControl(bool aclGroupControl)
{
    m_aclGroupControl = aclGroupControl;
}

void Share::setAclMapFullControl(bool aclMapFullControl)
{
    m_aclMapFullControl = aclMapFullControl;
}

void Share::setForceUnknownAclUser(bool forceUnknownAclUser)
{
    m_forceUnknownAclUser = forceUnknownAclUser;
}

std::shared_ptr<VFSModule> Share::vfsModule(const QString &name) const
{
    return m_vfsModules.value(name);
}

bool Share::hasVfsModule(const QString &name) const
{
    return m_vfsModules.contains(name);
}

void Share::addVfsModule(const std::shared_ptr<VFSModule> &module)
{
    if (module) {
        m_vfsModules.insert(module->name(), module);
    }
}

void Share::removeVfsModule(const QString &name)
{
    m_vfsModules.remove(name);
}

QList<std::shared_ptr<VFSModule>> Share::vfsModuleList() const
{
    return m_vfsModules.values();
}

void Share::removeValidUser(const QString &name)
{
    m_validUsers.removeAll(name);
}
