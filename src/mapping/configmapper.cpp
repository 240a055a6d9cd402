#include "configmapper.h"

#include "acltdb.h"
#include "aclxattr.h"
#include "audit.h"
#include "configdocument.h"
#include "configfileinstaller.h"
#include "fullaudit.h"
#include "testparm.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <stdexcept>
#include <unordered_set>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Audit", text);
}

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A line break in a value or a section name would add lines of its own to smb.conf:
// parameters nobody chose, or a new section.
void refuseLineBreak(std::string_view key, const std::string &value)
{
    if (hasLineBreak(value))
        fail(tr("The value of \"%1\" contains a line break and cannot be written to smb.conf.")
                 .arg(QString::fromUtf8(key.data(), static_cast<int>(key.size()))));
}

void refuseSectionName(const QString &name)
{
    if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
        fail(tr("The share name \"%1\" contains a line break and cannot be written to smb.conf.")
                 .arg(QString(name)
                          .replace(QLatin1Char('\n'), QLatin1Char(' '))
                          .replace(QLatin1Char('\r'), QLatin1Char(' '))));
}

char lowerByte(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lower(const std::string &text)
{
    std::string result = text;
    std::transform(result.begin(), result.end(), result.begin(), lowerByte);
    return result;
}

void lowerInto(std::string &out, const std::string &text)
{
    out.resize(text.size());
    std::transform(text.begin(), text.end(), out.begin(), lowerByte);
}

// Whether key, lower-cased byte-wise, equals an already lower-cased key.
bool equalsLowered(std::string_view key, std::string_view lowerKey)
{
    if (key.size() != lowerKey.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (lowerByte(key[i]) != lowerKey[i])
            return false;
    }
    return true;
}

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Whether a record's name is the section name bytes decoded.
bool namedAs(const std::string &bytes, const QString &name)
{
    if (static_cast<std::size_t>(name.size()) != bytes.size() || name.isEmpty())
        return !name.isEmpty() && QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size())) == name;
    const QChar *characters = name.constData();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x80)
            return QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size())) == name;
        if (characters[i].unicode() != byte)
            return false;
    }
    return true;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Samba does not count trailing whitespace (blanks, TABs, the CR of a CRLF file) as
// part of a value.
std::string_view trimTrailing(std::string_view value)
{
    std::size_t end = value.size();
    while (end > 0 && isSpace(value[end - 1]))
        --end;
    return value.substr(0, end);
}

QString decode(std::string_view bytes)
{
    // ASCII, the usual case, needs no UTF-8 decoder.
    if (isAscii(bytes))
        return QString::fromLatin1(bytes.data(), static_cast<int>(bytes.size()));
    return QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size()));
}

std::string encode(const QString &text)
{
    // Most texts of smb.conf are ASCII: skip the UTF-8 encoder's temporary for them.
    std::string bytes(static_cast<std::size_t>(text.size()), '\0');
    const QChar *characters = text.constData();
    for (int i = 0; i < text.size(); ++i) {
        const ushort unit = characters[i].unicode();
        if (unit >= 0x80)
            return text.toStdString();
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(unit);
    }
    return bytes;
}

// A bit for a key, equal for keys equal without regard to case.
std::uint64_t keyBit(std::string_view key)
{
    if (key.empty())
        return 1;
    // Setting bit 5 lower-cases ASCII letters; keys equal without regard to case stay
    // equal (other bytes may collide, which only costs a look at the lines).
    const unsigned first = static_cast<unsigned char>(key.front()) | 0x20u;
    const unsigned last = static_cast<unsigned char>(key.back()) | 0x20u;
    return std::uint64_t(1) << (((static_cast<unsigned>(key.size()) * 131u + first) * 131u + last) % 64);
}

const char *yesNo(bool value)
{
    return value ? "yes" : "no";
}

const char *trueFalse(bool value)
{
    return value ? "true" : "false";
}

QStringList splitWords(const QString &text)
{
    static const QRegularExpression whitespace(QStringLiteral("[[:space:]]+"));
    return text.split(whitespace, Qt::SkipEmptyParts);
}

const std::vector<std::string> &moduleOptionKeys()
{
    static const std::vector<std::string> keys{
        "audit:facility",
        "audit:priority",
        "full_audit:prefix",
        "full_audit:success",
        "full_audit:failure",
        "full_audit:facility",
        "full_audit:priority",
        "full_audit:syslog",
        "full_audit:log_secdesc",
        "acl_tdb:ignore system acls",
        "acl_tdb:default acl style",
        "acl_xattr:ignore system acls",
        "acl_xattr:default acl style",
    };
    return keys;
}

// The nine ACL options with their record fields, in the order they are written.
struct AclOption
{
    const char *key;
    bool (Share::*get)() const;
    void (Share::*set)(bool);
};

const std::vector<AclOption> &aclOptions()
{
    static const std::vector<AclOption> options{
        {"nt acl support", &Share::ntAclSupport, &Share::setNtAclSupport},
        {"inherit acls", &Share::inheritAcls, &Share::setInheritAcls},
        {"map acl inherit", &Share::mapAclInherit, &Share::setMapAclInherit},
        {"dos filemode", &Share::dosFilemode, &Share::setDosFilemode},
        {"store dos attributes", &Share::storeDosAttributes, &Share::setStoreDosAttributes},
        {"acl allow execute always", &Share::aclAllowExecuteAlways, &Share::setAclAllowExecuteAlways},
        {"acl group control", &Share::aclGroupControl, &Share::setAclGroupControl},
        {"acl map full control", &Share::aclMapFullControl, &Share::setAclMapFullControl},
        {"force unknown acl user", &Share::forceUnknownAclUser, &Share::setForceUnknownAclUser},
    };
    return options;
}

