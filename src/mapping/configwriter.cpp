#include "configwriter.h"

#include "configdocument.h"
#include "configvalues.h"
#include "samballist.h"
#include "shareoptions.h"
#include "vfsorder.h"

#include <QCoreApplication>
#include <QSet>

#include <map>
#include <stdexcept>

namespace {

struct Messages
{
    Q_DECLARE_TR_FUNCTIONS(ConfigWriter)
};

std::string encode(const QString &text)
{
    return ConfigValues::encode(text);
}

// testparm warns of every "encrypt passwords" line: the parameter is deprecated, and Samba
// reads only encrypted passwords whatever it says. Such a line is removed, never written.
[[noreturn]] void refuseEncryptPasswords()
{
    throw std::runtime_error(
        Messages::tr(
            "\"encrypt passwords\" is not written: testparm says \"The \"encrypt passwords\" option is "
            "deprecated\", and Samba always expects encrypted passwords.")
            .toStdString());
}

// The value of the section's line of that key as Samba reads it, or nothing.
QString lineOf(const ConfigTables::Section *section, const char *key)
{
    const auto line = section ? section->find(key) : std::nullopt;
    return line ? ConfigValues::decode(line->value) : QString();
}

} // namespace

ConfigWriter::ConfigWriter(ConfigDocument &document, const ConfigTables &tables)
    : m_document(document)
    , m_tables(tables)
{
    // New sections look like the file's last ones.
    m_style.ending = std::string(document.fileLineEnding());
    bool header = false;
    bool parameter = false;
    for (std::size_t i = document.lineCount(); i > 0 && !(header && parameter); --i) {
        const ConfigLine::Kind kind = document.line(i - 1).kind;
        if (kind == ConfigLine::Section && !header) {
            m_headerIndent = std::string(document.indentation(i - 1));
            header = true;
        } else if (kind == ConfigLine::Parameter && !parameter) {
            m_style.indent = std::string(document.indentation(i - 1));
            m_style.separator = document.separator(i - 1) == "=" ? "=" : " = ";
            parameter = true;
        }
    }
}

void ConfigWriter::added(SectionEditor &editor)
{
    editor.finish();
    if (editor.isNew())
        m_newSections += editor.newText().empty() ? std::string() : editor.newText() + m_style.ending;
}

void ConfigWriter::finish()
{
    if (m_newSections.empty())
        return;
    // Before a NUL byte, where Samba stops reading.
    const std::size_t end = m_document.readLines();
    // One blank line between the file and what is added.
    if (end > 0 && m_document.line(end - 1).kind != ConfigLine::Blank)
        m_newSections.insert(0, m_style.ending);
    m_document.insertBefore(end, m_newSections);
    m_newSections.clear();
}

