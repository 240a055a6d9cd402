#include "vfsoperation.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

// The VFS operations Samba 4.17's full_audit knows, as spelled in full_audit:success and
// full_audit:failure, in ascending order. An unknown name makes the module fail to load, and
// then every connection to the share fails: a name goes here only once smbd accepts it.
const char *const s_operationTable[] = {
    "aio_force",
    "audit_file",
    "brl_lock_windows",
    "brl_unlock_windows",
    "chdir",
    "close",
    "closedir",
    "connect",
    "connectpath",
    "create_dfs_pathat",
    "create_file",
    "disconnect",
    "disk_free",
    "durable_cookie",
    "durable_disconnect",
    "durable_reconnect",
    "fallocate",
    "fchflags",
    "fchmod",
    "fchown",
    "fdopendir",
    "fget_compression",
    "fget_dos_attributes",
    "fget_nt_acl",
    "fgetxattr",
    "file_id_create",
    "filesystem_sharemode",
    "flistxattr",
    "fntimes",
    "freaddir_attr",
    "fremovexattr",
    "fs_capabilities",
    "fs_file_id",
    "fsctl",
    "fset_dos_attributes",
    "fset_nt_acl",
    "fsetxattr",
    "fstat",
    "fstatat",
    "fstreaminfo",
    "fsync",
    "fsync_recv",
    "fsync_send",
    "ftruncate",
    "get_alloc_size",
    "get_dfs_referrals",
    "get_dos_attributes_recv",
    "get_dos_attributes_send",
    "get_quota",
    "get_real_filename",
    "get_shadow_copy_data",
    "getlock",
    "getwd",
    "getxattrat_recv",
    "getxattrat_send",
    "is_offline",
    "lchown",
    "linkat",
    "linux_setlease",
    "lock",
    "lseek",
    "lstat",
    "mkdirat",
    "mknodat",
    "ntimes",
    "offload_read_recv",
    "offload_read_send",
    "offload_write_recv",
    "offload_write_send",
    "open",
    "openat",
    "pread",
    "pread_recv",
    "pread_send",
    "pwrite",
    "pwrite_recv",
    "pwrite_send",
    "read",
    "readdir",
    "readlinkat",
    "realpath",
    "recvfile",
    "removexattr",
    "renameat",
    "rewinddir",
    "seekdir",
    "sendfile",
    "set_compression",
    "set_offline",
    "set_quota",
    "snap_check_path",
    "snap_create",
    "snap_delete",
    "stat",
    "statvfs",
    "strict_lock_check",
    "symlinkat",
    "sys_acl_blob_get_fd",
    "sys_acl_get_fd",
    "sys_acl_set_fd",
    "telldir",
    "translate_name",
    "unlinkat",
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
