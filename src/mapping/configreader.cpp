#include "configreader.h"

#include "acl.h"
#include "audit.h"
#include "configvalues.h"
#include "fullaudit.h"
#include "optionmodule.h"
#include "samballist.h"
#include "shareoptions.h"

namespace {

using Section = ConfigTables::Section;
using Entry = ConfigTables::Entry;

QString decode(std::string_view bytes)
{
    return ConfigValues::decode(bytes);
}

std::string lower(std::string text)
{
    for (char &c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// full_audit reads its operations as a list: commas and semicolons separate them too.
VfsOperationSet operations(std::string_view value)
{
    return parseOperationSet(SambaList::split(decode(value)).join(QLatin1Char(' ')));
}

} // namespace

ConfigReader::ConfigReader(const ConfigTables &tables)
    : m_tables(tables)
{
}

SambaSettings ConfigReader::readSettings() const
{
    SambaSettings settings;
    GlobalShare &global = *settings.global();
    if (const Section *values = m_tables.global(); values && values->hasParameters()) {
        const QString name = decode(values->name);
        global.setOriginalName(name);
        global.setName(name);
        auto text = [values](const char *key) {
            const auto found = values->find(key);
            return found ? decode(found->value) : QString();
        };
        if (values->find("workgroup"))
            global.setWorkgroup(text("workgroup"));
        if (values->find("server string"))
            global.setServerString(text("server string"));

        // User-level security, the default of a standalone server, in which names unknown to
        // Samba log on as the guest: only "map to guest = bad user" does that.
        const auto mapToGuest = values->find("map to guest");
        // Enumerated values compare as Samba compares them: without case and blanks, as keys do.
        const bool unknownAsGuest = mapToGuest && ConfigValues::lookupKey(mapToGuest->value) == "baduser";
        const auto security = values->find("security");
        // Without a security line, a standalone server authenticates users itself.
        const auto role = values->find("server role");
        const std::string roleWord = role ? ConfigValues::lookupKey(role->value) : std::string("auto");
        const bool standalone =
            roleWord == "auto" || roleWord == "standalone" || roleWord == "standaloneserver";
        if (!security && standalone && unknownAsGuest)
            settings.setSecurity(SambaSettings::SecurityShare);
        if (security) {
            const std::string mode = lower(security->value);
            if (mode == "user")
                settings.setSecurity(unknownAsGuest ? SambaSettings::SecurityShare
                                                    : SambaSettings::SecurityUser);
            else if (mode == "domain")
                settings.setSecurity(SambaSettings::SecurityDomain);
            else if (mode == "ads")
                settings.setSecurity(SambaSettings::SecurityAds);
            else
                settings.setSecurity(SambaSettings::SecurityUser);
        }
        if (const auto realm = values->find("realm")) {
            const bool usesRealm = settings.security() == SambaSettings::SecurityUser
                || settings.security() == SambaSettings::SecurityAds;
            if (usesRealm && !realm->value.empty()) {
                global.setRealm(decode(realm->value));
                if (settings.security() == SambaSettings::SecurityUser)
                    settings.setSecurity(SambaSettings::SecurityKerberosDomain);
            }
        }
        if (const auto encrypt = values->find("encrypt passwords"))
            global.setEncryptPasswords(ConfigValues::parseBool(encrypt->value));
        if (const auto guest = values->find("guest account"))
            global.setGuestAccount(decode(lower(guest->value)));
        if (const auto method = values->find("kerberos method"))
            settings.setKerberosMethod(SambaSettings::kerberosMethodFromText(decode(method->value)));

        // [global] holds the share settings that every share falls back to.
        readRecord(global, *values, Share());
        readModules(global, *values);
        readAclOptions(global, *values, global);
    }
    if (global.guestAccount().isEmpty())
        global.setGuestAccount(GlobalShare::noGuestAccount());
    return settings;
}

Share ConfigReader::readShare(const Section &values, const GlobalShare &global) const
{
    Share share(decode(values.name));
    share.setName(share.originalName());
    readRecord(share, values, global);
    if (!values.find("comment"))
        share.setComment(global.serverString());
    if (const auto users = values.find("valid users"))
        share.setValidUsers(SambaList::split(decode(users->value)));
    if (const auto writers = values.find("write list")) {
        const WriteList list = parseWriteList(decode(writers->value));
        share.setWriteListEverybody(list.everybody);
        share.setWriteList(list.names);
    }
    readModules(share, values);
    readAclOptions(share, values, global);
    return share;
}

void ConfigReader::readRecord(Share &record, const Section &values, const Share &fallback) const
{
    auto text = [&values](const char *key, const QString &otherwise) {
        const auto found = values.find(key);
        return found ? decode(found->value) : otherwise;
    };
    auto flag = [&values](const char *key, bool otherwise) {
        const auto found = values.find(key);
        return found ? ConfigValues::parseBool(found->value) : otherwise;
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

ConfigReader::WriteList ConfigReader::parseWriteList(const QString &value)
{
    WriteList list;
    QString text = value;
    if (text.startsWith(QLatin1Char('@')) && text != QLatin1String("@everybody"))
        text.remove(0, 1);
    const QStringList parts = SambaList::split(text);
    if (!parts.isEmpty() && parts.first() == QLatin1String("@everybody"))
        list.everybody = true;
    else
        list.names = parts;
    return list;
}

void ConfigReader::readModules(Share &record, const Section &values) const
{
    const auto objects = values.find("vfs objects");
    if (!objects)
        return;
    const Section *global = m_tables.global();
    // An option set in the share wins; otherwise [global]'s applies.
    auto option = [&values, global](const std::string &key) -> std::optional<Entry> {
        if (const auto own = values.find(key))
            return own;
        return global ? global->find(key) : std::nullopt;
    };
    for (const QString &word : SambaList::split(decode(objects->value))) {
        std::shared_ptr<VFSModule> module = VFSModule::create(word);
        if (auto full = std::dynamic_pointer_cast<FullAudit>(module)) {
            if (const auto e = option("full_audit:prefix"))
                full->setPrefix(decode(e->value));
            if (const auto e = option("full_audit:success"))
                full->setSuccessOperations(operations(e->value));
            if (const auto e = option("full_audit:failure"))
                full->setFailureOperations(operations(e->value));
            if (const auto e = option("full_audit:facility"))
                full->setFacility(Syslog::Facility(decode(e->value)));
            if (const auto e = option("full_audit:priority"))
                full->setPriority(Syslog::Priority(decode(e->value)));
            if (const auto e = option("full_audit:syslog"))
                full->setSyslog(ConfigValues::parseBool(e->value));
            if (const auto e = option("full_audit:log_secdesc"))
                full->setLogSecDesc(ConfigValues::parseBool(e->value));
        } else if (auto audit = std::dynamic_pointer_cast<Audit>(module)) {
            if (const auto e = option("audit:facility"))
                audit->setFacility(Syslog::Facility(decode(e->value)));
            if (const auto e = option("audit:priority"))
                audit->setPriority(Syslog::Priority(decode(e->value)));
        } else if (auto acl = std::dynamic_pointer_cast<ACL>(module)) {
            const std::string prefix = ConfigValues::encode(acl->name()) + ':';
            if (const auto e = option(prefix + "ignore system acls"))
                acl->setIgnoreSystemAcls(ConfigValues::parseBool(e->value));
            if (const auto e = option(prefix + "default acl style"))
                acl->setDefaultAclStyle(decode(e->value).toLower());
            record.setAclByDefault(false);
        } else if (auto options = std::dynamic_pointer_cast<OptionModule>(module)) {
            readOptions(*options, values);
        }
        record.addVfsModule(module);
    }
}

void ConfigReader::readOptions(OptionModule &module, const Section &values)
{
    // Only the share's own lines: [global]'s would be written into the share once edited.
    // Entries hold keys in lookup form, as Samba compares the keys of parametric options.
    const std::string prefix = ConfigValues::lookupKey(ConfigValues::encode(module.optionPrefix())) + ':';
    for (const Entry &entry : values.entries()) {
        if (entry.key.size() > prefix.size() && entry.key.compare(0, prefix.size(), prefix) == 0)
            module.setOption(decode(entry.key.substr(prefix.size())), decode(entry.value));
    }
}

void ConfigReader::readAclOptions(Share &record, const Section &values, const Share &fallback) const
{
    const auto &options = ShareOptions::aclOptions();
    // The fallback may be the record itself: read every value before setting any.
    bool settings[9];
    bool anySet = false;
    for (std::size_t i = 0; i < options.size(); ++i) {
        const auto found = values.find(options[i].key);
        settings[i] = found ? ConfigValues::parseBool(found->value) : (fallback.*options[i].get)();
        anySet = anySet || found;
    }
    for (std::size_t i = 0; i < options.size(); ++i)
        (record.*options[i].set)(settings[i]);
    if (anySet)
        record.setAclByDefault(false);
}
