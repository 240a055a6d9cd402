#include "vfsmoduleinventory.h"

#include "processrunner.h"

#include <QDir>
#include <QList>

namespace {

const int smbdTimeLimitMs = 10000;

// Adds a name unless it is there already in another case; Samba lowercases module names.
void addModule(QStringList &modules, const QString &name)
{
    if (!name.isEmpty() && !modules.contains(name, Qt::CaseInsensitive))
        modules << name;
}

void sortModules(QStringList &modules)
{
    modules.sort(Qt::CaseInsensitive);
}

} // namespace

VfsModuleInventory VfsModuleInventory::load(const QString &smbd)
{
    ProcessRunner runner(smbd, {QStringLiteral("-b")});
    runner.setTimeLimit(smbdTimeLimitMs);
    const ProcessResult result = runner.run();
    if (!result.succeeded())
        return {};
    VfsModuleInventory inventory = fromBuildOptions(result.standardOutput);
    if (inventory.known())
        inventory.addDirectory(inventory.modulesDirectory() + QStringLiteral("/vfs"));
    return inventory;
}

VfsModuleInventory VfsModuleInventory::fromBuildOptions(const QByteArray &output)
{
    VfsModuleInventory inventory;
    const QList<QByteArray> lines = output.split('\n');
    bool inBuiltins = false;
    for (const QByteArray &rawLine : lines) {
        const QString line = QString::fromLocal8Bit(rawLine).trimmed();
        // The built-in list follows its heading on indented lines; a new heading or a blank
        // line ends it.
        if (inBuiltins) {
            if (line.isEmpty() || !(rawLine.startsWith(' ') || rawLine.startsWith('\t'))) {
                inBuiltins = false;
            } else {
                for (const QString &word : line.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                    if (word.startsWith(QLatin1String("vfs_")))
                        addModule(inventory.m_modules, word.mid(4));
                }
                continue;
            }
        }
        if (line == QLatin1String("Builtin modules:")) {
            inBuiltins = true;
        } else if (line.startsWith(QLatin1String("MODULESDIR:"))) {
            inventory.m_modulesDirectory = line.mid(int(qstrlen("MODULESDIR:"))).trimmed();
        }
    }
    // Without the module directory nothing can be said about what loads.
    if (inventory.m_modulesDirectory.isEmpty())
        return {};
    inventory.m_known = true;
    sortModules(inventory.m_modules);
    return inventory;
}

VfsModuleInventory VfsModuleInventory::fromList(const QString &modulesDirectory, const QStringList &modules)
{
    VfsModuleInventory inventory;
    if (modulesDirectory.isEmpty())
        return inventory;
    inventory.m_known = true;
    inventory.m_modulesDirectory = modulesDirectory;
    for (const QString &module : modules)
        addModule(inventory.m_modules, module);
    sortModules(inventory.m_modules);
    return inventory;
}

bool VfsModuleInventory::isInstalled(const QString &module) const
{
    return !m_known || m_modules.contains(module, Qt::CaseInsensitive);
}

QStringList VfsModuleInventory::missing(const QStringList &modules) const
{
    QStringList result;
    if (!m_known)
        return result;
    for (const QString &module : modules) {
        if (!isInstalled(module))
            addModule(result, module);
    }
    return result;
}

void VfsModuleInventory::addDirectory(const QString &vfsDirectory)
{
    const QDir dir(vfsDirectory);
    // Samba opens NAME.so exactly, so the suffix is matched with its case.
    const QStringList files =
        dir.entryList({QStringLiteral("*.so")}, QDir::Files | QDir::CaseSensitive, QDir::Name);
    for (const QString &file : files)
        addModule(m_modules, file.chopped(3));
    sortModules(m_modules);
}