void ConfigWriter::writeGlobal(const SambaSettings &settings, const SambaSettings &loaded)
{
    const ConfigTables::Section *section = m_tables.global();
    SectionEditor s = section ? SectionEditor(m_document, *section, m_style)
                              : SectionEditor(m_document, "global", m_style, m_headerIndent);
    s.setKeyFilter(m_globalKeys);
    const GlobalShare &global = *settings.global();
    const GlobalShare &before = *loaded.global();

    if (global.workgroup() != before.workgroup())
        s.setOrRemove("workgroup", encode(global.workgroup()));
    // An empty description is written as empty: Samba's default, "Samba" and its version, is
    // what removing the line gives.
    if (global.serverString() != before.serverString()
        || global.serverString().isNull() != before.serverString().isNull()) {
        if (global.serverString().isNull())
            s.remove("server string");
        else
            s.set("server string", encode(global.serverString()));
    }

    // The consequences of the authentication mode are written only when the administrator
    // changed it: a hand-tuned idmap range or map to guest survives.
    const SambaSettings::SecurityMode mode = settings.security();
    const bool realmMode =
        mode == SambaSettings::SecurityKerberosDomain || mode == SambaSettings::SecurityAds;
    const bool modeChanged = mode != loaded.security() || settings.kerberosMethod() != loaded.kerberosMethod()
        || (realmMode && global.realm() != before.realm());
    if (modeChanged) {
        auto kerberosMethod = [&s, &settings] {
            if (settings.kerberosMethod() != SambaSettings::KerberosDefault) {
                s.set("kerberos method",
                      encode(SambaSettings::kerberosMethodText(settings.kerberosMethod())));
            } else {
                s.set("kerberos method", "dedicated keytab");
                s.set("dedicated keytab file", "/etc/krb5.keytab");
            }
        };
        auto removeAll = [&s](std::initializer_list<const char *> keys) {
            for (const char *key : keys)
                s.remove(key);
        };
        switch (mode) {
        case SambaSettings::SecurityUser:
            s.set("security", "user");
            removeAll({"realm", "kerberos method", "idmap config * : backend", "idmap config * : range",
                       "map to guest"});
            break;
        case SambaSettings::SecurityKerberosDomain:
            s.set("security", "user");
            s.set("realm", encode(global.realm()));
            removeAll({"idmap config * : backend", "idmap config * : range", "map to guest"});
            kerberosMethod();
            break;
        case SambaSettings::SecurityShare:
            s.set("security", "user");
            s.set("map to guest", "Bad User");
            removeAll({"realm", "kerberos method"});
            break;
        case SambaSettings::SecurityDomain:
            s.set("security", "domain");
            s.set("idmap config * : backend", "tdb");
            s.set("idmap config * : range", "3000-7999");
            removeAll({"realm", "kerberos method"});
            break;
        case SambaSettings::SecurityAds:
            s.set("security", "ads");
            s.set("idmap config * : backend", "tdb");
            s.set("idmap config * : range", "3000-7999");
            s.set("realm", encode(global.realm()));
            kerberosMethod();
            break;
        }
    }

    if (global.encryptPasswords() != before.encryptPasswords()) {
        // Yes is all Samba still does: the line goes rather than saying it.
        if (!global.encryptPasswords())
            refuseEncryptPasswords();
        s.remove("encrypt passwords");
    }
    if (global.guestAccount() != before.guestAccount()) {
        if (global.guestAccount() == GlobalShare::noGuestAccount())
            s.remove("guest account");
        else
            s.set("guest account", encode(global.guestAccount()));
    }

    writeModules(s, section, global, &before);
    writeAclOptions(s, global, &before);
    writeOtherParameters(s, global);
    added(s);
}

void ConfigWriter::writeShare(const Share &share, const ConfigTables::Section *section, const Share *loaded,
                              const SambaSettings &settings)
{
    SectionEditor s = section ? SectionEditor(m_document, *section, m_style)
                              : SectionEditor(m_document, encode(share.name()), m_style, m_headerIndent);
    if (section && share.name() != share.originalName())
        s.rename(encode(share.name()));

    auto changed = [loaded, &share](auto get) {
        return !loaded || (share.*get)() != (loaded->*get)();
    };
    if (changed(&Share::path))
        s.setOrRemove("path", encode(share.path()));
    if (changed(&Share::comment))
        s.setOrRemove("comment", encode(share.comment()));
    if (changed(&Share::readOnly))
        s.setBool("read only", share.readOnly());
    if (changed(&Share::printable))
        s.setBool("printable", share.printable());
    if (changed(&Share::browseable))
        s.setBool("browseable", share.browseable());
    if (changed(&Share::createMask))
        s.setOrRemove("create mask", encode(share.createMask()));

    // The authentication mode decides who logs on as the guest, each share whether the guest
    // may use it: a change of the mode changes no share.
    if (changed(&Share::guestOk))
        s.setBool("guest ok", share.guestOk());
    if (changed(&Share::guestOnly))
        s.setBool("guest only", share.guestOnly());
    if (!share.guestOnly()) {
        QStringList users = share.validUsers();
        // The guest joins a restricted list when guest access is chosen for the share;
        // an empty list admits everyone already.
        const bool guestChosen = share.guestOk() && (!loaded || !loaded->guestOk());
        if (guestChosen && !users.isEmpty()) {
            const QString account = settings.global()->guestAccount();
            const QString guest =
                account == GlobalShare::noGuestAccount() ? QStringLiteral("nobody") : account;
            if (!users.contains(guest))
                users << guest;
        }
        if (!loaded || users != loaded->validUsers())
            s.setOrRemove("valid users", encode(SambaList::join(users, lineOf(section, "valid users"))));
    }

    writeModules(s, section, share, loaded);
    writeAclOptions(s, share, loaded);
    writeWriteList(s, section, share, loaded);
    writeOtherParameters(s, share);
    added(s);
}

void ConfigWriter::removeSection(const ConfigTables::Section &section)
{
    SectionEditor(m_document, section, m_style).removeSection();
}

void ConfigWriter::addSection(const std::string &name,
                              const std::vector<std::pair<std::string, std::string>> &parameters)
{
    SectionEditor editor(m_document, name, m_style, m_headerIndent);
    for (const auto &[key, value] : parameters)
        editor.set(key, value);
    added(editor);
}

