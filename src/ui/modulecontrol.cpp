#include "modulecontrol.h"

#include "vfsmoduleinventory.h"

#include <QCoreApplication>
#include <QVariant>
#include <QWidget>

namespace {

// The tool tip from the form, and whether require() disabled the control.
const char *const ownToolTip = "shareward_ownToolTip";
const char *const disabledForModule = "shareward_disabledForModule";

} // namespace

QString ModuleControl::missingText(const QStringList &modules)
{
    if (modules.size() == 1)
        return QCoreApplication::translate("ModuleControl",
                                           "The Samba module %1 is not installed; install the package %2.")
            .arg(modules.first(), VfsModuleInventory::package());
    return QCoreApplication::translate("ModuleControl",
                                       "The Samba modules %1 are not installed; install the package %2.")
        .arg(modules.join(QStringLiteral(", ")), VfsModuleInventory::package());
}

void ModuleControl::require(QWidget *control, const VfsModuleInventory &inventory, const QStringList &modules,
                            bool used)
{
    if (!control->property(ownToolTip).isValid())
        control->setProperty(ownToolTip, control->toolTip());
    const QStringList missing = inventory.missing(modules);
    if (!missing.isEmpty() && !used) {
        control->setEnabled(false);
        control->setToolTip(missingText(missing));
        control->setProperty(disabledForModule, true);
        return;
    }
    control->setToolTip(control->property(ownToolTip).toString());
    if (control->property(disabledForModule).toBool()) {
        control->setEnabled(true);
        control->setProperty(disabledForModule, false);
    }
}