bool isWritableFamily(std::string_view lowerKey)
{
    return lowerKey == "writable" || lowerKey == "write ok" || lowerKey == "writeable";
}

} // namespace

namespace {
constexpr std::size_t scanLimit = 32;
}

const ConfigMapper::Entry *ConfigMapper::Section::find(std::string_view key) const
{
    if ((keyBit(key) & keys) == 0)
        return nullptr;
    if (index) {
        auto found = index->find(std::string(key));
        return found == index->end() ? nullptr : &entries[found->second];
    }
    for (const Entry &entry : entries) {
        if (entry.key == key)
            return &entry;
    }
    return nullptr;
}

void ConfigMapper::Section::set(Entry entry)
{
    // A later line wins over an earlier one with the same canonical key.
    if (const Entry *existing = find(entry.key)) {
        entries[static_cast<std::size_t>(existing - entries.data())] = std::move(entry);
        return;
    }
    keys |= keyBit(entry.key);
    entries.push_back(std::move(entry));
    if (index) {
        index->emplace(entries.back().key, entries.size() - 1);
    } else if (entries.size() > scanLimit) {
        index = std::make_unique<std::unordered_map<std::string, std::size_t>>();
        for (std::size_t i = 0; i < entries.size(); ++i)
            index->emplace(entries[i].key, i);
    }
}

ConfigMapper::ConfigMapper(ConfigDocument &document, const QString &path, const QString &testparmProgram)
    : m_document(document)
    , m_path(path)
    , m_testparmProgram(testparmProgram)
{
}

QString ConfigMapper::temporaryPath() const
{
    return ConfigFileInstaller(m_path).temporaryPath();
}

namespace {

// Each canonical key with its other spellings.
struct Spellings
{
    std::string canonical;
    std::vector<std::string> synonyms;
    std::vector<std::string> all; // the synonyms, then the canonical key
    std::uint64_t synonymBits = 0;
    std::uint64_t allBits = 0;
};

const std::vector<Spellings> &spellingTable()
{
    static const std::vector<Spellings> table = [] {
        std::vector<Spellings> entries{
            {"path", {"directory"}, {}},
            {"read only", {"writable", "write ok", "writeable"}, {}},
            {"browseable", {"browsable"}, {}},
            {"create mask", {"create mode"}, {}},
            {"directory mask", {"directory mode"}, {}},
            {"guest ok", {"public"}, {}},
            {"guest only", {"only guest"}, {}},
            {"printable", {"print ok"}, {}},
            {"vfs objects", {"vfs object"}, {}},
        };
        for (Spellings &entry : entries) {
            entry.all = entry.synonyms;
            entry.all.push_back(entry.canonical);
            for (const std::string &synonym : entry.synonyms)
                entry.synonymBits |= keyBit(synonym);
            entry.allBits = entry.synonymBits | keyBit(entry.canonical);
        }
        return entries;
    }();
    return table;
}

const Spellings *spellingsOf(std::string_view canonical)
{
    static const std::uint64_t canonicalBits = [] {
        std::uint64_t bits = 0;
        for (const Spellings &entry : spellingTable())
            bits |= keyBit(entry.canonical);
        return bits;
    }();
    if ((keyBit(canonical) & canonicalBits) == 0)
        return nullptr;
    for (const Spellings &entry : spellingTable()) {
        if (entry.canonical == canonical)
            return &entry;
    }
    return nullptr;
}

// The canonical key of a lower-cased key, or null when the key is its own.
const std::string *canonicalOf(std::string_view lowerKey)
{
    // Every synonym with its canonical key, in one flat list: a lookup compares lengths
    // and first bytes before anything else.
    struct Synonym
    {
        std::string_view text;
        const std::string *canonical;
    };
    static const std::vector<Synonym> synonyms = [] {
        std::vector<Synonym> all;
        for (const Spellings &entry : spellingTable()) {
            for (const std::string &synonym : entry.synonyms)
                all.push_back({synonym, &entry.canonical});
        }
        return all;
    }();
    for (const Synonym &synonym : synonyms) {
        if (synonym.text.size() == lowerKey.size() && synonym.text.front() == lowerKey.front()
            && synonym.text == lowerKey)
            return synonym.canonical;
    }
    return nullptr;
}

} // namespace

std::string ConfigMapper::canonicalKey(const std::string &lowerKey)
{
    const std::string *canonical = canonicalOf(lowerKey);
    return canonical ? *canonical : lowerKey;
}

const std::vector<std::string> &ConfigMapper::synonymsOf(std::string_view canonicalKey)
{
    static const std::vector<std::string> none;
    const Spellings *entry = spellingsOf(canonicalKey);
    return entry ? entry->synonyms : none;
}

std::string ConfigMapper::invertBool(const std::string &text)
{
    const std::string value = lower(text);
    if (value.empty())
        return std::string();
    if (value == "yes")
        return "no";
    if (value == "no")
        return "yes";
    if (value == "true")
        return "false";
    if (value == "false")
        return "true";
    if (value == "1")
        return "0";
    if (value == "0")
        return "1";
    return std::string();
}

bool ConfigMapper::parseBool(const std::string &text)
{
    return parseBool(std::string_view(text));
}

bool ConfigMapper::parseBool(std::string_view text)
{
    return equalsLowered(text, "yes") || equalsLowered(text, "true") || text == "1";
}

bool ConfigMapper::parseBool(const QString &text)
{
    return parseBool(encode(text));
}

namespace {

// The first eight bytes of a name as one number: ordering by it, then by the whole name,
// is byte order, and the number settles most comparisons.
std::uint64_t prefixOf(const std::string &name)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0u);
    return prefix;
}

} // namespace

