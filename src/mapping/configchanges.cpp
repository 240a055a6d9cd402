#include "configchanges.h"

#include "configdocument.h"
#include "configtables.h"
#include "configvalues.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

struct KeyName
{
    std::string_view lookup;
    std::string_view name;
};

// Spellings Samba accepts for the parameters of restartTable besides their canonical key;
// folded here so that writing "lock dir" for "lock directory" is no change.
constexpr KeyName extraSynonyms[] = {
    {"lockdir", "lockdirectory"},
    {"privatedirectory", "privatedir"},
    {"socketaddress", "nbtclientsocketaddress"},
};

// [global] parameters that smbd and nmbd read only when they start: the sockets they listen on,
// the names they register and answer to, the role and the account and state databases they open.
// A reload-config leaves the running daemons with the old values. Every name is one that
// smb.conf(5) of Samba 4.17 documents; "idmap config DOMAIN : backend" is matched apart.
constexpr KeyName restartTable[] = {
    {"interfaces", "interfaces"},
    {"bindinterfacesonly", "bind interfaces only"},
    {"smbports", "smb ports"},
    {"netbiosname", "netbios name"},
    {"netbiosaliases", "netbios aliases"},
    {"netbiosscope", "netbios scope"},
    {"serverrole", "server role"},
    {"security", "security"},
    // nmbd registers the workgroup name when it starts.
    {"workgroup", "workgroup"},
    {"realm", "realm"},
    {"serverservices", "server services"},
    {"disablenetbios", "disable netbios"},
    {"nmbdbindexplicitbroadcast", "nmbd bind explicit broadcast"},
    {"nbtclientsocketaddress", "nbt client socket address"},
    {"passdbbackend", "passdb backend"},
    {"privatedir", "private dir"},
    {"lockdirectory", "lock directory"},
    {"statedirectory", "state directory"},
    {"cachedirectory", "cache directory"},
    {"piddirectory", "pid directory"},
    {"ncalrpcdir", "ncalrpc dir"},
};

// Canonical keys as written, for the keys ConfigValues folds other spellings into.
constexpr KeyName canonicalNames[] = {
    {"path", "path"},
    {"readonly", "read only"},
    {"browseable", "browseable"},
    {"createmask", "create mask"},
    {"directorymask", "directory mask"},
    {"guestok", "guest ok"},
    {"guestonly", "guest only"},
    {"printable", "printable"},
    {"vfsobjects", "vfs objects"},
};

template<std::size_t N>
const KeyName *findKey(const KeyName (&table)[N], std::string_view lookup)
{
    const auto found = std::find_if(std::begin(table), std::end(table),
                                    [lookup](const KeyName &entry) { return entry.lookup == lookup; });
    return found == std::end(table) ? nullptr : found;
}

// The lookup form of the canonical key of a key in any spelling.
std::string canonicalLookup(std::string_view written)
{
    std::string lookup(ConfigValues::canonicalOf(ConfigValues::lookupKey(written)));
    if (const KeyName *synonym = findKey(extraSynonyms, lookup))
        lookup = std::string(synonym->name);
    return lookup;
}

bool isIdmapBackend(std::string_view lookup)
{
    constexpr std::string_view prefix = "idmapconfig";
    constexpr std::string_view suffix = ":backend";
    return lookup.size() > prefix.size() + suffix.size() && lookup.substr(0, prefix.size()) == prefix
        && lookup.substr(lookup.size() - suffix.size()) == suffix;
}

bool restartsFor(std::string_view lookup)
{
    return findKey(restartTable, lookup) || isIdmapBackend(lookup);
}

// How a changed key is named: the canonical key of the tables above, or the key as the file
// writes it, lower-cased.
QString displayName(const std::string &written, const std::string &lookup)
{
    if (const KeyName *known = findKey(restartTable, lookup))
        return ConfigValues::decode(known->name);
    if (const KeyName *known = findKey(canonicalNames, lookup))
        return ConfigValues::decode(known->name);
    return ConfigValues::decode(written).toLower();
}

