#include "configchanges.h"

#include "configdocument.h"
#include "configparser.h"
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

// The parameters of a share in one string, equal exactly when both hold the same keys with
// values Samba reads alike: keys sorted, booleans by meaning. Lines read end before a NUL
// byte, so NUL separates safely.
std::string signatureOf(const ConfigTables::Section &section)
{
    std::vector<ConfigTables::Entry> entries = section.entries();
    std::sort(entries.begin(), entries.end(),
              [](const ConfigTables::Entry &a, const ConfigTables::Entry &b) { return a.key < b.key; });
    std::string signature;
    for (const ConfigTables::Entry &entry : entries) {
        signature += entry.key;
        signature += '\0';
        if (ConfigValues::isBool(trimmed(entry.value)))
            signature += ConfigValues::parseBool(trimmed(entry.value)) ? "\1yes" : "\1no";
        else
            signature += entry.value;
        signature += '\0';
    }
    return signature;
}

// The [global] parameters as Samba reads them, from every run of [global] (any spelling) and
// the lines before the first header: the last value of a key wins, keys in order of first use.
struct GlobalValues
{
    struct Parameter
    {
        std::string value;
        std::string written; // the key as its last line writes it
    };
    std::vector<std::string> order;
    std::unordered_map<std::string, Parameter> parameters;
};