void ConfigMapper::sortTables() const
{
    if (m_byNameValid)
        return;
    std::sort(m_byName.begin(), m_byName.end(), [this](std::uint32_t a, std::uint32_t b) {
        const Section &x = m_tables[a];
        const Section &y = m_tables[b];
        if (x.prefix != y.prefix)
            return x.prefix < y.prefix;
        return x.key < y.key;
    });
    m_byNameValid = true;
}

ConfigMapper::Section *ConfigMapper::section(const std::string &lowerName) const
{
    sortTables();
    const std::uint64_t prefix = prefixOf(lowerName);
    auto found = std::lower_bound(m_byName.begin(), m_byName.end(), lowerName,
                                  [this, prefix](std::uint32_t index, const std::string &name) {
                                      const Section &entry = m_tables[index];
                                      if (entry.prefix != prefix)
                                          return entry.prefix < prefix;
                                      return entry.key < name;
                                  });
    if (found == m_byName.end() || m_tables[*found].key != lowerName)
        return nullptr;
    return &m_tables[*found];
}

std::string ConfigMapper::sectionOf(const QString &recordName) const
{
    // A section name that is not UTF-8 is found by the bytes the file holds.
    if (m_decodedNames.isEmpty())
        return encode(recordName);
    auto found = m_decodedNames.constFind(recordName);
    return found == m_decodedNames.constEnd() ? encode(recordName) : *found;
}

std::string ConfigMapper::globalSection(const Share &global) const
{
    const Section *values = section(lower(sectionOf(global.originalName())));
    // Without a global section its parameters go into a new one, never outside any
    // section where the next read would count them as the last share's.
    return values ? values->name : std::string("global");
}

// ---------------------------------------------------------------------------------
// Loading

