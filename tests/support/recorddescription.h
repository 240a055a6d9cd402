#pragma once

#include "acl.h"
#include "audit.h"
#include "fullaudit.h"
#include "optionmodule.h"
#include "sambasettings.h"
#include "share.h"
#include "vfsoperation.h"

#include <QString>
#include <QStringList>

#include <typeinfo>

// The records as text, every field of them, so that a test compares two records field by field
// and shows the first difference; written apart from the JSON codec, so that a field the codec
// drops shows as a difference.
namespace RecordDescription {

// What a test sees of a record, independently of the codec: every field, the modules by their
// class and every field of theirs.
inline QString described(const VFSModule &module)
{
    QString text = QString::fromLatin1(typeid(module).name()) + QLatin1Char(' ') + module.name();
    if (const auto *full = dynamic_cast<const FullAudit *>(&module)) {
        text += QStringLiteral(" prefix=%1 null=%2 success=%3 failure=%4 %5.%6 syslog=%7 secdesc=%8")
                    .arg(full->prefix())
                    .arg(full->prefix().isNull())
                    .arg(formatOperationSet(full->successOperations()),
                         formatOperationSet(full->failureOperations()), full->facility().name(),
                         full->priority().name())
                    .arg(full->syslog())
                    .arg(full->logSecDesc());
    } else if (const auto *audit = dynamic_cast<const Audit *>(&module)) {
        text += QStringLiteral(" %1.%2").arg(audit->facility().name(), audit->priority().name());
    } else if (const auto *acl = dynamic_cast<const ACL *>(&module)) {
        text +=
            QStringLiteral(" ignore=%1 style=%2").arg(acl->ignoreSystemAcls()).arg(acl->defaultAclStyle());
    } else if (const auto *options = dynamic_cast<const OptionModule *>(&module)) {
        text += QStringLiteral(" prefix=%1").arg(options->optionPrefix());
        for (auto it = options->options().begin(); it != options->options().end(); ++it)
            text += QStringLiteral(" [%1]=[%2]").arg(it.key(), it.value());
    }
    return text;
}

inline QString text(const QString &value)
{
    return value.isNull() ? QStringLiteral("(null)") : QLatin1Char('"') + value + QLatin1Char('"');
}

inline QString texts(const QStringList &values)
{
    QStringList items;
    for (const QString &value : values)
        items << text(value);
    return items.join(QLatin1Char(','));
}

inline QString described(const Share &share)
{
    QStringList fields{text(share.originalName()),
                       text(share.name()),
                       text(share.path()),
                       text(share.comment()),
                       text(share.createMask()),
                       texts(share.validUsers()),
                       texts(share.writeList()),
                       QString::number(share.directoryModeChange()),
                       QString::number(share.storedIn())};
    for (bool flag :
         {share.readOnly(), share.readWrite(), share.setDirectoryPermissions(), share.guestOk(),
          share.guestOnly(), share.printable(), share.browseable(), share.writeListEverybody(),
          share.aclByDefault(), share.ntAclSupport(), share.inheritAcls(), share.mapAclInherit(),
          share.dosFilemode(), share.storeDosAttributes(), share.aclAllowExecuteAlways(),
          share.aclGroupControl(), share.aclMapFullControl(), share.forceUnknownAclUser(), share.shadowed()})
        fields << QString::number(flag);
    for (const auto &module : share.vfsModuleList())
        fields << described(*module);
    const QMap<QString, QString> other = share.otherParameters();
    for (auto it = other.begin(); it != other.end(); ++it)
        fields << it.key() + QLatin1Char('=') + text(it.value());
    return fields.join(QLatin1Char('\n'));
}

inline QString described(const SambaSettings &settings)
{
    const GlobalShare &global = *settings.global();
    QStringList fields{described(global),
                       QString::number(settings.security()),
                       QString::number(settings.kerberosMethod()),
                       text(global.workgroup()),
                       text(global.serverString()),
                       text(global.realm()),
                       text(global.guestAccount()),
                       QString::number(global.hasGuestAccount()),
                       QString::number(global.encryptPasswords())};
    for (auto it = settings.users().begin(); it != settings.users().end(); ++it)
        fields << QStringLiteral("user %1: %2 %3 %4")
                      .arg(text(it.key()), text(it->name()), text(it->password()))
                      .arg(it->changed());
    for (auto it = settings.groups().begin(); it != settings.groups().end(); ++it)
        fields << QStringLiteral("group %1: %2 %3").arg(text(it.key()), text(it->name())).arg(it->changed());
    return fields.join(QLatin1Char('\n'));
}

} // namespace RecordDescription
