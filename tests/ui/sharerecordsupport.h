#pragma once

// Comparing share records whole, the module inventories of the dialog tests, and the server
// whose directories the share dialog checks.

#include "localserverfiles.h"
#include "optionmodule.h"
#include "share.h"
#include "shareoptions.h"
#include "testfiles.h"
#include "vfsmoduleinventory.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

// A record as lines "field = value": every field, every module, and each option of a module,
// so that two records compare equal exactly when their lines do.
inline QStringList recordLines(const Share &share)
{
    const auto yes = [](bool value) {
        return value ? QStringLiteral("yes") : QStringLiteral("no");
    };
    QStringList lines{
        QStringLiteral("original name = ") + share.originalName(),
        QStringLiteral("name = ") + share.name(),
        QStringLiteral("path = ") + share.path(),
        QStringLiteral("comment = ") + share.comment(),
        QStringLiteral("read only = ") + yes(share.readOnly()),
        QStringLiteral("read write = ") + yes(share.readWrite()),
        QStringLiteral("set directory permissions = ") + yes(share.setDirectoryPermissions()),
        QStringLiteral("directory mode change = ") + QString::number(share.directoryModeChange()),
        QStringLiteral("guest ok = ") + yes(share.guestOk()),
        QStringLiteral("guest only = ") + yes(share.guestOnly()),
        QStringLiteral("printable = ") + yes(share.printable()),
        QStringLiteral("browseable = ") + yes(share.browseable()),
        QStringLiteral("write list everybody = ") + yes(share.writeListEverybody()),
        QStringLiteral("create mask = ") + share.createMask(),
        QStringLiteral("valid users = ") + share.validUsers().join(QLatin1Char(',')),
        QStringLiteral("write list = ") + share.writeList().join(QLatin1Char(',')),
        QStringLiteral("acl by default = ") + yes(share.aclByDefault()),
    };
    for (const ShareOptions::AclOption &option : ShareOptions::aclOptions())
        lines << QLatin1String(option.key) + QStringLiteral(" = ") + yes((share.*option.get)());
    for (const auto &module : share.vfsModuleList()) {
        lines << QStringLiteral("vfs object ") + module->name();
        if (const auto *options = dynamic_cast<const OptionModule *>(module.get())) {
            for (auto it = options->options().cbegin(); it != options->options().cend(); ++it)
                lines << module->name() + QLatin1Char(':') + it.key() + QStringLiteral(" = ") + it.value();
        } else {
            for (const auto &[key, value] : ShareOptions::moduleOptions(*module))
                lines << QString::fromStdString(key) + QStringLiteral(" = ") + QString::fromStdString(value);
        }
    }
    const QMap<QString, QString> other = share.otherParameters();
    for (auto it = other.cbegin(); it != other.cend(); ++it)
        lines << QStringLiteral("other ") + it.key() + QStringLiteral(" = ") + it.value();
    return lines;
}

// An inventory as smbd -b reports it, with vfs_default built in and the given modules as
// .so files of a vfs directory made in dir.
inline VfsModuleInventory inventoryWith(const QTemporaryDir &dir, const QStringList &installed)
{
    const QString modules = dir.filePath(QStringLiteral("samba"));
    const QString vfs = modules + QStringLiteral("/vfs");
    QDir().mkpath(vfs);
    for (const QString &module : installed)
        writeFile(vfs + QLatin1Char('/') + module + QStringLiteral(".so"), "\177ELF");
    VfsModuleInventory inventory = VfsModuleInventory::fromBuildOptions(
        "Paths:\n   SBINDIR: /usr/sbin\n   MODULESDIR: " + modules.toUtf8()
        + "\n   SHLIBEXT: so\n\nBuiltin modules:\n   vfs_default vfs_not_implemented vfs_posixacl "
          "auth_builtin "
          "pdb_tdbsam\n");
    inventory.addDirectory(vfs);
    return inventory;
}

// The directories of this machine, as a share dialog of the window on it sees them.
inline ServerFiles &localFiles()
{
    static LocalServerFiles files;
    return files;
}