SambaSettings ConfigMapper::loadGlobal()
{
    std::string bytes;
    QString error;
    if (!ConfigFileInstaller::readFile(m_path, bytes, error))
        fail(tr("Can't open smb.conf."));
    m_document.load(bytes);
    // Kept whole: comparing bytes is exact and cheaper than hashing them.
    m_loadedBytes = std::move(bytes);
    m_pristine = true;
    m_loaded = true;

    // Tables describe the file just read: sections that are gone must not come back as
    // shares at the next loadShares.
    m_shareSections.clear();
    m_tables.clear();
    m_byName.clear();
    m_recordSections = 0;
    m_decodedNames.clear();

    // One table per lower-cased section name: sort the headers by that name (file
    // order among equal ones), then read each group in file order.
    struct Header
    {
        std::uint64_t prefix;
        std::string key;
        const ConfigElementPtr *element;
    };
    std::vector<Header> headers;
    headers.reserve(m_document.elements().size());
    for (const auto &element : m_document.elements()) {
        if (element->type() != ConfigElementBase::SectionType)
            continue;
        std::string key = lower(static_cast<const ConfigElementSection &>(*element).name());
        const std::uint64_t prefix = prefixOf(key);
        headers.push_back({prefix, std::move(key), &element});
    }
    // Sort small records, not the headers; stable, so equal names stay in file order.
    struct Order
    {
        std::uint64_t prefix;
        std::uint32_t position;
    };
    std::vector<Order> order(headers.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = {headers[i].prefix, i};
    std::stable_sort(order.begin(), order.end(), [&headers](const Order &a, const Order &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        return headers[a.position].key < headers[b.position].key;
    });

    m_tables.reserve(headers.size());
    std::string lowered;
    for (const Order &entry : order) {
        Header &next = headers[entry.position];
        const auto &header = static_cast<const ConfigElementSection &>(**next.element);
        if (m_tables.empty() || next.key != m_tables.back().key) {
            m_tables.emplace_back();
            m_tables.back().key = std::move(next.key);
            m_tables.back().prefix = next.prefix;
        }
        Section &values = m_tables.back();
        values.name = header.name();
        auto section = std::static_pointer_cast<ConfigElementSection>(*next.element);
        if (!values.header)
            values.header = std::move(section);
        else
            values.moreHeaders.push_back(std::move(section));
        const bool hadEntries = !values.entries.empty();
        values.entries.reserve(values.entries.size() + header.children().size());
        if (!isAscii(header.name()))
            m_decodedNames.insert(decode(header.name()), header.name());
        for (const auto &child : header.children()) {
            if (child->type() != ConfigElementBase::DataType)
                continue;
            const auto &data = static_cast<const ConfigElementData &>(*child);
            lowerInto(lowered, data.key());
            values.lineKeys |= keyBit(lowered);
            std::string value(trimTrailing(data.value()));
            if (isWritableFamily(lowered))
                value = invertBool(value);
            const std::string *canonical = canonicalOf(lowered);
            values.set({canonical ? *canonical : lowered, data.key(), std::move(value)});
        }
        if (!hadEntries && !values.entries.empty())
            ++m_recordSections;
    }
    m_byName.resize(m_tables.size());
    for (std::uint32_t i = 0; i < m_byName.size(); ++i)
        m_byName[i] = i;
    m_byNameValid = true;

    SambaSettings settings;
    GlobalShare &global = *settings.global();
    if (const Section *values = section("global"); values && !values->entries.empty()) {
        const QString name = decode(values->name);
        global.setOriginalName(name);
        global.setName(name);
        auto text = [values](const char *key) {
            const Entry *found = values->find(key);
            return found ? decode(found->value) : QString();
        };
        if (values->find("workgroup"))
            global.setWorkgroup(text("workgroup"));
        if (values->find("server string"))
            global.setServerString(text("server string"));

        if (const Entry *security = values->find("security")) {
            const std::string mode = lower(security->value);
            if (mode == "user")
                settings.setSecurity(values->find("map to guest") ? SambaSettings::SecurityShare
                                                                  : SambaSettings::SecurityUser);
            else if (mode == "domain")
                settings.setSecurity(SambaSettings::SecurityDomain);
            else if (mode == "ads")
                settings.setSecurity(SambaSettings::SecurityAds);
            else
                settings.setSecurity(SambaSettings::SecurityUser);
        }
        if (const Entry *realm = values->find("realm")) {
            const bool usesRealm = settings.security() == SambaSettings::SecurityUser
                || settings.security() == SambaSettings::SecurityAds;
            if (usesRealm && !realm->value.empty()) {
                global.setRealm(decode(realm->value));
                if (settings.security() == SambaSettings::SecurityUser)
                    settings.setSecurity(SambaSettings::SecurityKerberosDomain);
            }
        }
        if (const Entry *encrypt = values->find("encrypt passwords"))
            global.setEncryptPasswords(parseBool(encrypt->value));
        if (const Entry *guest = values->find("guest account"))
            global.setGuestAccount(decode(lower(guest->value)));
        if (const Entry *method = values->find("kerberos method"))
            settings.setKerberosMethod(SambaSettings::kerberosMethodFromText(decode(method->value)));

        // [global] holds the share settings that every share falls back to.
        readRecord(global, *values, Share());
        readModules(global, *values);
        readAclOptions(global, *values, global);
    }
    if (global.guestAccount().isEmpty())
        global.setGuestAccount(GlobalShare::noGuestAccount());

    m_loadedSecurity = settings.security();
    m_loadedKerberosMethod = settings.kerberosMethod();
    m_loadedRealm = global.realm();
    return settings;
}

QList<Share> ConfigMapper::loadShares(const GlobalShare &global) const
{
    // Shares come in the byte order of their lower-cased section names.
    sortTables();
    QList<Share> shares;
    shares.reserve(static_cast<int>(m_byName.size()));
    m_shareSections.clear();
    m_shareSections.reserve(m_byName.size());
    for (const std::uint32_t index : m_byName) {
        const Section &values = m_tables[index];
        if (values.key == "global" || values.entries.empty())
            continue;
        values.shareIndex = m_shareSections.size();
        m_shareSections.push_back(&values);
        // Filled in place: a Share is large and the list holds it on the heap anyway.
        shares.append(Share(decode(values.name)));
        Share &share = shares.last();
        share.setName(share.originalName());
        readRecord(share, values, global);
        if (!values.find("comment"))
            share.setComment(global.serverString());
        if (const Entry *users = values.find("valid users"))
            share.setValidUsers(splitWords(decode(users->value)));
        if (const Entry *writers = values.find("write list")) {
            const WriteList list = parseWriteList(decode(writers->value));
            share.setWriteListEverybody(list.everybody);
            share.setWriteList(list.names);
        }
        readModules(share, values);
        readAclOptions(share, values, global);
    }
    return shares;
}

void ConfigMapper::readRecord(Share &record, const Section &values, const Share &fallback) const
{
    auto text = [&values](const char *key, const QString &otherwise) {
        const Entry *found = values.find(key);
        return found ? decode(found->value) : otherwise;
    };
    auto flag = [&values](const char *key, bool otherwise) {
        const Entry *found = values.find(key);
        return found ? parseBool(found->value) : otherwise;
    };
    if (values.find("comment"))
        record.setComment(text("comment", QString()));
    record.setPath(text("path", fallback.path()));
    record.setReadOnly(flag("read only", fallback.readOnly()));
    record.setGuestOk(flag("guest ok", fallback.guestOk()));
    record.setPrintable(flag("printable", fallback.printable()));
    record.setGuestOnly(flag("guest only", fallback.guestOnly()));
    record.setBrowseable(flag("browseable", fallback.browseable()));
    record.setCreateMask(text("create mask", fallback.createMask()));
}

ConfigMapper::WriteList ConfigMapper::parseWriteList(const QString &value)
{
    WriteList list;
    QString text = value;
    if (text.startsWith(QLatin1Char('@')) && text != QLatin1String("@everybody"))
        text.remove(0, 1);
    const QStringList parts = splitWords(text);
    if (!parts.isEmpty() && parts.first() == QLatin1String("@everybody"))
        list.everybody = true;
    else
        list.names = parts;
    return list;
}

void ConfigMapper::readModules(Share &record, const Section &values) const
{
    const Entry *objects = values.find("vfs objects");
    if (!objects)
        return;
    const Section *global = section("global");
    // An option set in the share wins; otherwise [global]'s applies.
    auto option = [&values, global](const char *key) -> const Entry * {
        if (const Entry *own = values.find(key))
            return own;
        return global ? global->find(key) : nullptr;
    };
    for (const QString &word : splitWords(decode(objects->value))) {
        std::shared_ptr<VFSModule> module = VFSModule::create(word);
        if (auto full = std::dynamic_pointer_cast<FullAudit>(module)) {
            if (const Entry *e = option("full_audit:prefix"))
                full->setPrefix(decode(e->value));
            if (const Entry *e = option("full_audit:success"))
                full->setSuccessOperations(parseOperationSet(decode(e->value)));
            if (const Entry *e = option("full_audit:failure"))
                full->setFailureOperations(parseOperationSet(decode(e->value)));
            if (const Entry *e = option("full_audit:facility"))
                full->setFacility(Syslog::Facility(decode(e->value)));
            if (const Entry *e = option("full_audit:priority"))
                full->setPriority(Syslog::Priority(decode(e->value)));
            if (const Entry *e = option("full_audit:syslog"))
                full->setSyslog(parseBool(e->value));
            if (const Entry *e = option("full_audit:log_secdesc"))
                full->setLogSecDesc(parseBool(e->value));
        } else if (auto audit = std::dynamic_pointer_cast<Audit>(module)) {
            if (const Entry *e = option("audit:facility"))
                audit->setFacility(Syslog::Facility(decode(e->value)));
            if (const Entry *e = option("audit:priority"))
                audit->setPriority(Syslog::Priority(decode(e->value)));
        } else if (auto acl = std::dynamic_pointer_cast<ACL>(module)) {
            const std::string prefix = encode(acl->name()) + ':';
            if (const Entry *e = option((prefix + "ignore system acls").c_str()))
                acl->setIgnoreSystemAcls(parseBool(e->value));
            if (const Entry *e = option((prefix + "default acl style").c_str()))
                acl->setDefaultAclStyle(decode(e->value).toLower());
            record.setAclByDefault(false);
        }
        record.addVfsModule(module);
    }
}

void ConfigMapper::readAclOptions(Share &record, const Section &values, const Share &fallback) const
{
    const auto &options = aclOptions();
    static const std::uint64_t aclBits = [] {
        std::uint64_t bits = 0;
        for (const AclOption &option : aclOptions())
            bits |= keyBit(option.key);
        return bits;
    }();
    if ((values.keys & aclBits) == 0) {
        // None of the options here: every one comes from the fallback.
        if (&record != &fallback) {
            for (const AclOption &option : options)
                (record.*option.set)((fallback.*option.get)());
        }
        return;
    }
    // The fallback may be the record itself: read every value before setting any.
    bool settings[9];
    bool anySet = false;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const Entry *found = values.find(options[i].key);
        settings[i] = found ? parseBool(found->value) : (fallback.*options[i].get)();
        anySet = anySet || found;
    }
    for (std::size_t i = 0; i < options.size(); ++i)
        (record.*options[i].set)(settings[i]);
    if (anySet)
        record.setAclByDefault(false);
}

