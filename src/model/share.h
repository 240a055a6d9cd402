#ifndef SHARE_H
#define SHARE_H

#include "vfsmodule.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

/// The modules of a "vfs objects" setting, keyed (and so ordered) by module name.
using VfsModuleMap = QMap<QString, std::shared_ptr<VFSModule>>;

/**
 * One share or printer section of smb.conf. The record knows its section only
 * by originalName(). Copies share the module objects: a stored module is never
 * changed, an editor stores a new one under the same name instead.
 */
class Share
{
public:
    Share() = default;
    /// A record for the section of that name; name() stays empty until the loader sets it.
    explicit Share(const QString &originalName);

    /// Section the record was read from; empty for a share created in Shareward.
    QString originalName() const { return m_originalName; }
    void setOriginalName(const QString &originalName);

    QString path() const { return m_path; }
    void setPath(const QString &path);

    /// Share name, written as the section name.
    QString name() const { return m_name; }
    void setName(const QString &name);

    QString comment() const { return m_comment; }
    void setComment(const QString &comment);

    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);

    /// Read/write access chosen in the share dialog; only drives the directory mode, never smb.conf.
    bool readWrite() const { return m_readWrite; }
    void setReadWrite(bool readWrite);

    /// Whether the directory mode is to be set after saving; never in smb.conf.
    bool setDirectoryPermissions() const { return m_setDirectoryPermissions; }
    void setSetDirectoryPermissions(bool setDirectoryPermissions);
    /// What the next save does to the directory's mode: asked only by a share dialog
    /// accepted with a change of the "Set directory permissions" box, or of the access
    /// while the box is ticked; never in smb.conf.
    enum DirectoryModeChange {
        KeepDirectoryMode, ///< leave the mode alone
        MakeReadOnly, ///< 0555
        MakeWritable, ///< 0777
        UndoDirectoryMode, ///< back to 0755, when the directory still has 0555 or 0777
    };
    DirectoryModeChange directoryModeChange() const { return m_directoryModeChange; }
    void setDirectoryModeChange(DirectoryModeChange change);

    bool guestOk() const { return m_guestOk; }
    void setGuestOk(bool guestOk);

    bool guestOnly() const { return m_guestOnly; }
    void setGuestOnly(bool guestOnly);

    /// A printable share is a printer share; nothing else marks one.
    bool printable() const { return m_printable; }
    void setPrintable(bool printable);

    bool browseable() const { return m_browseable; }
    void setBrowseable(bool browseable);

    /// The write list is "@everybody"; writeList() is then not written.
    bool writeListEverybody() const { return m_writeListEverybody; }
    void setWriteListEverybody(bool writeListEverybody);

    /// Octal text such as "0700", kept as written.
    QString createMask() const { return m_createMask; }
    void setCreateMask(const QString &createMask);

    QStringList validUsers() const { return m_validUsers; }
    void setValidUsers(const QStringList &validUsers);

    /// Group names, normally without smb.conf's leading "@".
    QStringList writeList() const { return m_writeList; }
    void setWriteList(const QStringList &writeList);

    /// No ACL module and none of the nine ACL options: saving then removes the options.
    bool aclByDefault() const { return m_aclByDefault; }
    void setAclByDefault(bool aclByDefault);

    bool ntAclSupport() const { return m_ntAclSupport; }
    void setNtAclSupport(bool ntAclSupport);

    bool inheritAcls() const { return m_inheritAcls; }
    void setInheritAcls(bool inheritAcls);

    bool mapAclInherit() const { return m_mapAclInherit; }
    void setMapAclInherit(bool mapAclInherit);

    bool dosFilemode() const { return m_dosFilemode; }
    void setDosFilemode(bool dosFilemode);

    bool storeDosAttributes() const { return m_storeDosAttributes; }
    void setStoreDosAttributes(bool storeDosAttributes);

    bool aclAllowExecuteAlways() const { return m_aclAllowExecuteAlways; }
    void setAclAllowExecuteAlways(bool aclAllowExecuteAlways);

    bool aclGroupControl() const { return m_aclGroupControl; }
    void setAclGroupControl(bool aclGroupControl);

    bool aclMapFullControl() const { return m_aclMapFullControl; }
    void setAclMapFullControl(bool aclMapFullControl);

    bool forceUnknownAclUser() const { return m_forceUnknownAclUser; }
    void setForceUnknownAclUser(bool forceUnknownAclUser);
    /// The module stored under that name, or null.
    std::shared_ptr<VFSModule> vfsModule(const QString &name) const;
    bool hasVfsModule(const QString &name) const;
    /// Stores the module under its own name, replacing any module of that name.
    void addVfsModule(const std::shared_ptr<VFSModule> &module);
    void removeVfsModule(const QString &name);
    /// All modules in ascending, case-sensitive order of name; the writer decides the order of
    /// "vfs objects" (the line's own order, and the stacking rules of the modules).
    QList<std::shared_ptr<VFSModule>> vfsModuleList() const;

    /// Other smb.conf parameters to write, by key as given: a null value removes the key.
    /// Set by shareward-cli's --param and --unset; never read from smb.conf.
    QMap<QString, QString> otherParameters() const { return m_otherParameters; }
    void setOtherParameter(const QString &key, const QString &value);
    void unsetOtherParameter(const QString &key);

    /// Removes every valid user of exactly that name (case-sensitive).
    void removeValidUser(const QString &name);

    /// Where the share is defined: in smb.conf or in Samba's registry configuration (as
    /// clustered Samba keeps it). Never written as a parameter.
    enum StoredIn {
        StoredInFile,
        StoredInRegistry,
    };
    StoredIn storedIn() const { return m_storedIn; }
    void setStoredIn(StoredIn storedIn) { m_storedIn = storedIn; }
    /// Whether Samba serves the definition of the same name stored elsewhere instead of this one.
    bool shadowed() const { return m_shadowed; }
    void setShadowed(bool shadowed) { m_shadowed = shadowed; }

private:
    QString m_originalName;
    QString m_path;
    QString m_name;
    QString m_comment;
    bool m_readOnly = true;
    bool m_readWrite = false;
    bool m_setDirectoryPermissions = false;
    DirectoryModeChange m_directoryModeChange = KeepDirectoryMode;
    bool m_guestOk = false;
    bool m_guestOnly = false;
    bool m_printable = false;
    bool m_browseable = true;
    bool m_writeListEverybody = false;
    QString m_createMask;
    QStringList m_validUsers;
    QStringList m_writeList;
    VfsModuleMap m_vfsModules;
    QMap<QString, QString> m_otherParameters;
    bool m_aclByDefault = true;
    bool m_ntAclSupport = true;
    bool m_inheritAcls = false;
    bool m_mapAclInherit = false;
    bool m_dosFilemode = false;
    bool m_storeDosAttributes = true;
    bool m_aclAllowExecuteAlways = false;
    bool m_aclGroupControl = false;
    bool m_aclMapFullControl = true;
    bool m_forceUnknownAclUser = false;
    StoredIn m_storedIn = StoredInFile;
    bool m_shadowed = false;
};

#endif // SHARE_H