GlobalValues globalsOf(const ConfigDocument &document, const ConfigTables &tables)
{
    GlobalValues globals;
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

QStringList changedGlobalsBetween(const GlobalValues &before, const GlobalValues &after)
{
    QStringList changed;
    for (const std::string &key : after.order) {
        const GlobalValues::Parameter &now = after.parameters.at(key);
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

// Whether the physical line that ends just before end (its line feed at end - 1) ends in a
// backslash, whitespace aside: Samba then joins the line after it.
bool continuesInto(std::string_view text, std::size_t end)
{
    std::size_t last = end - 1; // the line feed
    while (last > 0 && ConfigParser::isSpace(text[last - 1]) && text[last - 1] != '\n')
        --last;
    return last > 0 && text[last - 1] == '\\';
}

// The sections whose lines may differ: those owning a line between the bytes both texts
// begin and end with. Every other section has the same lines in the same order in both, and
// so the same values. False when every section is to be compared.
// Where the two texts differ: lines [first, end) of the text before, bytes [afterBegin,
// afterEnd) of the text after; what comes before and after is the same in both.
struct Region
{
    std::size_t first = 0;
    std::size_t end = 0;
    std::size_t afterBegin = 0;
    std::size_t afterEnd = 0;
};

bool findTouched(const ConfigDocument &before, std::string_view after, std::unordered_set<std::string> &keys,
                 Region &region)
{
    const std::string_view old = before.bytes();
    if (before.lineCount() == 0 || before.readLines() != before.lineCount()
        || after.find('\0') != std::string_view::npos)
        return false;
    const std::size_t common = std::min(old.size(), after.size());
    std::size_t head = 0;
    while (head < common && old[head] == after[head])
        ++head;
    std::size_t tail = 0;
    while (tail < common - head && old[old.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    // The logical line holding the first byte that differs starts alike in both: what comes
    // before it is the same.
    const auto lineAfter = [&before](std::size_t offset) {
        std::size_t low = 0;
        std::size_t high = before.lineCount();
        while (low < high) {
            const std::size_t middle = (low + high) / 2;
            if (before.line(middle).begin <= offset)
                low = middle + 1;
            else
                high = middle;
        }
        return low; // the first line beginning after offset
    };
    const std::size_t first = lineAfter(head) - 1;
    // The first line of the common end that starts after a line feed of the common end; in
    // the text after, the line before it must not be joined to it.
    const std::size_t end = lineAfter(old.size() - tail);
    std::size_t afterEnd = after.size();
    if (end < before.lineCount()) {
        afterEnd = after.size() - (old.size() - before.line(end).begin);
        if (continuesInto(after, afterEnd))
            return false;
    }
    const std::size_t afterBegin = before.line(first).begin;
    region = {first, end, afterBegin, afterEnd};
    // From the line before: in the text after, the lines from first on may belong to its section.
    addOwners(before, first > 0 ? first - 1 : 0, std::min(end, before.lineCount() - 1), keys);
    // The headers of the text after between the same two points: read on their own, its lines
    // are the lines of the text after.
    ConfigDocument lines;
    lines.load(std::string(after.substr(afterBegin, afterEnd - afterBegin)));
    for (std::size_t i = 0; i < lines.lineCount(); ++i) {
        if (lines.line(i).kind == ConfigLine::Section)
            keys.insert(ConfigValues::sectionKey(lines.name(i)));
    }
    return true;
}

} // namespace

namespace {

// What a text says of the shares and [global] that are compared.
struct State
{
    struct Share
    {
        std::size_t order; // in file order of first runs
        std::string key;
        QString name;
        std::string signature;
    };
    std::vector<Share> shares;
    std::unique_ptr<GlobalValues> globals; // null when [global] is not compared
};

// Of the sections with a key in touched, or of all when touched is null.
State stateOf(const ConfigDocument &document, const ConfigTables &tables,
              const std::unordered_set<std::string> *touched)
{
    State state;
    const auto add = [&](const ConfigTables::Section &section) {
        if (section.isShare())
            state.shares.push_back(
                {tables.indexOf(&section), section.key, shareName(section), signatureOf(section)});
    };
    if (!touched) {
        for (const ConfigTables::Section &section : tables.sections())
            add(section);
    } else {
        for (const std::string &key : *touched) {
            if (const ConfigTables::Section *section = tables.find(key))
                add(*section);
        }
        std::sort(state.shares.begin(), state.shares.end(),
                  [](const State::Share &a, const State::Share &b) { return a.order < b.order; });
    }
    if (!touched || touched->count("global"))
        state.globals = std::make_unique<GlobalValues>(globalsOf(document, tables));
    return state;
}

// The lines of the text after that belong to the touched sections, in their order: the runs of
// those sections before and after the region, taken from the text before where both texts are
// the same, and the region itself. Every line keeps the header it has in the text after, so the
// sections read from it are the text after's.
std::string touchedText(const ConfigDocument &before, const ConfigTables &tables, std::string_view after,
                        const Region &region, const std::unordered_set<std::string> &touched)
{
    const std::size_t lines = before.lineCount();
    const std::string_view old = before.bytes();
    const auto offset = [&](std::size_t line) {
        return line < lines ? before.line(line).begin : old.size();
    };
    std::vector<std::pair<std::size_t, std::size_t>> head;
    std::vector<std::pair<std::size_t, std::size_t>> tail;
    for (const std::string &key : touched) {
        const ConfigTables::Section *section = tables.find(key);
        if (!section)
            continue;
        for (const ConfigTables::Occurrence &run : section->occurrences) {
            const std::size_t begin = run.header == ConfigTables::noHeader ? 0 : run.header;
            if (begin < region.first)
                head.emplace_back(offset(begin), offset(std::min(run.end, region.first)));
            if (run.end > region.end)
                tail.emplace_back(offset(std::max(begin, region.end)), offset(run.end));
        }
    }
    std::sort(head.begin(), head.end());
    std::sort(tail.begin(), tail.end());
    std::string text;
    for (const auto &[from, to] : head)
        text.append(old.substr(from, to - from));
    text.append(after.substr(region.afterBegin, region.afterEnd - region.afterBegin));
    for (const auto &[from, to] : tail)
        text.append(old.substr(from, to - from));
    return text;
}

ConfigChanges compare(const State &before, const State &after)
{
    ConfigChanges changes;
    std::unordered_map<std::string_view, const State::Share *> old;
    for (const State::Share &share : before.shares)
        old.emplace(share.key, &share);
    std::unordered_set<std::string_view> stays;
    std::vector<const State::Share *> added;
    for (const State::Share &share : after.shares) {
        stays.insert(share.key);
        const auto found = old.find(share.key);
        if (found == old.end())
            added.push_back(&share);
        else if (found->second->signature != share.signature)
            changes.changedShares << share.name;
    }

    // A share gone whose parameters turn up under a new name was renamed; shares alike pair
    // up in file order.
    std::unordered_map<std::string_view, std::vector<const State::Share *>> removedBySignature;
    std::vector<const State::Share *> removed;
    for (const State::Share &share : before.shares) {
        if (!stays.count(share.key)) {
            removed.push_back(&share);
            if (!added.empty())
                removedBySignature[share.signature].push_back(&share);
        }
    }
    std::unordered_set<const State::Share *> renamedFrom;
    for (auto &entry : removedBySignature)
        std::reverse(entry.second.begin(), entry.second.end()); // taken from the back: first in file first
    for (const State::Share *share : added) {
        const auto match = removedBySignature.find(share->signature);
        if (match == removedBySignature.end() || match->second.empty()) {
            changes.addedShares << share->name;
            continue;
        }
        const State::Share *from = match->second.back();
        match->second.pop_back();
        renamedFrom.insert(from);
        changes.renamedShares << qMakePair(from->name, share->name);
    }
    for (const State::Share *share : removed) {
        if (!renamedFrom.count(share))
            changes.removedShares << share->name;
    }
    if (before.globals && after.globals)
        changes.changedGlobals = changedGlobalsBetween(*before.globals, *after.globals);
    return changes;
}

} // namespace

ConfigChanges ConfigChanges::between(const ConfigDocument &before, const ConfigTables &beforeTables,
                                     std::string_view after)
{
    if (before.bytes() == after)
        return ConfigChanges();
    std::unordered_set<std::string> touched;
    Region region;
    ConfigDocument document;
    ConfigTables tables;
    if (!findTouched(before, after, touched, region)) {
        document.load(std::string(after));
        tables.build(document);
        return compare(stateOf(before, beforeTables, nullptr), stateOf(document, tables, nullptr));
    }
    // Only what the touched sections hold of the text after is read: an edit of one share in
    // a large file reads a few lines, not the file again.
    document.load(touchedText(before, beforeTables, after, region, touched));
    tables.build(document);
    return compare(stateOf(before, beforeTables, &touched), stateOf(document, tables, &touched));
}

ConfigChanges ConfigChanges::between(const std::string &before, const std::string &after)
{
    ConfigDocument document;
    ConfigTables tables;
    document.load(before);
    tables.build(document);
    return between(document, tables, after);
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