// ---------------------------------------------------------------------------------
// Key operations

ConfigMapper::Target ConfigMapper::target(const std::string &name) const
{
    Target t;
    t.name = name;
    t.table = section(lower(name));
    refresh(t);
    return t;
}

ConfigMapper::Target ConfigMapper::target(const std::string &name, const Section *table,
                                          bool trustHeader) const
{
    if (!trustHeader || !table || !table->header || !table->moreHeaders.empty()
        || table->header->name() != name)
        return target(name);
    Target t;
    t.name = name;
    t.table = table;
    t.section = table->header.get();
    // Until the first write the section holds exactly the lines it was read with.
    if (m_pristine)
        t.keys = table->lineKeys;
    else
        collectKeys(t);
    return t;
}

void ConfigMapper::collectKeys(Target &t)
{
    t.keys = 0;
    if (t.several) {
        t.keys = ~std::uint64_t(0);
        return;
    }
    if (!t.section)
        return;
    for (const auto &child : t.section->children()) {
        if (child->type() == ConfigElementBase::DataType)
            t.keys |= keyBit(static_cast<const ConfigElementData &>(*child).key());
    }
}

void ConfigMapper::refresh(Target &t) const
{
    t.section = nullptr;
    t.several = false;
    m_document.elements().forEachSection(t.name, [&t](ConfigElementSection &found) {
        if (t.section)
            t.several = true;
        t.section = &found;
    });
    if (t.several) // the first in file order is the one setValue writes to
        t.section = m_document.findSection(t.name).get();
    collectKeys(t);
}

void ConfigMapper::removeKeys(Target &t, const std::vector<std::string> &keys, std::uint64_t bits)
{
    removeKeys(t, keys.data(), keys.size(), bits);
}

void ConfigMapper::removeKeys(Target &t, const std::string *keys, std::size_t count, std::uint64_t bits)
{
    if (bits == 0) {
        for (std::size_t i = 0; i < count; ++i)
            bits |= keyBit(keys[i]);
    }
    if ((bits & t.keys) == 0)
        return; // none of them is there
    auto strip = [keys, count](ConfigElementSection &section) {
        auto &children = section.children();
        children.erase(
            std::remove_if(children.begin(), children.end(),
                           [keys, count](const ConfigElementPtr &child) {
                               if (child->type() != ConfigElementBase::DataType)
                                   return false;
                               const std::string &key = static_cast<const ConfigElementData &>(*child).key();
                               return std::any_of(keys, keys + count, [&key](const std::string &k) {
                                   return equalsLowered(key, k);
                               });
                           }),
            children.end());
    };
    if (t.several)
        m_document.elements().forEachSection(t.name, strip);
    else if (t.section)
        strip(*t.section);
}

void ConfigMapper::removeKey(Target &t, std::string_view key)
{
    const std::string one(key);
    removeKeys(t, &one, 1);
}

ConfigElementData *ConfigMapper::findLine(const Target &t, std::string_view key) const
{
    if (!t.section || (keyBit(key) & t.keys) == 0)
        return nullptr;
    for (const auto &child : t.section->children()) {
        if (child->type() == ConfigElementBase::DataType) {
            auto *data = static_cast<ConfigElementData *>(child.get());
            if (data->key() == key)
                return data;
        }
    }
    return nullptr;
}

void ConfigMapper::setValue(Target &t, std::string_view key, const std::string &value)
{
    refuseLineBreak(key, value);
    if (ConfigElementData *line = findLine(t, key)) {
        line->setValue(value);
        return;
    }
    if (t.section) {
        m_document.appendValue(*t.section, std::string(key), value);
        t.keys |= keyBit(key);
        return;
    }
    m_document.setValue(t.name, std::string(key), value);
    refresh(t);
}

void ConfigMapper::setLineValue(Target &t, std::string_view key, const std::string &value)
{
    ConfigElementData *line = findLine(t, key);
    if (!line) {
        setValue(t, key, value);
        return;
    }
    const std::string &old = line->value();
    // Saying the same again leaves the line alone, bytes that are not UTF-8 included.
    const std::string_view current = trimTrailing(old);
    if (current == value || (!isAscii(current) && decode(current) == decode(value)))
        return;
    refuseLineBreak(key, value);
    // Keep the line ending of a CRLF file.
    line->setValue(!old.empty() && old.back() == '\r' ? value + '\r' : value);
}

