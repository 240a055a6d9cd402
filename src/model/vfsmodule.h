#ifndef VFSMODULE_H
#define VFSMODULE_H

#include <QString>

#include <memory>

/**
 * A module of a share's "vfs objects" setting. Modules Shareward understands
 * derive from this class and carry their options; any other module is kept as a
 * bare VFSModule so that its name survives a load and save. Callers tell the
 * kinds apart by the dynamic type.
 */
class VFSModule
{
public:
    explicit VFSModule(const QString &name);
    VFSModule(const VFSModule &) = default;
    VFSModule(VFSModule &&) = default;
    VFSModule &operator=(const VFSModule &) = default;
    VFSModule &operator=(VFSModule &&) = default;
    virtual ~VFSModule();

    QString name() const { return m_name; }

    /**
     * The module for one word of "vfs objects": Audit, FullAudit, ACLTDB, ACLXAttr,
     * RecycleBin, Fruit or ShadowCopy for their names in any case, otherwise a bare
     * module named after the lower-cased word.
     */
    static std::shared_ptr<VFSModule> create(const QString &word);

private:
    QString m_name;
};

#endif // VFSMODULE_H
