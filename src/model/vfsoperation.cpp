#include "vfsoperation.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

// The VFS calls known to full_audit, as spelled in its option values.
const char *const s_operationTable[] = {
    "chflags",
    "chmod",
    "chown",
    "close",
    "closedir",
    "connect",
    "copy_chunk_send",
    "copy_chunk_recv",
    "disconnect",
    "disk_free",
    "fchmod",
    "fchown",
    "fget_nt_acl",
    "fgetxattr",
    "flistxattr",
    "fremovexattr",
    "fset_nt_acl",
    "fsetxattr",
    "fstat",
    "fsync",
    "ftruncate",
    "get_compression",
    "get_nt_acl",
    "get_quota",
    "get_shadow_copy_data",
    "getlock",
    "getwd",
    "getxattr",
    "kernel_flock",
    "link",
    "linux_setlease",
    "listxattr",
    "lock",
    "lseek",
    "lstat",
    "mkdir",
    "mknod",
    "open",
    "opendir",
    "pread",
    "pwrite",
    "read",
    "readdir",
    "readlink",
    "realpath",
    "removexattr",
    "rename",
    "rewinddir",
    "rmdir",
    "seekdir",
    "sendfile",
    "set_compression",
    "set_nt_acl",
    "set_quota",
    "setxattr",
    "snap_check_path",
    "snap_create",
    "snap_delete",
    "stat",
    "statvfs",
    "symlink",
    "sys_acl_delete_def_file",
    "sys_acl_get_fd",
    "sys_acl_get_file",
    "sys_acl_set_fd",
    "sys_acl_set_file",
    "telldir",
    "unlink",
    "utime",
    "write",
};

// Filled once, on the first lookup; later translation changes do not reach it.
const QHash<QString, VfsOperation> &operationMap()
{
    static QHash<QString, VfsOperation> map;
    if (map.isEmpty()) {
        const VfsOperationSet all = allOperations();
        for (const VfsOperation &operation : all) {
            map.insert(operation.name(), operation);
        }
    }
    return map;
}

} // namespace

VfsOperation::VfsOperation(const QString &name)
    : m_name(name.toLower())
{
    const auto &map = operationMap();
    const auto it = map.constFind(m_name);
    if (it != map.cend()) {
        m_description = it->description();
    }
}

VfsOperation::VfsOperation(const QString &name, const QString &description)
    : m_name(name)
    , m_description(description)
{
}

VfsOperationSet allOperations()
{
    // The operations have no descriptions of their own; translating the empty text
    // still lets a translation supply one.
    const QString description = QCoreApplication::translate("Operation", "");
    VfsOperationSet result;
    result.reserve(int(std::size(s_operationTable)));
    for (const char *name : s_operationTable) {
        result.insert(VfsOperation(QString::fromLatin1(name), description));
    }
    return result;
}

VfsOperationSet parseOperationSet(const QString &text)
{
    static const QRegularExpression separator(QStringLiteral("[[:space:]]+"));
    QStringList tokens = text.split(separator, Qt::SkipEmptyParts);
    // Duplicates are dropped before case folding, so "open !open open" stays empty.
    tokens.removeDuplicates();

    VfsOperationSet result;
    for (const QString &token : std::as_const(tokens)) {
        const QString word = token.toLower();
        if (word == QLatin1String("all")) {
            result.unite(allOperations());
        } else if (word == QLatin1String("none")) {
            // Only the known operations go; unknown names given earlier stay.
            result.subtract(allOperations());
        } else if (word.startsWith(QLatin1Char('!'))) {
            result.remove(VfsOperation(QString(word).remove(QLatin1Char('!'))));
        } else {
            result.insert(VfsOperation(word));
        }
    }
    return result;
}

QString formatOperationSet(const VfsOperationSet &operations)
{
    if (operations.isEmpty()) {
        return QStringLiteral("none");
    }
    if (operations == allOperations()) {
        return QStringLiteral("all");
    }
    // Sorted so that saving the same set twice gives the same line.
    QStringList names;
    names.reserve(operations.size());
    for (const VfsOperation &operation : operations) {
        names.append(operation.name());
    }
    std::sort(names.begin(), names.end());
    return names.join(QLatin1Char(' '));
}