void ConfigMapper::setKey(Target &t, std::string_view key, const std::string &value)
{
    const bool encryptDefault = key == "encrypt passwords" && value == "yes";
    const Entry *known = t.table ? t.table->find(key) : nullptr;
    if (!known) {
        if (!encryptDefault)
            setValue(t, key, value);
        return;
    }
    const std::string &written = known->written;
    const Spellings *spellings = spellingsOf(key);
    if (!spellings) {
        setLineValue(t, written, value);
    } else if (!equalsLowered(written, key)) {
        // The file used a synonym: the canonical spelling replaces it.
        removeKeys(t, spellings->all, spellings->allBits);
        setValue(t, key, value);
    } else {
        removeKeys(t, spellings->synonyms, spellings->synonymBits);
        setLineValue(t, written, value);
    }
    if (encryptDefault)
        removeKey(t, key);
}

void ConfigMapper::setOrRemoveKey(Target &t, std::string_view key, const std::string &value)
{
    if (!value.empty()) {
        setKey(t, key, value);
        return;
    }
    if (const Spellings *spellings = spellingsOf(key))
        removeKeys(t, spellings->all, spellings->allBits);
    else
        removeKey(t, key);
}

void ConfigMapper::removeKey(const std::string &section, const std::string &key)
{
    m_pristine = false;
    Target t = target(section);
    removeKey(t, key);
}

void ConfigMapper::setKey(const std::string &section, const std::string &key, const std::string &value)
{
    m_pristine = false;
    Target t = target(section);
    setKey(t, key, value);
}

void ConfigMapper::setOrRemoveKey(const std::string &section, const std::string &key,
                                  const std::string &value)
{
    m_pristine = false;
    Target t = target(section);
    setOrRemoveKey(t, key, value);
}

bool ConfigMapper::renameSection(const std::string &oldName, const std::string &newName)
{
    m_pristine = false;
    const ConfigElementSectionPtr found = m_document.findSection(oldName);
    if (!found)
        return false;
    found->setName(newName);
    const std::string oldKey = lower(oldName);
    // The table keeps its place (records and targets point at it) under its new name.
    if (Section *table = section(oldKey)) {
        if (Section *other = section(lower(newName)); other && other != table)
            other->key.clear(); // a section of the new name is no record's any more
        table->key = lower(newName);
        table->prefix = prefixOf(table->key);
        table->name = newName;
        m_byNameValid = false;
    }
    m_decodedNames.remove(decode(oldName));
    if (!isAscii(newName))
        m_decodedNames.insert(decode(newName), newName);
    return true;
}

// ---------------------------------------------------------------------------------
// Writing

void ConfigMapper::writeGlobal(const SambaSettings &settings)
{
    m_pristine = false;
    Target s = target(globalSection(*settings.global()));
    writeGlobal(settings, s);
}

void ConfigMapper::writeGlobal(const SambaSettings &settings, Target &s)
{
    const GlobalShare &global = *settings.global();

    setOrRemoveKey(s, "workgroup", encode(global.workgroup()));
    setOrRemoveKey(s, "server string", encode(global.serverString()));

    // The consequences of the authentication mode are written only when the
    // administrator changed it: a hand-tuned idmap range or map to guest survives.
    const SambaSettings::SecurityMode mode = settings.security();
    const bool realmMode =
        mode == SambaSettings::SecurityKerberosDomain || mode == SambaSettings::SecurityAds;
    const bool modeChanged = mode != m_loadedSecurity || settings.kerberosMethod() != m_loadedKerberosMethod
        || (realmMode && global.realm() != m_loadedRealm);
    if (modeChanged) {
        auto kerberosMethod = [this, &s, &settings] {
            if (settings.kerberosMethod() != SambaSettings::KerberosDefault) {
                setKey(s, "kerberos method",
                       encode(SambaSettings::kerberosMethodText(settings.kerberosMethod())));
            } else {
                setKey(s, "kerberos method", "dedicated keytab");
                setKey(s, "dedicated keytab file", "/etc/krb5.keytab");
            }
        };
        switch (mode) {
        case SambaSettings::SecurityUser:
            setKey(s, "security", "user");
            removeKeys(s,
                       {"realm", "kerberos method", "idmap config * : backend", "idmap config * : range",
                        "map to guest"});
            break;
        case SambaSettings::SecurityKerberosDomain:
            setKey(s, "security", "user");
            setKey(s, "realm", encode(global.realm()));
            removeKeys(s, {"idmap config * : backend", "idmap config * : range", "map to guest"});
            kerberosMethod();
            break;
        case SambaSettings::SecurityShare:
            setKey(s, "security", "user");
            setKey(s, "map to guest", "Bad User");
            removeKeys(s, {"realm", "kerberos method"});
            break;
        case SambaSettings::SecurityDomain:
            setKey(s, "security", "domain");
            setKey(s, "idmap config * : backend", "tdb");
            setKey(s, "idmap config * : range", "3000-7999");
            removeKeys(s, {"realm", "kerberos method"});
            break;
        case SambaSettings::SecurityAds:
            setKey(s, "security", "ads");
            setKey(s, "idmap config * : backend", "tdb");
            setKey(s, "idmap config * : range", "3000-7999");
            setKey(s, "realm", encode(global.realm()));
            kerberosMethod();
            break;
        }
    }

    setKey(s, "encrypt passwords", yesNo(global.encryptPasswords()));
    if (global.guestAccount() == GlobalShare::noGuestAccount())
        removeKey(s, "guest account");
    else
        setKey(s, "guest account", encode(global.guestAccount()));

    writeModules(s, global);
    writeAclOptions(s, global);
    addBlankLine(s);
}

