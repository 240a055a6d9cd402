#include "vfsorder.h"

#include <algorithm>
#include <vector>

namespace {

struct Rule
{
    enum Kind {
        Chain, // these modules, when present, next to each other in this order
        Before, // the first names all before the last one
        First, // before every other module
        Last, // after every other module
    };
    Kind kind;
    QStringList names;
};

// What the manual pages of Samba's modules (4.17) ask of the order. Modules whose pages say
// nothing of it (acl_xattr, acl_tdb, full_audit, audit, recycle, shadow_copy2, snapper...)
// may stand anywhere.
const std::vector<Rule> &rules()
{
    static const std::vector<Rule> table{
        // vfs_fruit(8): "must be stacked with vfs_streams_xattr", "not stackable other than
        // described in this manpage", and its example is "vfs objects = catia fruit
        // streams_xattr".
        {Rule::Chain, {QStringLiteral("catia"), QStringLiteral("fruit"), QStringLiteral("streams_xattr")}},
        // vfs_virusfilter(8): "the streams support module must be before the virusfilter
        // module".
        {Rule::Before,
         {QStringLiteral("streams_xattr"), QStringLiteral("streams_depot"), QStringLiteral("virusfilter")}},
        // vfs_ceph_snapshots(8): "must be listed first in the vfs objects parameter list".
        {Rule::First, {QStringLiteral("ceph_snapshots")}},
        // vfs_aio_pthread(8) "MUST be listed last", vfs_io_uring(8) "SHOULD be listed last",
        // vfs_ceph(8), vfs_glusterfs(8) and vfs_glusterfs_fuse(8) "should be the last module":
        // modules right of them may have no effect.
        {Rule::Last,
         {QStringLiteral("aio_pthread"), QStringLiteral("io_uring"), QStringLiteral("ceph"),
          QStringLiteral("glusterfs"), QStringLiteral("glusterfs_fuse")}},
    };
    return table;
}

bool isLast(const QString &name)
{
    for (const Rule &rule : rules()) {
        if (rule.kind == Rule::Last && rule.names.contains(name))
            return true;
    }
    return false;
}

// Where a new module goes: next to the members of its chain already there, otherwise at
// the end before the modules that have to be last (First is left to fix()).
void insert(QStringList &line, const QString &name)
{
    for (const Rule &rule : rules()) {
        if (rule.kind != Rule::Chain || !rule.names.contains(name))
            continue;
        const int own = rule.names.indexOf(name);
        for (int i = own - 1; i >= 0; --i) {
            if (const int at = line.indexOf(rule.names.at(i)); at >= 0) {
                line.insert(at + 1, name);
                return;
            }
        }
        for (int i = own + 1; i < rule.names.size(); ++i) {
            if (const int at = line.indexOf(rule.names.at(i)); at >= 0) {
                line.insert(at, name);
                return;
            }
        }
    }
    int end = line.size();
    if (!isLast(name)) {
        while (end > 0 && isLast(line.at(end - 1)))
            --end;
    }
    line.insert(end, name);
}

// Moves what breaks the rule, and nothing else.
void fix(QStringList &line, const Rule &rule)
{
    switch (rule.kind) {
    case Rule::Chain: {
        QStringList present;
        for (const QString &name : rule.names) {
            if (line.contains(name))
                present << name;
        }
        if (present.isEmpty())
            return;
        const int anchor = line.indexOf(present.first());
        if (line.mid(anchor, present.size()) == present)
            return;
        int first = line.size();
        for (const QString &name : present)
            first = std::min(first, int(line.indexOf(name)));
        for (const QString &name : present)
            line.removeOne(name);
        for (int i = 0; i < present.size(); ++i)
            line.insert(first + i, present.at(i));
        return;
    }
    case Rule::Before: {
        const QString &later = rule.names.last();
        const int at = line.indexOf(later);
        int last = -1;
        for (int i = 0; i + 1 < rule.names.size(); ++i)
            last = std::max(last, int(line.indexOf(rule.names.at(i))));
        // The later module moves: the earlier ones may be held in a chain.
        if (at >= 0 && at < last)
            line.move(at, last);
        return;
    }
    case Rule::First:
        for (auto name = rule.names.crbegin(); name != rule.names.crend(); ++name) {
            if (const int at = line.indexOf(*name); at > 0)
                line.move(at, 0);
        }
        return;
    case Rule::Last: {
        QStringList last;
        for (const QString &name : line) {
            if (rule.names.contains(name))
                last << name;
        }
        for (const QString &name : last) {
            line.removeOne(name);
            line << name;
        }
        return;
    }
    }
}

} // namespace

QStringList VfsOrder::arrange(const QStringList &line, const QStringList &modules)
{
    QStringList arranged;
    for (const QString &name : line) {
        if (modules.contains(name) && !arranged.contains(name))
            arranged << name;
    }
    QStringList added;
    for (const QString &name : modules) {
        if (!arranged.contains(name) && !added.contains(name))
            added << name;
    }
    std::sort(added.begin(), added.end());
    for (const QString &name : added)
        insert(arranged, name);
    for (const Rule &rule : rules())
        fix(arranged, rule);
    return arranged;
}
