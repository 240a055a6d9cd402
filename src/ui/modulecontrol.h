#pragma once

#include <QString>
#include <QStringList>

class QWidget;
class VfsModuleInventory;

// The controls of the dialogs that turn on a VFS module this Samba may lack: a share that
// names a module smbd cannot load refuses every connection.
namespace ModuleControl {

// The tool tip of a control whose modules are missing.
QString missingText(const QStringList &modules);

// Disables the control, saying why in its tool tip, while one of the modules is missing and
// the record does not use any of them (used); a record that uses one keeps the control, so
// that the administrator can turn it off. Otherwise the control gets its own tool tip back,
// and is enabled again when this function disabled it.
void require(QWidget *control, const VfsModuleInventory &inventory, const QStringList &modules, bool used);

} // namespace ModuleControl