void ConfigMapper::writeShare(const SambaSettings &settings, const Share &share)
{
    m_pristine = false;
    Target s = target(sectionOf(share.originalName()));
    writeShare(settings, share, s);
}

void ConfigMapper::writeShare(const SambaSettings &settings, const Share &share, Target &s)
{
    setOrRemoveKey(s, "path", encode(share.path()));
    setOrRemoveKey(s, "comment", encode(share.comment()));
    setKey(s, "read only", yesNo(share.readOnly()));
    setKey(s, "printable", yesNo(share.printable()));
    setKey(s, "browseable", yesNo(share.browseable()));
    setOrRemoveKey(s, "create mask", encode(share.createMask()));

    if (settings.security() == SambaSettings::SecurityShare
        && m_loadedSecurity != SambaSettings::SecurityShare) {
        // Switching to SHARE mode opens every share to guests.
        setKey(s, "guest ok", "yes");
        setKey(s, "guest only", "yes");
    } else {
        setKey(s, "guest ok", yesNo(share.guestOk()));
        setKey(s, "guest only", yesNo(share.guestOnly()));
        if (!share.guestOnly()) {
            QString users = share.validUsers().join(QLatin1Char(' '));
            // An empty list admits everyone already; naming the guest would shut out
            // every logged-in user.
            if (share.guestOk() && !users.isEmpty()) {
                const QString account = settings.global()->guestAccount();
                const QString guest =
                    account == GlobalShare::noGuestAccount() ? QStringLiteral("nobody") : account;
                if (!users.contains(guest))
                    users += QLatin1Char(' ') + guest;
            }
            setOrRemoveKey(s, "valid users", encode(users));
        }
    }

    writeModules(s, share);
    writeAclOptions(s, share);
    writeWriteList(s, share);
    addBlankLine(s);
}

void ConfigMapper::writeWriteList(Target &s, const Share &share)
{
    const Entry *read = s.table ? s.table->find("write list") : nullptr;
    const WriteList loaded = read ? parseWriteList(decode(read->value)) : WriteList();
    if (share.writeListEverybody() == loaded.everybody && share.writeList() == loaded.names)
        return; // unchanged: the line stays as written

    if (share.writeListEverybody()) {
        setKey(s, "write list", "@everybody");
        return;
    }
    // Plain words on the line as read are users; a name chosen in the tool is a group.
    QSet<QString> users;
    if (read) {
        for (const QString &word : splitWords(decode(read->value))) {
            if (!word.startsWith(QLatin1Char('@')))
                users.insert(word);
        }
    }
    QStringList entries;
    for (const QString &name : share.writeList()) {
        if (name.startsWith(QLatin1Char('@')) || users.contains(name))
            entries << name;
        else
            entries << QLatin1Char('@') + name;
    }
    setOrRemoveKey(s, "write list", encode(entries.join(QLatin1Char(' '))));
}

void ConfigMapper::writeModules(const std::string &section, const Share &record)
{
    m_pristine = false;
    Target t = target(section);
    writeModules(t, record);
}

void ConfigMapper::writeModules(Target &s, const Share &record)
{
    static const std::uint64_t moduleBits = [] {
        std::uint64_t bits = 0;
        for (const std::string &key : moduleOptionKeys())
            bits |= keyBit(key);
        return bits;
    }();
    removeKeys(s, moduleOptionKeys(), moduleBits);
    const QList<std::shared_ptr<VFSModule>> modules = record.vfsModuleList();
    for (const auto &module : modules) {
        if (auto full = std::dynamic_pointer_cast<FullAudit>(module)) {
            setKey(s, "full_audit:prefix", encode(full->prefix()));
            setKey(s, "full_audit:success", encode(formatOperationSet(full->successOperations())));
            setKey(s, "full_audit:failure", encode(formatOperationSet(full->failureOperations())));
            setKey(s, "full_audit:facility", encode(full->facility().name()));
            setKey(s, "full_audit:priority", encode(full->priority().name()));
            setKey(s, "full_audit:syslog", trueFalse(full->syslog()));
            setKey(s, "full_audit:log_secdesc", trueFalse(full->logSecDesc()));
        } else if (auto audit = std::dynamic_pointer_cast<Audit>(module)) {
            setKey(s, "audit:facility", encode(audit->facility().name()));
            setKey(s, "audit:priority", encode(audit->priority().name()));
        } else if (auto acl = std::dynamic_pointer_cast<ACL>(module)) {
            const std::string prefix = encode(acl->name()) + ':';
            setKey(s, prefix + "ignore system acls", trueFalse(acl->ignoreSystemAcls()));
            setKey(s, prefix + "default acl style", encode(acl->defaultAclStyle()));
        }
    }
    writeVfsObjects(s, modules);
}

void ConfigMapper::writeVfsObjects(Target &s, const QList<std::shared_ptr<VFSModule>> &modules)
{
    // Samba stacks modules in the written order: keep the order of the line as read.
    const Entry *objects = s.table ? s.table->find("vfs objects") : nullptr;
    if (!objects && modules.isEmpty())
        return; // none before, none now
    QStringList read;
    if (objects) {
        for (const QString &word : splitWords(decode(objects->value))) {
            const QString name = word.toLower();
            if (!read.contains(name))
                read << name;
        }
    }
    QStringList names;
    for (const auto &module : modules)
        names << module->name();
    if (QSet<QString>(read.begin(), read.end()) == QSet<QString>(names.begin(), names.end()))
        return; // the same modules: the line stays as written

    QStringList ordered;
    for (const QString &name : read) {
        if (names.contains(name))
            ordered << name;
    }
    for (const QString &name : names) {
        if (!read.contains(name))
            ordered << name;
    }
    setOrRemoveKey(s, "vfs objects", encode(ordered.join(QLatin1Char(' '))));
}

void ConfigMapper::writeAclOptions(const std::string &section, const Share &record)
{
    m_pristine = false;
    Target t = target(section);
    writeAclOptions(t, record);
}