// A value without the blanks around it: a value continued from an empty first line starts with
// one, which Samba skips when it reads a boolean.
std::string_view trimmed(std::string_view value)
{
    const auto first = value.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

// Values Samba reads alike: the same text, or booleans of one meaning ("Yes", "true").
bool sameValue(const std::string &a, const std::string &b)
{
    if (a == b)
        return true;
    const std::string_view boolA = trimmed(a);
    const std::string_view boolB = trimmed(b);
    return ConfigValues::isBool(boolA) && ConfigValues::isBool(boolB)
        && ConfigValues::parseBool(boolA) == ConfigValues::parseBool(boolB);
}

bool sameEntries(const ConfigTables::Section &a, const ConfigTables::Section &b)
{
    const std::vector<ConfigTables::Entry> entries = a.entries();
    if (entries.size() != b.entries().size())
        return false;
    return std::all_of(entries.begin(), entries.end(), [&b](const ConfigTables::Entry &entry) {
        const auto other = b.find(entry.key);
        return other && sameValue(entry.value, other->value);
    });
}

// The parameters of a share in one string, equal exactly when sameEntries() holds: keys sorted,
// booleans by meaning. Lines read end before a NUL byte, so NUL separates safely.
std::string signatureOf(const ConfigTables::Section &section)
{
    const std::vector<ConfigTables::Entry> all = section.entries();
    std::vector<const ConfigTables::Entry *> entries;
    entries.reserve(all.size());
    for (const ConfigTables::Entry &entry : all)
        entries.push_back(&entry);
    std::sort(entries.begin(), entries.end(),
              [](const ConfigTables::Entry *a, const ConfigTables::Entry *b) { return a->key < b->key; });
    std::string signature;
    for (const ConfigTables::Entry *entry : entries) {
        signature += entry->key;
        signature += '\0';
        if (ConfigValues::isBool(trimmed(entry->value)))
            signature += ConfigValues::parseBool(trimmed(entry->value)) ? "\1yes" : "\1no";
        else
            signature += entry->value;
        signature += '\0';
    }
    return signature;
}

bool isShare(const ConfigTables::Section &section)
{
    // Samba ignores a section without parameters.
    return section.key != "global" && section.hasParameters();
}

const ConfigTables::Section *shareIn(const ConfigTables &tables, const std::string &key)
{
    const ConfigTables::Section *section = tables.find(key);
    return section && isShare(*section) ? section : nullptr;
}

// The [global] parameters as Samba reads them, from every run of [global] (any spelling) and
// the lines before the first header: the last value of a key wins, keys in order of first use.
struct Globals
{
    struct Parameter
    {
        std::string value;
        std::string written; // the key as its last line writes it
    };
    std::vector<std::string> order;
    std::unordered_map<std::string, Parameter> parameters;
};

Globals globalsOf(const ConfigDocument &document, const ConfigTables &tables)
{
    Globals globals;
    const ConfigTables::Section *global = tables.global();
    if (!global)
        return globals;
    for (const ConfigTables::Occurrence &run : global->occurrences) {
        const std::size_t first = run.header == ConfigTables::noHeader ? 0 : run.header + 1;
        for (std::size_t i = first; i < run.end; ++i) {
            if (document.line(i).kind != ConfigLine::Parameter)
                continue;
            std::string written = document.name(i);
            std::string value = document.value(i);
            if (ConfigValues::isWritableFamily(ConfigValues::lookupKey(written)))
                value = ConfigValues::invertBool(trimmed(value));
            std::string key = canonicalLookup(written);
            auto [position, inserted] = globals.parameters.try_emplace(key);
            if (inserted)
                globals.order.push_back(std::move(key));
            position->second = {std::move(value), std::move(written)};
        }
    }
    return globals;
}

QStringList changedGlobalsBetween(const Globals &before, const Globals &after)
{
    QStringList changed;
    for (const std::string &key : after.order) {
        const Globals::Parameter &now = after.parameters.at(key);
        const auto old = before.parameters.find(key);
        if (old == before.parameters.end() || !sameValue(old->second.value, now.value))
            changed << displayName(now.written, key);
    }
    for (const std::string &key : before.order) {
        if (!after.parameters.count(key))
            changed << displayName(before.parameters.at(key).written, key);
    }
    return changed;
}

QString shareName(const ConfigTables::Section &section)
{
    return ConfigValues::decode(section.name);
}

// Names at most three items of a kind, then how many more there are.
void appendItems(QStringList &summary, const QStringList &items, const QString &noun, const QString &nouns,
                 const QString &verb)
{
    constexpr int named = 3;
    if (items.size() <= named) {
        summary << items;
        return;
    }
    summary << items.mid(0, named);
    const int more = items.size() - named;
    summary << QStringLiteral("and %1 more %2 %3").arg(more).arg(more == 1 ? noun : nouns, verb);
}

} // namespace

