#include "recordjson.h"

#include "acl.h"
#include "audit.h"
#include "fruit.h"
#include "fullaudit.h"
#include "optionmodule.h"
#include "sambasettings.h"
#include "sharefeatures.h"

#include <algorithm>

namespace {

QJsonArray operationNames(const VfsOperationSet &operations)
{
    QStringList names;
    for (const VfsOperation &operation : operations)
        names << operation.name();
    std::sort(names.begin(), names.end());
    return QJsonArray::fromStringList(names);
}

// The options of the share's module of that name, by key; none without the module.
QJsonObject moduleOptions(const Share &share, const QString &name)
{
    QJsonObject object;
    if (const auto module = std::dynamic_pointer_cast<OptionModule>(share.vfsModule(name))) {
        for (auto it = module->options().begin(); it != module->options().end(); ++it)
            object.insert(it.key(), it.value());
    }
    return object;
}

QString timeMachineMaxSize(const Share &share)
{
    const auto fruit = std::dynamic_pointer_cast<Fruit>(share.vfsModule(QStringLiteral("fruit")));
    return fruit ? fruit->option(Fruit::TimeMachineMaxSize) : QString();
}

QString previousVersionsText(ShareFeatures::PreviousVersions preset)
{
    switch (preset) {
    case ShareFeatures::PreviousVersions::Snapper:
        return QStringLiteral("snapper");
    case ShareFeatures::PreviousVersions::Zfs:
        return QStringLiteral("zfs");
    case ShareFeatures::PreviousVersions::Custom:
        return QStringLiteral("custom");
    case ShareFeatures::PreviousVersions::None:
        break;
    }
    return QStringLiteral("none");
}

} // namespace

QJsonObject RecordJson::configuration(const SambaSettings &settings, const QList<Share> &shares, bool places)
{
    QJsonArray shareList;
    for (const Share &item : shares)
        shareList.append(share(item, places));
    const QString method = settings.kerberosMethod() == SambaSettings::KerberosDefault
        ? QStringLiteral("default")
        : SambaSettings::kerberosMethodText(settings.kerberosMethod());
    return {
        {QStringLiteral("security"), SambaSettings::securityModeText(settings.security())},
        {QStringLiteral("kerberosMethod"), method},
        {QStringLiteral("global"), global(*settings.global())},
        {QStringLiteral("shares"), shareList},
    };
}

QString RecordJson::storedInText(const Share &share)
{
    return share.storedIn() == Share::StoredInRegistry ? QStringLiteral("registry")
                                                       : QStringLiteral("smb.conf");
}

QJsonObject RecordJson::share(const Share &share, bool place)
{
    QJsonObject object{
        {QStringLiteral("originalName"), share.originalName()},
        {QStringLiteral("path"), share.path()},
        {QStringLiteral("name"), share.name()},
        {QStringLiteral("comment"), share.comment()},
        {QStringLiteral("readOnly"), share.readOnly()},
        {QStringLiteral("guestOk"), share.guestOk()},
        {QStringLiteral("guestOnly"), share.guestOnly()},
        {QStringLiteral("printable"), share.printable()},
        {QStringLiteral("browseable"), share.browseable()},
        {QStringLiteral("writeListEverybody"), share.writeListEverybody()},
        {QStringLiteral("createMask"), share.createMask()},
        {QStringLiteral("validUsers"), QJsonArray::fromStringList(share.validUsers())},
        {QStringLiteral("writeList"), QJsonArray::fromStringList(share.writeList())},
        {QStringLiteral("aclByDefault"), share.aclByDefault()},
        {QStringLiteral("ntAclSupport"), share.ntAclSupport()},
        {QStringLiteral("inheritAcls"), share.inheritAcls()},
        {QStringLiteral("mapAclInherit"), share.mapAclInherit()},
        {QStringLiteral("dosFilemode"), share.dosFilemode()},
        {QStringLiteral("storeDosAttributes"), share.storeDosAttributes()},
        {QStringLiteral("aclAllowExecuteAlways"), share.aclAllowExecuteAlways()},
        {QStringLiteral("aclGroupControl"), share.aclGroupControl()},
        {QStringLiteral("aclMapFullControl"), share.aclMapFullControl()},
        {QStringLiteral("forceUnknownAclUser"), share.forceUnknownAclUser()},
        {QStringLiteral("vfsModules"), modules(share)},
        {QStringLiteral("recycleBin"), ShareFeatures::recycleBin(share)},
        {QStringLiteral("recycleOptions"), moduleOptions(share, QStringLiteral("recycle"))},
        {QStringLiteral("appleClients"), ShareFeatures::appleClients(share)},
        {QStringLiteral("timeMachine"), ShareFeatures::timeMachine(share)},
        {QStringLiteral("timeMachineMaxSize"), timeMachineMaxSize(share)},
        {QStringLiteral("previousVersions"), previousVersionsText(ShareFeatures::previousVersions(share))},
        {QStringLiteral("snapshotOptions"), moduleOptions(share, QStringLiteral("shadow_copy2"))},
    };
    if (place) {
        object.insert(QStringLiteral("storedIn"), storedInText(share));
        object.insert(QStringLiteral("shadowed"), share.shadowed());
    }
    return object;
}

QJsonObject RecordJson::global(const GlobalShare &global)
{
    QJsonObject object = share(global);
    object.insert(QStringLiteral("workgroup"), global.workgroup());
    object.insert(QStringLiteral("serverString"), global.serverString());
    object.insert(QStringLiteral("realm"), global.realm());
    object.insert(QStringLiteral("guestAccount"), global.guestAccount());
    object.insert(QStringLiteral("encryptPasswords"), global.encryptPasswords());
    return object;
}

QJsonArray RecordJson::modules(const Share &record)
{
    QJsonArray list;
    for (const auto &module : record.vfsModuleList()) {
        QJsonObject object{{QStringLiteral("name"), module->name()}};
        if (auto full = std::dynamic_pointer_cast<FullAudit>(module)) {
            object.insert(QStringLiteral("prefix"), full->prefix());
            object.insert(QStringLiteral("successOperations"), operationNames(full->successOperations()));
            object.insert(QStringLiteral("failureOperations"), operationNames(full->failureOperations()));
            object.insert(QStringLiteral("facility"), full->facility().name());
            object.insert(QStringLiteral("priority"), full->priority().name());
            object.insert(QStringLiteral("syslog"), full->syslog());
            object.insert(QStringLiteral("logSecDesc"), full->logSecDesc());
        } else if (auto audit = std::dynamic_pointer_cast<Audit>(module)) {
            object.insert(QStringLiteral("facility"), audit->facility().name());
            object.insert(QStringLiteral("priority"), audit->priority().name());
        } else if (auto acl = std::dynamic_pointer_cast<ACL>(module)) {
            object.insert(QStringLiteral("ignoreSystemAcls"), acl->ignoreSystemAcls());
            object.insert(QStringLiteral("defaultAclStyle"), acl->defaultAclStyle());
        }
        list.append(object);
    }
    return list;
}

QString RecordJson::text(const QJsonValue &value)
{
    if (value.isBool())
        return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    if (value.isObject()) {
        // Options: a value may hold commas, so pairs are set apart by semicolons.
        QStringList pairs;
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            pairs << it.key() + QLatin1Char('=') + it.value().toString();
        return pairs.join(QStringLiteral("; "));
    }
    if (!value.isArray())
        return value.toString();
    QStringList items;
    for (const QJsonValue &item : value.toArray())
        items << (item.isObject() ? item.toObject().value(QLatin1String("name")).toString()
                                  : item.toString());
    return items.join(QLatin1Char(','));
}