void ConfigMapper::writeAclOptions(Target &s, const Share &record)
{
    if (record.aclByDefault()) {
        static const std::vector<std::string> keys = [] {
            std::vector<std::string> all;
            for (const AclOption &option : aclOptions())
                all.emplace_back(option.key);
            return all;
        }();
        static const std::uint64_t bits = [] {
            std::uint64_t all = 0;
            for (const std::string &key : keys)
                all |= keyBit(key);
            return all;
        }();
        removeKeys(s, keys, bits);
        return;
    }
    for (const AclOption &option : aclOptions())
        setKey(s, option.key, trueFalse((record.*option.get)()));
}

void ConfigMapper::addBlankLine(Target &s)
{
    // One blank line after a section is enough: saving again must not grow the file.
    if (!s.section)
        return;
    const auto &children = s.section->children();
    if (!children.empty() && children.back()->type() == ConfigElementBase::ELineType)
        return;
    m_document.addBlankLine(s.name);
}

// ---------------------------------------------------------------------------------
// Saving

void ConfigMapper::applyRecords(const SambaSettings &settings, QList<Share> &shares)
{
    // Refused before the document is touched; values are checked as they are written.
    for (const Share &share : shares)
        refuseSectionName(share.name());
    // Each record's loaded section, looked up once.
    auto loaded = [this](const QString &originalName) -> Section * {
        if (originalName.isEmpty())
            return nullptr;
        return section(lower(sectionOf(originalName)));
    };
    // Marks of this save: a section is kept when its mark is the current one.
    ++m_saveMark;
    std::size_t keptRecords = 0;
    auto keep = [this, &keptRecords](const Section *table) {
        if (table && table->kept != m_saveMark) {
            table->kept = m_saveMark;
            if (!table->entries.empty())
                ++keptRecords;
        }
    };
    const Section *globalTable = loaded(settings.global()->originalName());
    keep(globalTable);
    // The list is usually the one loadShares returned, with shares added, deleted or
    // renamed: follow the loaded order and look a section up only where it differs.
    std::vector<const Section *> tables;
    tables.reserve(static_cast<std::size_t>(shares.size()));
    std::size_t next = 0;
    for (const Share &share : shares) {
        const Section *table = nullptr;
        const QString &name = share.originalName();
        if (next < m_shareSections.size() && namedAs(m_shareSections[next]->name, name)) {
            table = m_shareSections[next++];
        } else {
            table = loaded(name);
            if (table && table->shareIndex < m_shareSections.size())
                next = table->shareIndex + 1;
        }
        tables.push_back(table);
        keep(table);
    }

    // Sections of shares deleted in the tool go, with all they hold. Samba matches
    // section names without regard to case, and so does this; sections that were not
    // loaded as records (no parameters) stay.
    std::unordered_set<const ConfigElementBase *> deleted;
    if (keptRecords != m_recordSections) {
        for (const Section &table : m_tables) {
            if (table.entries.empty() || table.kept == m_saveMark)
                continue;
            if (table.header)
                deleted.insert(table.header.get());
            for (const auto &header : table.moreHeaders)
                deleted.insert(header.get());
        }
    }
    if (!deleted.empty()) {
        m_document.elements().removeIf(
            [&deleted](const ConfigElementPtr &element) { return deleted.count(element.get()) != 0; });
    }

    bool renamed = false;
    for (Share &share : shares) {
        if (share.originalName().isEmpty()) {
            share.setOriginalName(share.name());
        } else if (share.name() != share.originalName()) {
            if (renameSection(sectionOf(share.originalName()), encode(share.name()))) {
                share.setOriginalName(share.name());
                renamed = true;
            }
        }
    }

    Target global = target(globalSection(*settings.global()), globalTable, !renamed);
    writeGlobal(settings, global);
    for (int i = 0; i < shares.size(); ++i) {
        const Share &share = shares.at(i);
        Target s = target(sectionOf(share.originalName()), tables[static_cast<std::size_t>(i)], !renamed);
        writeShare(settings, share, s);
    }
    m_pristine = false;
}

void ConfigMapper::save(const SambaSettings &settings, QList<Share> &shares)
{
    // Another editor may have changed smb.conf since it was loaded; writing our
    // document over it would silently undo that.
    std::string current;
    QString error;
    if (m_loaded && (!ConfigFileInstaller::readFile(m_path, current, error) || current != m_loadedBytes))
        fail(tr("smb.conf was changed by another program after it was loaded. Reload it before saving."));

    ConfigFileInstaller installer(m_path);
    if (!installer.open())
        fail(tr("Can't open a file %1. No data will be saved.").arg(installer.temporaryPath()));

    try {
        applyRecords(settings, shares);
    } catch (...) {
        installer.discard();
        throw;
    }

    if (!installer.write(m_document.text())) {
        const QString reason = installer.errorString();
        installer.discard();
        fail(tr("Can't write a file %1: %2. No data will be saved.").arg(installer.temporaryPath(), reason));
    }

    const TestParmResult result = TestParm(m_testparmProgram).checkConf(installer.temporaryPath());
    if (result.status == TestParmResult::Failed) {
        fail(QStringList{tr("Failed to run testparm."), tr("Samba configuration will not be saved."),
                         result.output}
                 .join(QLatin1Char('\n')));
    }
    if (result.status == TestParmResult::Errors) {
        fail(QStringList{tr("Samba configuration file contains errors."),
                         tr("Samba configuration will not be saved."), tr("testparm output is:"),
                         result.output}
                 .join(QLatin1Char('\n')));
    }

    if (!installer.install())
        fail(tr("Failed to rename file %1 to file %2.")
                 .arg(installer.temporaryPath(), installer.targetPath()));

    loadGlobal();
}
