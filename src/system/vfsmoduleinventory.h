#pragma once

#include "systemprograms.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Which VFS modules this Samba can load: those built into smbd, and the .so files in the vfs
// directory of its module directory, both as "smbd -b" reports them. On Debian most modules
// are in the package samba-vfs-modules, which a minimal server may lack; a share naming a
// missing module passes testparm but refuses every connection.
class VfsModuleInventory
{
public:
    // Runs "smbd -b" (at most 10 s) and lists the directory. Without an answer nothing is
    // known: known() is false and every module counts as installed.
    static VfsModuleInventory load(const QString &smbd = SystemPrograms::smbd());
    // What a "smbd -b" output says: the MODULESDIR and the built-in vfs_ modules.
    static VfsModuleInventory fromBuildOptions(const QByteArray &output);
    // What another process found: the module directory and the modules (none known without a
    // directory).
    static VfsModuleInventory fromList(const QString &modulesDirectory, const QStringList &modules);
    // Nothing known: every module counts as installed.
    VfsModuleInventory() = default;

    bool known() const { return m_known; }
    QString modulesDirectory() const { return m_modulesDirectory; }
    // Every module name (without "vfs_" and ".so"), sorted.
    QStringList modules() const { return m_modules; }
    // True when the module can be loaded, or when nothing is known.
    bool isInstalled(const QString &module) const;
    // Of these module names, those that cannot be loaded (compared without case).
    QStringList missing(const QStringList &modules) const;
    // The Debian package that ships Samba's optional VFS modules.
    static QString package() { return QStringLiteral("samba-vfs-modules"); }

    // Adds the .so files of vfsDirectory (MODULESDIR/vfs); for load() and tests.
    void addDirectory(const QString &vfsDirectory);

private:
    bool m_known = false;
    QString m_modulesDirectory;
    QStringList m_modules;
};
