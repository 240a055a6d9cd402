#pragma once

#include <QStringList>

// The order of the modules of "vfs objects". Samba stacks them in the order written, and
// some modules' manual pages require a place in that stack; the rules are in vfsorder.cpp,
// each with the manual page that asks for it.
namespace VfsOrder {

// The line to write for the modules `modules`, given the names on the line as read (lower
// case, without repeats; empty for a new line). The modules that stay keep the line's order
// unless that breaks a rule; new ones go where a rule wants them, otherwise at the end in
// the order given, before any module that has to be last.
QStringList arrange(const QStringList &line, const QStringList &modules);

} // namespace VfsOrder