namespace {

// The keys of the sections that own a line from first up to and including last: the section
// of the nearest header at or before first, and of every header up to last.
void addOwners(const ConfigDocument &document, std::size_t first, std::size_t last,
               std::unordered_set<std::string> &keys)
{
    std::size_t header = first;
    while (header > 0 && document.line(header).kind != ConfigLine::Section)
        --header;
    if (document.line(header).kind != ConfigLine::Section)
        keys.insert("global");
    for (std::size_t i = header; i <= last && i < document.readLines(); ++i) {
        if (document.line(i).kind == ConfigLine::Section)
            keys.insert(ConfigValues::sectionKey(document.name(i)));
    }
}

// The sections whose lines may differ: those owning a line between the lines both documents
// begin and end with. Every other section has the same lines in the same order in both, and
// so the same values. Null when every section is to be compared.
std::unique_ptr<std::unordered_set<std::string>> touchedSections(const ConfigDocument &before,
                                                                 const ConfigDocument &after)
{
    if (before.readLines() != before.lineCount() || after.readLines() != after.lineCount()
        || before.lineCount() == 0 || after.lineCount() == 0)
        return nullptr;
    const std::size_t common = std::min(before.lineCount(), after.lineCount());
    std::size_t head = 0;
    while (head < common && before.text(head) == after.text(head))
        ++head;
    std::size_t tail = 0;
    while (tail < common - head
           && before.text(before.lineCount() - 1 - tail) == after.text(after.lineCount() - 1 - tail))
        ++tail;
    auto keys = std::make_unique<std::unordered_set<std::string>>();
    // Up to the first line of the common end: its section is the one of the last header before it.
    addOwners(before, std::min(head, before.lineCount() - 1), before.lineCount() - 1 - (tail ? tail - 1 : 0),
              *keys);
    addOwners(after, std::min(head, after.lineCount() - 1), after.lineCount() - 1 - (tail ? tail - 1 : 0),
              *keys);
    return keys;
}

// The sections of tables to compare, in file order of their first run.
std::vector<const ConfigTables::Section *> sectionsToCompare(const ConfigTables &tables,
                                                             const std::unordered_set<std::string> *touched)
{
    std::vector<const ConfigTables::Section *> sections;
    if (!touched) {
        for (const ConfigTables::Section &section : tables.sections())
            sections.push_back(&section);
        return sections;
    }
    for (const std::string &key : *touched) {
        if (const ConfigTables::Section *section = tables.find(key))
            sections.push_back(section);
    }
    std::sort(sections.begin(), sections.end());
    return sections;
}

} // namespace

ConfigChanges ConfigChanges::between(const std::string &before, const std::string &after)
{
    ConfigDocument beforeDocument;
    ConfigDocument afterDocument;
    beforeDocument.load(before);
    afterDocument.load(after);
    ConfigTables beforeTables;
    ConfigTables afterTables;
    beforeTables.build(beforeDocument);
    afterTables.build(afterDocument);
    return between(beforeDocument, beforeTables, afterDocument, afterTables);
}

