#ifndef ACL_H
#define ACL_H

#include "vfsmodule.h"

/// Options shared by the acl_tdb and acl_xattr modules ("<module>:ignore system acls" etc.).
class ACL : public VFSModule
{
public:
    ~ACL() override;

    bool ignoreSystemAcls() const { return m_ignoreSystemAcls; }
    void setIgnoreSystemAcls(bool ignore);

    /// "posix", "windows" or "everyone"; kept as read (lower-cased) when a file says otherwise.
    QString defaultAclStyle() const { return m_defaultAclStyle; }
    void setDefaultAclStyle(const QString &style);

protected:
    // Only the concrete ACL modules are ever created.
    explicit ACL(const QString &name);
    ACL(const ACL &) = default;
    ACL(ACL &&) = default;
    ACL &operator=(const ACL &) = default;
    ACL &operator=(ACL &&) = default;

private:
    bool m_ignoreSystemAcls = false;
    QString m_defaultAclStyle;
};

#endif // ACL_H