void ConfigWriter::writeModules(SectionEditor &s, const ConfigTables::Section *section, const Share &record,
                                const Share *loaded)
{
    const QList<std::shared_ptr<VFSModule>> modules = record.vfsModuleList();
    const QList<std::shared_ptr<VFSModule>> before = loaded ? loaded->vfsModuleList() : modules;
    if (modules.isEmpty() && before.isEmpty())
        return;
    QStringList names;
    for (const auto &module : modules) {
        names << module->name();
        const std::shared_ptr<VFSModule> old = loaded ? loaded->vfsModule(module->name()) : nullptr;
        // By key as Samba compares keys, so that a key spelt otherwise is the same option.
        std::map<std::string, std::string> oldOptions;
        if (old) {
            for (auto &[key, text] : ShareOptions::moduleOptions(*old))
                oldOptions.emplace(ConfigValues::lookupKey(key), std::move(text));
        }
        for (const auto &[key, text] : ShareOptions::moduleOptions(*module)) {
            const auto found = oldOptions.find(ConfigValues::lookupKey(key));
            if (!old || found == oldOptions.end() || found->second != text)
                s.set(key, text);
            if (found != oldOptions.end())
                oldOptions.erase(found);
        }
        // What the loaded module had and the record's has not is gone.
        if (old) {
            for (const auto &option : oldOptions)
                s.remove(option.first);
        }
    }
    QStringList loadedNames;
    if (loaded) {
        for (const auto &module : before) {
            loadedNames << module->name();
            if (names.contains(module->name()))
                continue;
            for (const auto &option : ShareOptions::moduleOptions(*module))
                s.remove(option.first);
        }
    }
    // Both lists are in name order: equal names are the same modules, and the line stays
    // as written, even in an order VfsOrder would change.
    if (loaded ? loadedNames == names : names.isEmpty())
        return;

    // Samba stacks modules in the written order: keep the order of the line as read where
    // Samba's manual pages allow it.
    const auto objects = section ? section->find("vfs objects") : std::nullopt;
    QStringList read;
    if (objects) {
        for (const QString &word : SambaList::split(ConfigValues::decode(objects->value))) {
            const QString name = word.toLower();
            if (!read.contains(name))
                read << name;
        }
    }
    s.setOrRemove("vfs objects",
                  encode(SambaList::join(VfsOrder::arrange(read, names), lineOf(section, "vfs objects"))));
}

void ConfigWriter::writeOtherParameters(SectionEditor &s, const Share &record)
{
    const QMap<QString, QString> parameters = record.otherParameters();
    for (auto it = parameters.begin(); it != parameters.end(); ++it) {
        const std::string key = encode(it.key().simplified());
        if (it.value().isNull()) {
            s.remove(key);
            continue;
        }
        if (ConfigValues::canonicalOf(ConfigValues::lookupKey(key)) == "encryptpasswords")
            refuseEncryptPasswords();
        s.set(key, encode(it.value()));
    }
}

void ConfigWriter::writeAclOptions(SectionEditor &s, const Share &record, const Share *loaded)
{
    if (record.aclByDefault()) {
        if (loaded && !loaded->aclByDefault()) {
            for (const ShareOptions::AclOption &option : ShareOptions::aclOptions())
                s.remove(option.key);
        }
        return;
    }
    const bool all = !loaded || loaded->aclByDefault();
    for (const ShareOptions::AclOption &option : ShareOptions::aclOptions()) {
        if (all || (record.*option.get)() != (loaded->*option.get)())
            s.setBool(option.key, (record.*option.get)(), true);
    }
}

void ConfigWriter::writeWriteList(SectionEditor &s, const ConfigTables::Section *section, const Share &share,
                                  const Share *loaded)
{
    if (loaded && share.writeListEverybody() == loaded->writeListEverybody()
        && share.writeList() == loaded->writeList())
        return; // unchanged: the line stays as written
    if (share.writeListEverybody()) {
        s.set("write list", "@everybody");
        return;
    }
    // Plain words on the line as read are users; a name chosen in the tool is a group.
    const QString read = lineOf(section, "write list");
    QSet<QString> users;
    for (const QString &word : SambaList::split(read)) {
        if (!word.startsWith(QLatin1Char('@')))
            users.insert(word);
    }
    QStringList entries;
    for (const QString &name : share.writeList()) {
        if (name.startsWith(QLatin1Char('@')) || users.contains(name))
            entries << name;
        else
            entries << QLatin1Char('@') + name;
    }
    s.setOrRemove("write list", encode(SambaList::join(entries, read)));
}