ConfigChanges ConfigChanges::between(const ConfigDocument &beforeDocument, const ConfigTables &beforeTables,
                                     const ConfigDocument &afterDocument, const ConfigTables &afterTables)
{
    ConfigChanges changes;
    if (beforeDocument.bytes() == afterDocument.bytes())
        return changes;
    const auto touched = touchedSections(beforeDocument, afterDocument);

    std::vector<const ConfigTables::Section *> added;
    for (const ConfigTables::Section *section : sectionsToCompare(afterTables, touched.get())) {
        if (!isShare(*section))
            continue;
        const ConfigTables::Section *old = shareIn(beforeTables, section->key);
        if (!old)
            added.push_back(section);
        else if (!sameEntries(*old, *section))
            changes.changedShares << shareName(*section);
    }

    // A share gone whose parameters turn up under a new name was renamed; shares alike pair
    // up in file order.
    std::unordered_map<std::string, std::vector<const ConfigTables::Section *>> removedBySignature;
    std::vector<const ConfigTables::Section *> removed;
    for (const ConfigTables::Section *section : sectionsToCompare(beforeTables, touched.get())) {
        if (isShare(*section) && !shareIn(afterTables, section->key)) {
            removed.push_back(section);
            if (!added.empty())
                removedBySignature[signatureOf(*section)].push_back(section);
        }
    }
    std::unordered_set<const ConfigTables::Section *> renamedFrom;
    for (auto &entry : removedBySignature)
        std::reverse(entry.second.begin(), entry.second.end()); // taken from the back: first in file first
    for (const ConfigTables::Section *section : added) {
        const auto match = removedBySignature.empty() ? removedBySignature.end()
                                                      : removedBySignature.find(signatureOf(*section));
        if (match == removedBySignature.end() || match->second.empty()) {
            changes.addedShares << shareName(*section);
            continue;
        }
        const ConfigTables::Section *old = match->second.back();
        match->second.pop_back();
        renamedFrom.insert(old);
        changes.renamedShares << qMakePair(shareName(*old), shareName(*section));
    }
    for (const ConfigTables::Section *section : removed) {
        if (!renamedFrom.count(section))
            changes.removedShares << shareName(*section);
    }

    changes.changedGlobals =
        changedGlobalsBetween(globalsOf(beforeDocument, beforeTables), globalsOf(afterDocument, afterTables));
    return changes;
}

bool ConfigChanges::isEmpty() const
{
    return addedShares.isEmpty() && removedShares.isEmpty() && renamedShares.isEmpty()
        && changedShares.isEmpty() && changedGlobals.isEmpty();
}

QString ConfigChanges::summary() const
{
    if (isEmpty())
        return QStringLiteral("no change");
    const QString share = QStringLiteral("share");
    const QString shares = QStringLiteral("shares");
    const auto describe = [](const QStringList &names, const QString &text) {
        QStringList items;
        for (const QString &name : names)
            items << text.arg(name);
        return items;
    };
    QStringList renamed;
    for (const auto &[from, to] : renamedShares)
        renamed << QStringLiteral("share %1 renamed to %2").arg(from, to);

    QStringList summary;
    appendItems(summary, describe(addedShares, QStringLiteral("share %1 added")), share, shares,
                QStringLiteral("added"));
    appendItems(summary, renamed, share, shares, QStringLiteral("renamed"));
    appendItems(summary, describe(changedShares, QStringLiteral("share %1 changed")), share, shares,
                QStringLiteral("changed"));
    appendItems(summary, describe(changedGlobals, QStringLiteral("%1 changed")), QStringLiteral("setting"),
                QStringLiteral("settings"), QStringLiteral("changed"));
    appendItems(summary, describe(removedShares, QStringLiteral("share %1 removed")), share, shares,
                QStringLiteral("removed"));
    return summary.join(QStringLiteral("; "));
}

QStringList ConfigChanges::restartParameters() const
{
    QStringList keys;
    for (const QString &key : changedGlobals) {
        if (needsRestart(key))
            keys << key;
    }
    return keys;
}

bool ConfigChanges::needsRestart(const QString &key)
{
    return restartsFor(canonicalLookup(ConfigValues::encode(key)));
}
