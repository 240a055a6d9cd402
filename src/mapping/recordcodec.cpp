#include "recordcodec.h"

#include "acltdb.h"
#include "aclxattr.h"
#include "audit.h"
#include "fruit.h"
#include "fullaudit.h"
#include "recyclebin.h"
#include "serveraccountscodec.h"
#include "shadowcopy.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <typeinfo>

namespace {

// The fields of Share by their names in JSON.
struct FlagField
{
    const char *key;
    bool (Share::*get)() const;
    void (Share::*set)(bool);
};

const FlagField s_flagFields[] = {
    {"readOnly", &Share::readOnly, &Share::setReadOnly},
    {"readWrite", &Share::readWrite, &Share::setReadWrite},
    {"setDirectoryPermissions", &Share::setDirectoryPermissions, &Share::setSetDirectoryPermissions},
    {"guestOk", &Share::guestOk, &Share::setGuestOk},
    {"guestOnly", &Share::guestOnly, &Share::setGuestOnly},
    {"printable", &Share::printable, &Share::setPrintable},
    {"browseable", &Share::browseable, &Share::setBrowseable},
    {"writeListEverybody", &Share::writeListEverybody, &Share::setWriteListEverybody},
    {"aclByDefault", &Share::aclByDefault, &Share::setAclByDefault},
    {"ntAclSupport", &Share::ntAclSupport, &Share::setNtAclSupport},
    {"inheritAcls", &Share::inheritAcls, &Share::setInheritAcls},
    {"mapAclInherit", &Share::mapAclInherit, &Share::setMapAclInherit},
    {"dosFilemode", &Share::dosFilemode, &Share::setDosFilemode},
    {"storeDosAttributes", &Share::storeDosAttributes, &Share::setStoreDosAttributes},
    {"aclAllowExecuteAlways", &Share::aclAllowExecuteAlways, &Share::setAclAllowExecuteAlways},
    {"aclGroupControl", &Share::aclGroupControl, &Share::setAclGroupControl},
    {"aclMapFullControl", &Share::aclMapFullControl, &Share::setAclMapFullControl},
    {"forceUnknownAclUser", &Share::forceUnknownAclUser, &Share::setForceUnknownAclUser},
    {"shadowed", &Share::shadowed, &Share::setShadowed},
};

struct TextField
{
    const char *key;
    QString (Share::*get)() const;
    void (Share::*set)(const QString &);
};

const TextField s_textFields[] = {
    {"originalName", &Share::originalName, &Share::setOriginalName},
    {"name", &Share::name, &Share::setName},
    {"path", &Share::path, &Share::setPath},
    {"comment", &Share::comment, &Share::setComment},
    {"createMask", &Share::createMask, &Share::setCreateMask},
};

// The texts of the enumerations, indexed by their values.
QStringList storedInTexts()
{
    return {QStringLiteral("smb.conf"), QStringLiteral("registry")};
}

QStringList kerberosMethodTexts()
{
    QStringList texts{QStringLiteral("default")};
    for (int method = SambaSettings::KerberosSecretsOnly; method <= SambaSettings::KerberosSecretsAndKeytab;
         ++method)
        texts << SambaSettings::kerberosMethodText(SambaSettings::KerberosMethod(method));
    return texts;
}

// A module's kind says which class it is; "plain" is a module Shareward knows only by name,
// "options" one with options under its own name as prefix.
enum ModuleKind { Plain, Options, FullAuditKind, AuditKind, AclTdb, AclXattr, Recycle, FruitKind, Shadow };

QStringList moduleKindTexts()
{
    return {QStringLiteral("plain"),   QStringLiteral("options"), QStringLiteral("full_audit"),
            QStringLiteral("audit"),   QStringLiteral("acl_tdb"), QStringLiteral("acl_xattr"),
            QStringLiteral("recycle"), QStringLiteral("fruit"),   QStringLiteral("shadow_copy2")};
}

ModuleKind moduleKind(const VFSModule &module)
{
    const std::type_info &type = typeid(module);
    if (type == typeid(VFSModule))
        return Plain;
    if (type == typeid(OptionModule))
        return Options;
    if (type == typeid(FullAudit))
        return FullAuditKind;
    if (type == typeid(Audit))
        return AuditKind;
    if (type == typeid(ACLTDB))
        return AclTdb;
    if (type == typeid(ACLXAttr))
        return AclXattr;
    if (type == typeid(RecycleBin))
        return Recycle;
    if (type == typeid(Fruit))
        return FruitKind;
    if (type == typeid(ShadowCopy))
        return Shadow;
    // A new module class needs its kind here, or its fields would be lost on the way.
    throw std::logic_error("RecordCodec: no JSON form for the VFS module " + module.name().toStdString());
}

// The text of an enumeration's value; a value outside it is a fault of the program, not of input.
QString textOf(const QStringList &texts, int value)
{
    if (value < 0 || value >= texts.size())
        throw std::logic_error("RecordCodec: a value outside its enumeration: " + std::to_string(value));
    return texts.at(value);
}

QJsonValue textValue(const QString &text)
{
    return text.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonArray textArray(const QStringList &texts)
{
    QJsonArray array;
    for (const QString &text : texts)
        array.append(textValue(text));
    return array;
}

// In name order: an encoded record is always the same text.
QJsonArray operationArray(const VfsOperationSet &operations)
{
    QStringList names;
    for (const VfsOperation &operation : operations)
        names << operation.name();
    std::sort(names.begin(), names.end());
    return QJsonArray::fromStringList(names);
}

// The values carry the description of this side's language; a name the table does not hold
// in that spelling is kept as given.
template<typename Value>
Value lookedUp(const QString &name)
{
    const Value known(name);
    return known.name() == name ? known : Value(name, QString());
}

VfsOperationSet operationSet(JsonFieldReader &fields, const QString &key)
{
    VfsOperationSet operations;
    for (const QString &name : fields.texts(key)) {
        if (name.isEmpty())
            fields.fail(key, QStringLiteral("must not hold an empty operation name"));
        operations.insert(lookedUp<VfsOperation>(name));
    }
    return operations;
}

} // namespace

void RecordCodec::encodeShareFields(const Share &share, const Share &defaults, QJsonObject &object)
{
    // A field that holds its default value is left out: ten thousand shares travel in a third
    // of the bytes, and the reader starts from the same defaults.
    for (const TextField &field : s_textFields) {
        const QString value = (share.*field.get)();
        const QString fallback = (defaults.*field.get)();
        if (value != fallback || value.isNull() != fallback.isNull())
            object.insert(QLatin1String(field.key), textValue(value));
    }
    for (const FlagField &field : s_flagFields) {
        if ((share.*field.get)() != (defaults.*field.get)())
            object.insert(QLatin1String(field.key), (share.*field.get)());
    }
    if (share.directoryModeChange() != defaults.directoryModeChange())
        object.insert(QStringLiteral("directoryModeChange"),
                      textOf(RecordCodec::directoryModeChangeTexts(), share.directoryModeChange()));
    if (share.storedIn() != defaults.storedIn())
        object.insert(QStringLiteral("storedIn"), textOf(storedInTexts(), share.storedIn()));
    if (!share.validUsers().isEmpty())
        object.insert(QStringLiteral("validUsers"), textArray(share.validUsers()));
    if (!share.writeList().isEmpty())
        object.insert(QStringLiteral("writeList"), textArray(share.writeList()));

    QJsonArray modules;
    for (const auto &module : share.vfsModuleList())
        modules.append(encodeModule(*module));
    if (!modules.isEmpty())
        object.insert(QStringLiteral("vfsModules"), modules);

    QJsonObject parameters;
    const QMap<QString, QString> other = share.otherParameters();
    for (auto it = other.begin(); it != other.end(); ++it)
        parameters.insert(it.key(), textValue(it.value()));
    if (!parameters.isEmpty())
        object.insert(QStringLiteral("otherParameters"), parameters);
}

void RecordCodec::decodeShareFields(JsonFieldReader &fields, Share &share)
{
    // share holds the defaults the writer left out.
    for (const TextField &field : s_textFields) {
        if (fields.has(QLatin1String(field.key)))
            (share.*field.set)(fields.textOrNull(QLatin1String(field.key)));
    }
    for (const FlagField &field : s_flagFields) {
        if (fields.has(QLatin1String(field.key)))
            (share.*field.set)(fields.flag(QLatin1String(field.key)));
    }
    if (fields.has(QStringLiteral("directoryModeChange")))
        share.setDirectoryModeChange(Share::DirectoryModeChange(
            fields.choice(QStringLiteral("directoryModeChange"), RecordCodec::directoryModeChangeTexts())));
    if (fields.has(QStringLiteral("storedIn")))
        share.setStoredIn(Share::StoredIn(fields.choice(QStringLiteral("storedIn"), storedInTexts())));
    if (fields.has(QStringLiteral("validUsers")))
        share.setValidUsers(fields.texts(QStringLiteral("validUsers")));
    if (fields.has(QStringLiteral("writeList")))
        share.setWriteList(fields.texts(QStringLiteral("writeList")));

    if (fields.has(QStringLiteral("vfsModules"))) {
        for (JsonFieldReader &moduleFields : fields.objects(QStringLiteral("vfsModules"))) {
            const std::shared_ptr<VFSModule> module = decodeModule(moduleFields);
            moduleFields.finish();
            // A record holds a module once; a second one would replace the first unseen.
            if (share.hasVfsModule(module->name()))
                moduleFields.fail(QStringLiteral("name"), QStringLiteral("names a module given before"));
            share.addVfsModule(module);
        }
    }

    if (fields.has(QStringLiteral("otherParameters"))) {
        const QMap<QString, QString> parameters = fields.textMap(QStringLiteral("otherParameters"), true);
        for (auto it = parameters.begin(); it != parameters.end(); ++it) {
            if (it.value().isNull())
                share.unsetOtherParameter(it.key());
            else
                share.setOtherParameter(it.key(), it.value());
        }
    }
}

QJsonObject RecordCodec::encodeModule(const VFSModule &module)
{
    const ModuleKind kind = moduleKind(module);
    QJsonObject object{
        {QStringLiteral("kind"), textOf(moduleKindTexts(), kind)},
        {QStringLiteral("name"), module.name()},
    };
    if (kind == FullAuditKind) {
        const auto &full = static_cast<const FullAudit &>(module);
        object.insert(QStringLiteral("prefix"), textValue(full.prefix()));
        object.insert(QStringLiteral("successOperations"), operationArray(full.successOperations()));
        object.insert(QStringLiteral("failureOperations"), operationArray(full.failureOperations()));
        object.insert(QStringLiteral("facility"), full.facility().name());
        object.insert(QStringLiteral("priority"), full.priority().name());
        object.insert(QStringLiteral("syslog"), full.syslog());
        object.insert(QStringLiteral("logSecDesc"), full.logSecDesc());
    } else if (kind == AuditKind) {
        const auto &audit = static_cast<const Audit &>(module);
        object.insert(QStringLiteral("facility"), audit.facility().name());
        object.insert(QStringLiteral("priority"), audit.priority().name());
    } else if (kind == AclTdb || kind == AclXattr) {
        const auto &acl = static_cast<const ACL &>(module);
        object.insert(QStringLiteral("ignoreSystemAcls"), acl.ignoreSystemAcls());
        object.insert(QStringLiteral("defaultAclStyle"), textValue(acl.defaultAclStyle()));
    } else if (kind != Plain) {
        QJsonObject options;
        const auto &optionModule = static_cast<const OptionModule &>(module);
        for (auto it = optionModule.options().begin(); it != optionModule.options().end(); ++it)
            options.insert(it.key(), it.value());
        object.insert(QStringLiteral("options"), options);
    }
    return object;
}

std::shared_ptr<VFSModule> RecordCodec::decodeModule(JsonFieldReader &fields)
{
    const auto kind = ModuleKind(fields.choice(QStringLiteral("kind"), moduleKindTexts()));
    const QString name = fields.text(QStringLiteral("name"));
    if (name.isEmpty())
        fields.fail(QStringLiteral("name"), QStringLiteral("must not be empty"));

    std::shared_ptr<VFSModule> module;
    switch (kind) {
    case Plain:
        return std::make_shared<VFSModule>(name);
    case Options:
        module = std::make_shared<OptionModule>(name);
        break;
    case FullAuditKind: {
        auto full = std::make_shared<FullAudit>();
        full->setPrefix(fields.textOrNull(QStringLiteral("prefix")));
        full->setSuccessOperations(operationSet(fields, QStringLiteral("successOperations")));
        full->setFailureOperations(operationSet(fields, QStringLiteral("failureOperations")));
        full->setFacility(lookedUp<Syslog::Facility>(fields.text(QStringLiteral("facility"))));
        full->setPriority(lookedUp<Syslog::Priority>(fields.text(QStringLiteral("priority"))));
        full->setSyslog(fields.flag(QStringLiteral("syslog")));
        full->setLogSecDesc(fields.flag(QStringLiteral("logSecDesc")));
        module = full;
        break;
    }
    case AuditKind: {
        auto audit = std::make_shared<Audit>();
        audit->setFacility(lookedUp<Syslog::Facility>(fields.text(QStringLiteral("facility"))));
        audit->setPriority(lookedUp<Syslog::Priority>(fields.text(QStringLiteral("priority"))));
        module = audit;
        break;
    }
    case AclTdb:
    case AclXattr: {
        std::shared_ptr<ACL> acl;
        if (kind == AclTdb)
            acl = std::make_shared<ACLTDB>();
        else
            acl = std::make_shared<ACLXAttr>();
        acl->setIgnoreSystemAcls(fields.flag(QStringLiteral("ignoreSystemAcls")));
        acl->setDefaultAclStyle(fields.textOrNull(QStringLiteral("defaultAclStyle")));
        module = acl;
        break;
    }
    case Recycle:
        module = std::make_shared<RecycleBin>();
        break;
    case FruitKind:
        module = std::make_shared<Fruit>();
        break;
    case Shadow:
        module = std::make_shared<ShadowCopy>();
        break;
    }
    // The classes Shareward knows have their own names.
    if (module->name() != name) {
        fields.fail(QStringLiteral("name"),
                    QStringLiteral("must be \"%1\" for a module of that kind").arg(module->name()));
    }

    if (auto options = std::dynamic_pointer_cast<OptionModule>(module)) {
        const QMap<QString, QString> values = fields.textMap(QStringLiteral("options"), false);
        for (auto it = values.begin(); it != values.end(); ++it) {
            const int before = options->options().size();
            options->setOption(it.key(), it.value());
            // Two spellings of one key are one option: the second would replace the first.
            if (options->options().size() == before)
                fields.fail(QStringLiteral("options"),
                            QStringLiteral("names the option \"%1\" twice, in two spellings").arg(it.key()));
        }
    }
    return module;
}

QStringList RecordCodec::directoryModeChangeTexts()
{
    return {QStringLiteral("keep"), QStringLiteral("read only"), QStringLiteral("writable"),
            QStringLiteral("undo")};
}

QJsonObject RecordCodec::encode(const Share &share)
{
    QJsonObject object;
    encodeShareFields(share, Share(), object);
    return object;
}

QJsonArray RecordCodec::encode(const QList<Share> &shares)
{
    QJsonArray array;
    for (const Share &share : shares)
        array.append(encode(share));
    return array;
}

QJsonObject RecordCodec::encode(const SambaSettings &settings)
{
    const GlobalShare &global = *settings.global();
    QJsonObject globalObject;
    encodeShareFields(global, GlobalShare(), globalObject);
    globalObject.insert(QStringLiteral("workgroup"), textValue(global.workgroup()));
    globalObject.insert(QStringLiteral("serverString"), textValue(global.serverString()));
    globalObject.insert(QStringLiteral("realm"), textValue(global.realm()));
    globalObject.insert(QStringLiteral("noGuestAccount"), !global.hasGuestAccount());
    globalObject.insert(QStringLiteral("guestAccount"),
                        global.hasGuestAccount() ? textValue(global.guestAccount()) : QJsonValue());
    globalObject.insert(QStringLiteral("encryptPasswords"), global.encryptPasswords());

    return {
        {QStringLiteral("security"), textOf(SambaSettings::securityModeTexts(), settings.security())},
        {QStringLiteral("kerberosMethod"), textOf(kerberosMethodTexts(), settings.kerberosMethod())},
        {QStringLiteral("global"), globalObject},
        {QStringLiteral("users"), ServerAccountsCodec::encode(settings.users())},
        {QStringLiteral("groups"), ServerAccountsCodec::encode(settings.groups())},
    };
}

SambaSettings RecordCodec::decodeSettings(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    SambaSettings settings;
    settings.setSecurity(SambaSettings::SecurityMode(
        fields.choice(QStringLiteral("security"), SambaSettings::securityModeTexts())));
    settings.setKerberosMethod(SambaSettings::KerberosMethod(
        fields.choice(QStringLiteral("kerberosMethod"), kerberosMethodTexts())));

    JsonFieldReader globalFields = fields.object(QStringLiteral("global"));
    GlobalShare global;
    decodeShareFields(globalFields, global);
    global.setWorkgroup(globalFields.textOrNull(QStringLiteral("workgroup")));
    global.setServerString(globalFields.textOrNull(QStringLiteral("serverString")));
    global.setRealm(globalFields.textOrNull(QStringLiteral("realm")));
    const bool noGuestAccount = globalFields.flag(QStringLiteral("noGuestAccount"));
    const QString guestAccount = globalFields.textOrNull(QStringLiteral("guestAccount"));
    if (noGuestAccount && !guestAccount.isNull())
        globalFields.fail(QStringLiteral("guestAccount"), QStringLiteral("must be null with noGuestAccount"));
    // This side's marker, which no account may be taken for: the other side's may be in
    // another language.
    if (!noGuestAccount && guestAccount == GlobalShare::noGuestAccount())
        globalFields.fail(QStringLiteral("guestAccount"), QStringLiteral("must name an account"));
    global.setGuestAccount(noGuestAccount ? GlobalShare::noGuestAccount() : guestAccount);
    global.setEncryptPasswords(globalFields.flag(QStringLiteral("encryptPasswords")));
    globalFields.finish();
    settings.setGlobal(global);

    settings.setUsers(ServerAccountsCodec::readUsers(fields, QStringLiteral("users")));
    settings.setGroups(ServerAccountsCodec::readGroups(fields, QStringLiteral("groups")));
    fields.finish();
    return settings;
}

Share RecordCodec::readShare(JsonFieldReader &fields)
{
    Share share;
    decodeShareFields(fields, share);
    fields.finish();
    return share;
}

Share RecordCodec::decodeShare(const QJsonValue &value, const QString &field)
{
    JsonFieldReader fields(value, field);
    return readShare(fields);
}

QList<Share> RecordCodec::decodeShares(const QJsonValue &value, const QString &field)
{
    QList<Share> shares;
    for (JsonFieldReader &fields : JsonFieldReader::objects(value, field))
        shares.append(readShare(fields));
    return shares;
}
